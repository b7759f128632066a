#include "cli/ui/CliSession.h"

#include <ostream>

#include "charting/ChartData.h"
#include "charting/ChartRenderer.h"
#include "charting/ChartView.h"

namespace quillon::cli {

std::unique_ptr<QGuiApplication> headlessSession()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application keeps the references: they must outlive it.
    static int argc = 1;
    static char name[] = "quillonlt-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool writeChartPicture(const ChartData& chart, const std::string& path, bool svg, int width,
                       int height, std::ostream& err)
{
    const ChartView view = ChartView::initialFor(chart);
    const QString file = QString::fromStdString(path);
    const QSize size(width, height);
    const bool written =
        svg ? exportSvg(chart, view, file, size) : exportPng(chart, view, file, size);
    if (!written)
        err << path << ": the picture could not be written\n";
    return written;
}

}  // namespace quillon::cli
