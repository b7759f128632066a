#include "cli/ui/CliPlotImage.h"

#include <ostream>

#include "backplot/PlotColors.h"
#include "backplot/PlotModel.h"
#include "backplot/ui/PlotChart.h"
#include "cli/ui/CliSession.h"
#include "platform/WorkDir.h"

namespace quillon::cli {

bool writePlotImageFile(const PlotImageRequest& request, std::ostream& err)
{
    const auto session = headlessSession();
    const PlotColors colors = readPlotColors(WorkDir::fromEnvironment());
    PlotModel model(*request.build, request.threeD ? PlotKind::ThreeD : PlotKind::TwoD,
                    request.settings, SlotRange::allTools(request.settings.showRapids));
    model.appendAll();
    const bool written =
        writePlotImage(model, colors, QString::fromStdString(request.title),
                       QString::fromStdString(request.path), QSize(request.width, request.height),
                       request.svg ? PlotImageFormat::Svg : PlotImageFormat::Png);
    if (!written)
        err << request.path << ": the picture could not be written\n";
    return written;
}

}  // namespace quillon::cli
