// Local time to seconds: the hour it keeps to spare the zone lookups must never answer for
// another hour or another zone.
#include "platform/LocalTime.h"

#include <gtest/gtest.h>

#include "support/ScopedTimeZone.h"

namespace quillon {
namespace {

TEST(LocalTimeTest, TheKeptHourAnswersOnlyForItsOwnHourAndZone)
{
    const struct {
        const char* name;
        const char* zone;
        LocalDateTime local;
        std::int64_t seconds;
    } rows[] = {
        {"shop, 06:00 daylight time", test::kShopZone, {2016, 5, 12, 6, 0, 0}, 1463050800},
        {"shop, later in the same hour", test::kShopZone, {2016, 5, 12, 6, 59, 59}, 1463054399},
        {"the same hour in UTC", "UTC0", {2016, 5, 12, 6, 0, 0}, 1463032800},
        {"and back in the shop", test::kShopZone, {2016, 5, 12, 6, 0, 0}, 1463050800},
        {"the last second of winter time", test::kShopZone, {2016, 3, 13, 1, 59, 59}, 1457855999},
        {"the first of summer time", test::kShopZone, {2016, 3, 13, 3, 0, 0}, 1457856000},
        {"a leap second's place", test::kShopZone, {2016, 3, 13, 3, 0, 60}, 1457856060},
        {"the same hour a day later", test::kShopZone, {2016, 3, 14, 3, 0, 0}, 1457942400},
    };
    for (const auto& row : rows) {
        test::ScopedTimeZone zone(row.zone);
        EXPECT_EQ(localToSeconds(row.local), row.seconds) << row.name;
    }
}

}  // namespace
}  // namespace quillon
