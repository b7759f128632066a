// What the shop-floor board's web server serves, without the server: the page's data as
// JSON texts, and the messages to push to every connected page as the floor changes.
// The server knows nothing of the hub; the board model behind this knows nothing of HTTP.
#pragma once

#include <functional>
#include <string>

namespace quillon {

class BoardFeed {
public:
    // One message for every open page, in the order they must be applied.
    using Push = std::function<void(const std::string& message)>;

    virtual ~BoardFeed() = default;
    // The whole board, for a page that (re)connects: {"type":"snapshot", ...}.
    virtual std::string snapshotJson() const = 0;
    // GET /api/machines: every followed machine's state with the MQTT state topic's fields.
    virtual std::string machinesJson() const = 0;
    // Where changes go from now on ({"type":"machine", ...}, {"type":"hub", ...}); an
    // empty function stops them.
    virtual void setPush(Push push) = 0;
};

}  // namespace quillon
