#include "app/FileUpdate.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "cli/CliCommands.h"
#include "platform/FileBytes.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

// A from and a to folder beside the working directory; files are put with a fixed time.
struct Folders {
    test::TempWorkDir dir;
    std::string from = dir.base() + "/from";
    std::string to = dir.base() + "/to";
    Folders() { fs::create_directories(from), fs::create_directories(to); }
    void put(const std::string& folder, const char* name, const char* bytes,
             std::int64_t seconds = 1700000000) const
    {
        test::writeBytes(folder + "/" + name, bytes);
        const std::chrono::sys_seconds time{std::chrono::seconds(seconds)};
        fs::last_write_time(folder + "/" + name, std::chrono::file_clock::from_sys(time));
    }
};

TEST(FileUpdatePairs, ALineSplitsAtTheFirstGreaterThanElseBlankElseComma)
{
    const struct {
        const char* scenario;
        const char* line;
        DirectoryPair pair;
    } cases[] = {
        {"first greater-than, even after a blank", "C:\\My NC>D:\\a>b", {"C:\\My NC", "D:\\a>b"}},
        {"first blank without greater-than", "C:\\A C:\\B C", {"C:\\A", "C:\\B C"}},
        {"blank wins over a comma", "a,b c", {"a,b", "c"}},
        {"comma", "/srv/in,/srv/out", {"/srv/in", "/srv/out"}},
        {"empty to-part gives an empty pair", "C:\\A>", {}},
        {"no separator gives an empty pair", "C:\\A", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitPairLine(c.line), c.pair) << c.scenario;
}

TEST(FileUpdatePairs, FilesReadTenCutLinesAndThePrintFlag)
{
    test::TempWorkDir dir;
    EXPECT_EQ(readFileUpdateSettings(dir.workDir()), FileUpdateSettings{});

    std::string lines = "a>b\n\nc d\r\n" + std::string(500, 'f') + ">" + std::string(60, 't');
    for (int i = 5; i <= 11; ++i)
        lines += "\r\nx" + std::to_string(i) + ">y";
    dir.write(kFileUpdatePairsFile, lines);
    const FileUpdateSettings read = readFileUpdateSettings(dir.workDir());
    EXPECT_EQ(read.pairs[2], (DirectoryPair{"c", "d"}));
    EXPECT_EQ(read.pairs[3].to, std::string(kPairLineLimit - 501, 't'));
    EXPECT_EQ(read.pairs[9].from, "x10");     // line 11 is not read
    EXPECT_EQ(listEntries(read).size(), 9u);  // the empty second line is not listed

    for (const auto& [bytes, on] :
         {std::pair{"0\r\n", false}, {"01", false}, {"1\r\n", true}, {"x", true}, {"", true}}) {
        dir.write(kFileUpdatePrintFile, bytes);
        EXPECT_EQ(readFileUpdateSettings(dir.workDir()).printAfterUpdate, on) << bytes;
    }
}

TEST(FileUpdatePairs, TheListDropsOneTrailingSeparatorAndSavingWritesCompletePairs)
{
    test::TempWorkDir dir;
    dir.write(kFileUpdatePairsFile, "C:\\A C:\\B\r\n");
    const std::vector<std::string> entries = {
        listEntries(readFileUpdateSettings(dir.workDir())).front(),
        "nopairhere",
        "C:\\NC\\\\>D:\\M1\\",
        "/srv/in/>/",
        "e>f",
        "g>h",
        "i>j",
        "k>l",
        "m>n",
        "o>p",
        "q>r"};
    const FileUpdateSettings taken = settingsFromList(entries, false);
    EXPECT_EQ(taken.pairs[2], (DirectoryPair{"C:\\NC\\", "D:\\M1"}));
    EXPECT_EQ(taken.pairs[3], (DirectoryPair{"/srv/in", "/"}));  // the root stays itself

    ScriptedNotifier notifier;
    ASSERT_TRUE(saveFileUpdateSettings(dir.workDir(), taken, notifier));
    EXPECT_EQ(dir.read(kFileUpdatePairsFile),  // no empty pair, no eleventh entry
              "C:\\A>C:\\B\r\nC:\\NC\\>D:\\M1\r\n/srv/in>/\r\ne>f\r\ng>h\r\ni>j\r\nk>l\r\n"
              "m>n\r\no>p\r\n");
    EXPECT_EQ(dir.read(kFileUpdatePrintFile), "0\r\n");

    EXPECT_FALSE(saveFileUpdateSettings(WorkDir(dir.base() + "/missing"), taken, notifier));
    ASSERT_EQ(notifier.texts().size(), 2u);
    EXPECT_TRUE(notifier.texts()[1].starts_with("Could not save FileUpdt2.sys: "));
}

TEST(FileUpdatePairs, SameDirectoriesByPathOrByFolder)
{
    Folders f;
    fs::create_directory_symlink(f.from, f.dir.base() + "/link");
    EXPECT_TRUE(sameDirectories("C:\\NC\\IN", "C:/NC/IN"));
    EXPECT_TRUE(sameDirectories("/srv/./a//b/", "/srv/a/b"));
    EXPECT_TRUE(sameDirectories(f.dir.base() + "/link", f.from));
    EXPECT_FALSE(sameDirectories(f.from, f.to));
}

TEST(UpdateFile, CopiesWhenMissingOrDifferentAndNeverLeavesAHalfTarget)
{
    const struct {
        const char* scenario;
        std::function<void(const Folders&)> prepare;
        FileUpdateResult result;
        std::string target;  // its bytes afterwards
    } cases[] = {
        {"missing target", [](const Folders&) {}, FileUpdateResult::Updated, "NEW"},
        // Same size and time count as equal, so the other bytes stay.
        {"equal target untouched", [](const Folders& f) { f.put(f.to, "P1", "OLD"); },
         FileUpdateResult::Unchanged, "OLD"},
        {"other size", [](const Folders& f) { f.put(f.to, "P1", "OLDER"); },
         FileUpdateResult::Updated, "NEW"},
        {"other time", [](const Folders& f) { f.put(f.to, "P1", "OLD", 1600000000); },
         FileUpdateResult::Updated, "NEW"},
        {"target is a folder", [](const Folders& f) { fs::create_directory(f.to + "/P1"); },
         FileUpdateResult::Incomplete, "<folder>"},
        {"source cannot be read (a folder)",
         [](const Folders& f) {
             fs::remove(f.from + "/P1"), fs::create_directory(f.from + "/P1");
             f.put(f.to, "P1", "KEEP");
         },
         FileUpdateResult::Incomplete, "KEEP"},
        {"to folder missing", [](const Folders& f) { fs::remove(f.to); },
         FileUpdateResult::Incomplete, "<missing>"},
    };
    for (const auto& c : cases) {
        Folders f;
        f.put(f.from, "P1", "NEW");
        c.prepare(f);
        EXPECT_EQ(updateFile("P1", f.from, f.to), c.result) << c.scenario;
        const std::string target = f.to + "/P1";
        EXPECT_EQ(fs::is_directory(target) ? "<folder>" : readFile(target).value_or("<missing>"),
                  c.target)
            << c.scenario;
        if (c.result == FileUpdateResult::Updated) {
            EXPECT_EQ(fileStamp(target), fileStamp(f.from + "/P1")) << c.scenario;
        }
        if (fs::exists(f.to)) {  // no work file left behind
            EXPECT_EQ(std::distance(fs::directory_iterator(f.to), {}), 1) << c.scenario;
        }
    }
}

TEST(RunFileUpdate, ReportsEachPairAndSkipsSameFoldersDotFilesAndSubfolders)
{
    Folders f;
    for (const char* name : {"P2", "P1", "P3", ".hidden"})
        f.put(f.from, name, "x");
    fs::create_directory(f.from + "/SUB");
    FileUpdateSettings settings;
    settings.pairs[1] = {f.from, f.from + "/"};
    settings.pairs[3] = {f.from, f.to};
    settings.pairs[5] = {f.to, ""};  // incomplete: not run

    std::vector<std::string> handed;
    const FileOperation fake = [&](std::string_view name, std::string_view, std::string_view) {
        handed.emplace_back(name);
        return name == "P1"   ? FileUpdateResult::Updated
               : name == "P2" ? FileUpdateResult::Incomplete
                              : FileUpdateResult::Unchanged;
    };
    ScriptedNotifier notifier;
    std::vector<std::string> reports;
    const ReportHandler collect = [&](const DirectoryPair&, const std::string& report) {
        reports.push_back(report);
    };
    runFileUpdate(settings, notifier, collect, fake);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, "The directories are the same");
    EXPECT_EQ(notifier.shown()[0].title, f.from);
    EXPECT_EQ(notifier.shown()[0].icon, NoticeIcon::Exclamation);
    EXPECT_EQ(handed, (std::vector<std::string>{"P1", "P2", "P3"}));
    EXPECT_EQ(reports,
              std::vector<std::string>{f.to + "/P1\n" + f.to + "/P2 --- FILE INCOMPLETE\n"});

    // With the real copy a second run finds nothing to do and reports nothing.
    runFileUpdate(settings, notifier, collect);
    EXPECT_EQ(std::distance(fs::directory_iterator(f.to), {}), 3);  // no .hidden, no SUB
    runFileUpdate(settings, notifier, collect);
    EXPECT_EQ(reports.size(), 2u);
}

TEST(CliFileUpdate, RunsTheStoredPairsAsStartDoes)
{
    Folders f;
    f.put(f.from, "O1000", "%\nO1000\n%\n");
    f.dir.write(kFileUpdatePairsFile, f.to + " " + f.to + "/\r\n" + f.from + "/>" + f.to +
                                          "/\r\n" + f.from + ">" + f.dir.base() + "/none\r\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::run({"fileupdate"}, out, err), 0);
    EXPECT_EQ(out.str(), f.to + "/O1000\n" + f.dir.base() + "/none/O1000 --- FILE INCOMPLETE\n");
    EXPECT_EQ(err.str(), f.to + ": The directories are the same\n");
    EXPECT_EQ(readFile(f.to + "/O1000"), "%\nO1000\n%\n");
}

}  // namespace
}  // namespace quillon
