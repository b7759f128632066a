// The editor view: one pane showing a CLiDoc with its margin, coloured text, caret and
// selection. It paints its rows itself, lays out only the lines it shows, and turns keys,
// mouse, clipboard and drops into the document's edit commands.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPointer>
#include <QStringList>

#include <map>
#include <optional>

#include "editor/CLiDoc.h"
#include "editor/Compare.h"
#include "editor/EditorActions.h"
#include "editor/ui/LineRenderer.h"

class QMenu;
class QMimeData;

namespace quillon {

class EditorEnvironment;

// The local files a drag from a file manager carries (empty for text). A view leaves such a
// drag to the main window, which opens the files.
QStringList droppedFiles(const QMimeData& data);

class CLiView : public QAbstractScrollArea, private DocumentObserver {
    Q_OBJECT
public:
    // A view that registers takes part in synchronised scrolling (the first view of a
    // document does; splitter panes do not).
    CLiView(CLiDoc& doc, EditorEnvironment& environment, bool registerForSync,
            QWidget* parent = nullptr);
    ~CLiView() override;

    CLiDoc& document() { return m_doc; }
    const CaretState& caretState() const { return m_state; }
    std::size_t topLine() const;
    std::size_t visibleLines() const;
    std::size_t marginWidth() const;

    // Takes over another view's caret, selection and scroll position (a new pane).
    void takeStateOf(const CLiView& other);
    // Caret to the start of the 1-based line (clamped); centred when it was not visible.
    void GoToLine(std::size_t line);
    void setCaret(TextPos position, bool extend = false);

    // The view's commands.
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    bool insertFileAsText(const std::string& path, Notifier& notifier);

    // Searching ("&Find...", "R&eplace...", F3, Shift+F3, Ctrl+F3, Ctrl+Shift+F3).
    void find();
    void replace();
    void findNext();
    void findPrevious();
    void findWordNext();
    void findWordPrevious();
    // Bookmarks (Ctrl+F2, F2, Shift+F2).
    void toggleBookmark();
    void goToNextBookmark();
    void goToPreviousBookmark();
    // Compares this view's program with the first other registered view's and marks the
    // lines that differ in both; returns that other view (nullptr when there is none, after
    // "Could not find 2nd window").
    CLiView* compare(CompareMode mode);
    // "Remove Compare results" for this view's program.
    void removeCompareResults();
    // Where the Replace dialog goes when it asks about a match: 3 character widths right of
    // the match start, a pixel below its row, on the screen.
    QPoint askPosition() const;

    // What a drag of the selection carries: its text and where it came from.
    QMimeData* createDragData() const;

    // The pop-up menu of the right button, built for the current selection.
    QMenu* createContextMenu();

    // Scrolling asked for by another view (synchronised scrolling).
    void scrollLines(int lines);
    void scrollToLine(int topLine);

    // The screen rectangle of a document position's row, for tests and drop feedback.
    QRect rowRect(std::size_t line) const;
    QPoint pointOf(TextPos position) const;

signals:
    void caretMoved(std::size_t line, std::size_t column);
    void activated();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

private:
    // DocumentObserver
    void linesChanged(std::size_t first, std::size_t last) override;
    void linesInserted(std::size_t at, std::size_t count) override;
    void linesRemoved(std::size_t at, std::size_t count) override;
    void documentReset() override;
    void modifiedChanged(bool modified) override;
    void flagsChanged(std::size_t line) override;

    const RenderMetrics& metrics() const;
    const LineLayout& layoutOf(std::size_t line) const;
    qreal xOf(TextPos position) const;
    TextPos positionAt(QPoint point) const;
    std::size_t lineAtY(int y) const;
    int textLeft() const;

    void updateScrollBars();
    void ensureCaretVisible();
    void caretChanged(bool keepDesiredX = false);
    void restartBlink();
    void repaintLines(std::size_t first, std::size_t last);
    void noteLineWidth(std::size_t line) const;

    bool handleMovementKey(QKeyEvent* event);
    bool handleEditingKey(QKeyEvent* event);
    void moveCaret(TextPos position, bool extend, bool keepDesiredX = false);
    void runEdit(const std::function<void()>& edit);

    void selectLines(std::size_t from, std::size_t to);

    using Command = void (CLiView::*)();
    static Command searchCommandOf(Qt::KeyboardModifiers mods, int key);
    void search(bool forward);
    void searchAgain(bool forward);
    void searchWordAtCaret(bool forward);
    void showMatch();
    void askReplace();
    void replaceAll(bool inSelection);
    void autoScroll();
    void startDrag();

    CLiDoc& m_doc;
    EditorEnvironment& m_environment;
    bool m_registered = false;
    bool m_counted = false;

    CaretState m_state;
    std::optional<qreal> m_desiredX;
    bool m_caretOn = true;
    QBasicTimer m_blinkTimer;
    QBasicTimer m_autoScrollTimer;

    enum class Press { None, Text, Margin, MaybeDrag };
    Press m_press = Press::None;
    QPoint m_pressPoint;
    TextPos m_pressPosition;
    std::size_t m_marginAnchorLine = 0;
    QPoint m_lastMousePoint;
    bool m_dropHandledHere = false;
    std::optional<TextPos> m_dropCaret;
    int m_wheelRemainder = 0;

    // Layouts of the lines last shown, by line; dropped when a line changes.
    mutable std::map<std::size_t, LineLayout> m_layouts;
    mutable qreal m_widestLine = 0;
    mutable bool m_scrollRangeStale = false;
    bool m_syncing = false;
};

}  // namespace quillon
