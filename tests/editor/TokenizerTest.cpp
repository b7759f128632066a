#include "editor/Tokenizer.h"

#include <gtest/gtest.h>

#include "editor/EditLine.h"
#include "editor/EditorColors.h"

namespace quillon {
namespace {

struct Expected {
    TokenKind kind;
    std::string text;
    ColorRole color;
};

// The tokens of a line with their texts and colours.
std::vector<Expected> colouredTokens(std::string_view line)
{
    std::vector<Expected> result;
    CommentState state;
    for (const auto& token : Tokenize(line).tokens)
        result.push_back({token.kind, std::string(line.substr(token.start, token.length)),
                          state.colorOf(token.kind)});
    return result;
}

void expectTokens(std::string_view line, const std::vector<Expected>& expected)
{
    const auto actual = colouredTokens(line);
    ASSERT_EQ(actual.size(), expected.size()) << line;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].kind, expected[i].kind) << line << " token " << i;
        EXPECT_EQ(actual[i].text, expected[i].text) << line << " token " << i;
        EXPECT_EQ(actual[i].color, expected[i].color) << line << " token " << i;
    }
}

using K = TokenKind;
using C = ColorRole;

TEST(Tokenizer, AddressWordsAndAComment)
{
    expectTokens("N10G01X-1.5Y.25(ROUGH)", {{K::BlockNumber, "N10", C::BlockNumber},
                                            {K::GCode, "G01", C::GCode},
                                            {K::XI, "X-1.5", C::XI},
                                            {K::YJ, "Y.25", C::YJ},
                                            {K::OpenComment, "(", C::Comment},
                                            {K::Other, "R", C::Comment},
                                            {K::Other, "O", C::Comment},
                                            {K::Other, "U", C::Comment},
                                            {K::Letter, "G", C::Comment},
                                            {K::Other, "H", C::Comment},
                                            {K::CloseComment, ")", C::Comment},
                                            {K::EndOfLine, "", C::Foreground}});
}

TEST(Tokenizer, LettersWithoutNumbersAndOtherWords)
{
    expectTokens("G0 X", {{K::GCode, "G0", C::GCode},
                          {K::Spaces, " ", C::Foreground},
                          {K::Letter, "X", C::Foreground},
                          {K::EndOfLine, "", C::Foreground}});
    expectTokens("S1000", {{K::Other, "S", C::Foreground},
                           {K::Other, "1", C::Foreground},
                           {K::Other, "0", C::Foreground},
                           {K::Other, "0", C::Foreground},
                           {K::Other, "0", C::Foreground},
                           {K::EndOfLine, "", C::Foreground}});
    expectTokens("g01", {{K::Other, "g", C::Foreground},
                         {K::Other, "0", C::Foreground},
                         {K::Other, "1", C::Foreground},
                         {K::EndOfLine, "", C::Foreground}});
    // The number runs over points and digits only; a second sign ends it.
    expectTokens("Z+1.2-3", {{K::ZK, "Z+1.2", C::ZK},
                             {K::Punctuation, "-", C::Foreground},
                             {K::Other, "3", C::Foreground},
                             {K::EndOfLine, "", C::Foreground}});
    expectTokens("I1J2K3M6T5F.1", {{K::XI, "I1", C::XI},
                                   {K::YJ, "J2", C::YJ},
                                   {K::ZK, "K3", C::ZK},
                                   {K::MCode, "M6", C::MCode},
                                   {K::TCode, "T5", C::TCode},
                                   {K::FCode, "F.1", C::FCode},
                                   {K::EndOfLine, "", C::Foreground}});
}

TEST(Tokenizer, BlanksTabsAndPunctuation)
{
    expectTokens("  \t%;\xe9", {{K::Spaces, "  ", C::Foreground},
                                {K::Tab, "\t", C::Foreground},
                                {K::Punctuation, "%", C::Foreground},
                                {K::Punctuation, ";", C::Foreground},
                                {K::Other, "\xe9", C::Foreground},
                                {K::EndOfLine, "", C::Foreground}});
}

TEST(Tokenizer, CommentsRunToTheNextCloseOrTheLineEnd)
{
    // Nested "(" do not count; a ")" outside a comment is foreground; ";" is not a comment.
    const auto nested = colouredTokens("((A)B)");
    std::vector<ColorRole> colors;
    for (const auto& token : nested)
        colors.push_back(token.color);
    EXPECT_EQ(colors, (std::vector<ColorRole>{C::Comment, C::Comment, C::Comment, C::Comment,
                                              C::Foreground, C::Foreground, C::Foreground}));
    const auto open = colouredTokens("G1 (OPEN X1");
    EXPECT_EQ(open[open.size() - 2].text, "X1");
    EXPECT_EQ(open[open.size() - 2].color, C::Comment);
    EXPECT_EQ(colouredTokens("; X1")[2].color, C::XI);
}

TEST(Tokenizer, ColouringStopsAtTheLimit)
{
    const std::string line(40000, 'X');
    const TokenizedLine tokens = Tokenize(line);
    EXPECT_TRUE(tokens.stoppedAtLimit);
    EXPECT_EQ(tokens.tokens.size(), kMaxColouredLine + 1);
    EXPECT_EQ(tokens.tokens.back().kind, K::EndOfLine);
    EXPECT_EQ(tokens.tokens.back().start, kMaxColouredLine);
    EXPECT_FALSE(Tokenize(std::string(kMaxColouredLine, 'X')).stoppedAtLimit);
}

TEST(LineNumberMargin, DigitsByLineCount)
{
    struct Case {
        std::size_t lines;
        std::size_t digits;
    };
    const Case cases[] = {{1, 2},   {9, 2},    {10, 3},    {99, 3},     {100, 4},
                          {999, 4}, {1000, 5}, {99999, 5}, {100000, 6}, {3500000, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(lineNumberDigits(c.lines), c.digits) << c.lines;
}

TEST(EditorColors, FileReadsOverTheDefaultsAndRoundTrips)
{
    const EditorColors defaults;
    EXPECT_EQ(defaults[EditorColor::Background], 0xECFFF1u);
    EXPECT_EQ(defaults[EditorColor::LeftMargin], 0xDFBFFFu);
    EXPECT_EQ(formatEditorColors(defaults).substr(0, 13), "1\r\n65280\r\n652");

    EditorColors short3 = parseEditorColors("0\r\n255\r\n16711680\r\n");
    EXPECT_FALSE(short3.colorsOn);
    EXPECT_EQ(short3[EditorColor::Comment], 255u);
    EXPECT_EQ(short3[EditorColor::BlockNumber], 0xFF0000u);
    EXPECT_EQ(short3[EditorColor::MCode], defaults[EditorColor::MCode]);

    EditorColors changed;
    changed[EditorColor::GCode] = colorRef(1, 2, 3);
    EXPECT_EQ(parseEditorColors(formatEditorColors(changed)), changed);
    EXPECT_EQ(changed.colorFor(C::GCode), 0x030201u);
    changed.colorsOn = false;
    EXPECT_EQ(changed.colorFor(C::GCode), changed[EditorColor::Foreground]);
    EXPECT_EQ(parseEditorColors(""), EditorColors{});
}

}  // namespace
}  // namespace quillon
