#include "monitoring/ui/ShiftPieWindow.h"

#include <QCloseEvent>

#include "charting/ChartWidget.h"
#include "monitoring/ShiftViews.h"
#include "monitoring/ui/ShiftGraphWindow.h"
#include "platform/WindowRectFile.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtColorRef.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {

namespace {

struct HubState {
    const char* word;
    const char* shown;
    int colorIndex;
};

constexpr HubState kHubStates[] = {
    {"_CON", "CYCLE ON", kStatusCycleOn},
    {"_CON,SPINDLE_ON", "CYCLE/SPINDLE ON", kStatusCycleOnSpindleOn},
    {"_COFF", "CYCLE OFF", kStatusCycleOff},
    {"_SETUP", "SETUP", kStatusSetup},
};

const HubState* hubState(const std::string& state)
{
    for (const HubState& known : kHubStates) {
        if (state == known.word)
            return &known;
    }
    return nullptr;
}

}  // namespace

std::string pieStateText(const std::string& state)
{
    const HubState* known = hubState(state);
    return known ? known->shown : state;
}

QColor pieStateColor(const std::string& state, const StatusTable& table)
{
    if (const HubState* known = hubState(state))
        return toQColor(table.colors[static_cast<std::size_t>(known->colorIndex)]);
    if (const auto color = table.colorOf(state))
        return toQColor(*color);
    // A status the hub's table does not name: the palette tells it apart.
    return {};
}

void fillShiftPieChart(ChartData& chart, const ShiftPie& pie, const StatusTable& table)
{
    chart.clearSeries();
    chart.pointLabels.clear();
    chart.pointColors.clear();
    chart.title = fromBytes(pie.title);
    ChartSeries& minutes = chart.addSeries("Minutes");
    for (std::size_t index = 0; index < pie.slices.size(); ++index) {
        const PieSlice& slice = pie.slices[index];
        minutes.append(static_cast<double>(index + 1), static_cast<double>(slice.minutes));
        std::string label = slice.partNumber.empty() ? std::string() : slice.partNumber + " ";
        label += pieStateText(slice.state) + " " + std::to_string(slice.minutes) + " min";
        chart.pointLabels << fromBytes(label);
        const QColor color = pieStateColor(slice.state, table);
        chart.pointColors.push_back(color.isValid() ? color
                                                    : paletteColor(static_cast<int>(index)));
    }
}

ShiftPieWindow::ShiftPieWindow(const ShiftPie& pie, int number, const StatusTable& table,
                               const WorkDir& workDir, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      m_number(number),
      m_workDir(workDir),
      m_chart(new ChartWidget(ChartKind::Pie, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(fromBytes(pie.title));
    setCentralWidget(m_chart);
    fillShiftPieChart(m_chart->data(), pie, table);
    m_chart->reinitialize();
    resize(640, 480);
    restoreWindowPlace(*this, m_workDir.tmpFile(piePlaceName(m_number)));
}

void ShiftPieWindow::closeEvent(QCloseEvent* event)
{
    writeWindowRect(m_workDir.tmpFile(piePlaceName(m_number)), fromQRect(geometry()));
    emit closing(m_number);
    QMainWindow::closeEvent(event);
}

}  // namespace quillon
