#include "hubsim/HubSimOptions.h"

#include <charconv>
#include <cmath>

#include "platform/Ipv4Address.h"

namespace quillon::hubsim {

namespace {

template <typename Number>
std::optional<Number> numberIn(const std::string& text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::uint16_t> portIn(const std::string& text)
{
    const auto value = numberIn<long>(text);
    if (!value || *value < 1 || *value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

}  // namespace

std::string hubSimUsage()
{
    return "Usage: quillonlt-hubsim [--address A] [--port P] [--client-port P] [--machines N]\n"
           "                        [--seed S] [--speed F] [--hub-dir DIR] [--history DAYS]\n"
           "                        [--request-delay SECONDS] [--demo] [--quiet]\n"
           "\n"
           "A simulated shop-floor hub: N machines living plausible shifts, answering\n"
           "QuillonLT's monitoring requests over UDP and pushing what changes.\n"
           "\n"
           "  --address A      IPv4 address to listen on (default 127.0.0.2)\n"
           "  --port P         UDP port to listen on (default 17, the hub's port, which\n"
           "                   needs privileges; a port above 1023 does not)\n"
           "  --client-port P  send replies to this port (default: the port each request\n"
           "                   came from)\n"
           "  --machines N     machines to simulate, 1 to 128 (default 12)\n"
           "  --seed S         the shift's seed; the same seed gives the same shift\n"
           "                   (default 1)\n"
           "  --speed F        simulated seconds per real second, up to 3600 (default 1)\n"
           "  --start T        start the simulated clock at T, seconds since 1970 (for\n"
           "                   example `date -d 13:55 +%s`, to watch a shift change);\n"
           "                   default now\n"
           "  --hub-dir DIR    write the hub's setup files below DIR (_SETUP/CairnConf.sys,\n"
           "                   _SETUP/MonSetup.sys, _SETUP/GraphColor.sys), every\n"
           "                   machine's shift records (_TMP, _MONITORING/YYYY-MM) and the\n"
           "                   report files of ended shifts (_REPORTS)\n"
           "  --history DAYS   first write DAYS days of past shifts, 0 to 62 (default 0;\n"
           "                   needs --hub-dir)\n"
           "  --request-delay SECONDS\n"
           "                   carry out the remote download and upload requests that\n"
           "                   stations leave in _TMP/REMOTELOAD.SYS after SECONDS, 0 to 60\n"
           "                   (default 3): a download copies the file from the machine's\n"
           "                   _NC/M<n>/DOWNLOAD folder to its memory, _NC/M<n>/MACHINE; an\n"
           "                   upload copies it from there into _NC/M<n>/UPLOAD (needs\n"
           "                   --hub-dir)\n"
           "  --demo           the demonstration floor: machine 2 with two heads, 3 with\n"
           "                   two pallets, 4 counting in rate mode, 6 often without\n"
           "                   its operator\n"
           "  --quiet          do not print a line per request nor the steps of remote\n"
           "                   requests (a refused one is still told on stderr)\n"
           "  --help           show this text\n";
}

ParsedHubSimArguments parseHubSimArguments(const std::vector<std::string>& arguments)
{
    ParsedHubSimArguments parsed;
    HubSimOptions& o = parsed.options;
    bool requestDelayGiven = false;
    o.address = *ipv4FromDottedText(kDefaultAddress);
    const auto fail = [&](std::string error) {
        parsed.action = ParsedHubSimArguments::Action::UsageError;
        parsed.error = std::move(error);
        return parsed;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--help" || option == "-h") {
            parsed.action = ParsedHubSimArguments::Action::Help;
            return parsed;
        }
        if (option == "--quiet") {
            o.quiet = true;
            continue;
        }
        if (option == "--demo") {
            o.model.demo = true;
            continue;
        }
        const bool takesValue = option == "--address" || option == "--port" ||
                                option == "--client-port" || option == "--machines" ||
                                option == "--seed" || option == "--speed" ||
                                option == "--hub-dir" || option == "--history" ||
                                option == "--request-delay" || option == "--start";
        if (!takesValue)
            return fail("unknown option " + option);
        if (i + 1 >= arguments.size())
            return fail(option + " needs a value");
        const std::string& value = arguments[++i];
        if (option == "--address") {
            const auto address = ipv4FromDottedText(value);
            if (!address)
                return fail("--address takes an IPv4 address such as 127.0.0.2, not " + value);
            o.address = *address;
        } else if (option == "--port" || option == "--client-port") {
            const auto port = portIn(value);
            if (!port)
                return fail(option + " takes a port from 1 to 65535, not " + value);
            if (option == "--port")
                o.port = *port;
            else
                o.clientPort = port;
        } else if (option == "--machines") {
            const auto count = numberIn<int>(value);
            if (!count || *count < 1 || *count > kMaxMachines)
                return fail("--machines takes 1 to 128, not " + value);
            o.model.machines = *count;
        } else if (option == "--seed") {
            const auto seed = numberIn<std::uint64_t>(value);
            if (!seed)
                return fail("--seed takes a whole number, not " + value);
            o.model.seed = *seed;
        } else if (option == "--speed") {
            const auto speed = numberIn<double>(value);
            if (!speed || !std::isfinite(*speed) || *speed <= 0 || *speed > kMaxSpeed)
                return fail("--speed takes a number above 0 and up to 3600, not " + value);
            o.speed = *speed;
        } else if (option == "--start") {
            const auto start = numberIn<std::int64_t>(value);
            // 2001 to 2100: a clock the hub's files and every client can show.
            if (!start || *start < 978'307'200 || *start > 4'102'444'800)
                return fail("--start takes seconds since 1970 (2001 to 2100), not " + value);
            o.start = *start;
        } else if (option == "--history") {
            const auto days = numberIn<int>(value);
            if (!days || *days < 0 || *days > kMaxHistoryDays)
                return fail("--history takes 0 to 62 days, not " + value);
            o.historyDays = *days;
        } else if (option == "--request-delay") {
            const auto delay = numberIn<double>(value);
            if (!delay || !std::isfinite(*delay) || *delay < 0 || *delay > kMaxRequestDelay)
                return fail("--request-delay takes 0 to 60 seconds, not " + value);
            o.requestDelay = *delay;
            requestDelayGiven = true;
        } else {
            if (value.empty())
                return fail("--hub-dir needs a folder");
            o.hubDirectory = value;
        }
    }
    if (o.historyDays > 0 && !o.hubDirectory)
        return fail("--history needs --hub-dir, the folder the shifts go to");
    if (requestDelayGiven && !o.hubDirectory)
        return fail("--request-delay needs --hub-dir, the folder the requests come to");
    return parsed;
}

}  // namespace quillon::hubsim
