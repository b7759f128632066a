// Charts of every kind filled the way the program's windows fill them: a backplot of a
// few tools, an OEE day on a time axis, a shift pie, report bars and a 3D toolpath.
#pragma once

#include <QDateTime>

#include <cmath>
#include <numbers>
#include <vector>

#include "charting/AxisTicks.h"
#include "charting/ChartData.h"

namespace quillon::test {

// A store a series can show: points kept in a plain list that the test grows.
class StoredPoints final : public SeriesPoints {
public:
    explicit StoredPoints(const std::vector<ChartPoint>& points) : m_points(points) {}
    std::size_t size() const override { return m_points.size(); }
    ChartPoint at(std::size_t point) const override { return m_points[point]; }

private:
    const std::vector<ChartPoint>& m_points;
};

// The toolpath of a small milling job as the backplot puts it in: rapids in series 0
// (dashed), one series per tool, a gap where a tool's path is interrupted, ranges from
// the extents with the backplot's 10 % margins.
inline void fillBackplot2D(ChartData& data)
{
    data.setKind(ChartKind::Graph2D);
    data.title = "2D back plotting / XY / All tools";
    data.subtitle = "O1001 POCKET.NC";
    data.setAxisTitle(Axis::X, "X Axis");
    data.setAxisTitle(Axis::Y, "Y Axis");
    data.equalScale = true;
    ChartSeries& rapids = data.addSeries("G00", QColor(0xFF, 0x00, 0x00));
    rapids.lineStyle = LineStyle::Dash;
    ChartSeries& contour = data.addSeries("T1 D12 END MILL", QColor(0x00, 0x90, 0xFF));
    ChartSeries& pocket = data.addSeries("T2 D8 END MILL", QColor(0x20, 0xB0, 0x40));
    ChartSeries& drill = data.addSeries("T3 D6.8 DRILL", QColor(0xE0, 0x80, 0x00));
    // Profile: a rounded rectangle 100 x 60, corner radius 10.
    const double pi = std::numbers::pi;
    rapids.append(-20, -20);
    rapids.append(100, 50);
    for (int corner = 0; corner < 4; ++corner) {
        const double cx = corner == 0 || corner == 3 ? 90 : 10;
        const double cy = corner < 2 ? 50 : 10;
        const double start = corner * pi / 2;
        for (int k = 0; k <= 12; ++k) {
            const double a = start + k * pi / 24;
            contour.append(cx + 10 * std::cos(a), cy + 10 * std::sin(a));
        }
    }
    contour.append(100, 50);
    rapids.appendGap();
    // Pocket raster inside, 10 passes.
    rapids.append(100, 10);
    rapids.append(25, 20);
    rapids.appendGap();
    for (int pass = 0; pass < 11; ++pass) {
        const double y = 20 + pass * 2;
        pocket.append(pass % 2 ? 75 : 25, y);
        pocket.append(pass % 2 ? 25 : 75, y);
    }
    // Drilled holes: a plunge is a point in XY; each hole between gaps.
    rapids.append(25, 40);
    rapids.append(15, 5);
    rapids.appendGap();
    for (int hole = 0; hole < 4; ++hole) {
        const double x = 15 + hole * 23.33;
        for (int k = 0; k <= 16; ++k) {
            const double a = k * pi / 8;
            drill.append(x + 3.4 * std::cos(a), 5 + 3.4 * std::sin(a));
        }
        drill.appendGap();
    }
    data.setAxisRange(Axis::X, -20 * 1.1, 110 * 1.1);
    data.setAxisRange(Axis::Y, -20 * 1.1, 60 * 1.1);
}

// One shift's OEE and availability every 15 minutes, on a date-time axis.
inline void fillOeeDay(ChartData& data)
{
    data.setKind(ChartKind::Graph2D);
    data.setXAxisKind(XAxisKind::DateTime);
    data.title = "OEE - Machine MC-07";
    data.subtitle = "Shift 2, 14 March 2024";
    data.setAxisTitle(Axis::X, "Time");
    data.setAxisTitle(Axis::Y, "%");
    ChartSeries& oee = data.addSeries("OEE");
    ChartSeries& availability = data.addSeries("Availability");
    availability.lineStyle = LineStyle::Dash;
    oee.markers = true;
    const double start = toSerialDays(QDate(2024, 3, 14), QTime(14, 0));
    for (int i = 0; i <= 32; ++i) {
        const double t = start + i * 15 / 1440.0;
        const double wave = std::sin(i / 4.0);
        availability.append(t, 82 + 10 * wave + (i % 5));
        // A stoppage at 17:30: no record for half an hour.
        if (i == 14 || i == 15)
            oee.appendGap();
        else
            oee.append(t, 64 + 12 * wave + (i % 3) * 2);
    }
    data.setAxisRange(Axis::Y, 0, 100);
}

inline void fillShiftPie(ChartData& data)
{
    data.setKind(ChartKind::Pie);
    data.title = "Shift detail - MC-07";
    data.subtitle = "06:00 - 14:00";
    data.pointLabels = {"Running", "Idle", "Setup", "Alarm", "Waiting for material", "Off"};
    data.pointColors = {QColor(0x3C, 0xAA, 0x50), QColor(0xF0, 0xC0, 0x30),
                        QColor(0x4E, 0x79, 0xA7), QColor(0xE1, 0x45, 0x45),
                        QColor(0xB0, 0x7A, 0xA1), QColor(0x9A, 0x9A, 0x9A)};
    ChartSeries& minutes = data.addSeries("Minutes");
    for (double value : {296.0, 58.0, 61.0, 17.0, 40.0, 8.0})
        minutes.append(minutes.size() + 1.0, value);
}

inline void fillReportBars(ChartData& data)
{
    data.setKind(ChartKind::Chart3D);
    data.setStyle3D(Chart3DStyle::Bars);
    data.title = "Running hours per week";
    data.subtitle = "Weeks 10 - 14";
    data.setAxisTitle(Axis::Y, "Hours");
    data.pointLabels = {"Wk 10", "Wk 11", "Wk 12", "Wk 13", "Wk 14"};
    const char* machines[] = {"MC-07", "LT-02", "MC-11"};
    const double hours[3][5] = {{62, 71, 58, 80, 74}, {45, 52, 60, 38, 55}, {30, 41, 47, 52, 66}};
    for (int m = 0; m < 3; ++m) {
        ChartSeries& series = data.addSeries(machines[m]);
        for (double value : hours[m])
            series.append(series.size() + 1.0, value);
    }
}

// A helix down into a pocket and a spiral out, in the 3D backplot's axes: X across,
// the machine's Z up, its Y in depth.
inline void fillBackplot3D(ChartData& data)
{
    data.setKind(ChartKind::Chart3D);
    data.setStyle3D(Chart3DStyle::Lines);
    data.title = "3D back plotting / All tools";
    data.subtitle = "O2002 HELIX.NC";
    data.setAxisTitle(Axis::X, "X Axis");
    data.setAxisTitle(Axis::Y, "Z Axis");
    data.setAxisTitle(Axis::Z, "Y Axis");
    data.equalScale = true;
    ChartSeries& rapids = data.addSeries("G00", QColor(0xFF, 0x40, 0x40));
    rapids.lineStyle = LineStyle::Dash;
    ChartSeries& helix = data.addSeries("T1", QColor(0x30, 0x90, 0xFF));
    ChartSeries& spiral = data.addSeries("T2", QColor(0x30, 0xC0, 0x60));
    const double pi = std::numbers::pi;
    rapids.append(0, 30, 0);
    rapids.append(50 + 20, 30, 40);
    rapids.append(50 + 20, 2, 40);
    for (int k = 0; k <= 400; ++k) {
        const double a = k * pi / 40;
        helix.append(50 + 20 * std::cos(a), -k * 0.05, 40 + 20 * std::sin(a));
    }
    rapids.appendGap();
    rapids.append(50 + 20, -20, 40);
    rapids.append(50 + 20, 30, 40);
    rapids.append(50, 30, 40);
    rapids.append(50, 2, 40);
    for (int k = 0; k <= 600; ++k) {
        const double a = k * pi / 30;
        const double r = k * 0.05;
        spiral.append(50 + r * std::cos(a), -10, 40 + r * std::sin(a));
    }
}

}  // namespace quillon::test
