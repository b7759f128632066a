#include "monitoring/ui/ReportWindow.h"

#include <QCloseEvent>
#include <QEvent>

#include <cstdio>

#include "charting/ChartWidget.h"
#include "monitoring/ui/ReportCharts.h"
#include "platform/TextFile.h"

namespace quillon {

namespace {

// Each window of a kind opens this far below and right of the one numbered before it.
constexpr int kCascadeStep = 28;

}  // namespace

ReportWindow::ReportWindow(ReportWindowKind windowKind, int number, std::string copyPath,
                           ReportView view, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      m_windowKind(windowKind),
      m_number(number),
      m_copyPath(std::move(copyPath)),
      m_view(std::move(view)),
      m_chart(new ChartWidget(
          m_view.kind == ReportKind::Graph ? ChartKind::Chart3D : ChartKind::Pie, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_view.kind == ReportKind::Graph ? kReportGraphTitle : kReportPieTitle);
    setCentralWidget(m_chart);
    resize(900, 640);
    if (owner) {
        // The pies cascade on from where the graphs end, so that no two windows cover
        // each other exactly.
        const int place =
            number + 1 + (windowKind == ReportWindowKind::Pie ? kReportWindowsPerKind : 0);
        move(owner->geometry().topLeft() + QPoint(kCascadeStep * place, kCascadeStep * place));
    }
}

ReportWindow::~ReportWindow() = default;

bool ReportWindow::load(const StatusTable& table)
{
    const auto text = readFile(m_copyPath);
    const auto sums = text ? sumsForKind(*text, m_view.kind) : std::nullopt;
    // Lines without elapsed times give nothing to draw: no chart rather than an empty one.
    if (!sums || sums->keys.empty())
        return false;
    m_sums = *sums;
    fillReportChart(m_chart->data(), m_view.kind, m_sums, m_view.percent, table, m_view.subtitle);
    m_chart->reinitialize();
    return true;
}

void ReportWindow::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        m_closed = true;
        std::remove(m_copyPath.c_str());
        emit closing(this);
    }
    QMainWindow::closeEvent(event);
}

void ReportWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        emit activated(this);
    QMainWindow::changeEvent(event);
}

}  // namespace quillon
