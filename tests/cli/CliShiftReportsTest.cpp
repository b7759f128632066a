// quillonlt-cli shift pie and shift cycles, called in process: what they print, and what
// they refuse with which exit code.
#include "cli/CliShiftReports.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliTestSupport.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::CliRun;

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

CliRun run(Command command, const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = command(arguments, out, err);
    return {code, out.str(), err.str()};
}

// Two part numbers: BRACKET-7 with cycles of 300, 330 and 900 seconds, then COVER.
constexpr char kShift[] =
    "05/12/16,06:00:00,_SH_START\r\n"
    "05/12/16,06:00:00,_PARTNO:BRACKET-7,100,200;1\r\n"
    "05/12/16,06:01:00,_CON\r\n"
    "05/12/16,06:06:00,_COFF\r\n"
    "05/12/16,06:06:40,_CON\r\n"
    "05/12/16,06:12:10,_COFF\r\n"
    "05/12/16,06:13:20,_CON\r\n"
    "05/12/16,06:28:20,_COFF\r\n"
    "05/12/16,06:30:00,_PARTNO:COVER\r\n"
    "05/12/16,06:31:00,_CON\r\n"
    "05/12/16,06:32:00,_SETUP\r\n"
    "05/12/16,06:40:00,_SH_END\r\n";

class CliShiftReportsTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone;
    test::TempWorkDir dir;
    std::string file = dir.path("A0001_MILL1_SHIFT1.MON");

    void SetUp() override { dir.write("A0001_MILL1_SHIFT1.MON", kShift); }
};

TEST_F(CliShiftReportsTest, PieListsTheMinutesAndTheTitle)
{
    const CliRun pie = run(cli::runShiftPie, {file});
    EXPECT_EQ(pie.code, 0) << pie.err;
    EXPECT_EQ(pie.out,
              "BRACKET-7,_COFF,4\n"
              "BRACKET-7,_CON,26\n"
              "COVER,_COFF,1\n"
              "COVER,_CON,1\n"
              "COVER,_SETUP,8\n"
              "A0001 MILL1 SHIFT1 05/12/16\n");
    EXPECT_EQ(pie.err, "");
}

TEST_F(CliShiftReportsTest, CyclesOfTheFirstPartOrTheChosenOne)
{
    const std::string bracket =
        "BRACKET-7\n"
        "From 06:01:00 to 06:06:00 TOTAL cycle time: 05:00\n"
        "From 06:06:40 to 06:12:10 TOTAL cycle time: 05:30\n"
        "From 06:13:20 to 06:28:20 TOTAL cycle time: 15:00\n"
        "\n";
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::string out;
    } rows[] = {
        {"the first part with its own limits",
         {file},
         bracket + "Number of Total cycles: 3\nAverage cycle time: 08:30\n"
                   "Minimum cycle time: 05:00\nMaximum cycle time: 15:00\n \n"
                   "Number of 'Good' cycles: 0\n"},
        {"limits and pieces typed in",
         {"--min", "280", file, "--max", "400", "--multiplier", "2"},
         bracket + "Number of Total cycles: 6\nAverage cycle time: 04:15\n"
                   "Minimum cycle time: 02:30\nMaximum cycle time: 07:30\n \n"
                   "Number of 'Good' cycles: 4\nAverage 'Good' cycle time: 02:37\n"},
        {"only a minimum typed in",
         {file, "--min", "320"},
         bracket + "Number of Total cycles: 3\nAverage cycle time: 08:30\n"
                   "Minimum cycle time: 05:00\nMaximum cycle time: 15:00\n \n"
                   "Number of 'Good' cycles: 0\n"},
        {"another part, whose record leaves the limits as they were",
         {file, "--part", "COVER"},
         "COVER\nFrom 06:31:00 to 06:32:00 TOTAL cycle time: 01:00\n\n"
         "Number of Total cycles: 1\nAverage cycle time: 01:00\n"
         "Minimum cycle time: 01:00\nMaximum cycle time: 01:00\n \n"
         "Number of 'Good' cycles: 1\nAverage 'Good' cycle time: 01:00\n"},
    };
    for (const auto& row : rows) {
        const CliRun cycles = run(cli::runShiftCycles, row.arguments);
        EXPECT_EQ(cycles.code, 0) << row.name << ": " << cycles.err;
        EXPECT_EQ(cycles.out, row.out) << row.name;
    }

    dir.write("plain.MON", "05/12/16,06:00:00,_CON\n05/12/16,06:00:30,_COFF\n");
    EXPECT_EQ(run(cli::runShiftCycles, {dir.path("plain.MON"), "--max", "60"}).out,
              "PART NUMBER NOT KNOWN\nFrom 06:00:00 to 06:00:30 TOTAL cycle time: 00:30\n\n"
              "Number of Total cycles: 1\nAverage cycle time: 00:30\n"
              "Minimum cycle time: 00:30\nMaximum cycle time: 00:30\n \n"
              "Number of 'Good' cycles: 1\nAverage 'Good' cycle time: 00:30\n");
}

TEST_F(CliShiftReportsTest, RefusalsAndTheirExitCodes)
{
    std::string tooMany;
    for (int part = 10; part < 27; ++part)
        tooMany +=
            "05/12/16,06:" + std::to_string(part) + ":00,_PARTNO:P" + std::to_string(part) + "\n";
    dir.write("many.MON", tooMany);
    const std::string missing = dir.path("missing.MON");
    const struct {
        const char* name;
        Command command;
        std::vector<std::string> arguments;
        int code;
        std::string err;
    } rows[] = {
        {"pie of a missing file",
         cli::runShiftPie,
         {missing},
         1,
         missing + " file read open error\n"},
        {"pie of too many part numbers",
         cli::runShiftPie,
         {dir.path("many.MON")},
         1,
         "Too many part numbers\n"},
        {"pie without a file", cli::runShiftPie, {}, 2, "usage: quillonlt-cli shift pie FILE\n"},
        {"pie of two files",
         cli::runShiftPie,
         {file, file},
         2,
         "usage: quillonlt-cli shift pie FILE\n"},
        {"cycles of a missing file",
         cli::runShiftCycles,
         {missing},
         1,
         missing + " file read open error\n"},
        {"cycles without a file",
         cli::runShiftCycles,
         {"--min", "3"},
         2,
         "usage: quillonlt-cli " + std::string(cli::kShiftCyclesUsage) + "\n"},
        {"cycles of an unknown part",
         cli::runShiftCycles,
         {file, "--part", "NOPE"},
         2,
         file + " has no part number NOPE\nusage: quillonlt-cli " +
             std::string(cli::kShiftCyclesUsage) + "\n"},
        {"a limit that is no number",
         cli::runShiftCycles,
         {file, "--min", "2.5"},
         2,
         "--min takes a whole number of at most 15 digits\nusage: quillonlt-cli " +
             std::string(cli::kShiftCyclesUsage) + "\n"},
        {"a limit longer than the edit",
         cli::runShiftCycles,
         {file, "--max", "1234567890123456"},
         2,
         "--max takes a whole number of at most 15 digits\nusage: quillonlt-cli " +
             std::string(cli::kShiftCyclesUsage) + "\n"},
        {"an option without its value",
         cli::runShiftCycles,
         {file, "--multiplier"},
         2,
         "--multiplier takes a value\nusage: quillonlt-cli " +
             std::string(cli::kShiftCyclesUsage) + "\n"},
        {"an unknown option",
         cli::runShiftCycles,
         {file, "--rate"},
         2,
         "unexpected argument: --rate\nusage: quillonlt-cli " +
             std::string(cli::kShiftCyclesUsage) + "\n"},
    };
    for (const auto& row : rows) {
        const CliRun refused = run(row.command, row.arguments);
        EXPECT_EQ(refused.code, row.code) << row.name;
        EXPECT_EQ(refused.out, "") << row.name;
        EXPECT_EQ(refused.err, row.err) << row.name;
    }
}

}  // namespace
}  // namespace quillon
