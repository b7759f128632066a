// quillonlt-cli hub serve: the shop-floor board as a web page. The command line is read
// here; the server itself needs Qt and is handed in by the program's start-up.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr char kServeUsage[] = "hub serve --http [ADDR:]PORT [--title TEXT] [--seconds S]";

// Only this computer sees the board unless the user names an address to offer it on: the
// page carries the shop's live state, which is nobody's business outside the building.
inline constexpr char kServeDefaultAddress[] = "127.0.0.1";

struct ServeRequest {
    std::string address = kServeDefaultAddress;  // dotted IPv4
    std::uint16_t port = 0;                      // 0: any free port
    std::string title;                           // empty: the board's own default
    std::optional<int> seconds;                  // none: until a stop signal
};

// `arguments` start after "serve"; nothing on a usage error.
std::optional<ServeRequest> parseServeRequest(const std::vector<std::string>& arguments);

using BoardServeRunner =
    std::function<int(const ServeRequest& request, std::ostream& out, std::ostream& err)>;
void setBoardServeRunner(BoardServeRunner runner);

// Follows the hub for every machine of the monitoring list and serves the board until S
// seconds have passed or the process is asked to end; prints the page's address once it
// listens. 0 when it ran, 1 when it could not start, 2 on a usage error.
int runServe(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
