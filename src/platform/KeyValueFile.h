// The settings files of our own that a user may edit by hand (MqttBridge.sys, ShopBoard.sys):
// key=value lines ended by CR LF, read and written through one table of the settings' text
// fields and their on/off flag, so every such file is read as leniently as the others.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextFile.h"

namespace quillon {

template <typename Settings>
struct KeyValueField {
    std::string_view name;
    std::string Settings::*text = nullptr;  // nullptr: the settings' on/off flag
};

// A value that reached us with a line end in it would make a key of its own.
inline std::string_view withinOneLine(std::string_view text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

// Missing keys keep their defaults; unknown keys, lines without '=' and the blanks around
// keys and values are passed over, as someone editing the file by hand may leave them. Only
// "1" switches the flag on: a damaged flag must not switch anything on.
template <typename Settings, std::size_t N>
Settings parseKeyValues(std::string_view bytes, std::size_t lineLimit,
                        const KeyValueField<Settings> (&fields)[N], bool Settings::*flag)
{
    Settings settings;
    LineReader reader(bytes, lineLimit);
    while (const auto line = reader.next()) {
        const auto equals = line->find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line->substr(0, equals));
        // A value ends at a CR as well, as it does when written: what was read saves back
        // unchanged, and a flag followed by a lone CR (old Mac line ends) still reads.
        const std::string_view value = trimmed(withinOneLine(line->substr(equals + 1)));
        for (const KeyValueField<Settings>& field : fields) {
            if (field.name != key)
                continue;
            if (field.text)
                settings.*field.text = value;
            else
                settings.*flag = value == "1";
        }
    }
    return settings;
}

// Every key in table order, each value cut at a line end.
template <typename Settings, std::size_t N>
std::string formatKeyValues(const Settings& settings, const KeyValueField<Settings> (&fields)[N],
                            bool Settings::*flag)
{
    std::vector<std::string> lines;
    for (const KeyValueField<Settings>& field : fields) {
        const std::string value = field.text ? std::string(withinOneLine(settings.*field.text))
                                             : (settings.*flag ? "1" : "0");
        lines.push_back(std::string(field.name) + '=' + value);
    }
    return joinLinesCrLf(lines);
}

}  // namespace quillon
