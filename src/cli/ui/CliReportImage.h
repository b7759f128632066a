// The pictures of `quillonlt-cli report ... --png/--svg`: the bars or pies the report
// windows show, drawn by the same chart without a display.
#pragma once

#include <iosfwd>

#include "cli/CliReport.h"

namespace quillon::cli {

// Draws the request's report in the status colours of its hub (the defaults without one).
// Runs a headless windowing session when the process has none.
bool writeReportImageFile(const ReportImageRequest& request, std::ostream& err);

}  // namespace quillon::cli
