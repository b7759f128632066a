#include "app/MarginsSettings.h"

#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "platform/Ipv4Address.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

const std::vector<std::string> kFullFile = {
    "D:\\NC",      "0.5", "0.75", "1", "1.25", "0", "1", "0", "1", "0",
    "-1062731519",  // 192.168.1.1
    "1",           "1",   "1",    "0", "1",    "1", "1",
};

TEST(MarginsSettings, DefaultsFollowTheWorkingDirectory)
{
    test::TempWorkDir dir;
    const MarginsSettings settings = readMarginsFile(dir.workDir());
    EXPECT_EQ(settings.editorDefaultPath, dir.workDir().rootWithoutSeparator());
    EXPECT_EQ(settings.leftMargin, "1.0");
    EXPECT_TRUE(settings.printHeader);
    EXPECT_TRUE(settings.printFullPath);
    EXPECT_TRUE(settings.scrollAllWithWheel);
    EXPECT_TRUE(settings.printPageNumbers);
    EXPECT_FALSE(settings.startMinimized);
    EXPECT_FALSE(settings.scrollAllWithScrollBar);
    EXPECT_EQ(settings.localIpAddress, 0);
}

TEST(MarginsSettings, EighteenLinesReadAndWriteBackByteForByte)
{
    test::TempWorkDir dir;
    const std::string bytes = joinLinesCrLf(kFullFile);
    dir.write(kMarginsFile, bytes);
    const MarginsSettings settings = readMarginsFile(dir.workDir());
    EXPECT_EQ(settings.editorDefaultPath, "D:\\NC");
    EXPECT_EQ(settings.bottomMargin, "1.25");
    EXPECT_FALSE(settings.printHeader);
    EXPECT_TRUE(settings.startMinimized);
    EXPECT_EQ(ipv4ToDottedText(settings.localIpAddress), "192.168.1.1");
    EXPECT_TRUE(settings.remoteFullPath);
    EXPECT_EQ(formatMargins(settings), bytes);

    ASSERT_TRUE(writeMarginsFile(dir.workDir(), settings).ok);
    EXPECT_EQ(dir.read(kMarginsFile), bytes);
}

TEST(MarginsSettings, TenLinesLeaveTheRestAtTheirDefaults)
{
    test::TempWorkDir dir;
    std::vector<std::string> ten(kFullFile.begin(), kFullFile.begin() + 10);
    dir.write(kMarginsFile, joinLinesCrLf(ten));
    const MarginsSettings settings = readMarginsFile(dir.workDir());
    EXPECT_TRUE(settings.startMinimized);       // line 7 was read
    EXPECT_FALSE(settings.scrollAllWithWheel);  // line 10 was read
    const MarginsSettings defaults = MarginsSettings::defaults(dir.workDir());
    EXPECT_EQ(settings.localIpAddress, defaults.localIpAddress);
    EXPECT_EQ(settings.detailedFileOpenWindow, defaults.detailedFileOpenWindow);
    EXPECT_EQ(settings.scrollAllWithScrollBar, defaults.scrollAllWithScrollBar);
    EXPECT_EQ(settings.printPageNumbers, defaults.printPageNumbers);
    EXPECT_EQ(settings.remoteFullPath, defaults.remoteFullPath);
}

TEST(MarginsSettings, AFlagIsOnUnlessItsLineBeginsWithZero)
{
    struct Case {
        const char* line;
        bool on;
    };
    const Case cases[] = {{"0", false}, {"1", true}, {"x", true}, {"", true}, {"01", false}};
    for (const auto& c : cases) {
        MarginsSettings settings;
        settings.printHeader = !c.on;
        parseMargins(joinLinesCrLf({"p", "1", "1", "1", "1", c.line}), settings);
        EXPECT_EQ(settings.printHeader, c.on) << '"' << c.line << '"';
    }
}

TEST(MarginsSettings, StartupFormSetsTheLiveFlagsAndOtherOptionsSavesThem)
{
    test::TempWorkDir dir;
    dir.write(kMarginsFile, joinLinesCrLf(kFullFile));
    AppSettings app;
    loadStartupSettings(app, dir.workDir());
    EXPECT_FALSE(app.flags.wheelScrollsAll);
    EXPECT_TRUE(app.flags.scrollBarScrollsAll);
    EXPECT_EQ(app.editorDirectory, "D:\\NC");

    MarginsSettings chosen = app.margins;
    chosen.scrollAllWithWheel = true;
    chosen.editorDefaultPath = "/srv/nc";
    ASSERT_TRUE(applyOtherOptions(app, chosen, dir.workDir()).ok);
    EXPECT_TRUE(app.flags.wheelScrollsAll);
    EXPECT_EQ(app.editorDirectory, "/srv/nc");
    EXPECT_EQ(readMarginsFile(dir.workDir()), chosen);
}

}  // namespace
}  // namespace quillon
