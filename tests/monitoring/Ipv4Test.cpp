// Addresses between their three forms: the value, the dotted text and the signed decimal
// that the datagrams and the remote configuration file carry.
#include "monitoring/Ipv4.h"

#include <gtest/gtest.h>

#include "monitoring/MachineSlot.h"

namespace quillon {
namespace {

TEST(Ipv4, TheIdentityIsTheSignedDecimalOfTheValue)
{
    EXPECT_EQ(signedDecimalText(ipv4Of(10, 0, 0, 5)), "167772165");
    EXPECT_EQ(signedDecimalText(ipv4Of(192, 168, 1, 10)), "-1062731510");
    EXPECT_EQ(signedDecimalText(ipv4Of(255, 255, 255, 255)), "-1");
    EXPECT_EQ(signedDecimalText(ipv4Of(128, 0, 0, 0)), "-2147483648");
    for (const Ipv4 address : {ipv4Of(10, 0, 0, 5), ipv4Of(192, 168, 1, 10), Ipv4{0},
                               ipv4Of(255, 255, 255, 255), ipv4Of(128, 0, 0, 0)})
        EXPECT_EQ(parseSignedDecimal(signedDecimalText(address)), address);
    // Another tool may have written the unsigned form; a line end may follow.
    EXPECT_EQ(parseSignedDecimal("3232235786\r\n"), ipv4Of(192, 168, 1, 10));
    EXPECT_EQ(parseSignedDecimal("  167772165"), ipv4Of(10, 0, 0, 5));
    for (const char* bad : {"", "-", "12a", "4294967296", "-2147483649", "1.2.3.4", " "})
        EXPECT_FALSE(parseSignedDecimal(bad)) << bad;
}

TEST(Ipv4, DottedTextBothWays)
{
    EXPECT_EQ(dottedText(ipv4Of(192, 168, 1, 10)), "192.168.1.10");
    EXPECT_EQ(parseDotted("127.0.0.2"), ipv4Of(127, 0, 0, 2));
    EXPECT_EQ(parseDotted("0.0.0.0"), Ipv4{0});
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.", "1.2.3.256", "1..3.4", "a.b.c.d", "1.2.3.4 ", "0001.2.3.4"})
        EXPECT_FALSE(parseDotted(bad)) << bad;
}

TEST(MachineSlotTest, HubAndPortAgainstTheFlatIndex)
{
    EXPECT_EQ(MachineSlot::ofIndex(8), (MachineSlot{1, 0}));
    EXPECT_EQ((MachineSlot{15, 7}).index(), 127);
    EXPECT_EQ(MachineSlot::checked(11, 3), (MachineSlot{11, 3}));
    EXPECT_FALSE(MachineSlot::checked(16, 0));
    EXPECT_FALSE(MachineSlot::checked(0, 8));
    EXPECT_FALSE(MachineSlot::checked(-1, 0));
}

}  // namespace
}  // namespace quillon
