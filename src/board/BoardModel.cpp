#include "board/BoardModel.h"

#include <cstdio>
#include <utility>

#include "monitoring/DetailedViewModel.h"
#include "monitoring/LiveColorRules.h"

namespace quillon {

namespace {

// The tile of a machine the hub has not told of yet: the table's neutral grey.
constexpr std::uint32_t kUnknownTileColor = kLiveUnknownStatus;

// "12-4": hub and port as the user counts them, from 1. Pushes find their tiles by it.
std::string tileId(MachineSlot slot)
{
    return std::to_string(slot.hub + 1) + '-' + std::to_string(slot.port + 1);
}

std::string colorsJson(std::uint32_t background)
{
    return JsonObject()
        .text("background", webColor(background))
        .text("text", webColor(readableTextOn(background)))
        .done();
}

// The last cycle as the detailed view shows it: its duration, or in rate mode the
// machine's rate (one for both stations) against the rate band.
std::string stationJson(const MachineSnapshot& state, const StationSnapshot& station)
{
    JsonObject object;
    object.text("part_number", station.partNumber)
        .whole("good", station.goodCount)
        .whole("total", station.totalCount);
    if (state.rateMode) {
        object.text("last_cycle", rateText(state.lastRate))
            .text("cycle_band", bandName(state.rateBand));
    } else {
        object.text("last_cycle", durationText(station.lastCycleSeconds))
            .text("cycle_band", bandName(station.cycleBand));
    }
    return object.whole("oee", station.oee).done();
}

}  // namespace

std::string webColor(std::uint32_t color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color & 0xFF, (color >> 8) & 0xFF,
                  (color >> 16) & 0xFF);
    return text;
}

std::uint32_t staleColor(std::uint32_t color)
{
    const std::uint32_t red = color & 0xFF;
    const std::uint32_t green = (color >> 8) & 0xFF;
    const std::uint32_t blue = (color >> 16) & 0xFF;
    // The same weights readableTextOn judges brightness by.
    const std::uint32_t grey = (299 * red + 587 * green + 114 * blue) / 1000;
    const auto faded = [grey](std::uint32_t channel) { return (channel + 3 * grey) / 4; };
    return faded(red) | faded(green) << 8 | faded(blue) << 16;
}

void BoardModel::Receiver::datagramArrived(std::string_view bytes)
{
    m_model.hubHeard();
    m_model.m_follower.datagramArrived(bytes);
}

BoardModel::BoardModel(std::vector<ListEntry> list, StatusTable statuses,
                       std::vector<MachineSlot> configured, HubRequests& hub, const Clock& clock,
                       BoardOptions options)
    : m_list(std::move(list)),
      m_statuses(std::move(statuses)),
      m_clock(clock),
      m_options(std::move(options)),
      m_follower(hub, configured, clock, *this)
{
}

BoardModel::~BoardModel() = default;

void BoardModel::start()
{
    m_follower.start();
}

DatagramReceiver& BoardModel::receiver()
{
    return m_receiver;
}

void BoardModel::setPush(Push push)
{
    m_push = std::move(push);
}

void BoardModel::push(const std::string& message) const
{
    if (m_push)
        m_push(message);
}

void BoardModel::hubHeard()
{
    m_lastHeard = m_clock.now();
    if (!m_connected)
        hubFlipped(*m_lastHeard);
}

void BoardModel::tick()
{
    m_follower.tick();
    const std::int64_t now = m_clock.now();
    if (m_connected && now - *m_lastHeard >= kHubSilentAfterSeconds)
        hubFlipped(now);
}

void BoardModel::hubFlipped(std::int64_t now)
{
    m_connected = !m_connected;
    push(JsonObject()
             .text("type", "hub")
             .flag("connected", m_connected)
             .text("server_time", isoTime(now))
             .done());
}

bool BoardModel::listed(MachineSlot slot) const
{
    for (const ListEntry& entry : m_list) {
        if (entry.kind == ListEntryKind::Machine && entry.slot == slot)
            return true;
    }
    return false;
}

void BoardModel::stateChanged(const MachineSnapshot& state)
{
    if (m_list.empty() && !m_onBoard.test(static_cast<std::size_t>(state.slot.index()))) {
        // A new tile somewhere among the others: the page gets the board again rather than
        // having to work out where the tile goes.
        m_onBoard.set(static_cast<std::size_t>(state.slot.index()));
        push(snapshotJson());
        return;
    }
    if (!m_list.empty() && !listed(state.slot))
        return;
    // A machine listed twice has two tiles of one id; one push updates both.
    push(tileObject(state.slot, {}).text("server_time", isoTime(m_clock.now())).done());
}

void BoardModel::eventHappened(const MachineEvent&)
{
    // The page shows states only; the events are the MQTT bridge's business.
}

JsonObject BoardModel::unknownTileObject(std::string id, std::string_view listName) const
{
    JsonObject tile;
    tile.text("type", "machine")
        .text("id", id)
        .text("machine", listName)
        .raw("number", "null")
        .text("status", "")
        .raw("status_since", "null")
        .raw("colors", colorsJson(kUnknownTileColor))
        .flag("alert", false)
        .flag("stale", false)
        .raw("stations", "[]")
        .text("oee_band", bandName(Band::Within))
        .flag("known", false);
    return tile;
}

JsonObject BoardModel::tileObject(MachineSlot slot, std::string_view listName) const
{
    const MachineSnapshot* state = m_follower.lastState(slot);
    if (!state)
        return unknownTileObject(tileId(slot), listName);
    std::uint32_t background = liveStatusColor(m_statuses, state->status);
    if (state->stale)
        background = staleColor(background);
    std::string stations = "[";
    for (const StationSnapshot& station : state->stations) {
        if (stations.size() > 1)
            stations += ',';
        stations += stationJson(*state, station);
    }
    stations += ']';
    JsonObject tile;
    tile.text("type", "machine")
        .text("id", tileId(slot))
        .text("machine", state->name.empty() ? listName : std::string_view(state->name))
        .whole("number", state->number)
        .text("status", state->status)
        .text("status_since", isoTime(state->statusSince))
        .raw("colors", colorsJson(background))
        .flag("alert", state->alert)
        .flag("stale", state->stale)
        .raw("stations", stations)
        .text("oee_band", bandName(state->oeeBand))
        .flag("known", true)
        .flag("rate_mode", state->rateMode);
    return tile;
}

std::string BoardModel::rowsJson() const
{
    std::string rows = "[";
    const auto add = [&rows](const std::string& row) {
        if (rows.size() > 1)
            rows += ',';
        rows += row;
    };
    if (m_list.empty()) {
        for (int index = 0; index < kMachineSlots; ++index) {
            if (m_onBoard.test(static_cast<std::size_t>(index)))
                add(tileObject(MachineSlot::ofIndex(index), {}).done());
        }
    }
    for (std::size_t position = 0; position < m_list.size(); ++position) {
        const ListEntry& entry = m_list[position];
        if (entry.kind != ListEntryKind::Machine) {
            add(JsonObject()
                    .text("type", "title")
                    .text("level", entry.kind == ListEntryKind::MainTitle ? "main" : "sub")
                    .text("text", entry.text)
                    .done());
        } else if (entry.slot) {
            add(tileObject(*entry.slot, entry.text).done());
        } else {
            // The hub does not place this machine: nothing will ever come for its tile.
            add(unknownTileObject("list-" + std::to_string(position + 1), entry.text).done());
        }
    }
    return rows + ']';
}

std::string BoardModel::snapshotJson() const
{
    return JsonObject()
        .text("type", "snapshot")
        .raw("title", jsonUtf8String(m_options.title))
        .raw("hub", JsonObject().flag("connected", m_connected).done())
        .text("server_time", isoTime(m_clock.now()))
        .raw("rows", rowsJson())
        .done();
}

std::string BoardModel::machinesJson() const
{
    std::string machines = "[";
    for (int index = 0; index < kMachineSlots; ++index) {
        if (const MachineSnapshot* state = m_follower.lastState(MachineSlot::ofIndex(index))) {
            if (machines.size() > 1)
                machines += ',';
            machines += stateJson(*state);
        }
    }
    return machines + ']';
}

}  // namespace quillon
