// quillonlt-cli oee: the points of the OEE graphs from a shell, read from the hub's yearly
// OEE file as the graph windows read it, or drawn into a picture.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "monitoring/OeeReport.h"

namespace quillon::cli {

inline constexpr char kOeeUsage[] =
    "oee --year YYYY [--machine NAME] [--hub DIR] [--png OUT.png|--svg OUT.svg]";

// A graph to draw into a picture file, as its window shows it.
struct OeeImageRequest {
    const OeeSeries* series = nullptr;
    std::string title;  // "Overall OEE", or the machine + " - OEE"
    int year = 0;       // of the file
    std::string path;
    int width = 1280;
    int height = 800;
    bool svg = false;
};
// Writes the picture; false (with the reason on err) when it could not. Drawing needs the
// windowing library, which the core does without: the program's main hands one in.
using OeeImageWriter = std::function<bool(const OeeImageRequest&, std::ostream& err)>;
void setOeeImageWriter(OeeImageWriter writer);

// Prints one line per point of the overall graph of the year (with --machine, of that
// machine's graph): MINUTES,A,P,Q,OEE, the minutes after the first line's time and the
// four values in percent, each with at most four decimals. The hub folder is DIR, else
// the one of the remote configuration. Lines of the file that cannot be read are counted
// on err. With --png or --svg the graph is drawn into that file instead. 0 when done, 1
// when there is no hub folder, no file for the year or the picture could not be written,
// 2 on a usage error.
int runOee(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
