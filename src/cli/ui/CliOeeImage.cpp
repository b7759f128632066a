#include "cli/ui/CliOeeImage.h"

#include <ostream>

#include "charting/ChartData.h"
#include "cli/ui/CliSession.h"
#include "monitoring/ui/OeeCharts.h"
#include "platform/ui/Latin1.h"

namespace quillon::cli {

bool writeOeeImageFile(const OeeImageRequest& request, std::ostream& err)
{
    const auto session = headlessSession();
    ChartData chart;
    fillOeeChart(chart, *request.series, fromBytes(request.title), request.year);
    return writeChartPicture(chart, request.path, request.svg, request.width, request.height, err);
}

}  // namespace quillon::cli
