// The command line of quillonlt-hubsim: where the simulated hub listens and what it
// simulates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hubsim/HubModel.h"

namespace quillon::hubsim {

// The hub's well-known port. Below 1024, so binding it needs privileges; a high port
// with the program's QUILLONLT_UDP_PORT set to match avoids that.
inline constexpr std::uint16_t kHubPort = 17;
inline constexpr const char* kDefaultAddress = "127.0.0.2";
// Faster than this a simulated second is shorter than the event loop's tick.
inline constexpr double kMaxSpeed = 3600;
// A remote request stays pending this long before the hub takes it, so that a station's
// "not accepted yet" question can be seen; a minute is more than any user waits.
inline constexpr double kDefaultRequestDelay = 3;
inline constexpr double kMaxRequestDelay = 60;
// Two months of past shifts: enough for any month folder to be full.
inline constexpr int kMaxHistoryDays = 62;

struct HubSimOptions {
    std::int32_t address = 0;  // set from kDefaultAddress
    std::uint16_t port = kHubPort;
    // Nothing: replies go back to the port a request came from.
    std::optional<std::uint16_t> clientPort;
    ModelSettings model;
    double speed = 1;  // simulated seconds per real second
    // Where the simulated clock starts, seconds since 1970; nothing: now. Lets a trainer
    // (or a test) start just before a shift change, or well inside a shift.
    std::optional<std::int64_t> start;
    std::optional<std::string> hubDirectory;
    int historyDays = 0;  // past shifts written at start, below hubDirectory
    double requestDelay = kDefaultRequestDelay;  // seconds; remote requests need hubDirectory
    bool quiet = false;
};

struct ParsedHubSimArguments {
    enum class Action { Run, Help, UsageError };
    Action action = Action::Run;
    HubSimOptions options;
    std::string error;
};

ParsedHubSimArguments parseHubSimArguments(const std::vector<std::string>& arguments);

std::string hubSimUsage();

}  // namespace quillon::hubsim
