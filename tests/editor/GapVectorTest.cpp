#include "editor/GapVector.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quillon {
namespace {

void expectSame(const GapVector<int>& gap, const std::vector<int>& model)
{
    ASSERT_EQ(gap.size(), model.size());
    for (std::size_t i = 0; i < model.size(); ++i)
        ASSERT_EQ(gap[i], model[i]) << "index " << i;
}

TEST(GapVector, FollowsAPlainVectorThroughRandomEdits)
{
    std::mt19937 random(7);
    GapVector<int> gap;
    std::vector<int> model;
    int next = 0;
    for (int step = 0; step < 5000; ++step) {
        const int action = static_cast<int>(random() % 10);
        if (action < 6 || model.empty()) {
            const std::size_t at = random() % (model.size() + 1);
            const std::size_t count = 1 + random() % (action == 0 ? 40 : 2);
            gap.insert(at, count, next);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), count, next);
            ++next;
        } else {
            const std::size_t at = random() % model.size();
            const std::size_t count = 1 + random() % std::min<std::size_t>(5, model.size() - at);
            gap.erase(at, count);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                        model.begin() + static_cast<std::ptrdiff_t>(at + count));
        }
        if (step % 97 == 0)
            expectSame(gap, model);
    }
    expectSame(gap, model);
}

TEST(GapVector, ReserveThenAppendAndEditAtBothEnds)
{
    GapVector<int> gap;
    gap.reserve(1000);
    for (int i = 0; i < 1000; ++i)
        gap.pushBack(i);
    gap.insert(0, -1);
    gap.insert(gap.size(), 1000);
    gap.erase(500);
    EXPECT_EQ(gap.size(), 1001u);
    EXPECT_EQ(gap[0], -1);
    EXPECT_EQ(gap[1], 0);
    EXPECT_EQ(gap[500], 500);  // 499 was erased
    EXPECT_EQ(gap[1000], 1000);
    gap[3] = 42;
    EXPECT_EQ(gap[3], 42);
    gap.clear();
    EXPECT_TRUE(gap.empty());
}

}  // namespace
}  // namespace quillon
