#include "platform/SerialPortHandle.h"

#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(SerialPortHandle, OpensATerminalAndRefusesOtherFiles)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    std::string error;
    auto handle = SerialPortHandle::open(pty.devicePath(), &error);
    ASSERT_TRUE(handle) << error;
    EXPECT_TRUE(handle->isOpen());
    EXPECT_TRUE(::isatty(handle->fd()));

    test::TempWorkDir dir;
    dir.write("plain", "x");
    EXPECT_FALSE(SerialPortHandle::open(dir.path("plain"), &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(SerialPortHandle::open("/dev/ttyNoSuchPort99", &error));
    EXPECT_FALSE(error.empty());
}

TEST(SerialPortHandle, PurgeDiscardsWaitingInputAndCloseRestoresTheLine)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    auto handle = SerialPortHandle::open(pty.devicePath());
    ASSERT_TRUE(handle);
    termios original{};
    ASSERT_EQ(::tcgetattr(handle->fd(), &original), 0);

    termios changed = original;
    ::cfmakeraw(&changed);
    ASSERT_EQ(::tcsetattr(handle->fd(), TCSANOW, &changed), 0);
    ASSERT_EQ(::write(pty.master(), "G01\n", 4), 4);
    ::tcdrain(pty.master());
    handle->purge();
    char byte = 0;
    EXPECT_EQ(::read(handle->fd(), &byte, 1), -1);
    EXPECT_EQ(errno, EAGAIN);

    handle->close();
    EXPECT_FALSE(handle->isOpen());
    handle->close();  // a second close does nothing

    auto again = SerialPortHandle::open(pty.devicePath());
    ASSERT_TRUE(again);
    termios after{};
    ASSERT_EQ(::tcgetattr(again->fd(), &after), 0);
    EXPECT_EQ(after.c_lflag, original.c_lflag);
    EXPECT_EQ(after.c_iflag, original.c_iflag);
}

}  // namespace
}  // namespace quillon
