// How the parts of a chart look, shared by the renderer's files: the text sizes, the
// background and the inks of thin lines, the series' pens and the names of what has none.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPen>
#include <QString>

#include <vector>

#include "charting/AxisTicks.h"
#include "charting/ChartData.h"

namespace quillon {

inline constexpr double kChartMargin = 10;
inline constexpr double kTickLength = 5;

QColor mix(const QColor& a, const QColor& b, double t);
QColor faded(QColor color, int alpha);
bool isDark(const QColor& color);

// The background: one colour, or a vertical gradient derived from it (light at the top to
// the colour at the bottom; on a light colour the gradient darkens it a little instead, so
// that the bottom never turns grey-black).
//
// Thin lines are drawn in opaque inks between the background and the text, following the
// gradient: the raster engine draws a translucent line pixel by pixel, some thirty times
// slower than an opaque one, and a grid of them cost more than a million points.
class Backdrop {
public:
    Backdrop(const ChartData& data, double height);
    QBrush brush() const { return between(m_top, m_bottom); }
    // Text colour with `share`, background with the rest.
    QBrush ink(double share) const
    {
        return between(mix(m_top, m_text, share), mix(m_bottom, m_text, share));
    }
    QPen pen(double share, double width = 0) const { return QPen(ink(share), width); }

private:
    QBrush between(const QColor& top, const QColor& bottom) const;

    QColor m_text;
    double m_height;
    QColor m_top, m_bottom;
};

// The text sizes, all from one base size in pixels.
struct ChartFonts {
    QFont title, subtitle, axis, tick, legend;

    explicit ChartFonts(const QFont& base);
};

// The pen of a series: its colour, style and width.
QPen seriesPen(const ChartData& data, int index);

// A label's size; a label of two lines (a date under a time) is two lines high.
QSizeF labelSize(const QFontMetricsF& metrics, const QString& label);
double widestLabel(const QFontMetricsF& metrics, const std::vector<AxisTick>& ticks);

// What a series or a point is called where it has no label ("Series 2", "Point 5").
QString seriesName(const ChartData& data, int index);
QString pointName(const ChartData& data, int index);

}  // namespace quillon
