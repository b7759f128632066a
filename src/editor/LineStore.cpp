#include "editor/LineStore.h"

#include <cstring>
#include <limits>

#include "editor/NcLines.h"

namespace quillon {

LineStore::LineStore()
{
    reset();
}

void LineStore::reset()
{
    m_arena.reset();
    m_arenaSize = 0;
    m_lines.clear();
    m_own.clear();
    m_freeSlots.clear();
    m_lines.pushBack(Entry{});
}

bool LineStore::load(std::string_view bytes)
{
    auto copy = std::make_unique_for_overwrite<char[]>(bytes.size());
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return load(std::move(copy), bytes.size());
}

bool LineStore::load(std::unique_ptr<char[]> bytes, std::size_t size)
{
    const std::string_view view(bytes.get(), size);
    constexpr std::size_t kLongestLine = std::numeric_limits<std::uint32_t>::max();
    if (size > kLongestLine) {
        bool fits = true;
        forEachNcLine(view, [&](std::size_t, std::size_t length) {
            fits = fits && length <= kLongestLine;
        });
        if (!fits)
            return false;
    }

    m_lines.clear();
    m_own.clear();
    m_freeSlots.clear();
    m_lines.reserve(countNcLines(view));
    forEachNcLine(view, [this](std::size_t offset, std::size_t length) {
        m_lines.pushBack(Entry{offset, static_cast<std::uint32_t>(length),
                               withTooLong(0, length)});
    });
    m_arena = std::move(bytes);
    m_arenaSize = size;
    return true;
}

std::string_view LineStore::text(std::size_t line) const
{
    const Entry& entry = m_lines[line];
    if (isOwn(entry))
        return m_own[entry.location & ~kOwnBit];
    return {m_arena.get() + entry.location, entry.length};
}

void LineStore::setFlags(std::size_t line, std::uint16_t flags)
{
    Entry& entry = m_lines[line];
    entry.flags = static_cast<std::uint16_t>((flags & ~LineFlag::TooLong) |
                                             (entry.flags & LineFlag::TooLong));
}

void LineStore::setText(std::size_t line, std::string text)
{
    ownText(line) = std::move(text);
    textChanged(line);
}

void LineStore::insertLine(std::size_t at, std::string text)
{
    const std::size_t length = text.size();
    const std::uint32_t slot = newSlot(std::move(text));
    m_lines.insert(at, Entry{kOwnBit | slot, 0, withTooLong(0, length)});
}

void LineStore::eraseLines(std::size_t at, std::size_t count)
{
    for (std::size_t i = at; i < at + count; ++i)
        releaseSlot(m_lines[i]);
    m_lines.erase(at, count);
}

std::size_t LineStore::longestLine() const
{
    std::size_t longest = 0;
    for (std::size_t i = 0; i < size(); ++i)
        longest = std::max(longest, text(i).size());
    return longest;
}

bool LineStore::anyTooLong() const
{
    for (std::size_t i = 0; i < size(); ++i) {
        if (m_lines[i].flags & LineFlag::TooLong)
            return true;
    }
    return false;
}

std::string& LineStore::ownText(std::size_t line)
{
    Entry& entry = m_lines[line];
    if (!isOwn(entry)) {
        const std::uint32_t slot = newSlot(std::string(text(line)));
        entry.location = kOwnBit | slot;
        entry.length = 0;
    }
    return m_own[entry.location & ~kOwnBit];
}

void LineStore::textChanged(std::size_t line)
{
    Entry& entry = m_lines[line];
    entry.flags = withTooLong(entry.flags, text(line).size());
}

std::uint32_t LineStore::newSlot(std::string text)
{
    if (!m_freeSlots.empty()) {
        const std::uint32_t slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_own[slot] = std::move(text);
        return slot;
    }
    m_own.push_back(std::move(text));
    return static_cast<std::uint32_t>(m_own.size() - 1);
}

void LineStore::releaseSlot(const Entry& entry)
{
    if (!isOwn(entry))
        return;
    const auto slot = static_cast<std::uint32_t>(entry.location & ~kOwnBit);
    m_own[slot] = std::string();  // give the memory back
    m_freeSlots.push_back(slot);
}

std::uint16_t LineStore::withTooLong(std::uint16_t flags, std::size_t length)
{
    flags = static_cast<std::uint16_t>(flags & ~LineFlag::TooLong);
    return length > kMaxColouredLine ? static_cast<std::uint16_t>(flags | LineFlag::TooLong)
                                     : flags;
}

}  // namespace quillon
