#include "editor/ui/LineRenderer.h"

#include <gtest/gtest.h>

#include <QFontDatabase>

#include <string>
#include <vector>

#include "gui/RecordingPaintDevice.h"

namespace quillon {
namespace {

constexpr int kTabWidth = 4;

// The font the tests install (fonts-dejavu-core): fixed pitch for sure.
RenderMetrics fixedPitchMetrics()
{
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(20);
    return RenderMetrics::of(font, kTabWidth);
}

RenderMetrics proportionalMetrics()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(20);
    return RenderMetrics::of(font, kTabWidth);
}

TEST(LineRenderer, ColumnEdgesAreTheXOfEveryColumn)
{
    const struct {
        const char* scenario;
        std::string line;
    } cases[] = {
        {"address words", "N10 G01 X1.5 Y-2."},
        {"tabs", "\tX1\t\tY2"},
        {"comment and blank runs", "  (A  B)  "},
        {"empty", ""},
    };
    for (const auto& metrics : {fixedPitchMetrics(), proportionalMetrics()}) {
        for (const auto& c : cases) {
            const LineLayout layout = layoutLine(c.line, metrics);
            std::vector<qreal> edges;
            columnEdges(layout, c.line, metrics, edges);
            ASSERT_EQ(edges.size(), c.line.size() + 1) << c.scenario;
            for (std::size_t column = 0; column <= c.line.size(); ++column)
                EXPECT_DOUBLE_EQ(edges[column], xOfColumn(layout, c.line, column, metrics))
                    << c.scenario << " column " << column
                    << (metrics.fixedPitch ? " fixed pitch" : " proportional");
        }
    }
}

// One character as drawn: runs of text cut into their characters (fixed pitch).
struct DrawnChar {
    QChar ch;
    qreal x;
    QColor color;
};

std::vector<DrawnChar> drawnChars(const std::vector<test::DrawnText>& texts, qreal pitch)
{
    std::vector<DrawnChar> chars;
    for (const auto& text : texts) {
        for (qsizetype i = 0; i < text.text.size(); ++i)
            chars.push_back({text.text[i], text.baseline.x() + i * pitch, text.color});
    }
    return chars;
}

TEST(LineRenderer, RowsOfACutLineDrawAsTheWholeLine)
{
    const struct {
        const char* scenario;
        std::string line;
        std::vector<std::size_t> cuts;
    } cases[] = {
        {"between words", "N30 G01 X1.2345 (FINISH) Y2.", {4}},
        {"through an address word", "N30 G01 X1.2345 (FINISH) Y2.", {11}},
        {"inside the comment", "N30 G01 X1.2345 (FINISH) Y2.", {19}},
        {"just after the comment opens", "N30 G01 X1.2345 (FINISH) Y2.", {17}},
        {"many rows", "N30 G01 X1.2345 (FINISH) Y2.", {3, 9, 14, 20, 26}},
        {"through blanks and tabs", "N1\t G1  \t(A\tB)", {4, 7, 11}},
    };
    const RenderMetrics metrics = fixedPitchMetrics();
    ASSERT_TRUE(metrics.fixedPitch);
    const EditorColors colors;
    DrawOptions options;
    options.colors = &colors;
    options.showSpaces = true;
    options.showTabs = true;
    options.showEndOfBlock = true;
    constexpr qreal kLeft = 100;

    for (const auto& c : cases) {
        const LineLayout layout = layoutLine(c.line, metrics);
        test::RecordingDevice whole(QSize(2000, 100));
        {
            QPainter painter(&whole);
            drawLine(painter, layout, c.line, kLeft, 0, metrics, options);
        }
        // Each row drawn where the line would have it.
        test::RecordingDevice rows(QSize(2000, 100));
        {
            QPainter painter(&rows);
            std::vector<std::size_t> bounds = {0};
            bounds.insert(bounds.end(), c.cuts.begin(), c.cuts.end());
            bounds.push_back(c.line.size());
            for (std::size_t k = 0; k + 1 < bounds.size(); ++k) {
                const qreal x = kLeft + xOfColumn(layout, c.line, bounds[k], metrics);
                drawLineColumns(painter, layout, c.line, bounds[k], bounds[k + 1], x, 0, metrics,
                                options);
            }
        }
        const auto expected = drawnChars(whole.engine().texts, metrics.spaceWidth);
        const auto actual = drawnChars(rows.engine().texts, metrics.spaceWidth);
        ASSERT_EQ(actual.size(), expected.size()) << c.scenario;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(actual[i].ch, expected[i].ch) << c.scenario << " char " << i;
            EXPECT_NEAR(actual[i].x, expected[i].x, 1e-6) << c.scenario << " char " << i;
            EXPECT_EQ(actual[i].color, expected[i].color) << c.scenario << " char " << i;
        }
        // The glyphs of blanks, tabs and the line end, each drawn once and in its place.
        const auto& expectedLines = whole.engine().drawnLines;
        const auto& actualLines = rows.engine().drawnLines;
        ASSERT_EQ(actualLines.size(), expectedLines.size()) << c.scenario;
        for (std::size_t i = 0; i < expectedLines.size(); ++i) {
            EXPECT_NEAR(actualLines[i].x1(), expectedLines[i].x1(), 1e-6) << c.scenario;
            EXPECT_NEAR(actualLines[i].x2(), expectedLines[i].x2(), 1e-6) << c.scenario;
            EXPECT_EQ(actualLines[i].y1(), expectedLines[i].y1()) << c.scenario;
        }
    }
}

}  // namespace
}  // namespace quillon
