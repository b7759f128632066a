// Printing of an NC program: its pages laid out by PrintLayout and drawn with the line
// renderer on a printer, in the print preview or into a PDF file.
#pragma once

#include <QFont>
#include <QPageSize>
#include <QSize>
#include <QString>

#include <optional>
#include <string>

#include "editor/EditorColors.h"
#include "editor/PrintLayout.h"
#include "editor/ui/LineRenderer.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QWidget;

namespace quillon {

class CLiDoc;
class Clock;

// The page's margins as typed in "Other options" (inches) and what goes on the page.
struct PageSetup {
    std::string leftMargin = "1.0";
    std::string rightMargin = "1.0";
    std::string topMargin = "1.0";
    std::string bottomMargin = "1.0";
    bool printHeader = true;
    bool printFullPath = true;
    bool printPageNumbers = true;
    bool printTwoColumns = false;
};

// What printing takes from the program's settings.
struct PrintSettings {
    PageSetup page;
    QFont font;           // the printer font; sized anew for the device
    int tabWidth = 8;     // in blanks
    EditorColors colors;  // with their "colours on"
};

// Draws a document's pages. A painter given to it counts in tenths of a millimetre from
// the paper's top-left corner; print() sets that up on a paged device.
class NcPrinter {
public:
    NcPrinter(const CLiDoc& document, const PrintSettings& settings, const Clock& clock);

    // Lays the document out for paper of this size (in 0.1 mm) on the device, whose
    // resolution sizes the font. Returns the page count.
    int layOut(const QPaintDevice& device, QSize paperSize);
    // After layOut.
    const PrintLayout& layout() const { return *m_layout; }
    const RenderMetrics& metrics() const { return m_metrics; }

    // Paints one page (from 1) of the layout.
    void paintPage(QPainter& painter, int page) const;

    // Lays out for the device's paper and prints the pages first..last (from 1; 0 for the
    // first or the last page), one to a sheet. False when the device could not be painted.
    bool print(QPagedPaintDevice& device, int firstPage = 0, int lastPage = 0);

private:
    void paintHeader(QPainter& painter) const;
    void paintFooter(QPainter& painter, int page) const;
    void paintColumn(QPainter& painter, const RowRange& rows, int x) const;

    const CLiDoc& m_document;
    PrintSettings m_settings;
    const Clock& m_clock;
    QSize m_paperSize;
    RenderMetrics m_metrics;
    std::optional<PrintLayout> m_layout;
};

enum class PrintOutcome { Printed, Cancelled, Failed };

// File > Print: the print dialog, then the chosen pages on the chosen printer. Failed when
// the printer could not be painted on; telling the user is the caller's.
PrintOutcome printWithDialog(const CLiDoc& document, const PrintSettings& settings,
                             const Clock& clock, QWidget* parent);
// File > Print Preview: the preview window, from which the pages can be printed too.
void showPrintPreview(const CLiDoc& document, const PrintSettings& settings, const Clock& clock,
                      QWidget* parent);
// Every page into a PDF file. False when the file could not be written.
bool writePdf(const CLiDoc& document, const PrintSettings& settings, const Clock& clock,
              const QString& path, const QPageSize& pageSize);

}  // namespace quillon
