#include "calculators/ShopCalculators.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

TEST(ShopCalculators, NumberTextsDropTheFifthDecimal)
{
    const std::pair<double, const char*> cases[] = {
        {2.5, "2.5000"},
        {0.05, "0.0500"},
        {-12.34567, "-12.3456"},
        {7.0710678, "7.0710"},
        {0.999996, "1.0000"},
        {0.9999949, "0.9999"},
        {0, "0.0000"},
        {123456789012.5, "123456789012.500"},
        {1e300, "1000000000000000"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(calculatorNumberText(value), text) << value;
}

TEST(ShopCalculators, BoltHolesRunClockwiseFromTwelveOClock)
{
    BoltHoleResult result = boltHoleCircle({"0", "0", "10", "4", "45"});
    ASSERT_FALSE(result.message);
    EXPECT_EQ(result.lines,
              (std::vector<std::string>{"X7.0710   Y7.0710", "X7.0710   Y-7.0710",
                                        "X-7.0710   Y-7.0710", "X-7.0710   Y7.0710"}));
    // A hole on an axis reads 0, never -0.
    result = boltHoleCircle({"100", "-50", "25", "2", "0"});
    EXPECT_EQ(result.lines,
              (std::vector<std::string>{"X100.0000   Y-25.0000", "X100.0000   Y-75.0000"}));
    EXPECT_EQ(boltHoleCircle({"0", "0", "1", "360", "0"}).lines.size(), 360u);
}

TEST(ShopCalculators, BoltHoleChecksStopAtTheFirstFailure)
{
    const std::pair<BoltHoleFields, const char*> cases[] = {
        {{"", "", "", "", ""}, "Specify X centerpoint"},
        {{"0", " ", "10", "4", "0"}, "Specify Y centerpoint"},
        {{"0", "0", "", "4", "0"}, "Specify radius"},
        {{"0", "0", "0.009", "4", "0"}, "Radius is too small"},
        {{"0", "0", "10", "", "0"}, "Specify number of holes"},
        {{"0", "0", "10", "1", "0"}, "Number of holes is too small"},
        {{"0", "0", "10", "361", "0"}, "Number of holes are too large"},
        {{"0", "0", "10", "4", ""}, "Specify first hole position"},
        {{"0", "0", "10", "4", "-360.1"}, "First hole position is too small"},
        {{"0", "0", "10", "4", "361"}, "First hole position is too large"},
        // "inf" is no radius.
        {{"0", "0", "inf", "4", "0"}, "Radius is too small"},
    };
    for (const auto& [fields, message] : cases) {
        const BoltHoleResult result = boltHoleCircle(fields);
        EXPECT_EQ(result.message, message);
        EXPECT_TRUE(result.lines.empty());
    }
    // Only the first 19 characters of a field are read.
    EXPECT_EQ(boltHoleCircle({"0", "0", std::string(19, ' ') + "5", "4", "0"}).message,
              "Specify radius");
}

TEST(ShopCalculators, TheTriangleFromAnyTwoOfItsParts)
{
    struct Case {
        TriangleTexts given;
        TriangleTexts expected;
    };
    const Case cases[] = {
        {{"3", "4", "", "", ""}, {"3.0000", "4.0000", "5.0000", "36.8699", "53.1301"}},
        {{"3", "", "5", "", ""}, {"3.0000", "4.0000", "5.0000", "36.8699", "53.1301"}},
        {{"", "4", "5", "", ""}, {"3.0000", "4.0000", "5.0000", "36.8699", "53.1301"}},
        {{"3", "", "", "36.8699", ""}, {"3.0000", "4.0000", "5.0000", "36.8699", "53.1301"}},
        {{"", "", "10", "30", ""}, {"5.0000", "8.6602", "10.0000", "30.0000", "60.0000"}},
        {{"", "", "10", "", "60"}, {"5.0000", "8.6602", "10.0000", "30.0000", "60.0000"}},
        {{"5", "", "", "", "60"}, {"5.0000", "8.6602", "10.0000", "30.0000", "60.0000"}},
        {{"", "8.660254", "", "30", ""}, {"5.0000", "8.6602", "10.0000", "30.0000", "60.0000"}},
        {{"", "8.660254", "", "", "60"}, {"5.0000", "8.6602", "10.0000", "30.0000", "60.0000"}},
    };
    for (const Case& c : cases) {
        const TriangleResult result = rightAngleTriangle(c.given);
        EXPECT_FALSE(result.message) << *result.message;
        EXPECT_EQ(result.texts, c.expected) << c.given[0] << "," << c.given[1] << "," << c.given[2]
                                            << "," << c.given[3] << "," << c.given[4];
    }
}

TEST(ShopCalculators, TriangleMessagesLeaveTheFieldsAsTyped)
{
    const std::pair<TriangleTexts, const char*> cases[] = {
        {{"3", "4", "5", "", ""}, "Too many data"},
        {{"3", "", "", "", ""}, "Too few data"},
        {{"", "", "", "", ""}, "Too few data"},
        {{"", "", "", "30", "60"}, "Undefined triangle"},
        {{"0.00001", "4", "", "", ""}, "Too small 'A' value"},
        {{"3", "0", "", "", ""}, "Too small 'B' value"},
        {{"3", "", "-1", "", ""}, "Too small 'C' value"},
        {{"3", "", "", "0.0001", ""}, "Too small 'a' value"},
        {{"3", "", "", "", "0.0001"}, "Too small 'b' value"},
        // A leg not shorter than the hypotenuse, an "acute" angle of 90 degrees or more.
        {{"5", "", "3", "", ""}, "Impossible triangle"},
        {{"5", "", "5", "", ""}, "Impossible triangle"},
        {{"3", "", "", "100", ""}, "Impossible triangle"},
        {{"", "", "10", "", "90"}, "Impossible triangle"},
    };
    for (const auto& [fields, message] : cases) {
        const TriangleResult result = rightAngleTriangle(fields);
        EXPECT_EQ(result.message, message) << fields[0] << "," << fields[2] << "," << fields[3];
        EXPECT_EQ(result.texts, fields);
    }
}

TEST(ShopCalculators, SurfaceSpeedFromTwoOfFour)
{
    struct Case {
        SurfaceSpeedTexts given;
        SurfaceSpeedTexts expected;
    };
    const Case cases[] = {
        {{"1000", "1", "", ""}, {"1000", "1", "52.35", "261.79"}},
        {{"1000", "", "52.3598", ""}, {"1000", "1.0000", "52.3598", "261.79"}},
        {{"1000", "", "", "261.7994"}, {"1000", "1.0000", "52.35", "261.7994"}},
        {{"", "2", "", "261.7994"}, {"500.00", "2", "52.35", "261.7994"}},
        {{"", "2", "104.7197", ""}, {"999.99", "2", "104.7197", "523.59"}},
    };
    for (const Case& c : cases) {
        const SurfaceSpeedResult result = surfaceSpeed(c.given);
        EXPECT_FALSE(result.message);
        EXPECT_EQ(result.texts, c.expected)
            << c.given[0] << "," << c.given[1] << "," << c.given[2] << "," << c.given[3];
    }
    const std::pair<SurfaceSpeedTexts, const char*> refused[] = {
        {{"1000", "", "", ""}, "Incorrect data"},
        {{"1000", "1", "52", ""}, "Incorrect data"},
        {{"", "", "52", "261"}, "Incorrect data"},
        {{"0.0009", "1", "", ""}, "Too small RPM value"},
        {{"1000", "0", "", ""}, "Too small DIA value"},
        {{"1000", "", "-5", ""}, "Too small Surface Speed value"},
        {{"1000", "", "", "0"}, "Too small Surface Speed value"},
    };
    for (const auto& [fields, message] : refused) {
        const SurfaceSpeedResult result = surfaceSpeed(fields);
        EXPECT_EQ(result.message, message);
        EXPECT_EQ(result.texts, fields);
    }
}

}  // namespace
}  // namespace quillon
