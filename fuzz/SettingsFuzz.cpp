// Feeds arbitrary bytes to every reader of a settings file of the working directory and of
// the hub's colours; the first byte picks the file. Besides crashes it checks what the
// files promise: settings saved read back to what was saved (no stored value may break a
// line or shift the next one), places written read back to the same rectangle, the hub's
// fixed status names stay fixed, and the broker, address and port readers hand back only
// what they read the same way a second time.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "app/AppSettings.h"
#include "app/FileUpdate.h"
#include "app/FontSettings.h"
#include "app/MainWindowRect.h"
#include "app/MarginsSettings.h"
#include "app/SpreadsheetPath.h"
#include "backplot/PlotColors.h"
#include "backplot/PlotWindowPlace.h"
#include "board/BoardSettings.h"
#include "bridge/BridgeSettings.h"
#include "bridge/MqttClient.h"
#include "dnc/ComConfFile.h"
#include "dnc/PortSetup.h"
#include "editor/EditorColors.h"
#include "monitoring/DetailedViewPlace.h"
#include "monitoring/GraphViewModel.h"
#include "monitoring/MonitorWindowPlace.h"
#include "monitoring/StatusTable.h"
#include "monitoring/TimelineViewModel.h"
#include "platform/Ipv4Address.h"
#include "platform/WindowRectFile.h"
#include "platform/WorkDir.h"

namespace {

using namespace quillon;

const WorkDir& workDir()
{
    static const WorkDir dir = [] {
        const WorkDir made(fuzz::makeFolder("settings"));
        FUZZ_CHECK(::mkdir(made.tmp().c_str(), 0700) == 0);
        return made;
    }();
    return dir;
}

std::array<PortSetup, kPortCount> portSetups(std::string_view bytes)
{
    std::array<PortSetup, kPortCount> result;
    for (int i = 0; i < kPortCount; ++i)
        result[static_cast<std::size_t>(i)] = PortSetup::defaults(i);
    parseComConf(bytes, result);
    return result;
}

void comConf(std::string_view bytes)
{
    const auto read = portSetups(bytes);
    for (const auto& setup : read)
        setupSummaryLines(setup);
    const std::string saved = formatComConf(read);
    const std::string again = formatComConf(portSetups(saved));
    FUZZ_CHECK(formatComConf(portSetups(again)) == again);
    parseCharacterEdit(bytes);
    parseNullCount(bytes);
}

// Read over the defaults, written and read again over the defaults: the same settings.
void ownFormats(std::string_view bytes)
{
    MarginsSettings margins;
    parseMargins(bytes, margins);
    MarginsSettings marginsAgain;
    parseMargins(formatMargins(margins), marginsAgain);
    FUZZ_CHECK(marginsAgain == margins);

    FontSet fonts;
    parseFonts(bytes, fonts);
    FontSet fontsAgain;
    parseFonts(formatFonts(fonts), fontsAgain);
    FUZZ_CHECK(fontsAgain == fonts);

    const EditorColors colors = parseEditorColors(bytes);
    FUZZ_CHECK(parseEditorColors(formatEditorColors(colors)) == colors);
    const PlotColors plotColors = parsePlotColors(bytes);
    FUZZ_CHECK(parsePlotColors(formatPlotColors(plotColors)) == plotColors);

    // Only complete pairs are written, one a line: read back they come first, in order.
    FileUpdateSettings update;
    update.pairs = parseDirectoryPairs(bytes);
    const auto pairsAgain = parseDirectoryPairs(formatDirectoryPairs(update));
    std::size_t next = 0;
    for (const DirectoryPair& pair : update.pairs) {
        if (pair.complete())
            FUZZ_CHECK(pairsAgain[next++] == pair);
    }
    for (; next < pairsAgain.size(); ++next)
        FUZZ_CHECK(!pairsAgain[next].complete());
}

void statusColors(std::string_view bytes)
{
    static const StatusTable defaults = StatusTable::defaults();
    const StatusTable table = StatusTable::parse(bytes);
    for (int index = 0; index < kStatusCount; ++index) {
        const auto place = static_cast<std::size_t>(index);
        if (isFixedStatusName(index))
            FUZZ_CHECK(table.names[place] == defaults.names[place]);
        if (!table.names[place].empty()) {
            const auto found = table.find(table.names[place]);
            FUZZ_CHECK(found && *found <= index);
        }
    }
}

void windowPlaces(std::string_view bytes, std::uint8_t extra)
{
    const std::string rectFile = workDir().file("rect.sys");
    if (const auto rect = parseWindowRect(bytes)) {
        FUZZ_CHECK(writeWindowRect(rectFile, *rect).ok);
        FUZZ_CHECK(readWindowRect(rectFile) == rect);
    }
    parseMainWindowRect(bytes);

    const std::size_t extras = extra % 4;
    const MonitorWindowPlace monitor = parseMonitorWindowPlace(bytes, extras);
    FUZZ_CHECK(monitor.extras.size() <= extras);
    if (monitor.rect) {
        FUZZ_CHECK(writeMonitorWindowPlace(rectFile, *monitor.rect, monitor.extras).ok);
        const auto again = readMonitorWindowPlace(rectFile, extras);
        FUZZ_CHECK(again && again->rect == monitor.rect && again->extras == monitor.extras);
    }

    // A window's place is written once it has a rectangle; until then the file is not.
    const DetailedViewPlace detailed = parseDetailedViewPlace(bytes);
    if (detailed.rect)
        FUZZ_CHECK(parseDetailedViewPlace(formatDetailedViewPlace(detailed)) == detailed);
    const GraphPlace graph = parseGraphPlace(bytes);
    if (graph.window)
        FUZZ_CHECK(parseGraphPlace(formatGraphPlace(graph)) == graph);
    const TimelinePlace timeline = parseTimelinePlace(bytes);
    if (timeline.window)
        FUZZ_CHECK(parseTimelinePlace(formatTimelinePlace(timeline)) == timeline);

    fuzz::putFile(workDir().tmpFile(plotWindowFileName(PlotKind::TwoD, 1)), bytes);
    if (const auto rect = readPlotWindowRect(workDir(), PlotKind::TwoD, 1))
        FUZZ_CHECK(rect->hasArea());
}

constexpr std::string_view kHostCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_:%";

// MqttBridge.sys and ShopBoard.sys with the readers of what they hold, and the IPv4
// address texts of Margins.sys and the remote configuration.
void keyValueFiles(std::string_view bytes)
{
    const BridgeSettings bridge = parseBridgeSettings(bytes);
    FUZZ_CHECK(parseBridgeSettings(formatBridgeSettings(bridge)) == bridge);
    settingsProblem(bridge);
    const BoardSettings board = parseBoardSettings(bytes);
    FUZZ_CHECK(parseBoardSettings(formatBoardSettings(board)) == board);
    boardSettingsProblem(board);

    // A host of the characters names and addresses are made of (the reader passes any
    // other text on for the resolver to refuse) writes back as it was read.
    const auto broker = parseMqttBroker(bytes);
    if (broker && broker->host.find_first_not_of(kHostCharacters) == std::string::npos) {
        FUZZ_CHECK(!broker->host.empty() && broker->port >= 1 && broker->port <= 65535);
        const bool v6 = broker->host.find(':') != std::string::npos;
        const std::string written =
            (v6 ? "[" + broker->host + "]" : broker->host) + ":" + std::to_string(broker->port);
        const auto again = parseMqttBroker(written);
        FUZZ_CHECK(again && again->host == broker->host && again->port == broker->port);
    }
    const TopicPrefix prefix = checkedTopicPrefix(bytes);
    if (prefix.error.empty()) {
        FUZZ_CHECK(prefix.prefix.find_first_of("+#") == std::string::npos);
        FUZZ_CHECK(!prefix.prefix.empty() && prefix.prefix.front() != '$');
        FUZZ_CHECK(checkedTopicPrefix(prefix.prefix).prefix == prefix.prefix);
    }
    if (const auto address = boardAddress(bytes)) {
        FUZZ_CHECK(boardAddress(*address) == address);
        boardUrl(*address, boardPort(bytes).value_or(8080));
    }
    if (const auto port = boardPort(bytes))
        FUZZ_CHECK(*port >= 1 && boardPort(std::to_string(*port)) == port);

    // The station's and the hub's IPv4 address, typed dotted and stored as a signed decimal.
    if (const auto dotted = ipv4FromDottedText(bytes)) {
        FUZZ_CHECK(ipv4FromDottedText(ipv4ToDottedText(*dotted)) == dotted);
        FUZZ_CHECK(ipv4FromSignedDecimal(ipv4ToSignedDecimal(*dotted)) == dotted);
    }
    if (const auto stored = ipv4FromSignedDecimal(bytes))
        FUZZ_CHECK(ipv4FromSignedDecimal(ipv4ToSignedDecimal(*stored)) == stored);
}

// The files read at start-up and EXCEL.SYS, all holding the bytes.
void startupFiles(std::string_view bytes)
{
    for (const std::string_view name :
         {kMarginsFile, kFontsFile, kSpreadsheetPathFile, kComConfFile, kEditorColorsFile})
        fuzz::putFile(workDir().file(name), bytes);
    AppSettings settings;
    loadStartupSettings(settings, workDir());
    if (const auto path = readSpreadsheetPath(workDir())) {
        FUZZ_CHECK(!path->empty());
        FUZZ_CHECK(writeSpreadsheetPath(workDir(), *path).ok);
        FUZZ_CHECK(readSpreadsheetPath(workDir()) == path);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The file lives in a buffer of its own exact length.
    const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 6) {
    case 0:
        comConf(file);
        break;
    case 1:
        ownFormats(file);
        break;
    case 2:
        statusColors(file);
        break;
    case 3:
        windowPlaces(file, data[0] / 6);
        break;
    case 4:
        keyValueFiles(file);
        break;
    default:
        startupFiles(file);
        break;
    }
    return 0;
}
