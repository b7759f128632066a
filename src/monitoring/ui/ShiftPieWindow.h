// The detailed shift pie window: the minutes of one shift per part number and state, a
// slice each, in the status colours.
#pragma once

#include <QMainWindow>

#include <string>

#include "monitoring/ShiftPie.h"
#include "monitoring/StatusTable.h"
#include "platform/WorkDir.h"

class QColor;

namespace quillon {

class ChartData;
class ChartWidget;

// How the pie names a state: the hub's words as the graph shows them, a status as it is.
std::string pieStateText(const std::string& state);
// The status colour of a state of the pie.
QColor pieStateColor(const std::string& state, const StatusTable& table);
// The pie drawn into chart data: one series, a point per slice with its minutes, labelled
// "<part> <state> <minutes> min".
void fillShiftPieChart(ChartData& chart, const ShiftPie& pie, const StatusTable& table);

class ShiftPieWindow : public QMainWindow {
    Q_OBJECT
public:
    ShiftPieWindow(const ShiftPie& pie, int number, const StatusTable& table,
                   const WorkDir& workDir, QWidget* owner);

    int number() const { return m_number; }
    ChartWidget* chart() const { return m_chart; }

signals:
    void closing(int number);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    int m_number;
    WorkDir m_workDir;
    ChartWidget* m_chart;
};

}  // namespace quillon
