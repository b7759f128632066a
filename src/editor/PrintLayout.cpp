#include "editor/PrintLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include "nc/CharacterClasses.h"
#include "platform/Paths.h"

namespace quillon {

namespace {

// A margin beyond 100 m is a typing accident; the bound keeps the conversion to int defined.
constexpr double kMaxMarginTenthsMm = 1'000'000;

// The header and the page numbers each take two line heights of the page.
constexpr int kHeaderLines = 2;
constexpr int kFooterLines = 2;

std::size_t leadingBlanks(std::string_view text)
{
    std::size_t count = 0;
    while (count < text.size() && isBlank(text[count]))
        ++count;
    return count;
}

int ceilDiv(std::size_t count, std::size_t per)
{
    return static_cast<int>((count + per - 1) / per);
}

}  // namespace

int marginInTenthsMm(std::string_view inches)
{
    std::size_t pos = 0;
    while (pos < inches.size() &&
           (inches[pos] == ' ' || (inches[pos] >= '\t' && inches[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < inches.size() && (inches[pos] == '+' || inches[pos] == '-')) {
        negative = inches[pos] == '-';
        ++pos;
    }
    // from_chars takes a sign of its own, which atof would not take after the first.
    if (pos < inches.size() && inches[pos] == '-')
        return 0;
    double value = 0;
    const char* end = inches.data() + inches.size();
    const auto result = std::from_chars(inches.data() + pos, end, value);
    if (result.ec != std::errc{} || !std::isfinite(value))
        return 0;
    const double tenths =
        std::clamp(value * kTenthsMmPerInch, -kMaxMarginTenthsMm, kMaxMarginTenthsMm);
    // Cut toward zero, as the conversion to whole units always did.
    return static_cast<int>(negative ? -tenths : tenths);
}

PrintRect printableRect(int paperWidth, int paperHeight, const PageMargins& margins)
{
    return {margins.left, margins.top, paperWidth - margins.right, paperHeight - margins.bottom};
}

PrintColumns printColumns(const PrintRect& rect, bool twoColumns)
{
    PrintColumns columns;
    columns.firstX = rect.left;
    columns.twoColumns = twoColumns;
    if (!twoColumns) {
        columns.width = rect.right - rect.left;
        return columns;
    }
    columns.width = (rect.left / 2 + rect.right) / 2 - rect.left;
    columns.secondX = rect.left + rect.right / 2;
    columns.firstClipX = (rect.left + rect.right) / 2;
    return columns;
}

int linesPerPage(int printableHeight, int lineHeight, bool header, bool pageNumbers)
{
    int lines = lineHeight > 0 ? printableHeight / lineHeight : 0;
    if (header)
        lines -= kHeaderLines;
    if (pageNumbers)
        lines -= kFooterLines;
    return std::max(lines, 1);
}

std::vector<PrintRow> wrapLines(std::size_t lineCount, const LineSource& lineText,
                                const LineMeasure& measure, double width, double charWidth)
{
    std::vector<PrintRow> rows;
    rows.reserve(lineCount);
    std::vector<double> edges;
    for (std::size_t line = 0; line < lineCount; ++line) {
        const std::string_view text = lineText(line);
        measure(text, edges);
        const std::size_t length = text.size();
        if (edges.back() <= width || length <= 1) {
            rows.push_back({line, 0, length, 0});
            continue;
        }
        double indent = edges[leadingBlanks(text)] + 2 * charWidth;
        if (indent + charWidth > width)
            indent = 0;
        std::size_t start = 0;
        double rowIndent = 0;
        while (start < length) {
            const double room = width - rowIndent;
            std::size_t end = start + 1;  // a row always takes a character
            while (end < length && edges[end + 1] - edges[start] <= room)
                ++end;
            rows.push_back({line, start, end, rowIndent});
            start = end;
            rowIndent = indent;
        }
    }
    return rows;
}

PrintLayout::PrintLayout(std::size_t lineCount, const LineSource& lineText,
                         const LineMeasure& measure, const PrintFormat& format)
    : m_format(format),
      m_columns(printColumns(format.rect, format.twoColumns)),
      m_rows(wrapLines(lineCount, lineText, measure, m_columns.width, format.charWidth)),
      m_linesPerPage(quillon::linesPerPage(format.rect.height(), format.lineHeight, format.header,
                                           format.pageNumbers))
{
    const int columnCount = ceilDiv(m_rows.size(), static_cast<std::size_t>(m_linesPerPage));
    m_pageCount = std::max(1, format.twoColumns ? (columnCount + 1) / 2 : columnCount);
}

RowRange PrintLayout::rowsOn(int page, int column) const
{
    const auto perColumn = static_cast<std::size_t>(m_linesPerPage);
    const auto index = static_cast<std::size_t>((page - 1) * columnsPerPage() + column);
    const std::size_t first = std::min(index * perColumn, m_rows.size());
    return {first, std::min(first + perColumn, m_rows.size())};
}

int PrintLayout::rowTop(std::size_t k) const
{
    const int headerLines = m_format.header ? kHeaderLines : 0;
    return m_format.rect.top + (headerLines + static_cast<int>(k)) * m_format.lineHeight;
}

int PrintLayout::headerRuleY() const
{
    return m_format.rect.top + m_format.lineHeight * 4 / 3;
}

int PrintLayout::footerRuleY() const
{
    return m_format.rect.bottom - m_format.lineHeight * 4 / 3;
}

int PrintLayout::footerTextTop() const
{
    return m_format.rect.bottom - m_format.lineHeight;
}

std::string_view headerPath(std::string_view path, bool fullPath)
{
    return fullPath ? path : paths::fileName(path);
}

std::string printDate(std::int64_t secondsSinceEpoch)
{
    const auto time = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (!localtime_r(&time, &local))
        return {};
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%m/%d/%Y", &local);
    return std::string(text, length);
}

std::string pageNumberText(int page, int pageCount)
{
    return std::to_string(page) + " of " + std::to_string(pageCount);
}

}  // namespace quillon
