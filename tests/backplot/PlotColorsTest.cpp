#include "backplot/PlotColors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// The defaults as the file holds them.
constexpr std::string_view kDefaultFile =
    "1GDI\r\n0\r\n16711680\r\n255\r\n16711935\r\n65535\r\n16776960\r\n4210752\r\n32896\r\n"
    "8388736\r\n128\r\n8421376\r\n8421504\r\n65408\r\n8388863\r\n33023\r\n8453888\r\n"
    "16744448\r\n16711808\r\n0\r\n";

PlotColors defaultsWith(void (*change)(PlotColors&))
{
    PlotColors colors;
    change(colors);
    return colors;
}

TEST(PlotColors, ReadOverTheDefaults)
{
    struct Case {
        const char* scenario;
        std::string bytes;
        PlotColors expected;
    };
    const Case cases[] = {
        {"empty file", "", PlotColors{}},
        {"switch off, then background only", "0GDI\r\n255\r\n", defaultsWith([](PlotColors& c) {
             c.gradient = false;
             c.background = 255;
         })},
        {"the first character decides", "1GDI but more\n", PlotColors{}},
        {"older form: no GDI, so the first line is the background", "0\n65280\n16\n",
         defaultsWith([](PlotColors& c) {
             c.background = 0;
             c.text = 65280;
             c.slotColors[0] = 16;
         })},
        {"older form keeps the switch's default even with a 0", "0GD\n", PlotColors{}},
        {"atoi: blanks, sign, trailing text", "0GDI\n  42abc\n-1\nxyz\n",
         defaultsWith([](PlotColors& c) {
             c.gradient = false;
             c.background = 42;
             c.text = 0xFFFFFFFF;
             c.slotColors[0] = 0;
         })},
        {"an overlong line is cut, not carried into the next",
         "0GDI\n" + std::string(60, '0') + "5\n99\n", defaultsWith([](PlotColors& c) {
             c.gradient = false;
             c.background = 0;
             c.text = 99;
         })},
        {"sixty digits are all read", "0GDI\n" + std::string(58, '0') + "12\n",
         defaultsWith([](PlotColors& c) {
             c.gradient = false;
             c.background = 12;
         })},
        {"a line past the slots is ignored", std::string(kDefaultFile) + "77\r\n", PlotColors{}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parsePlotColors(c.bytes), c.expected) << c.scenario;
}

TEST(PlotColors, TheOlderFormFillsEverySlot)
{
    std::string bytes;
    for (int line = 1; line <= 19; ++line)
        bytes += std::to_string(line) + "\n";
    const PlotColors colors = parsePlotColors(bytes);
    EXPECT_TRUE(colors.gradient);
    EXPECT_EQ(colors.background, 1u);
    EXPECT_EQ(colors.text, 2u);
    for (std::size_t slot = 0; slot < kToolSlots; ++slot)
        EXPECT_EQ(colors.slotColors[slot], slot + 3) << slot;
}

TEST(PlotColors, WrittenInCrLfAndReadBack)
{
    test::TempWorkDir dir;
    EXPECT_EQ(readPlotColors(dir.workDir()), PlotColors{});  // no file yet
    EXPECT_EQ(formatPlotColors(PlotColors{}), kDefaultFile);

    PlotColors chosen;
    chosen.gradient = false;
    chosen.background = colorRef(1, 2, 3);
    chosen.slotColors[16] = 0xFFFFFFFF;  // read back from a file as -1
    ASSERT_TRUE(writePlotColors(dir.workDir(), chosen).ok);
    const std::string written = dir.read(kPlotColorsFile);
    EXPECT_EQ(written.substr(0, 14), "0GDI\r\n197121\r\n");
    EXPECT_EQ(written.substr(written.size() - 4), "-1\r\n");
    EXPECT_EQ(readPlotColors(dir.workDir()), chosen);
}

TEST(PlotColors, AFailedWriteSaysSo)
{
    test::TempWorkDir dir;
    std::filesystem::create_directory(dir.path(kPlotColorsFile));
    const WriteResult result = writePlotColors(dir.workDir(), PlotColors{});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
}

}  // namespace
}  // namespace quillon
