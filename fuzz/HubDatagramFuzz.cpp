// Feeds arbitrary datagrams to every reader of the hub's datagrams, to a monitoring view's
// start-up and to the link with all its windows open. The first byte picks a word to put
// in front, so that the fuzzer reaches the readers behind each word quickly. Besides
// crashes and reads past the end it checks that a stored record stays within bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "monitoring/HubLink.h"
#include "monitoring/IncomingDatagrams.h"
#include "monitoring/MonitoringStartup.h"

namespace {

class NullHub final : public quillon::HubRequests {
public:
    void sendWord(std::string_view) override {}
    void sendMachineRequest(std::string_view, quillon::MachineSlot) override {}
    void sendStatus(quillon::MachineSlot, std::string_view) override {}
    void sendSetup(quillon::MachineSlot, const quillon::SetupChange&) override {}
};

class Sink final : public quillon::DatagramReceiver, public quillon::ShiftGraphReceiver {
public:
    void datagramArrived(std::string_view) override {}
    void machineRefreshed(quillon::MachineSlot) override {}
};

void checkBounded(const quillon::MachineRecord& record)
{
    const int kind = static_cast<int>(record.stationKind);
    if (kind < 0 || kind > 2 || record.name.size() > quillon::kRecordTextLimit ||
        record.status.size() > quillon::kRecordTextLimit ||
        record.operation.size() > quillon::kOperationTextLimit)
        std::abort();
    for (const quillon::StationFigures& station : record.stations) {
        if (station.piecesPerCycle < 1 || station.piecesPerCycle > 100)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    static constexpr std::string_view kWords[] = {"",
                                                  quillon::kMachineNamesWord,
                                                  quillon::kMachineStatesWord,
                                                  quillon::kStartupWord,
                                                  quillon::kRecordWord,
                                                  quillon::kStatusListWord};
    const std::string_view word = kWords[data[0] % std::size(kWords)];
    // The datagram lives in a buffer of its own exact length.
    std::string bytes(word);
    bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string_view datagram(bytes);

    quillon::parseMachineNames(datagram);
    quillon::parseMachineStates(datagram);
    quillon::parseStartupList(datagram);
    quillon::parseStatusList(datagram);
    static quillon::MachineRecords records;
    if (const auto receipt = quillon::applyRecord(datagram, 1'700'000'000, records))
        checkBounded(records[static_cast<std::size_t>(receipt->slot.index())]);

    NullHub hub;
    quillon::MonitoringStartup view({{0, 0}, {11, 3}}, hub, [] { return 1'700'000'000; });
    view.datagramArrived(datagram);

    quillon::FixedClock clock(1'700'000'000);
    quillon::HubLink link(0, 1, clock, [](std::string_view) {});
    Sink window;
    link.shiftGraphOpened(window, {11, 3});
    link.monitoringViewOpened(quillon::MonitoringView::Detailed, window);
    link.monitoringViewOpened(quillon::MonitoringView::TimeLine, window);
    link.machineDisplayOpened(window);
    link.datagramArrived(datagram, 0);
    return 0;
}
