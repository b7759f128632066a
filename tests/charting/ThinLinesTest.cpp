// One-pixel lines written straight into an image: where they fall against QPainter's own
// antialiased pen, that the clip and bands change nothing but speed, and a chart drawn
// this way against the same chart drawn by a painter alone.
#include "charting/ThinLines.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "charting/ChartRenderer.h"
#include "charting/ChartSamples.h"
#include "charting/PolylineDecimator.h"

namespace quillon {
namespace {

constexpr QRgb kInk = 0xffff8000;

QImage transparentImage(QSize size = QSize(120, 90))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

Polylines polyline(std::initializer_list<QPointF> points)
{
    Polylines lines;
    lines.starts.push_back(0);
    lines.points.assign(points);
    return lines;
}

void draw(QImage& image, const Polylines& lines, int bands = 1, QRect clip = QRect(),
          QPoint origin = QPoint())
{
    const ThinLineSeries series[] = {{&lines, kInk}};
    drawThinLines(image, origin, clip.isNull() ? image.rect() : clip, series, bands);
}

int alphaAt(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

double ink(const QImage& image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += alphaAt(image, x, y);
    return sum;
}

TEST(ThinLines, PixelCentresOnTheLineTakeTheWholeColourAndHalfwayIsShared)
{
    QImage image = transparentImage();
    // Through the centres of row 10 and of column 50, from border to border of pixels.
    draw(image, polyline({{2, 10.5}, {20, 10.5}}));
    draw(image, polyline({{50.5, 30}, {50.5, 60}}));
    for (int x = 2; x < 20; ++x) {
        EXPECT_EQ(image.pixel(x, 10), kInk) << x;
        EXPECT_EQ(alphaAt(image, x, 9), 0) << x;
        EXPECT_EQ(alphaAt(image, x, 11), 0) << x;
    }
    EXPECT_EQ(alphaAt(image, 1, 10), 0);
    EXPECT_EQ(alphaAt(image, 20, 10), 0);
    for (int y = 30; y < 60; ++y)
        EXPECT_EQ(image.pixel(50, y), kInk) << y;
    EXPECT_EQ(alphaAt(image, 49, 45) + alphaAt(image, 51, 45), 0);

    // On the border between rows 40 and 41: half to each.
    draw(image, polyline({{60, 41}, {100, 41}}));
    EXPECT_NEAR(alphaAt(image, 80, 40), 128, 1);
    EXPECT_NEAR(alphaAt(image, 80, 41), 128, 1);
    // A quarter below the centre of row 70: three quarters there, a quarter below.
    draw(image, polyline({{60, 70.75}, {100, 70.75}}));
    EXPECT_NEAR(alphaAt(image, 80, 70), 191, 1);
    EXPECT_NEAR(alphaAt(image, 80, 71), 64, 1);
    EXPECT_EQ(alphaAt(image, 80, 69), 0);
}

TEST(ThinLines, FallWhereThePaintersAntialiasedPenPutsThem)
{
    // Lines at every angle and offset, each alone against QPainter's one-pixel pen: the
    // same amount of colour, in the same pixels. A line half a pixel off, or the shares
    // of the two pixels swapped, differs in about all it draws.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> at(10, 110);
    for (int run = 0; run < 200; ++run) {
        const QPointF a(at(random), at(random) * 0.7), b(at(random), at(random) * 0.7);
        if (QLineF(a, b).length() < 8)
            continue;
        QImage ours = transparentImage();
        draw(ours, polyline({a, b}));
        QImage theirs = transparentImage();
        {
            QPainter painter(&theirs);
            painter.setRenderHint(QPainter::Antialiasing);
            QPen pen(QColor::fromRgb(kInk), 1.0);
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(a, b);
        }
        const double ourInk = ink(ours), theirInk = ink(theirs);
        EXPECT_NEAR(ourInk / theirInk, 1.0, 0.12) << run;
        double apart = 0;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x)
                apart += std::abs(alphaAt(ours, x, y) - alphaAt(theirs, x, y));
        EXPECT_LT(apart / theirInk, 0.35)
            << run << ": " << a.x() << "," << a.y() << " to " << b.x() << "," << b.y();
    }
}

TEST(ThinLines, AnyNumberOfBandsGivesTheSameImageByteForByte)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> near(-40, 340), far(-1e9, 1e9);
    Polylines lines;
    for (int run = 0; run < 40; ++run) {
        lines.starts.push_back(static_cast<std::uint32_t>(lines.points.size()));
        for (int p = 0; p < 60; ++p) {
            const bool wild = random() % 50 == 0;
            lines.points.emplace_back(wild ? far(random) : near(random),
                                      wild ? far(random) : near(random) * 0.8);
            if (random() % 80 == 0)  // a point twice: a segment of no length
                lines.points.push_back(lines.points.back());
        }
    }
    const Polylines other = polyline({{0, 0}, {300, 240}, {0, 240}, {300, 0}});
    auto picture = [&](int bands) {
        QImage image = transparentImage(QSize(300, 240));
        image.fill(0xff102030);
        const ThinLineSeries series[] = {{&lines, kInk}, {&other, 0xff20c0ff}};
        drawThinLines(image, QPoint(), QRect(10, 7, 280, 221), series, bands);
        return image;
    };
    const QImage one = picture(1);
    EXPECT_GT(ink(one), 0);
    for (int bands : {2, 3, 7, 8, 50})
        EXPECT_EQ(picture(bands), one) << bands << " bands";
}

TEST(ThinLines, NothingOutsideTheClipAndFarEndsAreCutNotLost)
{
    QImage image = transparentImage();
    const QRect clip(20, 15, 60, 50);
    Polylines lines = polyline({{-1e6, 30.5}, {1e6, 30.5}});
    lines.starts.push_back(2);
    lines.points.insert(lines.points.end(), {{50.5, -1e6}, {50.5, 1e6}});
    lines.starts.push_back(4);
    lines.points.insert(lines.points.end(), {{-1e6, -0.75e6}, {1e6, 0.75e6}});
    draw(image, lines, 2, clip);
    for (int x = clip.left(); x <= clip.right(); ++x)
        EXPECT_EQ(image.pixel(x, 30), kInk) << x;
    for (int y = clip.top(); y <= clip.bottom(); ++y)
        EXPECT_EQ(image.pixel(50, y), kInk) << y;
    // The diagonal y = 0.75 x: at x = 60.5, y = 45.375, mostly row 45.
    EXPECT_NEAR(alphaAt(image, 60, 45), 224, 2);
    EXPECT_NEAR(alphaAt(image, 60, 44), 31, 2);

    // Ends beyond any use, and no ends at all: drawn or not, never outside the clip.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    lines = polyline({{-1e300, -1e300},
                      {1e300, 1e300},
                      {50, -1e300},
                      {nan, 3},
                      {40, 40},
                      {inf, 0},
                      {-1e18, 7e17},
                      {3e18, 40}});
    draw(image, lines, 2, clip);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!clip.contains(x, y)) {
                ASSERT_EQ(alphaAt(image, x, y), 0) << x << "," << y;
            }
        }
    }
}

TEST(ThinLines, PointsAreShiftedByTheOrigin)
{
    QImage image = transparentImage();
    draw(image, polyline({{1002, 510.5}, {1020, 510.5}}), 1, QRect(), QPoint(1000, 500));
    EXPECT_EQ(image.pixel(2, 10), kInk);
    EXPECT_EQ(image.pixel(19, 10), kInk);
    EXPECT_EQ(alphaAt(image, 20, 10), 0);
}

// A backplot whose tool paths are one-pixel lines, drawn into an image (where they take
// the direct way, between the dashed rapids that a painter draws) and drawn by a painter
// alone: the same chart.
TEST(ThinLines, AChartDrawnDirectlyLooksAsOneDrawnByAPainterAlone)
{
    ChartData data;
    test::fillBackplot2D(data);
    for (int s = 1; s < data.seriesCount(); ++s)
        data.series(s).lineWidth = 1;
    ChartSeries& over = data.addSeries("G00 again", QColor(0xFF, 0x00, 0x00));
    over.lineStyle = LineStyle::Dash;
    over.append(-20, 60);
    over.append(110, -20);
    const ChartView view;
    const QSize size(640, 420);
    const QImage direct = renderChart(data, view, size);

    QImage byPainter(size, QImage::Format_ARGB32_Premultiplied);
    byPainter.fill(Qt::transparent);
    {
        QPainter painter(&byPainter);
        ChartRenderer renderer;
        renderer.setFont(QFont());
        renderer.setPaintsLinesDirectly(false);
        renderer.paint(painter, size, data, view);
    }
    const ChartLayout layout = ChartRenderer().layout(data, view, size);
    const QRect plot = layout.plot.toRect();
    // The plot's ground changes from row to row only; its left edge shows it in each.
    int drawn = 0, apart = 0;
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
        const QRgb ground = byPainter.pixel(plot.left() + 1, y);
        for (int x = plot.left(); x <= plot.right(); ++x) {
            const QRgb a = direct.pixel(x, y), b = byPainter.pixel(x, y);
            drawn += b != ground;
            const int most =
                std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
            apart += most > 64;
        }
    }
    ASSERT_GT(drawn, 500);
    EXPECT_LT(apart, drawn / 8) << apart << " of " << drawn;
    // Outside the plot nothing differs: texts, axes and legend are the painter's in both.
    int outside = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (!plot.adjusted(-1, -1, 1, 1).contains(x, y) &&
                direct.pixel(x, y) != byPainter.pixel(x, y))
                ++outside;
    EXPECT_EQ(outside, 0);
}

}  // namespace
}  // namespace quillon
