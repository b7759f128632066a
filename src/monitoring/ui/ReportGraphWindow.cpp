#include "monitoring/ui/ReportGraphWindow.h"

#include "charting/ChartWidget.h"
#include "monitoring/ui/ReportCharts.h"
#include "platform/ui/Latin1.h"

namespace quillon {

ReportGraphWindow::ReportGraphWindow(int number, std::string copyPath, ReportView view,
                                     const StatusTable& table, QWidget* owner)
    : ReportWindow(ReportWindowKind::Graph, number, std::move(copyPath), std::move(view), owner),
      m_table(table)
{
    connect(chart(), &ChartWidget::seriesClicked, this, [this](int series) {
        if (m_alone)
            return;
        // The rows are not in the report's order: the clicked one is found by its name.
        const QString label = chart()->data().series(series).label;
        for (std::size_t status = 0; status < sums().statuses.size(); ++status) {
            if (fromBytes(sums().statuses[status]) == label)
                showAlone(status);
        }
    });
    connect(chart(), &ChartWidget::nothingClicked, this, [this] {
        if (m_alone)
            showAlone(std::nullopt);
    });
}

void ReportGraphWindow::showAlone(std::optional<std::size_t> status)
{
    if (status && *status >= sums().statuses.size())
        return;
    m_alone = status;
    fillReportBars(chart()->data(), sums(), view().percent, m_table,
                   status ? fromBytes(sums().statuses[*status]) : view().subtitle, status);
    chart()->reinitialize();
}

}  // namespace quillon
