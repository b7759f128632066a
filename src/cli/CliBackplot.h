// quillonlt-cli backplot: the backplot chain over a program, its plot points as text.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "backplot/BackplotFiles.h"
#include "backplot/PathBuilder.h"

namespace quillon::cli {

inline constexpr char kBackplotUsage[] =
    "backplot [--lathe] [--plane xy|xz|yz|3d] [--incremental] [--files DIR] "
    "[--png OUT.png|--svg OUT.svg [--size WxH]] FILE";

// A plot to draw into a picture file, as the plot window shows it.
struct PlotImageRequest {
    const PlotBuild* build = nullptr;
    BackplotSettings settings;  // the plane of a 2D plot, Mill/Lathe, Show G00
    bool threeD = false;
    std::string title;  // the program's path, the chart's subtitle
    std::string path;
    int width = 1280;
    int height = 960;
    bool svg = false;
};
// Writes the picture; false (with the reason on err) when it could not. Drawing needs the
// windowing library, which the core does without: the program's main hands one in.
using PlotImageWriter = std::function<bool(const PlotImageRequest&, std::ostream& err)>;
void setPlotImageWriter(PlotImageWriter writer);

// Prints one line per plot point, "LINE GAP SLOT X Y Z" (line zero-based, coordinates with
// 4 decimals), then "TOOLS" and the tool slot table's entries. The chain's messages go to
// err. The intermediate files go to DIR, else to the working directory's _TMP folder.
// With --png or --svg the plot is drawn into that file instead (2D in the plane, 3D with
// --plane 3d; --size WxH, 1280x960 unless given), titles and legend as the window shows
// them. 0 when the chain ran, 1 when the program or a file could not be read or made, 2 on a
// usage error.
int runBackplot(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
