#include "bridge/HubFollower.h"

#include <gtest/gtest.h>

#include "monitoring/Datagrams.h"
#include "monitoring/HubDatagramSamples.h"
#include "platform/Clock.h"

namespace quillon {
namespace {

constexpr std::int64_t kStart = 1'780'000'000;
constexpr MachineSlot kLathe{11, 3};  // the sample record's machine

// Field n of the sample record is fields[n - 1].
constexpr std::size_t kGood1 = 13;
constexpr std::size_t kPart1 = 16;
constexpr std::size_t kPart2 = 17;
constexpr std::size_t kStatus = 18;
constexpr std::size_t kStatusAgo = 34;
constexpr std::size_t kTotal1 = 86;

struct Request {
    std::string word;
    std::optional<MachineSlot> slot;
    bool operator==(const Request&) const = default;
};

class RecordingHub final : public HubRequests {
public:
    void sendWord(std::string_view word) override { sent.push_back({std::string(word), {}}); }
    void sendMachineRequest(std::string_view word, MachineSlot slot) override
    {
        sent.push_back({std::string(word), slot});
    }
    void sendStatus(MachineSlot, std::string_view) override {}
    void sendSetup(MachineSlot, const SetupChange&) override {}
    std::vector<Request> sent;
};

class Heard final : public FollowerListener {
public:
    void stateChanged(const MachineSnapshot& state) override { states.push_back(state); }
    void eventHappened(const MachineEvent& event) override { events.push_back(event); }
    std::vector<MachineSnapshot> states;
    std::vector<MachineEvent> events;
};

std::string startupList(std::initializer_list<MachineSlot> machines)
{
    std::string text = "_INI:@0";
    for (const MachineSlot slot : machines)
        text += std::string(1, "0123456789abcdef"[slot.hub]) + ',' + std::to_string(slot.port) +
                ",0,1,1\n";
    text += '\0';
    return text;
}

class HubFollowerTest : public ::testing::Test {
protected:
    void make(const std::vector<MachineSlot>& machines)
    {
        follower = std::make_unique<HubFollower>(hub, machines, clock, heard);
        follower->start();
    }
    void record(const std::vector<std::string>& fields)
    {
        follower->datagramArrived(test::recordDatagram(fields, fields.size()));
    }
    void tickFor(std::int64_t seconds)
    {
        for (std::int64_t i = 0; i < seconds; ++i) {
            clock.advance(1);
            follower->tick();
        }
    }

    FixedClock clock{kStart};
    RecordingHub hub;
    Heard heard;
    std::unique_ptr<HubFollower> follower;
    std::vector<std::string> fields = test::fullRecordFields();
};

TEST_F(HubFollowerTest, FetchesEveryConfiguredAndListedMachineOneAtATime)
{
    make({{0, 1}, kLathe});
    ASSERT_EQ(hub.sent, (std::vector<Request>{{std::string(kRemoteViewWord), {}}}));
    // The hub's list names a machine the configuration did not.
    follower->datagramArrived(startupList({{0, 1}, {2, 5}}));
    EXPECT_EQ(follower->followedCount(), 3u);
    EXPECT_EQ(hub.sent.back(), (Request{std::string(kRecordRequestWord), MachineSlot{0, 1}}));

    follower->datagramArrived(test::recordDatagram({0, 1}));
    EXPECT_EQ(hub.sent.back(), (Request{std::string(kRecordRequestWord), MachineSlot{2, 5}}));
    follower->datagramArrived(test::recordDatagram({2, 5}));
    EXPECT_EQ(hub.sent.back(), (Request{std::string(kRecordRequestWord), kLathe}));
    follower->datagramArrived(test::recordDatagram(kLathe, 1));
    EXPECT_EQ(follower->pendingCount(), 0u);
    ASSERT_EQ(heard.states.size(), 3u);
    EXPECT_TRUE(heard.events.empty()) << "a first state has nothing to compare with";
}

TEST_F(HubFollowerTest, AMachineThatNeverAnswersDoesNotHoldUpTheOthers)
{
    make({{0, 0}, {0, 1}});
    follower->datagramArrived(startupList({}));
    ASSERT_EQ(hub.sent.back().slot, (MachineSlot{0, 0}));
    tickFor(HubFollower::kRequestRetrySeconds);
    EXPECT_EQ(hub.sent.back().slot, (MachineSlot{0, 1}));
    follower->datagramArrived(test::recordDatagram({0, 1}));
    EXPECT_EQ(hub.sent.back().slot, (MachineSlot{0, 0})) << "the silent one is asked again";
}

TEST_F(HubFollowerTest, PublishesOnlyWhatChangedAndTellsTheEventsInOrder)
{
    make({kLathe});
    record(fields);
    ASSERT_EQ(heard.states.size(), 1u);
    EXPECT_EQ(heard.states[0].status, "CYCLE ON");

    // The same record again, a second later: its "seconds ago" lands one second apart.
    clock.advance(1);
    fields[kStatusAgo] = "51";
    record(fields);
    EXPECT_EQ(heard.states.size(), 1u);

    fields[kStatus] = "CYCLE OFF";
    fields[kPart1] = "P-101";
    fields[kPart2] = "P-201";
    fields[kGood1] = "8";
    fields[kTotal1] = "31";
    record(fields);
    ASSERT_EQ(heard.states.size(), 2u);
    EXPECT_EQ(heard.states[1].stations[0].goodCount, 8);
    ASSERT_EQ(heard.events.size(), 4u);
    EXPECT_EQ(heard.events[0].kind, MachineEvent::Kind::Status);
    EXPECT_EQ(heard.events[0].oldText, "CYCLE ON");
    EXPECT_EQ(heard.events[0].newText, "CYCLE OFF");
    EXPECT_EQ(heard.events[1].kind, MachineEvent::Kind::PartNumber);
    EXPECT_EQ(heard.events[1].station, 1);
    EXPECT_EQ(heard.events[2].kind, MachineEvent::Kind::PartNumber);
    EXPECT_EQ(heard.events[2].station, 2);
    EXPECT_EQ(heard.events[2].newText, "P-201");
    EXPECT_EQ(heard.events[3].kind, MachineEvent::Kind::Count);
    EXPECT_EQ(heard.events[3].oldGood, 7);
    EXPECT_EQ(heard.events[3].newGood, 8);
    EXPECT_EQ(heard.events[3].oldTotal, 30);
    EXPECT_EQ(heard.events[3].newTotal, 31);
}

TEST_F(HubFollowerTest, ARecordCutShortSaysNothing)
{
    make({kLathe});
    record(fields);
    fields[kStatus] = "ALARM";
    // The status field arrived, the rest of the record did not.
    follower->datagramArrived(test::recordDatagram(fields, kStatus + 5));
    EXPECT_EQ(heard.states.size(), 1u);
    EXPECT_TRUE(heard.events.empty());
    // The next whole record brings the change (and only once).
    record(fields);
    ASSERT_EQ(heard.states.size(), 2u);
    ASSERT_EQ(heard.events.size(), 1u);
    EXPECT_EQ(heard.events[0].newText, "ALARM");
}

TEST_F(HubFollowerTest, ASilentMachineIsAskedForThenMarkedStaleAndComesBack)
{
    make({kLathe});
    record(fields);
    hub.sent.clear();

    tickFor(HubFollower::kStaleAfterSeconds / 2);
    // The subscription is renewed with the request: answers alone would hide a hub that
    // forgot us.
    ASSERT_EQ(hub.sent, (std::vector<Request>{{std::string(kRemoteViewWord), {}},
                                              {std::string(kRecordRequestWord), kLathe}}));
    EXPECT_EQ(heard.states.size(), 1u);

    tickFor(HubFollower::kStaleAfterSeconds / 2 - 1);
    EXPECT_EQ(heard.states.size(), 1u);
    tickFor(1);
    ASSERT_EQ(heard.states.size(), 2u);
    EXPECT_TRUE(heard.states[1].stale);
    tickFor(10);
    EXPECT_EQ(heard.states.size(), 2u) << "stale is told once";

    // It answers at last, having stopped meanwhile.
    fields[kStatus] = "CYCLE OFF";
    record(fields);
    ASSERT_EQ(heard.states.size(), 3u);
    EXPECT_FALSE(heard.states[2].stale);
    ASSERT_EQ(heard.events.size(), 1u);
    EXPECT_EQ(heard.events[0].oldText, "CYCLE ON");
}

TEST_F(HubFollowerTest, AQuietMachineThatAnswersIsNeverStale)
{
    make({kLathe});
    record(fields);
    hub.sent.clear();
    for (int round = 1; round <= 4; ++round) {
        tickFor(HubFollower::kStaleAfterSeconds / 2);
        ASSERT_EQ(hub.sent.back(), (Request{std::string(kRecordRequestWord), kLathe}));
        EXPECT_EQ(hub.sent.size(), round * 2u);
        // The answer: nothing new, the status only older.
        fields[kStatusAgo] = std::to_string(50 + round * HubFollower::kStaleAfterSeconds / 2);
        record(fields);
    }
    EXPECT_EQ(heard.states.size(), 1u);
}

TEST_F(HubFollowerTest, RecordsOfMachinesNoListNamedAreFollowedToo)
{
    make({});
    follower->datagramArrived(test::recordDatagram({4, 2}));
    EXPECT_TRUE(follower->follows({4, 2}));
    ASSERT_EQ(heard.states.size(), 1u);
    EXPECT_EQ(heard.states[0].slot, (MachineSlot{4, 2}));
}

}  // namespace
}  // namespace quillon
