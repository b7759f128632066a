#include "editor/BlockVector.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace quillon {
namespace {

constexpr std::size_t kBlock = BlockVector<int>::kBlockCapacity;

void expectSame(const BlockVector<int>& items, const std::vector<int>& model,
                const std::string& scenario = {})
{
    ASSERT_EQ(items.size(), model.size()) << scenario;
    for (std::size_t i = 0; i < model.size(); ++i)
        ASSERT_EQ(items[i], model[i]) << scenario << ", index " << i;
    std::size_t visited = 0;
    items.forEachFrom(0, [&](std::size_t index, int value) {
        EXPECT_EQ(index, visited);
        EXPECT_EQ(value, model[index]) << scenario << ", visiting " << index;
        ++visited;
        return true;
    });
    EXPECT_EQ(visited, model.size()) << scenario;
}

// Both filled with 0, 1, 2, ... as loading fills the line table: every block full.
void load(BlockVector<int>& items, std::vector<int>& model, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        items.pushBack(static_cast<int>(i));
        model.push_back(static_cast<int>(i));
    }
}

void insertBoth(BlockVector<int>& items, std::vector<int>& model, std::size_t at,
                std::size_t count, int first)
{
    items.insert(at, count, [first](std::size_t k) { return first + static_cast<int>(k); });
    std::vector<int> added(count);
    for (std::size_t k = 0; k < count; ++k)
        added[k] = first + static_cast<int>(k);
    model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
}

void eraseBoth(BlockVector<int>& items, std::vector<int>& model, std::size_t at, std::size_t count)
{
    items.erase(at, count);
    model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                model.begin() + static_cast<std::ptrdiff_t>(at + count));
}

TEST(BlockVector, FollowsAPlainVectorThroughRandomEdits)
{
    std::mt19937 random(7);
    BlockVector<int> items;
    std::vector<int> model;
    load(items, model, 3 * kBlock);
    int next = 100000;
    for (int step = 0; step < 5000; ++step) {
        const int action = static_cast<int>(random() % 20);
        if (action < 11 || model.empty()) {
            const std::size_t at = random() % (model.size() + 1);
            // Now and then a paste bigger than a block.
            const std::size_t count = action == 0 ? 1 + random() % (3 * kBlock) : 1 + random() % 3;
            insertBoth(items, model, at, count, next);
            next += static_cast<int>(count);
        } else {
            const std::size_t at = random() % model.size();
            const std::size_t most = action == 11 ? 2 * kBlock : 4;
            const std::size_t count = 1 + random() % std::min(most, model.size() - at);
            eraseBoth(items, model, at, count);
        }
        if (step % 499 == 0)
            expectSame(items, model, "step " + std::to_string(step));
    }
    expectSame(items, model);
}

// Lines split (Enter) and merged (Backspace at a line start) one at a time where the line
// table's blocks split and merge: at its start, in its middle, at its end and across the
// border of two blocks.
TEST(BlockVector, StaysInOrderThroughSplitsAndMergesAtEveryPlace)
{
    struct Case {
        const char* scenario;
        std::function<std::size_t(std::size_t size)> where;
    };
    const Case cases[] = {
        {"at the start", [](std::size_t) { return std::size_t{0}; }},
        {"in the middle", [](std::size_t size) { return size / 2; }},
        {"at the end", [](std::size_t size) { return size; }},
        {"at a block border", [](std::size_t) { return kBlock; }},
    };
    for (const auto& c : cases) {
        BlockVector<int> items;
        std::vector<int> model;
        load(items, model, 4 * kBlock);
        // Enter after Enter, the caret moving down with the new line: a full block splits
        // and the later ones fill up.
        const std::size_t at = c.where(model.size());
        for (std::size_t i = 0; i < kBlock + 10; ++i)
            insertBoth(items, model, at + i, 1, -static_cast<int>(i) - 1);
        expectSame(items, model, c.scenario);
        EXPECT_LE(items.blockCount(), 7u) << c.scenario;
        // Then all joined again, backwards, the last inserted first.
        for (std::size_t i = kBlock + 10; i-- > 0;)
            eraseBoth(items, model, at + i, 1);
        expectSame(items, model, c.scenario);
        // A block only shrunk by the joins merges back with its neighbour.
        EXPECT_LE(items.blockCount(), 5u) << c.scenario;
    }
}

TEST(BlockVector, BigPastesAndCutsKeepBlocksFewAndTheOrderRight)
{
    BlockVector<int> items;
    std::vector<int> model;
    load(items, model, 10 * kBlock);
    insertBoth(items, model, 5 * kBlock + 7, 20 * kBlock, -1000000);
    expectSame(items, model, "after the paste");
    EXPECT_LE(items.blockCount(), 10u + 20 * 4 / 3 + 3);
    // Cutting nearly everything leaves few small blocks, never empty ones.
    eraseBoth(items, model, 3, model.size() - 6);
    expectSame(items, model, "after the cut");
    EXPECT_EQ(items.blockCount(), 1u);
    eraseBoth(items, model, 0, model.size());
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(items.blockCount(), 0u);
    insertBoth(items, model, 0, 3, 1);
    expectSame(items, model, "refilled");
}

TEST(BlockVector, VisitingStopsWhenAsked)
{
    BlockVector<int> items;
    std::vector<int> model;
    load(items, model, 2 * kBlock + 5);
    std::vector<std::size_t> seen;
    items.forEachFrom(kBlock - 2, [&](std::size_t index, int) {
        seen.push_back(index);
        return seen.size() < 4;
    });
    EXPECT_EQ(seen, (std::vector<std::size_t>{kBlock - 2, kBlock - 1, kBlock, kBlock + 1}));
    items[kBlock] = 42;
    EXPECT_EQ(items[kBlock], 42);
}

}  // namespace
}  // namespace quillon
