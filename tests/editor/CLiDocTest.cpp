#include "editor/CLiDoc.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include "editor/DocTestSupport.h"
#include "platform/TextFile.h"

namespace quillon {
namespace {

class CLiDocFileTest : public ::testing::Test {
protected:
    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    CLiDoc doc;
};

TEST_F(CLiDocFileTest, ANewDocumentIsOneEmptyUnmodifiedLine)
{
    EXPECT_EQ(doc.lineCount(), 1u);
    EXPECT_EQ(doc.lineText(0), "");
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.pathName(), "");
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.cleanDepth(), 0u);
}

TEST_F(CLiDocFileTest, OpenAndSaveKeepTheLineRules)
{
    struct Case {
        const char* scenario;
        std::string bytes;
        std::size_t lines;
        std::string saved;
    };
    const Case cases[] = {
        {"empty file", "", 1, ""},
        {"N10 LF N20 LF", "N10\nN20\n", 3, "N10\r\nN20\r\n"},
        {"N10 CR LF N20", "N10\r\nN20", 2, "N10\r\nN20"},
        {"A CR B LF", "A\rB\n", 2, "A\rB\r\n"},
    };
    for (const auto& c : cases) {
        dir.write("IN.NC", c.bytes);
        ASSERT_TRUE(doc.open(dir.path("IN.NC"), notifier)) << c.scenario;
        EXPECT_EQ(doc.lineCount(), c.lines) << c.scenario;
        EXPECT_FALSE(doc.isModified());
        ASSERT_TRUE(doc.save(dir.path("OUT.NC"), notifier)) << c.scenario;
        EXPECT_EQ(dir.read("OUT.NC"), c.saved) << c.scenario;
        EXPECT_EQ(doc.pathName(), dir.path("OUT.NC"));
    }
    EXPECT_EQ(doc.lineText(0), "A\rB");
    EXPECT_TRUE(notifier.shown().empty());
}

// A program of a few thousand lines holds several blocks of the line table. Enter after
// Enter, a paste of more lines than a block holds and the joins that undo them must leave
// the text and the saved bytes exact wherever they happen: at the start, in the middle, at
// a block border and at the end.
TEST_F(CLiDocFileTest, LongEditRunsAnywhereSaveAndUndoExactly)
{
    constexpr std::size_t kLines = 3 * 4096 + 100;
    std::string original;
    for (std::size_t i = 0; i < kLines; ++i)
        original += "N" + std::to_string(i) + " G1 X" + std::to_string(i % 97) + "\r\n";
    original += "M30";
    std::vector<std::string> pasted;
    for (int i = 0; i < 5000; ++i)
        pasted.push_back("P" + std::to_string(i));
    struct Case {
        const char* scenario;
        std::size_t line;
    };
    const Case cases[] = {{"at the start", 0},
                          {"in the middle", kLines / 2},
                          {"at a block border", 4096},
                          {"at the end", kLines}};
    for (const auto& c : cases) {
        dir.write("IN.NC", original);
        ASSERT_TRUE(doc.open(dir.path("IN.NC"), notifier)) << c.scenario;
        std::vector<std::string> model = test::linesOf(doc);
        // Enter a thousand times, each new line cut again after its third character.
        std::size_t line = c.line;
        for (int i = 0; i < 1000; ++i) {
            doc.BeginEditGroup(true);
            doc.SplitLine(line, 3);
            doc.EndEditGroup();
            const std::string text = model[line];
            model[line] = text.substr(0, std::min<std::size_t>(3, text.size()));
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(line + 1),
                         text.size() > 3 ? text.substr(3) : "");
            ++line;
        }
        doc.BeginEditGroup(true);
        const TextPos end = doc.InsertBlock(line, 1, pasted);
        doc.EndEditGroup();
        EXPECT_EQ(end, (TextPos{line + pasted.size() - 1, pasted.back().size()})) << c.scenario;
        const std::string tail = model[line].substr(std::min<std::size_t>(1, model[line].size()));
        model[line] = model[line].substr(0, 1) + pasted.front();
        std::vector<std::string> added(pasted.begin() + 1, pasted.end());
        added.back() += tail;
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(line + 1), added.begin(),
                     added.end());
        ASSERT_EQ(test::linesOf(doc), model) << c.scenario;
        std::string expected;
        for (std::size_t i = 0; i < model.size(); ++i)
            expected += model[i] + (i + 1 < model.size() ? "\r\n" : "");
        ASSERT_TRUE(doc.save(dir.path("OUT.NC"), notifier)) << c.scenario;
        EXPECT_EQ(dir.read("OUT.NC"), expected) << c.scenario;

        while (doc.CanUndo())
            doc.Undo();
        ASSERT_TRUE(doc.save(dir.path("OUT.NC"), notifier)) << c.scenario;
        EXPECT_EQ(dir.read("OUT.NC"), original) << c.scenario;
    }
}

TEST_F(CLiDocFileTest, ExecutablesAreRefusedInAnyCase)
{
    for (const char* name : {"prog.exe", "PROG.EXE", "Prog.Com", "x.dll", "dir.exe/../a.DlL"}) {
        dir.write("prog.exe", "MZ");
        doc.newDocument();
        EXPECT_FALSE(doc.open(dir.path(name), notifier)) << name;
        EXPECT_EQ(notifier.texts().back(), ".EXE  .COM and .DLL files can not be edited");
        EXPECT_EQ(doc.pathName(), "");
    }
    EXPECT_FALSE(hasRefusedExtension("/nc/exe"));
    EXPECT_FALSE(hasRefusedExtension("/nc.exe/O1000"));
    EXPECT_FALSE(hasRefusedExtension("/nc/O1000.exe1"));
}

TEST_F(CLiDocFileTest, AVeryLongLineLoadsWholeAndIsWarnedAbout)
{
    const std::string line(40000, 'X');
    dir.write("LONG.NC", "G0\n" + line + "\nM30");
    ASSERT_TRUE(doc.open(dir.path("LONG.NC"), notifier));
    EXPECT_EQ(doc.lineLength(1), 40000u);
    EXPECT_TRUE(doc.line(1).hasFlag(LineFlag::TooLong));
    EXPECT_FALSE(doc.line(0).hasFlag(LineFlag::TooLong));
    doc.warnIfTooLong(notifier);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].icon, NoticeIcon::Information);
    EXPECT_EQ(notifier.texts()[0],
              "Too long line!\n\nThis file contains more than 32767 characters in a line.\n"
              "You may lose original contents if you save this filet.");
    ASSERT_TRUE(doc.save(dir.path("LONG.NC"), notifier));
    EXPECT_EQ(dir.read("LONG.NC"), "G0\r\n" + line + "\r\nM30");
}

TEST_F(CLiDocFileTest, AMissingFileIsReportedAndTheDocumentStays)
{
    test::openBytes(doc, dir, "KEEP\n");
    EXPECT_FALSE(doc.open(dir.path("NOPE.NC"), notifier));
    EXPECT_EQ(notifier.texts().back(), "\"" + dir.path("NOPE.NC") + "\" was not found.");
    EXPECT_EQ(test::joined(doc), "KEEP|");
    EXPECT_EQ(doc.pathName(), dir.path("PROG.NC"));
}

TEST_F(CLiDocFileTest, AReadOnlyTargetIsNotWrittenAndTheDocumentStaysModified)
{
    test::openBytes(doc, dir, "N10\n");
    doc.InsertChar(0, 3, '0');
    const std::string path = dir.path("PROG.NC");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(doc.canSaveInPlace());  // Ctrl+S goes to Save As
    EXPECT_FALSE(doc.save(path, notifier));
    EXPECT_EQ(notifier.texts().back(),
              "Failed to save file.\n\"" + path + "\"\n- (directory or read only file?)");
    EXPECT_EQ(notifier.shown().back().icon, NoticeIcon::Error);
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(dir.read("PROG.NC"), "N10\n");

    std::filesystem::create_directory(dir.path("FOLDER"));
    EXPECT_FALSE(doc.save(dir.path("FOLDER"), notifier));
    EXPECT_NE(notifier.texts().back().find("directory or read only file?"), std::string::npos);
}

TEST_F(CLiDocFileTest, AFailedWriteLeavesTheOriginalByteForByte)
{
    // The disk "fills up" after 64 KiB: the file size limit makes write() fail.
    std::string original;
    for (int i = 0; i < 2000; ++i)
        original += "N" + std::to_string(i) + " G01 X10.5 Y-20.25\n";
    test::openBytes(doc, dir, original);
    for (std::size_t line = 0; line + 1 < doc.lineCount(); ++line)
        doc.InsertText(line, 0, "(EDITED) ");

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool savedOk = doc.save(dir.path("PROG.NC"), notifier);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(savedOk);
    EXPECT_EQ(notifier.texts().back(),
              "There is not enough room on the disk to save \"" + dir.path("PROG.NC") + "\".");
    EXPECT_EQ(dir.read("PROG.NC"), original);
    EXPECT_TRUE(doc.isModified());
    int files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(dir.workDir().root()))
        ++files;
    EXPECT_EQ(files, 2);  // PROG.NC and _TMP: no work file left behind
}

TEST_F(CLiDocFileTest, SavingKeepsPermissionsAndSettlesTheCleanState)
{
    test::openBytes(doc, dir, "A\n");
    const std::string path = dir.path("PROG.NC");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    doc.InsertChar(0, 1, 'B');
    ASSERT_TRUE(doc.canSaveInPlace());
    ASSERT_TRUE(doc.save(path, notifier));
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.cleanDepth(), 0u);  // the insert was not in a closed group
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.read("PROG.NC"), "AB\r\n");
}

TEST_F(CLiDocFileTest, AChangeByAnotherProgramIsAskedAboutOnce)
{
    test::openBytes(doc, dir, "N10\n");
    EXPECT_EQ(doc.checkDiskVersion(notifier), DiskCheck::Unchanged);

    auto touch = [&](const std::string& bytes, long seconds) {
        dir.write("PROG.NC", bytes);
        const utimbuf times{seconds, seconds};
        ::utime(dir.path("PROG.NC").c_str(), &times);
    };
    touch("N20\n", 1000);
    notifier.script({NoticeAnswer::No});
    EXPECT_EQ(doc.checkDiskVersion(notifier), DiskCheck::Kept);
    EXPECT_EQ(notifier.texts().back(),
              dir.path("PROG.NC") +
                  "\n\nThis file has been modified by another program. Do you want to reload it?");
    EXPECT_EQ(test::joined(doc), "N10|");
    EXPECT_EQ(doc.checkDiskVersion(notifier), DiskCheck::Unchanged);  // not asked again

    doc.InsertChar(0, 0, 'X');
    touch("N30\n" + std::string(33000, 'L'), 2000);
    notifier.script({NoticeAnswer::Yes});
    EXPECT_EQ(doc.checkDiskVersion(notifier), DiskCheck::Reloaded);
    EXPECT_EQ(doc.lineText(0), "N30");
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(notifier.texts().back().substr(0, 14), "Too long line!");

    std::filesystem::remove(dir.path("PROG.NC"));
    EXPECT_EQ(doc.checkDiskVersion(notifier), DiskCheck::Unchanged);  // a missing file is skipped
    EXPECT_FALSE(doc.canSaveInPlace());
}

TEST_F(CLiDocFileTest, GetTextAndGetBlock)
{
    test::openBytes(doc, dir, "G00 X0\nG01 Y5\nM30");
    EXPECT_EQ(doc.GetText(0, 4, 2), "X0");
    EXPECT_EQ(doc.GetText(0, 4, 100), "X0");
    EXPECT_EQ(doc.GetText(0, 10, 1), "");
    EXPECT_EQ(doc.GetBlock(0, 4, 2, 1), (std::vector<std::string>{"X0", "G01 Y5", "M"}));
    EXPECT_EQ(doc.GetBlock(1, 1, 1, 3), std::vector<std::string>{"01"});
    EXPECT_EQ(doc.GetBlock(0, 6, 1, 0), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(doc.endPosition(), (TextPos{2, 3}));
}

// Writes down what the views would hear.
class RecordingObserver : public DocumentObserver {
public:
    void linesChanged(std::size_t first, std::size_t last) override
    {
        events.push_back("changed " + std::to_string(first) + "-" + std::to_string(last));
    }
    void linesInserted(std::size_t at, std::size_t count) override
    {
        events.push_back("inserted " + std::to_string(at) + "+" + std::to_string(count));
    }
    void linesRemoved(std::size_t at, std::size_t count) override
    {
        events.push_back("removed " + std::to_string(at) + "+" + std::to_string(count));
    }
    void documentReset() override { events.push_back("reset"); }
    void modifiedChanged(bool modified) override
    {
        events.push_back(modified ? "modified" : "clean");
    }
    void flagsChanged(std::size_t line) override
    {
        events.push_back("flags " + std::to_string(line));
    }
    std::vector<std::string> events;
};

TEST_F(CLiDocFileTest, ViewsHearEveryChange)
{
    test::openBytes(doc, dir, "A\nB\nC\nD");
    RecordingObserver views;
    doc.addObserver(&views);
    doc.InsertChar(0, 1, 'x');
    doc.SplitLine(1, 0);
    doc.DeleteBlock(0, 1, 2, 1);
    doc.ToggleBookmark(1);
    doc.Undo();  // nothing grouped: nothing to undo
    ASSERT_TRUE(doc.reload(notifier));
    doc.removeObserver(&views);
    doc.InsertChar(0, 0, 'y');
    EXPECT_EQ(views.events, (std::vector<std::string>{"modified", "changed 0-0", "changed 1-1",
                                                      "inserted 2+1", "changed 0-0", "removed 1+2",
                                                      "flags 1", "clean", "reset"}));
}

}  // namespace
}  // namespace quillon
