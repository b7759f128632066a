#include "nc/ModalState.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace quillon {
namespace {

TEST(ModalState, TheModalCodesSetPositioningPlaneAndUnits)
{
    struct Case {
        const char* scenario;
        std::vector<int> codes;
        bool absolute;
        Plane plane;
        std::optional<Units> units;
    };
    const Case cases[] = {
        {"nothing read", {}, true, Plane::None, std::nullopt},
        {"incremental", {91}, false, Plane::None, std::nullopt},
        {"back to absolute", {91, 90}, true, Plane::None, std::nullopt},
        {"planes, the last one counts", {17, 19, 18}, true, Plane::XZ, std::nullopt},
        {"YZ", {19}, true, Plane::YZ, std::nullopt},
        {"inch then millimetre", {20, 21}, true, Plane::None, Units::Millimetre},
        {"inch", {91, 20}, false, Plane::None, Units::Inch},
    };
    for (const Case& c : cases) {
        ModalState modal;
        for (const int code : c.codes)
            EXPECT_TRUE(modal.applyG(code)) << c.scenario;
        EXPECT_EQ(modal.absolute, c.absolute) << c.scenario;
        EXPECT_EQ(modal.plane, c.plane) << c.scenario;
        EXPECT_EQ(modal.units, c.units) << c.scenario;
    }
}

TEST(ModalState, OtherCodesAreLeftToTheCaller)
{
    ModalState modal;
    modal.applyG(91);
    modal.applyG(18);
    for (const int code : {0, 1, 2, 3, 28, 71, 92, 170, -90, 900})
        EXPECT_FALSE(modal.applyG(code)) << code;
    EXPECT_FALSE(modal.absolute);
    EXPECT_EQ(modal.plane, Plane::XZ);
    EXPECT_FALSE(modal.units);
}

TEST(ModalState, PlanesFromTheViewMaskAndTheirAxes)
{
    EXPECT_EQ(planeOfMask(3), Plane::XY);
    EXPECT_EQ(planeOfMask(5), Plane::XZ);
    EXPECT_EQ(planeOfMask(6), Plane::YZ);
    for (const int mask : {0, 1, 2, 4, 7, 8, -1})
        EXPECT_EQ(planeOfMask(mask), Plane::None) << mask;
    EXPECT_EQ(planeAxes(Plane::XY), (std::pair{0, 1}));
    EXPECT_EQ(planeAxes(Plane::XZ), (std::pair{0, 2}));
    EXPECT_EQ(planeAxes(Plane::YZ), (std::pair{1, 2}));
    EXPECT_FALSE(planeAxes(Plane::None));
}

TEST(ModalState, AxisWordsMoveAbsoluteOrByIncrement)
{
    struct Case {
        const char* scenario;
        char letter;
        bool modalAbsolute;
        bool afterReferenceReturn;
        Position expected;  // from {1, 2, 3} by a word of 10
    };
    const Case cases[] = {
        {"X absolute", 'X', true, false, {10, 2, 3}},
        {"Y incremental", 'Y', false, false, {1, 12, 3}},
        {"Z absolute after G28", 'Z', true, true, {1, 2, 10}},
        {"U steps X in G90", 'U', true, false, {11, 2, 3}},
        {"V steps Y in G91", 'V', false, false, {1, 12, 3}},
        {"W after G28 names the position", 'W', false, true, {1, 2, 10}},
    };
    for (const Case& c : cases) {
        const auto word = axisWord(c.letter, c.modalAbsolute, c.afterReferenceReturn);
        ASSERT_TRUE(word) << c.scenario;
        Position position{1, 2, 3};
        moveAxis(position, *word, 10);
        EXPECT_EQ(position, c.expected) << c.scenario;
    }
    for (const char letter : {'A', 'I', 'K', 'R', 'x', 'u', 'G'})
        EXPECT_FALSE(axisWord(letter, true, false)) << letter;
    // A lathe's X is a diameter: the tool goes to its half; every other axis as written.
    EXPECT_EQ(positionValue(0, 10, true), 5);
    EXPECT_EQ(positionValue(2, 10, true), 10);
    EXPECT_EQ(positionValue(0, 10, false), 10);
}

}  // namespace
}  // namespace quillon
