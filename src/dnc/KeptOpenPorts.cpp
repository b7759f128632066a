#include "dnc/KeptOpenPorts.h"

#include "dnc/ComDeviceMap.h"
#include "dnc/PortSetups.h"
#include "platform/Notifier.h"

namespace quillon {

namespace {

void openKeptPort(PortSetup& setup, const ComDeviceMap& devices, const LineOpener& opener,
                  Notifier& notifier)
{
    const auto device = devices.devicePath(setup.port);
    std::shared_ptr<SerialLine> handle = device ? opener(*device, nullptr) : nullptr;
    if (handle) {
        setup.handle = std::move(handle);
        setup.keepPortOpen = KeepPortOpen::Open;
    } else {
        notifier.message("Could not open COM" + std::to_string(setup.port + 1));
        setup.keepPortOpen = KeepPortOpen::WantedNotOpen;
    }
}

void closeHandle(PortSetup& setup)
{
    setup.handle->purge();
    setup.handle->close();
    setup.handle.reset();
}

}  // namespace

void openKeptPorts(PortSetups& setups, const ComDeviceMap& devices, const LineOpener& opener,
                   Notifier& notifier)
{
    for (auto& setup : setups.records()) {
        if (setup.keepsPortOpen() && !setup.handle)
            openKeptPort(setup, devices, opener, notifier);
    }
}

void reconcileKeptPorts(PortSetups& setups, const ComDeviceMap& devices, const LineOpener& opener,
                        Notifier& notifier)
{
    for (auto& setup : setups.records()) {
        // A setup moved to another port must not keep the old port's device.
        const bool moved =
            setup.handle && devices.devicePath(setup.port) != setup.handle->devicePath();
        if (setup.handle && (!setup.keepsPortOpen() || moved))
            closeHandle(setup);
        if (!setup.handle && setup.keepsPortOpen())
            openKeptPort(setup, devices, opener, notifier);
    }
}

void closeKeptPorts(PortSetups& setups)
{
    for (auto& setup : setups.records()) {
        if (setup.handle)
            closeHandle(setup);
    }
}

}  // namespace quillon
