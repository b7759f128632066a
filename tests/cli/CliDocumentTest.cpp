#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/CliTestSupport.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::runCli;

// What the editor's rules predict for a resave, worked out independently: cut after
// every LF, drop that LF and one CR before it, join with CR LF.
std::string predictedResave(const std::string& bytes)
{
    std::string result;
    std::size_t start = 0;
    while (true) {
        const auto lineFeed = bytes.find('\n', start);
        if (lineFeed == std::string::npos) {
            result += bytes.substr(start);
            return result;
        }
        std::size_t end = lineFeed;
        if (end > start && bytes[end - 1] == '\r')
            --end;
        result += bytes.substr(start, end - start) + "\r\n";
        start = lineFeed + 1;
    }
}

bool refusedName(const std::string& name)
{
    std::string extension = std::filesystem::path(name).extension().string();
    for (auto& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension == ".EXE" || extension == ".COM" || extension == ".DLL";
}

TEST(CliResave, RoundTripsEveryTestFileAsTheRulesPredict)
{
    test::TempWorkDir dir;
    int files = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(QUILLON_TEST_DATA))) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::string in = entry.path().string();
        const std::string out = dir.path("OUT-" + std::to_string(files));
        const auto run = runCli({"resave", in, out});
        SCOPED_TRACE(in);
        if (refusedName(in)) {
            EXPECT_EQ(run.code, 1);
            EXPECT_EQ(run.err, ".EXE  .COM and .DLL files can not be edited\n");
            EXPECT_FALSE(std::filesystem::exists(out));
            continue;
        }
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(readFile(out).value_or("<none>"), predictedResave(readFile(in).value()));
    }
    EXPECT_GE(files, 8);
}

TEST(CliResave, RefusalsAndFailuresExitWithTheEditorsMessage)
{
    test::TempWorkDir dir;
    dir.write("IN.NC", "N10\n");
    std::filesystem::create_directory(dir.path("FOLDER"));
    auto run = runCli({"resave", dir.path("IN.NC"), dir.path("FOLDER")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "Failed to save file.\n\"" + dir.path("FOLDER") +
                           "\"\n- (directory or read only file?)\n");
    run = runCli({"resave", dir.path("MISSING.NC"), dir.path("OUT.NC")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "\"" + dir.path("MISSING.NC") + "\" was not found.\n");
    EXPECT_EQ(runCli({"resave", dir.path("IN.NC")}).code, 2);
}

TEST(CliInfo, ReportsLinesLongestAndTooLong)
{
    const std::string data = std::string(QUILLON_TEST_DATA) + "/nc/";
    struct Case {
        const char* file;
        const char* line;
    };
    const Case cases[] = {
        {"crlf.nc", "lines=4 longest=7 toolong=0\n"},
        {"empty.nc", "lines=1 longest=0 toolong=0\n"},
        {"long-line.nc", "lines=2 longest=40002 toolong=1\n"},
        {"mixed.nc", "lines=5 longest=7 toolong=0\n"},
    };
    for (const auto& c : cases) {
        const auto run = runCli({"info", data + c.file});
        EXPECT_EQ(run.code, 0) << c.file;
        EXPECT_EQ(run.out, c.line) << c.file;
    }
    EXPECT_EQ(runCli({"info", data + "tool.EXE"}).code, 1);
}

}  // namespace
}  // namespace quillon
