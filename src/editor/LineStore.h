// The lines of a document, stored for programs of hundreds of megabytes.
//
// A loaded file stays in memory as one block of bytes (the arena); a line that was never
// edited is only a reference into it (offset and length, 16 bytes with its marks).
// A line that is edited moves to a string of its own. The line table is a GapVector, so
// a line is found by index in O(1) and inserting lines near the last edit is cheap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/EditLine.h"
#include "editor/GapVector.h"

namespace quillon {

class LineStore {
public:
    LineStore();

    // Takes the bytes of a file and cuts them into lines (see NcLines.h). False, with the
    // store unchanged, for a line of 4 GiB or more.
    bool load(std::unique_ptr<char[]> bytes, std::size_t size);
    bool load(std::string_view bytes);
    // One empty line.
    void reset();

    std::size_t size() const { return m_lines.size(); }
    std::string_view text(std::size_t line) const;
    std::uint16_t flags(std::size_t line) const { return m_lines[line].flags; }
    EditLine line(std::size_t index) const { return {text(index), flags(index)}; }

    // Marks other than TooLong, which follows the text.
    void setFlags(std::size_t line, std::uint16_t flags);

    void setText(std::size_t line, std::string text);
    // Runs the change on the line's own string (the line leaves the arena first).
    template <typename Change>
    void modify(std::size_t line, Change&& change)
    {
        std::string& text = ownText(line);
        change(text);
        textChanged(line);
    }

    void insertLine(std::size_t at, std::string text);
    void eraseLines(std::size_t at, std::size_t count);

    // Writes the lines with CR LF between them and none after the last, in pieces to the
    // sink (a callable taking std::string_view that returns false to stop).
    template <typename Sink>
    bool write(Sink&& sink) const;

    std::size_t longestLine() const;
    bool anyTooLong() const;

private:
    // Arena lines: location is the offset into the arena. Own lines: location is the slot
    // in m_own with kOwnBit set.
    struct Entry {
        std::uint64_t location = 0;
        std::uint32_t length = 0;
        std::uint16_t flags = 0;
    };
    static constexpr std::uint64_t kOwnBit = std::uint64_t{1} << 63;

    bool isOwn(const Entry& entry) const { return (entry.location & kOwnBit) != 0; }
    std::string& ownText(std::size_t line);
    void textChanged(std::size_t line);
    std::uint32_t newSlot(std::string text);
    void releaseSlot(const Entry& entry);
    static std::uint16_t withTooLong(std::uint16_t flags, std::size_t length);

    std::unique_ptr<char[]> m_arena;
    std::size_t m_arenaSize = 0;
    GapVector<Entry> m_lines;
    std::vector<std::string> m_own;
    std::vector<std::uint32_t> m_freeSlots;
};

template <typename Sink>
bool LineStore::write(Sink&& sink) const
{
    // Runs of unedited lines that already end with CR LF in the arena are handed on in
    // one piece; everything else goes through a buffer.
    constexpr std::size_t kChunk = 1 << 20;
    std::string buffer;
    buffer.reserve(kChunk);
    auto flush = [&] {
        const bool ok = buffer.empty() || sink(std::string_view(buffer));
        buffer.clear();
        return ok;
    };
    const std::size_t count = size();
    std::size_t line = 0;
    while (line < count) {
        const Entry& first = m_lines[line];
        if (!isOwn(first) && line + 1 < count) {
            // Extend the run while the lines follow each other in the arena with CR LF.
            std::size_t end = line;
            std::uint64_t next = first.location;
            while (end + 1 < count) {
                const Entry& entry = m_lines[end];
                if (isOwn(entry) || entry.location != next)
                    break;
                const std::uint64_t lineEnd = entry.location + entry.length;
                if (lineEnd + 2 > m_arenaSize || m_arena[lineEnd] != '\r' ||
                    m_arena[lineEnd + 1] != '\n')
                    break;
                next = lineEnd + 2;
                ++end;
            }
            if (end > line) {
                if (!flush() ||
                    !sink(std::string_view(m_arena.get() + first.location,
                                           next - first.location)))
                    return false;
                line = end;
                continue;
            }
        }
        buffer += text(line);
        if (line + 1 < count)
            buffer += "\r\n";
        if (buffer.size() >= kChunk && !flush())
            return false;
        ++line;
    }
    return flush();
}

}  // namespace quillon
