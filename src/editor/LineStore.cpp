#include "editor/LineStore.h"

#include <cstring>
#include <system_error>

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
    m_editBlocks.clear();
    m_editUsed = kEditBlockSize;
    m_lines.pushBack(arenaEntry(0, 0));
    m_loadedShape = Shape{};
}

bool LineStore::load(std::string_view bytes)
{
    auto copy = std::make_unique_for_overwrite<char[]>(bytes.size());
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return load(std::move(copy), bytes.size());
}

bool LineStore::load(std::unique_ptr<char[]> bytes, std::size_t size)
{
    Loader loader;
    loader.take(bytes.get(), size);
    return load(loader, std::move(bytes), size);
}

bool LineStore::load(Loader& loader, std::unique_ptr<char[]> bytes, std::size_t size)
{
    if (size > kMaxArenaOffset)
        return false;
    loader.m_data = bytes.get();
    loader.m_cutter.finish(size, [&](std::size_t start, std::size_t lineLength) {
        loader.addLine(start, lineLength);
    });
    m_lines = std::move(loader.m_lines);
    m_own = std::move(loader.m_own);
    m_freeSlots.clear();
    m_editBlocks.clear();
    m_editUsed = kEditBlockSize;
    m_arena = std::move(bytes);
    m_arenaSize = size;
    m_loadedShape = Shape{loader.m_longest, loader.m_longest > kMaxColouredLine};
    return true;
}

void LineStore::Loader::take(const char* data, std::size_t size)
{
    m_data = data;
    // The table is filled block by block as the lines are cut: no count beforehand, and
    // no copy as it grows.
    m_cutter.take(data, size, [this](std::size_t start, std::size_t lineLength) {
        addLine(start, lineLength);
    });
}

void LineStore::Loader::addLine(std::size_t start, std::size_t lineLength)
{
    // The rare line too long for a reference is kept out of the path every line takes,
    // which is worth having inlined.
    auto ownLine = [&]() __attribute__((noinline))
    {
        m_own.emplace_back(m_data + start, lineLength);
        return ownEntry(m_own.size() - 1, withTooLong(0, lineLength));
    };
    m_longest = std::max(m_longest, lineLength);
    m_lines.pushBack(lineLength <= kMaxArenaLength ? arenaEntry(start, lineLength) : ownLine());
}

std::string_view LineStore::text(std::size_t line) const
{
    return text(m_lines[line]);
}

std::string_view LineStore::text(Entry entry) const
{
    if (isOwn(entry))
        return m_own[slot(entry)];
    if (inEditArena(entry)) {
        const std::uint64_t at = offset(entry);
        return {m_editBlocks[at / kEditBlockSize].get() + at % kEditBlockSize, length(entry)};
    }
    return {m_arena.get() + offset(entry), length(entry)};
}

LineStore::Entry LineStore::appendToEditArena(std::string_view text)
{
    // A new block when the text does not fit, and when this one is full (before the first
    // one too): an empty text needs a place inside a block as well, or its offset would
    // name a block that is not there.
    if (m_editUsed == kEditBlockSize || m_editUsed + text.size() > kEditBlockSize) {
        m_editBlocks.push_back(takeEditBlock());
        m_editUsed = 0;
    }
    std::memcpy(m_editBlocks.back().get() + m_editUsed, text.data(), text.size());
    const std::uint64_t at = (m_editBlocks.size() - 1) * kEditBlockSize + m_editUsed;
    const bool crossedHalf =
        m_editUsed < kEditBlockSize / 2 && m_editUsed + text.size() >= kEditBlockSize / 2;
    m_editUsed += text.size();
    if (crossedHalf && !m_nextEditBlock.valid())
        prepareEditBlock();
    return Entry{kEditArenaBit | at | (static_cast<std::uint64_t>(text.size()) << kLengthShift)};
}

std::unique_ptr<char[]> LineStore::takeEditBlock()
{
    if (m_nextEditBlock.valid())
        return m_nextEditBlock.get();
    return std::make_unique_for_overwrite<char[]>(kEditBlockSize);
}

void LineStore::prepareEditBlock()
{
    try {
        m_nextEditBlock = std::async(std::launch::async, [] {
            auto block = std::make_unique_for_overwrite<char[]>(kEditBlockSize);
            // One write a page has the system map it now, on this thread.
            volatile char* bytes = block.get();
            for (std::size_t at = 0; at < kEditBlockSize; at += 4096)
                bytes[at] = 0;
            return block;
        });
    } catch (const std::system_error&) {
        // No thread to spare: the block is made when it is needed.
    }
}

std::uint64_t LineStore::rewriteLine(std::size_t line, std::string_view text)
{
    Entry old = m_lines[line];
    if (isOwn(old)) {
        // The old text must outlive its slot for undo: it moves to the edit arena.
        const std::string_view own = m_own[slot(old)];
        const Entry moved = own.size() <= kMaxArenaLength ? appendToEditArena(own)
                                                          : ownEntry(newSlot(std::string(own)), 0);
        releaseSlot(old);
        old = withMarks(moved, marks(old));
    }
    m_loadedShape.reset();
    const Entry fresh = text.size() <= kMaxArenaLength ? appendToEditArena(text)
                                                       : ownEntry(newSlot(std::string(text)), 0);
    m_lines[line] = withMarks(fresh, withTooLong(marks(old), text.size()));
    return old.bits;
}

LineStore::SavedLines LineStore::restoreLines(const SavedLines& saved)
{
    m_loadedShape.reset();
    SavedLines replaced;
    replaced.reserve(saved.size());
    saved.forEach([&](std::size_t line, std::uint64_t bits) {
        const Entry current = m_lines[line];
        replaced.add(line, current.bits);
        // The marks set since stay with the line.
        const Entry restored{bits};
        m_lines[line] =
            withMarks(restored, static_cast<std::uint16_t>((marks(current) & ~LineFlag::TooLong) |
                                                           (marks(restored) & LineFlag::TooLong)));
    });
    return replaced;
}

void LineStore::SavedLines::add(std::size_t line, std::uint64_t entry)
{
    if (m_runs.empty() || line != lastLine() + 1)
        m_runs.push_back({line, m_entries.size()});
    m_entries.push_back(entry);
}

std::size_t LineStore::SavedLines::lastLine() const
{
    return m_runs.back().firstLine + (m_entries.size() - m_runs.back().firstEntry) - 1;
}

void LineStore::SavedLines::trim()
{
    if (m_entries.size() < m_entries.capacity() / 2)
        m_entries.shrink_to_fit();
    m_runs.shrink_to_fit();
}

void LineStore::setFlags(std::size_t line, std::uint16_t flags)
{
    const Entry entry = m_lines[line];
    m_lines[line] =
        withMarks(entry, static_cast<std::uint16_t>((flags & ~LineFlag::TooLong) |
                                                    (marks(entry) & LineFlag::TooLong)));
}

void LineStore::setText(std::size_t line, std::string text)
{
    ownText(line) = std::move(text);
    textChanged(line);
}

void LineStore::insertLine(std::size_t at, std::string text)
{
    m_loadedShape.reset();
    const std::size_t textLength = text.size();
    const std::size_t own = newSlot(std::move(text));
    m_lines.insert(at, ownEntry(own, withTooLong(0, textLength)));
}

void LineStore::insertLines(std::size_t at, std::vector<std::string> texts)
{
    m_loadedShape.reset();
    m_lines.insert(at, texts.size(), [&](std::size_t k) {
        const std::size_t textLength = texts[k].size();
        return ownEntry(newSlot(std::move(texts[k])), withTooLong(0, textLength));
    });
}

void LineStore::eraseLines(std::size_t at, std::size_t count)
{
    for (std::size_t i = at; i < at + count; ++i)
        releaseSlot(m_lines[i]);
    m_lines.erase(at, count);
    m_loadedShape.reset();
}

std::size_t LineStore::longestLine() const
{
    if (m_loadedShape)
        return m_loadedShape->longest;
    std::size_t longest = 0;
    m_lines.forEachFrom(0, [&](std::size_t, Entry entry) {
        longest = std::max(longest, isOwn(entry) ? m_own[slot(entry)].size() : length(entry));
        return true;
    });
    return longest;
}

bool LineStore::anyTooLong() const
{
    if (m_loadedShape)
        return m_loadedShape->anyTooLong;
    bool found = false;
    m_lines.forEachFrom(0, [&](std::size_t, Entry entry) {
        found = (marks(entry) & LineFlag::TooLong) != 0;
        return !found;
    });
    return found;
}

std::string& LineStore::ownText(std::size_t line)
{
    const Entry entry = m_lines[line];
    if (!isOwn(entry)) {
        const std::size_t own = newSlot(std::string(text(line)));
        m_lines[line] = ownEntry(own, marks(entry));
    }
    return m_own[slot(m_lines[line])];
}

void LineStore::textChanged(std::size_t line)
{
    m_loadedShape.reset();
    const Entry entry = m_lines[line];
    m_lines[line] = withMarks(entry, withTooLong(marks(entry), text(line).size()));
}

std::size_t LineStore::newSlot(std::string text)
{
    if (!m_freeSlots.empty()) {
        const std::size_t free = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_own[free] = std::move(text);
        return free;
    }
    m_own.push_back(std::move(text));
    return m_own.size() - 1;
}

void LineStore::releaseSlot(Entry entry)
{
    if (!isOwn(entry))
        return;
    m_own[slot(entry)] = std::string();  // give the memory back
    m_freeSlots.push_back(slot(entry));
}

LineStore::Entry LineStore::withMarks(Entry entry, std::uint16_t flags)
{
    entry.bits = (entry.bits & ~(kMarksMask << kMarksShift)) |
                 ((static_cast<std::uint64_t>(flags) & kMarksMask) << kMarksShift);
    return entry;
}

LineStore::Entry LineStore::arenaEntry(std::uint64_t start, std::size_t lineLength)
{
    Entry entry{start | (static_cast<std::uint64_t>(lineLength) << kLengthShift)};
    return withMarks(entry, withTooLong(0, lineLength));
}

LineStore::Entry LineStore::ownEntry(std::size_t own, std::uint16_t flags)
{
    return withMarks(Entry{kOwnBit | own}, flags);
}

std::uint16_t LineStore::withTooLong(std::uint16_t flags, std::size_t lineLength)
{
    flags = static_cast<std::uint16_t>(flags & ~LineFlag::TooLong);
    return lineLength > kMaxColouredLine ? static_cast<std::uint16_t>(flags | LineFlag::TooLong)
                                         : flags;
}

}  // namespace quillon
