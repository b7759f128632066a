// The pictures of `quillonlt-cli backplot --png/--svg`: the plot drawn by the chart the
// plot windows use, without a display.
#pragma once

#include <QGuiApplication>

#include <iosfwd>
#include <memory>

#include "cli/CliBackplot.h"

namespace quillon::cli {

// Fonts and painting need a windowing session; the shell gives no display, so a headless
// one is started when the process has none (kept while the pointer lives; empty when a
// session runs already).
std::unique_ptr<QGuiApplication> headlessSession();

// Draws the request's plot with the colours of PColors.sys in the working directory. Runs
// a headless windowing session when the process has none.
bool writePlotImageFile(const PlotImageRequest& request, std::ostream& err);

}  // namespace quillon::cli
