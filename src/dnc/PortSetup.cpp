#include "dnc/PortSetup.h"

#include <algorithm>

#include "platform/TextFile.h"

namespace quillon {

namespace {

constexpr char kControlOffset = 64;  // "^A" is code 1

const char* codeText(CharacterCode code)
{
    switch (code) {
    case CharacterCode::Iso:
        return "ISO";
    case CharacterCode::Eia:
        return "EIA";
    case CharacterCode::Bin:
        return "BIN";
    }
    return "?";
}

const char* endOfBlockText(EndOfBlock eob)
{
    switch (eob) {
    case EndOfBlock::Lf:
        return "LF";
    case EndOfBlock::Cr:
        return "CR";
    case EndOfBlock::CrLf:
        return "CRLF";
    }
    return "?";
}

const char* handshakeText(Handshake handshake)
{
    switch (handshake) {
    case Handshake::None:
        return "N/U";
    case Handshake::XonXoff:
    case Handshake::XonXoffWaitForXon:
        return "ON";
    case Handshake::Heidenhain:
        return "HEIDENHAIN";
    case Handshake::Mazak:
        return "MAZAK";
    case Handshake::FanucDnc:
        return "FANUC";
    }
    return "?";
}

const char* verticalParityText(VerticalParity parity)
{
    switch (parity) {
    case VerticalParity::None:
        return "None";
    case VerticalParity::Even:
        return "Even";
    case VerticalParity::Odd:
        return "Odd";
    }
    return "?";
}

}  // namespace

PortSetup PortSetup::defaults(int index)
{
    PortSetup setup;
    // Records 1 to 9 are "Config 1".."Config 9"; the tenth gets "Config 10" rather than
    // the character after "9".
    setup.name = "Config " + std::to_string(index + 1);
    return setup;
}

bool PortSetup::usesBlockProtocol() const
{
    return handshake == Handshake::Heidenhain || handshake == Handshake::Mazak ||
           handshake == Handshake::FanucDnc;
}

std::optional<BaudEntry> baudEntry(std::uint8_t code)
{
    if (code >= kBaudTable.size())
        return std::nullopt;
    return kBaudTable[code];
}

std::string characterDisplayForm(std::int32_t value)
{
    if (value <= 0)
        return {};
    if (value <= 26)
        return {'^', static_cast<char>(value + kControlOffset)};
    const char c = static_cast<char>(value & 127);
    if (c == '\0' || c == '\r' || c == '\n')
        return {};
    return {c};
}

std::string characterSummaryForm(std::int32_t value)
{
    const std::string form = characterDisplayForm(value);
    return form.empty() ? "None" : form;
}

std::int32_t parseCharacterEdit(std::string_view text)
{
    if (text.empty() || text.front() == ' ')
        return 0;
    if (text.size() >= 2 && text[0] == '^' && text[1] >= 'A' && text[1] <= 'Z')
        return text[1] - kControlOffset;
    return static_cast<unsigned char>(text.front()) & 127;
}

std::int32_t parseNullCount(std::string_view text)
{
    return static_cast<std::int32_t>(
        std::clamp<long long>(leadingInteger(text), 0, kMaxNullCount));
}

std::vector<std::string> setupSummaryLines(const PortSetup& setup)
{
    const auto baud = baudEntry(setup.baud);
    return {
        "PORT: COM" + std::to_string(setup.port + 1),
        setup.keepPortOpen == KeepPortOpen::Open ? "PORT STAYS OPEN" : "",
        "BAUD: " + std::string(baud ? baud->summaryText : "?"),
        std::string("CODE: ") + codeText(setup.code),
        std::string("EOB: ") + endOfBlockText(setup.endOfBlock),
        std::string("HHS: ") + (setup.hardwareHandshake ? "ON" : "N/U"),
        std::string("XON: ") + handshakeText(setup.handshake),
        std::string("LOOPING: ") + (setup.looping ? "ON" : "OFF"),
        "Rx START CH: " + characterSummaryForm(setup.rxStart),
        "Rx END CH: " + characterSummaryForm(setup.rxEnd),
        "Tx START CH: " + characterSummaryForm(setup.txStart),
        "Tx END CH: " + characterSummaryForm(setup.txEnd),
        "COMMENT FILTER: " + characterSummaryForm(setup.commentFilter),
        "Tx NULL CH: " + std::to_string(setup.nullCount),
        std::string("VERTICAL PARITY: ") + verticalParityText(setup.verticalParity),
        setup.handshake == Handshake::XonXoffWaitForXon ? "WAIT FOR XON" : "NO WAIT FOR XON",
        "DEF. Tx DIR: " + setup.txDirectory,
        "DEF. Rx DIR: " + setup.rxDirectory,
    };
}

}  // namespace quillon
