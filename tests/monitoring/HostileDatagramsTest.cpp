// Datagrams nobody should send: cut short anywhere, far too long, all NULs, bytes above
// 127, and noise. Every reader and the link take them without reading past the end, and
// what they store stays within its bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "monitoring/HubDatagramSamples.h"
#include "monitoring/HubLink.h"
#include "monitoring/IncomingDatagrams.h"
#include "monitoring/MonitoringStartup.h"

namespace quillon {
namespace {

using test::recordDatagram;
using test::withNul;

constexpr std::int64_t kNow = 1'700'000'000;

class NullHub final : public HubRequests {
public:
    void sendWord(std::string_view) override {}
    void sendMachineRequest(std::string_view, MachineSlot slot) override
    {
        EXPECT_TRUE(MachineSlot::checked(slot.hub, slot.port));
    }
    void sendStatus(MachineSlot, std::string_view) override {}
    void sendSetup(MachineSlot, const SetupChange&) override {}
};

class Sink final : public DatagramReceiver, public ShiftGraphReceiver {
public:
    void datagramArrived(std::string_view) override {}
    void machineRefreshed(MachineSlot slot) override { EXPECT_EQ(slot, (MachineSlot{11, 3})); }
};

void expectBounded(const MachineRecord& record)
{
    const int kind = static_cast<int>(record.stationKind);
    EXPECT_TRUE(kind >= 0 && kind <= 2);
    for (const StationFigures& station : record.stations) {
        EXPECT_GE(station.piecesPerCycle, 1);
        EXPECT_LE(station.piecesPerCycle, 100);
        EXPECT_LE(station.partNumber.size(), kRecordTextLimit);
    }
    EXPECT_LE(record.status.size(), kRecordTextLimit);
    EXPECT_LE(record.name.size(), kRecordTextLimit);
    EXPECT_LE(record.operation.size(), kOperationTextLimit);
}

// Hands the bytes to everything that reads datagrams, from a buffer exactly as long as
// they are, so that a sanitizer build sees any read past the end.
void readEverywhere(std::string_view bytes)
{
    const auto buffer = std::make_unique<char[]>(bytes.size() + 1);
    if (!bytes.empty())
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
    const std::string_view exact(buffer.get(), bytes.size());

    if (const auto names = parseMachineNames(exact)) {
        for (const std::string& name : *names)
            EXPECT_LE(name.size(), kMachineNameLimit);
    }
    parseMachineStates(exact);
    if (const auto list = parseStartupList(exact)) {
        for (const StartupMachine& machine : list->machines)
            EXPECT_TRUE(MachineSlot::checked(machine.slot.hub, machine.slot.port));
    }
    MachineRecords records;
    if (const auto receipt = applyRecord(exact, kNow, records))
        expectBounded(records[static_cast<std::size_t>(receipt->slot.index())]);
    if (const auto list = parseStatusList(exact)) {
        std::size_t total = 0;
        for (const std::string& status : list->statuses)
            total += status.size() + 1;
        EXPECT_LE(total, kStatusListLimit);
    }

    NullHub hub;
    MonitoringStartup view({{0, 0}, {11, 3}}, hub, [] { return kNow; });
    view.datagramArrived(exact);

    FixedClock clock(kNow);
    HubLink link(0, 1, clock, [](std::string_view) {});
    Sink window;
    link.shiftGraphOpened(window, {11, 3});
    link.monitoringViewOpened(MonitoringView::Detailed, window);
    link.machineDisplayOpened(window);
    link.datagramArrived(exact, 0);
}

std::vector<std::string> wellFormedSamples()
{
    std::string names(kMachineNamesWord);
    for (int i = 0; i < kMachineSlots; ++i)
        names += std::string(18, static_cast<char>('A' + i % 26)) + '\0';
    std::string states(kMachineStatesWord);
    states += std::string(2 * kMachineSlots, '\1');
    return {names, states, withNul("_INI:@01,2,1,100,100\nb,3,2,0,0,tail\n"),
            recordDatagram({11, 3}, 2), withNul("_MON_LIST:11,3,CYCLE OFF,SETUP,ALARM,")};
}

TEST(HostileDatagramsTest, EveryCutOfAWellFormedDatagram)
{
    for (const std::string& sample : wellFormedSamples()) {
        for (std::size_t length = 0; length <= sample.size(); ++length)
            readEverywhere(std::string_view(sample).substr(0, length));
    }
}

TEST(HostileDatagramsTest, OversizedNulFilledAndNonAsciiDatagrams)
{
    std::string longRecord = recordDatagram({1, 1}, 0);
    longRecord.insert(longRecord.find(",0,") + 1, std::string(100'000, '9'));
    std::string nonAscii = recordDatagram({1, 1}, 1);
    for (std::size_t i = kRecordWord.size() + 6; i + 1 < nonAscii.size(); i += 3)
        nonAscii[i] = static_cast<char>(0x80 + i % 128);
    const std::string rows[] = {
        std::string(3000, '\0'),
        std::string(kMachineNamesWord) + std::string(5000, 'X'),
        std::string(kMachineStatesWord) + std::string(5000, '\xff'),
        std::string(kStatusListWord) + "1,1," + std::string(5000, ','),
        "_INI:@0" + std::string(4000, '\n'),
        longRecord,
        nonAscii,
        std::string(4096, '\xe9'),
    };
    for (const std::string& bytes : rows)
        readEverywhere(bytes);
}

TEST(HostileDatagramsTest, NoiseBehindEachWord)
{
    std::mt19937 random(20261208);
    const std::string_view words[] = {"",           kMachineNamesWord, kMachineStatesWord,
                                      kStartupWord, kRecordWord,       kStatusListWord};
    // Noise drawn mostly from the characters the readers look for.
    const std::string alphabet = std::string("0123456789abcdefABCDEF,,,,\n-+ .") + '\0' + "\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(words[round % 6]);
        const std::size_t length = random() % 3000;
        for (std::size_t i = 0; i < length; ++i)
            bytes += round % 2 == 0 ? alphabet[random() % alphabet.size()]
                                    : static_cast<char>(random() & 0xFF);
        readEverywhere(bytes);
    }
}

}  // namespace
}  // namespace quillon
