// The directory log of a program folder: which files it lists, in which order, which of
// their lines, and what happens when there is nothing to list or nowhere to write.
#include "monitoring/DirectoryLog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

class DirectoryLogTest : public ::testing::Test {
protected:
    DirectoryLogTest() : folder(dir.path("MILL1")) { fs::create_directories(folder); }
    void put(const std::string& name, std::string_view bytes)
    {
        test::writeBytes(folder + "/" + name, bytes);
    }
    std::string log() const { return dir.read("MILL1/_DirLog.sys"); }

    test::TempWorkDir dir;
    std::string folder;
};

TEST_F(DirectoryLogTest, ListsEachProgramWithItsNumberTitleAndComments)
{
    put("O1000.NC",
        "%\r\nO1000 (BRACKET)\r\n(T1 DRILL 6.8)\r\n(T2 TAP M8)\r\nG90 G54\r\n"
        "(NOT A HEADER)\r\n");
    // No "%" on the first line: it is written; LF alone ends lines too.
    put("b2.nc", "O2000(SHAFT)\n(LATHE)\n(OP 10)\nM30\n");
    // Eight comment lines: six are taken.
    put("a3.NC", "%\nO3000\n(1)\n(2)\n(3)\n(4)\n(5)\n(6)\n(7)\n(8)\n");
    // A one-line file has no second line to write.
    put("C4.TXT", "JUST ONE LINE");
    // Not listed: hidden and underscore names, empty files, sub-folders.
    put(".hidden", "%\nO9\n");
    put("_TEMP.NC", "%\nO8\n");
    put("EMPTY.NC", "");
    fs::create_directories(folder + "/SUB");
    put("SUB/O5000.NC", "%\nO5000\n");

    const DirectoryLogResult result = writeDirectoryLog(folder);
    ASSERT_EQ(result.outcome, DirectoryLogResult::Outcome::Written) << result.error;
    EXPECT_EQ(result.path, folder + "/_DirLog.sys");
    const std::string expected =
        "a3.NC\r\nO3000\r\n(1)\r\n(2)\r\n(3)\r\n(4)\r\n(5)\r\n(6)\r\n\r\n"
        "b2.nc\r\nO2000(SHAFT)\r\n(LATHE)\r\n(OP 10)\r\n\r\n"
        "C4.TXT\r\nJUST ONE LINE\r\n\r\n"
        "O1000.NC\r\nO1000 (BRACKET)\r\n(T1 DRILL 6.8)\r\n(T2 TAP M8)\r\n\r\n";
    EXPECT_EQ(log(), expected);

    // Made again, the log does not list itself, and an old log is replaced whole.
    ASSERT_EQ(writeDirectoryLog(folder + "/").outcome, DirectoryLogResult::Outcome::Written);
    EXPECT_EQ(log(), expected);
}

TEST_F(DirectoryLogTest, OnlyTheHeadOfAHugeFileIsRead)
{
    // Ten megabytes without a line end: the name and the first line, cut to a line's
    // length, and nothing else.
    put("TAPE.NC", std::string(10 * 1024 * 1024, 'X'));
    ASSERT_EQ(writeDirectoryLog(folder).outcome, DirectoryLogResult::Outcome::Written);
    const std::string text = log();
    EXPECT_LT(text.size(), 1024u);
    EXPECT_EQ(text.substr(0, 9), "TAPE.NC\r\n");
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST_F(DirectoryLogTest, NothingToListMakesNoLogAndKeepsAnOldOne)
{
    put("_DirLog.sys", "OLD LOG\r\n");
    put("EMPTY.NC", "");
    fs::create_directories(folder + "/SUB");
    const DirectoryLogResult result = writeDirectoryLog(folder);
    EXPECT_EQ(result.outcome, DirectoryLogResult::Outcome::NothingToLog);
    EXPECT_EQ(log(), "OLD LOG\r\n");
}

TEST_F(DirectoryLogTest, AFolderThatCannotBeReadOrALogThatCannotBeWrittenIsSaid)
{
    const DirectoryLogResult missing = writeDirectoryLog(dir.path("NO-SUCH-FOLDER"));
    EXPECT_EQ(missing.outcome, DirectoryLogResult::Outcome::Failed);
    EXPECT_NE(missing.error.find("NO-SUCH-FOLDER"), std::string::npos) << missing.error;

    // A folder in the log's place: the log cannot replace it.
    put("O1000.NC", "%\nO1000\n");
    fs::create_directories(folder + "/_DirLog.sys/x");
    const DirectoryLogResult blocked = writeDirectoryLog(folder);
    EXPECT_EQ(blocked.outcome, DirectoryLogResult::Outcome::Failed);
    EXPECT_NE(blocked.error.find("could not be written"), std::string::npos) << blocked.error;
    EXPECT_TRUE(fs::is_directory(folder + "/_DirLog.sys"));
}

}  // namespace
}  // namespace quillon
