// "Pie report": a pie of a report's minutes per status for each date or each machine, all
// in one chart.
#pragma once

#include "monitoring/ui/ReportWindow.h"

namespace quillon {

class ReportPieWindow : public ReportWindow {
public:
    ReportPieWindow(int number, std::string copyPath, ReportView view, QWidget* owner)
        : ReportWindow(ReportWindowKind::Pie, number, std::move(copyPath), std::move(view), owner)
    {
    }
};

}  // namespace quillon
