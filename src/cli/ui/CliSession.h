// The windowing session the command line's pictures are drawn in, and the drawing of a
// chart into a picture file.
#pragma once

#include <QGuiApplication>

#include <iosfwd>
#include <memory>
#include <string>

namespace quillon {
class ChartData;
}

namespace quillon::cli {

// Fonts and painting need a session; the shell gives no display, so none is asked for (the
// offscreen platform unless QT_QPA_PLATFORM names another). Nothing when the process has a
// session already; else the new one, which lives as long as the pointer.
std::unique_ptr<QGuiApplication> headlessSession();

// The chart as a window of width × height first shows it, into a PNG or an SVG file; a
// file that cannot be written is said on err.
bool writeChartPicture(const ChartData& chart, const std::string& path, bool svg, int width,
                       int height, std::ostream& err);

}  // namespace quillon::cli
