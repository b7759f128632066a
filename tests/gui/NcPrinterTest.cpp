#include "editor/ui/NcPrinter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/FontSettings.h"
#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"
#include "gui/GuiTestSupport.h"
#include "gui/RecordingPaintDevice.h"
#include "platform/Clock.h"
#include "platform/ui/FontMapping.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::DrawnText;
using test::RecordingDevice;

// 2024-03-14 12:00 UTC: noon, so the same day in every time zone within twelve hours.
constexpr std::int64_t kPrintTime = 1710417600;
constexpr char kPrintDate[] = "03/14/2024";

// Letter paper in 0.1 mm, and the printable rectangle inside one-inch margins.
const QSize kLetter(2159, 2794);
constexpr PrintRect kLetterRect{254, 254, 1905, 2540};

// A program of about 150 lines: comments, tabs, and long lines with leading blanks that
// wrap in a column of a two-column page.
std::string sampleProgram()
{
    std::string text =
        "%\r\n"
        "O1001 (POCKET MILLING - PRINT SAMPLE)\r\n"
        "(MATERIAL 6061-T6 ALUMINIUM, STOCK 100 X 80 X 25)\r\n"
        "(T1 D10 FLAT END MILL, 3 FLUTES, CARBIDE, STICKOUT 35 MM - CHECK THE RUNOUT BEFORE "
        "THE FINISHING PASS)\r\n"
        "N10 G21 G17 G40 G49 G80 G90\r\n"
        "N20 T1 M06\r\n"
        "N30 G54 G00 X0. Y0. S8000 M03\r\n"
        "N40 G43 H01 Z50. M08\r\n";
    int block = 50;
    for (int pass = 1; pass <= 8; ++pass) {
        const std::string depth = std::to_string(-pass * 2.5).substr(0, 5);
        text += "    G01 Z" + depth + " F150. (ROUGHING PASS " + std::to_string(pass) +
                " OF 8, LEAVE 0.2 MM ON THE WALLS AND 0.1 MM ON THE FLOOR)\r\n";
        for (int step = 0; step < 16; ++step) {
            const std::string n = "N" + std::to_string(block);
            block += 10;
            const std::string x = std::to_string(10 + step * 5) + ".";
            const std::string y = std::to_string(step % 2 == 0 ? 5 : 75) + ".";
            if (step == 7)
                text += n + "\tG01\tX" + x + "\tY" + y + "\t(TABS)\r\n";
            else
                text += n + " G01 X" + x + " Y" + y + (step == 0 ? " F900." : "") + "\r\n";
        }
    }
    text +=
        "N2000\tG00 Z50. M09\r\n"
        "N2010 M05\r\n"
        "N2020 G28 G91 Z0. (HOME IN Z BEFORE THE TABLE MOVES)\r\n"
        "N2030 M30\r\n"
        "%";
    return text;
}

PrintSettings twoColumnSettings()
{
    PrintSettings settings;
    // The shop's printer font as a new installation has it (Courier New, 10 points): on this
    // system its metric twin that install-deps brings, so the pages break as on Windows.
    settings.font = toQFont(FontSet{}[FontRole::Printer]);
    settings.page.printHeader = true;
    settings.page.printFullPath = true;
    settings.page.printPageNumbers = true;
    settings.page.printTwoColumns = true;
    return settings;
}

// The pages of a PDF as Qt writes it: one "/Type /Page" object each, besides "/Pages".
int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString bytes = QString::fromLatin1(file.readAll());
    return static_cast<int>(bytes.count(QRegularExpression("/Type\\s*/Page\\b")));
}

TEST(NcPrinter, TwoColumnPdfOfASampleProgram)
{
    test::TempWorkDir dir;
    CLiDoc document;
    test::openBytes(document, dir, sampleProgram(), "O1001.NC");
    ASSERT_GT(document.lineCount(), 140u);
    const FixedClock clock(kPrintTime);
    const QString pdf = QString::fromStdString(dir.path("O1001.pdf"));

    const struct {
        const char* scenario;
        bool twoColumns;
        int pages;
    } cases[] = {
        {"two columns", true, 2},
        {"one column", false, 3},
    };
    for (const auto& c : cases) {
        PrintSettings settings = twoColumnSettings();
        settings.page.printTwoColumns = c.twoColumns;
        ASSERT_TRUE(writePdf(document, settings, clock, pdf, QPageSize(QPageSize::Letter)))
            << c.scenario;
        EXPECT_EQ(pdfPageCount(pdf), c.pages) << c.scenario;
        // For review: $QUILLON_SCREENSHOT_DIR/print-<scenario>.pdf.
        const QString folder = qEnvironmentVariable("QUILLON_SCREENSHOT_DIR");
        if (!folder.isEmpty()) {
            const QString copy =
                folder + "/print-" + QString(c.scenario).replace(' ', '-') + ".pdf";
            QFile::remove(copy);
            QFile::copy(pdf, copy);
        }
    }
    EXPECT_FALSE(writePdf(document, twoColumnSettings(), clock,
                          QString::fromStdString(dir.path("no/such/folder/O1001.pdf")),
                          QPageSize(QPageSize::Letter)));
}

const DrawnText* findText(const std::vector<DrawnText>& texts, const QString& text)
{
    for (const auto& drawn : texts) {
        if (drawn.text == text)
            return &drawn;
    }
    return nullptr;
}

// The texts drawn on the baseline between fromX and toX, left to right.
std::vector<DrawnText> textsOnRow(const std::vector<DrawnText>& texts, qreal baseline, qreal fromX,
                                  qreal toX)
{
    std::vector<DrawnText> row;
    for (const auto& drawn : texts) {
        if (qAbs(drawn.baseline.y() - baseline) < 0.01 && drawn.baseline.x() >= fromX - 0.01 &&
            drawn.baseline.x() < toX)
            row.push_back(drawn);
    }
    std::sort(row.begin(), row.end(), [](const DrawnText& a, const DrawnText& b) {
        return a.baseline.x() < b.baseline.x();
    });
    return row;
}

QString joinedText(const std::vector<DrawnText>& texts)
{
    QString joined;
    for (const auto& drawn : texts)
        joined += drawn.text;
    return joined;
}

const QColor kBlack(Qt::black);

TEST(NcPrinter, PageShowsHeaderFooterAndTwoColumnsOfColouredRows)
{
    test::TempWorkDir dir;
    CLiDoc document;
    std::string program =
        "%\r\n"
        "O1001 (PRINT TEST)\r\n"
        "  (A COMMENT SO LONG THAT IT RUNS OVER TWO OR THREE ROWS OF A "
        "COLUMN ON THE PRINTED PAGE)\r\n"
        "N30 G01 X1.2345 Y-2.5 F200. (FINISH PASS ALONG THE WALL WITH "
        "COOLANT ON)\r\n";
    for (int n = 40; n < 800; n += 10)
        program += "N" + std::to_string(n) + " G01 X" + std::to_string(n) + ". Y5.\r\n";
    test::openBytes(document, dir, program, "O1001.NC");
    const FixedClock clock(kPrintTime);
    PrintSettings settings = twoColumnSettings();
    settings.colors[EditorColor::Foreground] = colorRef(0, 0, 200);
    const QColor comment = toQColor(settings.colors[EditorColor::Comment]);

    NcPrinter printer(document, settings, clock);
    RecordingDevice device(kLetter);
    ASSERT_EQ(printer.layOut(device, kLetter), 1);
    const PrintLayout& layout = printer.layout();
    const RenderMetrics& metrics = printer.metrics();
    {
        QPainter painter(&device);
        printer.paintPage(painter, 1);
    }
    const auto& texts = device.engine().texts;
    const auto& rules = device.engine().drawnLines;
    const qreal ascent = metrics.ascent;
    const int lineHeight = layout.format().lineHeight;

    // Header: the full path at the left, the date ending at the right, a rule below.
    const DrawnText* path = findText(texts, QString::fromStdString(document.pathName()));
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->baseline, QPointF(kLetterRect.left, kLetterRect.top + ascent));
    EXPECT_EQ(path->color, kBlack);
    const DrawnText* date = findText(texts, kPrintDate);
    ASSERT_NE(date, nullptr);
    EXPECT_NEAR(date->baseline.x() + date->width, kLetterRect.right, 0.5);
    EXPECT_EQ(date->baseline.y(), path->baseline.y());

    // Footer: "1 of 1" ending at the right in the last line, a rule above.
    const DrawnText* pageNumber = findText(texts, "1 of 1");
    ASSERT_NE(pageNumber, nullptr);
    EXPECT_NEAR(pageNumber->baseline.x() + pageNumber->width, kLetterRect.right, 0.5);
    EXPECT_EQ(pageNumber->baseline.y(), kLetterRect.bottom - lineHeight + ascent);

    const int rule = lineHeight * 4 / 3;
    const std::vector<QLineF> expectedRules = {
        {254, qreal(254 + rule), 1905, qreal(254 + rule)},
        {254, qreal(2540 - rule), 1905, qreal(2540 - rule)}};
    EXPECT_EQ(rules, expectedRules);

    // Every row shows its slice of its line at its column's left edge plus its indent;
    // the first column is clipped at (left + right) / 2, the second is not.
    const PrintColumns& columns = layout.columns();
    ASSERT_TRUE(columns.twoColumns);
    for (int column = 0; column < 2; ++column) {
        const RowRange range = layout.rowsOn(1, column);
        ASSERT_GT(range.end, range.first);
        const int columnX = column == 0 ? columns.firstX : columns.secondX;
        const int columnEnd = column == 0 ? columns.firstClipX : kLetter.width();
        for (std::size_t i = range.first; i < range.end; ++i) {
            const PrintRow& row = layout.rows()[i];
            const qreal baseline = layout.rowTop(i - range.first) + ascent;
            const auto drawn = textsOnRow(texts, baseline, columnX, columnEnd);
            const std::string_view line = document.lineText(row.line);
            const std::string slice(line.substr(row.start, row.end - row.start));
            EXPECT_EQ(joinedText(drawn).toStdString(), slice) << "row " << i;
            if (drawn.empty())
                continue;  // the empty line at the end
            EXPECT_NEAR(drawn.front().baseline.x(), columnX + row.indent, 0.01) << "row " << i;
            for (const auto& text : drawn) {
                if (column == 0)
                    EXPECT_EQ(text.clipRight, columns.firstClipX) << "row " << i;
                else
                    EXPECT_TRUE(std::isinf(text.clipRight)) << "row " << i;
            }
        }
    }

    // Long lines wrap: their continuation rows are indented by their leading blanks and two
    // characters more, and a comment opened on an earlier row is still a comment.
    const struct {
        const char* scenario;
        std::size_t line;
        int leadingBlanks;
    } wrapped[] = {
        {"comment line with two blanks in front", 2, 2},
        {"block ending in a comment", 3, 0},
    };
    for (const auto& w : wrapped) {
        std::size_t continuations = 0;
        for (std::size_t i = 0; i < layout.rowsOn(1, 0).end; ++i) {
            const PrintRow& row = layout.rows()[i];
            if (row.line != w.line || row.start == 0)
                continue;
            ++continuations;
            EXPECT_NEAR(row.indent, (w.leadingBlanks + 2) * metrics.spaceWidth, 0.01)
                << w.scenario;
            const qreal baseline = layout.rowTop(i) + ascent;
            for (const auto& text :
                 textsOnRow(texts, baseline, columns.firstX, columns.firstClipX))
                EXPECT_EQ(text.color, comment) << w.scenario << ": " << text.text.toStdString();
        }
        EXPECT_GE(continuations, 1u) << w.scenario;
    }

    // Foreground text prints black whatever the screen's foreground is.
    const DrawnText* programNumber = findText(texts, "O1001 ");
    ASSERT_NE(programNumber, nullptr);
    EXPECT_EQ(programNumber->color, kBlack);
}

TEST(NcPrinter, PreviewShowsEveryPage)
{
    test::TempWorkDir dir;
    CLiDoc document;
    test::openBytes(document, dir, sampleProgram(), "O1001.NC");
    const FixedClock clock(kPrintTime);
    int previewPages = 0;
    test::onNextDialog<QPrintPreviewDialog>([&previewPages](QPrintPreviewDialog& dialog) {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        if (preview)
            previewPages = preview->pageCount();
        dialog.resize(1000, 700);
        test::saveScreenshot(dialog, "print-preview");
        dialog.reject();
    });
    showPrintPreview(document, twoColumnSettings(), clock, nullptr);

    NcPrinter printer(document, twoColumnSettings(), clock);
    QPrinter reference(QPrinter::HighResolution);
    const QRectF paper = reference.pageLayout().fullRect(QPageLayout::Millimeter);
    const int pages =
        printer.layOut(reference, QSize(qRound(paper.width() * 10), qRound(paper.height() * 10)));
    EXPECT_GE(pages, 2);
    EXPECT_EQ(previewPages, pages);
}

}  // namespace
}  // namespace quillon
