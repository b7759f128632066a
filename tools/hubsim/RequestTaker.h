// The hub's side of remote requests: it watches _TMP/REMOTELOAD.SYS, carries out the
// request it finds there and removes it.
//
//   absent ──(appears)──> waiting ──(unchanged for the delay)──> taken ──> carried out
//                            ^  │                                  │        or refused
//                            └──┘ changed: the wait starts again    └──> removed
//
// A request is taken by renaming it to a name of the hub's own before it is read: what is
// read is exactly what is removed, and a station that interrupts a request and writes a
// new one meanwhile never loses the new one. A download copies the file from the
// machine's DT: folder into the machine's memory (its MACHINE folder, see HubFolder.h); an
// upload copies the machine's file into its DR: folder. Nothing is ever read or written
// outside those folders, whatever the request says.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"

namespace quillon {
struct RemoteRequest;
}

namespace quillon::hubsim {

// What the hub tells: each step it takes, and each request it cannot carry out.
struct RequestEvent {
    bool failure = false;
    std::string text;

    bool operator==(const RequestEvent&) const = default;
};

// Below _TMP: a name of the hub's own that no station writes nor cleans up.
inline constexpr std::string_view kTakenRequestFileName = "REMOTELOAD.TAKEN";

class RequestTaker {
public:
    // `hubDirectory` is the folder whose _SETUP/CairnConf.sys names the machines' DT: and
    // DR: folders; `delay` how long a request stays pending before the hub takes it.
    RequestTaker(std::string hubDirectory, std::chrono::steady_clock::duration delay,
                 const SteadyClock& steadyClock, const Clock& clock);

    // One look at the request file: takes and carries out a request that has waited out
    // the delay. A condition that blocks every request (a folder in its place, the hub's
    // configuration unreadable) is told once, not at every look.
    std::vector<RequestEvent> poll();

private:
    struct Seen {
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const Seen&) const = default;
    };

    std::vector<RequestEvent> take(const std::string& requestPath);
    void carryOut(const RemoteRequest& request, std::vector<RequestEvent>& events) const;
    void block(std::string text, std::vector<RequestEvent>& events);

    std::string m_hubDirectory;
    std::chrono::steady_clock::duration m_delay;
    const SteadyClock& m_steadyClock;
    const Clock& m_clock;
    std::optional<Seen> m_seen;
    std::chrono::steady_clock::time_point m_seenSince{};
    // The last blocking condition told, so that it is not told again.
    std::string m_blocked;
};

}  // namespace quillon::hubsim
