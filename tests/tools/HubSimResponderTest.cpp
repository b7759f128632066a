// The simulated hub's side of the UDP exchange, without a socket: every request form gets
// its reply in the form the client reads, pushes reach subscribers only, and a subscriber
// that went away is let go.
#include <gtest/gtest.h>

#include <numeric>
#include <set>

#include "hubsim/HubDatagrams.h"
#include "hubsim/HubResponder.h"
#include "platform/Ipv4Address.h"

namespace quillon::hubsim {
namespace {

constexpr std::int64_t kStart = 1796709600 + 2 * 3600;  // two hours into a shift
const Endpoint kClient{ipv4Of(192, 168, 1, 10), 17};
const std::string kIdentity = "-1062731510";  // 192.168.1.10
const Endpoint kOtherClient{ipv4Of(10, 0, 0, 5), 40001};
const std::string kOtherIdentity = "167772165";

std::string request(std::string_view text)
{
    return std::string(text) + '\0';
}

// The text of a datagram between its word and its one closing NUL.
std::string bodyOf(const std::string& datagram, std::string_view word)
{
    EXPECT_EQ(datagram.rfind(word, 0), 0u) << datagram;
    EXPECT_FALSE(datagram.empty());
    EXPECT_EQ(datagram.back(), '\0');
    const std::string body = datagram.substr(word.size(), datagram.size() - word.size() - 1);
    EXPECT_EQ(body.find('\0'), std::string::npos) << "a NUL inside the text";
    return body;
}

class HubSimResponder : public ::testing::Test {
protected:
    // At speed 0 the machines stand still: the hub has nothing to push.
    explicit HubSimResponder(int machines = 128, double speed = 1)
        : m_clock(kStart),
          m_model({machines, 21}, kStart),
          m_time(m_clock, speed),
          m_responder(m_model, m_time, m_clock)
    {
    }

    Answer ask(std::string_view text, Endpoint from = kClient)
    {
        return m_responder.handle(request(text), from);
    }
    // The one datagram a request gets, sent back to the client.
    std::string only(std::string_view text, Endpoint from = kClient)
    {
        const Answer answer = ask(text, from);
        EXPECT_EQ(answer.datagrams.size(), 1u) << text;
        if (answer.datagrams.empty())
            return {};
        EXPECT_EQ(answer.datagrams[0].to, from);
        EXPECT_FALSE(answer.summary.empty());
        return answer.datagrams[0].bytes;
    }
    std::vector<Datagram> later(std::int64_t seconds)
    {
        m_clock.advance(seconds);
        return m_responder.tick();
    }

    FixedClock m_clock;  // first: the simulated time starts from it
    HubModel m_model;
    SimulatedTime m_time;
    HubResponder m_responder;
};

TEST_F(HubSimResponder, MachineNamesAreAllSlotsCutTo18Characters)
{
    const std::string reply = only("MCH_VIEW," + kIdentity);
    ASSERT_EQ(reply.rfind("_MCHINI:", 0), 0u);
    std::string_view rest = std::string_view(reply).substr(8);
    bool sawLongName = false;
    for (int index = 0; index < kMachineSlots; ++index) {
        const auto end = rest.find('\0');
        ASSERT_NE(end, std::string_view::npos) << "slot " << index;
        const std::string& full = m_model.machines()[static_cast<std::size_t>(index)].name;
        sawLongName = sawLongName || full.size() > 18;
        EXPECT_EQ(rest.substr(0, end), full.substr(0, 18));
        rest.remove_prefix(end + 1);
    }
    EXPECT_TRUE(rest.empty()) << "bytes after the 128th name";
    EXPECT_TRUE(sawLongName);
}

TEST_F(HubSimResponder, MachineStatesAre256BytesOfPairs)
{
    const std::string reply = only("_MCHUPDATE," + kIdentity);
    ASSERT_EQ(reply.size(), 11u + 256u + 1u);
    EXPECT_EQ(reply.substr(0, 11), "_MCHUPDATE:");
    EXPECT_EQ(reply.back(), '\0');
    int inCycle = 0;
    for (const Machine& m : m_model.machines()) {
        const auto at = 11 + 2 * static_cast<std::size_t>(m.slot.index());
        EXPECT_EQ(reply[at], 1) << m.name;
        EXPECT_EQ(reply[at + 1], m.inCycle() ? 1 : 0) << m.name;
        inCycle += reply[at + 1];
    }
    EXPECT_GT(inCycle, 0);
}

TEST_F(HubSimResponder, MonitoringStartListsEveryMachineLine)
{
    const std::string body = bodyOf(only("REMOTE_VIEW," + kIdentity), "_INI:@");
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body[0], '0') << "this hub supplies counts";
    std::string_view lines = std::string_view(body).substr(1);
    for (const Machine& m : m_model.machines()) {
        const auto end = lines.find('\n');
        ASSERT_NE(end, std::string_view::npos);
        const auto fields = splitAtCommas(lines.substr(0, end));
        ASSERT_EQ(fields.size(), 5u);
        EXPECT_EQ(std::stoi(std::string(fields[0]), nullptr, 16), m.slot.hub);
        EXPECT_EQ(fields[0], std::string(1, "0123456789abcdef"[m.slot.hub]));
        EXPECT_EQ(std::stoi(std::string(fields[1])), m.slot.port);
        EXPECT_EQ(std::stoi(std::string(fields[2])), static_cast<int>(m.kind));
        EXPECT_EQ(fields[3], m.reportsFeedOverride ? "1" : "0");
        EXPECT_EQ(fields[4], m.reportsSpindleOverride ? "1" : "0");
        lines.remove_prefix(end + 1);
    }
    EXPECT_TRUE(lines.empty());
}

TEST_F(HubSimResponder, EveryDatagramOfAFullHubFitsTheClientsBuffer)
{
    std::vector<std::string> replies = {
        only("MCH_VIEW," + kIdentity),
        only("_MCHUPDATE," + kIdentity),
        only("REMOTE_VIEW," + kIdentity),
        only("_GETMON_LIST," + kIdentity + ",f,7"),
    };
    for (const Machine& m : m_model.machines())
        replies.push_back(only("_UPDATE," + kIdentity + "," +
                               std::string(1, "0123456789abcdef"[m.slot.hub]) + "," +
                               std::to_string(m.slot.port)));
    for (const std::string& reply : replies)
        EXPECT_LE(reply.size(), kClientReceiveLimit) << reply.substr(0, 12);
}

TEST_F(HubSimResponder, ARecordHas89FieldsTheClientReads)
{
    // Hub 11, port 3: the client writes the hub as the digit b.
    const std::string body = bodyOf(only("_UPDATE," + kIdentity + ",b,3"), "_UPDATE:");
    const auto f = splitAtCommas(body);
    ASSERT_EQ(f.size(), 89u) << body;
    const Machine& m = *m_model.machine({11, 3});
    const auto number = [&](int field) {
        return std::stoll(std::string(f[static_cast<std::size_t>(field - 1)]));
    };
    EXPECT_EQ(f[0], "b");
    EXPECT_EQ(number(2), 3);
    EXPECT_EQ(number(3), static_cast<int>(m.kind));
    EXPECT_LE(number(4), number(5));
    EXPECT_EQ((number(4) + number(5)) / 2, m.stations[0].idealCycle());
    EXPECT_EQ(number(14), m.stations[0].goodCount);
    EXPECT_EQ(f[16], m.stations[0].partNumber);
    EXPECT_EQ(f[18], statusName(m.status));
    EXPECT_EQ(f[19], m.name) << "the full name, as the machine lists hold it";
    EXPECT_EQ(number(31), m.slot.index());
    EXPECT_LE(f[31].size(), 19u);
    for (const int pieces : {33, 34}) {
        EXPECT_GE(number(pieces), 1);
        EXPECT_LE(number(pieces), 100);
    }
    // Seconds ago: never ahead of now, never before the day began.
    for (const int ago : {10, 11, 12, 13, 35, 36}) {
        EXPECT_GE(number(ago), 0) << "field " << ago;
        EXPECT_LT(number(ago), 86400) << "field " << ago;
    }
    long long statusTimes = 0;
    for (int field = 37; field <= 73; ++field)
        statusTimes += number(field);
    EXPECT_EQ(statusTimes, 2 * 3600);
    EXPECT_EQ(number(74), kOeeLowThreshold);
    EXPECT_EQ(number(75), kOeeHighThreshold);
    for (int field = 76; field <= 83; ++field) {
        EXPECT_GE(number(field), 0) << "field " << field;
        EXPECT_LE(number(field), 100) << "field " << field;
    }
    EXPECT_EQ(number(87), m.stations[0].totalCount);
    EXPECT_GE(number(87), number(14));
    EXPECT_EQ(number(88), m.stations[1].totalCount);
}

TEST_F(HubSimResponder, RequestsThatNameNoMachineOrNoRequestGetNothing)
{
    struct Row {
        const char* name;
        std::string text;
    };
    const Row rows[] = {
        {"a hub beyond f", "_UPDATE," + kIdentity + ",g,0"},
        {"a port beyond 7", "_UPDATE," + kIdentity + ",0,8"},
        {"no port", "_UPDATE," + kIdentity + ",0"},
        {"a status list for no machine", "_GETMON_LIST," + kIdentity + ",1,x"},
        {"no identity", "REMOTE_VIEW,"},
        {"no comma at all", "REMOTE_VIEW"},
        {"a word the hub does not know", "HELLO," + kIdentity},
        {"a reply sent back to the hub", "_INI:@0\n"},
    };
    for (const Row& row : rows)
        EXPECT_TRUE(ask(row.text).datagrams.empty()) << row.name;

    HubModel few({3, 21}, kStart);
    HubResponder responder(few, m_time, m_clock);
    EXPECT_TRUE(
        responder.handle(request("_UPDATE," + kIdentity + ",0,3"), kClient).datagrams.empty())
        << "a slot without a machine";
    EXPECT_EQ(responder.handle(request("_UPDATE," + kIdentity + ",0,2"), kClient).datagrams.size(),
              1u);
}

TEST_F(HubSimResponder, RepliesGoToTheClientPortWhenOneIsSet)
{
    HubResponder fixedPort(m_model, m_time, m_clock, 17);
    const Answer answer =
        fixedPort.handle(request("REMOTE_VIEW," + kIdentity), Endpoint{kClient.address, 50123});
    ASSERT_EQ(answer.datagrams.size(), 1u);
    EXPECT_EQ(answer.datagrams[0].to, (Endpoint{kClient.address, 17}));
}

TEST_F(HubSimResponder, StatusListAndStatusChangeReachTheWatchers)
{
    const std::string list = bodyOf(only("_GETMON_LIST," + kIdentity + ",a,6"), "_MON_LIST:");
    // The client reads the hub here in decimal.
    ASSERT_EQ(list.rfind("10,6,", 0), 0u) << list;
    ASSERT_EQ(list.back(), ',');
    const auto statuses = splitAtCommas(std::string_view(list).substr(5, list.size() - 6));
    EXPECT_EQ(statuses.size(), HubModel::settableStatuses().size());
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "SETUP"), statuses.end());

    ASSERT_EQ(ask("REMOTE_VIEW," + kIdentity).datagrams.size(), 1u);
    const Answer set =
        ask("_SETMON_STATUS," + kOtherIdentity + ",a,6,QUALITY CHECK", kOtherClient);
    ASSERT_EQ(set.datagrams.size(), 1u) << "the changed record to the one watcher";
    EXPECT_EQ(set.datagrams[0].to, kClient);
    EXPECT_EQ(splitAtCommas(bodyOf(set.datagrams[0].bytes, "_UPDATE:"))[18], "QUALITY CHECK");

    const Answer refused = ask("_SETMON_STATUS," + kIdentity + ",a,6,CYCLE ON");
    EXPECT_TRUE(refused.datagrams.empty());
    EXPECT_EQ(statusName(m_model.machine({10, 6})->status), "QUALITY CHECK");
}

TEST_F(HubSimResponder, ASetupSetsThePartAndStartsItsCount)
{
    const auto single = std::find_if(m_model.machines().begin(), m_model.machines().end(),
                                     [](const Machine& m) { return m.stationCount() == 1; });
    const auto twin = std::find_if(m_model.machines().begin(), m_model.machines().end(),
                                   [](const Machine& m) { return m.stationCount() == 2; });
    ASSERT_NE(single, m_model.machines().end());
    ASSERT_NE(twin, m_model.machines().end());
    const auto address = [](const Machine& m) {
        return std::string(1, "0123456789abcdef"[m.slot.hub]) + "," + std::to_string(m.slot.port);
    };
    ASSERT_GT(single->stations[0].totalCount, 0);

    ask("_SETMON_STATUS," + kIdentity + "," + address(*single) +
        ",SETUP,A-100,120,150,0,0, ,4,1,");
    EXPECT_EQ(statusName(single->status), "SETUP");
    EXPECT_EQ(single->stations[0].partNumber, "A-100");
    EXPECT_EQ(single->stations[1].partNumber, "A-100");
    EXPECT_EQ(single->stations[0].idealCycle(), 135);
    EXPECT_EQ(single->stations[0].piecesPerCycle, 4);
    EXPECT_EQ(single->stations[0].totalCount, 0);

    ask("_SETMON_STATUS," + kIdentity + "," + address(*twin) + ",SETUP,B-1,60,80,90,110,B-2,2,3,");
    EXPECT_EQ(twin->stations[0].partNumber, "B-1");
    EXPECT_EQ(twin->stations[1].partNumber, "B-2");
    EXPECT_EQ(twin->stations[1].idealCycle(), 100);
    EXPECT_EQ(twin->stations[1].piecesPerCycle, 3);

    const std::string partBefore = twin->stations[0].partNumber;
    for (const std::string& bad : {std::string(",SETUP,C-1,x,80,90,110,C-2,2,3,"),
                                   std::string(",SETUP,C-1,90,80,90,110,C-2,2,3,"),
                                   std::string(",SETUP, ,60,80,90,110,C-2,2,3,")}) {
        EXPECT_TRUE(
            ask("_SETMON_STATUS," + kIdentity + "," + address(*twin) + bad).datagrams.empty());
        EXPECT_EQ(twin->stations[0].partNumber, partBefore) << bad;
    }
}

TEST_F(HubSimResponder, PushesReachSubscribersOfTheirFeedUntilTheyLeave)
{
    ask("REMOTE_VIEW," + kIdentity);
    ask("MCH_VIEW," + kOtherIdentity, kOtherClient);
    // The same identity from another address is another client.
    ask("REMOTE_VIEW," + kIdentity, Endpoint{ipv4Of(192, 168, 1, 11), 17});
    EXPECT_EQ(m_responder.subscriberCount(Feed::Monitoring), 2u);
    EXPECT_EQ(m_responder.subscriberCount(Feed::Machines), 1u);

    const auto pushed = later(kSubscriberTimeout / 2);
    int records = 0, states = 0;
    for (const Datagram& d : pushed) {
        if (d.bytes.rfind("_UPDATE:", 0) == 0) {
            ++records;
            EXPECT_TRUE(d.to == kClient || d.to.address == ipv4Of(192, 168, 1, 11));
        } else {
            ASSERT_EQ(d.bytes.rfind("_MCHUPDATE:", 0), 0u);
            ++states;
            EXPECT_EQ(d.to, kOtherClient);
            EXPECT_EQ(d.bytes.size(), 268u);
        }
    }
    EXPECT_GT(records, 2) << "five minutes change more than one machine";
    EXPECT_EQ(records % 2, 0) << "each change to both watchers";
    EXPECT_EQ(states, 1);
    EXPECT_TRUE(later(0).empty()) << "nothing changed since";

    ask("REMOTE_DISCONNECT," + kIdentity);
    ask("REMOTE_DISCONNECT," + kIdentity, Endpoint{ipv4Of(192, 168, 1, 11), 17});
    ask("MCH_DISCONNECT," + kOtherIdentity, kOtherClient);
    EXPECT_TRUE(later(kSubscriberTimeout / 2).empty());
    // Requests are still answered after a feed stopped.
    EXPECT_EQ(ask("_UPDATE," + kIdentity + ",0,0").datagrams.size(), 1u);
}

class QuietHub : public HubSimResponder {
protected:
    QuietHub() : HubSimResponder(128, 0) {}
};

TEST_F(QuietHub, ASubscriberThatHearsAndSaysNothingIsForgottenOneThatSpeaksIsKept)
{
    ask("REMOTE_VIEW," + kIdentity);
    ask("REMOTE_VIEW," + kOtherIdentity, kOtherClient);
    EXPECT_TRUE(later(kSubscriberTimeout - 60).empty());
    // A live client re-subscribes after 150 silent seconds.
    ask("REMOTE_VIEW," + kOtherIdentity, kOtherClient);
    later(59);
    EXPECT_EQ(m_responder.subscriberCount(Feed::Monitoring), 2u);
    later(1);
    EXPECT_EQ(m_responder.subscriberCount(Feed::Monitoring), 1u);
    later(kSubscriberTimeout);
    EXPECT_EQ(m_responder.subscriberCount(Feed::Monitoring), 0u);
    // A status change is pushed too: it keeps a listener as well as the hub's own changes.
    ask("REMOTE_VIEW," + kIdentity);
    later(kSubscriberTimeout - 1);
    const Endpoint foreman{ipv4Of(10, 0, 0, 9), 17};
    EXPECT_FALSE(ask("_SETMON_STATUS,9,a,6,QUALITY CHECK", foreman).datagrams.empty());
    later(1);
    EXPECT_EQ(m_responder.subscriberCount(Feed::Monitoring), 1u);
}

TEST_F(HubSimResponder, AListenerThatHearsPushesIsKeptThoughItSaysNothing)
{
    ask("REMOTE_VIEW," + kIdentity);
    ask("MCH_VIEW," + kOtherIdentity, kOtherClient);
    // Three timeouts of a busy hub, a push a minute: the client never falls silent, so it
    // never re-subscribes, and must not lose its feed.
    std::size_t records = 0;
    for (std::int64_t t = 0; t < 3 * kSubscriberTimeout; t += 60)
        for (const Datagram& d : later(60))
            records += d.to == kClient;
    EXPECT_EQ(m_responder.subscriberCount(Feed::Monitoring), 1u);
    EXPECT_EQ(m_responder.subscriberCount(Feed::Machines), 1u);
    EXPECT_GT(records, std::size_t(30));
}

TEST_F(HubSimResponder, AFullFeedDropsTheSubscriberHeardFromLongestAgo)
{
    for (std::size_t i = 0; i < kMostSubscribers; ++i) {
        ask("REMOTE_VIEW," + std::to_string(i),
            Endpoint{ipv4Of(10, 1, 0, 1) + std::int32_t(i), 17});
        m_clock.advance(1);
    }
    // The first of them speaks again; the second is now the one heard from longest ago.
    ask("_UPDATE,0,0,0", Endpoint{ipv4Of(10, 1, 0, 1), 17});
    ask("REMOTE_VIEW," + kIdentity);
    EXPECT_EQ(m_responder.subscriberCount(Feed::Monitoring), kMostSubscribers);
    std::set<std::int32_t> pushedTo;
    for (const Datagram& d : later(60))
        pushedTo.insert(d.to.address);
    EXPECT_TRUE(pushedTo.count(ipv4Of(10, 1, 0, 1)));
    EXPECT_FALSE(pushedTo.count(ipv4Of(10, 1, 0, 2)));
    EXPECT_TRUE(pushedTo.count(kClient.address));
}

}  // namespace
}  // namespace quillon::hubsim
