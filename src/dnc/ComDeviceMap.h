// Which device each of COM1..COM10 stands for.
//
// ComDevices.sys in the working directory holds ten lines, one per port; an empty or
// missing line keeps the default /dev/ttyS0../dev/ttyS9. The variable QUILLONLT_COMn
// (n = 1..10) overrides one port, which is how the tests put a pseudo-terminal there.
#pragma once

#include <array>
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

}  // namespace quillon
