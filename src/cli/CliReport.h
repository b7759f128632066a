// quillonlt-cli report: the status reports of the hub from a shell, selected and summed as
// the "Select Report date" dialog and its report windows do.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "monitoring/StatusReport.h"

namespace quillon::cli {

inline constexpr char kReportUsage[] =
    "report select|sums --from MM/DD/YYYY --to MM/DD/YYYY --machines A,B --shifts 1,2,3 "
    "[--stations 1,2] [--hub DIR] [--monthly] [--compressed] [--kind graph|date|machine] "
    "[--per date|machine] [--percent] [--png OUT.png|--svg OUT.svg] | "
    "report view FILE --per date|machine [--percent] [--png OUT.png|--svg OUT.svg]";

// A report to draw into a picture file, as its report window shows it.
struct ReportImageRequest {
    // Graph: the bar chart per date; PiePerDate, PiePerMachine: the pies.
    ReportKind kind = ReportKind::Graph;
    // The report's text (a window's copy or a saved report) and its sums for that kind.
    const std::string* reportText = nullptr;
    const ReportSums* sums = nullptr;
    bool percent = false;  // "Data as [%]" instead of "Data as [min]"
    std::string path;
    int width = 1280;
    int height = 960;
    bool svg = false;
};
// Writes the picture; false (with the reason on err) when it could not. Drawing needs the
// windowing library, which the core does without: the program's main hands one in.
using ReportImageWriter = std::function<bool(const ReportImageRequest&, std::ostream& err)>;
void setReportImageWriter(ReportImageWriter writer);

// select: the report window's copy the selection builds, on out (the kind of --kind, a
//   graph unless given, only counts for its check and its picture).
// sums: KEY,STATUS,MINUTES lines (minutes with two decimals) for every key and status with
//   minutes, then KEY,TOTAL lines with the totals the pies are labelled with; per date
//   unless --per machine.
// view FILE: the checks of "View saved .CSV" on FILE, then its sums as above.
// The hub directory is --hub, else the one of the remote configuration in the working
// directory; --monthly reads the monthly files (as does the "Monthly .CSV file" setting).
// --machines are the list, all selected; --stations none unless given. With --png or --svg the
// report is drawn into that file instead (the kind as --kind, else the pies of --per; --percent
// draws shares). 0 when done, 1 with the message on err when the selection or the file is refused
// or the picture cannot be drawn, 2 on a usage error.
int runReport(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
