#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

std::vector<std::string> allLines(std::string_view bytes, std::size_t limit = kSettingsLineLimit)
{
    std::vector<std::string> lines;
    LineReader reader(bytes, limit);
    while (const auto line = reader.next())
        lines.emplace_back(*line);
    return lines;
}

TEST(ReadFile, AFolderOrAMissingFileIsNothing)
{
    test::TempWorkDir dir;
    EXPECT_FALSE(readFile(dir.path("missing.sys")));
    std::filesystem::create_directory(dir.path("folder.sys"));
    EXPECT_FALSE(readFile(dir.path("folder.sys")));
    dir.write("empty.sys", "");
    EXPECT_EQ(readFile(dir.path("empty.sys")), "");
}

TEST(LineReader, SplitsOnLfAndDropsTheCrOfCrLf)
{
    struct Case {
        const char* scenario;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"lf", "a\nb\n", {"a", "b"}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"last line without end", "a\nb", {"a", "b"}},
        {"empty lines kept", "\n\nx\n", {"", "", "x"}},
        {"lone cr is data", "a\rb\n", {"a\rb"}},
        {"nul bytes are data", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(allLines(c.bytes), c.lines) << c.scenario;
}

TEST(LineReader, CutsALongLineWithoutShiftingTheNextOne)
{
    const std::string longLine(1000, 'x');
    const auto lines = allLines(longLine + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(kSettingsLineLimit, 'x'));
    EXPECT_EQ(lines[1], "next");
}

TEST(LineReader, LineOfExactlyTheLimitIsKeptWhole)
{
    const std::string line(kSettingsLineLimit, 'y');
    EXPECT_EQ(allLines(line + "\n"), std::vector<std::string>{line});
}

TEST(LeadingInteger, ReadsLikeAtoi)
{
    struct Case {
        const char* text;
        long long value;
    };
    const Case cases[] = {
        {"", 0},    {"12", 12},   {"  -7x", -7}, {"+3", 3},     {"abc", 0},
        {"- 5", 0}, {"0042", 42}, {"\t9", 9},    {"12 34", 12}, {"--1", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leadingInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(LeadingInteger, HugeNumbersSaturateInsteadOfOverflowing)
{
    EXPECT_GT(leadingInteger("99999999999999999999999999"), 0);
    EXPECT_EQ(leadingInt32("99999999999"), 2147483647);
    EXPECT_EQ(leadingInt32("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(leadingInt32("-2147483648"), -2147483647 - 1);
}

TEST(JoinLinesCrLf, EndsEveryLineWithCrLf)
{
    EXPECT_EQ(joinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(joinLinesCrLf({}), "");
}

}  // namespace
}  // namespace quillon
