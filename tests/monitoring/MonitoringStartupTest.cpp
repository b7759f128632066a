// A monitoring view's start-up: its machines fetched one by one before the rows are built.
#include "monitoring/MonitoringStartup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitoring/HubDatagramSamples.h"

namespace quillon {
namespace {

using test::recordDatagram;
using test::withNul;

constexpr std::int64_t kNow = 1'700'000'000;

// What the view asked of the hub, as "word hub port".
class RecordingHub final : public HubRequests {
public:
    void sendWord(std::string_view word) override { requests.emplace_back(word); }
    void sendMachineRequest(std::string_view word, MachineSlot slot) override
    {
        requests.push_back(std::string(word) + " " + std::to_string(slot.hub) + " " +
                           std::to_string(slot.port));
    }
    void sendStatus(MachineSlot, std::string_view) override {}
    void sendSetup(MachineSlot, const SetupChange&) override {}
    std::vector<std::string> requests;
};

class MonitoringStartupTest : public ::testing::Test {
protected:
    RecordingHub hub;
    MonitoringStartup view{{{2, 1}, {0, 5}, {1, 7}}, hub, [] { return kNow; }};
};

TEST_F(MonitoringStartupTest, MachinesAreFetchedInHubThenPortOrder)
{
    view.start();
    const StartupReport startup = view.datagramArrived(withNul("_INI:@00,5,1,0,0\n1,7,0,0,0\n"));
    EXPECT_TRUE(startup.startupApplied);
    EXPECT_EQ(view.record({0, 5}).stationKind, StationKind::TwoHeads);
    EXPECT_EQ(view.record({0, 5}).stations[0].cycleStart, kNow);
    EXPECT_EQ(view.record({0, 5}).status, "NO Ostler");

    EXPECT_FALSE(view.datagramArrived(recordDatagram({0, 5})).rowsReady);
    EXPECT_FALSE(view.datagramArrived(recordDatagram({1, 7})).rowsReady);
    const StartupReport last = view.datagramArrived(recordDatagram({2, 1}));
    EXPECT_TRUE(last.rowsReady);
    EXPECT_EQ(last.refreshed, (MachineSlot{2, 1}));
    EXPECT_TRUE(view.rowsBuilt());
    EXPECT_EQ(hub.requests, (std::vector<std::string>{"REMOTE_VIEW,", "_UPDATE, 0 5",
                                                      "_UPDATE, 1 7", "_UPDATE, 2 1"}));
}

TEST_F(MonitoringStartupTest, OnlyACompleteRecordMarksItsMachineReceived)
{
    view.datagramArrived(withNul("_INI:@0"));
    struct Row {
        const char* scenario;
        std::string datagram;
    };
    std::vector<std::string> fields = test::fullRecordFields();
    fields[0] = "0";
    fields[1] = "5";
    const Row rows[] = {
        {"ends after field 88", recordDatagram(fields, 88)},
        {"station kind 3", recordDatagram({0, 5}, 3)},
        {"the word after other text", "ALARM " + recordDatagram({0, 5})},
    };
    for (const Row& row : rows) {
        hub.requests.clear();
        view.datagramArrived(row.datagram);
        EXPECT_TRUE(view.isPending({0, 5})) << row.scenario;
        EXPECT_TRUE(hub.requests.empty()) << row.scenario;
    }
    EXPECT_EQ(view.record({0, 5}).receivedStationKind, 3);
}

TEST_F(MonitoringStartupTest, ARecordOfAnotherMachineAsksForTheFirstPendingAgain)
{
    view.datagramArrived(withNul("_INI:@0"));
    hub.requests.clear();
    const StartupReport pushed = view.datagramArrived(recordDatagram({9, 0}));
    EXPECT_EQ(pushed.refreshed, (MachineSlot{9, 0}));
    EXPECT_EQ(view.record({9, 0}).name, "LATHE 3");
    EXPECT_EQ(hub.requests, (std::vector<std::string>{"_UPDATE, 0 5"}));
}

TEST_F(MonitoringStartupTest, OnceTheRowsAreBuiltStartupIsIgnored)
{
    for (const MachineSlot slot : {MachineSlot{0, 5}, MachineSlot{1, 7}, MachineSlot{2, 1}})
        view.datagramArrived(recordDatagram(slot));
    ASSERT_TRUE(view.rowsBuilt());
    hub.requests.clear();
    const StartupReport report = view.datagramArrived(withNul("_INI:@01,7,0,0,0\n"));
    EXPECT_FALSE(report.startupApplied);
    EXPECT_EQ(view.record({1, 7}).name, "LATHE 3");  // not reset
    EXPECT_TRUE(hub.requests.empty());
    EXPECT_EQ(view.datagramArrived(recordDatagram({1, 7})).refreshed, (MachineSlot{1, 7}));
    EXPECT_TRUE(hub.requests.empty());
}

TEST(MonitoringStartupEmptyListTest, AViewWithoutMachinesBuildsItsRowsOnStartup)
{
    RecordingHub hub;
    MonitoringStartup view({}, hub, [] { return kNow; });
    EXPECT_TRUE(view.datagramArrived(withNul("_INI:@1")).rowsReady);
    EXPECT_FALSE(view.startupList().countsSupplied);
    EXPECT_TRUE(hub.requests.empty());
}

}  // namespace
}  // namespace quillon
