#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestSupport.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;
using test::runCli;

TEST(CliBackplot, PrintsThePlotPointsAndTheToolTable)
{
    test::TempWorkDir dir;
    dir.write("P.NC", "%\r\nT5 M06\r\nG00 X10. Y5.\r\nG01 Z-1. F100\r\nG81 X20. Z-5.\r\n%\r\n");
    const CliRun run = runCli({"backplot", dir.path("P.NC")});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "2 0 0 10.0000 5.0000 0.0000\n"
              "2 1 0 10.0000 5.0000 0.0000\n"
              "2 0 1 10.0000 5.0000 0.0000\n"
              "3 0 1 10.0000 5.0000 -1.0000\n"
              "3 1 1 10.0000 5.0000 -1.0000\n"
              "3 0 0 10.0000 5.0000 -1.0000\n"
              "4 0 0 20.0000 5.0000 -1.0000\n"
              // The drilling stroke is drawn in the slot the G81 found.
              "4 0 1 20.0000 5.0000 -1.0000\n"
              "4 0 1 20.0000 5.0000 -5.0000\n"
              "4 1 1 20.0000 5.0000 -5.0000\n"
              "TOOLS G00 T5\n");
    // The intermediate files stay in the temporary folder for the user to read.
    EXPECT_EQ(readFile(dir.workDir().tmpFile("$BackPlotFile.TXT")).value_or("").substr(0, 9),
              "0,%\r\n1,T5");
}

// Pictures need the windowing library, which the program's main hands in; without it
// the command says so rather than writing nothing and succeeding.
TEST(CliBackplot, APictureWithoutTheChartIsRefused)
{
    test::TempWorkDir dir;
    dir.write("P.NC", "G01 X10. Y5.\n");
    const CliRun run = runCli({"backplot", "--png", dir.path("P.png"), dir.path("P.NC")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "quillonlt-cli: pictures cannot be drawn by this build\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path("P.png")));
}

TEST(CliBackplot, LatheFilesAndMessages)
{
    test::TempWorkDir dir;
    const std::string files = dir.base() + "/plot";
    std::filesystem::create_directories(files);
    dir.write("L.NC", "G00 X40. Z2.\r\nG01 Z-10. F.2\r\nG02 X60. Z-20. R10.\r\n");
    CliRun run =
        runCli({"backplot", "--lathe", "--plane", "xz", "--files", files, dir.path("L.NC")});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 28), "0 0 0 20.0000 0.0000 2.0000\n");
    EXPECT_NE(run.out.find("2 0 1 30.0000 0.0000 -20.0000\n"), std::string::npos) << run.out;
    for (const char* name : {"$BackPlotFile.TXT", "$BackPlotFile1.TXT"})
        EXPECT_TRUE(std::filesystem::exists(files + "/" + name)) << name;

    // Seventeen tools: the message on stderr, the points made before it on stdout.
    std::string program;
    for (int tool = 1; tool <= 17; ++tool)
        program += "T" + std::to_string(tool) + "\r\nG01 X" + std::to_string(tool) + ".\r\n";
    dir.write("T.NC", program);
    run = runCli({"backplot", dir.path("T.NC")});
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.err.find("Too many tools"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("TOOLS G00 T1 T2"), std::string::npos);

    EXPECT_EQ(runCli({"backplot", "--plane", "xw", dir.path("T.NC")}).code, 2);
    EXPECT_EQ(runCli({"backplot"}).code, 2);
    EXPECT_EQ(runCli({"backplot", dir.path("missing.nc")}).code, 1);
}

}  // namespace
}  // namespace quillon
