#include "ctrlsim/CtrlSimOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "ctrlsim/HeidenhainReceive.h"

namespace quillon::ctrlsim {

namespace {

constexpr int kBaudRates[] = {110,  150,  300,   600,   1200,  2400,
                              4800, 9600, 19200, 38400, 57600, 115200};
// --line-rate takes any speed in this range: the pacing is arithmetic, not a driver setting.
constexpr long long kMinLineRate = 10;
constexpr long long kMaxLineRate = 10'000'000;
// Idle and start times up to a day; beyond that a typo is more likely than a wish.
constexpr double kMaxSeconds = 86400;
// Block and command counts of the fault options.
constexpr long long kMaxCount = 1'000'000'000;
// The most data bytes --block-size puts in a Fanuc block: what the PC's receive engine
// holds for one block.
constexpr long long kMaxBlockData = 64 * 1024;

std::optional<long long> wholeNumber(const std::string& text, long long min, long long max)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<Duration> seconds(const std::string& text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value < 0 || value > kMaxSeconds)
        return std::nullopt;
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(value));
}

// Which modes an option belongs to, when it does not belong to all.
enum class Scope {
    Any,
    Device,  // any mode, but only with --device
    Plain,   // the modes without a block protocol
    Receive,
    Send,
    Transfer,  // the modes where the control speaks first
    Protocol,  // the block protocols
    Refusing,  // the block protocols that answer NAK
    Sending,   // the block protocols where the control sends
    Checked,   // ... and the PC checks a check byte
    Fanuc,     // both directions
    FanucSend,
    Mazak,
    Heidenhain,
};

bool appliesTo(Scope scope, SimMode mode)
{
    switch (scope) {
    case Scope::Any:
    case Scope::Device:
        return true;
    case Scope::Plain:
        return mode == SimMode::Receive || mode == SimMode::Send || mode == SimMode::Echo;
    case Scope::Receive:
        return mode == SimMode::Receive;
    case Scope::Send:
        return mode == SimMode::Send;
    case Scope::Transfer:
        return mode == SimMode::Send || mode == SimMode::Receive || mode == SimMode::Mazak ||
               mode == SimMode::Heidenhain || mode == SimMode::MazakSend ||
               mode == SimMode::HeidenhainSend;
    case Scope::Protocol:
        return mode != SimMode::Receive && mode != SimMode::Send && mode != SimMode::Echo;
    case Scope::Refusing:
        return mode == SimMode::Fanuc || mode == SimMode::Heidenhain;
    case Scope::Sending:
        return mode == SimMode::FanucSend || mode == SimMode::MazakSend ||
               mode == SimMode::HeidenhainSend;
    case Scope::Checked:
        return mode == SimMode::FanucSend || mode == SimMode::HeidenhainSend;
    case Scope::Fanuc:
        return mode == SimMode::Fanuc || mode == SimMode::FanucSend;
    case Scope::FanucSend:
        return mode == SimMode::FanucSend;
    case Scope::Mazak:
        return mode == SimMode::Mazak;
    case Scope::Heidenhain:
        return mode == SimMode::Heidenhain;
    }
    return false;
}

// The modes of a scope, for "... applies to ...".
const char* scopeModes(Scope scope)
{
    switch (scope) {
    case Scope::Plain:
        return "--receive, --send and --echo";
    case Scope::Receive:
        return "--receive";
    case Scope::Send:
        return "--send";
    case Scope::Transfer:
        return "--send, --receive, --mazak, --heidenhain, --mazak-send and --heidenhain-send";
    case Scope::Protocol:
        return "--fanuc, --mazak, --heidenhain, --fanuc-send, --mazak-send and "
               "--heidenhain-send";
    case Scope::Refusing:
        return "--fanuc and --heidenhain (a MAZAK control has no NAK, and a sending control "
               "refuses nothing)";
    case Scope::Sending:
        return "--fanuc-send, --mazak-send and --heidenhain-send";
    case Scope::Checked:
        return "--fanuc-send and --heidenhain-send (a MAZAK record has no check byte)";
    case Scope::Fanuc:
        return "--fanuc and --fanuc-send";
    case Scope::FanucSend:
        return "--fanuc-send";
    case Scope::Mazak:
        return "--mazak";
    case Scope::Heidenhain:
        return "--heidenhain";
    default:
        return "";
    }
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : m_arguments(arguments) {}

    ParsedArguments parse();

private:
    bool fail(std::string text)
    {
        if (m_result.error.empty())
            m_result.error = std::move(text);
        return false;
    }
    bool option(const std::string& name, const std::optional<std::string>& value);
    bool takeValue(const std::string& name, std::optional<std::string> inlineValue,
                   std::size_t& index, std::string& value);
    bool setMode(SimMode mode, const std::string& file);
    bool checkScopes();
    bool checkBuffer();

    const std::vector<std::string>& m_arguments;
    ParsedArguments m_result;
    std::optional<SimMode> m_mode;
    std::map<std::string, Scope> m_seen;
    std::optional<std::size_t> m_capacity;
    std::optional<std::size_t> m_consume;
    std::optional<std::size_t> m_highWater;
    std::optional<std::size_t> m_lowWater;
};

bool Parser::setMode(SimMode mode, const std::string& file)
{
    if (m_mode)
        return fail(
            "give exactly one of --receive, --send, --echo, --fanuc, --mazak, --heidenhain, "
            "--fanuc-send, --mazak-send and --heidenhain-send");
    m_mode = mode;
    m_result.options.mode = mode;
    m_result.options.file = file;
    return true;
}

bool Parser::option(const std::string& name, const std::optional<std::string>& value)
{
    CtrlSimOptions& o = m_result.options;
    const std::string& v = value ? *value : std::string();
    auto number = [&](long long min, long long max) {
        const auto n = wholeNumber(v, min, max);
        if (!n)
            fail(name + " needs a whole number from " + std::to_string(min) + " to " +
                 std::to_string(max) + ", not \"" + v + "\"");
        return n;
    };
    auto time = [&]() {
        const auto t = seconds(v);
        if (!t)
            fail(name + " needs a number of seconds, not \"" + v + "\"");
        return t;
    };

    if (name == "--receive")
        return setMode(SimMode::Receive, v);
    if (name == "--send")
        return setMode(SimMode::Send, v);
    if (name == "--echo")
        return setMode(SimMode::Echo, {});
    if (name == "--fanuc")
        return setMode(SimMode::Fanuc, v);
    if (name == "--mazak")
        return setMode(SimMode::Mazak, v);
    if (name == "--heidenhain")
        return setMode(SimMode::Heidenhain, v);
    if (name == "--fanuc-send")
        return setMode(SimMode::FanucSend, v);
    if (name == "--mazak-send")
        return setMode(SimMode::MazakSend, v);
    if (name == "--heidenhain-send")
        return setMode(SimMode::HeidenhainSend, v);
    if (name == "--fanuc-second") {
        if (v.empty())
            return fail("the second file name is empty");
        o.secondFile = v;
        return true;
    }
    if (name == "--mazak-sequence") {
        std::string why;
        if (!parseMazakSequence(v, &why))
            return fail("--mazak-sequence \"" + v + "\": " + why);
        o.mazakSequence = v;
        return true;
    }
    if (name == "--program") {
        if (v.empty() || v.size() > kHeidenhainProgramDigits ||
            v.find_first_not_of("0123456789") != std::string::npos)
            return fail("--program takes a program number of 1 to " +
                        std::to_string(kHeidenhainProgramDigits) + " digits, not \"" + v + "\"");
        o.program = v;
        return true;
    }
    if (name == "--reply-timeout") {
        const auto t = time();
        if (t)
            o.replyTimeout = *t == Duration::zero() ? std::nullopt : t;
        return t.has_value();
    }
    if (name == "--go-silent-after" || name == "--garbage-after" || name == "--hangup-after") {
        const auto n = number(0, kMaxCount);
        if (!n)
            return false;
        (name == "--go-silent-after" ? o.faults.silentAfter
         : name == "--garbage-after" ? o.faults.garbageAfter
                                     : o.faults.hangUpAfter) = static_cast<std::size_t>(*n);
        return true;
    }
    if (name == "--nak-once" || name == "--bad-check-once" || name == "--overlong-block") {
        const auto n = number(1, kMaxCount);
        if (!n)
            return false;
        (name == "--nak-once"         ? o.faults.nakOnce
         : name == "--bad-check-once" ? o.faults.badCheckOnce
                                      : o.faults.overlongBlock) = static_cast<std::size_t>(*n);
        return true;
    }
    if (name == "--block-size") {
        const auto n = number(1, kMaxBlockData);
        if (n)
            o.blockData = static_cast<std::size_t>(*n);
        return n.has_value();
    }
    if (name == "--device") {
        o.device = v;
        return true;
    }
    if (name == "--link") {
        if (v.empty())
            return fail("the link name is empty");
        o.link = v;
        return true;
    }
    if (name == "--baud") {
        const auto n = wholeNumber(v, 1, 115200);
        if (!n ||
            std::find(std::begin(kBaudRates), std::end(kBaudRates), *n) == std::end(kBaudRates))
            return fail(
                "--baud takes 110, 150, 300, 600, 1200, 2400, 4800, 9600, 19200, "
                "38400, 57600 or 115200, not \"" +
                v + "\"");
        o.line.baudRate = static_cast<int>(*n);
        return true;
    }
    if (name == "--bits") {
        if (v != "7" && v != "8")
            return fail("--bits takes 7 or 8, not \"" + v + "\"");
        o.line.dataBits = v == "7" ? 7 : 8;
        return true;
    }
    if (name == "--parity") {
        if (v != "none" && v != "even")
            return fail("--parity takes none or even, not \"" + v + "\"");
        o.line.parity = v == "even" ? LineParity::Even : LineParity::None;
        return true;
    }
    if (name == "--stop") {
        if (v != "1" && v != "2")
            return fail("--stop takes 1 or 2, not \"" + v + "\"");
        o.line.stopBits = v == "2" ? 2 : 1;
        return true;
    }
    if (name == "--rtscts") {
        o.line.hardwareFlow = true;
        return true;
    }
    if (name == "--xonxoff") {
        o.xonXoff = true;
        return true;
    }
    if (name == "--line-rate") {
        const auto n = number(kMinLineRate, kMaxLineRate);
        if (n)
            o.lineRate = static_cast<int>(*n);
        return n.has_value();
    }
    if (name == "--buffer" || name == "--consume" || name == "--high-water" ||
        name == "--low-water") {
        const long long min = name == "--low-water" ? 0 : 1;
        const long long max =
            static_cast<long long>(name == "--consume" ? kMaxConsumeRate : kMaxBufferCapacity);
        const auto n = number(min, max);
        if (!n)
            return false;
        const auto bytes = static_cast<std::size_t>(*n);
        (name == "--buffer"       ? m_capacity
         : name == "--consume"    ? m_consume
         : name == "--high-water" ? m_highWater
                                  : m_lowWater) = bytes;
        return true;
    }
    if (name == "--send-xon-at-start") {
        o.xonAtStart = true;
        return true;
    }
    if (name == "--idle") {
        const auto t = time();
        if (t)
            o.idleEnd = *t == Duration::zero() ? std::nullopt : t;
        return t.has_value();
    }
    if (name == "--wait-for-xon") {
        o.waitForXon = true;
        o.xonXoff = true;
        return true;
    }
    if (name == "--code") {
        if (v != "iso" && v != "eia" && v != "bin")
            return fail("--code takes iso, eia or bin, not \"" + v + "\"");
        o.code = v == "eia"   ? CharacterCode::Eia
                 : v == "bin" ? CharacterCode::Bin
                              : CharacterCode::Iso;
        return true;
    }
    if (name == "--dc2-first") {
        o.dc2First = true;
        o.xonXoff = true;
        return true;
    }
    if (name == "--high-bit") {
        o.highBit = true;
        return true;
    }
    if (name == "--start-delay") {
        const auto t = time();
        if (t)
            o.startDelay = *t;
        return t.has_value();
    }
    if (name == "--verbose") {
        o.verbose = true;
        return true;
    }
    return fail("unknown option " + name);
}

// Options with a value and the mode they belong to; the others are switches.
const std::map<std::string, std::pair<bool, Scope>>& knownOptions()
{
    static const std::map<std::string, std::pair<bool, Scope>> options = {
        {"--receive", {true, Scope::Any}},
        {"--send", {true, Scope::Any}},
        {"--echo", {false, Scope::Any}},
        {"--fanuc", {true, Scope::Any}},
        {"--mazak", {true, Scope::Any}},
        {"--heidenhain", {true, Scope::Any}},
        {"--fanuc-send", {true, Scope::Any}},
        {"--mazak-send", {true, Scope::Any}},
        {"--heidenhain-send", {true, Scope::Any}},
        {"--fanuc-second", {true, Scope::Fanuc}},
        {"--block-size", {true, Scope::FanucSend}},
        {"--mazak-sequence", {true, Scope::Mazak}},
        {"--program", {true, Scope::Heidenhain}},
        {"--reply-timeout", {true, Scope::Protocol}},
        {"--go-silent-after", {true, Scope::Protocol}},
        {"--garbage-after", {true, Scope::Protocol}},
        {"--nak-once", {true, Scope::Refusing}},
        {"--hangup-after", {true, Scope::Protocol}},
        {"--bad-check-once", {true, Scope::Checked}},
        {"--overlong-block", {true, Scope::Sending}},
        {"--device", {true, Scope::Any}},
        {"--link", {true, Scope::Any}},
        {"--baud", {true, Scope::Device}},
        {"--bits", {true, Scope::Device}},
        {"--parity", {true, Scope::Device}},
        {"--stop", {true, Scope::Device}},
        {"--rtscts", {false, Scope::Device}},
        {"--xonxoff", {false, Scope::Plain}},
        {"--line-rate", {true, Scope::Any}},
        {"--buffer", {true, Scope::Receive}},
        {"--consume", {true, Scope::Receive}},
        {"--high-water", {true, Scope::Receive}},
        {"--low-water", {true, Scope::Receive}},
        {"--send-xon-at-start", {false, Scope::Receive}},
        {"--idle", {true, Scope::Receive}},
        {"--wait-for-xon", {false, Scope::Send}},
        {"--code", {true, Scope::Send}},
        {"--dc2-first", {false, Scope::Send}},
        {"--high-bit", {false, Scope::Send}},
        {"--start-delay", {true, Scope::Transfer}},
        {"--verbose", {false, Scope::Any}},
    };
    return options;
}

bool Parser::checkScopes()
{
    if (!m_mode)
        return fail(
            "give one of --receive FILE, --send FILE, --echo, --fanuc FILE, --mazak FILE, "
            "--heidenhain FILE, --fanuc-send FILE, --mazak-send FILE and --heidenhain-send "
            "FILE");
    const SimMode mode = *m_mode;
    for (const auto& [name, scope] : m_seen) {
        if (scope == Scope::Device && !m_result.options.device)
            return fail(name +
                        " needs --device: on a pseudo-terminal the program on the "
                        "other side sets the line up");
        if (!appliesTo(scope, mode))
            return fail(name + " applies to " + scopeModes(scope));
    }
    const CtrlSimOptions& o = m_result.options;
    if (o.link && o.device)
        return fail("--link names a new pseudo-terminal; a --device keeps its own path");
    if (mode != SimMode::Echo && o.file.empty())
        return fail("the program file name is empty");
    if (mode == SimMode::Heidenhain && o.program.empty())
        return fail("--heidenhain needs --program NUMBER, the program the control asks for");
    if (o.secondFile && *o.secondFile == o.file)
        return fail("--fanuc-second needs a file other than the program's");
    if (mode == SimMode::FanucSend &&
        (o.faults.badCheckOnce == 1u || o.faults.overlongBlock == 1u))
        return fail(
            "block 1 of --fanuc-send is the PC's request: --bad-check-once and "
            "--overlong-block name a data block, from 2");
    if (o.highBit && o.code != CharacterCode::Iso)
        return fail(
            "--high-bit goes with --code iso only: bin bytes go out as they are, and "
            "an EIA line has no parity bit");
    return true;
}

bool Parser::checkBuffer()
{
    auto settings = InputBufferSettings::withDefaultMarks(
        m_capacity.value_or(InputBufferSettings{}.capacity), m_consume);
    if (m_highWater)
        settings.highWater = *m_highWater;
    if (m_lowWater)
        settings.lowWater = *m_lowWater;
    if (settings.highWater > settings.capacity)
        return fail("--high-water must not be more than --buffer");
    if (settings.lowWater >= settings.highWater)
        return fail("--low-water must be less than --high-water");
    m_result.options.buffer = settings;
    return true;
}

bool Parser::takeValue(const std::string& name, std::optional<std::string> inlineValue,
                       std::size_t& index, std::string& value)
{
    if (inlineValue) {
        value = *inlineValue;
        return true;
    }
    if (index + 1 >= m_arguments.size())
        return fail(name + " needs a value");
    value = m_arguments[++index];
    return true;
}

ParsedArguments Parser::parse()
{
    for (std::size_t i = 0; i < m_arguments.size(); ++i) {
        std::string name = m_arguments[i];
        if (name == "--help" || name == "-h") {
            m_result.action = ParsedArguments::Action::Help;
            return m_result;
        }
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const auto known = knownOptions().find(name);
        if (known == knownOptions().end()) {
            fail(name.rfind("-", 0) == 0 ? "unknown option " + name
                                         : "unexpected argument \"" + name + "\"");
            break;
        }
        const auto [takesValue, scope] = known->second;
        std::optional<std::string> value;
        if (takesValue) {
            std::string text;
            if (!takeValue(name, inlineValue, i, text))
                break;
            value = text;
        } else if (inlineValue) {
            fail(name + " takes no value");
            break;
        }
        m_seen[name] = scope;
        if (!option(name, value))
            break;
    }
    if (m_result.error.empty())
        checkScopes() && checkBuffer();
    if (!m_result.error.empty())
        m_result.action = ParsedArguments::Action::UsageError;
    return m_result;
}

}  // namespace

ParsedArguments parseArguments(const std::vector<std::string>& arguments)
{
    return Parser(arguments).parse();
}

std::string usageText()
{
    return R"(Usage: quillonlt-ctrlsim MODE [OPTIONS]

A simulated CNC control on the other end of a serial line. Without --device it creates
a pseudo-terminal and prints its path as the first line of standard output; point a
port of QuillonLT at that path (QUILLONLT_COM1=/dev/pts/N, or ComDevices.sys), or at
the fixed name that --link gives it.

Modes (exactly one):
  --receive FILE         read a program in and store it in FILE when the line goes quiet,
                         closes, or on Ctrl+C
  --send FILE            punch FILE out to the other side
  --echo                 send back every byte received
  --fanuc FILE           Fanuc DNC protocol: answer the PC's ENQ and blocks, store the
                         data of the blocks in FILE at the PC's EOT
  --mazak FILE           MAZAK protocol: ask the PC for the program block by block, store
                         the text of each block followed by LF in FILE
  --heidenhain FILE      HEIDENHAIN protocol: request program --program from the PC, store
                         each block followed by LF in FILE (the "%" block first)
  --fanuc-send FILE      Fanuc DNC protocol, the PC requesting: answer its ENQ and
                         request, send FILE in blocks after its EOT, end with EOT
  --mazak-send FILE      MAZAK protocol, the control sending: each line of FILE is a
                         record ("_" for ETX) closed by EOT, the PC answers each one
  --heidenhain-send FILE HEIDENHAIN protocol, the control sending: the first line of
                         FILE as the header, each further line as a block, then ETX

Line:
  --device PATH          use this serial device instead of a new pseudo-terminal
  --link PATH            make PATH a symbolic link to the pseudo-terminal while the
                         simulator runs, so that ComDevices.sys can name PATH for good;
                         a link left by an earlier run is replaced, a file or folder of
                         that name is refused
  --baud N               110 150 300 600 1200 2400 4800 9600 19200 38400 57600 115200
                         (device only; default 9600)
  --bits 7|8             data bits (device only; default 8)
  --parity none|even     (device only; default none)
  --stop 1|2             stop bits (device only; default 1)
  --rtscts               hardware handshake (device only)
  --xonxoff              the control uses XON/XOFF: it sends DC3/DC1 as its buffer fills
                         and drains (--receive), stops on DC3 and goes on at DC1 (--send,
                         --echo)
  --line-rate BAUD       bytes move no faster than on a line of BAUD, both ways: BAUD/10
                         bytes per second at 8N1 or 7E1, BAUD/11 at 7E2 (the framing the
                         other side set on a pseudo-terminal); default: no limit

Receive:
  --buffer BYTES         the control's input buffer (default 256)
  --consume BPS          bytes the control executes per second (default: unlimited, the
                         buffer never fills)
  --high-water BYTES     XOFF when the buffer holds this many (default 3/4 of the buffer)
  --low-water BYTES      XON when it has drained to this many (default 1/4)
  --send-xon-at-start    send one DC1 when the line is there (after the start delay),
                         like a control's read key
  --idle SECONDS         end when nothing came for this long after the first byte
                         (default 2; 0: never)

Send:
  --wait-for-xon         send nothing before the other side's DC1 (implies --xonxoff)
  --dc2-first            ask first: send a lone DC2 and the program only after the DC1
                         that answers it (implies --xonxoff)
  --code iso|eia|bin     eia: every byte goes out as its EIA punch code; iso and bin
                         (the default iso): as it is
  --high-bit             set bit 7 on every byte, as the parity bit of a control sending
                         seven data bits shows on a pseudo-terminal (iso only)

Send, receive, --mazak, --heidenhain, --mazak-send and --heidenhain-send:
  --start-delay SECONDS  start this long after the line is there (default 0.5): the
                         other side purges its port when it opens it

Block protocols:
  --fanuc-second FILE2   after the program, take a setup file (a second ENQ) into FILE2;
                         with --fanuc-send, send FILE2 for the PC's setup-file request
  --block-size N         the most data bytes in a --fanuc-send block (default 512, at
                         most 65536)
  --mazak-sequence LIST  the commands the control sends, for example "q,8,[6,4],D":
                         q 4 6 8 A D, a loop in brackets repeats until the PC has no
                         more (default "q,[4]")
  --program NUMBER       the program number --heidenhain asks for (1 to 8 digits)
  --reply-timeout SECONDS  how long the control waits for the PC in the middle of an
                         exchange (default 30; 0: for ever)

Faults (N counts the blocks the PC sends, the Fanuc header being block 1; for --mazak
the commands the control sends; for the -send modes the blocks the control sends, the
HEIDENHAIN header being block 1 and the Fanuc request block 1):
  --go-silent-after N    answer (send) N, then nothing at all
  --garbage-after N      every answer (block sent) after the first N is garbage ('?' for
                         each byte)
  --nak-once N           refuse block N once with NAK although it is right (--fanuc,
                         --heidenhain)
  --hangup-after N       let the line go when block N+1 begins
  --bad-check-once N     send block N once with a wrong check byte (--fanuc-send,
                         --heidenhain-send)
  --overlong-block N     send block N once with 70000 data bytes, its own and then "X"
                         (--fanuc-send, --mazak-send, --heidenhain-send)

Other:
  --verbose              report flow control, protocol and line events on standard
                         error
  --help                 this text

Exit status: 0 success, 1 failure (line, file, nothing received, a protocol exchange
that did not complete), 2 usage error.
)";
}

}  // namespace quillon::ctrlsim
