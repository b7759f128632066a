// Addresses between their three forms: the value, the dotted text and the signed decimal
// that the datagrams and the remote configuration file carry.
#include "platform/Ipv4Address.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(Ipv4Address, DottedTextBothWays)
{
    EXPECT_EQ(ipv4ToDottedText(0), "0.0.0.0");
    EXPECT_EQ(ipv4ToDottedText(-1), "255.255.255.255");
    EXPECT_EQ(ipv4ToDottedText(0x0A000001), "10.0.0.1");
    EXPECT_EQ(ipv4FromDottedText("192.168.1.1"), -1062731519);
    EXPECT_EQ(ipv4FromDottedText(" 10 .0.0.1"), 0x0A000001);
    EXPECT_FALSE(ipv4FromDottedText("256.1.1.1"));
    EXPECT_FALSE(ipv4FromDottedText("1.2.3"));
    EXPECT_FALSE(ipv4FromDottedText("1.2.3.4.5"));
    EXPECT_FALSE(ipv4FromDottedText(""));
}

TEST(Ipv4Address, TheIdentityIsTheSignedDecimalOfTheValue)
{
    EXPECT_EQ(ipv4ToSignedDecimal(ipv4Of(10, 0, 0, 5)), "167772165");
    EXPECT_EQ(ipv4ToSignedDecimal(ipv4Of(192, 168, 1, 10)), "-1062731510");
    EXPECT_EQ(ipv4ToSignedDecimal(ipv4Of(255, 255, 255, 255)), "-1");
    EXPECT_EQ(ipv4ToSignedDecimal(ipv4Of(128, 0, 0, 0)), "-2147483648");
    for (const std::int32_t address : {ipv4Of(10, 0, 0, 5), ipv4Of(192, 168, 1, 10), 0,
                                       ipv4Of(255, 255, 255, 255), ipv4Of(128, 0, 0, 0)})
        EXPECT_EQ(ipv4FromSignedDecimal(ipv4ToSignedDecimal(address)), address);
    // Another tool may have written the unsigned form; a line end may follow.
    EXPECT_EQ(ipv4FromSignedDecimal("3232235786\r\n"), ipv4Of(192, 168, 1, 10));
    EXPECT_EQ(ipv4FromSignedDecimal("  167772165"), ipv4Of(10, 0, 0, 5));
    for (const char* bad : {"", "-", "12a", "4294967296", "-2147483649", "1.2.3.4", " "})
        EXPECT_FALSE(ipv4FromSignedDecimal(bad)) << bad;
}

}  // namespace
}  // namespace quillon
