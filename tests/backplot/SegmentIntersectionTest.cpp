#include "backplot/SegmentIntersection.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

struct MeetingCase {
    const char* scenario;
    PlanePoint a1, a2, b1, b2;
    SegmentMeeting meeting;
    PlanePoint point;  // checked for a crossing
};

TEST(SegmentIntersection, SegmentsCrossMissOrRunParallel)
{
    // clang-format off
    const MeetingCase cases[] = {
        {"crossing inside both", {0, 0}, {10, 0}, {5, -5}, {5, 5}, SegmentMeeting::Crossing,
         {5, 0}},
        {"touching at an end", {0, 0}, {10, 0}, {10, 0}, {10, 5}, SegmentMeeting::Crossing,
         {10, 0}},
        {"lines cross beyond B", {0, 0}, {10, 0}, {5, 1}, {5, 5}, SegmentMeeting::Apart, {}},
        {"lines cross beyond A", {0, 0}, {10, 0}, {20, -5}, {20, 5}, SegmentMeeting::Apart, {}},
        {"parallel", {0, 0}, {10, 0}, {0, 1}, {10, 1}, SegmentMeeting::Parallel, {}},
        {"on one line", {0, 0}, {10, 0}, {2, 0}, {4, 0}, SegmentMeeting::Parallel, {}},
        {"B a single point", {0, 0}, {10, 0}, {5, 0}, {5, 0}, SegmentMeeting::Parallel, {}},
        // Past the end of A by 1.5e-7 still counts, before its start by as much does not.
        {"just past the end", {0, 0}, {1, 0}, {1.00000015, -1}, {1.00000015, 1},
         SegmentMeeting::Crossing, {1.00000015, 0}},
        {"further past the end", {0, 0}, {1, 0}, {1.0000003, -1}, {1.0000003, 1},
         SegmentMeeting::Apart, {}},
        {"just before the start", {0, 0}, {1, 0}, {-0.00000005, -1}, {-0.00000005, 1},
         SegmentMeeting::Crossing, {0, 0}},
        {"further before the start", {0, 0}, {1, 0}, {-0.00000015, -1}, {-0.00000015, 1},
         SegmentMeeting::Apart, {}},
        {"tiny coordinates become zero", {-1, 0.00000005}, {1, 0.00000005}, {0.00000003, -1},
         {0.00000003, 1}, SegmentMeeting::Crossing, {0, 0}},
        {"overflowing products", {0, 0}, {1e308, 1e308}, {-1e308, 1e308}, {1e308, -1e308},
         SegmentMeeting::Apart, {}},
    };
    // clang-format on
    for (const MeetingCase& c : cases) {
        const SegmentIntersection result = intersectSegments(c.a1, c.a2, c.b1, c.b2);
        EXPECT_EQ(result.meeting, c.meeting) << c.scenario;
        if (c.meeting == SegmentMeeting::Crossing) {
            EXPECT_NEAR(result.point.a, c.point.a, 1e-12) << c.scenario;
            EXPECT_NEAR(result.point.b, c.point.b, 1e-12) << c.scenario;
        }
    }
}

}  // namespace
}  // namespace quillon
