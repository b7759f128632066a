// Two station files merged into one: the order of the records, the cycle offs that would
// end a cycle the other station still runs, and the closing of the current shift.
#include "monitoring/ShiftMerge.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitoring/ShiftSamples.h"
#include "platform/TextFile.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::kShiftStart;
using test::shiftFile;

// The merged records, as "offset event" each.
std::vector<std::string> mergedRecords(const std::string& merged)
{
    std::vector<std::string> records;
    LineReader lines(merged, std::string_view::npos);
    while (const auto line = lines.next()) {
        const auto record = parseShiftRecord(*line);
        if (!record) {
            records.push_back("no record: " + std::string(*line));
            continue;
        }
        records.push_back(std::to_string(record->time - kShiftStart) + " " +
                          std::string(line->substr(18)));
    }
    return records;
}

class ShiftMergeTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone;
};

TEST_F(ShiftMergeTest, RecordsOfBothStationsInTimeOrder)
{
    const struct {
        const char* name;
        std::vector<test::SampleRecord> station1;
        std::vector<test::SampleRecord> station2;
        std::optional<std::int64_t> closeAt;
        std::vector<std::string> merged;
    } rows[] = {
        {"interleaved, a tie going to station 2",
         {{0, "_SH_START"}, {100, "_CON"}, {300, "_COFF"}},
         {{0, "_SH_START"}, {200, "ALARM"}},
         std::nullopt,
         {"0 _SH_START", "0 _SH_START", "100 _CON", "200 ALARM", "300 _COFF"}},
        {"a tie of two states",
         {{50, "_CON"}},
         {{50, "LOADING"}},
         std::nullopt,
         {"50 LOADING", "50 _CON"}},
        {"a cycle off waits while the other station cycles",
         {{0, "_CON"}, {20, "_COFF"}},
         {{10, "_CON"}, {30, "_COFF"}},
         std::nullopt,
         {"0 _CON", "10 _CON", "30 _COFF"}},
        {"cycle offs after a status say nothing new",
         {{0, "ALARM"}, {10, "_COFF"}, {20, "_COFF,NO Ostler"}, {30, "_CON"}, {40, "_COFF"}},
         {},
         std::nullopt,
         {"0 ALARM", "30 _CON", "40 _COFF"}},
        {"a count ends the skipping",
         {{0, "_SETUP"}, {10, "_CYCOUNT,1,1,5"}, {20, "_COFF"}},
         {},
         std::nullopt,
         {"0 _SETUP", "10 _CYCOUNT,1,1,5", "20 _COFF"}},
        {"an employee or sequence record does not swallow the cycle off",
         {{0, "_CON"}, {10, "_EMPLOYEE:117"}, {15, "_OPSEQ:20"}, {20, "_COFF"}},
         {},
         std::nullopt,
         {"0 _CON", "10 _EMPLOYEE:117", "15 _OPSEQ:20", "20 _COFF"}},
        {"closing: one substitute per station, the second one written",
         {{0, "_CON"}},
         {{10, "_CON"}, {20, "_PARTNO:A"}},
         500,
         {"0 _CON", "10 _CON", "20 _PARTNO:A", "500 _COFF"}},
        {"closing: a station without records still closes, the other's after its status not",
         {},
         {{10, "ALARM"}},
         500,
         {"10 ALARM", "500 _COFF"}},
        {"not closing: nothing added", {{0, "_CON"}}, {}, std::nullopt, {"0 _CON"}},
        {"both empty", {}, {}, std::nullopt, {}},
    };
    for (const auto& row : rows) {
        std::optional<std::int64_t> closeAt;
        if (row.closeAt)
            closeAt = kShiftStart + *row.closeAt;
        const std::string merged =
            mergeStationRecords(shiftFile(row.station1), shiftFile(row.station2), closeAt);
        EXPECT_EQ(mergedRecords(merged), row.merged) << row.name;
    }
}

TEST_F(ShiftMergeTest, LinesThatAreNoRecordAreLeftOutAndRecordsKeepTheirText)
{
    const std::string station1 =
        "MACHINE 4 HEAD 1\r\n05/12/2016,06:00:00,_CON:H50,80,100\r\n"
        "garbage\n\n05/12/16,06:00:10,_COFF";
    const std::string station2 = std::string("\0\0\n", 3) + "05/12/16,06:00:05,_OPERATOR:ANNA\n";
    EXPECT_EQ(mergeStationRecords(station1, station2, std::nullopt),
              "05/12/2016,06:00:00,_CON:H50,80,100\r\n05/12/16,06:00:05,_OPERATOR:ANNA\r\n"
              "05/12/16,06:00:10,_COFF\r\n");
}

TEST_F(ShiftMergeTest, FilesThatCannotBeReadOrWrittenSaySo)
{
    test::TempWorkDir dir;
    const std::string head1 = dir.base() + "/MonitorData250.SYS_";
    const std::string head2 = dir.base() + "/MonitorData251.SYS_";
    const std::string output = dir.base() + "/ViewTemp1.TXT";
    test::writeBytes(head1, shiftFile({{0, "_CON"}, {100, "_COFF"}}));
    test::writeBytes(head2, shiftFile({{50, "ALARM"}}));

    EXPECT_EQ(mergeStationFiles(head1, head2, output, std::nullopt), std::nullopt);
    EXPECT_EQ(readFile(output), mergeStationRecords(*readFile(head1), *readFile(head2), {}));

    const std::string missing = dir.base() + "/MonitorData252.SYS_";
    const std::string other = dir.base() + "/OTHER.TXT";
    EXPECT_EQ(mergeStationFiles(head1, missing, other, std::nullopt),
              missing + " file read open error");
    EXPECT_EQ(mergeStationFiles(dir.base(), head2, other, std::nullopt),
              dir.base() + " file read open error")
        << "a folder in a file's place";
    EXPECT_FALSE(std::filesystem::exists(other)) << "no half file from a missing input";

    const std::string nowhere = dir.base() + "/NO_FOLDER/OUT.TXT";
    EXPECT_EQ(mergeStationFiles(head1, head2, nowhere, std::nullopt),
              nowhere + " file open error");
}

}  // namespace
}  // namespace quillon
