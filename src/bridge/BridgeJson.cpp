#include "bridge/BridgeJson.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

namespace quillon {

namespace {

std::string_view stationKindName(StationKind kind)
{
    switch (kind) {
    case StationKind::Single:
        return "single";
    case StationKind::TwoHeads:
        return "two_heads";
    case StationKind::TwoPallets:
        return "two_pallets";
    case StationKind::Unknown:
        break;
    }
    return "unknown";
}

std::string number(double value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    if (error != std::errc())
        return "0";
    return std::string(text, end);
}

// The fields every message of a machine starts with.
JsonObject machineObject(MachineSlot slot, std::string_view name, int number)
{
    JsonObject object;
    object.text("machine", name)
        .whole("number", number)
        .whole("hub", slot.hub + 1)
        .whole("port", slot.port + 1);
    return object;
}

std::string stationJson(const StationSnapshot& station, bool rateMode)
{
    JsonObject object;
    object.text("part_number", station.partNumber)
        .whole("good", station.goodCount)
        .whole("total", station.totalCount);
    if (!rateMode) {
        object.whole("last_cycle_s", station.lastCycleSeconds)
            .whole("ideal_cycle_s", station.idealCycleSeconds)
            .whole("min_cycle_s", station.minCycleSeconds)
            .whole("max_cycle_s", station.maxCycleSeconds)
            .text("cycle_band", bandName(station.cycleBand));
    }
    object.whole("feed_override", station.feedOverride)
        .whole("availability", station.availability)
        .whole("performance", station.performance)
        .whole("quality", station.quality)
        .whole("oee", station.oee);
    return object.done();
}

}  // namespace

JsonObject& JsonObject::real(std::string_view key, double value)
{
    return raw(key, number(value));
}

JsonObject& JsonObject::raw(std::string_view key, std::string_view json)
{
    m_text += m_text.size() == 1 ? "\"" : ",\"";
    m_text += key;
    m_text += "\":";
    m_text += json;
    return *this;
}

std::string isoTime(std::int64_t seconds)
{
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    const long offset = local.tm_gmtoff;
    // Zones lie within a day of UTC; the clamp only keeps the text's length known.
    const int minutes = static_cast<int>(std::min(offset < 0 ? -offset : offset, 86399L) / 60);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                  (local.tm_year + 1900) % 10000, (local.tm_mon + 1) % 100, local.tm_mday % 100,
                  local.tm_hour % 100, local.tm_min % 100, local.tm_sec % 100,
                  offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

namespace {

// Quotes, backslashes and control characters escaped; false for a byte past ASCII.
bool appendAscii(std::string& json, unsigned char byte)
{
    if (byte == '"' || byte == '\\') {
        json += '\\';
        json += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
        json += escaped;
    } else if (byte < 0x80) {
        json += static_cast<char>(byte);
    } else {
        return false;
    }
    return true;
}

// Latin-1 is the first 256 code points: two bytes of UTF-8 each.
void appendLatin1(std::string& json, unsigned char byte)
{
    json += static_cast<char>(0xC0 | (byte >> 6));
    json += static_cast<char>(0x80 | (byte & 0x3F));
}

// The length of the well-formed UTF-8 sequence at the start of `text`, 0 if there is none
// (overlong forms, surrogates and code points past U+10FFFF are not well-formed).
std::size_t utf8SequenceLength(std::string_view text)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    }
    return length;
}

}  // namespace

std::string jsonString(std::string_view latin1)
{
    std::string json = "\"";
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (!appendAscii(json, byte))
            appendLatin1(json, byte);
    }
    json += '"';
    return json;
}

std::string jsonUtf8String(std::string_view utf8)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (appendAscii(json, byte)) {
            ++i;
        } else if (const std::size_t length = utf8SequenceLength(utf8.substr(i))) {
            json.append(utf8, i, length);
            i += length;
        } else {
            appendLatin1(json, byte);
            ++i;
        }
    }
    json += '"';
    return json;
}

std::string stateJson(const MachineSnapshot& state)
{
    JsonObject object = machineObject(state.slot, state.name, state.number);
    object.text("station_kind", stationKindName(state.stationKind))
        .text("status", state.status)
        .text("status_since", isoTime(state.statusSince));
    std::string stations = "[";
    for (const StationSnapshot& station : state.stations) {
        if (stations.size() > 1)
            stations += ',';
        stations += stationJson(station, state.rateMode);
    }
    object.raw("stations", stations + ']');
    if (state.rateMode) {
        object.real("last_rate", state.lastRate)
            .real("nominal_rate", state.nominalRate)
            .text("rate_band", bandName(state.rateBand));
    }
    return object.whole("spindle_override", state.spindleOverride)
        .text("oee_band", bandName(state.oeeBand))
        .flag("alert", state.alert)
        .flag("stale", state.stale)
        .text("time", isoTime(state.time))
        .done();
}

std::string eventJson(const MachineEvent& event)
{
    JsonObject object = machineObject(event.slot, event.name, event.number);
    object.text("event", eventKindName(event.kind)).whole("station", event.station);
    if (event.kind == MachineEvent::Kind::Count) {
        object
            .raw("old",
                 JsonObject().whole("good", event.oldGood).whole("total", event.oldTotal).done())
            .raw("new",
                 JsonObject().whole("good", event.newGood).whole("total", event.newTotal).done());
    } else {
        object.text("old", event.oldText).text("new", event.newText);
    }
    return object.text("time", isoTime(event.time)).done();
}

}  // namespace quillon
