#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

int entriesIn(const std::string& folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(ReplaceFileAtomically, CreatesAndReplacesWholeFiles)
{
    test::TempWorkDir dir;
    const std::string path = dir.path("PROG.NC");
    ASSERT_TRUE(replaceFileAtomically(path, "first\r\n").ok);
    EXPECT_EQ(dir.read("PROG.NC"), "first\r\n");
    ASSERT_TRUE(replaceFileAtomically(path, "2").ok);
    EXPECT_EQ(dir.read("PROG.NC"), "2");
}

TEST(ReplaceFileAtomically, KeepsThePermissionsOfTheFileItReplaces)
{
    test::TempWorkDir dir;
    const std::string path = dir.path("PROG.NC");
    dir.write("PROG.NC", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(replaceFileAtomically(path, "new").ok);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(ReplaceFileAtomically, ALinkIsFollowedAndStaysALink)
{
    test::TempWorkDir dir;
    dir.write("REAL.NC", "old");
    std::filesystem::create_symlink(dir.path("REAL.NC"), dir.path("LINK.NC"));
    ASSERT_TRUE(replaceFileAtomically(dir.path("LINK.NC"), "new").ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("LINK.NC")));
    EXPECT_EQ(dir.read("REAL.NC"), "new");
}

TEST(ReplaceFileAtomically, FailureLeavesTheTargetAndNoWorkFile)
{
    test::TempWorkDir dir;
    // A folder where the file should go: the final rename must fail.
    std::filesystem::create_directory(dir.path("TARGET"));
    const int before = entriesIn(dir.workDir().root());
    const auto result = replaceFileAtomically(dir.path("TARGET"), "data");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.path("TARGET")));
    EXPECT_EQ(entriesIn(dir.workDir().root()), before);
}

TEST(ReplaceFileAtomically, MissingFolderIsReported)
{
    test::TempWorkDir dir;
    const auto result = replaceFileAtomically(dir.path("no/such/folder/F.NC"), "x");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
}

TEST(AppendToFile, CreatesThenAppends)
{
    test::TempWorkDir dir;
    ASSERT_TRUE(appendToFile(dir.path("LOG"), "a\r\n").ok);
    ASSERT_TRUE(appendToFile(dir.path("LOG"), "b\r\n").ok);
    EXPECT_EQ(dir.read("LOG"), "a\r\nb\r\n");
}

}  // namespace
}  // namespace quillon
