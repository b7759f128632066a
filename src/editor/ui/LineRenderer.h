// Lays out and draws one NC line: token positions for caret and hit tests, and the
// coloured text with the optional glyphs for spaces, tabs and line ends. It is no widget:
// the editor view draws its rows with it and printing draws its pages with it.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "editor/EditorColors.h"
#include "editor/Tokenizer.h"
#include "platform/ui/QtColorRef.h"

class QPainter;

namespace quillon {

// The measures of a font, taken once per font.
struct RenderMetrics {
    QFont font;
    qreal spaceWidth = 0;  // w: the width of " "
    qreal digitWidth = 0;  // w0: the width of "0"
    qreal averageCharWidth = 0;
    qreal lineHeight = 0;  // the row pitch
    qreal textHeight = 0;  // the font's height
    qreal ascent = 0;
    bool fixedPitch = true;
    int tabWidth = 8;  // in spaces
    QRawFont rawFont;  // glyphs drawn without shaping the text each time
    // The glyph of each byte (as Latin-1) in rawFont; 0 where the font has none.
    std::array<quint32, 256> glyphOfByte{};
    // The advance of each byte: text is measured by adding them up.
    std::array<qreal, 256> advanceOfByte{};

    qreal advance(char c) const { return advanceOfByte[static_cast<unsigned char>(c)]; }

    // lineSpacingPercent: the row pitch in percent of the font height.
    static RenderMetrics of(const QFont& font, int tabWidth, int lineSpacingPercent = 100);

    qreal tabStop() const { return tabWidth * spaceWidth; }
};

struct LaidOutToken {
    TokenKind kind;
    std::uint32_t start;
    std::uint32_t length;
    qreal x;
    qreal width;
};

// A stretch of a line drawn in one colour: its glyphs placed once, when the line is laid
// out, so that drawing it again costs no text shaping. Blanks join the stretch before
// them, as they show no ink.
struct ColourRun {
    ColorRole role;
    QGlyphRun glyphs;  // empty when the font lacks a glyph: the bytes are drawn as text
    std::uint32_t start;
    std::uint32_t end;
    qreal x;
};

// A line's tokens with their pixel positions. Text beyond the colour limit is one
// uncoloured run after the end token.
struct LineLayout {
    std::vector<LaidOutToken> tokens;
    std::vector<ColourRun> runs;
    qreal width = 0;  // to the end of the text
    std::size_t textLength = 0;
};

LineLayout layoutLine(std::string_view text, const RenderMetrics& metrics);

// The x of the boundary before the column (the line end for a column beyond it).
qreal xOfColumn(const LineLayout& layout, std::string_view text, std::size_t column,
                const RenderMetrics& metrics);
// The character boundary nearest to x, never beyond the line end.
std::size_t columnAtX(const LineLayout& layout, std::string_view text, qreal x,
                      const RenderMetrics& metrics);
// The x of every character boundary in one pass: edges[i] = xOfColumn(i) for
// i = 0 .. text.size().
void columnEdges(const LineLayout& layout, std::string_view text, const RenderMetrics& metrics,
                 std::vector<qreal>& edges);

struct DrawOptions {
    const EditorColors* colors = nullptr;
    bool showSpaces = false;
    bool showTabs = true;
    bool showEndOfBlock = false;
    bool lastLine = false;  // no EOB glyph after the last line
    bool print = false;     // foreground and colours-off text in black
    // Every character in this colour (selected text); glyphs keep theirs.
    std::optional<QColor> overrideColor;
};

// Each of red, green and blue inverted: the colour of the margin items.
QColor complementOf(ColorRef value);

// Draws the line's text with its top-left corner at (x, top). Nothing of the background.
void drawLine(QPainter& painter, const LineLayout& layout, std::string_view text, qreal x,
              qreal top, const RenderMetrics& metrics, const DrawOptions& options);
// Draws the columns [from, to) of the line with the boundary before `from` at x: one row of
// a line wrapped in print. The colours are the whole line's (a comment opened before
// `from` goes on); the end-of-block glyph belongs to the row that reaches the line end.
void drawLineColumns(QPainter& painter, const LineLayout& layout, std::string_view text,
                     std::size_t from, std::size_t to, qreal x, qreal top,
                     const RenderMetrics& metrics, const DrawOptions& options);

}  // namespace quillon
