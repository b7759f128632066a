// A vector with a movable gap: O(1) access by index, and insertions and removals that
// cost only the distance from the previous edit. The document's line table lives in one,
// so typing Enter in a program of millions of lines does not shift every later line.
//
//     [ a b c d | . . . . . | e f g ]
//       front     gap         back
//
// The gap moves to where the next edit happens; edits near each other, as typing makes
// them, move it little.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <vector>

namespace quillon {

template <typename T>
class GapVector {
public:
    std::size_t size() const { return m_items.size() - gapLength(); }
    bool empty() const { return size() == 0; }

    T& operator[](std::size_t index) { return m_items[physical(index)]; }
    const T& operator[](std::size_t index) const { return m_items[physical(index)]; }

    // Room for this many items without growing; for loading a known count at once.
    void reserve(std::size_t count)
    {
        if (count > size() && gapLength() < count - size())
            growGap(count - size());
    }

    void clear()
    {
        m_items.clear();
        m_gapStart = 0;
        m_gapEnd = 0;
    }

    void insert(std::size_t index, const T& value) { insert(index, 1, value); }

    void insert(std::size_t index, std::size_t count, const T& value)
    {
        assert(index <= size());
        moveGapTo(index);
        if (gapLength() < count)
            growGap(count);
        std::fill(m_items.begin() + static_cast<std::ptrdiff_t>(m_gapStart),
                  m_items.begin() + static_cast<std::ptrdiff_t>(m_gapStart + count), value);
        m_gapStart += count;
    }

    void pushBack(const T& value) { insert(size(), value); }

    void erase(std::size_t index, std::size_t count = 1)
    {
        assert(index + count <= size());
        moveGapTo(index);
        m_gapEnd += count;
    }

private:
    std::size_t gapLength() const { return m_gapEnd - m_gapStart; }

    std::size_t physical(std::size_t index) const
    {
        assert(index < size());
        return index < m_gapStart ? index : index + gapLength();
    }

    void moveGapTo(std::size_t index)
    {
        if (index < m_gapStart) {
            // [index, gapStart) moves to the end of the gap.
            std::move_backward(m_items.begin() + static_cast<std::ptrdiff_t>(index),
                               m_items.begin() + static_cast<std::ptrdiff_t>(m_gapStart),
                               m_items.begin() + static_cast<std::ptrdiff_t>(m_gapEnd));
            m_gapEnd -= m_gapStart - index;
            m_gapStart = index;
        } else if (index > m_gapStart) {
            // [gapEnd, gapEnd + distance) moves to the start of the gap.
            const std::size_t distance = index - m_gapStart;
            std::move(m_items.begin() + static_cast<std::ptrdiff_t>(m_gapEnd),
                      m_items.begin() + static_cast<std::ptrdiff_t>(m_gapEnd + distance),
                      m_items.begin() + static_cast<std::ptrdiff_t>(m_gapStart));
            m_gapStart += distance;
            m_gapEnd += distance;
        }
    }

    // Makes the gap at least `needed` long. It grows by an eighth of the size, but by no
    // more than kMaxGrowth items, so that a run of insertions is amortised while the first
    // Enter in a program of millions of lines does not double its table.
    static constexpr std::size_t kMinGrowth = 16;
    static constexpr std::size_t kMaxGrowth = 65536;
    void growGap(std::size_t needed)
    {
        const std::size_t extra =
            std::max({needed - gapLength(), std::min(m_items.size() / 8, kMaxGrowth), kMinGrowth});
        const std::size_t backLength = m_items.size() - m_gapEnd;
        m_items.resize(m_items.size() + extra);
        std::move_backward(m_items.end() - static_cast<std::ptrdiff_t>(extra + backLength),
                           m_items.end() - static_cast<std::ptrdiff_t>(extra), m_items.end());
        m_gapEnd += extra;
    }

    std::vector<T> m_items;
    std::size_t m_gapStart = 0;
    std::size_t m_gapEnd = 0;
};

}  // namespace quillon
