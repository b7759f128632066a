#include "board/BoardModel.h"

#include <gtest/gtest.h>

#include <map>

#include "monitoring/Datagrams.h"
#include "monitoring/HubDatagramSamples.h"
#include "platform/Clock.h"
#include "support/ScopedTimeZone.h"

namespace quillon {
namespace {

constexpr std::int64_t kStart = 1'780'000'000;
constexpr MachineSlot kLathe{11, 3};  // the sample record's machine
constexpr MachineSlot kMill{0, 1};

// Field n of the sample record is fields[n - 1].
constexpr std::size_t kHubField = 0;
constexpr std::size_t kPortField = 1;
constexpr std::size_t kLastCycle1 = 7;
constexpr std::size_t kGood1 = 13;
constexpr std::size_t kStatus = 18;
constexpr std::size_t kName = 19;
constexpr std::size_t kCycleMode = 22;
constexpr std::size_t kStatusAgo = 34;

// ---- Reading the board's JSON back ------------------------------------------------------

// Where the JSON value starting at `at` ends: strings, objects and arrays taken whole.
std::size_t valueEnd(std::string_view json, std::size_t at)
{
    int depth = 0;
    bool inString = false;
    for (std::size_t i = at; i < json.size(); ++i) {
        const char c = json[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
                if (depth == 0)
                    return i + 1;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth <= 0)
                return depth == 0 ? i + 1 : i;
        } else if (c == ',' && depth == 0) {
            return i;
        }
    }
    return json.size();
}

// The values of an array, or the keys and values of an object, as JSON texts.
std::vector<std::string> members(std::string_view json)
{
    std::vector<std::string> parts;
    for (std::size_t at = 1; at < json.size() && json[at] != ']' && json[at] != '}';) {
        const std::size_t end = valueEnd(json, at);
        parts.emplace_back(json.substr(at, end - at));
        at = end + (end < json.size() && json[end] == ',' ? 1 : 0);
        if (end < json.size() && json[end] == ':')
            ++at;
    }
    return parts;
}

// A member of an object as JSON text; "" when it has none of that name.
std::string field(std::string_view object, std::string_view key)
{
    const std::vector<std::string> parts = members(object);
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i] == '"' + std::string(key) + '"')
            return parts[i + 1];
    }
    return {};
}

// The same past a path of keys and array places: field(json, {"rows", "2", "id"}).
std::string at(std::string json, std::initializer_list<std::string_view> path)
{
    for (const std::string_view step : path) {
        if (json.starts_with('['))
            json = members(json).at(std::stoul(std::string(step)));
        else
            json = field(json, step);
    }
    return json;
}

std::string jsonText(std::string_view text)
{
    return '"' + std::string(text) + '"';
}

// ---- A hub, and a page that applies what the board pushes --------------------------------

class SilentHub final : public HubRequests {
public:
    void sendWord(std::string_view) override {}
    void sendMachineRequest(std::string_view, MachineSlot) override {}
    void sendStatus(MachineSlot, std::string_view) override {}
    void sendSetup(MachineSlot, const SetupChange&) override {}
};

// Holds the board as the page's script does: the snapshot's rows, each machine push put in
// place of the tiles of its id, the hub's state from the hub pushes.
class Page {
public:
    void apply(const std::string& message)
    {
        const std::string type = field(message, "type");
        if (type == jsonText("snapshot")) {
            rows = members(field(message, "rows"));
            connected = field(field(message, "hub"), "connected");
        } else if (type == jsonText("hub")) {
            connected = field(message, "connected");
        } else if (type == jsonText("machine")) {
            const std::string id = field(message, "id");
            // The tile is the push without the server's time, which comes last.
            const std::string tile = message.substr(0, message.rfind(",\"server_time\"")) + '}';
            for (std::string& row : rows) {
                if (field(row, "id") == id)
                    row = tile;
            }
        }
    }
    std::vector<std::string> rows;
    std::string connected;
};

class BoardModelTest : public ::testing::Test {
protected:
    void make(std::vector<ListEntry> list, std::vector<MachineSlot> configured = {})
    {
        board = std::make_unique<BoardModel>(std::move(list), statuses, std::move(configured), hub,
                                             clock, options);
        board->setPush([this](const std::string& message) {
            pushes.push_back(message);
            page.apply(message);
        });
        board->start();
        page.apply(board->snapshotJson());
    }
    void record(MachineSlot slot = kLathe)
    {
        std::vector<std::string> fields = this->fields;
        fields[kHubField] = std::string(1, "0123456789abcdef"[slot.hub]);
        fields[kPortField] = std::to_string(slot.port);
        board->receiver().datagramArrived(test::recordDatagram(fields, fields.size()));
    }
    void tickFor(std::int64_t seconds)
    {
        for (std::int64_t i = 0; i < seconds; ++i) {
            clock.advance(1);
            board->tick();
        }
    }
    std::string rows() const { return field(board->snapshotJson(), "rows"); }
    std::string row(std::size_t index) const { return members(rows()).at(index); }

    const test::ScopedTimeZone shop;
    FixedClock clock{kStart};
    SilentHub hub;
    StatusTable statuses = StatusTable::defaults();
    BoardOptions options;
    std::unique_ptr<BoardModel> board;
    std::vector<std::string> pushes;
    Page page;
    std::vector<std::string> fields = test::fullRecordFields();
};

ListEntry machine(std::string name, std::optional<MachineSlot> slot)
{
    return {ListEntryKind::Machine, std::move(name), slot};
}

// ---- Rows ---------------------------------------------------------------------------------

TEST_F(BoardModelTest, RowsFollowTheListWithItsTitlesAndUnknownTiles)
{
    make({{ListEntryKind::MainTitle, "HALL A", {}},
          machine("Lathe three", kLathe),
          {ListEntryKind::SubTitle, "Cell 2", {}},
          machine("MILL", kMill),
          machine("OLD SAW", std::nullopt)});
    ASSERT_EQ(members(rows()).size(), 5u);
    EXPECT_EQ(row(0), R"({"type":"title","level":"main","text":"HALL A"})");
    EXPECT_EQ(row(2), R"({"type":"title","level":"sub","text":"Cell 2"})");
    // Before its record a tile has the list's name and nothing else to tell.
    EXPECT_EQ(at(row(1), {"id"}), jsonText("12-4"));
    EXPECT_EQ(at(row(1), {"machine"}), jsonText("Lathe three"));
    EXPECT_EQ(at(row(1), {"known"}), "false");
    EXPECT_EQ(at(row(1), {"status_since"}), "null");
    EXPECT_EQ(at(row(1), {"stations"}), "[]");
    EXPECT_EQ(at(row(4), {"id"}), jsonText("list-5"));
    EXPECT_EQ(at(row(4), {"machine"}), jsonText("OLD SAW"));

    record();
    EXPECT_EQ(at(row(1), {"known"}), "true");
    EXPECT_EQ(at(row(1), {"machine"}), jsonText("LATHE 3")) << "the hub's name once known";
    EXPECT_EQ(at(row(1), {"status"}), jsonText("CYCLE ON"));
    EXPECT_EQ(at(row(1), {"number"}), "5");
    EXPECT_EQ(at(row(3), {"known"}), "false") << "the mill never answered";

    // A machine the list does not name is followed, but has no tile.
    const std::size_t pushed = pushes.size();
    record({4, 2});
    EXPECT_EQ(pushes.size(), pushed);
    EXPECT_EQ(members(rows()).size(), 5u);
}

TEST_F(BoardModelTest, WithoutAListTilesComeInHubThenPortOrderAsMachinesBecomeKnown)
{
    make({}, {kLathe, kMill});
    EXPECT_EQ(rows(), "[]") << "configured machines wait for their first record";
    record(kLathe);
    record({0, 7});
    record(kMill);
    const std::vector<std::string> tiles = members(rows());
    ASSERT_EQ(tiles.size(), 3u);
    EXPECT_EQ(field(tiles[0], "id"), jsonText("1-2"));
    EXPECT_EQ(field(tiles[1], "id"), jsonText("1-8"));
    EXPECT_EQ(field(tiles[2], "id"), jsonText("12-4"));
    // Each new tile brought the whole board; a change to a tile only that tile.
    ASSERT_EQ(pushes.size(), 4u) << "the hub's first word, then a snapshot per new machine";
    EXPECT_EQ(field(pushes[3], "type"), jsonText("snapshot"));
    EXPECT_EQ(members(field(pushes[3], "rows")).size(), 3u);
    fields[kStatus] = "ALARM";
    record(kMill);
    ASSERT_EQ(pushes.size(), 5u);
    EXPECT_EQ(field(pushes[4], "type"), jsonText("machine"));
    EXPECT_EQ(field(pushes[4], "id"), jsonText("1-2"));
}

// ---- Tiles --------------------------------------------------------------------------------

TEST(BoardColors, WebColorsPutTheRedByteFirst)
{
    const struct {
        const char* name;
        std::uint32_t color;  // 0x00BBGGRR
        const char* web;
    } rows[] = {
        {"red", kLiveRed, "#ff0000"},
        {"blue", kLiveBlue, "#0000ff"},
        {"orange", kLiveOrange, "#ff8000"},
        {"every byte different", 0x00336699, "#996633"},
        {"a stray high byte is not a colour", 0xAB000000, "#000000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(webColor(row.color), row.web) << row.name;
}

TEST(BoardColors, StaleColoursFadeTowardsTheGreyOfTheirBrightness)
{
    // Red: brightness 76; each channel a quarter of the way from it.
    EXPECT_EQ(webColor(staleColor(kLiveRed)), "#783939");
    EXPECT_EQ(staleColor(0x808080), 0x808080u) << "a grey has nothing to fade";
    EXPECT_EQ(staleColor(kLiveBlack), kLiveBlack);
}

TEST_F(BoardModelTest, TilesTakeTheStatusTablesColourWithReadableText)
{
    // A dark colour whose bytes differ: read the wrong way round it would be light.
    statuses.colors[kStatusCycleOn] = 0x00336699;  // RGB 99 66 33
    statuses.colors[kStatusAlarm] = 0x0099CCFF;    // RGB ff cc 99
    make({machine("LATHE 3", kLathe)});
    record();
    EXPECT_EQ(at(row(0), {"colors"}), R"({"background":"#996633","text":"#ffffff"})");
    fields[kStatus] = "ALARM";
    record();
    EXPECT_EQ(at(row(0), {"colors"}), R"({"background":"#ffcc99","text":"#000000"})");
    fields[kStatus] = "WAITING FOR CRANE";
    record();
    EXPECT_EQ(at(row(0), {"colors", "background"}), jsonText(webColor(kLiveUnknownStatus)));
}

TEST_F(BoardModelTest, StationsShowTheLastCycleAsTheDetailedViewDoes)
{
    make({machine("LATHE 3", kLathe)});
    fields[kCycleMode] = "1";
    record();
    // The sample is a two-head machine: 45 s against 40..61, then 26 s against 20..30.
    EXPECT_EQ(at(row(0), {"stations", "0"}),
              R"({"part_number":"P-100","good":7,"total":30,"last_cycle":"00:00:45",)"
              R"("cycle_band":"within","oee":71})");
    EXPECT_EQ(at(row(0), {"stations", "1", "last_cycle"}), jsonText("00:00:26"));
    EXPECT_EQ(at(row(0), {"rate_mode"}), "false");
    fields[kLastCycle1] = "3725";
    record();
    EXPECT_EQ(at(row(0), {"stations", "0", "last_cycle"}), jsonText("01:02:05"));
    EXPECT_EQ(at(row(0), {"stations", "0", "cycle_band"}), jsonText("above"));

    // In rate mode the cycle is the machine's rate, one decimal, against the rate band.
    fields[kCycleMode] = "2";
    record();
    EXPECT_EQ(at(row(0), {"rate_mode"}), "true");
    EXPECT_EQ(at(row(0), {"stations", "0", "last_cycle"}), jsonText("1.8"));
    EXPECT_EQ(at(row(0), {"stations", "0", "cycle_band"}), jsonText("below"));
    EXPECT_EQ(at(row(0), {"stations", "1", "last_cycle"}), jsonText("1.8"));
}

TEST_F(BoardModelTest, NamesAndTitlesAreEscapedAndLatin1ComesOutAsUtf8)
{
    options.title =
        "Halle S\xC3\xBC"
        "d \"B\"";                    // UTF-8, as typed on the command line
    fields[kName] = "S\xE4GE \"2\"";  // Latin-1, as the hub sends it
    make({{ListEntryKind::MainTitle,
           "Stra\xDF"
           "e\\1",
           {}},
          machine("x", kLathe)});
    record();
    const std::string snapshot = board->snapshotJson();
    EXPECT_EQ(field(snapshot, "title"),
              "\"Halle S\xC3\xBC"
              "d \\\"B\\\"\"");
    EXPECT_EQ(at(snapshot, {"rows", "0", "text"}),
              "\"Stra\xC3\x9F"
              "e\\\\1\"");
    EXPECT_EQ(at(snapshot, {"rows", "1", "machine"}), "\"S\xC3\xA4GE \\\"2\\\"\"");
}

// ---- Pushes -------------------------------------------------------------------------------

TEST_F(BoardModelTest, AChangePushesItsTileAndAnUnchangedRecordNothing)
{
    make({machine("LATHE 3", kLathe)});
    record();
    ASSERT_EQ(pushes.size(), 2u);  // the hub heard, the tile known
    EXPECT_EQ(field(pushes[1], "type"), jsonText("machine"));
    EXPECT_EQ(field(pushes[1], "server_time"), jsonText(isoTime(kStart)));

    // The same record a second later: its "seconds ago" lands a second apart.
    clock.advance(1);
    fields[kStatusAgo] = "51";
    record();
    EXPECT_EQ(pushes.size(), 2u);

    fields[kStatus] = "CYCLE OFF";
    fields[kGood1] = "8";
    record();
    ASSERT_EQ(pushes.size(), 3u);
    EXPECT_EQ(field(pushes[2], "id"), jsonText("12-4"));
    EXPECT_EQ(field(pushes[2], "status"), jsonText("CYCLE OFF"));
    EXPECT_EQ(at(pushes[2], {"stations", "0", "good"}), "8");
    EXPECT_EQ(field(pushes[2], "server_time"), jsonText(isoTime(kStart + 1)));
}

TEST_F(BoardModelTest, TheHubIsConnectedWhileItsDatagramsKeepComing)
{
    make({machine("LATHE 3", kLathe)});
    EXPECT_EQ(at(board->snapshotJson(), {"hub", "connected"}), "false") << "not heard yet";
    record();
    ASSERT_FALSE(pushes.empty());
    EXPECT_EQ(pushes[0],
              R"({"type":"hub","connected":true,"server_time":")" + isoTime(kStart) + "\"}")
        << "before the tile that came with it";

    // A quiet machine is asked for halfway; its answer keeps the hub connected.
    tickFor(BoardModel::kHubSilentAfterSeconds - 1);
    fields[kStatusAgo] = std::to_string(50 + BoardModel::kHubSilentAfterSeconds - 1);
    record();
    tickFor(BoardModel::kHubSilentAfterSeconds - 1);
    EXPECT_TRUE(board->hubConnected());
    EXPECT_EQ(pushes.size(), 2u) << "no flip, no push";

    tickFor(1);
    EXPECT_FALSE(board->hubConnected());
    ASSERT_EQ(pushes.size(), 4u);
    EXPECT_EQ(field(pushes[2], "stale"), "true") << "the machine fell silent with the hub";
    EXPECT_EQ(field(pushes[3], "type"), jsonText("hub"));
    EXPECT_EQ(field(pushes[3], "connected"), "false");
    tickFor(30);
    EXPECT_EQ(pushes.size(), 4u);

    // Any datagram of the hub brings it back, even one that tells no machine's state.
    board->receiver().datagramArrived(test::withNul("_INI:@0"));
    ASSERT_EQ(pushes.size(), 5u);
    EXPECT_EQ(field(pushes[4], "connected"), "true");
}

TEST_F(BoardModelTest, AStaleTileIsGreyedUntilItsMachineAnswers)
{
    statuses.colors[kStatusCycleOn] = kLiveRed;
    make({machine("LATHE 3", kLathe)});
    record();
    tickFor(HubFollower::kStaleAfterSeconds);
    EXPECT_EQ(at(row(0), {"stale"}), "true");
    EXPECT_EQ(at(row(0), {"colors", "background"}), jsonText("#783939"));
    record();
    EXPECT_EQ(at(row(0), {"stale"}), "false");
    EXPECT_EQ(at(row(0), {"colors", "background"}), jsonText("#ff0000"));
}

TEST_F(BoardModelTest, APageThatAppliesThePushesHoldsTheSnapshotOfTheBoard)
{
    const struct {
        const char* name;
        std::vector<ListEntry> list;
    } boards[] = {
        {"a list with a machine twice",
         {{ListEntryKind::MainTitle, "HALL", {}},
          machine("LATHE 3", kLathe),
          machine("MILL", kMill),
          machine("LATHE 3", kLathe)}},
        {"no list", {}},
    };
    for (const auto& scenario : boards) {
        SCOPED_TRACE(scenario.name);
        pushes.clear();
        clock.set(kStart);
        fields = test::fullRecordFields();
        make(scenario.list, {kMill});
        record(kLathe);
        tickFor(5);
        record(kMill);
        fields[kStatus] = "ALARM";
        fields[kGood1] = "9";
        record(kLathe);
        tickFor(HubFollower::kStaleAfterSeconds);
        fields[kStatus] = "SETUP";
        record(kMill);

        const std::string snapshot = board->snapshotJson();
        EXPECT_EQ(page.rows, members(field(snapshot, "rows")));
        EXPECT_EQ(page.connected, at(snapshot, {"hub", "connected"}));
        EXPECT_EQ(at(snapshot, {"rows", "1", "status"}), jsonText("ALARM"));
    }
}

// ---- The scripts' view ----------------------------------------------------------------

TEST_F(BoardModelTest, MachinesAreEveryKnownStateInHubThenPortOrder)
{
    make({machine("MILL", kMill)}, {kMill, {3, 3}});
    EXPECT_EQ(board->machinesJson(), "[]");
    record(kLathe);
    record(kMill);
    const std::vector<std::string> machines = members(board->machinesJson());
    ASSERT_EQ(machines.size(), 2u) << "unlisted machines too, listed ones without a state not";
    // The MQTT state topic's fields.
    EXPECT_EQ(field(machines[0], "hub"), "1");
    EXPECT_EQ(field(machines[0], "port"), "2");
    EXPECT_EQ(field(machines[0], "station_kind"), jsonText("two_heads"));
    EXPECT_EQ(field(machines[0], "time"), jsonText(isoTime(kStart)));
    EXPECT_EQ(field(machines[1], "hub"), "12");
    EXPECT_EQ(field(machines[1], "port"), "4");
}

}  // namespace
}  // namespace quillon
