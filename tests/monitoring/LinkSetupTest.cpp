// The socket the link runs on and what binding it tells the user when it fails.
#include "monitoring/LinkSetup.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Ipv4Address.h"
#include "platform/UdpSocket.h"

namespace quillon {
namespace {

const std::int32_t kLoopback = ipv4Of(127, 0, 0, 1);

TEST(UdpSocketTest, DatagramsTravelWholeWithTheirNulBytesAndTheirSender)
{
    auto a = UdpSocket::bind(kLoopback, 0);
    auto b = UdpSocket::bind(kLoopback, 0);
    ASSERT_TRUE(a.socket && b.socket);
    // Longer than the old 2048-byte buffer, with NULs inside and at the end.
    std::string bytes = "_MCHINI:";
    for (int i = 0; i < 128; ++i)
        bytes += "MACHINE NUMBER " + std::to_string(i) + std::string(1, '\0');
    ASSERT_GT(bytes.size(), 2048u);
    EXPECT_FALSE(b.socket->receive());
    ASSERT_TRUE(a.socket->send(kLoopback, b.socket->localPort(), bytes));
    ASSERT_TRUE(b.socket->waitReadable(5000));
    const auto got = b.socket->receive();
    ASSERT_TRUE(got);
    EXPECT_EQ(got->bytes, bytes);
    EXPECT_EQ(got->sourceAddress, kLoopback);
    EXPECT_EQ(got->sourcePort, a.socket->localPort());
    EXPECT_FALSE(b.socket->waitReadable(0));
}

TEST(UdpSocketTest, APortInUseIsTriedOnceMoreAndThenSaidWithItsNumber)
{
    auto first = UdpSocket::bind(kLoopback, 0);
    ASSERT_TRUE(first.socket);
    const std::uint16_t port = first.socket->localPort();
    const auto second = UdpSocket::bind(kLoopback, port);
    EXPECT_FALSE(second.socket);
    EXPECT_EQ(second.failure, UdpSocket::Bound::Failure::BindAgain);
    EXPECT_EQ(second.error, EADDRINUSE);
    EXPECT_EQ(bindFailureText(second, port), "Bind error - 2: " + std::to_string(EADDRINUSE));
}

TEST(LinkSetupTest, BindFailuresInWordsAUserCanActOn)
{
    using Failure = UdpSocket::Bound::Failure;
    const auto text = [](Failure failure, int error, std::uint16_t port) {
        UdpSocket::Bound bound;
        bound.failure = failure;
        bound.error = error;
        return bindFailureText(bound, port);
    };
    EXPECT_EQ(text(Failure::None, 0, 17), "");
    EXPECT_EQ(text(Failure::Create, EMFILE, 17), "Bad Socket");
    EXPECT_EQ(text(Failure::ReuseOption, EINVAL, 17),
              "Bind error - address is already in use.\nCould not fix problem.");
    EXPECT_EQ(text(Failure::Bind, EADDRNOTAVAIL, 17),
              "Bind error: " + std::to_string(EADDRNOTAVAIL));
    // Port 17 without the privilege: how to give it, or how to do without.
    const std::string refused = text(Failure::Bind, EACCES, 17);
    EXPECT_EQ(refused.rfind("Bind error: " + std::to_string(EACCES) + "\n", 0), 0u) << refused;
    EXPECT_NE(refused.find("setcap cap_net_bind_service=+ep"), std::string::npos);
    EXPECT_NE(refused.find("net.ipv4.ip_unprivileged_port_start=17"), std::string::npos);
    EXPECT_NE(refused.find("QUILLONLT_UDP_PORT"), std::string::npos);
    // A high port refused is no matter of privilege.
    EXPECT_EQ(text(Failure::Bind, EACCES, 5000), "Bind error: " + std::to_string(EACCES));
}

TEST(LinkSetupTest, ThePortIsSeventeenUnlessTheEnvironmentNamesAnother)
{
    const char* old = std::getenv("QUILLONLT_UDP_PORT");
    const std::string saved = old ? old : "";
    ::unsetenv("QUILLONLT_UDP_PORT");
    EXPECT_EQ(hubLinkPort(), 17);
    ::setenv("QUILLONLT_UDP_PORT", "41717", 1);
    EXPECT_EQ(hubLinkPort(), 41717);
    for (const char* bad : {"0", "70000", "x", "-5"}) {
        ::setenv("QUILLONLT_UDP_PORT", bad, 1);
        EXPECT_EQ(hubLinkPort(), 17) << bad;
    }
    if (old)
        ::setenv("QUILLONLT_UDP_PORT", saved.c_str(), 1);
    else
        ::unsetenv("QUILLONLT_UDP_PORT");
}

}  // namespace
}  // namespace quillon
