// Feeds arbitrary bytes to every reader of the hub's files and of the program's own
// machine lists and remote configuration, and writes back what was read. The first byte
// picks the reader. Besides crashes and reads past the end it checks what a reader
// promises: no more machines than the hub has slots, settings within their limits, and a
// list written from what was read that reads back to the same entries.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "monitoring/HubSetup.h"
#include "monitoring/MachineLists.h"
#include "monitoring/RemoteConfig.h"

namespace {

void withinLimits(const quillon::MonitorViewSettings& settings)
{
    const quillon::MonitorViewSettings limited = settings.limited();
    FUZZ_CHECK(limited.refreshSeconds >= 5 && limited.refreshSeconds <= 120);
    for (const int rotation :
         {limited.detailedRotation, limited.graphRotation, limited.timelineRotation})
        FUZZ_CHECK(rotation == 0 || (rotation >= 10 && rotation <= 300));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The file lives in a buffer of its own exact length.
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view file(bytes);
    switch (data[0] % 6) {
    case 0: {
        const auto configuration = quillon::HubConfiguration::parse(file);
        FUZZ_CHECK(configuration.machines().size() <= quillon::kMachineSlots);
        for (int index = 0; index < quillon::kMachineSlots; ++index) {
            const auto name = configuration.nameOf(quillon::MachineSlot::ofIndex(index));
            if (!name.empty())
                FUZZ_CHECK(configuration.slotOf(name).has_value());
        }
        break;
    }
    case 1: {
        const auto setup = quillon::MonitorSetup::parse(file);
        for (const auto& block : setup.blocks()) {
            if (block.slot)
                FUZZ_CHECK(block.slot->index() >= 0 &&
                           block.slot->index() < quillon::kMachineSlots);
        }
        break;
    }
    case 2: {
        const auto entries = quillon::parseMonitorList(file);
        std::vector<std::string> items;
        for (const auto& entry : entries)
            items.push_back(entry.itemText());
        // Written without a hub configuration every item is its text alone, cut at a line
        // end of any kind (no item may start another line; one left empty is dropped): read
        // back, the same texts in the same order.
        const auto written = quillon::formatMonitorList(
            items, quillon::HubConfiguration::parse(""), quillon::MonitorSetup::parse(""));
        std::vector<std::string> expected;
        for (const std::string& item : items) {
            const std::string cut = item.substr(0, item.find_first_of("\r\n"));
            if (!cut.empty())
                expected.push_back(cut);
        }
        const auto again = quillon::parseMonitorList(written);
        FUZZ_CHECK(again.size() == expected.size());
        for (std::size_t i = 0; i < again.size(); ++i)
            FUZZ_CHECK(again[i].itemText() == expected[i]);
        break;
    }
    case 3:
        withinLimits(quillon::parseTimelineList(file).settings);
        withinLimits(quillon::parseViewSettings(file));
        break;
    case 4:
        FUZZ_CHECK(quillon::parseRemoteMachineList(file).size() <=
                   quillon::kRemoteMachineListLimit);
        break;
    default: {
        const auto config = quillon::parseRemoteConfig(file);
        const auto again = quillon::parseRemoteConfig(quillon::formatRemoteConfig(config));
        FUZZ_CHECK(again.hubAddress == config.hubAddress);
        break;
    }
    }
    return 0;
}
