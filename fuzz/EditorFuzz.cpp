// Feeds arbitrary programs to the editor's loading and colouring and to the utilities that
// rewrite a program: renumber, remove block numbers, the line tools, compare and the folder
// clean-up. The first byte picks the settings, the second the size of the pieces a file
// arrives in. Besides crashes it checks what each promises:
//   - every way of cutting a file into lines (the document's loader fed in pieces, the
//     shared cutter, a file saved and opened again) gives the lines of the plain rule: a
//     line ends at LF, one CR before it goes with it;
//   - the colouring's tokens follow each other without gap or overlap up to the colour
//     limit and end with the line end;
//   - a utility's change, undone, gives back the program as it was; and redone, the change;
//   - a renumbered program compares the same as an NC program (block numbers ignored)
//     unless canned cycles had their P and Q words rewritten or a line opens with a
//     number of no address;
//   - a compare marks nothing exactly when both files hash alike, one mark list per line;
//   - the clean-up tools that rewrite a file (but the Comment tool) leave a file they
//     rewrote as it is the next time, and the names they give stay within the folder.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "editor/CLiDoc.h"
#include "editor/Compare.h"
#include "editor/EditCommands.h"
#include "editor/LineStore.h"
#include "editor/NcLines.h"
#include "editor/Tokenizer.h"
#include "platform/Notifier.h"
#include "utilities/FileCleanup.h"
#include "utilities/LineTools.h"
#include "utilities/Renumber.h"

namespace {

using namespace quillon;

// The rule, written the plain way.
std::vector<std::string> plainLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    while (true) {
        const std::size_t lineFeed = bytes.find('\n');
        std::string_view line = bytes.substr(0, lineFeed);
        if (lineFeed != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (lineFeed == std::string_view::npos)
            return lines;
        bytes.remove_prefix(lineFeed + 1);
    }
}

// A line whose first word is a number without its letter (stray digits) runs into the
// block number put in front of it, as blanks count for nothing in a block.
bool opensWithNumber(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos &&
           std::string_view("0123456789.+-").find(line[first]) != std::string_view::npos;
}

std::vector<std::string> documentLines(const CLiDoc& doc)
{
    const std::size_t last = doc.lineCount() - 1;
    return doc.GetBlock(0, 0, last, doc.lineLength(last));
}

std::string savedText(const CLiDoc& doc)
{
    std::string text;
    doc.writeText([&text](std::string_view piece) {
        text.append(piece);
        return true;
    });
    return text;
}

void checkLoader(std::string_view bytes, std::size_t piece, const std::vector<std::string>& lines)
{
    auto buffer = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(buffer.get(), bytes.data(), bytes.size());
    LineStore::Loader loader;
    for (std::size_t read = 0; read < bytes.size();) {
        read = std::min(bytes.size(), read + piece);
        loader.take(buffer.get(), read);
    }
    LineStore store;
    FUZZ_CHECK(store.load(loader, std::move(buffer), bytes.size()));
    FUZZ_CHECK(store.size() == lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(store.text(i) == lines[i]);
}

void checkTokens(std::string_view line)
{
    const TokenizedLine tokenized = Tokenize(line);
    FUZZ_CHECK(!tokenized.tokens.empty() && tokenized.tokens.back().kind == TokenKind::EndOfLine);
    std::size_t at = 0;
    for (const LineToken& token : tokenized.tokens) {
        FUZZ_CHECK(token.start == at);
        FUZZ_CHECK(token.kind == TokenKind::EndOfLine ? token.length == 0 : token.length > 0);
        at += token.length;
    }
    const std::size_t coloured = std::min(line.size(), kMaxColouredLine);
    FUZZ_CHECK(at == coloured);
    FUZZ_CHECK(tokenized.stoppedAtLimit == (line.size() > kMaxColouredLine));
}

// Runs the utility on every line as one undoable step, then undoes and redoes it.
template <typename Utility>
std::vector<std::string> undoneAndRedone(CLiDoc& doc, const std::vector<std::string>& before,
                                         Utility&& utility)
{
    {
        UtilityEdit edit(doc, true);
        utility(edit, doc.lineCount() - 1);
    }
    const std::vector<std::string> after = documentLines(doc);
    if (after != before) {
        FUZZ_CHECK(doc.CanUndo());
        doc.Undo();
        FUZZ_CHECK(documentLines(doc) == before);
        doc.Redo();
        FUZZ_CHECK(documentLines(doc) == after);
        doc.Undo();
        FUZZ_CHECK(documentLines(doc) == before);
    }
    return after;
}

std::vector<std::uint32_t> hashes(const std::vector<std::string>& lines, CompareMode mode)
{
    std::vector<std::uint32_t> result;
    LineHasher hasher(mode);
    for (const std::string& line : lines)
        result.push_back(hasher(line));
    return result;
}

void checkCompare(const std::vector<std::string>& a, const std::vector<std::string>& b,
                  CompareMode mode)
{
    const auto first = hashes(a, mode);
    const auto second = hashes(b, mode);
    const CompareResult result = compareHashes(first, second);
    FUZZ_CHECK(result.first.size() == a.size() && result.second.size() == b.size());
    FUZZ_CHECK(result.same() == (first == second));
}

void checkCleanup(std::string_view bytes)
{
    // The Comment tool is left out: a program line without "(" gets the comment on a line
    // of its own, and so once more at every run.
    for (const CleanupTool tool : {CleanupTool::Eob, CleanupTool::BlankLine, CleanupTool::Okuma}) {
        const std::string once = rewrittenForCleanup(tool, bytes, "O1000.NC");
        FUZZ_CHECK(rewrittenForCleanup(tool, once, "O1000.NC") == once);
    }
    bool refused = false;
    const std::string name = reverseCommentName(bytes, &refused);
    FUZZ_CHECK(!refused || name.empty());
    FUZZ_CHECK(name.find_first_of("/\\") == std::string::npos && name != "." && name != "..");
    const std::string number = mazakWorkNumber(bytes);
    FUZZ_CHECK(number.size() <= 4 && std::all_of(number.begin(), number.end(),
                                                 [](char c) { return c >= '0' && c <= '9'; }));
}

const std::string& programPath()
{
    static const std::string path = fuzz::makeFolder("editor") + "O1000.NC";
    return path;
}

std::vector<std::string> openedLines(std::string_view bytes, CLiDoc& doc)
{
    fuzz::putFile(programPath(), bytes);
    ScriptedNotifier notifier;
    FUZZ_CHECK(doc.open(programPath(), notifier));
    return documentLines(doc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t mode = data[0];
    const std::size_t piece = data[1] + 1u;
    const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::vector<std::string> lines = plainLines(bytes);
    FUZZ_CHECK(splitNcLines(bytes) == lines);
    FUZZ_CHECK(countNcLines(bytes) == lines.size());
    checkLoader(bytes, piece, lines);

    CLiDoc doc;
    FUZZ_CHECK(openedLines(bytes, doc) == lines);
    CLiDoc again;
    FUZZ_CHECK(openedLines(savedText(doc), again) == lines);
    for (const std::string& line : lines)
        checkTokens(line);

    RenumberSettings renumber;
    renumber.start = mode & 0x07;
    renumber.increment = ((mode >> 3) & 0x03) * 5 + 1;
    renumber.digits = (mode >> 5) % 6 + 1;
    renumber.leadingZeroes = (mode & 0x40) != 0;
    renumber.letterO = (mode & 0x01) != 0;
    renumber.colon = (mode & 0x02) != 0;
    renumber.parenthesis = (mode & 0x80) != 0;
    const std::size_t last = lines.size() - 1;
    const bool cannedCycles = rangeHoldsCannedCycle(doc, 0, last);
    const auto renumbered = undoneAndRedone(doc, lines, [&](UtilityEdit& edit, std::size_t end) {
        renumberLines(doc, edit, 0, end, renumber);
    });
    const bool renamesPrograms = renumber.letterO || renumber.colon || renumber.parenthesis;
    if (!cannedCycles && !renamesPrograms &&
        std::none_of(lines.begin(), lines.end(), opensWithNumber)) {
        const auto smart = [](const std::vector<std::string>& text) {
            return hashes(text, CompareMode::Smart);
        };
        FUZZ_CHECK(smart(renumbered) == smart(lines));
    }
    checkCompare(lines, renumbered, CompareMode::Raw);
    checkCompare(lines, renumbered, CompareMode::Smart);

    undoneAndRedone(doc, lines, [&](UtilityEdit& edit, std::size_t end) {
        removeBlockNumbers(doc, edit, 0, end);
    });
    undoneAndRedone(doc, lines,
                    [&](UtilityEdit& edit, std::size_t end) { compressLines(doc, edit, 0, end); });
    undoneAndRedone(doc, lines,
                    [&](UtilityEdit& edit, std::size_t end) { expandLines(doc, edit, 0, end); });
    ModifySettings modify;
    modify.address = std::string(1, "XYZIJKFSR"[mode % 9]);
    modify.value = static_cast<double>(mode) / 7 - 10;
    modify.operation = static_cast<ModifySettings::Operation>(mode % 3);
    modify.decimals = static_cast<ModifySettings::Decimals>(mode / 3 % 3);
    // The dialog takes no division by zero.
    if (modify.operation == ModifySettings::Operation::Divide && modify.value == 0)
        modify.value = 1;
    undoneAndRedone(doc, lines, [&](UtilityEdit& edit, std::size_t end) {
        modifyLines(doc, edit, 0, end, modify);
    });
    undoneAndRedone(doc, lines, [&](UtilityEdit& edit, std::size_t end) {
        rotateLines(doc, edit, 0, end, {});
    });
    minMaxText(doc, 0, last);

    checkCleanup(bytes);
    rewrittenForCleanup(CleanupTool::Comment, bytes, "O1000.NC");
    return 0;
}
