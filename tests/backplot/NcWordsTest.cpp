#include "backplot/NcWords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "backplot/ArcGeometry.h"

namespace quillon {
namespace {

TEST(NcWords, AddressValuesReadAsTheDecimalConversionDoes)
{
    EXPECT_DOUBLE_EQ(addressValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(addressValue(" 12"), 0.0);
    EXPECT_DOUBLE_EQ(addressValue("1-2"), 1.0);
    EXPECT_DOUBLE_EQ(addressValue("-12.5Y3"), -12.5);
    EXPECT_DOUBLE_EQ(addressValue("+3."), 3.0);
    EXPECT_DOUBLE_EQ(addressValue("--5"), 0.0);
    // At most 14 characters: the fifteenth digit is not part of the number.
    EXPECT_DOUBLE_EQ(addressValue("123456789012345"), 12345678901234.0);
    EXPECT_EQ(addressValueLength("1.5 X"), 3u);
    // Exactly the library's conversion, short numbers and long ones alike.
    for (const char* text : {"0.1", "12.3456", "-99999.999", "0.000000000000000000001",
                             "123456789012345678", "1.00000000000000000001", "7.", "007.5"})
        EXPECT_EQ(decimalValue(text), std::strtod(text, nullptr)) << text;
    EXPECT_EQ(decimalValue("1.2.3"), 1.2);
    EXPECT_EQ(decimalValue("."), 0.0);
    EXPECT_EQ(integerValue("71P10"), 71);
    EXPECT_EQ(integerValue("99999999999999"), 2147483647);
}

TEST(NcWords, WordsSkipCommentsAndLowerCase)
{
    std::vector<std::pair<char, std::string>> words;
    forEachWord("N10 G01(MOVE X9)x5 X1.5;Y-2 (open", [&](char letter, std::string_view rest) {
        words.emplace_back(letter, std::string(rest.substr(0, addressValueLength(rest))));
        return true;
    });
    const std::vector<std::pair<char, std::string>> expected = {
        {'N', "10"}, {'G', "01"}, {'X', "1.5"}, {'Y', "-2"}};
    EXPECT_EQ(words, expected);
}

TEST(NcWords, CoordinateTextIsCutToEightCharacters)
{
    const std::pair<double, const char*> cases[] = {
        {2.5, "2.5000"},
        {-12.3456, "-12.3456"},
        {1234.5678, "1234.567"},
        {0.25, ".25000"},
        {0.0, ".00000"},
        {-0.5, "-.50000"},
        {40.0, "40.0000"},
        {10.00000001, "10.0000"},
        {99999.99, "99999.99"},
        {123456789.0, "12345678"},
        {-1234.5678, "-1234.56"},
        {0.123456789, ".12345"},
        {std::nan(""), ".00000"},
        {1234567.89, "1234567."},
        {-1234567.0, "-1234567"},
        {1e12, "10000000"},
        {-1e12, "-1000000"},
        {-0.000001, "-.00000"},
        {9.99999999999, "10.0000"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(coordinateText(value), text) << value;
}

// The passes hand their own records on with the values the path builder would read back
// from their texts; the two must never differ, or the early plot leaves the file's.
TEST(NcWords, ACoordinateReadsBackAsItsText)
{
    std::vector<double> values = {0.0,      -0.0,       2.5,   -12.3456,    1234.5678, 0.25,
                                  99999.99, 1234567.89, -1e12, 123456789.0, 5e-10};
    unsigned seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245 + 12345;
        const double unit = static_cast<double>(seed >> 8) / (1 << 24) - 0.5;
        values.push_back(unit * std::pow(10.0, i % 13 - 3));
    }
    for (const double value : values) {
        char text[kCoordinateTextRoom];
        double readBack = 1;
        const std::size_t length = writeCoordinateText(value, text, readBack);
        ASSERT_EQ(readBack, decimalValue(std::string_view(text, length)))
            << value << " " << std::string_view(text, length);
        ASSERT_EQ(std::string_view(text, length), coordinateText(value));
    }
}

TEST(ArcGeometry, ACentreFromTheRadiusPicksTheShortOrTheLongArc)
{
    const PlanePoint origin{0, 0};
    const PlanePoint end{10, 0};
    const auto near = [](PlanePoint p, double a, double b) {
        return std::fabs(p.a - a) < 1e-9 && std::fabs(p.b - b) < 1e-9;
    };
    EXPECT_TRUE(near(arcCentreFromRadius(origin, end, 5, true), 5, 0));
    // R 5 over a chord of 6: the centre is 4 off the chord, on the side the direction and
    // the radius's sign say.
    const PlanePoint six{6, 0};
    EXPECT_TRUE(near(arcCentreFromRadius(origin, six, 5, true), 3, -4));
    EXPECT_TRUE(near(arcCentreFromRadius(origin, six, -5, true), 3, 4));
    EXPECT_TRUE(near(arcCentreFromRadius(origin, six, 5, false), 3, 4));
    // A chord longer than the diameter still gives a centre.
    const PlanePoint centre = arcCentreFromRadius(origin, {30, 0}, 5, true);
    EXPECT_TRUE(std::isfinite(centre.a) && std::isfinite(centre.b));
}

TEST(ArcGeometry, AnArcIsDrawnWithAtMostFortyFivePoints)
{
    // Clockwise R5 from the origin to X10: 45 points over the top, the last on the end.
    const auto points = arcPoints({0, 0}, {5, 0}, {10, 0}, true, true);
    ASSERT_EQ(points.size(), 45u);
    EXPECT_NEAR(points[21].b, 5.0, 0.1);
    EXPECT_NEAR(points.back().a, 10.0, 1e-6);
    EXPECT_NEAR(points.back().b, 0.0, 1e-6);
    // A full circle counter-clockwise.
    const auto circle = arcPoints({10, 0}, {0, 0}, {10, 0}, false, true);
    EXPECT_EQ(circle.size(), 45u);
    // A short arc takes 4-degree steps; its last step passes the end, which follows.
    const double quarter = std::numbers::pi / 2;
    const auto shortArc =
        arcPoints({10, 0}, {0, 0}, {10 * std::cos(0.1), 10 * std::sin(0.1)}, false, true);
    ASSERT_EQ(shortArc.size(), 3u);
    EXPECT_NEAR(shortArc[1].b, 10 * std::sin(0.1396263401595464), 1e-9);
    EXPECT_NEAR(shortArc[2].b, 10 * std::sin(0.1), 1e-12);
    EXPECT_EQ(
        arcPoints({10, 0}, {0, 0}, {10 * std::cos(0.1), 10 * std::sin(0.1)}, false, false).size(),
        2u);
    // Too small to draw.
    EXPECT_TRUE(arcPoints({0, 0}, {0.0001, 0}, {0.0002, 0}, true, true).empty());
    EXPECT_NEAR(arcLength({10, 0}, {0, 0}, {0, 10}, false), 10 * quarter, 1e-6);
    EXPECT_NEAR(arcLength({10, 0}, {0, 0}, {0, 10}, true), 30 * quarter, 1e-6);
    EXPECT_EQ(arcLength({0, 0}, {0.0001, 0}, {0.0002, 0}, true), 0.0);
}

}  // namespace
}  // namespace quillon
