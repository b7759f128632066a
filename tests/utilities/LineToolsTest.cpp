#include "utilities/LineTools.h"

#include <gtest/gtest.h>

#include "editor/CLiDoc.h"
#include "editor/DocTestSupport.h"
#include "editor/EditCommands.h"

namespace quillon {
namespace {

using Operation = ModifySettings::Operation;
using Decimals = ModifySettings::Decimals;

struct LineCase {
    const char* scenario;
    std::string before;
    std::string after;
};

TEST(CompressLine, RemovesBlanksOutsideComments)
{
    const LineCase cases[] = {
        {"the example", "N10 G01  X1. (ROUGH CUT) ", "N10G01X1.(ROUGH CUT)"},
        {"tabs are blanks", "G01\tX1.\t \tY2.", "G01X1.Y2."},
        {"only blanks", "  \t  ", ""},
        {"empty", "", ""},
        {"a ) without ( is stepped over", "G01 ) X1 ", "G01)X1"},
        {"a comment runs to the line end", "G01 (NO CLOSE  X1", "G01(NO CLOSE  X1"},
        {"a second ( inside opens nothing", "(A (B) C) D", "(A (B)C)D"},
        {"blanks between comments go", "(A B) G1 (C D) X1", "(A B)G1(C D)X1"},
        {"already compressed", "N10G01X1.", "N10G01X1."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compressLine(c.before), c.after) << c.scenario;
}

TEST(ExpandLine, PutsABlankBeforeWordsAndComments)
{
    const LineCase cases[] = {
        {"the example", "N10G01X1.Y2.", "N10 G01 X1. Y2."},
        {"after a slash", "/N10G01", "/N10 G01"},
        {"around a comment", "G01(AB)X1", "G01 (AB) X1"},
        {"already expanded", "N10 G01 X1. Y2. (AB) X1", "N10 G01 X1. Y2. (AB) X1"},
        {"lower case", "n10g01x1.", "n10g01x1."},
        {"a tab is no blank", "G01\tX1", "G01\t X1"},
        {"letters in a comment", "G1(A B/C)", "G1 (A B/C)"},
        {"an unclosed comment", "G1(AB X1", "G1 (AB X1"},
        {"a ( inside a comment", "(A(B)C", "(A(B) C"},
        {"the first character", "X1", "X1"},
        {"a slash in the line", "N1/M1", "N1/M1"},
        {"after a number", "X-1.Y2", "X-1. Y2"},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandLine(c.before), c.after) << c.scenario;
}

TEST(ModifiedValueText, RoundsToOneDigitMoreAndDropsIt)
{
    struct Case {
        const char* scenario;
        double value;
        Decimals decimals;
        const char* text;
    };
    const Case cases[] = {
        {"trailing zeros", 11.0, Decimals::Four, "11.0000"},
        {"below 1", 0.75, Decimals::Four, "0.7500"},
        {"negative below 1", -0.75, Decimals::Four, "-0.7500"},
        {"leading zeros of the decimals", 0.00123, Decimals::Four, "0.0012"},
        {"the fifth decimal is dropped", 1.23456, Decimals::Four, "1.2345"},
        {"rounded to 1.2346, written 1.234", 1.23456, Decimals::Three, "1.234"},
        {"the nudge carries into the integer", 0.999995, Decimals::Four, "1.0000"},
        {"zero", 0.0, Decimals::Four, "0.0000"},
        {"three decimals of a negative", -12345.6, Decimals::Three, "-12345.600"},
        {"no point", 10.4, Decimals::None, "10"},
        {"a half is rounded up", 10.5, Decimals::None, "11"},
        {"a negative half is rounded down", -10.5, Decimals::None, "-11"},
        {"rounds to zero", 0.4, Decimals::None, "0"},
        {"rounds to zero from below, unsigned", -0.4, Decimals::None, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modifiedValueText(c.value, c.decimals), c.text) << c.scenario;
}

ModifySettings modify(const char* address, Operation operation, double value,
                      Decimals decimals = Decimals::Four, const char* exclude = "")
{
    ModifySettings settings;
    settings.address = address;
    settings.operation = operation;
    settings.value = value;
    settings.decimals = decimals;
    settings.exclude = exclude;
    return settings;
}

TEST(ModifyLine, RewritesTheNumbersAfterTheAddress)
{
    struct Case {
        const char* scenario;
        ModifySettings settings;
        std::string before;
        std::string after;
    };
    const ModifySettings addOne = modify("X", Operation::Add, 1);
    const Case cases[] = {
        {"add", addOne, "X10.", "X11.0000"},
        {"add to a negative", addOne, "X-0.25", "X0.7500"},
        {"multiply", modify("X", Operation::Multiply, 2), "X.5", "X1.0000"},
        {"no decimal point", modify("X", Operation::Add, 0.4, Decimals::None), "X10", "X10"},
        {"three decimals", modify("X", Operation::Add, 0, Decimals::Three), "X1.23456", "X1.234"},
        {"divide", modify("X", Operation::Divide, 4), "G1 X10. Y1.", "G1 X2.5000 Y1."},
        {"divide by nothing", modify("X", Operation::Divide, 0), "X10.", "X10."},
        {"divide by a negative", modify("X", Operation::Divide, -2), "X10.", "X10."},
        {"other words and comments", addOne, "G01 Y10. (X10)", "G01 Y10. (X10)"},
        {"comment first, word after", addOne, "(X1) X1", "(X1) X2.0000"},
        {"every word", modify("Z", Operation::Add, 1), "Z1. Z-2.", "Z2.0000 Z-1.0000"},
        {"an address without a number", addOne, "G01 X", "G01 X1.0000"},
        {"a word right after a word", addOne, "XY5", "X1.0000Y5"},
        {"a word right after the number", addOne, "X1.X2.", "X2.0000X2."},
        {"one character between", addOne, "X1. X2.", "X2.0000 X3.0000"},
        {"a plus sign", addOne, "X+5", "X6.0000"},
        {"an address of two letters", modify("CR", Operation::Multiply, 2), "R1. CR1.5",
         "R1. CR3.0000"},
        {"lower case is another address", addOne, "x5", "x5"},
        {"a lower case address", modify("x", Operation::Add, 1), "x5 X5", "x6.0000 X5"},
        {"excluded", modify("X", Operation::Add, 1, Decimals::Four, "G00"), "G00 X1.", "G00 X1."},
        {"not excluded", modify("X", Operation::Add, 1, Decimals::Four, "G00"), "G01 X1.",
         "G01 X2.0000"},
        {"an empty address", modify("", Operation::Add, 1), "X1 Y2", "X1 Y2"},
        {"read from 14 characters", modify("X", Operation::Add, 0), "X123456789012345",
         "X12345678901234.0000"},
        {"a result too long to write", modify("X", Operation::Add, 1000000), "X99999999999999 Y1",
         "X99999999999999 Y1"},
        {"the 33rd number character stays", modify("X", Operation::Multiply, 0),
         "X" + std::string(33, '0'), "X0.00000"},
        {"rounds to zero", modify("X", Operation::Add, 0, Decimals::None), "X-0.3", "X0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modifyLine(c.before, c.settings), c.after) << c.scenario;
}

TEST(RotateLine, ReplacesEachCharacterOnce)
{
    struct Case {
        const char* scenario;
        RotateSettings settings;
        std::string before;
        std::string after;
    };
    const RotateSettings standard;
    const Case cases[] = {
        {"no chaining", standard, "X1.Y2.Z3.", "Y1.Z2.X3."},
        {"comments", standard, "X1.(X AXIS)Y2.", "Y1.(X AXIS)Z2."},
        {"lower case", standard, "x1.y2.", "x1.y2."},
        {"an empty To", {{'X', 'Y', 'Z'}, {0, 'Z', 'X'}}, "X1Y2Z3", "X1Z2X3"},
        {"one of two rows without To", {{'X', 'X', 0}, {'Y', 0, 0}}, "X1", "X1"},
        {"the first row wins", {{'X', 'X', 0}, {'A', 'B', 0}}, "X1", "A1"},
        {"an empty From", {{0, 'Y', 0}, {'Q', 'Z', 0}}, "X1Y2", "X1Z2"},
        {"any character", {{'1', 'y', 0}, {'2', 'Y', 0}}, "X1y1", "X2Y2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rotateLine(c.before, c.settings), c.after) << c.scenario;
}

// Modify and Rotate see a comment by looking ahead: an occurrence with a ")" after it before
// any "(" lies in one, whether it opened on this line or on an earlier one; a "(" that is
// never closed opens none.
TEST(ModifyAndRotate, PassOverWhatAClosingParenthesisFollows)
{
    struct Case {
        const char* scenario;
        std::string line;
        std::string modified;  // Address X, Add 1
        std::string rotated;   // X to Y, Y to Z, Z to X
    };
    const Case cases[] = {
        {"a closed comment", "G01 Y10. (X10)", "G01 Y10. (X10)", "G01 Z10. (X10)"},
        {"the end of a comment from an earlier line", "X10) G01 X1", "X10) G01 X2.0000",
         "X10) G01 Y1"},
        {"a comment that never closes", "(ABC X10", "(ABC X11.0000", "(ABC Y10"},
        {"an unclosed comment after a word", "X1 (X", "X2.0000 (X1.0000", "Y1 (Y"},
        {"a word after a closed comment", "(A)X1", "(A)X2.0000", "(A)Y1"},
        {"a word before a comment", "X1 (B)", "X2.0000 (B)", "Y1 (B)"},
        {"a second ( inside a comment", "(A (X1) X2", "(A (X1) X3.0000", "(A (X1) Y2"},
        {"in, out, in and out again", "X1 ( X2 ) X3 (Z", "X2.0000 ( X2 ) X4.0000 (Z",
         "Y1 ( X2 ) Y3 (X"},
        {"a stray ) ends a comment that was never opened here", "Z1 X2 ) Y3", "Z1 X2 ) Y3",
         "Z1 X2 ) Z3"},
    };
    ModifySettings addOne;
    addOne.address = "X";
    addOne.value = 1;
    for (const Case& c : cases) {
        EXPECT_EQ(modifyLine(c.line, addOne), c.modified) << c.scenario;
        EXPECT_EQ(rotateLine(c.line, RotateSettings{}), c.rotated) << c.scenario;
    }
    // The test is made for each occurrence in the line as Modify has rewritten it so far.
    ModifySettings longer = addOne;
    longer.value = 1000000;
    EXPECT_EQ(modifyLine("X1 X2 (X3) X4 (X5", longer),
              "X1000001.0000 X1000002.0000 (X3) X1000004.0000 (X1000005.0000");
}

class LineToolsTest : public ::testing::Test {
protected:
    void load(const std::string& bytes) { test::openBytes(doc, dir, bytes); }
    std::size_t lastLine() const { return doc.lineCount() - 1; }

    test::TempWorkDir dir;
    CLiDoc doc;
};

TEST_F(LineToolsTest, ExpandSetsAndCompressClearsTheFlagOnlyWhenALineChanges)
{
    load("N10 G01 X1.\n(A B)");
    {
        UtilityEdit edit(doc, true);
        expandLines(doc, edit, 0, lastLine());
    }
    EXPECT_FALSE(doc.expanded());  // expanded already
    EXPECT_FALSE(doc.isModified());

    {
        UtilityEdit edit(doc, true);
        compressLines(doc, edit, 0, lastLine());
    }
    EXPECT_EQ(test::joined(doc), "N10G01X1.|(A B)");
    {
        UtilityEdit edit(doc, true);
        expandLines(doc, edit, 0, lastLine());
    }
    EXPECT_EQ(test::joined(doc), "N10 G01 X1.|(A B)");
    EXPECT_TRUE(doc.expanded());
    {
        UtilityEdit edit(doc, true);
        expandLines(doc, edit, 0, lastLine());
    }
    EXPECT_TRUE(doc.expanded());

    load("N10G01");
    doc.setExpanded(true);
    {
        UtilityEdit edit(doc, true);
        compressLines(doc, edit, 0, lastLine());
    }
    EXPECT_TRUE(doc.expanded());  // nothing to compress
    {
        UtilityEdit edit(doc, true);
        expandLines(doc, edit, 0, lastLine());
        compressLines(doc, edit, 0, lastLine());
    }
    EXPECT_FALSE(doc.expanded());
}

TEST_F(LineToolsTest, CommandsChangeOnlyTheirRangeAndLeaveLongLines)
{
    const std::string longLine = "X1" + std::string(UtilityEdit::kLineLimit, ' ');
    load("X1 Y1\nX2 Y2\nX3 Y3\n" + longLine);
    {
        UtilityEdit edit(doc, true);
        rotateLines(doc, edit, 1, 99, RotateSettings{});
        modifyLines(doc, edit, 0, 1, modify("Y", Operation::Add, 1));
        compressLines(doc, edit, 2, 3);
    }
    EXPECT_EQ(doc.lineText(0), "X1 Y2.0000");
    EXPECT_EQ(doc.lineText(1), "Y3.0000 Z2");
    EXPECT_EQ(doc.lineText(2), "Y3Z3");
    EXPECT_EQ(doc.lineText(3), longLine);
}

TEST_F(LineToolsTest, OneUndoRestoresTheRunAndWithoutUndoNothingIsKept)
{
    const std::string before = "N10 G01 X1. Y2.|N20 X-3. (X4)|N30 M30";
    for (const bool undo : {true, false}) {
        load("N10 G01 X1. Y2.\nN20 X-3. (X4)\nN30 M30");
        {
            UtilityEdit edit(doc, undo);
            modifyLines(doc, edit, 0, lastLine(), modify("X", Operation::Multiply, 2));
            rotateLines(doc, edit, 0, lastLine(), RotateSettings{});
            compressLines(doc, edit, 0, lastLine());
        }
        EXPECT_EQ(test::joined(doc), "N10G01Y2.0000Z2.|N20Y-6.0000(X4)|N30M30");
        EXPECT_TRUE(doc.isModified());
        if (undo) {
            EXPECT_EQ(doc.undoDepth(), 1u);
            doc.Undo();
            EXPECT_EQ(test::joined(doc), before);
            EXPECT_FALSE(doc.isModified());
        } else {
            EXPECT_FALSE(doc.CanUndo());
            EXPECT_FALSE(doc.CanRedo());
        }
    }
}

TEST_F(LineToolsTest, MinMaxReportsTheExtremesAsWritten)
{
    struct Case {
        const char* scenario;
        std::string program;
        const char* text;
    };
    const Case cases[] = {
        {"absolute", "G90 X1. Y2. Z0\nX-3.5 Y10.\nX5 Y2 Z-1.",
         "Xmin = -3.5    Xmax = 5\nYmin = 2.    Ymax = 10.\nZmin = -1.    Zmax = 0"},
        {"no Z", "X1 Y1",
         "Xmin = 1    Xmax = 1\nYmin = 1    Ymax = 1\nZmin = NOT FOUND    Zmax = NOT FOUND"},
        {"ties keep the first", "X2\nX2.0\nX1.0\nX1",
         "Xmin = 1.0    Xmax = 2\nYmin = NOT FOUND    Ymax = NOT FOUND\n"
         "Zmin = NOT FOUND    Zmax = NOT FOUND"},
        {"incremental records the increment", "G91 X1.\nX2.\nX-0.5",
         "Xmin = 1.    Xmax = 2.\nYmin = NOT FOUND    Ymax = NOT FOUND\n"
         "Zmin = NOT FOUND    Zmax = NOT FOUND"},
        {"back to absolute", "G90 X10.\nG91 X-15.\nG90X3.",
         "Xmin = -15.    Xmax = 10.\nYmin = NOT FOUND    Ymax = NOT FOUND\n"
         "Zmin = NOT FOUND    Zmax = NOT FOUND"},
        {"other G numbers", "G91 G01 X1.\nG90.1 X2.\nX-0.5",
         "Xmin = 1.    Xmax = 2.\nYmin = NOT FOUND    Ymax = NOT FOUND\n"
         "Zmin = NOT FOUND    Zmax = NOT FOUND"},
        {"comments and lower case", "(X-100) X5 x-50\nY1 (UNCLOSED Y-200",
         "Xmin = 5    Xmax = 5\nYmin = 1    Ymax = 1\nZmin = NOT FOUND    Zmax = NOT FOUND"},
        {"letters without a number", "X\nZ.\nY+2",
         "Xmin = NOT FOUND    Xmax = NOT FOUND\nYmin = +2    Ymax = +2\n"
         "Zmin = NOT FOUND    Zmax = NOT FOUND"},
        {"nothing at all", "G00\n%",
         "Xmin = NOT FOUND    Xmax = NOT FOUND\nYmin = NOT FOUND    Ymax = NOT FOUND\n"
         "Zmin = NOT FOUND    Zmax = NOT FOUND"},
    };
    for (const auto& c : cases) {
        load(c.program);
        EXPECT_EQ(minMaxText(doc, 0, lastLine()), c.text) << c.scenario;
    }
}

TEST_F(LineToolsTest, MinMaxStartsAbsoluteAtTheFirstLineOfItsRange)
{
    // Read incrementally, X1. would be the maximum (3).
    load("G91\nX2.\nX1.\nX-50.");
    EXPECT_EQ(minMaxText(doc, 1, 2),
              "Xmin = 1.    Xmax = 2.\nYmin = NOT FOUND    Ymax = NOT FOUND\n"
              "Zmin = NOT FOUND    Zmax = NOT FOUND");
    EXPECT_EQ(doc.undoDepth(), 0u);
    EXPECT_FALSE(doc.isModified());
}

TEST_F(LineToolsTest, AnEmptyProgramIsLeftAloneAndHasNoMinMax)
{
    load("");
    {
        UtilityEdit edit(doc, true);
        expandLines(doc, edit, 0, lastLine());
        compressLines(doc, edit, 0, lastLine());
        modifyLines(doc, edit, 0, lastLine(), modify("X", Operation::Add, 1));
        rotateLines(doc, edit, 0, lastLine(), RotateSettings{});
        EXPECT_EQ(edit.changedLines(), 0u);
    }
    EXPECT_EQ(test::joined(doc), "");
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.expanded());
    EXPECT_EQ(minMaxText(doc, 0, lastLine()), "");
}

}  // namespace
}  // namespace quillon
