#include "dnc/ComDeviceMap.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "dnc/PortSetup.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

ComDeviceMap::ComDeviceMap()
{
    for (int port = 0; port < kPortCount; ++port)
        m_devices[static_cast<std::size_t>(port)] = defaultDevice(port);
}

std::string ComDeviceMap::defaultDevice(int port)
{
    return "/dev/ttyS" + std::to_string(port);
}

ComDeviceMap ComDeviceMap::load(const WorkDir& workDir)
{
    ComDeviceMap map;
    if (const auto lines = readLines(workDir.file(kComDevicesFile))) {
        for (std::size_t port = 0; port < map.m_devices.size() && port < lines->size(); ++port) {
            if (!(*lines)[port].empty())
                map.m_devices[port] = paths::normalizeSeparators((*lines)[port]);
        }
    }
    for (std::size_t port = 0; port < map.m_devices.size(); ++port) {
        const std::string variable = "QUILLONLT_COM" + std::to_string(port + 1);
        if (const char* device = std::getenv(variable.c_str()); device && *device)
            map.m_devices[port] = device;
    }
    return map;
}

std::optional<std::string> ComDeviceMap::devicePath(int port) const
{
    if (port < 0 || port >= kPortCount)
        return std::nullopt;
    return m_devices[static_cast<std::size_t>(port)];
}

DeviceCheck checkDeviceAccess(const std::string& path)
{
    if (::access(path.c_str(), R_OK | W_OK) != 0) {
        const int error = errno;
        switch (error) {
        case ENOENT:
        case ENOTDIR:
            return {DeviceAccess::Missing, error};
        case EACCES:
        case EPERM:
            return {DeviceAccess::Denied, error};
        default:
            return {DeviceAccess::Unusable, error};
        }
    }
    // A folder passes the access test but is never a line.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return {DeviceAccess::Unusable, EISDIR};
    return {};
}

}  // namespace quillon
