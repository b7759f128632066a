#include "app/FontSettings.h"

#include <gtest/gtest.h>

#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// The 14 lines of one font record as the file holds them.
std::string fontLines(const std::vector<std::string>& fields)
{
    return joinLinesCrLf(fields);
}

const std::vector<std::string> kArialBold = {"120", "0", "0", "0", "700", "1",  "0",
                                             "0",   "0", "3", "2", "1",   "34", "Arial"};

TEST(FontSettings, DefaultsAreTheThreeStockFonts)
{
    const FontSet fonts;
    EXPECT_EQ(fonts[FontRole::Editor].faceName, "Consolas");
    EXPECT_EQ(fonts[FontRole::Editor].height, 140);
    EXPECT_EQ(fonts[FontRole::Editor].weight, 400);
    EXPECT_EQ(fonts[FontRole::Editor].charSet, 3);
    EXPECT_EQ(fonts[FontRole::Editor].clipPrecision, 2);
    EXPECT_EQ(fonts[FontRole::Editor].quality, 1);
    EXPECT_EQ(fonts[FontRole::Editor].pitchAndFamily, 49);
    for (auto role : {FontRole::Printer, FontRole::PortWindows}) {
        EXPECT_EQ(fonts[role].faceName, "Courier New");
        EXPECT_EQ(fonts[role].height, 100);
        EXPECT_EQ(fonts[role].weight, 0);
        EXPECT_EQ(fonts[role].charSet, 1);
        EXPECT_EQ(fonts[role].pitchAndFamily, 49);
    }
}

TEST(FontSettings, FileHasFortyFourLinesAndReadsBackByteForByte)
{
    FontSet fonts;
    fonts[FontRole::Printer].faceName = "Lucida Console";
    fonts[FontRole::Printer].height = 90;
    const std::string bytes = formatFonts(fonts);
    LineReader reader(bytes);
    int lines = 0;
    while (reader.next())
        ++lines;
    EXPECT_EQ(lines, 44);
    EXPECT_TRUE(bytes.starts_with("140\r\n0\r\n0\r\n0\r\n400\r\n0\r\n0\r\n")) << bytes;

    FontSet read;
    parseFonts(bytes, read);
    EXPECT_EQ(read, fonts);
    EXPECT_EQ(formatFonts(read), bytes);
}

TEST(FontSettings, OnlyTheEditorFontChangesTheEditorFont)
{
    FontSet fonts;
    parseFonts(fontLines(kArialBold), fonts);
    const LogFont& editor = fonts[FontRole::Editor];
    EXPECT_EQ(editor.faceName, "Arial");
    EXPECT_EQ(editor.height, 120);
    EXPECT_EQ(editor.weight, 700);
    EXPECT_EQ(editor.italic, 1);
    EXPECT_EQ(editor.pitchAndFamily, 34);
    EXPECT_EQ(fonts[FontRole::Printer], FontSet::defaults()[1]);
    EXPECT_EQ(fonts[FontRole::PortWindows], FontSet::defaults()[2]);

    // Written back, the editor record stands as it was read.
    EXPECT_EQ(formatFonts(fonts).substr(0, fontLines(kArialBold).size()), fontLines(kArialBold));
}

TEST(FontSettings, AFontIsTakenOnlyWithAllThirteenNumbers)
{
    FontSet fonts;
    std::vector<std::string> twelve(kArialBold.begin(), kArialBold.begin() + 12);
    parseFonts(fontLines(twelve), fonts);
    EXPECT_EQ(fonts, FontSet{});

    std::vector<std::string> noFace(kArialBold.begin(), kArialBold.begin() + 13);
    parseFonts(fontLines(noFace), fonts);
    EXPECT_EQ(fonts[FontRole::Editor].height, 120);
    EXPECT_EQ(fonts[FontRole::Editor].faceName, "Consolas");  // no face line: kept
}

TEST(FontSettings, LongFaceNamesAreCutAndByteFieldsWrap)
{
    auto fields = kArialBold;
    fields[13] = std::string(40, 'F');
    fields[8] = "300";  // a byte field out of range
    FontSet fonts;
    parseFonts(fontLines(fields), fonts);
    EXPECT_EQ(fonts[FontRole::Editor].faceName, std::string(kFaceNameLimit, 'F'));
    EXPECT_EQ(fonts[FontRole::Editor].charSet, 300 % 256);
}

TEST(FontSettings, ReadingAMissingFileKeepsTheFonts)
{
    test::TempWorkDir dir;
    FontSet fonts;
    fonts[FontRole::Editor].height = 99;
    readFontsFile(dir.path(kFontsFile), fonts);
    EXPECT_EQ(fonts[FontRole::Editor].height, 99);

    ASSERT_TRUE(writeFontsFile(dir.path(kFontsFile), fonts).ok);
    FontSet read;
    readFontsFile(dir.path(kFontsFile), read);
    EXPECT_EQ(read, fonts);
}

}  // namespace
}  // namespace quillon
