#include "editor/ui/NcPrinter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

#include "editor/CLiDoc.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtNotifier.h"

namespace quillon {

namespace {

// The size of the printer font when its record names none.
constexpr qreal kDefaultPrinterPoints = 10;
constexpr qreal kTenthsMmPerMm = 10;
// The rules under the header and over the page numbers: thin, yet visible at any resolution.
constexpr qreal kRuleWidth = 2;

// The printer font sized for the device. The painter counts in 0.1 mm, so the font's size in
// the painter's units must be its size in 0.1 mm, while Qt turns points into pixels with
// the device's resolution. Hinting is off: glyphs snapped to a grid of 0.1 mm would not
// have the widths the rows were wrapped with.
QFont printerFont(QFont font, const QPaintDevice& device)
{
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : kDefaultPrinterPoints;
    font.setPointSizeF(points * kTenthsMmPerInch / device.logicalDpiY());
    font.setHintingPreference(QFont::PreferNoHinting);
    return QFont(font, &device);
}

// The paper of the device in 0.1 mm, turned as the device prints.
QSize paperSizeOf(const QPagedPaintDevice& device)
{
    const QRectF paper = device.pageLayout().fullRect(QPageLayout::Millimeter);
    return {static_cast<int>(std::lround(paper.width() * kTenthsMmPerMm)),
            static_cast<int>(std::lround(paper.height() * kTenthsMmPerMm))};
}

void drawRule(QPainter& painter, const PrintRect& rect, int y)
{
    painter.setPen(QPen(Qt::black, kRuleWidth));
    painter.drawLine(QLineF(rect.left, y, rect.right, y));
}

// Text whose right end is at x.
void drawTextLeftOf(QPainter& painter, qreal x, qreal baseline, const QString& text)
{
    const qreal width = QFontMetricsF(painter.font()).horizontalAdvance(text);
    painter.drawText(QPointF(x - width, baseline), text);
}

}  // namespace

NcPrinter::NcPrinter(const CLiDoc& document, const PrintSettings& settings, const Clock& clock)
    : m_document(document), m_settings(settings), m_clock(clock)
{
}

int NcPrinter::layOut(const QPaintDevice& device, QSize paperSize)
{
    m_paperSize = paperSize;
    m_metrics = RenderMetrics::of(printerFont(m_settings.font, device), m_settings.tabWidth);
    const PageSetup& page = m_settings.page;
    PrintFormat format;
    format.rect =
        printableRect(paperSize.width(), paperSize.height(),
                      {marginInTenthsMm(page.leftMargin), marginInTenthsMm(page.rightMargin),
                       marginInTenthsMm(page.topMargin), marginInTenthsMm(page.bottomMargin)});
    format.lineHeight = static_cast<int>(std::lround(m_metrics.lineHeight));
    format.charWidth = m_metrics.spaceWidth;
    format.header = page.printHeader;
    format.pageNumbers = page.printPageNumbers;
    format.twoColumns = page.printTwoColumns;

    const CLiDoc& document = m_document;
    const RenderMetrics& metrics = m_metrics;
    m_layout.emplace(
        document.lineCount(), [&document](std::size_t line) { return document.lineText(line); },
        [&metrics](std::string_view text, std::vector<double>& edges) {
            columnEdges(layoutLine(text, metrics), text, metrics, edges);
        },
        format);
    return m_layout->pageCount();
}

void NcPrinter::paintPage(QPainter& painter, int page) const
{
    painter.save();
    painter.setFont(m_metrics.font);
    if (m_layout->format().header)
        paintHeader(painter);
    if (m_layout->format().pageNumbers)
        paintFooter(painter, page);
    const PrintColumns& columns = m_layout->columns();
    if (columns.twoColumns) {
        painter.save();
        painter.setClipRect(
            QRectF(QPointF(0, 0), QPointF(columns.firstClipX, m_paperSize.height())));
        paintColumn(painter, m_layout->rowsOn(page, 0), columns.firstX);
        painter.restore();
        paintColumn(painter, m_layout->rowsOn(page, 1), columns.secondX);
    } else {
        paintColumn(painter, m_layout->rowsOn(page, 0), columns.firstX);
    }
    painter.restore();
}

void NcPrinter::paintHeader(QPainter& painter) const
{
    const PrintRect& rect = m_layout->format().rect;
    const qreal baseline = rect.top + m_metrics.ascent;
    const std::string path(headerPath(m_document.pathName(), m_settings.page.printFullPath));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(rect.left, baseline), fromBytes(path));
    drawTextLeftOf(painter, rect.right, baseline,
                   QString::fromStdString(printDate(m_clock.now())));
    drawRule(painter, rect, m_layout->headerRuleY());
}

void NcPrinter::paintFooter(QPainter& painter, int page) const
{
    const PrintRect& rect = m_layout->format().rect;
    painter.setPen(Qt::black);
    drawTextLeftOf(painter, rect.right, m_layout->footerTextTop() + m_metrics.ascent,
                   QString::fromStdString(pageNumberText(page, m_layout->pageCount())));
    drawRule(painter, rect, m_layout->footerRuleY());
}

void NcPrinter::paintColumn(QPainter& painter, const RowRange& rows, int x) const
{
    DrawOptions options;
    options.colors = &m_settings.colors;
    options.showTabs = false;
    options.print = true;
    // Wrapped rows of one line follow each other: the line is laid out once for them all.
    std::optional<std::size_t> laidOutLine;
    LineLayout lineLayout;
    for (std::size_t i = rows.first; i < rows.end; ++i) {
        const PrintRow& row = m_layout->rows()[i];
        const std::string_view text = m_document.lineText(row.line);
        if (laidOutLine != row.line) {
            lineLayout = layoutLine(text, m_metrics);
            laidOutLine = row.line;
        }
        drawLineColumns(painter, lineLayout, text, row.start, row.end, x + row.indent,
                        m_layout->rowTop(i - rows.first), m_metrics, options);
    }
}

bool NcPrinter::print(QPagedPaintDevice& device, int firstPage, int lastPage)
{
    const int pages = layOut(device, paperSizeOf(device));
    const int first = firstPage > 0 ? std::min(firstPage, pages) : 1;
    const int last = lastPage > 0 ? std::clamp(lastPage, first, pages) : pages;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The painter starts at the corner of the device's paint rectangle, inside the margins
    // the device keeps for itself; ours are measured from the paper's edge.
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    painter.translate(-QPointF(device.pageLayout().paintRectPixels(dpiX).topLeft()));
    painter.scale(static_cast<qreal>(dpiX) / kTenthsMmPerInch,
                  static_cast<qreal>(dpiY) / kTenthsMmPerInch);
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage())
            return false;
        paintPage(painter, page);
    }
    return painter.end();
}

PrintOutcome printWithDialog(const CLiDoc& document, const PrintSettings& settings,
                             const Clock& clock, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    NcPrinter ncPrinter(document, settings, clock);
    QPrintDialog dialog(&printer, parent);
    // The page count for the printer's own paper; another paper chosen in the dialog may
    // make it a different one.
    dialog.setMinMax(1, ncPrinter.layOut(printer, paperSizeOf(printer)));
    if (dialog.exec() != QDialog::Accepted)
        return PrintOutcome::Cancelled;
    return ncPrinter.print(printer, printer.fromPage(), printer.toPage()) ? PrintOutcome::Printed
                                                                          : PrintOutcome::Failed;
}

void showPrintPreview(const CLiDoc& document, const PrintSettings& settings, const Clock& clock,
                      QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    NcPrinter ncPrinter(document, settings, clock);
    QPrintPreviewDialog dialog(&printer, parent);
    // Asked for the preview's pages and again, on the printer, by the preview's Print.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&ncPrinter](QPrinter* target) {
                         ncPrinter.print(*target, target->fromPage(), target->toPage());
                     });
    dialog.exec();
}

bool writePdf(const CLiDoc& document, const PrintSettings& settings, const Clock& clock,
              const QString& path, const QPageSize& pageSize)
{
    QPdfWriter writer(path);
    writer.setPageSize(pageSize);
    writer.setCreator(QString::fromLatin1(kProgramTitle));
    writer.setTitle(fromBytes(std::string(paths::fileName(document.pathName()))));
    return NcPrinter(document, settings, clock).print(writer);
}

}  // namespace quillon
