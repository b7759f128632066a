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

// Builds one object, field by field, commas in their places.
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
    JsonObject& real(std::string_view key, double value) { return raw(key, number(value)); }
    JsonObject& flag(std::string_view key, bool value)
    {
        return raw(key, value ? "true" : "false");
    }
    JsonObject& raw(std::string_view key, std::string_view json)
    {
        m_text += m_text.size() == 1 ? "\"" : ",\"";
        m_text += key;
        m_text += "\":";
        m_text += json;
        return *this;
    }
    std::string done() { return m_text + '}'; }

private:
    std::string m_text = "{";
};

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

std::string jsonString(std::string_view latin1)
{
    std::string json = "\"";
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else if (byte < 0x80) {
            json += c;
        } else {
            // Latin-1 is the first 256 code points: two bytes of UTF-8 each.
            json += static_cast<char>(0xC0 | (byte >> 6));
            json += static_cast<char>(0x80 | (byte & 0x3F));
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
