#include "charting/ChartWidget.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <numbers>
#include <utility>
#include <vector>

#include "charting/ChartSamples.h"
#include "gui/GuiTestSupport.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {
namespace {

// Two series on a 40 x 40 field: series 0 a zigzag, series 1 a line with a point on top
// of one of series 0's.
struct SmallGraph {
    SmallGraph()
    {
        ChartData& data = widget.data();
        data.title = "Small";
        ChartSeries& zigzag = data.addSeries("zigzag");
        zigzag.append(10, 10);
        zigzag.append(20, 20);
        zigzag.append(30, 10);
        ChartSeries& line = data.addSeries("line");
        line.append(10, 30);
        line.append(30, 30);
        line.append(30, 10);  // on top of zigzag's last point
        data.setAxisRange(Axis::X, 0, 40);
        data.setAxisRange(Axis::Y, 0, 40);
        widget.resize(640, 420);
        widget.show();
        QApplication::processEvents();
    }
    ChartLayout layout()
    {
        return widget.renderer().layout(widget.data(), std::as_const(widget).view(),
                                        widget.size());
    }
    QPoint pixelOf(double x, double y) { return layout().projection2D.map(x, y).toPoint(); }

    ChartWidget widget;
};

TEST(ChartWidget, ClicksFindPointsLegendEntriesOrNothing)
{
    SmallGraph graph;
    const ChartLayout layout = graph.layout();
    const QPointF entry = layout.legendEntries.at(1).rect.center();
    using Target = ChartHit::Target;
    const struct {
        const char* scenario;
        QPointF pixel;
        ChartHit hit;
    } cases[] = {
        {"on a point", graph.pixelOf(20, 20), {Target::Point, 0, 1}},
        {"a few pixels off a point",
         graph.pixelOf(10, 30) + QPointF(3, -3),
         {Target::Point, 1, 0}},
        {"two points at one place: the one drawn on top",
         graph.pixelOf(30, 10),
         {Target::Point, 1, 2}},
        {"on a line between points", graph.pixelOf(15, 15), {}},
        {"on the background", graph.pixelOf(35, 38), {}},
        {"outside the plot", QPointF(3, 3), {}},
        {"a legend entry", entry, {Target::Series, 1, -1}},
    };
    for (const auto& c : cases) {
        const ChartHit hit = graph.widget.hitTest(c.pixel);
        EXPECT_EQ(hit.target, c.hit.target) << c.scenario;
        EXPECT_EQ(hit.series, c.hit.series) << c.scenario;
        EXPECT_EQ(hit.point, c.hit.point) << c.scenario;
    }
}

TEST(ChartWidget, AClickReportsWhatItHitAndADragDoesNot)
{
    SmallGraph graph;
    QSignalSpy points(&graph.widget, &ChartWidget::pointClicked);
    QSignalSpy series(&graph.widget, &ChartWidget::seriesClicked);
    QSignalSpy nothing(&graph.widget, &ChartWidget::nothingClicked);
    const QPoint onPoint = graph.pixelOf(20, 20);

    QTest::mouseClick(&graph.widget, Qt::LeftButton, {}, onPoint);
    ASSERT_EQ(points.count(), 1);
    EXPECT_EQ(points.at(0).at(0).toInt(), 0);
    EXPECT_EQ(points.at(0).at(1).toInt(), 1);

    // A hand that shakes a little still clicks.
    QTest::mousePress(&graph.widget, Qt::LeftButton, {}, onPoint);
    QTest::mouseMove(&graph.widget, onPoint + QPoint(2, 1));
    QTest::mouseRelease(&graph.widget, Qt::LeftButton, {}, onPoint + QPoint(2, 1));
    EXPECT_EQ(points.count(), 2);

    QTest::mouseClick(&graph.widget, Qt::LeftButton, {},
                      graph.layout().legendEntries.at(0).rect.center().toPoint());
    ASSERT_EQ(series.count(), 1);
    EXPECT_EQ(series.at(0).at(0).toInt(), 0);

    QTest::mouseClick(&graph.widget, Qt::LeftButton, {}, graph.pixelOf(35, 38));
    EXPECT_EQ(nothing.count(), 1);

    // A drag pans and reports no click, wherever it ends.
    const auto before = std::as_const(graph.widget).view();
    QTest::mousePress(&graph.widget, Qt::LeftButton, {}, graph.pixelOf(35, 38));
    QTest::mouseMove(&graph.widget, graph.pixelOf(35, 38) + QPoint(-30, 0));
    QTest::mouseMove(&graph.widget, onPoint);
    QTest::mouseRelease(&graph.widget, Qt::LeftButton, {}, onPoint);
    EXPECT_EQ(points.count(), 2);
    EXPECT_EQ(nothing.count(), 1);
    EXPECT_NE(std::as_const(graph.widget).view().left, before.left);
}

void wheel(QWidget& widget, QPointF at, int delta)
{
    QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &event);
}

TEST(ChartWidget, TheWheelZoomsAboutThePointerAndHomeGoesBack)
{
    SmallGraph graph;
    const QPointF pointer(250.5, 180.25);
    // Deep enough that the Y labels grow decimals and the plot's left edge moves.
    for (int delta : {120, 120, 480, 960, -240, 1200}) {
        const QPointF data = graph.layout().projection2D.unmap(pointer);
        wheel(graph.widget, pointer, delta);
        const QPointF now = graph.layout().projection2D.map(data.x(), data.y());
        EXPECT_NEAR(now.x(), pointer.x(), 0.01) << delta;
        EXPECT_NEAR(now.y(), pointer.y(), 0.01) << delta;
    }
    EXPECT_LT(std::as_const(graph.widget).view().right - std::as_const(graph.widget).view().left,
              0.01);
    for (auto key : {Qt::Key_Home, Qt::Key_R}) {
        wheel(graph.widget, pointer, 240);
        QTest::keyClick(&graph.widget, key);
        EXPECT_EQ(std::as_const(graph.widget).view().left, 0);
        EXPECT_EQ(std::as_const(graph.widget).view().right, 1);
    }
}

TEST(ChartWidget, ThreeDimensionalViewsTurnAndFindTheirPoints)
{
    ChartWidget widget(ChartKind::Chart3D);
    test::fillBackplot3D(widget.data());
    widget.resize(700, 500);
    widget.show();
    const ChartView start = std::as_const(widget).view();
    const ChartLayout layout = widget.renderer().layout(widget.data(), start, widget.size());
    const ChartSeries& helix = widget.data().series(1);
    const QPoint onPoint =
        layout.projection3D.map(helix.x(200), helix.y(200), helix.z(200)).toPoint();
    const ChartHit hit = widget.hitTest(onPoint);
    EXPECT_EQ(hit.target, ChartHit::Target::Point);
    EXPECT_EQ(hit.series, 1);
    // The helix's turns lie over each other on screen: the point found is one within
    // reach of the pixel.
    const QPointF found =
        layout.projection3D.map(helix.x(std::size_t(hit.point)), helix.y(std::size_t(hit.point)),
                                helix.z(std::size_t(hit.point)));
    EXPECT_LE(std::hypot(found.x() - onPoint.x(), found.y() - onPoint.y()), 1.0);

    QSignalSpy points(&widget, &ChartWidget::pointClicked);
    QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(&widget, QPoint(340, 290));
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, QPoint(340, 290));
    EXPECT_EQ(points.count(), 0);
    EXPECT_DOUBLE_EQ(std::as_const(widget).view().yaw, start.yaw - 40 * 0.5);
    EXPECT_DOUBLE_EQ(std::as_const(widget).view().pitch, start.pitch - 10 * 0.5);
    QTest::keyClick(&widget, Qt::Key_Home);
    EXPECT_EQ(std::as_const(widget).view().yaw, start.yaw);
}

TEST(ChartWidget, BarsAndSlicesAreClickedWhereTheyAreDrawn)
{
    ChartWidget bars(ChartKind::Chart3D);
    test::fillReportBars(bars.data());
    bars.resize(800, 500);
    const ChartLayout barLayout =
        bars.renderer().layout(bars.data(), std::as_const(bars).view(), bars.size());
    // The middle of the top of the front row's (series 0) fourth bar.
    const double top = bars.data().series(0).y(3);
    const QPointF onBar = barLayout.projection3D.map(3.5, top, 0.5);
    const ChartHit bar = bars.hitTest(onBar);
    EXPECT_EQ(bar.target, ChartHit::Target::Point);
    EXPECT_EQ(bar.series, 0);
    EXPECT_EQ(bar.point, 3);

    ChartWidget pie(ChartKind::Pie);
    test::fillShiftPie(pie.data());
    pie.resize(800, 500);
    const ChartLayout pieLayout =
        pie.renderer().layout(pie.data(), std::as_const(pie).view(), pie.size());
    ASSERT_EQ(pieLayout.pies.size(), 1u);
    const auto slices = pieSlices(pie.data().series(0), 6);
    for (const ChartPieSlice& slice : slices) {
        const double middle = (slice.start + slice.span / 2) * std::numbers::pi / 180;
        const QPointF at =
            pieLayout.pies[0].centre +
            QPointF(std::sin(middle), -std::cos(middle)) * pieLayout.pies[0].radius * 0.8;
        const ChartHit hit = pie.hitTest(at);
        EXPECT_EQ(hit.target, ChartHit::Target::Point) << slice.point;
        EXPECT_EQ(hit.point, slice.point);
    }
    const ChartHit entry = pie.hitTest(pieLayout.legendEntries.at(2).rect.center());
    EXPECT_EQ(entry.target, ChartHit::Target::Category);
    EXPECT_EQ(entry.point, 2);
}

TEST(ChartWidget, ExportsPngAndSvgOfTheAskedSize)
{
    QTemporaryDir folder;
    SmallGraph graph;
    const QString png = folder.filePath("graph.png");
    const QString svg = folder.filePath("graph.svg");
    ASSERT_TRUE(graph.widget.exportPng(png, QSize(1024, 600)));
    QImageReader reader(png);
    EXPECT_EQ(reader.format(), "png");
    EXPECT_EQ(reader.size(), QSize(1024, 600));
    ASSERT_TRUE(graph.widget.exportSvg(svg, QSize(800, 500)));
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), QSize(800, 500));
    // Without a size: the widget's.
    ASSERT_TRUE(graph.widget.exportPng(png));
    EXPECT_EQ(QImageReader(png).size(), graph.widget.size());
    // A folder that is not there: refused, nothing left behind.
    EXPECT_FALSE(graph.widget.exportPng(folder.filePath("none/graph.png")));
    EXPECT_FALSE(graph.widget.exportSvg(folder.filePath("none/graph.svg")));
    EXPECT_FALSE(QFile::exists(folder.filePath("none")));
}

TEST(ChartWidget, TheContextMenuExportsToTheChosenFile)
{
    QTemporaryDir folder;
    SmallGraph graph;
    ScriptedFilePrompter prompter;
    ScriptedNotifier notifier;
    graph.widget.setFilePrompter(&prompter);
    graph.widget.setNotifier(&notifier);
    std::unique_ptr<QMenu> menu(graph.widget.createContextMenu());
    auto* png = test::findByText<QAction>(*menu, "Export as PNG...");
    auto* svg = test::findByText<QAction>(*menu, "Export as SVG...");
    ASSERT_TRUE(png && svg);

    // A name without an extension gets the format's.
    prompter.script(toBytes(folder.filePath("chosen")));
    png->trigger();
    EXPECT_EQ(QImageReader(folder.filePath("chosen.png")).size(), graph.widget.size());
    prompter.script(toBytes(folder.filePath("chosen.svg")));
    svg->trigger();
    EXPECT_TRUE(QSvgRenderer(folder.filePath("chosen.svg")).isValid());
    ASSERT_EQ(prompter.prompts().size(), 2u);
    EXPECT_EQ(prompter.prompts()[0].title, "Export as PNG");
    EXPECT_EQ(prompter.prompts()[1].filter, "SVG image (*.svg)|*.svg||");

    // Cancelled: nothing happens. Unwritable: the user is told.
    prompter.script(std::nullopt);
    png->trigger();
    EXPECT_TRUE(notifier.shown().empty());
    prompter.script(toBytes(folder.filePath("none/x.png")));
    png->trigger();
    ASSERT_EQ(notifier.texts().size(), 1u);
    EXPECT_EQ(notifier.texts()[0],
              "The chart could not be written to " + toBytes(folder.filePath("none/x.png")) + ".");
}

int differingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                    std::abs(p.blue() - q.blue()) >
                96)
                ++count;
        }
    }
    return count;
}

// Step mode: points appended to a drawn chart show after a redraw, as they would in a
// chart drawn afresh.
TEST(ChartWidget, AppendedPointsShowAfterARedraw)
{
    SmallGraph graph;
    ChartSeries& zigzag = graph.widget.data().series(0);
    graph.widget.grab();
    for (int step = 0; step < 5; ++step) {
        for (int i = 0; i < 3; ++i)
            zigzag.append(30 + step * 1.5 + i * 0.5, 10 + (step * 3 + i) * 1.2);
        graph.widget.redraw();
        graph.widget.grab();
    }
    const QImage stepped = graph.widget.grab().toImage();
    const QPoint onNewLine = graph.pixelOf(32.5, 16);
    const QColor drawn = stepped.pixelColor(onNewLine);
    EXPECT_NE(drawn, stepped.pixelColor(graph.pixelOf(33, 36)));  // not the background

    ChartWidget fresh;
    ChartSeries& copy = fresh.data().addSeries("zigzag");
    for (std::size_t i = 0; i < zigzag.size(); ++i)
        copy.append(zigzag.x(i), zigzag.y(i));
    ChartSeries& line = fresh.data().addSeries("line");
    for (std::size_t i = 0; i < graph.widget.data().series(1).size(); ++i)
        line.append(graph.widget.data().series(1).x(i), graph.widget.data().series(1).y(i));
    fresh.data().title = "Small";
    fresh.data().setAxisRange(Axis::X, 0, 40);
    fresh.data().setAxisRange(Axis::Y, 0, 40);
    fresh.resize(graph.widget.size());
    const QImage built = fresh.grab().toImage();
    EXPECT_LT(differingPixels(stepped, built), stepped.width() * stepped.height() / 2000);

    // After a rebuild of the data, reinitialise draws it all anew.
    zigzag.clear();
    graph.widget.reinitialize();
    EXPECT_NE(graph.widget.grab().toImage().pixelColor(onNewLine), drawn);
}

TEST(ChartRenderer, APictureIsDrawnAsAWidgetsRendererDrawsIt)
{
    // A picture's renderer lets each series' drawn form go once drawn; a widget's keeps
    // them and draws its next paint from them. All three draw the same pixels.
    for (auto fill : {test::fillBackplot2D, test::fillBackplot3D}) {
        ChartData data;
        fill(data);
        const QSize size(700, 500);
        const ChartView view;
        const QFont font;
        ChartRenderer renderer;
        renderer.setFont(font);
        std::vector<QImage> painted;
        for (int paint = 0; paint < 2; ++paint) {
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.paint(painter, size, data, view);
            painter.end();
            painted.push_back(image);
        }
        const QImage picture = renderChart(data, view, size, font);
        EXPECT_EQ(picture, painted[0]) << data.title.toStdString();
        EXPECT_EQ(picture, painted[1]) << data.title.toStdString();
    }
}

TEST(ChartWidget, FillsAParentWithoutLayout)
{
    QWidget parent;
    parent.resize(500, 300);
    auto* chart = new ChartWidget(ChartKind::Graph2D, &parent);
    parent.show();
    EXPECT_EQ(chart->geometry(), parent.rect());
    parent.resize(720, 410);
    EXPECT_EQ(chart->geometry(), parent.rect());
}

// Each kind drawn as its window will draw it; saved for review with
// QUILLON_SCREENSHOT_DIR. The titles sit centred on top, and the legend beside the plot
// leaves the data alone.
TEST(ChartWidget, EveryKindDraws)
{
    const struct {
        const char* name;
        ChartKind kind;
        void (*fill)(ChartData&);
        bool dark;
    } kinds[] = {
        {"chart-backplot-2d", ChartKind::Graph2D, test::fillBackplot2D, true},
        {"chart-oee-time-axis", ChartKind::Graph2D, test::fillOeeDay, false},
        {"chart-shift-pie", ChartKind::Pie, test::fillShiftPie, false},
        {"chart-report-bars", ChartKind::Chart3D, test::fillReportBars, false},
        {"chart-backplot-3d", ChartKind::Chart3D, test::fillBackplot3D, true},
    };
    for (const auto& k : kinds) {
        ChartWidget widget(k.kind);
        k.fill(widget.data());
        if (k.dark) {
            // The backplot's colours: black, gradient on, text blue.
            widget.data().background = Qt::black;
            widget.data().textColor = QColor(0x00, 0x00, 0xFF);
            widget.data().gradientBackground = true;
        }
        widget.resize(900, 600);
        widget.show();
        test::saveScreenshot(widget, k.name);
        const QImage image = widget.grab().toImage();
        // Drawn: the data's colours are there, not only background and text.
        const QColor first = widget.data().kind() == ChartKind::Pie
                                 ? widget.data().pointColor(0)
                                 : widget.data().seriesColor(widget.data().seriesCount() - 1);
        int matching = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                matching += std::abs(c.red() - first.red()) + std::abs(c.green() - first.green()) +
                                std::abs(c.blue() - first.blue()) <
                            40;
            }
        }
        EXPECT_GT(matching, 20) << k.name;
        const ChartLayout layout =
            widget.renderer().layout(widget.data(), std::as_const(widget).view(), widget.size());
        EXPECT_NEAR(layout.title.center().x(), widget.width() / 2.0, 1) << k.name;
        EXPECT_LT(layout.title.bottom(), layout.subtitle.top() + 1) << k.name;
        EXPECT_FALSE(layout.legend.intersects(layout.plot)) << k.name;
    }
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST(ChartWidget, GivenYLabelsReplaceTheScaleInsideTheVisibleRange)
{
    SmallGraph graph;
    graph.widget.data().yLabels = {{5, "low"}, {25, "high"}, {90, "off the axis"}};
    std::vector<std::pair<double, QString>> ticks;
    for (const AxisTick& tick : graph.layout().yTicks)
        ticks.emplace_back(tick.value, tick.label);
    EXPECT_EQ(ticks, (std::vector<std::pair<double, QString>>{{5, "low"}, {25, "high"}}));
}

TEST(ChartWidget, ASeriesLeftOutOfTheLegendIsStillDrawnAndHit)
{
    SmallGraph graph;
    graph.widget.data().series(0).inLegend = false;
    const ChartLayout layout = graph.layout();
    ASSERT_EQ(layout.legendEntries.size(), 1u);
    EXPECT_EQ(layout.legendEntries[0].series, 1);
    EXPECT_EQ(graph.widget.hitTest(graph.pixelOf(20, 20)),
              (ChartHit{ChartHit::Target::Point, 0, 1}));
}

}  // namespace
}  // namespace quillon
