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

// The width of a run of ordinary characters: a fixed-pitch font needs no measuring.
qreal runWidth(std::string_view run, const RenderMetrics& metrics)
{
    if (metrics.fixedPitch)
        return static_cast<qreal>(run.size()) * metrics.spaceWidth;
    return QFontMetricsF(metrics.font).horizontalAdvance(latin1(run));
}

// A TAB runs to the next tab stop.
qreal tabWidthAt(qreal x, const RenderMetrics& metrics)
{
    const qreal stop = metrics.tabStop();
    if (stop <= 0)
        return metrics.spaceWidth;
    return (std::floor((x + metrics.spaceWidth - 1) / stop) + 1) * stop - x;
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
    metrics.fixedPitch = QFontInfo(font).fixedPitch() &&
                         qFuzzyCompare(fm.horizontalAdvance('W'), fm.horizontalAdvance('i'));
    metrics.tabWidth = tabWidth;
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
        qreal bestDistance = std::abs(x - token.x);
        for (std::size_t column = token.start + 1; column <= token.start + token.length;
             ++column) {
            const qreal at = token.x + runWidth(text.substr(token.start, column - token.start),
                                                metrics);
            const qreal distance = std::abs(x - at);
            if (distance > bestDistance)
                break;
            best = column;
            bestDistance = distance;
        }
        return best;
    }
    return text.size();
}

QColor toQColor(ColorRef value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
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
        if (options.print && (role == ColorRole::Foreground || !colors.colorsOn))
            return QColor(Qt::black);
        return toQColor(colors.colorFor(role));
    };
    // Token positions are the whole line's; the row puts the boundary before `from` at x.
    const qreal shift = x - xOfColumn(layout, text, from, metrics);
    const bool reachesLineEnd = to >= layout.textLength;

    // Neighbouring tokens of one colour are drawn as one run: far fewer text calls.
    CommentState comments;
    QString run;
    qreal runX = 0;
    QColor runColor;
    auto flush = [&] {
        if (run.isEmpty())
            return;
        painter.setPen(runColor);
        painter.drawText(QPointF(runX, baseline), run);
        run.clear();
    };

    for (const auto& token : layout.tokens) {
        // Every token before the row still moves the comment state.
        const ColorRole role = comments.colorOf(token.kind);
        const std::size_t tokenEnd = token.start + token.length;
        const bool inRow = token.length == 0
                               ? token.start >= from && (token.start < to || reachesLineEnd)
                               : token.start < to && tokenEnd > from;
        if (!inRow) {
            if (token.start >= to)
                break;
            continue;
        }
        // The part of the token in the row: a wrap may cut through a word.
        const std::size_t first = std::max<std::size_t>(token.start, from);
        const std::size_t last = std::min(tokenEnd, to);
        const qreal tokenLeft = shift + token.x;
        const qreal left =
            first > token.start
                ? tokenLeft + runWidth(text.substr(token.start, first - token.start), metrics)
                : tokenLeft;
        switch (token.kind) {
        case TokenKind::Tab:
            flush();
            if (options.showTabs) {
                painter.setPen(glyphColor);
                const qreal stroke = left + metrics.averageCharWidth / 2;
                painter.drawLine(QPointF(stroke, top + 2), QPointF(stroke, bottom - 2));
            }
            continue;
        case TokenKind::EndOfLine:
            flush();
            if (options.showEndOfBlock && !options.lastLine) {
                painter.setPen(glyphColor);
                const qreal cell = std::max<qreal>(8, metrics.averageCharWidth);
                const qreal middle = top + metrics.lineHeight / 2;
                painter.drawLine(QPointF(left + cell / 8, middle),
                                 QPointF(left + cell * 7 / 8, middle));
                painter.drawLine(QPointF(left + cell * 7 / 8, middle),
                                 QPointF(left + cell * 7 / 8, top + metrics.lineHeight / 5));
            }
            continue;
        case TokenKind::Spaces:
            if (options.showSpaces) {
                flush();
                painter.setPen(glyphColor);
                for (std::size_t i = first - token.start; i < last - token.start; ++i) {
                    const qreal cell = tokenLeft + static_cast<qreal>(i) * metrics.spaceWidth;
                    painter.drawLine(QPointF(cell + 1, bottom - 2),
                                     QPointF(cell + metrics.spaceWidth - 1, bottom - 2));
                }
                continue;
            }
            break;
        default:
            break;
        }
        const QColor color = token.start >= kMaxColouredLine ? textColor(ColorRole::Foreground)
                                                             : textColor(role);
        if (run.isEmpty() || color != runColor) {
            flush();
            runX = left;
            runColor = color;
        }
        run += latin1(text.substr(first, last - first));
    }
    flush();
}

}  // namespace quillon
