// Which device each of COM1..COM10 stands for.
//
// ComDevices.sys in the working directory holds ten lines, one per port; an empty or
// missing line keeps the default /dev/ttyS0../dev/ttyS9. The variable QUILLONLT_COMn
// (n = 1..10) overrides one port, which is how the tests put a pseudo-terminal there.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class WorkDir;

inline constexpr std::string_view kComDevicesFile = "ComDevices.sys";

class ComDeviceMap {
public:
    // The defaults, then ComDevices.sys, then the environment.
    static ComDeviceMap load(const WorkDir& workDir);

    ComDeviceMap();

    // The device of the port index (0 = COM1); nothing for an index outside 0..9.
    std::optional<std::string> devicePath(int port) const;

    static std::string defaultDevice(int port);

private:
    std::array<std::string, 10> m_devices;
};

// Whether this user can open a port's device, so that a setup can say so before a
// transfer fails on it.
enum class DeviceAccess {
    Usable,
    Missing,   // nothing there (also a link whose pseudo-terminal is gone)
    Denied,    // there, but this user may not read and write it
    Unusable,  // anything else; the errno is in the check
};

struct DeviceCheck {
    DeviceAccess access = DeviceAccess::Usable;
    int error = 0;
};

// Looks without opening: opening a serial device raises DTR and RTS, and a control
// may take that as the PC being ready.
DeviceCheck checkDeviceAccess(const std::string& path);

using DeviceAccessCheck = std::function<DeviceCheck(const std::string& path)>;

}  // namespace quillon
