#include "cli/ui/CliOeeImage.h"

#include <ostream>

#include "charting/ChartRenderer.h"
#include "charting/ChartView.h"
#include "cli/ui/CliSession.h"
#include "monitoring/ui/OeeCharts.h"
#include "platform/ui/Latin1.h"

namespace quillon::cli {

bool writeOeeImageFile(const OeeImageRequest& request, std::ostream& err)
{
    const auto session = headlessSession();
    ChartData chart;
    fillOeeChart(chart, *request.series, fromBytes(request.title), request.year);
    const ChartView view = ChartView::initialFor(chart);
    const QString path = QString::fromStdString(request.path);
    const QSize size(request.width, request.height);
    const bool written =
        request.svg ? exportSvg(chart, view, path, size) : exportPng(chart, view, path, size);
    if (!written)
        err << request.path << ": the picture could not be written\n";
    return written;
}

}  // namespace quillon::cli
