#include "cli/ui/CliReportImage.h"

#include <ostream>

#include "charting/ChartData.h"
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
    return writeChartPicture(chart, request.path, request.svg, request.width, request.height, err);
}

}  // namespace quillon::cli
