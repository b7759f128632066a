// A sequence kept in blocks of at most kBlockCapacity items, for the document's line table:
// inserting or removing one item moves items inside one block only, so Enter in a program
// of millions of lines costs the same as in one of a hundred.
//
//     blocks   [0 .. 4095] [4096 .. 6143] [6144 .. 10239] ...
//     starts    0           4096           6144
//
// A full block splits in two; a block that an erase leaves small merges with a neighbour,
// and an empty one goes. The first index of every block is kept in `m_starts`, so an item
// is found by a guess (all blocks full, as after loading) or a binary search over the
// starts; a change moves the starts of the later blocks, a few thousand at most.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace quillon {

template <typename T>
class BlockVector {
    // Items move with memmove and blocks are left uninitialised.
    static_assert(std::is_trivially_copyable_v<T>);

public:
    // 32 KiB of 8-byte line entries: moving half a block is a microsecond.
    static constexpr std::size_t kBlockCapacity = 4096;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    T& operator[](std::size_t index)
    {
        const std::size_t block = blockOf(index);
        return m_blocks[block].items[index - m_starts[block]];
    }
    const T& operator[](std::size_t index) const
    {
        const std::size_t block = blockOf(index);
        return m_blocks[block].items[index - m_starts[block]];
    }

    void clear()
    {
        m_blocks.clear();
        m_starts.clear();
        m_size = 0;
    }

    // Inlined whatever the compiler thinks: loading calls it for every line of a program.
    [[gnu::always_inline]] void pushBack(const T& value)
    {
        if (m_blocks.empty() || m_blocks.back().size == kBlockCapacity) [[unlikely]]
            appendBlock();
        Block& last = m_blocks.back();
        last.items[last.size++] = value;
        ++m_size;
    }

    void insert(std::size_t index, const T& value)
    {
        insert(index, 1, [&value](std::size_t) { return value; });
    }

    // Inserts count items before index; make(k) gives the k-th of them.
    template <typename Make>
    void insert(std::size_t index, std::size_t count, Make&& make)
    {
        assert(index <= m_size);
        if (count == 0)
            return;
        if (m_blocks.empty()) {
            for (std::size_t k = 0; k < count; ++k)
                pushBack(make(k));
            return;
        }
        std::size_t block = index == m_size ? m_blocks.size() - 1 : blockOf(index);
        std::size_t at = index - m_starts[block];
        if (m_blocks[block].size + count > kBlockCapacity && count <= kBlockCapacity / 2) {
            // A full block splits in halves, so that the insertions that follow, typing
            // Enter after Enter, find room in it again.
            splitInHalves(block);
            if (at > m_blocks[block].size) {
                at -= m_blocks[block].size;
                ++block;
            }
        }
        Block& target = m_blocks[block];
        if (target.size + count <= kBlockCapacity) {
            std::memmove(target.items.get() + at + count, target.items.get() + at,
                         (target.size - at) * sizeof(T));
            for (std::size_t k = 0; k < count; ++k)
                target.items[at + k] = make(k);
            target.size += count;
            m_size += count;
            for (std::size_t later = block + 1; later < m_starts.size(); ++later)
                m_starts[later] += count;
            return;
        }
        // Many items at once (a paste): the block keeps its head, the items follow in new
        // blocks filled to three quarters, so that the next insertions near them fit, and
        // the block's tail comes last in one of its own.
        std::vector<Block> added;
        added.push_back(Block::make());
        added.back().size = target.size - at;
        std::memcpy(added.back().items.get(), target.items.get() + at,
                    added.back().size * sizeof(T));
        target.size = at;
        std::size_t k = 0;
        for (; target.size < kBlockCapacity && k < count; ++k)
            target.items[target.size++] = make(k);
        const std::size_t fill = kBlockCapacity / 4 * 3;
        std::vector<Block> middle;
        for (; k < count; ++k) {
            if (middle.empty() || middle.back().size == fill)
                middle.push_back(Block::make());
            middle.back().items[middle.back().size++] = make(k);
        }
        added.insert(added.begin(), std::make_move_iterator(middle.begin()),
                     std::make_move_iterator(middle.end()));
        m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(block + 1),
                        std::make_move_iterator(added.begin()),
                        std::make_move_iterator(added.end()));
        m_size += count;
        tidy(block, block + added.size() + 1);
        restartFrom(block);
    }

    void erase(std::size_t index, std::size_t count = 1)
    {
        assert(index + count <= m_size);
        if (count == 0)
            return;
        const std::size_t first = blockOf(index);
        std::size_t block = first;
        std::size_t at = index - m_starts[first];
        for (std::size_t left = count; left > 0; ++block, at = 0) {
            Block& target = m_blocks[block];
            const std::size_t removed = std::min(left, target.size - at);
            std::memmove(target.items.get() + at, target.items.get() + at + removed,
                         (target.size - at - removed) * sizeof(T));
            target.size -= removed;
            left -= removed;
        }
        m_size -= count;
        // The block before the first touched and the one after the last may now merge
        // with what is left between them.
        const std::size_t around = first > 0 ? first - 1 : 0;
        tidy(around, block + 1);
        restartFrom(around);
    }

    // Calls visit(index, item) for the items from first on, in order, while it returns true.
    template <typename Visit>
    void forEachFrom(std::size_t first, Visit&& visit) const
    {
        if (first >= m_size)
            return;
        std::size_t index = first;
        for (std::size_t block = blockOf(first); block < m_blocks.size(); ++block) {
            const Block& current = m_blocks[block];
            for (std::size_t at = index - m_starts[block]; at < current.size; ++at, ++index) {
                if (!visit(index, current.items[at]))
                    return;
            }
        }
    }

    // The number of blocks, for tests of the block bookkeeping.
    std::size_t blockCount() const { return m_blocks.size(); }

private:
    struct Block {
        std::unique_ptr<T[]> items;
        std::size_t size = 0;
        static Block make() { return {std::make_unique_for_overwrite<T[]>(kBlockCapacity), 0}; }
    };

    std::size_t blockOf(std::size_t index) const
    {
        assert(index < m_size);
        // Exact while the blocks before are full, as a loaded file leaves them.
        const std::size_t guess = index / kBlockCapacity;
        if (guess < m_starts.size() && m_starts[guess] <= index &&
            index - m_starts[guess] < m_blocks[guess].size)
            return guess;
        const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), index);
        return static_cast<std::size_t>(after - m_starts.begin()) - 1;
    }

    // Recomputes the starts of the blocks from `block` on.
    void restartFrom(std::size_t block)
    {
        m_starts.resize(m_blocks.size());
        if (m_blocks.empty())
            return;
        if (block == 0)
            m_starts[0] = 0;
        for (std::size_t i = std::max<std::size_t>(block, 1); i < m_blocks.size(); ++i)
            m_starts[i] = m_starts[i - 1] + m_blocks[i - 1].size;
    }

    void appendBlock()
    {
        m_starts.push_back(m_size);
        m_blocks.push_back(Block::make());
    }

    void splitInHalves(std::size_t block)
    {
        Block upper = Block::make();
        Block& lower = m_blocks[block];
        upper.size = lower.size / 2;
        lower.size -= upper.size;
        std::memcpy(upper.items.get(), lower.items.get() + lower.size, upper.size * sizeof(T));
        m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(block + 1),
                        std::move(upper));
        restartFrom(block);
    }

    // Removes the empty blocks in [first, end) and merges each block there that is under a
    // quarter full with its successor when both fit in one. The starts are left stale.
    void tidy(std::size_t first, std::size_t end)
    {
        end = std::min(end, m_blocks.size());
        for (std::size_t i = first; i < end;) {
            if (m_blocks[i].size == 0) {
                m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(i));
                --end;
                continue;
            }
            if (i + 1 < m_blocks.size()) {
                Block& left = m_blocks[i];
                Block& right = m_blocks[i + 1];
                const bool small =
                    left.size < kBlockCapacity / 4 || right.size < kBlockCapacity / 4;
                if (small && left.size + right.size <= kBlockCapacity) {
                    std::memcpy(left.items.get() + left.size, right.items.get(),
                                right.size * sizeof(T));
                    left.size += right.size;
                    m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(i + 1));
                    end = std::min(end, m_blocks.size());
                    continue;
                }
            }
            ++i;
        }
    }

    std::vector<Block> m_blocks;
    std::vector<std::size_t> m_starts;  // the index of each block's first item
    std::size_t m_size = 0;
};

}  // namespace quillon
