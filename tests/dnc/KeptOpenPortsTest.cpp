#include "dnc/KeptOpenPorts.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "dnc/ComConfFile.h"
#include "dnc/ComDeviceMap.h"
#include "dnc/PortSetups.h"
#include "dnc/SerialLine.h"
#include "platform/Notifier.h"
#include "platform/PosixSerialLine.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// Sets QUILLONLT_COMn for the life of the object.
using test::ComOverride;

TEST(ComDeviceMap, DefaultsFileLinesAndEnvironment)
{
    test::TempWorkDir dir;
    dir.write(kComDevicesFile, "/dev/ttyUSB0\n\nC:\\odd\\name\n");
    const ComOverride override4(4, "/dev/pts/99");
    const ComDeviceMap map = ComDeviceMap::load(dir.workDir());
    EXPECT_EQ(map.devicePath(0), "/dev/ttyUSB0");
    EXPECT_EQ(map.devicePath(1), "/dev/ttyS1");  // empty line: default
    EXPECT_EQ(map.devicePath(2), "C:/odd/name");
    EXPECT_EQ(map.devicePath(3), "/dev/pts/99");
    EXPECT_EQ(map.devicePath(9), "/dev/ttyS9");
    EXPECT_FALSE(map.devicePath(10));
    EXPECT_FALSE(map.devicePath(-1));
}

TEST(KeptOpenPorts, OpenedAtStartUpOrReportedOncePerPort)
{
    test::TempWorkDir dir;
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    const ComOverride com3(3, pty.devicePath());
    const ComOverride com5(5, "/dev/ttyNoSuchPort5");
    const ComDeviceMap devices = ComDeviceMap::load(dir.workDir());

    PortSetups setups;
    setups.record(0).port = 2;  // COM3: the pseudo-terminal
    setups.record(0).keepPortOpen = KeepPortOpen::WantedNotOpen;
    setups.record(1).port = 4;                           // COM5: no such device
    setups.record(1).keepPortOpen = KeepPortOpen::Open;  // as saved by an earlier run
    setups.record(2).port = 6;                           // not kept open
    ScriptedNotifier notifier;
    openKeptPorts(setups, devices, posixLineOpener(), notifier);

    ASSERT_TRUE(setups.record(0).handle);
    EXPECT_TRUE(setups.record(0).handle->isOpen());
    EXPECT_EQ(setups.record(0).keepPortOpen, KeepPortOpen::Open);
    EXPECT_FALSE(setups.record(1).handle);
    EXPECT_EQ(setups.record(1).keepPortOpen, KeepPortOpen::WantedNotOpen);
    EXPECT_FALSE(setups.record(2).handle);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Could not open COM5"});
}

TEST(KeptOpenPorts, ReconcileClosesDroppedPortsAndFollowsAMovedSetup)
{
    test::TempWorkDir dir;
    test::PseudoTerminal first;
    test::PseudoTerminal second;
    const ComOverride com1(1, first.devicePath());
    const ComOverride com2(2, second.devicePath());
    const ComDeviceMap devices = ComDeviceMap::load(dir.workDir());
    ScriptedNotifier notifier;

    PortSetups setups;
    setups.record(0).keepPortOpen = KeepPortOpen::WantedNotOpen;
    openKeptPorts(setups, devices, posixLineOpener(), notifier);
    const auto handle = setups.record(0).handle;
    ASSERT_TRUE(handle);

    // Loading the file again resets the records but leaves the open handle in place.
    loadPortSetups(setups, dir.workDir());
    EXPECT_EQ(setups.record(0).handle, handle);

    setups.record(0).keepPortOpen = KeepPortOpen::Open;
    setups.record(0).port = 1;  // moved to COM2
    reconcileKeptPorts(setups, devices, posixLineOpener(), notifier);
    EXPECT_FALSE(handle->isOpen());
    ASSERT_TRUE(setups.record(0).handle);
    EXPECT_EQ(setups.record(0).handle->devicePath(), second.devicePath());

    setups.record(0).keepPortOpen = KeepPortOpen::No;
    const auto moved = setups.record(0).handle;
    reconcileKeptPorts(setups, devices, posixLineOpener(), notifier);
    EXPECT_FALSE(moved->isOpen());
    EXPECT_FALSE(setups.record(0).handle);
    EXPECT_TRUE(notifier.shown().empty());

    setups.record(3).keepPortOpen = KeepPortOpen::WantedNotOpen;
    setups.record(3).port = 1;
    reconcileKeptPorts(setups, devices, posixLineOpener(), notifier);
    ASSERT_TRUE(setups.record(3).handle);
    closeKeptPorts(setups);
    EXPECT_FALSE(setups.record(3).handle);
}

}  // namespace
}  // namespace quillon
