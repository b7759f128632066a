// The page layout of a printed NC program: the printable rectangle, the rows the lines are
// wrapped into, which rows each page and column shows, and the texts of header and footer.
//
// Lengths are in tenths of a millimetre with y growing down the page. The arithmetic is
// integer where the printed program always counted in whole units (rectangle, columns,
// line height); only text widths are fractional.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// 254 tenths of a millimetre make an inch.
inline constexpr int kTenthsMmPerInch = 254;

// A margin as typed in "Other options", in inches ("1.0"), read the way atof reads it:
// leading blanks, a sign, a decimal number; what follows is ignored and no number is 0.
int marginInTenthsMm(std::string_view inches);

struct PageMargins {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

struct PrintRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PrintRect&) const = default;
};

// The paper less the margins, the paper's corner at (0, 0).
PrintRect printableRect(int paperWidth, int paperHeight, const PageMargins& margins);

// Where the rows go across a page.
//
// Two columns keep the arithmetic the program has always printed with. It leaves a gap of
// 3/4 of the left margin between the columns and lets the second one run past the right
// margin by a quarter of the left margin:
//
//   left                   clip = (left + right) / 2
//   |<---- width ---->|    :    |<---- width ---->|
//   |    column 1     |    :    |    column 2     |
//                               left + right / 2
//
//   width = (left / 2 + right) / 2 - left
struct PrintColumns {
    int width = 0;  // rows are wrapped to this
    int firstX = 0;
    int secondX = 0;     // two columns only
    int firstClipX = 0;  // two columns only: nothing of the first column right of it
    bool twoColumns = false;
};

PrintColumns printColumns(const PrintRect& rect, bool twoColumns);

// Rows in one page (or one column of a page): the printable height in line heights, less
// two for the header and two for the page numbers. Never below one, so that absurd
// margins or a giant font still print instead of dividing by zero.
int linesPerPage(int printableHeight, int lineHeight, bool header, bool pageNumbers);

// One printed row: the columns [start, end) of a line, drawn indent to the right of the
// column's left edge.
struct PrintRow {
    std::size_t line = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    double indent = 0;

    bool operator==(const PrintRow&) const = default;
};

// The text of a line of the document.
using LineSource = std::function<std::string_view(std::size_t line)>;
// The x of every character boundary of a line as it is printed: edges[i] is the boundary
// before column i, for i = 0 .. text.size(), so edges.back() is the line's width.
using LineMeasure = std::function<void(std::string_view text, std::vector<double>& edges)>;

// Cuts each line into rows no wider than width. A longer line goes on in continuation rows
// indented by its leading blanks plus two character widths, as many characters to a row as
// fit (at least one). When that indent leaves no room for a character, continuation rows
// start at the left edge.
std::vector<PrintRow> wrapLines(std::size_t lineCount, const LineSource& lineText,
                                const LineMeasure& measure, double width, double charWidth);

struct PrintFormat {
    PrintRect rect;
    int lineHeight = 1;
    double charWidth = 1;  // of a blank: continuation rows indent by two of them
    bool header = true;
    bool pageNumbers = true;
    bool twoColumns = false;
};

struct RowRange {
    std::size_t first = 0;
    std::size_t end = 0;  // one past the last

    bool operator==(const RowRange&) const = default;
};

// A document laid out on pages.
class PrintLayout {
public:
    PrintLayout(std::size_t lineCount, const LineSource& lineText, const LineMeasure& measure,
                const PrintFormat& format);

    const PrintFormat& format() const { return m_format; }
    const PrintColumns& columns() const { return m_columns; }
    const std::vector<PrintRow>& rows() const { return m_rows; }
    int linesPerPage() const { return m_linesPerPage; }
    int pageCount() const { return m_pageCount; }
    int columnsPerPage() const { return m_columns.twoColumns ? 2 : 1; }

    // The rows of a page (from 1) and column (0, or 1 in two-column mode); empty past the
    // last row.
    RowRange rowsOn(int page, int column) const;
    // The top of the k-th row of a column, below the header when there is one.
    int rowTop(std::size_t k) const;

    // The header's rule: 4/3 of a line below the top. The footer's rule: as far above the
    // bottom, its text in the last line height.
    int headerRuleY() const;
    int footerRuleY() const;
    int footerTextTop() const;

private:
    PrintFormat m_format;
    PrintColumns m_columns;
    std::vector<PrintRow> m_rows;
    int m_linesPerPage = 1;
    int m_pageCount = 1;
};

// The header's path: all of it, or only the file name.
std::string_view headerPath(std::string_view path, bool fullPath);
// The date of the header, "%m/%d/%Y" in local time.
std::string printDate(std::int64_t secondsSinceEpoch);
// "3 of 7".
std::string pageNumberText(int page, int pageCount);

}  // namespace quillon
