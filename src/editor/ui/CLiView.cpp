#include "editor/ui/CLiView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "editor/ui/EditorEnvironment.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// While a mouse drag runs past the text area, the view scrolls on this beat.
constexpr int kAutoScrollMs = 100;
// A wheel notch (120 units) scrolls three lines.
constexpr int kWheelNotch = 120;
constexpr int kLinesPerNotch = 3;
// The bookmark mark in the margin: 0x00FFFF00 as the Windows program stored it.
constexpr ColorRef kBookmarkColor = 0xFFFF00;

// A drag carries, beside its text, which view of this process it came from, so that a
// drop can tell a move inside one document from text of another window or program.
constexpr char kViewMimeType[] = "application/x-quillonlt-view";

std::set<CLiView*>& liveViews()
{
    static std::set<CLiView*> views;
    return views;
}

QByteArray viewTag(const CLiView* view)
{
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(view));
}

CLiView* viewOfTag(const QByteArray& tag)
{
    for (CLiView* view : liveViews()) {
        if (viewTag(view) == tag)
            return view;
    }
    return nullptr;
}

// Over an editor view a drop copies while Ctrl is held and moves otherwise, where the
// source allows it.
void chooseDropAction(QDropEvent& event)
{
    const bool copy = event.modifiers() & Qt::ControlModifier;
    event.setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    if (!(event.possibleActions() & event.dropAction()))
        event.setDropAction(event.proposedAction());
}

QString clipboardString(const std::string& bytes)
{
    return fromBytes(bytes);
}

std::string clipboardBytes(const QString& text)
{
    return toBytes(text);
}

}  // namespace

CLiView::CLiView(CLiDoc& doc, EditorEnvironment& environment, bool registerForSync,
                 QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(doc), m_environment(environment)
{
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMinimumSize(10, 10);

    liveViews().insert(this);
    if (registerForSync) {
        m_registered = m_environment.registerView(this);
        m_counted = true;
        m_environment.countView();
    }
    m_doc.addObserver(this);

    connect(&m_environment, &EditorEnvironment::metricsChanged, this, [this] {
        m_layouts.clear();
        m_widestLine = 0;
        updateScrollBars();
        viewport()->update();
    });
    connect(&m_environment, &EditorEnvironment::repaintAll, this, [this] {
        m_layouts.clear();
        updateScrollBars();
        viewport()->update();
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int) {
        if (!m_syncing)
            m_environment.scrollBarMoved(this, verticalScrollBar()->sliderPosition());
    });
    documentReset();
}

CLiView::~CLiView()
{
    liveViews().erase(this);
    m_doc.removeObserver(this);
    if (m_registered)
        m_environment.unregisterView(this);
    if (m_counted)
        m_environment.uncountView();
}

// ---- Geometry ------------------------------------------------------------------------

const RenderMetrics& CLiView::metrics() const
{
    return m_environment.metrics();
}

std::size_t CLiView::marginWidth() const
{
    const qreal digit = metrics().digitWidth;
    if (!m_environment.flags().showLineNumbers)
        return static_cast<std::size_t>(std::ceil(digit * 3 / 2));
    const std::size_t digits = lineNumberDigits(m_doc.lineCount());
    return static_cast<std::size_t>(std::ceil((digits * 4 + 2) * digit / 4));
}

int CLiView::textLeft() const
{
    return static_cast<int>(marginWidth()) - horizontalScrollBar()->value();
}

std::size_t CLiView::topLine() const
{
    return static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
}

std::size_t CLiView::visibleLines() const
{
    const qreal height = metrics().lineHeight;
    return height > 0
               ? std::max<std::size_t>(1, static_cast<std::size_t>(viewport()->height() / height))
               : 1;
}

QRect CLiView::rowRect(std::size_t line) const
{
    const int height = static_cast<int>(metrics().lineHeight);
    const auto row = static_cast<long long>(line) - static_cast<long long>(topLine());
    return QRect(0, static_cast<int>(row * height), viewport()->width(), height);
}

const LineLayout& CLiView::layoutOf(std::size_t line) const
{
    auto found = m_layouts.find(line);
    if (found == m_layouts.end()) {
        // Only the lines on screen are kept; scrolling far drops the rest.
        if (m_layouts.size() > 8 * visibleLines() + 64)
            m_layouts.clear();
        found = m_layouts.emplace(line, layoutLine(m_doc.lineText(line), metrics())).first;
        noteLineWidth(line);
    }
    return found->second;
}

void CLiView::noteLineWidth(std::size_t line) const
{
    const auto found = m_layouts.find(line);
    if (found == m_layouts.end() || found->second.width <= m_widestLine)
        return;
    m_widestLine = found->second.width;
    m_scrollRangeStale = true;
}

qreal CLiView::xOf(TextPos position) const
{
    return xOfColumn(layoutOf(position.line), m_doc.lineText(position.line), position.column,
                     metrics());
}

QPoint CLiView::pointOf(TextPos position) const
{
    return QPoint(textLeft() + static_cast<int>(xOf(position)), rowRect(position.line).top());
}

std::size_t CLiView::lineAtY(int y) const
{
    const auto height = static_cast<long long>(metrics().lineHeight);
    long long line = static_cast<long long>(topLine()) + (y < 0 ? -1 : y / std::max(1LL, height));
    line = std::clamp<long long>(line, 0, static_cast<long long>(m_doc.lineCount()) - 1);
    return static_cast<std::size_t>(line);
}

TextPos CLiView::positionAt(QPoint point) const
{
    const std::size_t line = lineAtY(point.y());
    const qreal x = point.x() - textLeft();
    return {line, columnAtX(layoutOf(line), m_doc.lineText(line), x, metrics())};
}

void CLiView::updateScrollBars()
{
    const std::size_t visible = visibleLines();
    const std::size_t count = m_doc.lineCount();
    m_syncing = true;
    verticalScrollBar()->setRange(0, static_cast<int>(count > visible ? count - visible : 0));
    verticalScrollBar()->setPageStep(static_cast<int>(visible));
    verticalScrollBar()->setSingleStep(1);
    const int textWidth = std::max(1, viewport()->width() - static_cast<int>(marginWidth()));
    const int contentWidth =
        static_cast<int>(std::ceil(m_widestLine + 2 * metrics().averageCharWidth));
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - textWidth));
    horizontalScrollBar()->setPageStep(textWidth);
    horizontalScrollBar()->setSingleStep(
        std::max(1, static_cast<int>(metrics().averageCharWidth)));
    m_syncing = false;
}

void CLiView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CLiView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// ---- Painting --------------------------------------------------------------------------

void CLiView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const RenderMetrics& m = metrics();
    const ViewFlags& flags = m_environment.flags();
    const EditorColors& colors = m_environment.colors();
    const int margin = static_cast<int>(marginWidth());
    const int width = viewport()->width();
    const int height = viewport()->height();
    const int rowHeight = std::max(1, static_cast<int>(m.lineHeight));
    painter.setFont(m.font);

    const QRect dirty = event->rect();
    painter.fillRect(QRect(margin, 0, width - margin, height).intersected(dirty),
                     toQColor(colors[EditorColor::Background]));

    const QColor marginInk = complementOf(colors[EditorColor::LeftMargin]);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightText = palette().color(QPalette::HighlightedText);
    const auto selection = m_state.selection();
    const std::size_t top = topLine();
    const std::size_t count = m_doc.lineCount();
    const qreal left = textLeft();

    DrawOptions options;
    options.colors = &colors;
    options.showSpaces = flags.showSpaces;
    options.showTabs = flags.showTabs;
    options.showEndOfBlock = flags.showEndOfBlock;

    // The text rows, clipped to the text area once; the selected part of a row is drawn
    // once more in the selection colours.
    const QRect textArea(margin, 0, width - margin, height);
    const int firstRow = std::max(0, dirty.top() / rowHeight);
    const std::size_t rows = static_cast<std::size_t>(dirty.bottom() / rowHeight + 1 - firstRow);
    const std::size_t firstLine = top + static_cast<std::size_t>(firstRow);
    const std::size_t endLine = std::min(count, firstLine + rows);
    painter.setClipRect(textArea);
    for (std::size_t line = firstLine; line < endLine; ++line) {
        const int y = static_cast<int>(line - top) * rowHeight;
        const LineLayout& layout = layoutOf(line);
        const std::string_view text = m_doc.lineText(line);
        options.lastLine = line + 1 == count;
        options.overrideColor.reset();
        drawLine(painter, layout, text, left, y, m, options);
        if (selection && line >= selection->start.line && line <= selection->end.line) {
            const qreal from = line == selection->start.line ? xOf(selection->start) : 0;
            const qreal to =
                line == selection->end.line ? xOf(selection->end) : layout.width + m.spaceWidth;
            const QRectF selected(left + from, y, std::max<qreal>(0, to - from), rowHeight);
            painter.setClipRect(selected.toAlignedRect().intersected(textArea));
            painter.fillRect(selected, highlight);
            options.overrideColor = highlightText;
            drawLine(painter, layout, text, left, y, m, options);
            painter.setClipRect(textArea);
        }
    }

    // The margin over whatever scrolled into it: bookmark, compare marks, line number.
    painter.setClipping(false);
    if (dirty.left() < margin) {
        painter.fillRect(QRect(0, 0, margin, height), toQColor(colors[EditorColor::LeftMargin]));
        painter.setPen(marginInk);
        const qreal numberRight = margin - m.digitWidth / 2;
        for (std::size_t line = firstLine; line < endLine; ++line) {
            const int y = static_cast<int>(line - top) * rowHeight;
            const EditLine editLine = m_doc.line(line);
            if (editLine.hasFlag(LineFlag::Bookmark))
                painter.fillRect(QRectF(1, y, m.averageCharWidth, m.textHeight),
                                 toQColor(kBookmarkColor));
            if (editLine.hasFlag(LineFlag::CompareOnlyHere))
                painter.drawText(QPointF(2, y + m.ascent), QStringLiteral("+"));
            if (editLine.hasFlag(LineFlag::CompareChanged))
                painter.drawText(QPointF(2, y + m.ascent), QStringLiteral("?"));
            if (flags.showLineNumbers) {
                // Digits are equally wide in the fonts an editor uses.
                const QString number = QString::number(line + 1);
                painter.drawText(QPointF(numberRight - number.size() * m.digitWidth, y + m.ascent),
                                 number);
            }
        }
    }
    painter.setClipRect(textArea);

    // The caret: a bar in insert mode, the character's cell in overwrite mode.
    const TextPos caret = m_state.caret;
    if (hasFocus() && m_caretOn && caret.line >= top && caret.line < top + visibleLines() + 1) {
        const bool block = m_environment.overwrite() && !selection;
        qreal caretWidth =
            std::max<qreal>(1, m.averageCharWidth * flags.insertCaretWidthPercent / 100.0);
        if (block) {
            const std::size_t length = m_doc.lineLength(caret.line);
            caretWidth = caret.column < length ? xOf({caret.line, caret.column + 1}) - xOf(caret)
                                               : m.averageCharWidth;
        }
        const QRectF bar(left + xOf(caret), rowRect(caret.line).top(), caretWidth,
                         std::max<qreal>(1, m.textHeight - 1));
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(bar, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (m_dropCaret) {
        painter.fillRect(
            QRectF(left + xOf(*m_dropCaret), rowRect(m_dropCaret->line).top(), 2, m.textHeight),
            toQColor(colors[EditorColor::Foreground]));
    }
    // A line drawn for the first time may be wider than any before: widen the scroll range
    // once this paint is over.
    if (m_scrollRangeStale) {
        m_scrollRangeStale = false;
        QMetaObject::invokeMethod(this, &CLiView::updateScrollBars, Qt::QueuedConnection);
    }
}

void CLiView::repaintLines(std::size_t first, std::size_t last)
{
    const std::size_t top = topLine();
    if (last < top || first > top + visibleLines())
        return;
    const QRect from = rowRect(std::max(first, top));
    const QRect to = rowRect(std::min(last, top + visibleLines()));
    viewport()->update(from.united(to));
}

// ---- Document changes --------------------------------------------------------------------

void CLiView::linesChanged(std::size_t first, std::size_t last)
{
    m_layouts.erase(m_layouts.lower_bound(first), m_layouts.upper_bound(last));
    repaintLines(first, last);
}

void CLiView::linesInserted(std::size_t at, std::size_t count)
{
    // The layouts after the insertion move down with their lines.
    std::map<std::size_t, LineLayout> moved;
    for (auto& [line, layout] : m_layouts)
        moved.emplace(line >= at ? line + count : line, std::move(layout));
    m_layouts = std::move(moved);
    for (TextPos* position : {&m_state.caret, &m_state.anchor}) {
        if (position->line >= at)
            position->line += count;
    }
    updateScrollBars();
    viewport()->update();
}

void CLiView::linesRemoved(std::size_t at, std::size_t count)
{
    std::map<std::size_t, LineLayout> moved;
    for (auto& [line, layout] : m_layouts) {
        if (line >= at + count)
            moved.emplace(line - count, std::move(layout));
        else if (line < at)
            moved.emplace(line, std::move(layout));
    }
    m_layouts = std::move(moved);
    for (TextPos* position : {&m_state.caret, &m_state.anchor}) {
        if (position->line >= at + count) {
            position->line -= count;
        } else if (position->line >= at) {
            position->line = at > 0 ? at - 1 : 0;
            position->column = m_doc.lineLength(position->line);
        }
    }
    updateScrollBars();
    viewport()->update();
}

void CLiView::documentReset()
{
    m_layouts.clear();
    // A fresh estimate of the widest line; lines drawn later may widen it.
    m_widestLine = static_cast<qreal>(std::min<std::size_t>(m_doc.longestLine(), 1 << 20)) *
                   metrics().spaceWidth;
    // A reload keeps the caret line where the document still has it.
    const std::size_t line = std::min(m_state.caret.line, m_doc.lineCount() - 1);
    m_state.moveTo({line, std::min(m_state.caret.column, m_doc.lineLength(line))});
    updateScrollBars();
    viewport()->update();
    caretChanged();
}

void CLiView::modifiedChanged(bool) {}

void CLiView::flagsChanged(std::size_t line)
{
    repaintLines(line, line);
}

// ---- Caret and scrolling -----------------------------------------------------------------

void CLiView::caretChanged(bool keepDesiredX)
{
    if (!keepDesiredX)
        m_desiredX.reset();
    restartBlink();
    emit caretMoved(m_state.caret.line + 1, m_state.caret.column + 1);
    if (hasFocus())
        emit m_environment.caretMoved(m_state.caret.line + 1, m_state.caret.column + 1);
}

void CLiView::restartBlink()
{
    m_caretOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0)
        m_blinkTimer.start(flash / 2, this);
    else
        m_blinkTimer.stop();
    viewport()->update();
}

void CLiView::ensureCaretVisible()
{
    const std::size_t top = topLine();
    const std::size_t visible = visibleLines();
    const std::size_t line = m_state.caret.line;
    if (line < top)
        verticalScrollBar()->setValue(static_cast<int>(line));
    else if (line >= top + visible)
        verticalScrollBar()->setValue(static_cast<int>(line - visible + 1));

    const int x = static_cast<int>(xOf(m_state.caret));
    const int scroll = horizontalScrollBar()->value();
    const int textWidth = viewport()->width() - static_cast<int>(marginWidth());
    const int cell = static_cast<int>(std::ceil(metrics().averageCharWidth));
    if (x < scroll)
        horizontalScrollBar()->setValue(std::max(0, x - 4 * cell));
    else if (x + cell > scroll + textWidth) {
        if (x + cell > horizontalScrollBar()->maximum() + textWidth) {
            m_widestLine = std::max<qreal>(m_widestLine, x + cell);
            updateScrollBars();
        }
        horizontalScrollBar()->setValue(x + 4 * cell - textWidth);
    }
}

void CLiView::moveCaret(TextPos position, bool extend, bool keepDesiredX)
{
    const std::size_t line = std::min(position.line, m_doc.lineCount() - 1);
    position = {line, std::min(position.column, m_doc.lineLength(line))};
    if (extend)
        m_state.extendTo(position);
    else
        m_state.moveTo(position);
    ensureCaretVisible();
    caretChanged(keepDesiredX);
}

void CLiView::setCaret(TextPos position, bool extend)
{
    moveCaret(position, extend);
}

void CLiView::takeStateOf(const CLiView& other)
{
    m_state = other.m_state;
    verticalScrollBar()->setValue(other.verticalScrollBar()->value());
    horizontalScrollBar()->setValue(other.horizontalScrollBar()->value());
    caretChanged();
}

void CLiView::GoToLine(std::size_t line)
{
    const std::size_t index = std::clamp<std::size_t>(line, 1, m_doc.lineCount()) - 1;
    const std::size_t top = topLine();
    const std::size_t visible = visibleLines();
    m_state.moveTo({index, 0});
    if (index < top || index >= top + visible)
        verticalScrollBar()->setValue(
            static_cast<int>(index - std::min(index, (visible - 1) / 2)));
    horizontalScrollBar()->setValue(0);
    caretChanged();
}

void CLiView::scrollLines(int lines)
{
    m_syncing = true;
    verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
    m_syncing = false;
}

void CLiView::scrollToLine(int line)
{
    m_syncing = true;
    verticalScrollBar()->setValue(line);
    m_syncing = false;
}

void CLiView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_blinkTimer.timerId()) {
        m_caretOn = !m_caretOn;
        viewport()->update(rowRect(m_state.caret.line));
    } else if (event->timerId() == m_autoScrollTimer.timerId()) {
        autoScroll();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void CLiView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    emit activated();
    emit m_environment.caretMoved(m_state.caret.line + 1, m_state.caret.column + 1);
}

void CLiView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blinkTimer.stop();
    viewport()->update();
}

bool CLiView::focusNextPrevChild(bool)
{
    return false;  // Tab and Shift+Tab are editing keys here
}

// ---- Keys --------------------------------------------------------------------------------

void CLiView::runEdit(const std::function<void()>& edit)
{
    edit();
    ensureCaretVisible();
    caretChanged();
    viewport()->update();
}

bool CLiView::handleMovementKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool alt = mods & Qt::AltModifier;
    bool ctrl = mods & Qt::ControlModifier;
    const TextPos caret = m_state.caret;
    const std::string_view text = m_doc.lineText(caret.line);
    const std::size_t last = m_doc.lineCount() - 1;
    const std::size_t top = topLine();
    const std::size_t visible = visibleLines();
    const std::size_t bottom = std::min(last, top + visible - 1);

    auto aimAt = [&](std::size_t line) {
        if (!m_desiredX)
            m_desiredX = xOf(caret);
        return TextPos{line,
                       columnAtX(layoutOf(line), m_doc.lineText(line), *m_desiredX, metrics())};
    };
    auto vertical = [&](std::size_t line) {
        const auto desired = m_desiredX ? m_desiredX : std::optional<qreal>(xOf(caret));
        const TextPos target = aimAt(line);
        moveCaret(target, shift, true);
        m_desiredX = desired;
    };

    switch (event->key()) {
    case Qt::Key_Left:
        if (alt)
            moveCaret({caret.line, 0}, shift);
        else if (ctrl)
            moveCaret(caret.column == 0 && caret.line > 0
                          ? TextPos{caret.line - 1, m_doc.lineLength(caret.line - 1)}
                          : TextPos{caret.line, previousWordStart(text, caret.column)},
                      shift);
        else if (caret.column > 0)
            moveCaret({caret.line, caret.column - 1}, shift);
        else if (caret.line > 0)
            moveCaret({caret.line - 1, m_doc.lineLength(caret.line - 1)}, shift);
        return true;
    case Qt::Key_Right:
        if (alt)
            moveCaret({caret.line, text.size()}, shift);
        else if (ctrl)
            moveCaret(caret.column >= text.size() && caret.line < last
                          ? TextPos{caret.line + 1, 0}
                          : TextPos{caret.line, nextWordStart(text, caret.column)},
                      shift);
        else if (caret.column < text.size())
            moveCaret({caret.line, caret.column + 1}, shift);
        else if (caret.line < last)
            moveCaret({caret.line + 1, 0}, shift);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool up = event->key() == Qt::Key_Up;
        if (alt) {
            vertical(up ? top : bottom);
            return true;
        }
        if (ctrl) {
            // With a selection, Ctrl+Up/Down act as Ctrl+Shift: the view scrolls, the
            // caret only while it stays visible.
            const bool keepCaret = shift || m_state.hasSelection();
            scrollLines(up ? -1 : 1);
            const std::size_t newTop = topLine();
            const std::size_t newBottom = std::min(last, newTop + visible - 1);
            if (!keepCaret) {
                if (caret.line < newTop)
                    vertical(newTop);
                else if (caret.line > newBottom)
                    vertical(newBottom);
            }
            viewport()->update();
            return true;
        }
        if (up && caret.line > 0)
            vertical(caret.line - 1);
        else if (!up && caret.line < last)
            vertical(caret.line + 1);
        return true;
    }
    case Qt::Key_Home:
        if (alt)
            moveCaret({top, 0}, shift);
        else if (ctrl)
            moveCaret({0, 0}, shift);
        else
            moveCaret({caret.line, 0}, shift);
        return true;
    case Qt::Key_End:
        if (alt)
            moveCaret({bottom, m_doc.lineLength(bottom)}, shift);
        else if (ctrl)
            moveCaret(m_doc.endPosition(), shift);
        else
            moveCaret({caret.line, text.size()}, shift);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (ctrl)
            return true;
        const std::size_t step = alt ? std::max<std::size_t>(1, visible / 2) : visible;
        const bool up = event->key() == Qt::Key_PageUp;
        const std::size_t target =
            up ? caret.line - std::min(caret.line, step) : std::min(last, caret.line + step);
        scrollLines(up ? -static_cast<int>(step) : static_cast<int>(step));
        vertical(target);
        return true;
    }
    default:
        return false;
    }
}

bool CLiView::handleEditingKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool ctrl = mods == Qt::ControlModifier;
    const bool shift = mods == Qt::ShiftModifier;
    const bool plain = mods == Qt::NoModifier;
    const bool overwrite = m_environment.overwrite();

    if ((ctrl && key == Qt::Key_Z) || (mods == Qt::AltModifier && key == Qt::Key_Backspace)) {
        undo();
    } else if (ctrl && key == Qt::Key_Y) {
        redo();
    } else if ((ctrl && key == Qt::Key_X) || (shift && key == Qt::Key_Delete)) {
        cut();
    } else if ((ctrl && key == Qt::Key_C) || (ctrl && key == Qt::Key_Insert)) {
        copy();
    } else if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
        paste();
    } else if (ctrl && key == Qt::Key_A) {
        selectAll();
    } else if (plain && key == Qt::Key_Insert) {
        m_environment.toggleOverwrite();
    } else if ((plain || shift) && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        runEdit([&] { enterKey(m_doc, m_state, overwrite); });
    } else if (plain && key == Qt::Key_Escape) {
        m_state.drop();
        viewport()->update();
    } else if (plain && key == Qt::Key_Backspace) {
        runEdit([&] { backspaceKey(m_doc, m_state); });
    } else if (plain && key == Qt::Key_Delete) {
        runEdit([&] { deleteKey(m_doc, m_state); });
    } else if (plain && key == Qt::Key_Tab) {
        runEdit([&] { tabKey(m_doc, m_state); });
    } else if (key == Qt::Key_Backtab || (shift && key == Qt::Key_Tab)) {
        runEdit([&] { shiftTabKey(m_doc, m_state, m_environment.flags().tabWidth); });
    } else {
        // A character: what the key types, a control character for Ctrl and a letter
        // that is no command (Ctrl+B inserts code 2), bytes above 127 as Latin-1.
        QString text = event->text();
        if (text.isEmpty() && ctrl && key >= Qt::Key_A && key <= Qt::Key_Z)
            text = QChar(key - Qt::Key_A + 1);
        if (text.isEmpty() || (mods & Qt::AltModifier))
            return false;
        for (const QChar c : text) {
            const char16_t code = c.unicode();
            if (code > 0xFF || code == '\r' || code == '\n' || code == 0x1B || code == 0x7F ||
                code == '\b' || code == '\t')
                continue;
            runEdit([&] { typeCharacter(m_doc, m_state, static_cast<char>(code), overwrite); });
        }
    }
    return true;
}

// The search and bookmark keys, handled by the view itself so that they work wherever a
// view has the focus.
CLiView::Command CLiView::searchCommandOf(Qt::KeyboardModifiers mods, int key)
{
    struct Binding {
        Qt::KeyboardModifiers mods;
        int key;
        Command command;
    };
    static const Binding bindings[] = {
        {Qt::ControlModifier, Qt::Key_F, &CLiView::find},
        {Qt::ControlModifier, Qt::Key_H, &CLiView::replace},
        {Qt::NoModifier, Qt::Key_F3, &CLiView::findNext},
        {Qt::ShiftModifier, Qt::Key_F3, &CLiView::findPrevious},
        {Qt::ControlModifier, Qt::Key_F3, &CLiView::findWordNext},
        {Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F3, &CLiView::findWordPrevious},
        {Qt::ControlModifier, Qt::Key_F2, &CLiView::toggleBookmark},
        {Qt::NoModifier, Qt::Key_F2, &CLiView::goToNextBookmark},
        {Qt::ShiftModifier, Qt::Key_F2, &CLiView::goToPreviousBookmark},
    };
    for (const Binding& binding : bindings) {
        if (binding.mods == mods && binding.key == key)
            return binding.command;
    }
    return nullptr;
}

bool CLiView::event(QEvent* event)
{
    // The view's own editing shortcuts win over the menu's while it has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        const int code = key->key();
        const bool ours =
            (mods == Qt::ControlModifier &&
             (code == Qt::Key_Z || code == Qt::Key_Y || code == Qt::Key_X || code == Qt::Key_C ||
              code == Qt::Key_V || code == Qt::Key_A || code == Qt::Key_Insert)) ||
            (mods == Qt::ShiftModifier && (code == Qt::Key_Insert || code == Qt::Key_Delete)) ||
            (mods == Qt::AltModifier && code == Qt::Key_Backspace) ||
            searchCommandOf(mods, code) != nullptr;
        if (ours) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CLiView::keyPressEvent(QKeyEvent* event)
{
    if (const auto command =
            searchCommandOf(event->modifiers() & ~Qt::KeypadModifier, event->key())) {
        event->accept();
        (this->*command)();
        return;
    }
    if (handleMovementKey(event) || handleEditingKey(event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// ---- Commands ----------------------------------------------------------------------------

void CLiView::undo()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_state.drop();
    const auto position = m_doc.Undo();
    QApplication::restoreOverrideCursor();
    if (position)
        moveCaret(*position, false);
    viewport()->update();
}

void CLiView::redo()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_state.drop();
    const auto position = m_doc.Redo();
    QApplication::restoreOverrideCursor();
    if (position)
        moveCaret(*position, false);
    viewport()->update();
}

void CLiView::cut()
{
    runEdit([&] {
        const std::string text = cutText(m_doc, m_state);
        QApplication::clipboard()->setText(clipboardString(text));
        m_environment.noteCopy();
    });
}

void CLiView::copy()
{
    QApplication::clipboard()->setText(clipboardString(copyText(m_doc, m_state)));
    m_environment.noteCopy();
}

void CLiView::paste()
{
    const std::string text = clipboardBytes(QApplication::clipboard()->text());
    runEdit([&] { pasteText(m_doc, m_state, text); });
}

void CLiView::selectAll()
{
    quillon::selectAll(m_doc, m_state);
    caretChanged();
    viewport()->update();
}

bool CLiView::insertFileAsText(const std::string& path, Notifier& notifier)
{
    const auto end =
        quillon::insertFileAsText(m_doc, path, m_state.selection(), m_state.caret, notifier);
    if (!end)
        return false;
    moveCaret(*end, false);
    viewport()->update();
    return true;
}

// ---- Mouse -------------------------------------------------------------------------------

void CLiView::selectLines(std::size_t from, std::size_t to)
{
    const std::size_t first = std::min(from, to);
    const std::size_t last = std::max(from, to);
    const TextPos end = last + 1 < m_doc.lineCount() ? TextPos{last + 1, 0}
                                                     : TextPos{last, m_doc.lineLength(last)};
    if (to < from) {
        m_state.anchor = from + 1 < m_doc.lineCount() ? TextPos{from + 1, 0}
                                                      : TextPos{from, m_doc.lineLength(from)};
        m_state.caret = {first, 0};
    } else {
        m_state.anchor = {first, 0};
        m_state.caret = end;
    }
    m_state.selecting = true;
    ensureCaretVisible();
    caretChanged();
    viewport()->update();
}

void CLiView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    m_lastMousePoint = point;
    m_pressPoint = point;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (point.x() < static_cast<int>(marginWidth())) {
        m_marginAnchorLine = lineAtY(point.y());
        selectLines(m_marginAnchorLine, m_marginAnchorLine);
        m_press = Press::Margin;
    } else {
        const TextPos position = positionAt(point);
        m_pressPosition = position;
        const auto selection = m_state.selection();
        if (!shift && selection && position >= selection->start && position < selection->end) {
            m_press = Press::MaybeDrag;
        } else {
            moveCaret(position, shift);
            if (!shift) {
                m_state.anchor = position;
                m_state.selecting = true;
            }
            m_press = Press::Text;
        }
    }
    m_autoScrollTimer.start(kAutoScrollMs, this);
    viewport()->update();
}

void CLiView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    m_lastMousePoint = point;
    if (!(event->buttons() & Qt::LeftButton)) {
        // The pointer: an arrow over the margin and over a selection, an I-beam elsewhere.
        const auto selection = m_state.selection();
        const bool overSelection = selection && point.x() >= static_cast<int>(marginWidth()) &&
                                   positionAt(point) >= selection->start &&
                                   positionAt(point) < selection->end;
        viewport()->setCursor(point.x() < static_cast<int>(marginWidth()) || overSelection
                                  ? Qt::ArrowCursor
                                  : Qt::IBeamCursor);
        return;
    }
    switch (m_press) {
    case Press::MaybeDrag:
        if ((point - m_pressPoint).manhattanLength() >= QApplication::startDragDistance())
            startDrag();
        break;
    case Press::Text:
        moveCaret(positionAt(point), true);
        viewport()->update();
        break;
    case Press::Margin:
        selectLines(m_marginAnchorLine, lineAtY(point.y()));
        break;
    case Press::None:
        break;
    }
}

void CLiView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_autoScrollTimer.stop();
    if (m_press == Press::MaybeDrag)
        moveCaret(m_pressPosition, false);  // a press in the selection without a drag
    m_press = Press::None;
    viewport()->update();
}

void CLiView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    if (point.x() < static_cast<int>(marginWidth())) {
        const std::size_t line = lineAtY(point.y());
        m_doc.ToggleBookmark(line);
        selectLines(line, line);
        m_press = Press::Margin;
        return;
    }
    const TextPos position = positionAt(point);
    const auto [first, last] = wordAt(m_doc.lineText(position.line), position.column);
    m_state.anchor = {position.line, first};
    m_state.caret = {position.line, last};
    m_state.selecting = true;
    m_press = Press::None;
    caretChanged();
    viewport()->update();
}

void CLiView::autoScroll()
{
    if (m_press != Press::Text && m_press != Press::Margin)
        return;
    const QPoint point = m_lastMousePoint;
    const int height = viewport()->height();
    int lines = 0;
    if (point.y() < 0)
        lines = -1;
    else if (point.y() >= height)
        lines = 1;
    const int textLeftEdge = static_cast<int>(marginWidth());
    int pixels = 0;
    if (m_press == Press::Text && point.x() < textLeftEdge && horizontalScrollBar()->value() > 0)
        pixels = -static_cast<int>(metrics().averageCharWidth);
    else if (m_press == Press::Text && point.x() >= viewport()->width())
        pixels = static_cast<int>(metrics().averageCharWidth);
    if (lines == 0 && pixels == 0)
        return;
    scrollLines(lines);
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + pixels);
    if (m_press == Press::Margin)
        selectLines(m_marginAnchorLine, lineAtY(point.y()));
    else
        moveCaret(positionAt(point), true);
}

void CLiView::wheelEvent(QWheelEvent* event)
{
    m_wheelRemainder += event->angleDelta().y();
    const int lines = m_wheelRemainder * kLinesPerNotch / kWheelNotch;
    m_wheelRemainder -= lines * kWheelNotch / kLinesPerNotch;
    if (lines != 0)
        m_environment.wheelScroll(this, -lines);
    if (event->angleDelta().x() != 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() -
                                        event->angleDelta().x() / 2);
    event->accept();
}

QMenu* CLiView::createContextMenu()
{
    auto* menu = new QMenu(this);
    QAction* cutAction = menu->addAction("Cu&t       Ctrl+X", this, &CLiView::cut);
    QAction* copyAction = menu->addAction("&Copy   Ctrl+C", this, &CLiView::copy);
    QAction* pasteAction = menu->addAction("&Paste  Ctrl+V", this, &CLiView::paste);
    menu->addSeparator();
    menu->addAction("C&ancel");
    cutAction->setEnabled(m_state.hasSelection());
    copyAction->setEnabled(m_state.hasSelection());
    pasteAction->setEnabled(m_environment.copyUsed());
    return menu;
}

void CLiView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ---- Drag and drop -----------------------------------------------------------------------

QMimeData* CLiView::createDragData() const
{
    auto* mime = new QMimeData;
    mime->setText(clipboardString(copyText(m_doc, m_state)));
    mime->setData(kViewMimeType, viewTag(this));
    return mime;
}

void CLiView::startDrag()
{
    m_autoScrollTimer.stop();
    m_press = Press::None;
    auto* drag = new QDrag(this);
    drag->setMimeData(createDragData());
    m_dropHandledHere = false;
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    if (result == Qt::MoveAction && !m_dropHandledHere) {
        // Moved to another window: this side removes the text, as one edit group.
        runEdit([&] {
            EditGroup group(m_doc);
            removeSelection(m_doc, m_state);
        });
    } else if (result == Qt::IgnoreAction) {
        moveCaret(m_pressPosition, false);
    }
    m_dropHandledHere = false;
}

QStringList droppedFiles(const QMimeData& data)
{
    QStringList files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

void CLiView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasText() || !droppedFiles(*event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    emit activated();
    chooseDropAction(*event);
    event->accept();
}

void CLiView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasText() || !droppedFiles(*event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    chooseDropAction(*event);
    m_dropCaret = positionAt(event->position().toPoint());
    event->accept();
    viewport()->update();
}

void CLiView::dragLeaveEvent(QDragLeaveEvent*)
{
    m_dropCaret.reset();
    viewport()->update();
}

void CLiView::dropEvent(QDropEvent* event)
{
    m_dropCaret.reset();
    const TextPos drop = positionAt(event->position().toPoint());
    CLiView* source = viewOfTag(event->mimeData()->data(kViewMimeType));
    const bool copy = event->modifiers() & Qt::ControlModifier;
    const Qt::DropAction action = copy ? Qt::CopyAction : Qt::MoveAction;
    if (source && &source->m_doc == &m_doc && action == Qt::MoveAction) {
        // A move inside one document (this view or another pane of it) is one edit group.
        CaretState moved = source->m_state;
        runEdit([&] { dropMoveWithinView(m_doc, moved, drop); });
        source->m_dropHandledHere = true;
        m_state = moved;
    } else {
        const std::string text = clipboardBytes(event->mimeData()->text());
        runEdit([&] { dropText(m_doc, m_state, drop, text); });
    }
    event->setDropAction(action);
    event->accept();
    setFocus(Qt::OtherFocusReason);
    caretChanged();
    viewport()->update();
}

}  // namespace quillon
