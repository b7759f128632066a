// quillonlt-cli hub bridge: publishes the hub's live machine states to an MQTT broker.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kBridgeUsage[] =
    "hub bridge --mqtt HOST[:PORT] [--prefix TOPIC] [--client-id ID] "
    "[--user U --password-file F] [--tls-ca FILE] [--seconds S]";

// Follows the hub for every machine its configuration monitors and publishes each one's
// state and events under TOPIC (default "quillon"), until S seconds have passed or the
// process is asked to end (SIGTERM, SIGINT, SIGHUP), then says goodbye on the online topic.
// Connection news and a last summary go to `err`. 0 when it ran, 1 when it could not start
// (another bridge on this working directory, no hub link, unreadable files), 2 on a usage
// error. `arguments` start after "bridge".
int runBridge(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
