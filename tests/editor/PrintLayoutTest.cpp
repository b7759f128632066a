#include "editor/PrintLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace quillon {
namespace {

// A fixed-pitch font of 10 units a character whose tabs run to the next stop of 4
// characters, as the renderer measures a fixed-pitch font.
constexpr double kCharWidth = 10;
constexpr double kTabStop = 4 * kCharWidth;

void measureFixedPitch(std::string_view text, std::vector<double>& edges)
{
    edges.assign(1, 0);
    for (const char c : text) {
        const double x = edges.back();
        edges.push_back(c == '\t' ? (std::floor(x / kTabStop) + 1) * kTabStop : x + kCharWidth);
    }
}

LineSource sourceOf(const std::vector<std::string>& lines)
{
    return [&lines](std::size_t line) { return std::string_view(lines[line]); };
}

TEST(PrintLayout, MarginsReadAsAtofReadsInches)
{
    const struct {
        const char* scenario;
        const char* text;
        int tenths;
    } cases[] = {
        {"one inch", "1.0", 254},
        {"half an inch", "0.5", 127},
        {"whole number", "1", 254},
        {"no leading zero", ".5", 127},
        {"cut toward zero", "0.7", 177},
        {"blanks and plus sign", "  +0.25", 63},
        {"negative", "-0.5", -127},
        {"trailing text ignored", "0.75in", 190},
        {"exponent", "1e1", 2540},
        {"garbage", "abc", 0},
        {"empty", "", 0},
        {"sign alone", "-", 0},
        {"two signs", "+-1", 0},
        {"infinity is no margin", "inf", 0},
        {"absurd value bounded", "1e300", 1'000'000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(marginInTenthsMm(c.text), c.tenths) << c.scenario;
}

TEST(PrintLayout, PrintableRectAndColumns)
{
    const struct {
        const char* scenario;
        int paperWidth;
        int paperHeight;
        PageMargins margins;
        PrintRect rect;
        bool twoColumns;
        PrintColumns columns;
    } cases[] = {
        {"letter, inch margins",
         2159,
         2794,
         {254, 254, 254, 254},
         {254, 254, 1905, 2540},
         false,
         {1651, 254, 0, 0, false}},
        {"letter, two columns",
         2159,
         2794,
         {254, 254, 254, 254},
         {254, 254, 1905, 2540},
         true,
         {762, 254, 1206, 1079, true}},
        {"A4, uneven margins, two columns",
         2100,
         2970,
         {127, 381, 190, 63},
         {127, 190, 1719, 2907},
         true,
         {764, 127, 986, 923, true}},
    };
    for (const auto& c : cases) {
        const PrintRect rect = printableRect(c.paperWidth, c.paperHeight, c.margins);
        EXPECT_EQ(rect, c.rect) << c.scenario;
        const PrintColumns columns = printColumns(rect, c.twoColumns);
        EXPECT_EQ(columns.width, c.columns.width) << c.scenario;
        EXPECT_EQ(columns.firstX, c.columns.firstX) << c.scenario;
        EXPECT_EQ(columns.twoColumns, c.columns.twoColumns) << c.scenario;
        if (c.twoColumns) {
            EXPECT_EQ(columns.secondX, c.columns.secondX) << c.scenario;
            EXPECT_EQ(columns.firstClipX, c.columns.firstClipX) << c.scenario;
        }
    }
}

TEST(PrintLayout, LinesPerPage)
{
    const struct {
        const char* scenario;
        int height;
        int lineHeight;
        bool header;
        bool pageNumbers;
        int lines;
    } cases[] = {
        {"bare page", 2286, 40, false, false, 57},
        {"header", 2286, 40, true, false, 55},
        {"page numbers", 2286, 40, false, true, 55},
        {"both", 2286, 40, true, true, 53},
        {"a part line does not count", 2286, 41, true, true, 51},
        {"no room still prints a row", 100, 40, true, true, 1},
        {"no line height", 2286, 0, false, false, 1},
        {"margins crossed", -300, 40, false, false, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linesPerPage(c.height, c.lineHeight, c.header, c.pageNumbers), c.lines)
            << c.scenario;
}

TEST(PrintLayout, LongLinesWrapIndentedByTheirLeadingBlanks)
{
    using Rows = std::vector<PrintRow>;
    const struct {
        const char* scenario;
        std::string line;
        double width;
        Rows rows;
    } cases[] = {
        {"short line", "G1X1.", 100, {{0, 0, 5, 0}}},
        {"empty line", "", 100, {{0, 0, 0, 0}}},
        {"exactly the width", "0123456789", 100, {{0, 0, 10, 0}}},
        {"one character over", "0123456789A", 100, {{0, 0, 10, 0}, {0, 10, 11, 20}}},
        {"leading spaces",
         "  N10G1X10.Y20.Z3.",
         100,
         {{0, 0, 10, 0}, {0, 10, 16, 40}, {0, 16, 18, 40}}},
        // The tab runs to x = 40, so the indent is 40 + 2 characters.
        {"leading tab", "\tX1234567890", 100, {{0, 0, 7, 0}, {0, 7, 11, 60}, {0, 11, 12, 60}}},
        {"tab inside a row keeps its stop", "X1\t2345678901", 100, {{0, 0, 9, 0}, {0, 9, 13, 20}}},
        {"indent leaving no room", "        X12345", 100, {{0, 0, 10, 0}, {0, 10, 14, 0}}},
        {"narrower than a character", "ABC", 5, {{0, 0, 1, 0}, {0, 1, 2, 0}, {0, 2, 3, 0}}},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines = {c.line};
        const Rows rows = wrapLines(1, sourceOf(lines), measureFixedPitch, c.width, kCharWidth);
        ASSERT_EQ(rows.size(), c.rows.size()) << c.scenario;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].start, c.rows[i].start) << c.scenario << " row " << i;
            EXPECT_EQ(rows[i].end, c.rows[i].end) << c.scenario << " row " << i;
            EXPECT_DOUBLE_EQ(rows[i].indent, c.rows[i].indent) << c.scenario << " row " << i;
        }
    }
}

// A page of 10 line heights of 10 units: 6 rows under header and page numbers.
PrintFormat tenLinePage(bool twoColumns)
{
    PrintFormat format;
    format.rect = {100, 50, 1100, 150};
    format.lineHeight = 10;
    format.charWidth = kCharWidth;
    format.twoColumns = twoColumns;
    return format;
}

TEST(PrintLayout, RowsDistributedOverPagesAndColumns)
{
    struct Shown {
        int page;
        int column;
        RowRange rows;
    };
    const struct {
        const char* scenario;
        std::size_t rowCount;
        bool twoColumns;
        int pages;
        std::vector<Shown> shown;
    } cases[] = {
        {"one row", 1, false, 1, {{1, 0, {0, 1}}}},
        {"two full pages", 12, false, 2, {{1, 0, {0, 6}}, {2, 0, {6, 12}}}},
        {"a last part page", 13, false, 3, {{2, 0, {6, 12}}, {3, 0, {12, 13}}}},
        {"two columns on one page", 12, true, 1, {{1, 0, {0, 6}}, {1, 1, {6, 12}}}},
        {"second column left empty", 6, true, 1, {{1, 0, {0, 6}}, {1, 1, {6, 6}}}},
        {"three columns on two pages",
         13,
         true,
         2,
         {{1, 1, {6, 12}}, {2, 0, {12, 13}}, {2, 1, {13, 13}}}},
        {"four columns on two pages", 24, true, 2, {{2, 0, {12, 18}}, {2, 1, {18, 24}}}},
        {"five columns on three pages", 25, true, 3, {{3, 0, {24, 25}}}},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines(c.rowCount, "G1");
        const PrintLayout layout(lines.size(), sourceOf(lines), measureFixedPitch,
                                 tenLinePage(c.twoColumns));
        EXPECT_EQ(layout.linesPerPage(), 6) << c.scenario;
        EXPECT_EQ(layout.pageCount(), c.pages) << c.scenario;
        for (const auto& shown : c.shown)
            EXPECT_EQ(layout.rowsOn(shown.page, shown.column), shown.rows)
                << c.scenario << " page " << shown.page << " column " << shown.column;
    }
}

TEST(PrintLayout, WrappedRowsCountOnThePageAndKeepTheirLine)
{
    // Two columns of 100 units: (100 / 2 + 1100) / 2 - 100 = 475, 47 characters.
    const std::vector<std::string> lines = {"N10", std::string(100, 'X'), "N30"};
    const PrintLayout layout(lines.size(), sourceOf(lines), measureFixedPitch, tenLinePage(true));
    ASSERT_EQ(layout.columns().width, 475);
    const std::vector<PrintRow> expected = {
        {0, 0, 3, 0}, {1, 0, 47, 0}, {1, 47, 92, 20}, {1, 92, 100, 20}, {2, 0, 3, 0}};
    EXPECT_EQ(layout.rows(), expected);
    EXPECT_EQ(layout.rowsOn(1, 0), (RowRange{0, 5}));
}

TEST(PrintLayout, HeaderAndFooterPlaces)
{
    const struct {
        const char* scenario;
        bool header;
        int firstRowTop;
    } cases[] = {
        {"rows below the header", true, 334},
        {"rows from the top", false, 254},
    };
    for (const auto& c : cases) {
        PrintFormat format;
        format.rect = {254, 254, 1905, 2540};
        format.lineHeight = 40;
        format.header = c.header;
        const std::vector<std::string> lines = {"G1"};
        const PrintLayout layout(1, sourceOf(lines), measureFixedPitch, format);
        EXPECT_EQ(layout.rowTop(0), c.firstRowTop) << c.scenario;
        EXPECT_EQ(layout.rowTop(2), c.firstRowTop + 80) << c.scenario;
        EXPECT_EQ(layout.headerRuleY(), 254 + 53) << c.scenario;
        EXPECT_EQ(layout.footerRuleY(), 2540 - 53) << c.scenario;
        EXPECT_EQ(layout.footerTextTop(), 2500) << c.scenario;
    }
}

TEST(PrintLayout, HeaderTexts)
{
    EXPECT_EQ(headerPath("C:\\NC\\O1001.NC", false), "O1001.NC");
    // Noon UTC: the same day in every time zone within twelve hours of it.
    EXPECT_EQ(printDate(1710417600), "03/14/2024");
}

}  // namespace
}  // namespace quillon
