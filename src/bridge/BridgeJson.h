// The JSON a subscriber reads: a machine's state and its events. Names and values are
// documented for the shop's dashboards in docs/mqtt.md; change them only together.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/MachineSnapshot.h"

namespace quillon {

// "2026-12-09T06:31:07+01:00": this computer's local time with its offset from UTC.
std::string isoTime(std::int64_t seconds);

std::string stateJson(const MachineSnapshot& state);
std::string eventJson(const MachineEvent& event);

// A JSON string of bytes taken as Latin-1, as every text of the hub is: quotes included.
std::string jsonString(std::string_view latin1);
// The same of text of our own, UTF-8 (a title typed on the command line or in the program);
// a byte that starts no well-formed UTF-8 sequence is taken as Latin-1, so the result is
// always valid JSON.
std::string jsonUtf8String(std::string_view utf8);

// Builds one object, field by field, commas in their places. Keys are written as given.
class JsonObject {
public:
    JsonObject& text(std::string_view key, std::string_view latin1)
    {
        return raw(key, jsonString(latin1));
    }
    JsonObject& whole(std::string_view key, long long value)
    {
        return raw(key, std::to_string(value));
    }
    JsonObject& real(std::string_view key, double value);
    JsonObject& flag(std::string_view key, bool value)
    {
        return raw(key, value ? "true" : "false");
    }
    // A value that is JSON already: an object, an array, null.
    JsonObject& raw(std::string_view key, std::string_view json);
    std::string done() const { return m_text + '}'; }

private:
    std::string m_text = "{";
};

}  // namespace quillon
