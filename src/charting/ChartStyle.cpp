#include "charting/ChartStyle.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>

namespace quillon {

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor faded(QColor color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

// By the brightness the eye sees (the Rec. 709 weights): pure blue and red are as "light" as
// yellow by HSL lightness, yet dark text on them cannot be read.
bool isDark(const QColor& color)
{
    return 0.2126 * color.redF() + 0.7152 * color.greenF() + 0.0722 * color.blueF() < 0.5;
}

Backdrop::Backdrop(const ChartData& data, double height) : m_text(data.textColor), m_height(height)
{
    m_top = m_bottom = data.background;
    if (data.gradientBackground) {
        m_top = isDark(data.background) ? mix(data.background, Qt::white, 0.24)
                                        : mix(data.background, Qt::white, 0.7);
        if (!isDark(data.background))
            m_bottom = mix(data.background, Qt::black, 0.12);
    }
}

QBrush Backdrop::between(const QColor& top, const QColor& bottom) const
{
    if (top == bottom)
        return top;
    QLinearGradient gradient(0, 0, 0, m_height);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

ChartFonts::ChartFonts(const QFont& base)
{
    const double pixels =
        base.pixelSize() > 0 ? base.pixelSize() : std::max(base.pointSizeF(), 6.0) * 96 / 72;
    auto sized = [&](double factor, QFont::Weight weight) {
        QFont font = base;
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels * factor))));
        font.setWeight(weight);
        return font;
    };
    title = sized(1.45, QFont::Bold);
    subtitle = sized(1.05, QFont::Normal);
    axis = sized(1.0, QFont::DemiBold);
    tick = sized(0.92, QFont::Normal);
    legend = sized(0.95, QFont::Normal);
}

QPen seriesPen(const ChartData& data, int index)
{
    const ChartSeries& series = data.series(index);
    const double width =
        series.lineWidth > 0 ? series.lineWidth : (series.size() > kThinLineFrom ? 1.0 : 2.0);
    QPen pen(data.seriesColor(index), width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    // Dash lengths in pen widths: long enough to read at 1 px, the dot a short dash so
    // that it shows at every angle.
    switch (series.lineStyle) {
    case LineStyle::Solid:
        break;
    case LineStyle::Dash:
        pen.setDashPattern({6, 4});
        break;
    case LineStyle::Dot:
        pen.setDashPattern({1.5, 3});
        break;
    case LineStyle::DashDot:
        pen.setDashPattern({6, 3, 1.5, 3});
        break;
    case LineStyle::DashDotDot:
        pen.setDashPattern({6, 3, 1.5, 3, 1.5, 3});
        break;
    }
    return pen;
}

QSizeF labelSize(const QFontMetricsF& metrics, const QString& label)
{
    double width = 0;
    const auto lines = label.split('\n');
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return {width, metrics.height() * lines.size()};
}

double widestLabel(const QFontMetricsF& metrics, const std::vector<AxisTick>& ticks)
{
    double widest = 0;
    for (const AxisTick& tick : ticks)
        widest = std::max(widest, labelSize(metrics, tick.label).width());
    return widest;
}

QString seriesName(const ChartData& data, int index)
{
    const QString& label = data.series(index).label;
    return label.isEmpty() ? QStringLiteral("Series %1").arg(index + 1) : label;
}

QString pointName(const ChartData& data, int index)
{
    return index < data.pointLabels.size() && !data.pointLabels[index].isEmpty()
               ? data.pointLabels[index]
               : QStringLiteral("Point %1").arg(index + 1);
}

}  // namespace quillon
