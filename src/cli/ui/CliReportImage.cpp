#include "cli/ui/CliReportImage.h"

#include <ostream>

#include "charting/ChartData.h"
#include "charting/ChartRenderer.h"
#include "cli/ui/CliSession.h"
#include "monitoring/StatusTable.h"
#include "monitoring/ui/ReportCharts.h"

namespace quillon::cli {

bool writeReportImageFile(const ReportImageRequest& request, std::ostream& err)
{
    if (!request.sums || request.kind == ReportKind::None) {
        err << request.path << ": there is no report to draw\n";
        return false;
    }
    const auto session = headlessSession();
    const StatusTable table = request.hubDirectory.empty() ? StatusTable::defaults()
                                                           : readStatusTable(request.hubDirectory);
    ChartData chart;
    fillReportChart(chart, request.kind, *request.sums, request.percent, table);
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
