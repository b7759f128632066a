#include "app/MainWindowRect.h"

#include <gtest/gtest.h>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(MainWindowRect, OnlyAUsableRectangleIsTaken)
{
    struct Case {
        const char* scenario;
        const char* bytes;
        std::optional<WindowRect> rect;
    };
    const Case cases[] = {
        {"usable", "10\r\n20\r\n810\r\n620\r\n", WindowRect{10, 20, 810, 620}},
        {"four zeros", "0\r\n0\r\n0\r\n0\r\n", std::nullopt},
        {"three lines", "10\n20\n810\n", std::nullopt},
        {"negative left", "-8\n0\n800\n600\n", std::nullopt},
        {"negative top", "0\n-8\n800\n600\n", std::nullopt},
        {"left equals right", "5\n0\n5\n600\n", std::nullopt},
        {"top below bottom", "0\n700\n800\n600\n", std::nullopt},
        {"last line without end", "0\n0\n1\n1", WindowRect{0, 0, 1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseMainWindowRect(c.bytes), c.rect) << c.scenario;
}

TEST(MainWindowRect, WrittenToTmpAndReadBack)
{
    test::TempWorkDir dir;
    EXPECT_FALSE(readMainWindowRect(dir.workDir()));
    ASSERT_TRUE(writeMainWindowRect(dir.workDir(), {1, 2, 300, 400}).ok);
    EXPECT_EQ(dir.read("_TMP/MwndPos.txt"), "1\r\n2\r\n300\r\n400\r\n");
    EXPECT_EQ(readMainWindowRect(dir.workDir()), (WindowRect{1, 2, 300, 400}));
}

}  // namespace
}  // namespace quillon
