#include "editor/ui/LineRenderer.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "editor/EditLine.h"

namespace quillon {

namespace {

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The width of a run of ordinary characters: a fixed-pitch font needs no adding up.
qreal runWidth(std::string_view run, const RenderMetrics& metrics)
{
    if (metrics.fixedPitch)
        return static_cast<qreal>(run.size()) * metrics.spaceWidth;
    qreal width = 0;
    for (const char c : run)
        width += metrics.advance(c);
    return width;
}

// A TAB runs to the next tab stop.
qreal tabWidthAt(qreal x, const RenderMetrics& metrics)
{
    const qreal stop = metrics.tabStop();
    if (stop <= 0)
        return metrics.spaceWidth;
    return (std::floor((x + metrics.spaceWidth - 1) / stop) + 1) * stop - x;
}

// Places the glyphs of every colour run. A font that lacks a glyph for a byte leaves
// that run to drawText, which finds a fallback font.
void buildRuns(LineLayout& layout, std::string_view text, const RenderMetrics& metrics)
{
    CommentState comments;
    ColourRun* current = nullptr;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    bool complete = true;
    auto finish = [&] {
        if (current && complete && metrics.rawFont.isValid()) {
            current->glyphs.setRawFont(metrics.rawFont);
            current->glyphs.setGlyphIndexes(glyphs);
            current->glyphs.setPositions(positions);
        }
        glyphs.clear();
        positions.clear();
        complete = true;
        current = nullptr;
    };
    for (const auto& token : layout.tokens) {
        const ColorRole role =
            token.start >= kMaxColouredLine ? ColorRole::Foreground : comments.colorOf(token.kind);
        if (token.kind == TokenKind::Tab || token.kind == TokenKind::EndOfLine) {
            finish();
            continue;
        }
        const bool blank = token.kind == TokenKind::Spaces;
        if (!current || (!blank && current->role != role)) {
            finish();
            layout.runs.push_back({role, QGlyphRun(), token.start, token.start, token.x});
            current = &layout.runs.back();
        }
        current->end = token.start + token.length;
        qreal at = token.x - current->x;
        for (const char c : text.substr(token.start, token.length)) {
            const quint32 glyph = metrics.glyphOfByte[static_cast<unsigned char>(c)];
            complete = complete && glyph != 0;
            glyphs.append(glyph);
            positions.append(QPointF(at, 0));
            at += metrics.advance(c);
        }
    }
    finish();
}

}  // namespace

RenderMetrics RenderMetrics::of(const QFont& font, int tabWidth, int lineSpacingPercent)
{
    RenderMetrics metrics;
    metrics.font = font;
    const QFontMetricsF fm(font);
    metrics.spaceWidth = fm.horizontalAdvance(' ');
    metrics.digitWidth = fm.horizontalAdvance('0');
    metrics.averageCharWidth = fm.averageCharWidth();
    metrics.textHeight = fm.height();
    metrics.ascent = fm.ascent();
    metrics.lineHeight = std::ceil(fm.height() * lineSpacingPercent / 100.0);
    // Measured, not asked: font databases do not always mark monospaced faces as such.
    metrics.fixedPitch = true;
    for (const char c : {'W', 'i', '0', '.', '(', 'M'})
        metrics.fixedPitch = metrics.fixedPitch &&
                             qFuzzyCompare(fm.horizontalAdvance(QChar(c)), metrics.spaceWidth);
    metrics.tabWidth = tabWidth;
    for (int byte = 0; byte < 256; ++byte)
        metrics.advanceOfByte[static_cast<std::size_t>(byte)] = fm.horizontalAdvance(QChar(byte));
    metrics.rawFont = QRawFont::fromFont(font);
    if (metrics.rawFont.isValid()) {
        QString bytes(256, QChar());
        for (int byte = 0; byte < 256; ++byte)
            bytes[byte] = QChar(byte);
        const QList<quint32> glyphs = metrics.rawFont.glyphIndexesForString(bytes);
        for (int byte = 0; byte < 256 && byte < glyphs.size(); ++byte)
            metrics.glyphOfByte[static_cast<std::size_t>(byte)] = glyphs[byte];
    }
    return metrics;
}

LineLayout layoutLine(std::string_view text, const RenderMetrics& metrics)
{
    LineLayout layout;
    layout.textLength = text.size();
    const TokenizedLine line = Tokenize(text);
    layout.tokens.reserve(line.tokens.size() + 1);
    qreal x = 0;
    for (const auto& token : line.tokens) {
        qreal width = 0;
        switch (token.kind) {
        case TokenKind::Tab:
            width = tabWidthAt(x, metrics);
            break;
        case TokenKind::EndOfLine:
            width = 0;
            break;
        default:
            width = runWidth(text.substr(token.start, token.length), metrics);
            break;
        }
        layout.tokens.push_back({token.kind, token.start, token.length, x, width});
        x += width;
    }
    if (line.stoppedAtLimit) {
        // Beyond the colour limit the text is shown plain, as one run.
        const std::size_t start = kMaxColouredLine;
        const qreal width = runWidth(text.substr(start), metrics);
        layout.tokens.push_back({TokenKind::Other, static_cast<std::uint32_t>(start),
                                 static_cast<std::uint32_t>(text.size() - start), x, width});
        x += width;
    }
    layout.width = x;
    buildRuns(layout, text, metrics);
    return layout;
}

qreal xOfColumn(const LineLayout& layout, std::string_view text, std::size_t column,
                const RenderMetrics& metrics)
{
    for (const auto& token : layout.tokens) {
        if (token.kind == TokenKind::EndOfLine || column >= token.start + token.length)
            continue;
        if (column <= token.start)
            return token.x;
        return token.x + runWidth(text.substr(token.start, column - token.start), metrics);
    }
    return layout.width;
}

std::size_t columnAtX(const LineLayout& layout, std::string_view text, qreal x,
                      const RenderMetrics& metrics)
{
    if (x <= 0)
        return 0;
    for (const auto& token : layout.tokens) {
        if (token.kind == TokenKind::EndOfLine || x >= token.x + token.width)
            continue;
        if (token.kind == TokenKind::Tab)
            return x - token.x < token.width / 2 ? token.start : token.start + 1;
        // The boundary nearest to x inside the run.
        std::size_t best = token.start;
        qreal at = token.x;
        qreal bestDistance = std::abs(x - at);
        for (std::size_t column = token.start; column < token.start + token.length; ++column) {
            at += metrics.advance(text[column]);
            const qreal distance = std::abs(x - at);
            if (distance > bestDistance)
                break;
            best = column + 1;
            bestDistance = distance;
        }
        return best;
    }
    return text.size();
}

QColor complementOf(ColorRef value)
{
    return toQColor(~value & 0xFFFFFF);
}

void columnEdges(const LineLayout& layout, std::string_view text, const RenderMetrics& metrics,
                 std::vector<qreal>& edges)
{
    edges.clear();
    edges.reserve(text.size() + 1);
    for (const auto& token : layout.tokens) {
        if (token.kind == TokenKind::EndOfLine)
            continue;
        edges.push_back(token.x);
        for (std::uint32_t k = 1; k < token.length; ++k)
            edges.push_back(token.x + runWidth(text.substr(token.start, k), metrics));
    }
    edges.push_back(layout.width);
}

void drawLine(QPainter& painter, const LineLayout& layout, std::string_view text, qreal x,
              qreal top, const RenderMetrics& metrics, const DrawOptions& options)
{
    drawLineColumns(painter, layout, text, 0, layout.textLength, x, top, metrics, options);
}

void drawLineColumns(QPainter& painter, const LineLayout& layout, std::string_view text,
                     std::size_t from, std::size_t to, qreal x, qreal top,
                     const RenderMetrics& metrics, const DrawOptions& options)
{
    const EditorColors& colors = *options.colors;
    const QColor glyphColor = toQColor(colors[EditorColor::LeftMargin]);
    const qreal baseline = top + metrics.ascent;
    const qreal bottom = top + metrics.lineHeight;
    auto textColor = [&](ColorRole role) {
        if (options.overrideColor)
            return *options.overrideColor;
        if (options.print && (role == ColorRole::Foreground || !colors.colorsOn))
            return QColor(Qt::black);
        return toQColor(colors.colorFor(role));
    };
    // Token positions are the whole line's; the row puts the boundary before `from` at x.
    const qreal shift = x - xOfColumn(layout, text, from, metrics);
    const bool reachesLineEnd = to >= layout.textLength;

    // The glyph marks of blanks, tabs and line ends in the row.
    for (const auto& token : layout.tokens) {
        const std::size_t tokenEnd = token.start + token.length;
        const bool inRow = token.length == 0
                               ? token.start >= from && (token.start < to || reachesLineEnd)
                               : token.start < to && tokenEnd > from;
        if (!inRow)
            continue;
        const qreal left = shift + token.x;
        if (token.kind == TokenKind::Tab && options.showTabs) {
            painter.setPen(glyphColor);
            const qreal stroke = left + metrics.averageCharWidth / 2;
            painter.drawLine(QPointF(stroke, top + 2), QPointF(stroke, bottom - 2));
        } else if (token.kind == TokenKind::EndOfLine && options.showEndOfBlock &&
                   !options.lastLine) {
            painter.setPen(glyphColor);
            const qreal cell = std::max<qreal>(8, metrics.averageCharWidth);
            const qreal middle = top + metrics.lineHeight / 2;
            painter.drawLine(QPointF(left + cell / 8, middle),
                             QPointF(left + cell * 7 / 8, middle));
            painter.drawLine(QPointF(left + cell * 7 / 8, middle),
                             QPointF(left + cell * 7 / 8, top + metrics.lineHeight / 5));
        } else if (token.kind == TokenKind::Spaces && options.showSpaces) {
            painter.setPen(glyphColor);
            const std::size_t first = std::max<std::size_t>(token.start, from);
            const std::size_t last = std::min(tokenEnd, to);
            for (std::size_t i = first - token.start; i < last - token.start; ++i) {
                const qreal cell = left + static_cast<qreal>(i) * metrics.spaceWidth;
                painter.drawLine(QPointF(cell + 1, bottom - 2),
                                 QPointF(cell + metrics.spaceWidth - 1, bottom - 2));
            }
        }
    }

    // The text, one colour run at a time; a row of a wrapped line draws the part of each
    // run that falls in it.
    const bool wholeLine = from == 0 && reachesLineEnd;
    for (const auto& run : layout.runs) {
        if (run.end <= from || run.start >= to)
            continue;
        painter.setPen(textColor(run.role));
        const QPointF origin(shift + run.x, baseline);
        const std::size_t first = std::max<std::size_t>(run.start, from);
        const std::size_t last = std::min<std::size_t>(run.end, to);
        // Print draws text, not bare glyphs, so that a PDF keeps searchable text.
        if (options.print || run.glyphs.glyphIndexes().isEmpty()) {
            const qreal at = shift + xOfColumn(layout, text, first, metrics);
            painter.drawText(QPointF(at, baseline), latin1(text.substr(first, last - first)));
        } else if (wholeLine || (first == run.start && last == run.end)) {
            painter.drawGlyphRun(origin, run.glyphs);
        } else {
            const auto offset = static_cast<qsizetype>(first - run.start);
            const auto count = static_cast<qsizetype>(last - first);
            QGlyphRun part = run.glyphs;
            part.setGlyphIndexes(run.glyphs.glyphIndexes().mid(offset, count));
            part.setPositions(run.glyphs.positions().mid(offset, count));
            painter.drawGlyphRun(origin, part);
        }
    }
}

}  // namespace quillon
