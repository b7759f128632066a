// The hub's side of the UDP exchange, without a socket: a datagram in (its bytes and who
// sent it), the datagrams to send out (and to whom). It keeps the subscribers of the two
// feeds and pushes what changed to them on every tick.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hubsim/HubModel.h"
#include "hubsim/SimulatedTime.h"
#include "platform/Clock.h"

namespace quillon::hubsim {

// An IPv4 address (first octet most significant) and a UDP port.
struct Endpoint {
    std::int32_t address = 0;
    std::uint16_t port = 0;
    bool operator==(const Endpoint&) const = default;
};

struct Datagram {
    Endpoint to;
    std::string bytes;
};

struct Answer {
    std::vector<Datagram> datagrams;
    // One line for the log: the request and what it got; empty for a datagram ignored.
    std::string summary;
};

enum class Feed { Machines, Monitoring };

// A client hears of nothing for this long and says nothing either: it is taken for gone and
// gets no more pushes. (A live client that hears nothing re-subscribes after 150 seconds,
// on the real clock, which is what this counts on; one that keeps hearing pushes says
// nothing at all, and is kept.)
inline constexpr std::int64_t kSubscriberTimeout = 10 * 60;
// Clients that went away without a word while pushes still flowed are dropped only when
// the feed is full: the one heard from longest ago makes room.
inline constexpr std::size_t kMostSubscribers = 64;

class HubResponder {
public:
    // Replies go to the sender's address, on `clientPort` when given, else on the port the
    // request came from.
    HubResponder(HubModel& model, const SimulatedTime& time, const Clock& realClock,
                 std::optional<std::uint16_t> clientPort = std::nullopt);

    Answer handle(std::string_view bytes, Endpoint from);
    // Lets the machines live up to now, forgets silent subscribers and pushes what changed
    // since the last push: a record per changed machine to the monitoring feed, the states
    // of all machines to the machine feed when any changed.
    std::vector<Datagram> tick();

    std::size_t subscriberCount(Feed feed) const;

private:
    struct Subscriber {
        std::string identity;
        std::int32_t address = 0;
        std::uint16_t replyPort = 0;
        std::int64_t lastHeard = 0;
        std::int64_t lastPushed = 0;
    };
    struct Request {
        std::string_view word;
        std::string_view identity;
        std::vector<std::string_view> fields;  // after the identity
        Endpoint from;
        Endpoint replyTo;
    };
    using Handler = Answer (HubResponder::*)(const Request&);

    Answer subscribeMachines(const Request& request);
    Answer machineStates(const Request& request);
    Answer subscribeMonitoring(const Request& request);
    Answer record(const Request& request);
    Answer statusList(const Request& request);
    Answer setStatus(const Request& request);
    Answer unsubscribe(const Request& request, Feed feed);
    Answer unsubscribeMachines(const Request& request);
    Answer unsubscribeMonitoring(const Request& request);

    std::vector<Subscriber>& subscribers(Feed feed);
    void subscribe(Feed feed, const Request& request);
    void renew(const Request& request);
    const Machine* requestedMachine(const Request& request) const;
    void pushRecord(const Machine& machine, std::vector<Datagram>& out);
    void push(std::vector<Subscriber>& feed, const std::string& bytes, std::vector<Datagram>& out);

    HubModel& m_model;
    const SimulatedTime& m_time;
    const Clock& m_realClock;
    std::optional<std::uint16_t> m_clientPort;
    std::vector<Subscriber> m_machineFeed;
    std::vector<Subscriber> m_monitoringFeed;
    std::vector<std::uint64_t> m_pushedVersions;
    std::string m_pushedStates;
    // The request words this hub answers; new requests slot in here.
    std::map<std::string, Handler, std::less<>> m_handlers;
};

}  // namespace quillon::hubsim
