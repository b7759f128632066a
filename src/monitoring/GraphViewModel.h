// The graph view without its window: one status pie per machine of MonList.sys over the
// shop's floor-plan picture, the titles of the list, and the files that keep the picture's
// path and where the user put the pies and lines.
//
//   GBKGND.sys   line 1: the background picture's path (MONBKGND.bmp in the work dir
//                when the file is missing or its line empty)
//   mgpos.sys    "MULT:" scale; window left; right; top; bottom; one line a pie
//                "hub,port:left,right,top,bottom"; up to 32 lines "LINE;x1,y1,x2,y2"
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineLists.h"
#include "monitoring/MachineRecord.h"
#include "monitoring/MachineSlot.h"
#include "monitoring/MonitorWindowPlace.h"
#include "monitoring/StatusTable.h"
#include "platform/AtomicFile.h"
#include "platform/WindowRectFile.h"

namespace quillon {

class WorkDir;

inline constexpr std::string_view kGraphBackgroundFile = "GBKGND.sys";
inline constexpr std::string_view kDefaultGraphBackground = "MONBKGND.bmp";
inline constexpr std::string_view kGraphPlaceFile = "mgpos.sys";
// The picture is drawn at this size whatever its own.
inline constexpr int kGraphCanvasWidth = 1280;
inline constexpr int kGraphCanvasHeight = 960;
// A background path longer than this is cut.
inline constexpr std::size_t kGraphBackgroundPathLimit = 259;
inline constexpr std::size_t kGraphLineLimit = 32;

// The background command's texts.
inline constexpr std::string_view kBackgroundPromptTitle = "Select a background file";
inline constexpr std::string_view kBackgroundFilter = "BMP files (*.bmp)|*.bmp||";
inline constexpr std::string_view kBackgroundNotBmp = "Extensiton is nor .bmp";
inline constexpr std::string_view kBackgroundMissing = "File does not exist";

// The status time a machine's current status has run is added to this place of its pie:
// the cycle words first, then the table, "NO Ostler" for a text the table does not know.
int currentStatusSlot(std::string_view status, const StatusTable& table);

// Seconds per status place: the shift's times from the record plus now minus the current
// status's start (two stations: the later start; a start below 1000 was never set and
// adds nothing). Negative times from the hub count as 0.
std::array<std::int64_t, kStatusCount> pieSeconds(const MachineRecord& record,
                                                  const StatusTable& table, std::int64_t now);

struct GraphPie {
    MachineSlot slot;
    std::string name;
    std::array<std::int64_t, kStatusCount> seconds{};
};

struct GraphTitle {
    bool main = true;
    std::string text;
};

struct GraphViewContent {
    std::vector<GraphTitle> titles;
    std::vector<GraphPie> pies;
};

// The list's titles (at most ten of each kind) and a pie for each machine line that
// places its machine; record gives what the hub last said of a slot.
GraphViewContent buildGraphView(const std::vector<ListEntry>& entries,
                                const std::function<const MachineRecord&(MachineSlot)>& record,
                                const StatusTable& table, std::int64_t now);

struct GraphLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool operator==(const GraphLine&) const = default;
};

struct PiePlace {
    MachineSlot slot;
    WindowRect rect;
    bool operator==(const PiePlace&) const = default;
};

struct GraphPlace {
    // Percent the canvas is drawn at.
    int scale = 100;
    // The window's rectangle; nothing when the file stops before its fourth number.
    std::optional<WindowRect> window;
    std::vector<PiePlace> pies;
    std::vector<GraphLine> lines;  // at most kGraphLineLimit
    bool operator==(const GraphPlace&) const = default;
};

// Whatever the file holds up to where it stops making sense; a missing file is the
// default place.
GraphPlace parseGraphPlace(std::string_view bytes);
std::string formatGraphPlace(const GraphPlace& place);
GraphPlace readGraphPlace(const WorkDir& workDir);
WriteResult writeGraphPlace(const WorkDir& workDir, const GraphPlace& place);

// Where a pie goes that the file does not place: rows of pies left to right under the
// titles, n counting the pies placed so.
WindowRect newPiePlace(int n);

// The picture's path from GBKGND.sys.
std::string readBackgroundPath(const WorkDir& workDir);
// Why a chosen picture cannot be taken: not a ".bmp" (any case), or not there.
std::optional<std::string_view> backgroundRefusal(std::string_view path, bool exists);
WriteResult writeBackgroundPath(const WorkDir& workDir, std::string_view path);

}  // namespace quillon
