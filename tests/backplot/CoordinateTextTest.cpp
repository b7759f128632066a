#include "backplot/CoordinateText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "backplot/ArcGeometry.h"
#include "nc/Words.h"

namespace quillon {
namespace {

TEST(CoordinateText, IsCutToEightCharacters)
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
TEST(CoordinateText, ACoordinateReadsBackAsItsText)
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
