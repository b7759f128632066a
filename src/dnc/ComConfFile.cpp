#include "dnc/ComConfFile.h"

#include <vector>

#include "dnc/PortSetups.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

constexpr std::size_t kKeyLength = 3;  // "NM:"

// The one-character keys in file order, with the byte each one fills.
struct ByteKey {
    std::string_view key;
    std::uint8_t* (*field)(PortSetup&);
};

template <typename T>
std::uint8_t* bytesOf(T& value)
{
    static_assert(sizeof(T) == 1);
    return reinterpret_cast<std::uint8_t*>(&value);
}

const std::array<ByteKey, 12>& byteKeys()
{
    static const std::array<ByteKey, 12> keys = {{
        {"PT:", [](PortSetup& s) { return &s.port; }},
        {"BD:", [](PortSetup& s) { return &s.baud; }},
        {"EB:", [](PortSetup& s) { return bytesOf(s.endOfBlock); }},
        {"CD:", [](PortSetup& s) { return bytesOf(s.code); }},
        {"HH:", [](PortSetup& s) { return &s.hardwareHandshake; }},
        {"XO:", [](PortSetup& s) { return bytesOf(s.handshake); }},
        {"VP:", [](PortSetup& s) { return bytesOf(s.verticalParity); }},
        {"SB:", [](PortSetup& s) { return &s.smallBuffer; }},
        {"ET:", [](PortSetup& s) { return &s.includeStartForRepositioning; }},
        {"KO:", [](PortSetup& s) { return bytesOf(s.keepPortOpen); }},
        {"LO:", [](PortSetup& s) { return &s.looping; }},
        {"MD:", [](PortSetup& s) { return &s.mazakDelay; }},
    }};
    return keys;
}

struct TextKey {
    std::string_view key;
    std::string PortSetup::*field;
};

constexpr std::array<TextKey, 3> kTextKeys = {{
    {"NM:", &PortSetup::name},
    {"DT:", &PortSetup::txDirectory},
    {"DR:", &PortSetup::rxDirectory},
}};

struct CharacterKey {
    std::string_view key;
    std::int32_t PortSetup::*field;
};

constexpr std::array<CharacterKey, 5> kCharacterKeys = {{
    {"TS:", &PortSetup::txStart},
    {"TE:", &PortSetup::txEnd},
    {"CO:", &PortSetup::commentFilter},
    {"RS:", &PortSetup::rxStart},
    {"RE:", &PortSetup::rxEnd},
}};

constexpr std::string_view kNullKey = "NU:";

// In the file "^" and any character c stand for c - 64; a bare character for itself.
std::int32_t parseCharacterValue(std::string_view value)
{
    if (value.empty())
        return 0;
    if (value.size() >= 2 && value[0] == '^')
        return static_cast<unsigned char>(value[1]) - 64;
    return static_cast<unsigned char>(value[0]);
}

void readKeyLine(std::string_view line, PortSetup& setup)
{
    if (line.size() < kKeyLength)
        return;
    const std::string_view key = line.substr(0, kKeyLength);
    const std::string_view value = line.substr(kKeyLength);
    for (const auto& text : kTextKeys) {
        if (key == text.key) {
            setup.*text.field = value;
            return;
        }
    }
    for (const auto& byte : byteKeys()) {
        if (key == byte.key) {
            // "0" + value, taken without a range check so the byte writes back as read.
            const auto digit = value.empty() ? '0' : static_cast<unsigned char>(value[0]);
            *byte.field(setup) = static_cast<std::uint8_t>(digit - '0');
            return;
        }
    }
    if (key == kNullKey) {
        setup.nullCount = leadingInt32(value);
        return;
    }
    for (const auto& character : kCharacterKeys) {
        if (key == character.key) {
            setup.*character.field = parseCharacterValue(value);
            return;
        }
    }
}

std::optional<std::string> readComConf(const WorkDir& workDir, PortSetups& setups)
{
    if (auto bytes = readFile(workDir.file(kComConfFile)))
        return bytes;
    setups.select(0);
    return readFile(workDir.secondSettingsFolder() + std::string(kComConfFile));
}

}  // namespace

void parseComConf(std::string_view bytes, std::array<PortSetup, kPortCount>& records)
{
    LineReader reader(bytes);
    std::size_t current = 0;
    while (auto line = reader.next()) {
        if (line->empty()) {
            const auto header = reader.next();
            if (!header)
                return;
            const long long index = leadingInteger(*header) - 1;
            if (index < 0 || index >= kPortCount)
                return;
            current = static_cast<std::size_t>(index);
            line = reader.next();
            if (!line)
                return;
        }
        readKeyLine(*line, records[current]);
    }
}

std::string formatComConf(const std::array<PortSetup, kPortCount>& records)
{
    std::vector<std::string> lines{""};
    for (std::size_t n = 0; n < records.size(); ++n) {
        PortSetup setup = records[n];
        lines.push_back(std::to_string(n + 1) + ":");
        for (const auto& text : kTextKeys)
            lines.push_back(std::string(text.key) + setup.*text.field);
        for (const auto& byte : byteKeys())
            lines.push_back(std::string(byte.key) + static_cast<char>('0' + *byte.field(setup)));
        lines.push_back(std::string(kNullKey) + std::to_string(setup.nullCount));
        for (const auto& character : kCharacterKeys)
            lines.push_back(std::string(character.key) +
                            characterDisplayForm(setup.*character.field));
        lines.emplace_back();
    }
    return joinLinesCrLf(lines);
}

void loadPortSetups(PortSetups& setups, const WorkDir& workDir)
{
    setups.resetToDefaults();
    if (const auto bytes = readComConf(workDir, setups))
        parseComConf(*bytes, setups.records());
    setups.refreshWorkingCopy();
}

bool savePortSetups(const PortSetups& setups, const WorkDir& workDir, Notifier& notifier)
{
    const auto result =
        replaceFileAtomically(workDir.file(kComConfFile), formatComConf(setups.records()));
    if (!result.ok)
        notifier.message("File open error");
    return result.ok;
}

}  // namespace quillon
