#include "utilities/FileCleanup.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

std::string rewritten(CleanupTool tool, std::string_view bytes, std::string_view name = "P.NC")
{
    return rewrittenForCleanup(tool, bytes, name);
}

// A folder of programs below the temporary working directory.
class CleanupFolder : public ::testing::Test {
protected:
    std::string folder() const { return m_dir.base() + "/progs/"; }
    std::string path(std::string_view name) const { return folder() + std::string(name); }
    void write(std::string_view name, std::string_view bytes) const
    {
        fs::create_directories(fs::path(path(name)).parent_path());
        test::writeBytes(path(name), bytes);
    }
    std::string read(std::string_view name) const
    {
        return readFile(path(name)).value_or("<missing>");
    }
    bool exists(std::string_view name) const { return fs::exists(path(name)); }
    void setTimes(std::string_view name, std::int64_t seconds) const
    {
        const timespec times[2] = {{seconds - 100, 250}, {seconds, 500}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path(name).c_str(), times, 0), 0);
    }
    struct stat status(std::string_view name) const
    {
        struct stat st {};
        ::stat(path(name).c_str(), &st);
        return st;
    }
    CleanupRun run(CleanupTool tool) const { return runCleanup(tool, folder()); }

    void SetUp() override { fs::create_directories(folder()); }

    test::TempWorkDir m_dir;
};

// ---- Contents ------------------------------------------------------------------------------

TEST(FileCleanupContent, EobMakesEveryLineEndOneCrLf)
{
    EXPECT_EQ(rewritten(CleanupTool::Eob, "%\nO1000\nG0 X1\n%"), "%\r\nO1000\r\nG0 X1\r\n%");
    // Already CR LF: the same bytes, so the run leaves the file alone.
    EXPECT_EQ(rewritten(CleanupTool::Eob, "%\r\nO1000\r\n%"), "%\r\nO1000\r\n%");
    // A pair of line-end bytes in any order is one line end; an empty line of bare LFs goes.
    EXPECT_EQ(rewritten(CleanupTool::Eob, "A\n\nB\n\rC\r\rD\rE"), "A\r\nB\r\nC\r\nD\r\nE");
    // Three in a row: the first two are one end, the third another.
    EXPECT_EQ(rewritten(CleanupTool::Eob, "A\n\n\nB"), "A\r\n\r\nB");
    EXPECT_EQ(rewritten(CleanupTool::Eob, "A\r"), "A\r\n");
    // Other control bytes pass untouched.
    EXPECT_EQ(rewritten(CleanupTool::Eob, std::string("A\0\tB\n", 5)),
              std::string("A\0\tB\r\n", 6));
}

TEST(FileCleanupContent, BlankLineDropsLeadingBlanksOnlyWhenTheFileStartsWithOne)
{
    EXPECT_EQ(rewritten(CleanupTool::BlankLine, "\r\n\r\n  %\r\nO1\r\n"), "%\r\nO1\r\n");
    EXPECT_EQ(rewritten(CleanupTool::BlankLine, std::string("\0\n %", 4)), "%");
    // A tab is not among the blanks: the file stays as it is, tab and all.
    EXPECT_EQ(rewritten(CleanupTool::BlankLine, "\t\r\n%\r\n"), "\t\r\n%\r\n");
    EXPECT_EQ(rewritten(CleanupTool::BlankLine, "%\r\n\r\n"), "%\r\n\r\n");
    EXPECT_EQ(rewritten(CleanupTool::BlankLine, " \r\n \r\n"), "");
}

TEST(FileCleanupContent, OkumaWritesItsHeaderAndDropsDollarAndPercentLines)
{
    const std::string program = "%\r\n$O999.MIN%\r\nN1 G0\tX1.\r\nN2 M30\r\n%\r\n";
    EXPECT_EQ(rewritten(CleanupTool::Okuma, program, "O1000.NC"),
              "$O1000.MIN%\r\nN1 G0X1.\r\nN2 M30\r\n");
    // The name: upper case, cut at the first dot, without spaces.
    EXPECT_EQ(rewritten(CleanupTool::Okuma, "G0\n", "my part.v2.nc"), "$MYPART.MIN%\r\nG0\n");
    // Bytes below 27 other than CR and LF go (NUL, DC2, ^Z); ESC and bytes with bit 7 stay.
    EXPECT_EQ(rewritten(CleanupTool::Okuma, std::string("A\0\x12\x1a\x1b\xd8\r\n", 8), "A"),
              "$A.MIN%\r\nA\x1b\xd8\r\n");
    // The last line keeps its place even without a line end.
    EXPECT_EQ(rewritten(CleanupTool::Okuma, "G0\r\nM30", "A"), "$A.MIN%\r\nG0\r\nM30");
}

TEST(FileCleanupContent, CommentNamesTheProgramLineOrInsertsALine)
{
    EXPECT_EQ(rewritten(CleanupTool::Comment, "%\r\nO0001(OLD)\r\nG0 X1\r\n", "part1.nc"),
              "%\r\nO0001(PART1)\r\nG0 X1\r\n");
    // Without a comment the program line stays and the name follows on a line of its own.
    EXPECT_EQ(rewritten(CleanupTool::Comment, ":1234\nG0\n", "A.B.NC"), ":1234\n(A.B)\r\nG0\n");
    // Only the first program line among the first four is named.
    EXPECT_EQ(rewritten(CleanupTool::Comment, "O1\nO2(X)\n", "N"), "O1\n(N)\r\nO2(X)\n");
    // No program line in the first four: the name goes before the fifth line...
    EXPECT_EQ(rewritten(CleanupTool::Comment, "%\n(A)\n(B)\n(C)\nO5(D)\nG0\n", "N"),
              "%\n(A)\n(B)\n(C)\n(N)\r\nO5(D)\nG0\n");
    // ...and a file of four lines or fewer is only filtered.
    EXPECT_EQ(rewritten(CleanupTool::Comment, "%\n\tG0\n", "N"), "%\nG0\n");
    // A program line without a line end, last in the file, gets one before the name.
    EXPECT_EQ(rewritten(CleanupTool::Comment, "%\nO7", "N"), "%\nO7\r\n(N)\r\n");
}

TEST(FileCleanupContent, ReverseCommentTakesTheFirstUsableComment)
{
    EXPECT_EQ(reverseCommentName("%\r\nO1(BRACKET-A)\r\n"), "BRACKET-A");
    EXPECT_EQ(reverseCommentName("O1()\n(  )\n"), "  ");
    EXPECT_EQ(reverseCommentName("O1 (NO END\r\n"), "NO END");
    EXPECT_EQ(reverseCommentName("1\n2\n3\n4\n5\n(SIXTH)\n"), "");
    EXPECT_EQ(reverseCommentName("G0\n"), "");
    bool refused = false;
    for (const std::string_view hostile :
         {"O1(../../x)\n", "O1(A/B)\n", "O1(A\\B)\n", "O1(..)\n", "O1(.)\n", "O1(A\tB)\n"}) {
        EXPECT_EQ(reverseCommentName(hostile, &refused), "") << hostile;
        EXPECT_TRUE(refused) << hostile;
    }
    EXPECT_EQ(reverseCommentName("O1(A.B)\n", &refused), "A.B");
    EXPECT_FALSE(refused);
}

TEST(FileCleanupContent, MazakWorkNumberIsTheFirstDigitsUpToFour)
{
    EXPECT_EQ(mazakWorkNumber("%\r\nO1234(P)\r\n"), "1234");
    EXPECT_EQ(mazakWorkNumber("O123456"), "1234");
    EXPECT_EQ(mazakWorkNumber("(PART) O7 X1"), "7");
    EXPECT_EQ(mazakWorkNumber("%\r\nM\r\n"), "");
}

TEST(FileCleanupContent, QuestionsAndCandidateNames)
{
    EXPECT_EQ(cleanupQuestion(CleanupTool::Eob, "/shop/nc/"),
              "WARNING! This will clean EOB characters of all files in\n\n/shop/nc/\n\n"
              "directory. Are you sure to continue?");
    EXPECT_EQ(cleanupQuestion(CleanupTool::Okuma, "/n/").substr(0, 20),
              std::string(18, ' ') + "WA");
    EXPECT_EQ(cleanupQuestion(CleanupTool::MazakWorkNumber, "/n/"),
              "     WARNING! PLEASE, BACK UP YOUR FILES FIRST!\n\nThis utility is used for naming "
              "MAZK files in very special cases in\n\n/n/\n\ndirectory. Are you sure to "
              "continue?");
    EXPECT_FALSE(isCleanupCandidateName(CleanupTool::Eob, "APP.SYS.BAK"));
    EXPECT_FALSE(isCleanupCandidateName(CleanupTool::Comment, "tool.exe"));
    EXPECT_FALSE(isCleanupCandidateName(CleanupTool::Eob, ".hidden.nc"));
    EXPECT_TRUE(isCleanupCandidateName(CleanupTool::Eob, "O1000.NC"));
    EXPECT_TRUE(isCleanupCandidateName(CleanupTool::MazakWorkNumber, "APP.SYS.BAK"));
    EXPECT_FALSE(isCleanupCandidateName(CleanupTool::MazakWorkNumber, ".x"));
}

// ---- Runs over a folder --------------------------------------------------------------------

TEST_F(CleanupFolder, EobRewritesInPlaceKeepingTimesAndPermissions)
{
    write("LF.NC", "%\nO1\n%\n");
    write("CRLF.NC", "%\r\nO2\r\n%\r\n");
    write("TWICE.NC", "A\n\nB\n");
    setTimes("LF.NC", 1'600'000'000);
    setTimes("CRLF.NC", 1'600'000'000);
    ::chmod(path("LF.NC").c_str(), 0640);
    const ino_t untouchedInode = status("CRLF.NC").st_ino;

    const CleanupRun result = run(CleanupTool::Eob);
    const struct stat st = status("LF.NC");  // before reading it sets the access time
    ASSERT_TRUE(result.completed) << result.error;
    ASSERT_EQ(result.changes.size(), 2u);
    EXPECT_EQ(result.changes[0].path, path("LF.NC"));
    EXPECT_EQ(result.changes[1].path, path("TWICE.NC"));
    EXPECT_EQ(read("LF.NC"), "%\r\nO1\r\n%\r\n");
    EXPECT_EQ(read("TWICE.NC"), "A\r\nB\r\n");
    EXPECT_EQ(read("CRLF.NC"), "%\r\nO2\r\n%\r\n");
    EXPECT_EQ(status("CRLF.NC").st_ino, untouchedInode);
    EXPECT_EQ(st.st_mtim.tv_sec, 1'600'000'000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    EXPECT_EQ(st.st_atim.tv_sec, 1'600'000'000 - 100);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(exists(kCleanupWorkFile));
}

TEST_F(CleanupFolder, PassesOverExcludedNamesEmptyFilesFoldersAndLinks)
{
    write("APP.SYS.BAK", "\n");
    write("run.exe", "\n");
    write(".hidden", "\n");
    write("EMPTY.NC", "");
    write("SUB/INNER.NC", "\n");
    write("REAL.NC", "\n");
    fs::create_symlink(path("REAL.NC"), path("LINK.NC"));
    write(kCleanupWorkFile, "left behind by a run cut short");

    EXPECT_EQ(cleanupCandidates(CleanupTool::Eob, folder()),
              std::vector<std::string>{path("REAL.NC")});
    const CleanupRun result = run(CleanupTool::Eob);
    ASSERT_TRUE(result.completed);
    EXPECT_EQ(read("APP.SYS.BAK"), "\n");
    EXPECT_EQ(read("run.exe"), "\n");
    EXPECT_EQ(read("SUB/INNER.NC"), "\n");
    EXPECT_EQ(read("REAL.NC"), "\r\n");
    EXPECT_TRUE(fs::is_symlink(path("LINK.NC")));
    // A completed run takes away the work file an earlier one left.
    EXPECT_FALSE(exists(kCleanupWorkFile));
    // The Mazak tool takes the ".SYS" name, and still no folder.
    const auto mazak = cleanupCandidates(CleanupTool::MazakWorkNumber, folder());
    EXPECT_EQ(std::count(mazak.begin(), mazak.end(), path("APP.SYS.BAK")), 1);
    EXPECT_EQ(std::count(mazak.begin(), mazak.end(), path("SUB")), 0);
}

TEST_F(CleanupFolder, BlankLineOkumaAndCommentRunOverTheirFolder)
{
    write("TAB.NC", "\tG0\r\n");
    write("BLANK.NC", "\r\n\r\n  %\r\nO1\r\n");
    EXPECT_EQ(run(CleanupTool::BlankLine).changes.size(), 1u);
    EXPECT_EQ(read("TAB.NC"), "\tG0\r\n");
    EXPECT_EQ(read("BLANK.NC"), "%\r\nO1\r\n");

    fs::remove(path("TAB.NC"));
    fs::remove(path("BLANK.NC"));
    write("O1000.NC", "%\r\n$O999.MIN%\r\nN1 G0\tX1.\r\n%\r\n");
    EXPECT_EQ(run(CleanupTool::Okuma).changes.size(), 1u);
    EXPECT_EQ(read("O1000.NC"), "$O1000.MIN%\r\nN1 G0X1.\r\n");

    fs::remove(path("O1000.NC"));
    write("PART1.NC", "%\r\nO0001(OLD)\r\nG0\r\n");
    EXPECT_EQ(run(CleanupTool::Comment).changes.size(), 1u);
    EXPECT_EQ(read("PART1.NC"), "%\r\nO0001(PART1)\r\nG0\r\n");
    // Run again: nothing left to change.
    EXPECT_TRUE(run(CleanupTool::Comment).changes.empty());
}

// The run's outcome in a child that has given up root for "nobody": root reads every file,
// and the tests run as root in CI. The folder and its files must be open to that user.
// Nothing when the child could not be made or could not drop its privileges.
std::optional<std::pair<bool, std::string>> runAsNobody(CleanupTool tool,
                                                        const std::string& folder)
{
    const passwd* const nobody = ::getpwnam("nobody");
    if (!nobody)
        return std::nullopt;
    const group* const nogroup = ::getgrnam("nogroup");
    const gid_t gid = nogroup ? nogroup->gr_gid : nobody->pw_gid;
    const uid_t uid = nobody->pw_uid;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(2);
        const CleanupRun result = runCleanup(tool, folder);
        const std::string report = (result.completed ? "1" : "0") + result.error;
        const bool sent =
            ::write(pipeEnds[1], report.data(), report.size()) == ssize_t(report.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || report.empty())
        return std::nullopt;
    return std::pair{report.front() == '1', report.substr(1)};
}

TEST_F(CleanupFolder, AFileThatCannotBeReadStopsTheRunAndLeavesTheRestAlone)
{
    write("A.NC", "\n");
    write("B.NC", "\n");
    write("C.NC", "\n");
    ::chmod(path("B.NC").c_str(), 0);
    CleanupRun result;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(m_dir.base().c_str(), 0755), 0);
        ASSERT_EQ(::chmod(folder().c_str(), 0777), 0);
        for (const char* name : {"A.NC", "C.NC"})
            ASSERT_EQ(::chmod(path(name).c_str(), 0666), 0);
        const auto outcome = runAsNobody(CleanupTool::Eob, folder());
        ASSERT_TRUE(outcome) << "could not run the clean-up as nobody";
        result.completed = outcome->first;
        result.error = outcome->second;
    } else {
        result = run(CleanupTool::Eob);
    }
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.error, "Access to \"" + path("B.NC") + "\" was denied.");
    EXPECT_EQ(read("A.NC"), "\r\n");
    EXPECT_EQ(read("C.NC"), "\n");
}

TEST_F(CleanupFolder, AWorkFileThatCannotBeMadeStopsTheRunWithTheOriginalIntact)
{
    write("A.NC", "X\n");
    // A link where the work file goes is never written through.
    write("elsewhere", "precious");
    fs::create_symlink(path("elsewhere"), path(kCleanupWorkFile));
    const CleanupRun result = run(CleanupTool::Eob);
    EXPECT_FALSE(result.completed);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(read("A.NC"), "X\n");
    EXPECT_EQ(read("elsewhere"), "precious");
}

TEST_F(CleanupFolder, ReverseCommentRenamesButNeverOverwritesOrLeavesTheFolder)
{
    write("O1.NC", "%\r\nO0001(BRACKET-A)\r\n");
    write("O2.NC", "%\r\nO0002(TAKEN)\r\n");
    write("TAKEN", "another program");
    write("O3.NC", "%\r\nO0003(../../x)\r\n");
    write("O4.NC", "%\r\nO0004(A/B)\r\n");
    write("O5.NC", "%\r\nG0\r\n");

    const CleanupRun result = run(CleanupTool::ReverseComment);
    ASSERT_TRUE(result.completed);
    ASSERT_EQ(result.changes.size(), 1u);
    EXPECT_EQ(result.changes[0].path, path("O1.NC"));
    EXPECT_EQ(result.changes[0].newPath, path("BRACKET-A"));
    EXPECT_EQ(read("BRACKET-A"), "%\r\nO0001(BRACKET-A)\r\n");
    EXPECT_FALSE(exists("O1.NC"));
    // The existing file stays itself; so do the hostile names' files.
    EXPECT_EQ(read("TAKEN"), "another program");
    EXPECT_TRUE(exists("O2.NC"));
    EXPECT_TRUE(exists("O3.NC"));
    EXPECT_TRUE(exists("O4.NC"));
    EXPECT_TRUE(exists("O5.NC"));
    EXPECT_FALSE(fs::exists(m_dir.base() + "/x"));
    EXPECT_EQ(result.passedOver.size(), 3u);
}

// A second look at the no-overwrite rule, from the other side: names that are taken in
// ways a plain existence check can miss, and the backups of earlier runs.
TEST_F(CleanupFolder, RenamesNeverReplaceWhatIsThere)
{
    // A link that points nowhere still holds its name.
    write("O1.NC", "%\r\nO0001(LINKED)\r\n");
    fs::create_symlink(path("nowhere"), path("LINKED"));
    // A folder of the name, with a file in it.
    write("O2.NC", "%\r\nO0002(SUB)\r\n");
    write("SUB/KEEP", "kept");

    const CleanupRun renamed = run(CleanupTool::ReverseComment);
    EXPECT_TRUE(renamed.changes.empty());
    EXPECT_EQ(renamed.passedOver.size(), 2u);
    EXPECT_EQ(read("O1.NC"), "%\r\nO0001(LINKED)\r\n");
    EXPECT_TRUE(fs::is_symlink(path("LINKED")));
    EXPECT_EQ(read("O2.NC"), "%\r\nO0002(SUB)\r\n");
    EXPECT_EQ(read("SUB/KEEP"), "kept");

    // Backups of the same number from earlier runs stay; the next free one is taken.
    fs::remove(path("O1.NC"));
    fs::remove(path("O2.NC"));
    write("1234", "%\r\nO1234(FIRST)\r\n");
    write("BAK/1234.1", "backup one");
    write("BAK/1234.2", "backup two");
    write("NEW.NC", "%\r\nO1234(THIRD)\r\n");
    const CleanupRun moved = run(CleanupTool::MazakWorkNumber);
    ASSERT_TRUE(moved.completed);
    ASSERT_EQ(moved.changes.size(), 1u);
    EXPECT_EQ(moved.changes[0].newPath, path("BAK/1234.3"));
    EXPECT_EQ(read("BAK/1234.3"), "%\r\nO1234(THIRD)\r\n");
    EXPECT_EQ(read("1234"), "%\r\nO1234(FIRST)\r\n");
    EXPECT_EQ(read("BAK/1234.1"), "backup one");
    EXPECT_EQ(read("BAK/1234.2"), "backup two");
}

TEST_F(CleanupFolder, MazakMovesASecondFileOfTheSameNumberIntoBak)
{
    write("A.NC", "%\r\nO1234(FIRST)\r\n");
    write("B.NC", "%\r\nO1234(SECOND)\r\n");
    write("C.NC", "(NO DIGITS)\r\n");
    write("5678", "O5678\r\n");
    fs::create_directories(path("BAK"));

    const CleanupRun result = run(CleanupTool::MazakWorkNumber);
    ASSERT_TRUE(result.completed);
    EXPECT_EQ(read("1234"), "%\r\nO1234(FIRST)\r\n");
    EXPECT_EQ(read("BAK/1234.1"), "%\r\nO1234(SECOND)\r\n");
    EXPECT_TRUE(exists("C.NC"));
    // Already named by its number: it stays and is not moved into BAK.
    EXPECT_EQ(read("5678"), "O5678\r\n");
    EXPECT_FALSE(exists("BAK/5678.1"));
    ASSERT_EQ(result.changes.size(), 2u);

    // Without the BAK folder the second rename fails and the file keeps its name.
    fs::remove_all(path("BAK"));
    write("D.NC", "O1234\r\n");
    const CleanupRun again = run(CleanupTool::MazakWorkNumber);
    EXPECT_TRUE(exists("D.NC"));
    EXPECT_EQ(read("1234"), "%\r\nO1234(FIRST)\r\n");
    EXPECT_EQ(again.passedOver.size(), 1u);
}

TEST_F(CleanupFolder, AnEmptyFolderHasNoEntries)
{
    EXPECT_FALSE(folderHasEntries(folder()));
    write("A.NC", "");
    EXPECT_TRUE(folderHasEntries(folder()));
    EXPECT_TRUE(cleanupCandidates(CleanupTool::Eob, folder()).empty());
}

}  // namespace
}  // namespace quillon
