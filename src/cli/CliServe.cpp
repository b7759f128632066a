#include "cli/CliServe.h"

#include <ostream>
#include <utility>

#include "cli/CliPort.h"
#include "platform/Ipv4Address.h"

namespace quillon::cli {

namespace {

BoardServeRunner& serveRunner()
{
    static BoardServeRunner runner;
    return runner;
}

// "[ADDR:]PORT": the port alone keeps the default address.
bool parseListenAddress(const std::string& text, ServeRequest& request)
{
    const auto colon = text.rfind(':');
    const std::string port = colon == std::string::npos ? text : text.substr(colon + 1);
    if (colon != std::string::npos) {
        const std::string address = text.substr(0, colon);
        if (!ipv4FromDottedText(address))
            return false;
        request.address = address;
    }
    const auto number = wholeNumber(port);
    if (!number || *number < 0 || *number > 65535)
        return false;
    request.port = static_cast<std::uint16_t>(*number);
    return true;
}

}  // namespace

std::optional<ServeRequest> parseServeRequest(const std::vector<std::string>& arguments)
{
    ServeRequest request;
    bool http = false;
    if (arguments.size() % 2 != 0)
        return std::nullopt;
    for (std::size_t i = 0; i < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        const std::string& value = arguments[i + 1];
        if (option == "--http") {
            if (!parseListenAddress(value, request))
                return std::nullopt;
            http = true;
        } else if (option == "--title") {
            request.title = value;
        } else if (option == "--seconds") {
            request.seconds = runningSeconds(value);
            if (!request.seconds)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!http)
        return std::nullopt;
    return request;
}

void setBoardServeRunner(BoardServeRunner runner)
{
    serveRunner() = std::move(runner);
}

int runServe(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const auto request = parseServeRequest(arguments);
    if (!request) {
        err << "usage: quillonlt-cli " << kServeUsage << '\n';
        return 2;
    }
    if (!serveRunner()) {
        err << "This build of quillonlt-cli has no web server\n";
        return 1;
    }
    return serveRunner()(*request, out, err);
}

}  // namespace quillon::cli
