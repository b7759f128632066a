// The two-file compare of the editor: lines normalized and hashed, Myers' diff, "?" and "+".
//
// A compare works in three stages, each usable on its own:
//   text   -> normalizeLine()  -> the text that decides equality (raw or as an NC block)
//   text   -> lineHash()       -> one 32-bit lookup3 hash; equal hashes are equal lines
//   hashes -> compareHashes()  -> per line: same, changed ("?") or only in this file ("+")
// compareDocuments() runs them over two open documents and sets the line marks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class CLiDoc;

enum class CompareMode {
    Raw,    // lines compared after removing blanks
    Smart,  // lines compared as NC blocks: block numbers, comments, word order ignored
};

// A letter keeps at most this many values in a smart compare; the program always had a
// fixed table of them.
inline constexpr std::size_t kMaxValuesPerLetter = 100;
// The longest text a value is written as in a smart compare.
inline constexpr std::size_t kMaxNumberText = 16;

// The text that two lines are compared by.
std::string normalizeLine(std::string_view line, CompareMode mode);

// A value as a smart compare writes it: four decimals, cut (not rounded) after the value
// was rounded to five, so 1, 01. and 1.00001 all read "1.0000".
std::string canonicalNumber(double value);

// Bob Jenkins' lookup3 hashlittle: the key read as little-endian words, 12 bytes a round.
std::uint32_t hashLittle(const void* key, std::size_t length, std::uint32_t initval);

// The hash of a normalized line; the empty text hashes to 0.
std::uint32_t lineHash(std::string_view normalized);

// Normalizes and hashes line after line through one reused buffer, so that a million
// lines cost no allocation each.
class LineHasher {
public:
    explicit LineHasher(CompareMode mode) : m_mode(mode) {}
    std::uint32_t operator()(std::string_view line);

private:
    CompareMode m_mode;
    std::string m_work;    // the line on its way through normalizing
    std::string m_result;  // a smart line's result
};

// The hashes of a file's lines, cut by the editor's rules (NcLines.h) and hashed as they
// are cut, a big file in parts on several threads.
std::vector<std::uint32_t> lineHashes(std::string_view bytes, CompareMode mode);

// What a compare says of one line.
namespace CompareMark {
inline constexpr std::uint8_t Same = 0;
inline constexpr std::uint8_t Changed = 1;   // "?": paired with a changed line over there
inline constexpr std::uint8_t OnlyHere = 2;  // "+": no counterpart over there
}  // namespace CompareMark

struct CompareResult {
    std::vector<std::uint8_t> first;   // a CompareMark per line of the first file
    std::vector<std::uint8_t> second;  // and of the second

    // No line got a mark: "Compare OK".
    bool same() const;
};

// Compares two files given as the hashes of their lines. The time grows with the lines
// times the differences: files with little in common take long.
CompareResult compareHashes(const std::vector<std::uint32_t>& first,
                            const std::vector<std::uint32_t>& second);

// Clears the old compare marks of both documents, compares them and marks the lines that
// differ. Returns whether they are the same (no line marked).
bool compareDocuments(CLiDoc& first, CLiDoc& second, CompareMode mode);

// "Remove Compare results": clears the compare marks of every line.
void removeCompareMarks(CLiDoc& doc);

}  // namespace quillon
