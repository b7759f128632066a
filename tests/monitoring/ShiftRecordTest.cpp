// Reading the hub's shift record lines: their local time in both date forms, what makes a
// line no record, and the events with their fields.
#include "monitoring/ShiftRecord.h"

#include <gtest/gtest.h>

#include "support/ScopedTimeZone.h"

namespace quillon {
namespace {

// 2016-05-12 06:00 in the shop's zone (daylight time, UTC-5).
constexpr std::int64_t kShiftStart = 1463050800;

class ShiftRecordTest : public ::testing::Test {
protected:
    test::ScopedTimeZone zone;
};

TEST_F(ShiftRecordTest, BothDateFormsGiveTheSameLocalTime)
{
    EXPECT_EQ(recordTime("05/12/16,06:00:00,_SH_START"), kShiftStart);
    EXPECT_EQ(recordTime("05/12/2016,06:00:00,_SH_START"), kShiftStart);
    EXPECT_EQ(recordTime("05/12/16,06:00:00"), kShiftStart) << "a time and nothing else";
    EXPECT_EQ(recordTime("05/12/16,06:00:00\r"), kShiftStart);
    // Winter time is an hour further from UTC.
    EXPECT_EQ(recordTime("01/12/16,06:00:00,_CON"), 1452600000);
    // The hub's own form of a time read back.
    EXPECT_EQ(recordTime(shiftRecordLine(kShiftStart + 3725, "_CON")), kShiftStart + 3725);
    EXPECT_EQ(shiftRecordLine(kShiftStart, "_SH_START"), "05/12/16,06:00:00,_SH_START");
}

TEST_F(ShiftRecordTest, LinesThatAreNoRecord)
{
    const std::string longLine = "05/12/16,06:00:00,_CON," + std::string(10'000, 'x');
    EXPECT_EQ(recordTime(longLine), kShiftStart) << "a long line still has its time";
    const struct {
        const char* name;
        std::string line;
    } rows[] = {
        {"empty", ""},
        {"header", "MACHINE: MILL 1, SHIFT 1"},
        {"first comma at 9", "05/12/016,06:00:00,_CON"},
        {"first comma at 7", "5/12/16,06:00:00,_CON"},
        {"no time", "05/12/16,"},
        {"short time", "05/12/16,06:00"},
        {"month 13", "13/12/16,06:00:00,_CON"},
        {"day 45", "05/45/16,06:00:00,_CON"},
        {"february 30", "02/30/16,06:00:00,_CON"},
        {"hour 25", "05/12/16,25:00:00,_CON"},
        {"minute and second 61", "05/12/16,06:61:61,_CON"},
        {"before 1970", "12/31/1969,23:00:00,_CON"},
        {"after 2100", "01/01/2101,06:00:00,_CON"},
        {"letters for digits", "0A/12/16,06:00:00,_CON"},
        {"signs", "05/-2/16,06:00:00,_CON"},
        {"time runs into the event", "05/12/16,06:00:00_CON"},
        {"NUL bytes", std::string("05/12/16,06:0\0:00,_CON", 22)},
        {"dashes", "05-12-16,06:00:00,_CON"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(recordTime(row.line), 0) << row.name;
        EXPECT_FALSE(parseShiftRecord(row.line)) << row.name;
    }
}

TEST(ShiftRecordTimeTest, TheFirstThousandSecondsOf1970AreNoTime)
{
    test::ScopedTimeZone utc("UTC0");
    EXPECT_EQ(recordTime("01/01/1970,00:16:40,_CON"), 0);
    EXPECT_EQ(recordTime("01/01/1970,00:16:41,_CON"), 1001);
}

TEST_F(ShiftRecordTest, EventsAndTheirFields)
{
    const struct {
        const char* event;
        ShiftEvent kind;
        const char* text;
        const char* rest;
        bool spindleOn;
    } rows[] = {
        {"_SH_START", ShiftEvent::ShiftStart, "", "", false},
        {"_SH_END", ShiftEvent::ShiftEnd, "", "", false},
        {"_CON", ShiftEvent::CycleOn, "", "", false},
        {"_CON,SPINDLE_ON", ShiftEvent::CycleOnSpindle, "", "SPINDLE_ON", false},
        {"_COFF", ShiftEvent::CycleOff, "", "", false},
        {"_COFF,NO Ostler", ShiftEvent::NoOstler, "", "NO Ostler", false},
        {"_COFF,_DPRINT_", ShiftEvent::CycleOff, "", "_DPRINT_", false},
        {"_SETUP", ShiftEvent::Setup, "", "", false},
        {"_PARTNO:BRACKET-7,280,400;2", ShiftEvent::PartNumber, "BRACKET-7", "280,400;2", false},
        {"_PARTNO:", ShiftEvent::PartNumber, "", "", false},
        {"_OPERATOR:J. Ruiz", ShiftEvent::Operator, "J. Ruiz", "", false},
        {"_EMPLOYEE:4711", ShiftEvent::Employee, "4711", "", false},
        {"_OPSEQ:OP20", ShiftEvent::OperationSequence, "OP20", "", false},
        {"LOADING", ShiftEvent::Status, "LOADING", "", false},
        {"FEED HOLD,SPINDLE_ON", ShiftEvent::Status, "FEED HOLD", "SPINDLE_ON", true},
        {"NO Ostler", ShiftEvent::Status, "NO Ostler", "", false},
        {"", ShiftEvent::Status, "", "", false},
        // Words are words only whole: these are statuses of the hub.
        {"_CONTROL CHECK", ShiftEvent::Status, "_CONTROL CHECK", "", false},
        {"_COFFEE", ShiftEvent::Status, "_COFFEE", "", false},
    };
    for (const auto& row : rows) {
        const std::string line = std::string("05/12/16,07:15:00,") + row.event;
        const auto record = parseShiftRecord(line);
        ASSERT_TRUE(record) << row.event;
        EXPECT_EQ(record->time, kShiftStart + 4500) << row.event;
        EXPECT_EQ(record->event, row.kind) << row.event;
        EXPECT_EQ(record->text, row.text) << row.event;
        EXPECT_EQ(record->rest, row.rest) << row.event;
        EXPECT_EQ(record->spindleOn, row.spindleOn) << row.event;
    }
    const auto ended = parseShiftRecord("05/12/16,07:15:00,_COFF,NO Ostler\r\n");
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->event, ShiftEvent::NoOstler);
}

TEST_F(ShiftRecordTest, ShadesOfACycleStayWithinTheirSixteenSteps)
{
    const struct {
        const char* event;
        int shade, feed, spindle;
    } rows[] = {
        {"_CON:C100", 0, 100, -1},
        {"_CON:H80", 5, 80, -1},
        {"_CON:R120", 15, 120, -1},
        // The spindle override blends in when its full scale is above 99.
        {"_CON:R80,50,100", (15 + 7) / 2, 80, 50},
        {"_CON:H80,120,100", (5 + 15) / 2, 80, 120},
        {"_CON:H80,50,99", 5, 80, 50},
        // Letters outside C..R are taken as the nearest shade.
        {"_CON:A100", 0, 100, -1},
        {"_CON:Z100", 15, 100, -1},
        {"_CON:\xff"
         "100",
         15, 100, -1},
        {"_CON:", 0, -1, -1},
        {"_CON:Hxx,yy,zz", 5, -1, -1},
        {"_CON:H80,-50,100", 5, 80, -1},
    };
    for (const auto& row : rows) {
        const std::string line = std::string("05/12/16,07:15:00,") + row.event;
        const auto record = parseShiftRecord(line);
        ASSERT_TRUE(record) << row.event;
        EXPECT_EQ(record->event, ShiftEvent::CycleOnShaded) << row.event;
        EXPECT_EQ(record->shade, row.shade) << row.event;
        EXPECT_EQ(record->feedOverride, row.feed) << row.event;
        EXPECT_EQ(record->spindleOverride, row.spindle) << row.event;
    }
}

TEST_F(ShiftRecordTest, WhatAPartRecordBrings)
{
    const struct {
        const char* event;
        std::optional<std::int64_t> minimum, maximum, pieces;
        bool minimumOnly;
    } rows[] = {
        {"_PARTNO:BRACKET-7,280,400;2", 280, 400, 2, false},
        {"_PARTNO:BRACKET-7,280,400,_MIN_ONLY;3", 280, 400, 3, true},
        {"_PARTNO:BRACKET-7,_MIN_ONLY,280", std::nullopt, 280, std::nullopt, true},
        {"_PARTNO:BRACKET-7;4", std::nullopt, std::nullopt, 4, false},
        {"_PARTNO:BRACKET-7,,", std::nullopt, std::nullopt, std::nullopt, false},
        {"_PARTNO:BRACKET-7,-5,12s", -5, 12, std::nullopt, false},
        {"_PARTNO:BRACKET-7,1234567890123456789", 123456789012345, std::nullopt, std::nullopt,
         false},
    };
    for (const auto& row : rows) {
        // The record's texts are views into the line: the line must outlive it.
        const std::string line = std::string("05/12/16,07:15:00,") + row.event;
        const auto record = parseShiftRecord(line);
        ASSERT_TRUE(record) << row.event;
        const PartRecordFields part = partRecordFields(*record);
        EXPECT_EQ(part.minimum, row.minimum) << row.event;
        EXPECT_EQ(part.maximum, row.maximum) << row.event;
        EXPECT_EQ(part.pieces, row.pieces) << row.event;
        EXPECT_EQ(part.minimumOnly, row.minimumOnly) << row.event;
    }
}

TEST_F(ShiftRecordTest, CountsAreBounded)
{
    const auto count = parseShiftRecord("05/12/16,07:15:00,_CYCOUNT,12,10,14");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->event, ShiftEvent::CycleCount);
    EXPECT_EQ(count->cycles, 12);
    EXPECT_EQ(count->minRate, 10);
    EXPECT_EQ(count->maxRate, 14);
    const auto wild = parseShiftRecord("05/12/16,07:15:00,_CYCOUNT,99999999999999999999,-5,abc");
    ASSERT_TRUE(wild);
    EXPECT_EQ(wild->cycles, 0) << "a number past the range is no number";
    EXPECT_EQ(wild->minRate, -5);
    EXPECT_EQ(wild->maxRate, 0);
    const auto big = parseShiftRecord("05/12/16,07:15:00,_CYCOUNT,5000000,-5000000");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->cycles, 1'000'000);
    EXPECT_EQ(big->minRate, -1'000'000);
    const auto bare = parseShiftRecord("05/12/16,07:15:00,_CYCOUNT");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->cycles, 0);
}

}  // namespace
}  // namespace quillon
