#include "charting/AxisTicks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quillon {
namespace {

std::vector<QString> labelsOf(const std::vector<AxisTick>& ticks)
{
    std::vector<QString> labels;
    for (const AxisTick& tick : ticks)
        labels.push_back(tick.label);
    return labels;
}

double at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return toSerialDays(QDate(year, month, day), QTime(hour, minute, second));
}

TEST(SerialDays, CountFromTheSpreadsheetEpoch)
{
    const struct {
        const char* scenario;
        QDate date;
        QTime time;
        double serial;
    } cases[] = {
        {"the epoch", QDate(1899, 12, 30), QTime(0, 0), 0},
        {"New Year 1900", QDate(1900, 1, 1), QTime(0, 0), 2},
        {"a shift start", QDate(2024, 3, 14), QTime(14, 0), 45365 + 14 / 24.0},
        {"a leap day at noon", QDate(2024, 2, 29), QTime(12, 0), 45351.5},
        {"before the epoch", QDate(1899, 12, 29), QTime(18, 0), -0.25},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(toSerialDays(c.date, c.time), c.serial) << c.scenario;
        const QDateTime back = fromSerialDays(c.serial);
        EXPECT_EQ(back.date(), c.date) << c.scenario;
        EXPECT_EQ(back.time(), c.time) << c.scenario;
    }
}

TEST(SerialDays, MinutesAddedAsFractionsOfADay)
{
    // The old interface added minutes to a day's value as n / 1440.
    const double value = toSerialDays(QDate(2024, 3, 14)) + 90 / 1440.0;
    EXPECT_EQ(fromSerialDays(value), QDateTime(QDate(2024, 3, 14), QTime(1, 30), Qt::UTC));
    EXPECT_EQ(fromSerialDays(toSerialDays(QDate(2024, 3, 14)) + 1439 / 1440.0).time(),
              QTime(23, 59));
}

TEST(SerialDays, ValuesThatAreNoDateGiveNone)
{
    for (double value : {std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::infinity(), 1e9, -1e9})
        EXPECT_FALSE(fromSerialDays(value).isValid()) << value;
    EXPECT_TRUE(dateTimeTicks(0, 1e9, 5).empty());
}

TEST(AxisTicks, RoundSteps)
{
    const struct {
        double span;
        int maxTicks;
        double step;
    } cases[] = {
        {10, 5, 2},  {7, 5, 2},     {100, 10, 10}, {1, 4, 0.25}, {0.003, 3, 0.001},
        {45, 4, 20}, {1e6, 8, 2e5}, {-1, 5, 1},    {0, 5, 1},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(niceStep(c.span, c.maxTicks), c.step) << c.span << "/" << c.maxTicks;
}

TEST(AxisTicks, LabelsCarryTheDecimalsOfTheStep)
{
    const struct {
        double value, step;
        const char* label;
    } cases[] = {
        {25, 25, "25"},          {2.5, 2.5, "2.5"},    {0.25, 0.25, "0.25"}, {1200, 200, "1200"},
        {0.1 + 0.2, 0.1, "0.3"}, {-1e-17, 0.5, "0.0"}, {-7.5, 2.5, "-7.5"},  {1e10, 1e9, "1e+10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tickLabel(c.value, c.step), c.label) << c.value << " by " << c.step;
}

TEST(AxisTicks, NumericTicksAreRoundAndInside)
{
    const auto ticks = numericTicks(-0.3, 1.7, 5);
    EXPECT_EQ(labelsOf(ticks), (std::vector<QString>{"0.0", "0.5", "1.0", "1.5"}));
    for (double low : {-1234.5, -0.001, 0.0, 3.3, 45365.0}) {
        for (double span : {0.01, 1.0, 77.0, 1e5}) {
            const auto range = numericTicks(low, low + span, 8);
            ASSERT_GE(range.size(), 2u) << low << " " << span;
            EXPECT_LE(range.size(), 9u) << low << " " << span;
            for (const AxisTick& tick : range) {
                EXPECT_GE(tick.value, low - span * 1e-9);
                EXPECT_LE(tick.value, low + span * (1 + 1e-9));
            }
        }
    }
    EXPECT_TRUE(numericTicks(1, 1, 5).empty());
    EXPECT_TRUE(numericTicks(0, std::numeric_limits<double>::quiet_NaN(), 5).empty());
}

TEST(AxisTicks, DateTimeLabels)
{
    const struct {
        const char* scenario;
        double low, high;
        int maxTicks;
        std::vector<QString> labels;
    } cases[] = {
        {"a shift in two-hour steps, the date under the first",
         at(2024, 3, 14, 14),
         at(2024, 3, 14, 22),
         6,
         {"14:00\n14 Mar 2024", "16:00", "18:00", "20:00", "22:00"}},
        {"past midnight the new date shows",
         at(2024, 3, 14, 21, 30),
         at(2024, 3, 15, 4),
         4,
         {"22:00\n14 Mar 2024", "00:00\n15 Mar 2024", "02:00", "04:00"}},
        {"seconds",
         at(2024, 3, 14, 14),
         at(2024, 3, 14, 14, 0, 20),
         5,
         {"14:00:00\n14 Mar 2024", "14:00:05", "14:00:10", "14:00:15", "14:00:20"}},
        {"days, the year under the first",
         at(2024, 3, 1),
         at(2024, 3, 10),
         5,
         {"1 Mar\n2024", "3 Mar", "5 Mar", "7 Mar", "9 Mar"}},
        {"months, on first days",
         at(2023, 12, 15),
         at(2024, 12, 31),
         7,
         {"Jan\n2024", "Mar", "May", "Jul", "Sep", "Nov"}},
        {"quarters when fewer fit",
         at(2023, 12, 15),
         at(2024, 12, 31),
         6,
         {"Jan\n2024", "Apr", "Jul", "Oct"}},
        {"years", at(1999, 6, 1), at(2031, 1, 1), 4, {"2000", "2010", "2020", "2030"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(labelsOf(dateTimeTicks(c.low, c.high, c.maxTicks)), c.labels) << c.scenario;
}

TEST(AxisTicks, WeeksStartOnMondays)
{
    const auto ticks = dateTimeTicks(at(2024, 3, 1), at(2024, 4, 30), 10);
    ASSERT_GE(ticks.size(), 7u);
    for (const AxisTick& tick : ticks) {
        const QDateTime time = fromSerialDays(tick.value);
        EXPECT_EQ(time.date().dayOfWeek(), 1) << time.toString().toStdString();
        EXPECT_EQ(time.time(), QTime(0, 0));
    }
}

}  // namespace
}  // namespace quillon
