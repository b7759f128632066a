// quillonlt-cli report: a selection's copy, its sums, a saved report, and the picture hook.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/MarginsSettings.h"
#include "cli/CliReport.h"
#include "cli/CliTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::runCli;

constexpr char kHubReport[] =
    "MACHINE NAME,DATE,SHIFT,START TIME,END TIME,ELAPSED TIME,MACHINE STATUS,HEAD/PALLET,"
    "COMMENT\r\n"
    "LATHE-1,03/01/2026,1,06:00:00,06:30:00,1800,CYCLE ON,0,\r\n"
    "LATHE-1,03/01/2026,1,06:30:00,06:40:30,630,SETUP,0,\r\n"
    "LATHE-1,03/01/2026,1,06:40:30,07:00:00,1170,CYCLE ON,0,\r\n"
    "MILL-2,03/01/2026,2,14:00:00,15:00:00,3600,ALARM,2,\r\n"
    "LATHE-1,03/02/2026,1,06:00:00,06:00:00,0,_PARTNUMBER,0,BRK-7\r\n"
    "LATHE-1,03/02/2026,1,06:00:00,07:00:00,3600,CYCLE ON,0,\r\n";

class CliReportTest : public ::testing::Test {
protected:
    CliReportTest()
    {
        std::filesystem::create_directories(hub + "_REPORTS");
        test::writeBytes(hub + "_REPORTS/_MACHINE_2026.CSV", kHubReport);
    }
    ~CliReportTest() override { cli::setReportImageWriter({}); }

    // The selection of both machines, 1 to 5 March, every shift and station unless given.
    std::vector<std::string> selection(std::vector<std::string> command,
                                       const char* shifts = "1,2,3",
                                       const char* stations = "1,2") const
    {
        for (const char* argument :
             {"--hub", hub.c_str(), "--from", "03/01/2026", "--to", "03/05/2026", "--machines",
              "LATHE-1,MILL-2", "--shifts", shifts, "--stations", stations})
            command.emplace_back(argument);
        return command;
    }

    test::TempWorkDir dir;
    std::string hub = dir.base() + "/hub/";
};

TEST_F(CliReportTest, SelectPrintsTheWindowsCopy)
{
    const auto run = runCli(selection({"report", "select"}));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "MACHINE NAME,DATE    ,SHIFT,START TIME,END TIME,ELAPSED TIME,MACHINE STATUS,"
              "HEAD/PALLET,COMMENT\n"
              "LATHE-1,03/01/2026,1,06:00:00,06:30:00,1800,CYCLE ON,0,\n"
              "LATHE-1,03/01/2026,1,06:30:00,06:40:30,630,SETUP,0,\n"
              "LATHE-1,03/01/2026,1,06:40:30,07:00:00,1170,CYCLE ON,0,\n"
              "MILL-2,03/01/2026,2,14:00:00,15:00:00,3600,ALARM,2,\n"
              "LATHE-1,03/02/2026,1,06:00:00,06:00:00,0,_PARTNUMBER,0,BRK-7\n"
              "LATHE-1,03/02/2026,1,06:00:00,07:00:00,3600,CYCLE ON,0,\n");

    auto compressed = selection({"report", "select", "--compressed"});
    const auto joined = runCli(compressed);
    EXPECT_NE(joined.out.find("LATHE-1,03/01/2026,1,06:00:00,07:00:00,2970,CYCLE ON,0,\n"),
              std::string::npos)
        << joined.out;
}

TEST_F(CliReportTest, TheHubComesFromTheRemoteConfigurationAndMonthlyFromTheSetting)
{
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hub, 0, ""}).ok);
    std::vector<std::string> command = selection({"report", "select"});
    command.erase(command.begin() + 2, command.begin() + 4);  // no --hub
    EXPECT_EQ(runCli(command).code, 0);

    MarginsSettings margins = MarginsSettings::defaults(dir.workDir());
    margins.monthlyCsv = true;
    ASSERT_TRUE(writeMarginsFile(dir.workDir(), margins).ok);
    const auto monthly = runCli(command);
    EXPECT_EQ(monthly.code, 1);
    EXPECT_EQ(monthly.err, hub + "_REPORTS/_MACHINE_2026-03.CSV file is not found\n");
}

TEST_F(CliReportTest, SumsPerDateAndPerMachine)
{
    const struct {
        const char* name;
        std::vector<std::string> options;
        const char* shifts;
        const char* stations;
        std::string out;
    } rows[] = {
        {"per date, minutes",
         {},
         "1,2,3",
         "1,2",
         "03/01/2026,CYCLE ON,49.50\n03/01/2026,SETUP,10.50\n03/01/2026,ALARM,60.00\n"
         "03/02/2026,CYCLE ON,60.00\n03/01/2026,120\n03/02/2026,60\n"},
        {"per machine, shift 1 only",
         {"--per", "machine"},
         "1",
         "1,2",
         "LATHE-1,CYCLE ON,109.50\nLATHE-1,SETUP,10.50\nLATHE-1,120\n"},
        {"per machine in percent",
         {"--per", "machine", "--percent"},
         "1,2,3",
         "1,2",
         "LATHE-1,CYCLE ON,91.25\nLATHE-1,SETUP,8.75\nMILL-2,ALARM,100.00\nLATHE-1,120\n"
         "MILL-2,60\n"},
        {"station 1 only drops the second pallet, bars per date",
         {"--kind", "graph"},
         "1,2,3",
         "1",
         "03/01/2026,CYCLE ON,49.50\n03/01/2026,SETUP,10.50\n03/02/2026,CYCLE ON,60.00\n"
         "03/01/2026,60\n03/02/2026,60\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto command = selection({"report", "sums"}, row.shifts, row.stations);
        command.insert(command.end(), row.options.begin(), row.options.end());
        const auto run = runCli(command);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, row.out);
    }
}

TEST_F(CliReportTest, ViewChecksTheSavedFileThenSums)
{
    const std::string saved = dir.base() + "/march.csv";
    test::writeBytes(saved, runCli(selection({"report", "select"})).out);
    const auto view = runCli({"report", "view", saved, "--per", "machine"});
    EXPECT_EQ(view.code, 0) << view.err;
    EXPECT_EQ(view.out,
              "LATHE-1,CYCLE ON,109.50\nLATHE-1,SETUP,10.50\nMILL-2,ALARM,60.00\n"
              "LATHE-1,120\nMILL-2,60\n");

    test::writeBytes(dir.base() + "/march.txt", kHubReport);
    const auto wrongName = runCli({"report", "view", dir.base() + "/march.txt"});
    EXPECT_EQ(wrongName.code, 1);
    EXPECT_EQ(wrongName.err, "File must have the .CSV extension\n");

    test::writeBytes(saved, std::string(kHubReport) + "LATHE-1,03/0");
    const auto corrupt = runCli({"report", "view", saved});
    EXPECT_EQ(corrupt.code, 1);
    EXPECT_EQ(corrupt.err, "Corrupt .CSV file\n");
}

TEST_F(CliReportTest, RefusalsAndTheirExitCodes)
{
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        int code;
        std::string err;
    } rows[] = {
        {"no shift",
         {"report", "select", "--hub", hub, "--from", "03/01/2026", "--to", "03/05/2026",
          "--machines", "LATHE-1"},
         1,
         "There was no Shift selected\n"},
        {"no machines",
         {"report", "sums", "--hub", hub, "--from", "03/01/2026", "--to", "03/05/2026", "--shifts",
          "1"},
         1,
         "There are no machines on the list\n"},
        {"no dates", {"report", "sums", "--hub", hub}, 1, "There was no Date selection made\n"},
        {"no kind", selection({"report", "select", "--kind", "none"}), 1,
         "Either 'per Machine' or 'per Date' needs to be selected\n"},
        {"nothing in the span",
         {"report", "select", "--hub", hub, "--from", "04/01/2026", "--to", "04/05/2026",
          "--machines", "LATHE-1", "--shifts", "1"},
         1,
         "Records were not found\n"},
        {"no hub anywhere",
         {"report", "select", "--from", "03/01/2026"},
         1,
         "quillonlt-cli: no hub directory: give --hub or set up the remote configuration\n"},
        {"a date that is not MM/DD/YYYY", selection({"report", "select", "--from", "3/1/2026"}), 2,
         ""},
        {"shift 4", selection({"report", "select", "--shifts", "4"}), 2, ""},
        {"station 3", selection({"report", "select", "--stations", "3"}), 2, ""},
        {"an unknown kind", selection({"report", "select", "--kind", "bars"}), 2, ""},
        {"view without a file", {"report", "view", "--per", "date"}, 2, ""},
        {"a file for select", selection({"report", "select", "x.csv"}), 2, ""},
        {"an unknown subcommand", {"report", "draw"}, 2, ""},
        {"a picture without a writer", selection({"report", "sums", "--png", "x.png"}), 1,
         "quillonlt-cli: pictures cannot be drawn by this build\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto run = runCli(row.arguments);
        EXPECT_EQ(run.code, row.code);
        if (row.code == 2)
            EXPECT_TRUE(run.err.starts_with("usage: quillonlt-cli report")) << run.err;
        else
            EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliReportTest, PicturesGoThroughTheInstalledWriter)
{
    std::vector<std::string> seen;
    cli::setReportImageWriter([&seen](const cli::ReportImageRequest& request, std::ostream&) {
        EXPECT_TRUE(request.reportText && request.sums);
        seen.push_back(
            request.path + (request.svg ? " svg " : " png ") +
            std::to_string(static_cast<int>(request.kind)) + (request.percent ? " %" : " min") +
            " " + std::to_string(request.sums->keys.size()) + " " + request.sums->keys.front());
        return request.path != "fails.png";
    });
    EXPECT_EQ(runCli(selection({"report", "select", "--png", "bars.png"})).code, 0);
    EXPECT_EQ(
        runCli(selection({"report", "sums", "--per", "machine", "--svg", "pies.svg", "--percent"}))
            .code,
        0);
    EXPECT_EQ(runCli(selection({"report", "sums", "--png", "fails.png"})).code, 1);
    const std::string saved = dir.base() + "/march.CSV";
    test::writeBytes(saved, kHubReport);
    EXPECT_EQ(runCli({"report", "view", saved, "--kind", "graph", "--png", "saved.png"}).code, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "bars.png png 1 min 2 03/01/2026", "pies.svg svg 3 % 2 LATHE-1",
                        "fails.png png 2 min 2 03/01/2026", "saved.png png 1 min 2 03/01/2026"}));
}

}  // namespace
}  // namespace quillon
