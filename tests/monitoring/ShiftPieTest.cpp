// The shift pie: minutes per part number and state from the hours and minutes of the
// records, midnight and gaps, the part-number limit, the title, and files that are not what
// the hub writes.
#include "monitoring/ShiftPie.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/ScopedTimeZone.h"

namespace quillon {
namespace {

using namespace std::string_literals;

// "HH:MM:SS,EVENT" lines of one day, as the hub writes them.
std::string shift(std::initializer_list<std::string_view> records)
{
    std::string bytes = "MONITORING FILE\r\n";
    for (const auto record : records)
        bytes += "05/12/16," + std::string(record) + "\r\n";
    return bytes;
}

std::vector<PieSlice> slicesOf(const std::string& bytes)
{
    const ShiftPieLoad load = loadShiftPie(bytes, "A0001_MILL1_SHIFT1.MON");
    EXPECT_TRUE(load.pie) << load.error;
    return load.pie ? load.pie->slices : std::vector<PieSlice>{};
}

std::string describe(const std::vector<PieSlice>& slices)
{
    std::string text;
    for (const auto& slice : slices)
        text += slice.partNumber + "/" + slice.state + "=" + std::to_string(slice.minutes) + " ";
    return text;
}

class ShiftPieTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone;
};

TEST_F(ShiftPieTest, MinutesPerPartNumberAndState)
{
    const struct {
        const char* name;
        std::string bytes;
        const char* slices;
    } rows[] = {
        {"a state lasts to the next record",
         shift({"06:00:00,_CON", "06:20:00,_COFF", "06:25:00,_CON", "06:40:00,_SH_END"}),
         "/_CON=35 /_COFF=5 "},
        {"midnight crossed", shift({"23:50:00,_CON", "00:10:00,_COFF", "00:15:00,_SH_END"}),
         "/_CON=20 /_COFF=5 "},
        {"a night gap longer than eleven hours is dropped, its record still starts the next",
         shift({"13:00:00,_CON", "01:30:00,_COFF", "01:40:00,_SH_END"}), "/_COFF=10 "},
        {"eleven hours over midnight still count",
         shift({"18:00:00,_CON", "05:00:00,_COFF", "05:01:00,_SH_END"}), "/_CON=660 /_COFF=1 "},
        {"seconds do not count", shift({"06:00:59,_CON", "06:01:00,_COFF", "06:05:30,_SH_END"}),
         "/_CON=1 /_COFF=4 "},
        {"a record out of order gives no minutes",
         shift({"10:30:00,_CON", "10:10:00,_COFF", "10:20:00,_SH_END"}), "/_COFF=10 "},
        {"a part number names the time after it; before it the part is unnamed",
         shift({"06:00:00,_COFF", "06:10:00,_PARTNO:BRACKET-7,280,400;2", "06:15:00,_CON",
                "06:45:00,_SH_END"}),
         "/_COFF=10 BRACKET-7/_COFF=5 BRACKET-7/_CON=30 "},
        {"a part number before any state is taken as cycle off",
         shift({"06:00:00,_SH_START", "06:05:00,_PARTNO:P1", "06:12:00,_CON", "06:20:00,_SH_END"}),
         "P1/_COFF=7 P1/_CON=8 "},
        {"time before the first state counts nowhere",
         shift({"06:00:00,_SH_START", "06:05:00,_CON", "06:20:00,_SH_END"}), "/_CON=15 "},
        {"counts, operators and sequences leave the state running",
         shift({"06:00:00,_CON", "06:05:00,_CYCOUNT,3,1,5", "06:07:00,_OPERATOR:J. Ruiz",
                "06:08:00,_OPSEQ:OP20", "06:09:00,_EMPLOYEE:4711", "06:10:00,_COFF",
                "06:12:00,_SH_END"}),
         "/_CON=10 /_COFF=2 "},
        {"cycle-on forms, no link and statuses are states of their own",
         shift({"06:00:00,_CON:H80", "06:01:00,_CON", "06:03:00,_CON,SPINDLE_ON",
                "06:06:00,_COFF,NO Ostler", "06:10:00,_SETUP", "06:15:00,FEED HOLD,SPINDLE_ON",
                "06:21:00,LOADING", "06:28:00,_SH_END"}),
         "/_CON=3 /_CON,SPINDLE_ON=3 /NO Ostler=4 /_SETUP=5 /FEED HOLD=6 /LOADING=7 "},
        {"the shift's end stops the clock until the next state",
         shift({"06:00:00,_CON", "06:10:00,_SH_END", "07:00:00,_COFF", "07:05:00,_SH_END"}),
         "/_CON=10 /_COFF=5 "},
        {"pairs keep the order they came up in, whatever their minutes",
         shift({"06:00:00,_COFF", "06:01:00,_CON", "06:31:00,_COFF", "06:40:00,_SH_END"}),
         "/_COFF=10 /_CON=30 "},
        {"lines that are no record are passed over",
         "header\n\n05/12/16,06:00:00,_CON\ngarbage 06:05:00\n05/12/16,06:10:00,_SH_END",
         "/_CON=10 "},
        {"no record at all", "", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(describe(slicesOf(row.bytes)), row.slices) << row.name;
}

TEST_F(ShiftPieTest, SixteenNamedPartNumbersAndTheUnnamedOneFit)
{
    const auto partsFile = [](int named) {
        std::string bytes = "05/12/16,05:00:00,_CON\n";
        for (int part = 1; part <= named; ++part)
            bytes += "05/12/16,06:" + std::string(part < 10 ? "0" : "") + std::to_string(part) +
                     ":00,_PARTNO:P" + std::to_string(part) + "\n";
        // Part numbers that come again take no further place.
        bytes += "05/12/16,07:00:00,_PARTNO:P1\n05/12/16,07:30:00,_SH_END\n";
        return bytes;
    };
    const ShiftPieLoad fits = loadShiftPie(partsFile(16), "x.MON");
    ASSERT_TRUE(fits.pie);
    EXPECT_EQ(fits.pie->slices.size(), 17u) << "the unnamed part and sixteen named ones";
    EXPECT_EQ(fits.pie->slices[0].partNumber, "");
    EXPECT_EQ(fits.pie->slices[1].partNumber, "P1");
    EXPECT_EQ(fits.pie->slices[1].minutes, 1 + 30);
    EXPECT_EQ(fits.pie->slices[16].partNumber, "P16");

    const ShiftPieLoad tooMany = loadShiftPie(partsFile(17), "x.MON");
    EXPECT_FALSE(tooMany.pie);
    EXPECT_EQ(tooMany.error, "Too many part numbers");

    // An empty part number is the unnamed part, not a seventeenth name.
    std::string withEmpty = partsFile(16);
    withEmpty.insert(0, "05/12/16,04:00:00,_PARTNO:\n");
    EXPECT_TRUE(loadShiftPie(withEmpty, "x.MON").pie);
}

TEST_F(ShiftPieTest, EighteenStatesAPartNumberAndNoMore)
{
    std::string bytes;
    for (int state = 0; state < 19; ++state)
        bytes += "05/12/16,06:" + std::string(state < 10 ? "0" : "") + std::to_string(state) +
                 ":00,STATUS " + std::to_string(state) + "\n";
    bytes += "05/12/16,06:30:00,_COFF\n05/12/16,06:31:00,STATUS 0\n05/12/16,06:40:00,_SH_END\n";
    const auto slices = slicesOf(bytes);
    ASSERT_EQ(slices.size(), kPieStatesPerPart);
    EXPECT_EQ(slices.back().state, "STATUS 17");
    // The first state still takes its later minutes.
    EXPECT_EQ(slices.front().minutes, 1 + 9);
}

TEST_F(ShiftPieTest, TitleIsTheFileNameInBlanksAndTheFirstDate)
{
    const std::string bytes = "header\n05/12/2016,06:00:00,_SH_START\n05/13/16,06:00:00,_CON\n";
    const struct {
        const char* fileName;
        const char* title;
    } rows[] = {
        {"/hub/_MONITORING/2016-05/A0001_MILL_1_SHIFT1.MON", "A0001 MILL 1 SHIFT1 05/12/2016"},
        {"C:\\hub\\_MONITORING\\2016-05\\B0002_LATHE_SHIFT2_HEAD1.MON",
         "B0002 LATHE SHIFT2 HEAD1 05/12/2016"},
        {"MonitorData25.SYS_", "MonitorData25 05/12/2016"},
        {"no_extension", "no extension 05/12/2016"},
        {"./dotted.dir/name", "name 05/12/2016"},
    };
    for (const auto& row : rows) {
        const ShiftPieLoad load = loadShiftPie(bytes, row.fileName);
        ASSERT_TRUE(load.pie) << row.fileName;
        EXPECT_EQ(load.pie->title, row.title) << row.fileName;
    }
    EXPECT_EQ(loadShiftPie("no records\n", "A_B.MON").pie->title, "A B");
}

TEST_F(ShiftPieTest, FilesTheHubNeverWrote)
{
    const std::string longLine = "05/12/16,06:05:00,_COFF," + std::string(10'000, 'x');
    const struct {
        const char* name;
        std::string bytes;
        std::string slices;
    } rows[] = {
        {"a long line is one record",
         "05/12/16,06:00:00,_CON\n" + longLine + "\n05/12/16,06:09:00,_SH_END\n",
         "/_CON=5 /_COFF=4 "},
        {"NUL bytes",
         "05/12/16,06:00:00,_C\0N\n05/12/16,06:0\0:00,_COFF\n05/12/16,06:03:00,_SH_END"s,
         "/_C\0N=3 "s},
        {"impossible dates and times",
         "13/45/99,06:00:00,_CON\n05/12/16,25:61:61,_COFF\n05/12/16,06:00:00,_SETUP\n"
         "05/12/16,06:02:00,_SH_END",
         "/_SETUP=2 "},
        {"missing fields", "05/12/16,06:00:00\n05/12/16,06:04:00,\n05/12/16,06:05\n", "/=4 "},
        {"lone carriage returns", "05/12/16,06:00:00,_CON\r05/12/16,06:05:00,_COFF\r", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(describe(slicesOf(row.bytes)), row.slices) << row.name;
}

TEST_F(ShiftPieTest, AFileThatCannotBeReadSaysSo)
{
    const std::string missing =
        (std::filesystem::temp_directory_path() / "no-such-shift-file.MON").string();
    const ShiftPieLoad load = readShiftPie(missing);
    EXPECT_FALSE(load.pie);
    EXPECT_EQ(load.error, missing + " file read open error");

    const auto path = std::filesystem::temp_directory_path() / "A0001_MILL1_SHIFT1.MON";
    std::ofstream(path) << shift({"06:00:00,_CON", "06:30:00,_SH_END"});
    const ShiftPieLoad read = readShiftPie(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(read.pie);
    EXPECT_EQ(read.pie->title, "A0001 MILL1 SHIFT1 05/12/16");
    EXPECT_EQ(describe(read.pie->slices), "/_CON=30 ");
}

}  // namespace
}  // namespace quillon
