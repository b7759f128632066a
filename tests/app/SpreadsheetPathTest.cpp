#include "app/SpreadsheetPath.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "platform/Paths.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(SpreadsheetPathTest, TheFileGivesItsFirstLineAsTyped)
{
    struct Case {
        const char* scenario;
        std::optional<std::string> bytes;  // nothing: no EXCEL.SYS
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"missing file", std::nullopt, std::nullopt},
        {"empty file", "", std::nullopt},
        {"only blanks", "   \r\n", std::nullopt},
        {"a plain path", "/usr/bin/libreoffice\r\n", "/usr/bin/libreoffice"},
        {"case kept", "/opt/Calc/LibreOffice-Calc.AppImage",
         "/opt/Calc/LibreOffice-Calc.AppImage"},
        {"blanks inside kept, around dropped", "  /home/ann/My Programs/calc sheet \n",
         "/home/ann/My Programs/calc sheet"},
        {"further lines ignored", "/usr/bin/gnumeric\n/usr/bin/other\n", "/usr/bin/gnumeric"},
    };
    for (const Case& c : cases) {
        const test::TempWorkDir dir;
        if (c.bytes)
            dir.write(kSpreadsheetPathFile, *c.bytes);
        EXPECT_EQ(readSpreadsheetPath(dir.workDir()), c.path) << c.scenario;
    }
}

TEST(SpreadsheetPathTest, AWrittenPathReadsBackUnchanged)
{
    const test::TempWorkDir dir;
    const std::string path = "/home/ann/Spread Sheets/it's;calc";
    ASSERT_TRUE(writeSpreadsheetPath(dir.workDir(), " " + path + " ").ok);
    EXPECT_EQ(dir.read(kSpreadsheetPathFile), path + "\r\n");
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), path);
}

TEST(SpreadsheetPathTest, OnlyAnExecutableFileIsAProgram)
{
    const test::TempWorkDir dir;
    const std::string script = dir.path("calc sheet");
    dir.write("calc sheet", "#!/bin/sh\n");
    dir.write("plain.txt", "text");
    ::chmod(script.c_str(), 0755);
    ::chmod(dir.path("plain.txt").c_str(), 0600);
    std::filesystem::create_symlink(script, dir.path("link"));

    EXPECT_TRUE(isRunnableProgram(script));
    EXPECT_TRUE(isRunnableProgram(dir.path("link")));
    EXPECT_FALSE(isRunnableProgram(dir.path("plain.txt")));
    EXPECT_FALSE(isRunnableProgram(dir.path("missing")));
    EXPECT_FALSE(isRunnableProgram(dir.workDir().rootWithoutSeparator()));
}

TEST(SpreadsheetPathTest, ExtensionsCompareWithoutCase)
{
    EXPECT_TRUE(paths::hasExtension("/hub/_REPORTS/_MACHINE_2026.CSV", "CSV"));
    EXPECT_TRUE(paths::hasExtension("report.csv", "CSV"));
    EXPECT_TRUE(paths::hasExtension("C:\\x.y\\report.Csv", "CSV"));
    EXPECT_FALSE(paths::hasExtension("report.csv.txt", "CSV"));
    EXPECT_FALSE(paths::hasExtension("/hub/a.csv/report", "CSV"));
    EXPECT_FALSE(paths::hasExtension("reportCSV", "CSV"));
    EXPECT_FALSE(paths::hasExtension("report.", "CSV"));
}

}  // namespace
}  // namespace quillon
