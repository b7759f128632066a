#include "editor/Compare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "editor/DocTestSupport.h"
#include "editor/NcLines.h"

namespace quillon {
namespace {

TEST(CompareHash, Lookup3PublishedValues)
{
    // The self-test values printed by lookup3.c's driver.
    struct Case {
        const char* key;
        std::size_t length;
        std::uint32_t initval;
        std::uint32_t hash;
    };
    const Case cases[] = {
        {"", 0, 0, 0xdeadbeef},
        {"", 0, 0xdeadbeef, 0xbd5b7dde},
        {"Four score and seven years ago", 30, 0, 0x17770551},
        {"Four score and seven years ago", 30, 1, 0xcd628161},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hashLittle(c.key, c.length, c.initval), c.hash) << c.key << " " << c.initval;
    // A line: seed 13, and the empty line is 0 without hashing.
    const std::string line = "G01X1.0Y2.0Z3.0F200";
    EXPECT_EQ(lineHash(line), hashLittle(line.data(), line.size(), 13));
    EXPECT_EQ(lineHash(""), 0u);
}

TEST(CompareNormalize, LinesThatAreEqualOrNot)
{
    struct Case {
        const char* scenario;
        CompareMode mode;
        std::string first;
        std::string second;
        bool equal;
    };
    using M = CompareMode;
    const Case cases[] = {
        {"raw: blanks do not count", M::Raw, "G01 X1.0", "G01X1.0", true},
        {"raw: tabs and LF do not count", M::Raw, "\tG01 X1.0\n", "G01X1.0", true},
        {"raw: numbers are text", M::Raw, "G01 X1.0", "G01 X1.", false},
        {"raw: a lone CR is text", M::Raw, "G01\r", "G01", false},
        {"smart: number, comment, order, value", M::Smart, "N10 G01 X1. Y2. (START)",
         "N20 Y2.000 X1 G1", true},
        {"smart: skipped block", M::Smart, "/N5 M08", "M08", false},
        {"smart: skipped blocks alike", M::Smart, "/N5 M08", "/M8", true},
        {"smart: open comment runs to the end", M::Smart, "G1 X1 (A) Y2 (B", "Y2 X1 G1", true},
        {"smart: N later in the block is a word", M::Smart, "G1 N10", "G1", false},
        {"smart: lower case is dropped", M::Smart, "G1 X1 y5", "G1 X1", true},
        {"smart: a plus sign is read", M::Smart, "X+5", "X5", true},
        {"smart: an exponent is read", M::Smart, "X1E2", "E2 X100", true},
        {"smart: blanks go before values are read", M::Smart, "X100 E2", "E2 X10000", true},
        {"smart: minus zero is zero", M::Smart, "X-0", "X0", true},
        {"smart: variables keep their order", M::Smart, "#1=2 #2=1", "#2=1 #1=2", false},
        {"smart: an empty comment line is empty", M::Smart, "N10 (TOOL 1)", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(normalizeLine(c.first, c.mode) == normalizeLine(c.second, c.mode), c.equal)
            << c.scenario << ": " << normalizeLine(c.first, c.mode) << " / "
            << normalizeLine(c.second, c.mode);
    }
}

TEST(CompareNormalize, SmartTexts)
{
    struct Case {
        const char* scenario;
        std::string line;
        std::string normalized;
    };
    const Case cases[] = {
        {"words from Z down to A", "N10 G01 X1. Y2. F200 (START)",
         "Y2.0000X1.0000G1.0000F200.0000"},
        {"skipped block keeps its slash", "/N5 M08", "/M8.0000"},
        {"variable: blanks, number, comment out", "N10 #100 = 1.5 (SET)", "#100=1.5"},
        {"condition keeps its text", "IF[#1GT0]GOTO10", "IF[#1GT0]GOTO10"},
        {"condition loses block number and slash", "/N20 IF [#1 GT 0] GOTO 10 (LOOP)",
         "IF[#1GT0]GOTO10"},
        {"THEN and ELSE keep the text too", "M98 P100 ELSE", "M98P100ELSE"},
        {"a letter without number is 0", "G1 X", "X0.0000G1.0000"},
        {"a second sign stays behind as text", "X+-5", "X0.0000"},
        {"minus signs go with the number", "X1-2 Y3", "Y3.0000X1.0000"},
        {"N with a fraction leaves the rest", "N10.5 G1", "G1.0000"},
        // Z goes first, so what follows it joins the X before it: X reads "+3".
        {"a removed word joins its neighbours", "X Z5 +3", "Z5.0000X3.0000"},
        {"hexadecimal is not a value", "G0x10", "G0.0000"},
        {"overflow is capped", "X1e999", "X1797693134862315"},
        {"underflow is zero", "X-1e-999", "X0.0000"},
        {"an upper-case exponent is a word too", "X-1E-999", "X0.0000E-999.0000"},
        {"nothing left", "(ONLY A COMMENT)", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normalizeLine(c.line, CompareMode::Smart), c.normalized) << c.scenario;
}

// A value a hair below a round number (0.999995 is stored as 0.99999499...) is nudged away
// from zero before it is rounded, so it reads as written; a negative one must be nudged
// away from zero too, or -0.999995 and -1. would differ where their positive twins do not.
TEST(CompareNormalize, NegativeValuesRoundAsTheirPositiveTwins)
{
    struct Case {
        const char* scenario;
        std::string first;
        std::string second;
        bool equal;
    };
    const Case cases[] = {
        {"positive, a hair below one", "X0.999995", "X1.", true},
        {"negative, a hair below one", "X-0.999995", "X-1.", true},
        {"positive, fifth decimal dropped", "X2.00004", "X2.", true},
        {"negative, fifth decimal dropped", "X-2.00004", "X-2.", true},
        {"positive, just short of the step", "X0.99994", "X1.", false},
        {"negative, just short of the step", "X-0.99994", "X-1.", false},
        {"the sign counts", "X-0.999995", "X1.", false},
    };
    for (const Case& c : cases) {
        const std::string first = normalizeLine(c.first, CompareMode::Smart);
        const std::string second = normalizeLine(c.second, CompareMode::Smart);
        EXPECT_EQ(first == second, c.equal) << c.scenario << ": " << first << " / " << second;
    }
    EXPECT_EQ(normalizeLine("X-0.999995", CompareMode::Smart), "X-1.0000");
    EXPECT_EQ(normalizeLine("X-1.23456", CompareMode::Smart), "X-1.2345");
}

TEST(CompareNormalize, AtMostAHundredValuesPerLetter)
{
    // X100 down to X1, then X0: only the first hundred are taken, sorted.
    std::string line;
    std::string expected;
    for (int value = 100; value >= 1; --value)
        line += "X" + std::to_string(value) + " ";
    for (int value = 1; value <= 100; ++value)
        expected += "X" + std::to_string(value) + ".0000";
    EXPECT_EQ(normalizeLine(line + "X0", CompareMode::Smart), expected);
}

TEST(CompareNormalize, CanonicalNumbers)
{
    struct Case {
        const char* scenario;
        double value;
        const char* text;
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"one", 1, "1.0000"},
        {"fifth decimal dropped", 1.00001, "1.0000"},
        {"below one", 0.5, "0.5000"},
        {"zero", 0, "0.0000"},
        {"minus zero", -0.0, "0.0000"},
        {"negative", -2.5, "-2.5000"},
        {"tiny negative keeps its sign", -0.00001, "-0.0000"},
        {"cut after the fourth decimal", 1.99995, "1.9999"},
        {"rounded at the fifth first", 1.999996, "2.0000"},
        // Stored as 0.99999499999..., nudged it rounds as written.
        {"rounded as written", 0.999995, "1.0000"},
        {"sixteen characters at most", 123456789012.5, "123456789012.500"},
        {"sixteen with the sign", -123456789012.5, "-123456789012.50"},
        {"huge", 1e20, "1000000000000000"},
        {"huge negative", -1e20, "-100000000000000"},
        {"infinity capped", infinity, "1797693134862315"},
        {"minus infinity capped", -infinity, "-179769313486231"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(canonicalNumber(c.value), c.text) << c.scenario;
}

TEST(CompareHash, FileBytesHashedAsTheEditorsLines)
{
    // Files cut and hashed in one go must give what each line cut by the editor's rules
    // and hashed alone gives: CR LF, lone CRs, blanks, lines across blocks, a line longer
    // than the reading buffer, and big files read in parts.
    std::mt19937 random(3);
    const char alphabet[] = {' ', '\t', '\r', '\n', 'X', '1', '.', 'G'};
    std::vector<std::string> files;
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 120, ' ');
        for (auto& c : bytes)
            c = alphabet[random() % sizeof alphabet];
        files.push_back(bytes);
    }
    files.push_back(std::string(100000, 'X') + "\r\n\r" + std::string(70000, ' ') + "Y\n");
    std::string big;
    while (big.size() < 10'000'000)
        big += "N" + std::to_string(big.size()) + " G1 X1.5 Y-2.\r\n";
    files.push_back(big);
    for (const CompareMode mode : {CompareMode::Raw, CompareMode::Smart}) {
        for (const auto& bytes : files) {
            std::vector<std::uint32_t> expected;
            for (const auto& line : splitNcLines(bytes))
                expected.push_back(lineHash(normalizeLine(line, mode)));
            ASSERT_TRUE(lineHashes(bytes, mode) == expected) << testing::PrintToString(bytes);
        }
    }
}

// ---- The difference ---------------------------------------------------------------------

// One line per character: the same character, the same line.
std::vector<std::uint32_t> hashesOf(std::string_view lines)
{
    std::vector<std::uint32_t> hashes;
    for (const char c : lines)
        hashes.push_back(lineHash(std::string(1, c)));
    return hashes;
}

std::string marksText(const std::vector<std::uint8_t>& marks)
{
    std::string text;
    for (const auto mark : marks)
        text += mark == CompareMark::Same ? '.' : mark == CompareMark::Changed ? '?' : '+';
    return text;
}

TEST(CompareDiff, MarksOfBothFiles)
{
    struct Case {
        const char* scenario;
        std::string_view first;
        std::string_view second;
        const char* marks1;
        const char* marks2;
    };
    const Case cases[] = {
        {"identical", "abcde", "abcde", ".....", "....."},
        {"one line inserted", "abcd", "abXcd", "....", "..+.."},
        {"one line deleted", "abcde", "abde", "..+..", "...."},
        {"first line deleted", "abc", "bc", "+..", ".."},
        {"last line inserted", "ab", "abc", "..", "..+"},
        {"one line changed", "abcde", "abXde", "..?..", "..?.."},
        {"two changed for four", "abcf", "aWXYZf", ".??.", ".??++."},
        {"three changed for one", "aBCDe", "aXe", ".?++.", ".?."},
        {"everything changed", "abc", "xyz", "???", "???"},
        {"two places", "abcdefg", "abXdeYZg", "..?..?.", "..?..?+."},
        {"empty against lines", "", "ab", "", "++"},
        // Before tidying the diff pairs a with the first b. Moved down past the equal b's,
        // the mark of file 2 lands on its last line, and the walk finds a line only in
        // file 1 and, after the common b b, one only in file 2.
        {"tidied run moves down", "abb", "bbb", "+..", "..+"},
        {"tidied in one file only", "ab", "bb", "+.", ".+"},
    };
    for (const auto& c : cases) {
        const CompareResult result = compareHashes(hashesOf(c.first), hashesOf(c.second));
        EXPECT_EQ(marksText(result.first), c.marks1) << c.scenario;
        EXPECT_EQ(marksText(result.second), c.marks2) << c.scenario;
        const std::string all = std::string(c.marks1) + c.marks2;
        EXPECT_EQ(result.same(), all.find_first_not_of('.') == std::string::npos) << c.scenario;
    }
}

std::size_t lcsLength(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    std::vector<std::vector<std::size_t>> table(a.size() + 1,
                                                std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j)
            table[i][j] = a[i - 1] == b[j - 1] ? table[i - 1][j - 1] + 1
                                               : std::max(table[i - 1][j], table[i][j - 1]);
    }
    return table[a.size()][b.size()];
}

std::vector<std::uint32_t> unmarkedLines(const std::vector<std::uint32_t>& hashes,
                                         const std::vector<std::uint8_t>& marks)
{
    std::vector<std::uint32_t> kept;
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        if (marks[i] == CompareMark::Same)
            kept.push_back(hashes[i]);
    }
    return kept;
}

TEST(CompareDiff, RandomEditsKeepALongestCommonSubsequence)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 1000; ++round) {
        // Few distinct lines make many equal candidates, the hard case for the search.
        const std::uint32_t alphabet = 2 + random() % 6;
        std::vector<std::uint32_t> first(random() % 60);
        for (auto& line : first)
            line = 1 + random() % alphabet;
        std::vector<std::uint32_t> second = first;
        for (int edits = static_cast<int>(random() % 12); edits > 0; --edits) {
            const std::size_t at = second.empty() ? 0 : random() % (second.size() + 1);
            switch (random() % 3) {
            case 0:
                second.insert(second.begin() + static_cast<std::ptrdiff_t>(at),
                              1 + random() % alphabet);
                break;
            case 1:
                if (at < second.size())
                    second.erase(second.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            default:
                if (at < second.size())
                    second[at] = 1 + random() % alphabet;
            }
        }
        const CompareResult result = compareHashes(first, second);
        const auto kept1 = unmarkedLines(first, result.first);
        const auto kept2 = unmarkedLines(second, result.second);
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(kept1.size(), lcsLength(first, second));
        EXPECT_EQ(kept1, kept2);
        const auto changed = [](const std::vector<std::uint8_t>& marks) {
            return std::count(marks.begin(), marks.end(), CompareMark::Changed);
        };
        EXPECT_EQ(changed(result.first), changed(result.second));
    }
}

TEST(CompareDiff, ScatteredEditsInALongFile)
{
    // 200 000 distinct lines, edits at least two lines apart: each is found as itself.
    constexpr std::uint32_t kLines = 200000;
    std::mt19937 random(7);
    std::vector<std::uint32_t> first(kLines);
    std::vector<std::uint8_t> marks1(kLines, CompareMark::Same);
    std::vector<std::uint32_t> second;
    std::vector<std::uint8_t> marks2;
    auto add = [&](std::uint32_t line, std::uint8_t mark) {
        second.push_back(line);
        marks2.push_back(mark);
    };
    int edits = 0;
    for (std::uint32_t i = 0; i < kLines; ++i) {
        first[i] = i;
        const bool edit = i % 3 == 1 && random() % 100 == 0;
        edits += edit ? 1 : 0;
        switch (edit ? random() % 3 : 3) {
        case 0:  // inserted before
            add(kLines + i, CompareMark::OnlyHere);
            add(i, CompareMark::Same);
            break;
        case 1:  // deleted
            marks1[i] = CompareMark::OnlyHere;
            break;
        case 2:  // changed
            marks1[i] = CompareMark::Changed;
            add(kLines + i, CompareMark::Changed);
            break;
        default:
            add(i, CompareMark::Same);
        }
    }
    const CompareResult result = compareHashes(first, second);
    EXPECT_GT(edits, 500);
    EXPECT_TRUE(result.first == marks1);
    EXPECT_TRUE(result.second == marks2);
}

// ---- Documents ----------------------------------------------------------------------------

std::string documentMarks(const CLiDoc& doc)
{
    std::string text;
    for (std::size_t i = 0; i < doc.lineCount(); ++i) {
        const EditLine line = doc.line(i);
        const bool changed = line.hasFlag(LineFlag::CompareChanged);
        const bool onlyHere = line.hasFlag(LineFlag::CompareOnlyHere);
        text += changed && onlyHere ? '!' : changed ? '?' : onlyHere ? '+' : '.';
    }
    return text;
}

TEST(CompareDocuments, MarksClearsAndMarksAgain)
{
    test::TempWorkDir dir;
    CLiDoc first;
    CLiDoc second;
    test::openBytes(first, dir, "N10 G0 X0\r\nN20 G1 X1.\r\nN30 M30\r\n", "A.NC");
    test::openBytes(second, dir, "N10 G0 X0\nN20 G1 X2.\nN30 M5\nN40 M30\n", "B.NC");
    first.SetBookmark(1);

    EXPECT_FALSE(compareDocuments(first, second, CompareMode::Raw));
    EXPECT_EQ(documentMarks(first), ".??.");
    EXPECT_EQ(documentMarks(second), ".??+.");

    // Smart: block numbers do not count, so the two M30 blocks are the same.
    EXPECT_FALSE(compareDocuments(first, second, CompareMode::Smart));
    EXPECT_EQ(documentMarks(first), ".?..");
    EXPECT_EQ(documentMarks(second), ".?+..");

    removeCompareMarks(second);
    EXPECT_EQ(documentMarks(second), ".....");
    EXPECT_EQ(documentMarks(first), ".?..");

    // The same text again: the old marks go and nothing is marked.
    second.DeleteBlock(1, 0, 4, 0);
    second.InsertBlock(1, 0, {"N20 G1 X1.", "N30 M30", ""});
    EXPECT_TRUE(compareDocuments(first, second, CompareMode::Raw));
    EXPECT_EQ(documentMarks(first), "....");
    EXPECT_EQ(documentMarks(second), "....");
    // Other marks stay, and marking is no change of the text.
    EXPECT_TRUE(first.line(1).hasFlag(LineFlag::Bookmark));
    EXPECT_FALSE(first.isModified());
}

}  // namespace
}  // namespace quillon
