// The lines of a document, stored for programs of hundreds of megabytes.
//
// A loaded file stays in memory as one block of bytes (the arena); a line that was never
// edited is only a reference into it: offset, length and marks packed into 8 bytes.
// A line that is edited (or longer than a reference can say) has a string of its own.
// Lines rewritten in bulk (replace all, the utilities) go into the edit arena: blocks that
// are only ever appended to, so the old and new texts of such a rewrite both stay valid
// and undo or redo only swap the 8-byte references back.
// The line table is a BlockVector: a line is found by index at once after loading and by a
// short search after edits, and inserting or removing lines moves at most one block.
#pragma once

#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/BlockVector.h"
#include "editor/EditLine.h"
#include "editor/NcLines.h"

namespace quillon {

class LineStore {
public:
    LineStore();

    // Takes the bytes of a file and cuts them into lines (see NcLines.h). False, with the
    // store unchanged, for a file of 256 GiB or more.
    bool load(std::unique_ptr<char[]> bytes, std::size_t size);
    // The same for bytes cut while they are read (see Loader below).
    class Loader;
    bool load(Loader& loader, std::unique_ptr<char[]> bytes, std::size_t size);
    bool load(std::string_view bytes);
    // One empty line.
    void reset();

    std::size_t size() const { return m_lines.size(); }
    std::string_view text(std::size_t line) const;
    std::uint16_t flags(std::size_t line) const { return marks(m_lines[line]); }
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
    // The texts as lines before `at`, in one move of the line table.
    void insertLines(std::size_t at, std::vector<std::string> texts);
    void eraseLines(std::size_t at, std::size_t count);

    // Line references as a bulk rewrite keeps them for undo: 8 bytes a line, the line
    // numbers kept as runs of consecutive lines.
    class SavedLines {
    public:
        // Lines are added in ascending order.
        void add(std::size_t line, std::uint64_t entry);
        void reserve(std::size_t lines) { m_entries.reserve(lines); }
        // Gives back room a sparse rewrite left unused.
        void trim();
        bool empty() const { return m_entries.empty(); }
        std::size_t size() const { return m_entries.size(); }
        std::size_t firstLine() const { return m_runs.front().firstLine; }
        std::size_t lastLine() const;
        template <typename Visit>
        void forEach(Visit&& visit) const;

    private:
        struct Run {
            std::size_t firstLine;
            std::size_t firstEntry;
        };
        std::vector<Run> m_runs;
        std::vector<std::uint64_t> m_entries;
    };
    // Gives the line a new text from the edit arena (its marks stay); returns the old
    // reference, which stays valid.
    std::uint64_t rewriteLine(std::size_t line, std::string_view text);
    // Puts saved references back; returns the ones they replaced.
    SavedLines restoreLines(const SavedLines& saved);

    // Writes the lines with CR LF between them and none after the last, in pieces to the
    // sink (a callable taking std::string_view that returns false to stop).
    template <typename Sink>
    bool write(Sink&& sink) const;

    std::size_t longestLine() const;
    bool anyTooLong() const;

private:
    // One line in 64 bits:
    //
    //    63   62..58   57 ........ 38   37   36 ........... 0
    //   [own][ marks ][   length     ][ed][     offset      ]   a line in an arena
    //   [own][ marks ][          slot in m_own              ]   a line of its own
    //
    // ed: the offset is into the edit arena (block number and offset in the block) rather
    // than the file's arena.
    // No initialiser: the line table's blocks are not cleared before they are filled.
    struct Entry {
        std::uint64_t bits;
    };
    static_assert(sizeof(Entry) == 8);
    static constexpr std::uint64_t kOwnBit = std::uint64_t{1} << 63;
    static constexpr int kMarksShift = 58;
    static constexpr std::uint64_t kMarksMask = 0x1F;
    static constexpr int kLengthShift = 38;
    static constexpr std::uint64_t kMaxArenaLength = (std::uint64_t{1} << 20) - 1;
    static constexpr std::uint64_t kEditArenaBit = std::uint64_t{1} << 37;
    static constexpr std::uint64_t kMaxArenaOffset = kEditArenaBit - 1;
    // The edit arena grows in blocks of this size; a line too long for a reference gets a
    // string of its own.
    static constexpr std::size_t kEditBlockSize = std::size_t{8} << 20;

    static bool isOwn(Entry entry) { return (entry.bits & kOwnBit) != 0; }
    static std::uint16_t marks(Entry entry)
    {
        return static_cast<std::uint16_t>((entry.bits >> kMarksShift) & kMarksMask);
    }
    static std::uint64_t offset(Entry entry) { return entry.bits & kMaxArenaOffset; }
    static bool inEditArena(Entry entry) { return (entry.bits & kEditArenaBit) != 0; }
    static std::size_t length(Entry entry)
    {
        return static_cast<std::size_t>((entry.bits >> kLengthShift) & kMaxArenaLength);
    }
    static std::size_t slot(Entry entry)
    {
        return static_cast<std::size_t>(entry.bits & ((std::uint64_t{1} << kMarksShift) - 1));
    }
    static Entry withMarks(Entry entry, std::uint16_t flags);
    static Entry arenaEntry(std::uint64_t offset, std::size_t length);
    static Entry ownEntry(std::size_t slot, std::uint16_t flags);

    std::string_view text(Entry entry) const;
    std::string& ownText(std::size_t line);
    void textChanged(std::size_t line);
    std::size_t newSlot(std::string text);
    void releaseSlot(Entry entry);
    static std::uint16_t withTooLong(std::uint16_t flags, std::size_t length);

    // The longest line and whether one is too long, as loading found them; forgotten at the
    // first change of the lines, after which they are counted when asked for.
    struct Shape {
        std::size_t longest = 0;
        bool anyTooLong = false;
    };
    std::optional<Shape> m_loadedShape;

    std::unique_ptr<char[]> m_arena;
    std::size_t m_arenaSize = 0;
    BlockVector<Entry> m_lines;
    std::vector<std::string> m_own;
    std::vector<std::size_t> m_freeSlots;
    std::vector<std::unique_ptr<char[]>> m_editBlocks;
    std::size_t m_editUsed = kEditBlockSize;  // in the last block; full before the first
    // The block after the last, made ready by another thread while the last one fills:
    // a bulk rewrite of millions of lines otherwise spends a third of its time waiting
    // for the system to hand it fresh pages.
    std::future<std::unique_ptr<char[]>> m_nextEditBlock;

    std::unique_ptr<char[]> takeEditBlock();
    void prepareEditBlock();

    // Copies the text into the edit arena; the reference to it (without marks).
    Entry appendToEditArena(std::string_view text);
};

// Cuts a file into lines as its bytes are read (readFileBytes with a BytesArrived), while
// they are still in the processor's cache; LineStore::load then takes the lines with the
// bytes.
class LineStore::Loader {
public:
    // All `size` bytes read so far are at data.
    void take(const char* data, std::size_t size);

private:
    friend class LineStore;
    NcLineCutter m_cutter;
    BlockVector<Entry> m_lines;
    std::vector<std::string> m_own;
    std::size_t m_longest = 0;
    const char* m_data = nullptr;

    void addLine(std::size_t start, std::size_t lineLength);
};

template <typename Visit>
void LineStore::SavedLines::forEach(Visit&& visit) const
{
    for (std::size_t run = 0; run < m_runs.size(); ++run) {
        const std::size_t end =
            run + 1 < m_runs.size() ? m_runs[run + 1].firstEntry : m_entries.size();
        std::size_t line = m_runs[run].firstLine;
        for (std::size_t i = m_runs[run].firstEntry; i < end; ++i)
            visit(line++, m_entries[i]);
    }
}

template <typename Sink>
bool LineStore::write(Sink&& sink) const
{
    // Runs of unedited lines that follow each other in the arena with CR LF after them are
    // handed on in one piece; everything else goes through a buffer.
    constexpr std::size_t kChunk = 1 << 20;
    std::string buffer;
    buffer.reserve(kChunk);
    bool ok = true;
    auto flush = [&] {
        ok = ok && (buffer.empty() || sink(std::string_view(buffer)));
        buffer.clear();
        return ok;
    };
    std::uint64_t runStart = 0;
    std::uint64_t runEnd = 0;
    auto flushRun = [&] {
        const std::string_view run(m_arena.get() + runStart, runEnd - runStart);
        runStart = runEnd = 0;
        if (run.size() < kChunk / 16) {
            buffer += run;
            return buffer.size() < kChunk || flush();
        }
        return flush() && (ok = sink(run));
    };
    const std::size_t count = size();
    m_lines.forEachFrom(0, [&](std::size_t line, Entry entry) {
        const bool last = line + 1 == count;
        if (!last && !isOwn(entry) && !inEditArena(entry)) {
            const std::uint64_t lineEnd = offset(entry) + length(entry);
            if (lineEnd + 2 <= m_arenaSize && m_arena[lineEnd] == '\r' &&
                m_arena[lineEnd + 1] == '\n') {
                if (runEnd == runStart || offset(entry) != runEnd) {
                    if (runEnd != runStart && !flushRun())
                        return false;
                    runStart = offset(entry);
                }
                runEnd = lineEnd + 2;
                return true;
            }
        }
        if (runEnd != runStart && !flushRun())
            return false;
        buffer += text(entry);
        if (!last)
            buffer += "\r\n";
        return buffer.size() < kChunk || flush();
    });
    if (runEnd != runStart)
        flushRun();
    return flush();
}

}  // namespace quillon
