#include "editor/ui/CLiView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include "app/AppSettings.h"
#include "editor/ui/EditorEnvironment.h"
#include "gui/GuiTestSupport.h"
#include "gui/ViewHarness.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {

namespace {

using test::ViewHarness;

std::string numberedLines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "N" + std::to_string(i * 10) + " G01 X" + std::to_string(i) + "\r\n";
    return text + "M30";
}

TEST(CLiViewKeys, CaretMovesByTheKeyTable)
{
    ViewHarness h("G01  X10.5 Y2\nN20\n\nN40 G0 X0 Y0 Z100\nM30");
    struct Case {
        const char* scenario;
        TextPos from;
        int key;
        Qt::KeyboardModifiers mods;
        TextPos to;
    };
    const Case cases[] = {
        {"left within a line", {0, 3}, Qt::Key_Left, Qt::NoModifier, {0, 2}},
        {"left at column 0 goes up", {1, 0}, Qt::Key_Left, Qt::NoModifier, {0, 13}},
        {"right at the end goes down", {0, 13}, Qt::Key_Right, Qt::NoModifier, {1, 0}},
        {"ctrl+right to the next word", {0, 0}, Qt::Key_Right, Qt::ControlModifier, {0, 5}},
        {"ctrl+left to the word start", {0, 8}, Qt::Key_Left, Qt::ControlModifier, {0, 5}},
        {"alt+left to the line start", {3, 9}, Qt::Key_Left, Qt::AltModifier, {3, 0}},
        {"alt+right to the line end", {3, 2}, Qt::Key_Right, Qt::AltModifier, {3, 17}},
        {"down keeps no column beyond the end", {0, 10}, Qt::Key_Down, Qt::NoModifier, {1, 3}},
        {"up from a short line", {1, 3}, Qt::Key_Up, Qt::NoModifier, {0, 3}},
        {"home", {3, 9}, Qt::Key_Home, Qt::NoModifier, {3, 0}},
        {"end", {3, 2}, Qt::Key_End, Qt::NoModifier, {3, 17}},
        {"ctrl+home", {3, 9}, Qt::Key_Home, Qt::ControlModifier, {0, 0}},
        {"ctrl+end", {1, 1}, Qt::Key_End, Qt::ControlModifier, {4, 3}},
        {"alt+home to the top line", {3, 9}, Qt::Key_Home, Qt::AltModifier, {0, 0}},
        {"alt+end to the bottom line", {0, 1}, Qt::Key_End, Qt::AltModifier, {4, 3}},
        {"page down stops at the last line", {0, 0}, Qt::Key_PageDown, Qt::NoModifier, {4, 0}},
        {"ctrl+page up does nothing", {3, 4}, Qt::Key_PageUp, Qt::ControlModifier, {3, 4}},
    };
    for (const auto& c : cases) {
        h.view->setCaret(c.from);
        h.key(c.key, c.mods);
        EXPECT_EQ(h.caret(), c.to) << c.scenario;
        EXPECT_FALSE(h.view->caretState().hasSelection()) << c.scenario;
    }
}

TEST(CLiViewKeys, VerticalMovesAimAtTheRememberedColumn)
{
    ViewHarness h("N10 G01 X1.5\nN2\nN30 G02 X2.5\n");
    h.view->setCaret({0, 9});
    h.key(Qt::Key_Down);
    EXPECT_EQ(h.caret(), (TextPos{1, 2}));
    h.key(Qt::Key_Down);
    EXPECT_EQ(h.caret(), (TextPos{2, 9}));
    h.key(Qt::Key_Left);
    h.key(Qt::Key_Up);  // a horizontal move sets a new aim
    EXPECT_EQ(h.caret(), (TextPos{1, 2}));
}

TEST(CLiViewKeys, ShiftExtendsTheSelectionFromTheAnchor)
{
    ViewHarness h("N10 G0\nN20 G1\nN30 G2");
    h.view->setCaret({0, 4});
    h.key(Qt::Key_Right, Qt::ShiftModifier);
    h.key(Qt::Key_Down, Qt::ShiftModifier);
    auto selection = h.view->caretState().selection();
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->start, (TextPos{0, 4}));
    EXPECT_EQ(selection->end, (TextPos{1, 5}));
    h.key(Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier);
    selection = h.view->caretState().selection();
    EXPECT_EQ(selection->start, (TextPos{0, 0}));
    EXPECT_EQ(selection->end, (TextPos{0, 4}));
    h.key(Qt::Key_Escape);
    EXPECT_FALSE(h.view->caretState().hasSelection());
}

TEST(CLiViewKeys, CtrlUpAndDownScrollKeepingTheCaretInside)
{
    ViewHarness h(numberedLines(200));
    const std::size_t visible = h.view->visibleLines();
    h.view->setCaret({0, 2});
    h.key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(h.view->topLine(), 1u);
    EXPECT_EQ(h.caret().line, 1u);  // pushed along with the window
    h.view->setCaret({visible / 2, 0});
    h.key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(h.view->topLine(), 2u);
    EXPECT_EQ(h.caret().line, visible / 2);
}

TEST(CLiViewKeys, PageKeysMoveAWindowOrHalfOne)
{
    ViewHarness h(numberedLines(200));
    const std::size_t visible = h.view->visibleLines();
    h.view->setCaret({0, 0});
    h.key(Qt::Key_PageDown);
    EXPECT_EQ(h.caret().line, visible);
    EXPECT_EQ(h.view->topLine(), visible);
    h.key(Qt::Key_PageUp, Qt::AltModifier);
    EXPECT_EQ(h.caret().line, visible - visible / 2);
}

TEST(CLiViewEditing, TypingIsOneUndoStepPerKey)
{
    ViewHarness h("N10");
    h.view->setCaret({0, 3});
    h.type("ABC");
    EXPECT_EQ(h.line(0), "N10ABC");
    EXPECT_EQ(h.doc.undoDepth(), 3u);
    h.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(h.line(0), "N10AB");
    h.key(Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(h.line(0), "N10A");
    h.key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(h.line(0), "N10AB");
    EXPECT_EQ(h.caret(), (TextPos{0, 5}));
}

TEST(CLiViewEditing, OverwriteModeTypingAndEnter)
{
    ViewHarness h("G00 X1\nM30");
    bool overwrite = false;
    QObject::connect(h.environment.get(), &EditorEnvironment::overwriteChanged,
                     [&](bool on) { overwrite = on; });
    h.view->setCaret({0, 1});
    h.key(Qt::Key_Insert);
    EXPECT_TRUE(overwrite);
    h.type("12");
    EXPECT_EQ(h.line(0), "G12 X1");
    h.key(Qt::Key_Return);  // not on the last line: no split
    EXPECT_EQ(h.doc.lineCount(), 2u);
    EXPECT_EQ(h.caret(), (TextPos{1, 0}));
    h.key(Qt::Key_End);
    h.key(Qt::Key_Return);  // the last line splits
    EXPECT_EQ(h.doc.lineCount(), 3u);
    h.key(Qt::Key_Insert);
    EXPECT_FALSE(overwrite);
}

TEST(CLiViewEditing, BackspaceAndDeleteAtLineBoundaries)
{
    ViewHarness h("AB\nCD");
    h.view->setCaret({1, 0});
    h.key(Qt::Key_Backspace);
    EXPECT_EQ(h.line(0), "ABCD");
    EXPECT_EQ(h.caret(), (TextPos{0, 2}));
    h.key(Qt::Key_Delete);
    EXPECT_EQ(h.line(0), "ABD");
    h.key(Qt::Key_End);
    h.key(Qt::Key_Delete);  // the end of the document
    EXPECT_EQ(h.line(0), "ABD");
    h.key(Qt::Key_Home);
    h.key(Qt::Key_Backspace);  // its start
    EXPECT_EQ(h.line(0), "ABD");
}

TEST(CLiViewEditing, TabAndShiftTabOverASelection)
{
    ViewHarness h("            N10\n\tN20\nN30");
    h.view->setCaret({0, 0});
    h.key(Qt::Key_Down, Qt::ShiftModifier);
    h.key(Qt::Key_Down, Qt::ShiftModifier);
    h.key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(h.line(0), "    N10");
    EXPECT_EQ(h.line(1), "N20");
    EXPECT_EQ(h.line(2), "N30");
    h.key(Qt::Key_Tab);
    EXPECT_EQ(h.line(0), "\t    N10");
    EXPECT_EQ(h.line(1), "\tN20");
    EXPECT_EQ(h.line(2), "N30");
    h.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(h.line(0), "    N10");
    EXPECT_EQ(h.line(1), "N20");
}

TEST(CLiViewEditing, CutCopyAndPasteWithAndWithoutASelection)
{
    ViewHarness h("G00 X0\nG01 Y1\nM30");
    QClipboard* clipboard = QApplication::clipboard();
    h.view->setCaret({0, 2});
    h.key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "G00 X0\r\n");

    h.view->setCaret({1, 0});
    h.key(Qt::Key_End, Qt::ShiftModifier);
    h.key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "G01 Y1");
    EXPECT_EQ(h.line(1), "");

    h.view->setCaret({0, 0});
    h.key(Qt::Key_X, Qt::ControlModifier);  // no selection: the whole line
    EXPECT_EQ(clipboard->text(), "G00 X0\r\n");
    EXPECT_EQ(h.doc.lineCount(), 2u);

    h.view->setCaret({1, 0});
    h.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(h.line(1), "G00 X0");
    EXPECT_EQ(h.line(2), "M30");
    EXPECT_EQ(h.caret(), (TextPos{2, 0}));

    clipboard->setText("A\nB");
    h.key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(h.line(2), "A");
    EXPECT_EQ(h.line(3), "BM30");

    h.key(Qt::Key_A, Qt::ControlModifier);
    const auto all = h.view->caretState().selection();
    ASSERT_TRUE(all);
    EXPECT_EQ(all->start, (TextPos{0, 0}));
    EXPECT_EQ(all->end, (TextPos{3, 4}));
    h.key(Qt::Key_Delete, Qt::ShiftModifier);  // cut
    EXPECT_EQ(h.doc.lineCount(), 1u);
    EXPECT_EQ(h.line(0), "");
}

TEST(CLiViewEditing, ThePopUpMenuFollowsTheSelectionAndTheFirstCopy)
{
    ViewHarness h("G00 X0");
    auto enabled = [&](const char* text) {
        std::unique_ptr<QMenu> menu(h.view->createContextMenu());
        return test::findByText<QAction>(*menu, text)->isEnabled();
    };
    EXPECT_FALSE(enabled("Cu&t       Ctrl+X"));
    EXPECT_FALSE(enabled("&Copy   Ctrl+C"));
    EXPECT_FALSE(enabled("&Paste  Ctrl+V"));
    h.key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_TRUE(enabled("Cu&t       Ctrl+X"));
    EXPECT_TRUE(enabled("&Copy   Ctrl+C"));
    h.key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(enabled("&Paste  Ctrl+V"));
    std::unique_ptr<QMenu> menu(h.view->createContextMenu());
    EXPECT_TRUE(test::findByText<QAction>(*menu, "C&ancel"));
}

TEST(CLiViewMouse, ClicksDoubleClicksAndTheMargin)
{
    ViewHarness h("N10 G01 X10.5\nN20 M30");
    QWidget* viewport = h.view->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, h.at({0, 8}));
    EXPECT_EQ(h.caret(), (TextPos{0, 8}));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, h.at({1, 3}));
    EXPECT_EQ(h.view->caretState().selection()->start, (TextPos{0, 8}));
    EXPECT_EQ(h.view->caretState().selection()->end, (TextPos{1, 3}));

    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, h.at({0, 9}));
    EXPECT_EQ(h.view->caretState().selection()->start, (TextPos{0, 8}));
    EXPECT_EQ(h.view->caretState().selection()->end, (TextPos{0, 13}));

    const QPoint margin(2, h.view->rowRect(1).center().y());
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, margin);
    EXPECT_EQ(h.view->caretState().selection()->start, (TextPos{1, 0}));
    EXPECT_EQ(h.view->caretState().selection()->end, (TextPos{1, 7}));
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, margin);
    EXPECT_TRUE(h.doc.line(1).hasFlag(LineFlag::Bookmark));
    EXPECT_FALSE(h.doc.isModified());
}

// Delivers a drag of the mime data to the view as the system's drag loop would: enter,
// move over the target, drop.
void dropOnto(CLiView& view, const QMimeData& data, QPoint target, Qt::KeyboardModifiers mods)
{
    QWidget* viewport = view.viewport();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(target, actions, &data, Qt::LeftButton, mods);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(target, actions, &data, Qt::LeftButton, mods);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(target, actions, &data, Qt::LeftButton, mods);
    QApplication::sendEvent(viewport, &drop);
}

TEST(CLiViewDragAndDrop, AMoveWithinAViewIsOneUndoStep)
{
    ViewHarness h("N10 X1 Y2\nM30");
    h.view->setCaret({0, 0});
    h.view->setCaret({0, 4}, true);
    std::unique_ptr<QMimeData> data(h.view->createDragData());
    EXPECT_EQ(data->text(), "N10 ");
    dropOnto(*h.view, *data, h.at({0, 9}), Qt::NoModifier);
    EXPECT_EQ(h.line(0), "X1 Y2N10 ");
    EXPECT_EQ(h.doc.undoDepth(), 1u);
    h.view->undo();
    EXPECT_EQ(h.line(0), "N10 X1 Y2");

    // With Ctrl held the text is copied.
    h.view->setCaret({1, 0});
    h.view->setCaret({1, 3}, true);
    data.reset(h.view->createDragData());
    dropOnto(*h.view, *data, h.at({0, 0}), Qt::ControlModifier);
    EXPECT_EQ(h.line(0), "M30N10 X1 Y2");
    EXPECT_EQ(h.line(1), "M30");
}

TEST(CLiViewDragAndDrop, TextFromAnotherWindowOrProgramIsInserted)
{
    ViewHarness source("G54\nG90");
    ViewHarness target("N10\nN20");
    source.view->setCaret({0, 0});
    source.view->setCaret({1, 3}, true);
    std::unique_ptr<QMimeData> data(source.view->createDragData());
    dropOnto(*target.view, *data, target.at({1, 0}), Qt::NoModifier);
    EXPECT_EQ(target.line(1), "G54");
    EXPECT_EQ(target.line(2), "G90N20");
    EXPECT_EQ(source.line(0), "G54");  // the source removes its text when the drag ends

    QMimeData outside;
    outside.setText("(FROM A MAIL)\r\n");
    dropOnto(*target.view, outside, target.at({0, 0}), Qt::NoModifier);
    EXPECT_EQ(target.line(0), "(FROM A MAIL)");
    EXPECT_EQ(target.line(1), "N10");
    EXPECT_EQ(target.doc.undoDepth(), 2u);
}

TEST(CLiViewScrolling, TheWheelScrollsThreeLinesANotch)
{
    ViewHarness h(numberedLines(300));
    auto wheel = [&](int delta) {
        const QPointF point(100, 100);
        QWheelEvent event(point, h.view->viewport()->mapToGlobal(point), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(h.view->viewport(), &event);
    };
    wheel(-120);
    EXPECT_EQ(h.view->topLine(), 3u);
    wheel(-240);
    EXPECT_EQ(h.view->topLine(), 9u);
    wheel(120);
    EXPECT_EQ(h.view->topLine(), 6u);
    wheel(-40);  // a third of a notch: one line
    EXPECT_EQ(h.view->topLine(), 7u);
}

TEST(CLiViewScrolling, RegisteredViewsScrollTogether)
{
    ViewHarness first(numberedLines(300));
    ViewHarness second(numberedLines(300));
    // Two windows share one environment in the program.
    second.view = std::make_unique<CLiView>(second.doc, *first.environment, true);
    second.view->resize(640, 400);
    second.view->show();
    first.settings.flags.wheelScrollsAll = true;
    first.settings.flags.scrollBarScrollsAll = true;

    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(first.view->viewport(), &event);
    EXPECT_EQ(first.view->topLine(), 6u);
    EXPECT_EQ(second.view->topLine(), 6u);

    second.view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(first.view->topLine(), second.view->topLine());
    EXPECT_GT(first.view->topLine(), 6u);

    first.settings.flags.wheelScrollsAll = false;
    QApplication::sendEvent(first.view->viewport(), &event);
    EXPECT_EQ(second.view->topLine() + 6, first.view->topLine());
    EXPECT_EQ(first.environment->viewCount(), 2u);
}

TEST(CLiViewScrolling, GoToLineCentresALineOutOfView)
{
    ViewHarness h(numberedLines(1000));
    const std::size_t visible = h.view->visibleLines();
    h.view->GoToLine(500);
    EXPECT_EQ(h.caret(), (TextPos{499, 0}));
    EXPECT_EQ(h.view->topLine(), 499 - (visible - 1) / 2);
    h.view->GoToLine(501);  // visible already: no scrolling
    EXPECT_EQ(h.view->topLine(), 499 - (visible - 1) / 2);
    h.view->GoToLine(99999);
    EXPECT_EQ(h.caret().line, 1000u);
    h.key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(h.view->topLine(), 0u);
}

TEST(CLiViewDisplay, MarginWidthAndStatusTexts)
{
    ViewHarness h(numberedLines(1200));
    const qreal digit = h.environment->metrics().digitWidth;
    EXPECT_EQ(h.view->marginWidth(), static_cast<std::size_t>(std::ceil(digit * 3 / 2)));
    h.settings.flags.showLineNumbers = true;
    EXPECT_EQ(h.view->marginWidth(), static_cast<std::size_t>(std::ceil(digit * 5.5)));

    std::size_t line = 0;
    std::size_t column = 0;
    QObject::connect(h.view.get(), &CLiView::caretMoved, [&](std::size_t l, std::size_t c) {
        line = l;
        column = c;
    });
    h.view->setCaret({41, 3});
    EXPECT_EQ(line, 42u);
    EXPECT_EQ(column, 4u);
}

// How many pixels of the image have exactly this colour.
int pixelsOf(const QImage& image, const QColor& color)
{
    int count = 0;
    const QRgb wanted = color.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += (line[x] & 0xFFFFFF) == (wanted & 0xFFFFFF) ? 1 : 0;
    }
    return count;
}

TEST(CLiViewDisplay, ASampleProgramIsDrawnWithItsColoursNumbersAndMarks)
{
    const auto sample =
        readFile(std::string(QUILLON_SOURCE_DIR) + "/resources/samples/O1001-POCKET.NC");
    ASSERT_TRUE(sample);
    ViewHarness h(*sample);
    h.settings.flags.showLineNumbers = true;
    h.settings.flags.showEndOfBlock = true;
    h.doc.ToggleBookmark(5);
    h.view->resize(760, 520);
    h.view->GoToLine(1);
    h.view->setCaret({5, 4});
    QApplication::processEvents();
    test::saveScreenshot(*h.view, "editor-sample");

    QImage image(h.view->viewport()->size(), QImage::Format_RGB32);
    h.view->viewport()->render(&image);
    const EditorColors& colors = h.settings.colors;
    EXPECT_GT(pixelsOf(image, toQColor(colors[EditorColor::Comment])), 200);
    EXPECT_GT(pixelsOf(image, toQColor(colors[EditorColor::GCode])), 100);
    EXPECT_GT(pixelsOf(image, toQColor(colors[EditorColor::BlockNumber])), 100);
    EXPECT_GT(pixelsOf(image, toQColor(0xFFFF00)), 50);  // the bookmark
    // Line numbers and EOB marks are drawn in the margin's colours.
    EXPECT_GT(pixelsOf(image, complementOf(colors[EditorColor::LeftMargin])), 50);
    EXPECT_GT(pixelsOf(image, toQColor(colors[EditorColor::LeftMargin])), 1000);

    h.settings.colors.colorsOn = false;
    h.environment->displayChanged();
    h.view->viewport()->render(&image);
    EXPECT_EQ(pixelsOf(image, toQColor(colors[EditorColor::GCode])), 0);
}

}  // namespace
}  // namespace quillon
