#include "editor/LineStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "editor/NcLines.h"

namespace quillon {
namespace {

std::vector<std::string> lines(const LineStore& store)
{
    std::vector<std::string> result;
    for (std::size_t i = 0; i < store.size(); ++i)
        result.emplace_back(store.text(i));
    return result;
}

std::string written(const LineStore& store)
{
    std::string bytes;
    store.write([&](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

TEST(LineStore, LoadsByTheEditorsLineRules)
{
    struct Case {
        const char* scenario;
        std::string bytes;
        std::vector<std::string> lines;
        std::string saved;
    };
    const Case cases[] = {
        {"empty file", "", {""}, ""},
        {"lf after each line", "N10\nN20\n", {"N10", "N20", ""}, "N10\r\nN20\r\n"},
        {"crlf without a last line end", "N10\r\nN20", {"N10", "N20"}, "N10\r\nN20"},
        {"lone cr stays in the text", "A\rB\n", {"A\rB", ""}, "A\rB\r\n"},
        {"cr before the end of the file stays", "A\r", {"A\r"}, "A\r"},
        {"two crs before lf", "A\r\r\n", {"A\r", ""}, "A\r\r\n"},
        {"nul bytes are kept",
         std::string("G1\0X\nY", 6),
         {std::string("G1\0X", 4), "Y"},
         std::string("G1\0X\r\nY", 7)},
        {"tape marks and eof characters are text", "%\n\x1a", {"%", "\x1a"}, "%\r\n\x1a"},
        {"only line ends", "\n\n", {"", "", ""}, "\r\n\r\n"},
        // Line ends are looked for 64 bytes at a time: a CR and its LF on either side of
        // such a border, an LF as the last byte of one, lines longer than one.
        {"cr lf across a 64-byte border",
         std::string(63, 'A') + "\r\nB",
         {std::string(63, 'A'), "B"},
         std::string(63, 'A') + "\r\nB"},
        {"lf as the 64th byte, then a long tail",
         std::string(63, 'A') + "\n" + std::string(130, 'C') + "\r\n",
         {std::string(63, 'A'), std::string(130, 'C'), ""},
         std::string(63, 'A') + "\r\n" + std::string(130, 'C') + "\r\n"},
        {"many short lines over several borders",
         "N1\r\nN2\nN3\r\nN4\n" + std::string(60, ';') + "\n\r\n\rX\n" + std::string(70, 'Y'),
         {"N1", "N2", "N3", "N4", std::string(60, ';'), "", "\rX", std::string(70, 'Y')},
         "N1\r\nN2\r\nN3\r\nN4\r\n" + std::string(60, ';') + "\r\n\r\n\rX\r\n" +
             std::string(70, 'Y')},
    };
    for (const auto& c : cases) {
        LineStore store;
        ASSERT_TRUE(store.load(c.bytes)) << c.scenario;
        EXPECT_EQ(lines(store), c.lines) << c.scenario;
        EXPECT_EQ(written(store), c.saved) << c.scenario;
        EXPECT_EQ(countNcLines(c.bytes), c.lines.size()) << c.scenario;
        EXPECT_EQ(splitNcLines(c.bytes), c.lines) << c.scenario;
        // Cut as the bytes are read: pieces that split a CR from its LF, or end on an LF,
        // give the same lines.
        for (const std::size_t piece : {1, 7, 64, 65}) {
            LineStore::Loader loader;
            std::string arrived;
            for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
                arrived += c.bytes.substr(at, piece);
                loader.take(arrived.data(), arrived.size());
            }
            auto copy = std::make_unique<char[]>(arrived.size());
            std::memcpy(copy.get(), arrived.data(), arrived.size());
            LineStore pieces;
            ASSERT_TRUE(pieces.load(loader, std::move(copy), arrived.size())) << c.scenario;
            EXPECT_EQ(lines(pieces), c.lines) << c.scenario << ", pieces of " << piece;
        }
    }
}

TEST(LineStore, MarksLinesLongerThanTheColourLimit)
{
    LineStore store;
    const std::string limit(kMaxColouredLine, 'X');
    ASSERT_TRUE(store.load(limit + "\n" + limit + "Y\n"));
    EXPECT_FALSE(store.line(0).hasFlag(LineFlag::TooLong));
    EXPECT_TRUE(store.line(1).hasFlag(LineFlag::TooLong));
    EXPECT_TRUE(store.anyTooLong());
    EXPECT_EQ(store.longestLine(), kMaxColouredLine + 1);

    store.setFlags(1, LineFlag::Bookmark);  // TooLong is not the caller's to clear
    EXPECT_TRUE(store.line(1).hasFlag(LineFlag::TooLong));
    store.modify(1, [](std::string& text) { text.pop_back(); });
    EXPECT_EQ(store.flags(1), LineFlag::Bookmark);
    EXPECT_FALSE(store.anyTooLong());
}

// Loading measures the longest line on the way; every kind of change must make the store
// count again rather than answer what loading found.
TEST(LineStore, LongestLineAndTooLongFollowEveryKindOfChange)
{
    const std::string tooLong(kMaxColouredLine + 1, 'L');
    struct Case {
        const char* scenario;
        std::function<void(LineStore&)> change;
        std::size_t longest;
        bool anyTooLong;
    };
    const Case cases[] = {
        {"nothing changed", [](LineStore&) {}, tooLong.size(), true},
        {"the long line erased", [](LineStore& s) { s.eraseLines(1, 1); }, 5, false},
        {"the long line shortened",
         [](LineStore& s) { s.modify(1, [](std::string& t) { t.resize(3); }); }, 5, false},
        {"the long line given a new text", [](LineStore& s) { s.setText(1, "X"); }, 5, false},
        {"the long line rewritten", [](LineStore& s) { s.rewriteLine(1, "XY"); }, 5, false},
        {"a longer line inserted", [&](LineStore& s) { s.insertLine(0, tooLong + "MORE"); },
         tooLong.size() + 4, true},
        {"longer lines pasted",
         [&](LineStore& s) {
             s.insertLines(3, {"A", tooLong + "PASTED"});
         },
         tooLong.size() + 6, true},
        {"a rewrite undone",
         [](LineStore& s) {
             LineStore::SavedLines saved;
             saved.add(0, s.rewriteLine(0, std::string(kMaxColouredLine + 9, 'R')));
             s.eraseLines(1, 1);
             s.restoreLines(saved);
         },
         5, false},
    };
    for (const auto& c : cases) {
        LineStore store;
        ASSERT_TRUE(store.load("G1 X1\r\n" + tooLong + "\r\nM30"));
        c.change(store);
        EXPECT_EQ(store.longestLine(), c.longest) << c.scenario;
        EXPECT_EQ(store.anyTooLong(), c.anyTooLong) << c.scenario;
    }
}

TEST(LineStore, LinesBeyondAMegabyteAreHeldApartAndKeptWhole)
{
    const std::string huge(3 * 1024 * 1024 + 7, 'H');
    LineStore store;
    ASSERT_TRUE(store.load("A\r\n" + huge + "\r\nB"));
    ASSERT_EQ(store.size(), 3u);
    EXPECT_EQ(store.text(1), huge);
    EXPECT_TRUE(store.line(1).hasFlag(LineFlag::TooLong));
    EXPECT_EQ(written(store), "A\r\n" + huge + "\r\nB");
    store.setFlags(1, LineFlag::Bookmark | LineFlag::CompareChanged);
    EXPECT_EQ(store.flags(1), LineFlag::Bookmark | LineFlag::CompareChanged | LineFlag::TooLong);
    EXPECT_EQ(store.text(0), "A");
    EXPECT_EQ(store.flags(0), 0);
}

TEST(LineStore, WritesEditedAndUneditedLinesAlike)
{
    // Random edits over a CR LF file; what is written must always be the lines joined
    // by CR LF, whichever lines still come from the loaded bytes.
    std::mt19937 random(11);
    std::string file;
    for (int i = 0; i < 300; ++i)
        file += "N" + std::to_string(i * 10) + (i % 7 == 0 ? "\n" : "\r\n");
    file += "M30";
    LineStore store;
    ASSERT_TRUE(store.load(file));
    auto model = splitNcLines(file);
    for (int step = 0; step < 400; ++step) {
        const std::size_t at = random() % model.size();
        switch (random() % 4) {
        case 0:
            store.setText(at, "X" + std::to_string(step));
            model[at] = "X" + std::to_string(step);
            break;
        case 1:
            store.insertLine(at, "new " + std::to_string(step));
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at),
                         "new " + std::to_string(step));
            break;
        case 2:
            if (model.size() > 1) {
                store.eraseLines(at, 1);
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            }
            break;
        default:
            store.modify(at, [](std::string& text) { text += ";"; });
            model[at] += ";";
            break;
        }
    }
    ASSERT_EQ(lines(store), model);
    std::string expected;
    for (std::size_t i = 0; i < model.size(); ++i)
        expected += model[i] + (i + 1 < model.size() ? "\r\n" : "");
    EXPECT_EQ(written(store), expected);
}

// Bulk rewrites of tens of megabytes fill several blocks of the edit arena, each new one
// made ready while the one before fills; every text must stay where its reference says,
// through rewrites of rewritten lines and restores both ways.
TEST(LineStore, BulkRewritesAcrossManyEditBlocksKeepEveryText)
{
    constexpr std::size_t kLines = 300'000;
    std::string file;
    for (std::size_t i = 0; i < kLines; ++i)
        file += "X" + std::to_string(i) + " Y" + std::to_string(i % 977) + "\r\n";
    LineStore store;
    ASSERT_TRUE(store.load(file));
    const std::vector<std::string> original = lines(store);

    const auto rewriteAll = [&](const std::string& tag) {
        LineStore::SavedLines saved;
        for (std::size_t i = 0; i < store.size(); ++i) {
            // About 20 to 45 bytes a line: the two rewrites fill three blocks.
            const std::string text = tag + " " + std::string(store.text(i)) + " (" + tag + ")";
            saved.add(i, store.rewriteLine(i, text));
        }
        return saved;
    };
    const LineStore::SavedLines first = rewriteAll("N1");
    const LineStore::SavedLines second = rewriteAll("N2");
    for (std::size_t i = 0; i < kLines; i += 7919) {
        ASSERT_EQ(store.text(i), "N2 N1 " + original[i] + " (N1) (N2)") << "line " << i;
    }
    ASSERT_EQ(store.text(kLines - 1), "N2 N1 " + original[kLines - 1] + " (N1) (N2)");

    const LineStore::SavedLines secondUndone = store.restoreLines(second);
    for (std::size_t i = 0; i < kLines; i += 7919)
        ASSERT_EQ(store.text(i), "N1 " + original[i] + " (N1)") << "line " << i;
    const LineStore::SavedLines firstUndone = store.restoreLines(first);
    EXPECT_TRUE(lines(store) == original);
    EXPECT_TRUE(written(store) == file) << "written differs";

    // And forward again, as redo does.
    store.restoreLines(firstUndone);
    store.restoreLines(secondUndone);
    for (std::size_t i = 0; i < kLines; i += 7919)
        ASSERT_EQ(store.text(i), "N2 N1 " + original[i] + " (N1) (N2)") << "line " << i;
}

TEST(LineStore, EmptyTextsFindAPlaceInTheEditArena)
{
    // "N10" with its block number removed: an empty line is the first edit of the file.
    LineStore store;
    ASSERT_TRUE(store.load("N10\r\nG01 X1."));
    LineStore::SavedLines saved;
    saved.add(0, store.rewriteLine(0, ""));
    EXPECT_EQ(store.text(0), "");

    // And once an edit block is exactly full: eight of the longest arena texts and eight
    // bytes fill its 8 MiB.
    const std::string longest((std::size_t{1} << 20) - 1, 'X');
    for (int i = 0; i < 8; ++i)
        store.rewriteLine(1, longest);
    store.rewriteLine(1, "12345678");
    store.rewriteLine(1, "");
    EXPECT_EQ(store.text(1), "");
    EXPECT_EQ(written(store), "\r\n");

    store.restoreLines(saved);
    EXPECT_EQ(store.text(0), "N10");
}

TEST(LineStore, AWriteStopsWhenTheSinkFails)
{
    LineStore store;
    ASSERT_TRUE(store.load("A\r\nB\r\nC"));
    int pieces = 0;
    EXPECT_FALSE(store.write([&](std::string_view) { return ++pieces > 5; }));
    EXPECT_EQ(pieces, 1);
}

}  // namespace
}  // namespace quillon
