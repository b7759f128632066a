// The link's state machine: which window gets which datagram, and when the feeds are
// subscribed, re-subscribed and ended.
#include "monitoring/HubLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitoring/HubDatagramSamples.h"
#include "platform/Ipv4Address.h"

namespace quillon {
namespace {

using test::recordDatagram;
using test::withNul;

constexpr std::int32_t kHub = ipv4Of(10, 0, 0, 1);
constexpr std::int32_t kLocal = ipv4Of(10, 0, 0, 5);
constexpr std::int64_t kStart = 1'700'000'000;

// Every delivery as "<window>:<datagram text>", in order.
struct Deliveries {
    std::vector<std::string> log;
};

class Window final : public DatagramReceiver {
public:
    Window(Deliveries& deliveries, std::string name) : m_deliveries(deliveries), m_name(name) {}
    void datagramArrived(std::string_view bytes) override
    {
        m_deliveries.log.push_back(m_name + ":" + std::string(bytes.substr(0, bytes.find('\0'))));
        sizes.push_back(bytes.size());
    }
    std::vector<std::size_t> sizes;

private:
    Deliveries& m_deliveries;
    std::string m_name;
};

class ShiftGraph final : public ShiftGraphReceiver {
public:
    void machineRefreshed(MachineSlot slot) override { refreshed.push_back(slot); }
    // A window closes itself, and lets go of its place in the link as it does.
    void detailedViewClosed() override
    {
        ++closings;
        if (link)
            link->shiftGraphClosed(*this);
    }
    std::vector<MachineSlot> refreshed;
    int closings = 0;
    HubLink* link = nullptr;
};

class HubLinkTest : public ::testing::Test {
protected:
    HubLinkTest()
        : link(kHub, kLocal, clock, [this](std::string_view bytes) {
              ASSERT_EQ(bytes.back(), '\0');
              sent.emplace_back(bytes.substr(0, bytes.size() - 1));
          })
    {
    }

    void fromHub(const std::string& bytes) { link.datagramArrived(bytes, kHub); }
    // One main-frame tick a second later.
    void tick()
    {
        clock.advance(1);
        link.timerTick();
    }
    void openAllViews()
    {
        link.monitoringViewOpened(MonitoringView::Detailed, detailed);
        link.monitoringViewOpened(MonitoringView::Graph, graph);
        link.monitoringViewOpened(MonitoringView::TimeLine, timeline);
    }

    FixedClock clock{kStart};
    std::vector<std::string> sent;
    HubLink link;
    Deliveries deliveries;
    Window detailed{deliveries, "detailed"};
    Window graph{deliveries, "graph"};
    Window timeline{deliveries, "timeline"};
    Window machines{deliveries, "machines"};
};

TEST_F(HubLinkTest, MonitoringDatagramsReachTheViewsInTheirOrder)
{
    openAllViews();
    struct Row {
        const char* scenario;
        std::string datagram;
        std::vector<std::string> windows;
    };
    const Row rows[] = {
        {"record", withNul("_UPDATE:1,2"), {"timeline", "detailed", "graph"}},
        {"record after other text", withNul("xx_UPDATE:1,2"), {"timeline", "detailed", "graph"}},
        {"start-up", withNul("_INI:@0"), {"detailed", "timeline", "graph"}},
        {"status list", withNul("_MON_LIST:1,2,A,"), {"detailed"}},
        {"unknown", withNul("HELLO"), {}},
        {"machine feed", withNul("_MCHINI:A"), {}},
    };
    for (const Row& row : rows) {
        deliveries.log.clear();
        fromHub(row.datagram);
        std::vector<std::string> windows;
        for (const std::string& entry : deliveries.log)
            windows.push_back(entry.substr(0, entry.find(':')));
        EXPECT_EQ(windows, row.windows) << row.scenario;
    }
    EXPECT_TRUE(sent.empty());
}

TEST_F(HubLinkTest, ARecordRefreshesTheShiftGraphsOfItsMachine)
{
    link.monitoringViewOpened(MonitoringView::Detailed, detailed);
    ShiftGraph ofB3, ofB4;
    ASSERT_TRUE(link.shiftGraphOpened(ofB3, {11, 3}));
    ASSERT_TRUE(link.shiftGraphOpened(ofB4, {11, 4}));
    fromHub(recordDatagram({11, 3}));
    fromHub(withNul("ALARM _UPDATE:b,3,1"));
    fromHub(withNul("_UPDATE:b"));     // no port: the views get it, no graph does
    fromHub(withNul("_UPDATE:10,3"));  // hub 16
    EXPECT_EQ(ofB3.refreshed, (std::vector<MachineSlot>{{11, 3}, {11, 3}}));
    EXPECT_TRUE(ofB4.refreshed.empty());
    EXPECT_EQ(deliveries.log.size(), 4u);

    link.shiftGraphClosed(ofB3);
    fromHub(recordDatagram({11, 3}));
    EXPECT_EQ(ofB3.refreshed.size(), 2u);
}

TEST_F(HubLinkTest, AtMostFourShiftGraphsAreTold)
{
    ShiftGraph graphs[5];
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(link.shiftGraphOpened(graphs[i], {0, i}));
    EXPECT_FALSE(link.shiftGraphOpened(graphs[4], {0, 4}));
    EXPECT_TRUE(link.shiftGraphOpened(graphs[0], {1, 0}));  // the same window, moved on
    link.shiftGraphClosed(graphs[1]);
    EXPECT_TRUE(link.shiftGraphOpened(graphs[4], {0, 4}));
}

TEST_F(HubLinkTest, TheDetailedViewTakesTheShiftGraphsWithItUnlessMinimized)
{
    Deliveries deliveries;
    Window detailed(deliveries, "detailed"), graphView(deliveries, "graph");
    ShiftGraph graphs[3];
    for (int i = 0; i < 3; ++i) {
        graphs[i].link = &link;
        ASSERT_TRUE(link.shiftGraphOpened(graphs[i], {0, i}));
    }
    link.monitoringViewOpened(MonitoringView::Detailed, detailed);
    link.monitoringViewOpened(MonitoringView::Graph, graphView);
    link.monitoringViewClosed(MonitoringView::Graph);
    link.monitoringViewClosed(MonitoringView::Detailed, true);
    for (const ShiftGraph& graph : graphs)
        EXPECT_EQ(graph.closings, 0);
    link.monitoringViewOpened(MonitoringView::Detailed, detailed);
    link.monitoringViewClosed(MonitoringView::Detailed);
    for (const ShiftGraph& graph : graphs)
        EXPECT_EQ(graph.closings, 1);
    // Their places are free again.
    ShiftGraph more[4];
    for (ShiftGraph& graph : more)
        EXPECT_TRUE(link.shiftGraphOpened(graph, {1, 1}));
}

TEST_F(HubLinkTest, MachineFeedDatagramsGoWholeToTheMachineDisplay)
{
    link.machineDisplayOpened(machines);
    std::string states(kMachineStatesWord);
    states += std::string(2 * kMachineSlots, '\0');
    fromHub(states);
    fromHub(withNul("_MCHINI:LATHE"));
    fromHub(withNul("_UPDATE:1,2"));
    EXPECT_EQ(deliveries.log,
              (std::vector<std::string>{"machines:_MCHUPDATE:", "machines:_MCHINI:LATHE"}));
    EXPECT_EQ(machines.sizes.front(), states.size());
    EXPECT_TRUE(link.machineFeedActive());
}

TEST_F(HubLinkTest, ClosingTheLastViewUnsubscribesOnceOnTheNextDatagram)
{
    openAllViews();
    fromHub(withNul("_INI:@0"));
    EXPECT_TRUE(link.monitoringFeedActive());
    link.monitoringViewClosed(MonitoringView::Detailed);
    link.monitoringViewClosed(MonitoringView::Graph);
    fromHub(withNul("_UPDATE:1,2"));
    EXPECT_TRUE(sent.empty());  // the timeline is still open
    link.monitoringViewClosed(MonitoringView::TimeLine);
    tick();
    EXPECT_TRUE(sent.empty());  // nothing until a datagram comes
    fromHub(withNul("_UPDATE:1,2"));
    fromHub(withNul("_UPDATE:1,2"));
    EXPECT_EQ(sent, (std::vector<std::string>{"REMOTE_DISCONNECT,167772165"}));
    EXPECT_FALSE(link.monitoringFeedActive());
}

TEST_F(HubLinkTest, TheDatagramThatUnsubscribesStillFeedsTheMachineDisplay)
{
    link.monitoringViewOpened(MonitoringView::Graph, graph);
    fromHub(withNul("_INI:@0"));
    link.monitoringViewClosed(MonitoringView::Graph);
    link.machineDisplayOpened(machines);
    deliveries.log.clear();
    fromHub(withNul("_MCHINI:MILL"));
    EXPECT_EQ(sent, (std::vector<std::string>{"REMOTE_DISCONNECT,167772165"}));
    EXPECT_EQ(deliveries.log, (std::vector<std::string>{"machines:_MCHINI:MILL"}));
}

TEST_F(HubLinkTest, ClosingTheMachineDisplayUnsubscribesOnceOnTheNextDatagram)
{
    link.machineDisplayOpened(machines);
    fromHub(withNul("_MCHINI:"));
    link.machineDisplayClosed();
    EXPECT_TRUE(sent.empty());
    fromHub(withNul("ANYTHING"));
    fromHub(withNul("ANYTHING"));
    EXPECT_EQ(sent, (std::vector<std::string>{"MCH_DISCONNECT,167772165"}));
}

TEST_F(HubLinkTest, DatagramsFromAnyOtherSourceAreIgnored)
{
    openAllViews();
    link.machineDisplayOpened(machines);
    fromHub(withNul("_INI:@0"));
    fromHub(withNul("_MCHINI:"));
    link.monitoringViewClosed(MonitoringView::Detailed);
    link.monitoringViewClosed(MonitoringView::Graph);
    link.monitoringViewClosed(MonitoringView::TimeLine);
    link.machineDisplayClosed();
    deliveries.log.clear();
    link.datagramArrived(withNul("_UPDATE:1,2"), ipv4Of(10, 0, 0, 66));
    link.datagramArrived(withNul("_MCHINI:"), ipv4Of(10, 0, 0, 66));
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(link.monitoringFeedActive());
    EXPECT_TRUE(link.machineFeedActive());

    link.monitoringViewOpened(MonitoringView::Detailed, detailed);
    link.datagramArrived(withNul("_UPDATE:1,2"), ipv4Of(10, 0, 0, 66));
    EXPECT_TRUE(deliveries.log.empty());
}

TEST_F(HubLinkTest, MachineViewOnTheThirdTickThenEvery151SecondsOfSilence)
{
    link.timerTick();
    link.machineDisplayOpened(machines);
    std::vector<std::int64_t> sentAt;
    for (int second = 1; second <= 400; ++second) {
        tick();
        if (!sent.empty()) {
            EXPECT_EQ(sent.back(), "MCH_VIEW,167772165");
            sentAt.push_back(clock.now() - kStart);
            sent.clear();
        }
    }
    EXPECT_EQ(sentAt, (std::vector<std::int64_t>{3, 151, 302}));
}

TEST_F(HubLinkTest, MachineDatagramsKeepTheMachineFeedFromBeingAskedAgain)
{
    link.machineDisplayOpened(machines);
    for (int second = 1; second <= 400; ++second) {
        tick();
        if (second % 100 == 0)
            fromHub(withNul("_MCHINI:"));
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"MCH_VIEW,167772165"}));

    // Reopened, the display asks on its third tick again.
    link.machineDisplayClosed();
    tick();
    link.machineDisplayOpened(machines);
    sent.clear();
    tick();
    tick();
    EXPECT_TRUE(sent.empty());
    tick();
    EXPECT_EQ(sent, (std::vector<std::string>{"MCH_VIEW,167772165"}));
}

TEST_F(HubLinkTest, AnOpenViewResubscribesAfter150SecondsOfSilence)
{
    link.timerTick();
    link.monitoringViewOpened(MonitoringView::TimeLine, timeline);
    std::vector<std::int64_t> sentAt;
    for (int second = 1; second <= 500; ++second) {
        tick();
        if (second == 200)
            fromHub(withNul("_UPDATE:0,0"));  // the feed speaks: silence counts from here
        if (!sent.empty()) {
            EXPECT_EQ(sent.back(), "REMOTE_VIEW,167772165");
            sentAt.push_back(second);
            sent.clear();
        }
    }
    EXPECT_EQ(sentAt, (std::vector<std::int64_t>{151, 351}));
}

TEST_F(HubLinkTest, AnUnsetClockReadingIsReplacedByTheLastGoodOne)
{
    link.timerTick();
    clock.set(9999);
    link.timerTick();
    EXPECT_EQ(link.now(), kStart);
    clock.set(10000);
    link.timerTick();
    EXPECT_EQ(link.now(), 10000);

    FixedClock unset(0);
    HubLink fresh(kHub, kLocal, unset, {});
    fresh.timerTick();
    EXPECT_EQ(fresh.now(), 0);
}

TEST(HubLinkSendingTest, WithoutALocalAddressNothingIsSent)
{
    FixedClock clock(kStart);
    int sends = 0;
    HubLink link(kHub, 0, clock, [&](std::string_view) { ++sends; });
    link.sendWord(kRemoteViewWord);
    link.sendMachineRequest(kRecordRequestWord, {1, 1});
    link.sendStatus({1, 1}, "SETUP");
    link.sendSetup({1, 1}, SetupChange{});
    EXPECT_EQ(sends, 0);
}

TEST_F(HubLinkTest, FollowersGetRecordsAndStartUpListsAfterTheViewsAndKeepTheFeed)
{
    Window bridge{deliveries, "bridge"};
    Window board{deliveries, "board"};
    link.monitoringViewOpened(MonitoringView::Detailed, detailed);
    link.followerOpened(bridge);
    link.followerOpened(board);
    link.followerOpened(bridge);  // once is enough
    fromHub(withNul("_UPDATE:1,2"));
    fromHub(withNul("_INI:@0"));
    fromHub(withNul("_MON_LIST:1,2,A,"));
    EXPECT_EQ(deliveries.log,
              (std::vector<std::string>{"detailed:_UPDATE:1,2", "bridge:_UPDATE:1,2",
                                        "board:_UPDATE:1,2", "detailed:_INI:@0", "bridge:_INI:@0",
                                        "board:_INI:@0", "detailed:_MON_LIST:1,2,A,"}));

    // With the view closed the followers alone keep the feed: nothing is unsubscribed, and
    // a silent feed is asked for again.
    link.monitoringViewClosed(MonitoringView::Detailed);
    link.followerClosed(bridge);
    sent.clear();
    fromHub(withNul("_UPDATE:1,2"));
    EXPECT_TRUE(sent.empty());
    for (int second = 0; second <= HubLink::kResubscribeAfterSeconds; ++second)
        tick();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].starts_with("REMOTE_VIEW,"));

    // The last one gone, the next datagram ends the feed.
    link.followerClosed(board);
    sent.clear();
    fromHub(withNul("_UPDATE:1,2"));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].starts_with(kRemoteDisconnectWord)) << sent[0];
}

}  // namespace
}  // namespace quillon
