#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/FileAttributes.h"
#include "platform/Paths.h"
#include "platform/WorkDir.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(Paths, AcceptBothSeparators)
{
    struct Case {
        const char* path;
        const char* fileName;
        const char* directory;
    };
    const Case cases[] = {
        {"/home/op/O1234.NC", "O1234.NC", "/home/op/"},
        {"C:\\NC\\O1234.NC", "O1234.NC", "C:\\NC\\"},
        {"mixed\\dir/file", "file", "mixed\\dir/"},
        {"plain.nc", "plain.nc", ""},
        {"dir/", "", "dir/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(paths::fileName(c.path), c.fileName) << c.path;
        EXPECT_EQ(paths::directoryOf(c.path), c.directory) << c.path;
    }
    EXPECT_EQ(paths::normalizeSeparators("C:\\NC\\a/b"), "C:/NC/a/b");
    EXPECT_EQ(paths::join("/a/", "b"), "/a/b");
    EXPECT_EQ(paths::join("/a\\", "b"), "/a\\b");
    EXPECT_EQ(paths::join("/a", "b"), "/a/b");
    EXPECT_EQ(paths::withoutTrailingSeparator("/a/b//"), "/a/b");
    EXPECT_EQ(paths::withoutTrailingSeparator("/"), "/");
}

TEST(FileAttributes, ReadOnlyFollowsTheModeBitsEvenForRoot)
{
    test::TempWorkDir dir;
    dir.write("RO.NC", "x");
    const std::string path = dir.path("RO.NC");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    auto attributes = fileAttributes(path);
    ASSERT_TRUE(attributes);
    EXPECT_TRUE(attributes->readOnly);
    EXPECT_FALSE(attributes->isDirectory);
    EXPECT_EQ(attributes->size, 1u);

    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_FALSE(fileAttributes(path)->readOnly);
    EXPECT_TRUE(fileAttributes(dir.workDir().root())->isDirectory);
    EXPECT_FALSE(fileAttributes(dir.path("missing")));
}

TEST(FileAttributes, MakePathCreatesParentsAndRemoveFileReportsMissing)
{
    test::TempWorkDir dir;
    const std::string nested = dir.path("a/b\\c");
    EXPECT_TRUE(makePath(nested));
    EXPECT_TRUE(isDirectory(dir.path("a/b/c")));
    EXPECT_TRUE(makePath(nested));  // already there
    EXPECT_FALSE(removeFile(dir.path("nothing")));
    dir.write("F", "1");
    EXPECT_TRUE(removeFile(dir.path("F")));
    EXPECT_FALSE(fileExists(dir.path("F")));
}

TEST(WorkDir, FromEnvironmentOrTheHomeFolder)
{
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome ? savedHome : "";
    {
        test::TempWorkDir dir;
        EXPECT_EQ(WorkDir::fromEnvironment().root(), dir.workDir().root());
    }
    ::unsetenv("QUILLONLT_HOME");
    ::setenv("HOME", "/home/operator", 1);
    const WorkDir fallback = WorkDir::fromEnvironment();
    EXPECT_EQ(fallback.root(), "/home/operator/_QuillonLT/");
    EXPECT_EQ(fallback.tmp(), "/home/operator/_QuillonLT/_TMP/");
    EXPECT_EQ(fallback.secondSettingsFolder(), "/home/operator/_Pellow/");
    EXPECT_EQ(fallback.rootWithoutSeparator(), "/home/operator/_QuillonLT");
    if (savedHome)
        ::setenv("HOME", home.c_str(), 1);
}

TEST(WorkDir, EnsureTreeCreatesTheFolderAndItsTmp)
{
    test::TempWorkDir dir;
    const WorkDir fresh(dir.base() + "\\deeper\\_QuillonLT");
    EXPECT_EQ(fresh.root(), dir.base() + "/deeper/_QuillonLT/");
    EXPECT_TRUE(fresh.ensureTree());
    EXPECT_TRUE(isDirectory(fresh.tmp()));
    EXPECT_EQ(fresh.tmpFile("MwndPos.txt"), fresh.root() + "_TMP/MwndPos.txt");
}

}  // namespace
}  // namespace quillon
