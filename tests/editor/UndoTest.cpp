#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"
#include "editor/EditCommands.h"

namespace quillon {
namespace {

class UndoTest : public ::testing::Test {
protected:
    void load(const std::string& bytes) { test::openBytes(doc, dir, bytes); }

    // One editor command: its edits in one group.
    template <typename Edits>
    void command(Edits&& edits)
    {
        EditGroup group(doc);
        edits();
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    CLiDoc doc;
};

TEST_F(UndoTest, ThreeKeystrokesAreThreeGroups)
{
    load("N10");
    for (char c : {'A', 'B', 'C'})
        command([&] { doc.InsertChar(0, doc.lineLength(0), c); });
    EXPECT_EQ(doc.lineText(0), "N10ABC");
    EXPECT_EQ(doc.undoDepth(), 3u);

    EXPECT_EQ(doc.Undo(), (TextPos{0, 5}));
    EXPECT_EQ(doc.lineText(0), "N10AB");
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(doc.lineText(0), "N10");
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.Undo());

    doc.Redo();
    EXPECT_EQ(doc.lineText(0), "N10A");
    EXPECT_EQ(doc.Redo(), (TextPos{0, 5}));  // after the restored character
    EXPECT_EQ(doc.lineText(0), "N10AB");
    doc.Redo();
    EXPECT_EQ(doc.lineText(0), "N10ABC");
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_TRUE(doc.isModified());
}

TEST_F(UndoTest, AnIndentOverTwoLinesIsUndoneInOneStep)
{
    load("N10 G0\nN20 G1\nN30");
    const LineSpan span = tabLineSpan(doc, {{0, 2}, {1, 3}});
    EXPECT_EQ(span.first, 0u);
    EXPECT_EQ(span.last, 2u);
    EXPECT_FALSE(span.includeLast);
    command([&] { doc.IndentLines(span.first, span.last, span.includeLast); });
    EXPECT_EQ(test::joined(doc), "\tN10 G0|\tN20 G1|N30");
    doc.Undo();
    EXPECT_EQ(test::joined(doc), "N10 G0|N20 G1|N30");
    EXPECT_FALSE(doc.CanUndo());
    doc.Redo();
    EXPECT_EQ(test::joined(doc), "\tN10 G0|\tN20 G1|N30");
}

TEST_F(UndoTest, ShiftTabRemovesUpToATabWidthOfSpacesOrOneTab)
{
    load("            N10\n\tN20\nN30");
    const LineSpan span = tabLineSpan(doc, {{0, 0}, {2, 0}});
    EXPECT_FALSE(span.includeLast);
    command([&] { doc.UnindentLines(span.first, span.last, span.includeLast, 8); });
    EXPECT_EQ(test::joined(doc), "    N10|N20|N30");
    doc.Undo();
    EXPECT_EQ(test::joined(doc), "            N10|\tN20|N30");
}

TEST_F(UndoTest, TabLineSpanOnTheLastLineRunsToItsEnd)
{
    load("A\nBC\nDEF");
    const LineSpan span = tabLineSpan(doc, {{1, 1}, {2, 1}});
    EXPECT_EQ(span.first, 1u);
    EXPECT_EQ(span.last, 2u);
    EXPECT_TRUE(span.includeLast);
    EXPECT_EQ(span.after.start, (TextPos{1, 0}));
    EXPECT_EQ(span.after.end, (TextPos{2, 3}));
}

TEST_F(UndoTest, TheSavedStateIsCleanAgainAfterUndoAndRedo)
{
    load("");
    for (int i = 0; i < 5; ++i)
        command([&] { doc.InsertChar(0, 0, 'x'); });
    ASSERT_TRUE(doc.save(dir.path("PROG.NC"), notifier));
    EXPECT_EQ(doc.cleanDepth(), 5u);
    doc.Undo();
    doc.Undo();
    EXPECT_TRUE(doc.isModified());
    doc.Redo();
    EXPECT_TRUE(doc.isModified());
    doc.Redo();
    EXPECT_FALSE(doc.isModified());
}

TEST_F(UndoTest, ACleanStateMadeUnreachableStaysUnreachable)
{
    load("");
    for (int i = 0; i < 5; ++i)
        command([&] { doc.InsertChar(0, 0, 'x'); });
    ASSERT_TRUE(doc.save(dir.path("PROG.NC"), notifier));
    doc.Undo();
    command([&] { doc.InsertChar(0, 0, 'y'); });
    EXPECT_EQ(doc.cleanDepth(), std::nullopt);
    for (int i = 0; i < 5; ++i) {
        doc.Undo();
        EXPECT_TRUE(doc.isModified()) << i;
    }
    while (doc.CanRedo()) {
        doc.Redo();
        EXPECT_TRUE(doc.isModified());
    }
}

TEST_F(UndoTest, ACommandThatChangesNothingStillEmptiesRedo)
{
    load("N10");
    command([&] { doc.InsertChar(0, 0, 'X'); });
    doc.Undo();
    EXPECT_TRUE(doc.CanRedo());
    command([&] { doc.DeleteChar(0, 3); });  // Delete at the end of the last line
    EXPECT_EQ(doc.lineText(0), "N10");
    EXPECT_FALSE(doc.CanRedo());
    EXPECT_FALSE(doc.CanUndo());
}

TEST_F(UndoTest, EditsOfNothingRecordNothingSoUndoAndRedoKeepTheirPlace)
{
    // An empty paste, an empty insert at the end of a line, a delete of no characters.
    const std::vector<std::function<void()>> nothings = {
        [&] { doc.InsertBlock(0, 1, {""}); },
        [&] { doc.InsertBlock(0, 1, {}); },
        [&] { doc.InsertText(0, 3, ""); },
        [&] { doc.DeleteText(0, 1, 0); },
    };
    for (std::size_t i = 0; i < nothings.size(); ++i) {
        load("N10");
        command([&] { doc.InsertChar(0, 3, 'X'); });
        command(nothings[i]);
        EXPECT_EQ(doc.undoDepth(), 1u) << "edit " << i;
        doc.Undo();
        EXPECT_EQ(doc.lineText(0), "N10") << "edit " << i;
        ASSERT_TRUE(doc.CanRedo()) << "edit " << i;
        doc.Redo();
        EXPECT_EQ(doc.lineText(0), "N10X") << "edit " << i;
        EXPECT_TRUE(doc.isModified()) << "edit " << i;
    }
}

TEST_F(UndoTest, EveryPrimitiveIsUndoneAndRedoneExactly)
{
    struct Case {
        const char* scenario;
        std::function<void(CLiDoc&)> edit;
        std::string after;
        TextPos undoPosition;
    };
    const std::string start = "N10 G0 X1\nN20 G1 Y2\nN30 M30";
    const Case cases[] = {
        {"InsertChar",
         [](CLiDoc& d) { d.InsertChar(1, 3, '5'); },
         "N10 G0 X1|N205 G1 Y2|N30 M30",
         {1, 3}},
        {"DeleteChar",
         [](CLiDoc& d) { d.DeleteChar(0, 0); },
         "10 G0 X1|N20 G1 Y2|N30 M30",
         {0, 1}},
        {"InsertText",
         [](CLiDoc& d) { d.InsertText(2, 4, "G4 "); },
         "N10 G0 X1|N20 G1 Y2|N30 G4 M30",
         {2, 4}},
        {"DeleteText",
         [](CLiDoc& d) { d.DeleteText(1, 4, 3); },
         "N10 G0 X1|N20 Y2|N30 M30",
         {1, 7}},
        {"InsertBlock",
         [](CLiDoc& d) {
             d.InsertBlock(0, 4, {"A", "B", "C "});
         },
         "N10 A|B|C G0 X1|N20 G1 Y2|N30 M30",
         {0, 4}},
        {"InsertBlock of one string",
         [](CLiDoc& d) { d.InsertBlock(0, 0, {"(X)"}); },
         "(X)N10 G0 X1|N20 G1 Y2|N30 M30",
         {0, 0}},
        {"DeleteBlock", [](CLiDoc& d) { d.DeleteBlock(0, 4, 2, 4); }, "N10 M30", {2, 4}},
        {"DeleteBlock within a line",
         [](CLiDoc& d) { d.DeleteBlock(1, 0, 1, 4); },
         "N10 G0 X1|G1 Y2|N30 M30",
         {1, 4}},
        {"SplitLine",
         [](CLiDoc& d) { d.SplitLine(1, 4); },
         "N10 G0 X1|N20 |G1 Y2|N30 M30",
         {1, 4}},
        {"JoinLines", [](CLiDoc& d) { d.JoinLines(0, 9); }, "N10 G0 X1N20 G1 Y2|N30 M30", {0, 9}},
    };
    for (const auto& c : cases) {
        load(start);
        command([&] { c.edit(doc); });
        EXPECT_EQ(test::joined(doc), c.after) << c.scenario;
        EXPECT_TRUE(doc.isModified()) << c.scenario;
        EXPECT_EQ(doc.Undo(), c.undoPosition) << c.scenario;
        EXPECT_EQ(test::joined(doc), "N10 G0 X1|N20 G1 Y2|N30 M30") << c.scenario;
        EXPECT_FALSE(doc.isModified()) << c.scenario;
        doc.Redo();
        EXPECT_EQ(test::joined(doc), c.after) << c.scenario;
    }
}

TEST_F(UndoTest, RandomEditSequencesUndoToTheStartAndRedoToTheEnd)
{
    std::mt19937 random(3);
    load("O1000\nN10 G90 G54\nN20 G0 X0 Y0\nN30 M30\n%");
    const std::string original = test::joined(doc);
    for (int step = 0; step < 300; ++step) {
        const std::size_t line = random() % doc.lineCount();
        const std::size_t column = random() % (doc.lineLength(line) + 1);
        command([&] {
            switch (random() % 8) {
            case 0:
                doc.InsertChar(line, column, static_cast<char>('A' + random() % 26));
                break;
            case 1:
                doc.DeleteChar(line, column);
                break;
            case 2:
                doc.InsertText(line, column, "X" + std::to_string(step));
                break;
            case 3:
                doc.DeleteText(line, column, random() % 4);
                break;
            case 4:
                doc.SplitLine(line, column);
                break;
            case 5:
                doc.JoinLines(line, doc.lineLength(line));
                break;
            case 6:
                doc.InsertBlock(line, column, {"(", "B" + std::to_string(step), ")"});
                break;
            default: {
                const std::size_t line2 = std::min(doc.lineCount() - 1, line + random() % 3);
                const std::size_t col2 =
                    line2 == line ? doc.lineLength(line) : random() % (doc.lineLength(line2) + 1);
                doc.DeleteBlock(line, std::min(column, col2), line2, col2);
                break;
            }
            }
        });
    }
    const std::string edited = test::joined(doc);
    while (doc.CanUndo())
        doc.Undo();
    EXPECT_EQ(test::joined(doc), original);
    EXPECT_FALSE(doc.isModified());
    while (doc.CanRedo())
        doc.Redo();
    EXPECT_EQ(test::joined(doc), edited);
}

}  // namespace
}  // namespace quillon
