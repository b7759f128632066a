// The pictures of `quillonlt-cli backplot --png/--svg`: the plot drawn by the chart the
// plot windows use, without a display.
#pragma once

#include <iosfwd>

#include "cli/CliBackplot.h"

namespace quillon::cli {

// Draws the request's plot with the colours of PColors.sys in the working directory. Runs
// a headless windowing session when the process has none.
bool writePlotImageFile(const PlotImageRequest& request, std::ostream& err);

}  // namespace quillon::cli
