// The pictures of `quillonlt-cli oee --png/--svg`: the OEE graph drawn by the chart the
// graph windows use, without a display.
#pragma once

#include <iosfwd>

#include "cli/CliOee.h"

namespace quillon::cli {

// Draws the request's graph, all four series as the window opens. Runs a headless
// windowing session when the process has none.
bool writeOeeImageFile(const OeeImageRequest& request, std::ostream& err);

}  // namespace quillon::cli
