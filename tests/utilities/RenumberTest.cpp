#include "utilities/Renumber.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"
#include "editor/EditCommands.h"

namespace quillon {
namespace {

constexpr std::size_t kAllLines = std::numeric_limits<std::size_t>::max();

// Lines written as "A|B|C", as test::joined shows them.
std::string programBytes(std::string lines)
{
    std::replace(lines.begin(), lines.end(), '|', '\n');
    return lines;
}

std::string blanks(std::size_t count)
{
    return std::string(count, ' ');
}

class RenumberTest : public test::EditingTest {
protected:
    std::optional<std::string> renumber(const RenumberSettings& settings, bool undo = true,
                                        std::size_t first = 0, std::size_t last = kAllLines)
    {
        UtilityEdit edit(doc, undo);
        return renumberLines(doc, edit, first, last, settings);
    }
    void removeNumbers(bool undo = true)
    {
        UtilityEdit edit(doc, undo);
        removeBlockNumbers(doc, edit, 0, kAllLines);
    }
};

struct RenumberCase {
    const char* scenario;
    RenumberSettings settings;
    std::string before;
    std::string after;
    std::optional<std::string> message;
};

const RenumberCase kRenumberCases[] = {
    {"example lines with leading zeroes",
     {.leadingZeroes = true},
     "G01 X1.|(COMMENT)|  N10 G01|%|N10G01|O1000|/ G00 Z5.|!X||N20",
     "N001 G01 X1.|(COMMENT)|N002 G01|%|N003 G01|O1000|/N004 G00 Z5.|!X||N005 ",
     {}},
    {"only the digits right after the letter go", {}, "N 10 X1", "N1 10 X1", {}},
    {"a tab after the number still gets a blank", {}, "N10\tX1|G01", "N1 \tX1|N2 G01", {}},
    {"slashed lines", {}, "/N10X1|/|  /  |/\tN7 Y", "/N1 X1|/|  /  |/N2 Y", {}},
    {"colon and macro lines stay by default", {}, ":20 X|#1=5|X", ":20 X|#1=5|N1 X", {}},
    {"do-not-renumber N keeps the numbered lines",
     {.skip = 'N'},
     "N10 X1|G01 Y2|N20|X3",
     "N10 X1|N1 G01 Y2|N20|N2 X3",
     {}},
    {"no do-not-renumber character", {.skip = '\0'}, "!X1", "N1 !X1", {}},
    {"O, colon and parenthesis when chosen",
     {.letterO = true, .colon = true, .parenthesis = true},
     "O1000 (PART)|:20 X|(COMMENT)|%",
     "O1 (PART)|:2 X|N3 (COMMENT)|%",
     {}},
    {"do-not-renumber wins over letter O",
     {.letterO = true, .skip = 'O'},
     "O1000|X",
     "O1000|N1 X",
     {}},
    {"blanks past the 32nd stay",
     {},
     blanks(33) + "X1|" + blanks(34) + "X1|\t\tN5 X2",
     "N1 X1|N2  X1|N3 X2",
     {}},
    {"digits 1 increment 5 from 5 stays at 5",
     {.start = 5, .increment = 5, .digits = 1},
     "X1|X2|X3",
     "N5 X1|N5 X2|N5 X3",
     {}},
    {"a wrap onto 0 gives the increment",
     {.start = 8, .digits = 1},
     "A|B|C|D",
     "N8 A|N9 B|N1 C|N2 D",
     {}},
    {"a wrap past the modulus keeps the remainder",
     {.start = 90, .increment = 15, .digits = 2, .leadingZeroes = true},
     "A|B|C|D",
     "N90 A|N05 B|N20 C|N35 D",
     {}},
    {"a wrap onto 0 gives the increment, not 0",
     {.start = 50, .increment = 25, .digits = 2},
     "A|B|C|D",
     "N50 A|N75 B|N25 C|N50 D",
     {}},
    {"six digits wrap at a million",
     {.start = 999998, .digits = 6},
     "A|B|C",
     "N999998 A|N999999 B|N1 C",
     {}},
    {"the start is written unreduced and never cut",
     {.start = 1234, .leadingZeroes = true},
     "X|X",
     "N1234 X|N235 X",
     {}},
    {"start 0",
     {.start = 0, .increment = 10, .digits = 4, .leadingZeroes = true},
     "X|Y",
     "N0000 X|N0010 Y",
     {}},
    {"lowercase is plain text", {}, "n10 x1|g71 p1 q2", "N1 n10 x1|N2 g71 p1 q2", {}},
    {"G74 is no cycle of these", {}, "N10 G74 P10 Q10", "N1 G74 P10 Q10", {}},

    {"a lathe program's cycles follow their blocks",
     {.start = 100, .increment = 5, .digits = 4},
     "N10 G00 X50. Z2.|N20 G71 U2. R1.|N30 G71 P40 Q60 U.5 W.1 F.3|N40 G00 X20.|"
     "N50 G01 Z-20.|N60 X50.|N70 G70 P40 Q60",
     "N100 G00 X50. Z2.|N105 G71 U2. R1.|N110 G71 P115 Q125 U.5 W.1 F.3|N115 G00 X20.|"
     "N120 G01 Z-20.|N125 X50.|N130 G70 P115 Q125",
     kCannedCycleReviseText},
    {"a G73 pattern repeat follows its blocks",
     {.start = 100, .increment = 10, .digits = 4},
     "N10 G00 X60. Z5.|N20 G73 U3. W1. R3|N30 G73 P40 Q50 U.4 W.1 F.2|N40 G00 X20.|"
     "N50 G01 Z-30.",
     "N100 G00 X60. Z5.|N110 G73 U3. W1. R3|N120 G73 P130 Q140 U.4 W.1 F.2|N130 G00 X20.|"
     "N140 G01 Z-30.",
     kCannedCycleReviseText},
    {"a Q naming no block stays and is an error",
     {},
     "N10 X|N20 G71 P10 Q99",
     "N1 X|N2 G71 P1 Q99",
     kCannedCycleErrorText},
    {"a comment line names a cycle",
     {},
     "N10 G00|N20 X1|(G71 P10 Q20)",
     "N1 G00|N2 X1|(G71 P1 Q2)",
     kCannedCycleReviseText},
    {"a repeated number goes to its first block",
     {},
     "N10 X|N10 Y|G71 P10 Q10",
     "N1 X|N2 Y|N3 G71 P1 Q1",
     kCannedCycleReviseText},
    {"old numbers are read past blanks and a sign",
     {},
     "N+20 X|N 30 Y|G71 P20 Q30",
     "N1 +20 X|N2 30 Y|N3 G71 P1 Q2",
     kCannedCycleReviseText},
    {"only the first P and Q",
     {},
     "N5 X|N6 Y|G71 P5 Q6 P5 Q6",
     "N1 X|N2 Y|N3 G71 P1 Q2 P5 Q6",
     kCannedCycleReviseText},
    {"every G7 of the line is tried",
     {},
     "N10 G75 G71 P10 Q10",
     "N1 G75 G71 P1 Q1",
     kCannedCycleReviseText},
    {"overlong numbers: 32 characters go, the value saturates",
     {},
     "N" + std::string(40, '9') + "|G71 P" + std::string(40, '9') + " Q" + std::string(33, '9'),
     "N1 999999999|N2 G71 P199999999 Q19",
     kCannedCycleReviseText},
};

TEST_F(RenumberTest, Scenarios)
{
    for (const auto& c : kRenumberCases) {
        SCOPED_TRACE(c.scenario);
        load(programBytes(c.before));
        EXPECT_EQ(renumber(c.settings), c.message);
        EXPECT_EQ(test::joined(doc), c.after);
    }
}

TEST(CannedCycleTest, G70ToG73WithAPAndAQAnywhere)
{
    const std::pair<const char*, bool> lines[] = {
        {"G71 P1 Q2", true},  {"G70P1Q2", true},    {"(Q) G73 X P", true}, {"G72 Q1 P", true},
        {"G74 P1 Q2", false}, {"G71 P1", false},    {"G7 1 P1 Q2", false}, {"G07 P1 Q2", false},
        {"X1 P Q G7", false}, {"g71 p1 q2", false}, {"G71 p1 Q2", false},  {"G76 G73 P Q", true},
    };
    for (const auto& [line, holds] : lines)
        EXPECT_EQ(holdsCannedCycle(line), holds) << line;
}

TEST_F(RenumberTest, RangeCannedCycleCheck)
{
    load(programBytes("X|G71 P1 Q2|Y"));
    EXPECT_FALSE(rangeHoldsCannedCycle(doc, 0, 0));
    EXPECT_TRUE(rangeHoldsCannedCycle(doc, 0, 1));
    EXPECT_TRUE(rangeHoldsCannedCycle(doc, 1, kAllLines));
    EXPECT_FALSE(rangeHoldsCannedCycle(doc, 2, 9));
}

TEST_F(RenumberTest, OnlyTheRangeIsNumberedFromTheStart)
{
    load(programBytes("N10|N20|N30|G71 P10 Q40|N40"));
    EXPECT_EQ(renumber({.start = 7}, true, 1, 3), kCannedCycleErrorText);
    // The map knows only the lines of the range: P10 has no block.
    EXPECT_EQ(test::joined(doc), "N10|N7 |N8 |N9 G71 P10 Q40|N40");
}

TEST_F(RenumberTest, LongLinesAreLeftAloneAndTakeNoNumber)
{
    const std::string longCycle = "G71 P1 Q1" + std::string(UtilityEdit::kLineLimit, ' ');
    const std::string longest(UtilityEdit::kLineLimit - 1, 'X');
    load(programBytes("N1|" + longCycle + "|" + longest + "|X3"));
    EXPECT_EQ(renumber({.start = 5}), std::nullopt);  // the long line's cycle is not seen
    EXPECT_EQ(doc.lineText(1), longCycle);
    EXPECT_EQ(doc.lineText(2), "N6 " + longest);
    EXPECT_EQ(doc.lineText(3), "N7 X3");
}

TEST_F(RenumberTest, EmptyDocumentStaysAsItIs)
{
    for (const bool fromFile : {true, false}) {
        if (fromFile)
            load("");
        else
            doc.newDocument();
        EXPECT_EQ(renumber({}), std::nullopt);
        removeNumbers();
        EXPECT_EQ(test::joined(doc), "");
        EXPECT_FALSE(doc.isModified());
        EXPECT_FALSE(doc.CanUndo());
    }
}

TEST_F(RenumberTest, WithUndoOneUndoRestoresBothPasses)
{
    const std::string before = "N10 X|G71 P10 Q10|  /N30 Y";
    load(programBytes(before));
    ASSERT_EQ(renumber({.increment = 5}), kCannedCycleReviseText);
    EXPECT_EQ(test::joined(doc), "N1 X|N6 G71 P1 Q1|/N11 Y");
    EXPECT_EQ(doc.undoDepth(), 1u);
    EXPECT_FALSE(doc.CanRedo());
    doc.Undo();
    EXPECT_EQ(test::joined(doc), before);
    EXPECT_FALSE(doc.isModified());
    doc.Redo();
    EXPECT_EQ(test::joined(doc), "N1 X|N6 G71 P1 Q1|/N11 Y");
}

TEST_F(RenumberTest, WithoutUndoBothStacksAreEmptied)
{
    for (const bool renumbering : {true, false}) {
        load(programBytes("N10 X|G71 P10 Q10"));
        for (const char c : {'A', 'B'}) {
            EditGroup group(doc);
            doc.InsertChar(0, doc.lineLength(0), c);
        }
        doc.Undo();
        ASSERT_TRUE(doc.CanUndo() && doc.CanRedo());
        if (renumbering)
            renumber({}, false);
        else
            removeNumbers(false);
        EXPECT_EQ(test::joined(doc), renumbering ? "N1 XA|N2 G71 P1 Q1" : "XA|G71 P10 Q10");
        EXPECT_FALSE(doc.CanUndo());
        EXPECT_FALSE(doc.CanRedo());
        EXPECT_TRUE(doc.isModified());
    }
}

TEST_F(RenumberTest, RemovalOfBlockNumbers)
{
    const std::pair<std::string, std::string> lines[] = {
        {"N10 G01 X1.", "G01 X1."},
        {"  /  N0020  G00", "/G00"},
        {"N10.5 X1", ".5 X1"},
        {"G01 N10", "G01 N10"},
        {"   G01", "   G01"},  // no number: the blanks stay
        {"/ G01", "/ G01"},
        {"N10", ""},
        {"/N10", "/"},
        {"\tN10\tX1", "X1"},
        {"N X1", "X1"},
        {"n10 X", "n10 X"},
        {blanks(33) + "N10", blanks(33) + "N10"},
        {"%", "%"},
    };
    std::string before;
    std::string after;
    for (const auto& [line, removed] : lines) {
        before += (before.empty() ? "" : "|") + line;
        after += (after.empty() ? "" : "|") + removed;
    }
    load(programBytes(before));
    removeNumbers();
    EXPECT_EQ(test::joined(doc), after);
    EXPECT_EQ(doc.undoDepth(), 1u);
    doc.Undo();
    EXPECT_EQ(test::joined(doc), before);
}

}  // namespace
}  // namespace quillon
