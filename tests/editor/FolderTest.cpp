#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "editor/FolderCheck.h"
#include "editor/FolderListing.h"
#include "platform/FileAttributes.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using Verdict = FolderCheck::Verdict;

class FolderTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir.base() + "/" + name; }
    void makeFolder(const std::string& name) const { ASSERT_TRUE(makePath(path(name))); }
    void makeFile(const std::string& name) const { test::writeBytes(path(name), "%\n"); }

    test::TempWorkDir dir;
};

TEST_F(FolderTest, ListsFoldersThenFilesIgnoringCaseAndHidingDotNames)
{
    for (const char* folder : {"beta", "Alpha", ".git", "gamma/.cache"})
        makeFolder(folder);
    for (const char* file : {"zeta.nc", "B.NC", "a.nc", "b.nc", ".directory"})
        makeFile(file);
    std::filesystem::create_symlink(path("beta"), path("link-to-beta"));

    const FolderEntries all = listFolder(dir.base(), true);
    EXPECT_EQ(all.folders,
              (std::vector<std::string>{"_QuillonLT", "Alpha", "beta", "gamma", "link-to-beta"}));
    EXPECT_EQ(all.files, (std::vector<std::string>{"a.nc", "B.NC", "b.nc", "zeta.nc"}));

    const FolderEntries foldersOnly = listFolder(dir.base(), false);
    EXPECT_EQ(foldersOnly.folders, all.folders);
    EXPECT_TRUE(foldersOnly.files.empty());
    EXPECT_TRUE(listFolder(path("missing"), true).folders.empty());
}

TEST_F(FolderTest, UnreadableFolderListsNothing)
{
    makeFolder("locked/sub");
    ASSERT_EQ(::chmod(path("locked").c_str(), 0), 0);
    // Root reads every folder: the listing then runs in a child as an ordinary user.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        const bool empty =
            !hasChildren(path("locked"), true) && listFolder(path("locked"), true).folders.empty();
        ::_exit(empty ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod(path("locked").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(FolderListing, FindsThePathBelowTheLongestRoot)
{
    const std::vector<std::string> roots{"/", "/home/op"};
    using Names = std::vector<std::string>;
    struct Case {
        const char* scenario;
        const char* path;
        std::optional<std::size_t> root;
        Names names;
    };
    const Case cases[] = {
        {"under home", "/home/op/nc/O1.NC", 1, {"nc", "O1.NC"}},
        {"home itself", "/home/op", 1, {}},
        {"backslashes and trailing separator", "\\home\\op\\nc\\", 1, {"nc"}},
        {"doubled separators", "/home//op/nc", 1, {"nc"}},
        {"name that only starts like home", "/home/opx/a", 0, {"home", "opx", "a"}},
        {"case differs from home", "/home/OP/nc", 0, {"home", "OP", "nc"}},
        {"the root", "/", 0, {}},
        {"relative path", "nc/O1.NC", std::nullopt, {}},
    };
    for (const auto& c : cases) {
        const auto found = locateUnderRoots(roots, c.path);
        ASSERT_EQ(found.has_value(), c.root.has_value()) << c.scenario;
        if (!found)
            continue;
        EXPECT_EQ(found->root, *c.root) << c.scenario;
        EXPECT_EQ(found->names, c.names) << c.scenario;
    }
    EXPECT_FALSE(locateUnderRoots({"/home/op"}, "/etc/fstab"));
}

TEST_F(FolderTest, SelectChecksTheTypedFolderInOrder)
{
    makeFolder("jobs");
    makeFile("O1234.NC");
    const std::string jobs = path("jobs");
    const std::string file = path("O1234.NC");
    struct Case {
        std::string scenario;
        std::string typed;
        Verdict verdict;
        std::string result;  // the path accepted or asked about, or the message
    };
    const std::string notValid = "\nThis is not a valid folder.";
    const std::string askCreate = "\nThis folder does not exist.\n\nDo you want to create it?";
    const Case cases[] = {
        {"two backslashes", "\\\\", Verdict::Message, "\\\\" + notValid},
        {"two slashes", "//", Verdict::Message, "//" + notValid},
        {"empty", "", Verdict::Accept, ""},
        {"single backslash", "\\", Verdict::Accept, "\\"},
        {"single slash", "/", Verdict::Accept, "/"},
        {"drive", "C:", Verdict::Message, "C:\nThe drive is invalid."},
        {"drive root", "C:\\", Verdict::Message, "C:\\\nThe drive is invalid."},
        {"folder", jobs, Verdict::Accept, jobs},
        {"folder with trailing separator", jobs + "/", Verdict::Accept, jobs},
        {"folder with backslashes", dir.base() + "\\jobs\\", Verdict::Accept, jobs},
        {"folder relative to the shown one", "jobs", Verdict::Accept, jobs},
        {"file", file, Verdict::Message, file + "\nThis is a file not a directory."},
        {"missing on a drive", "D:\\NEW\\SUB", Verdict::Message,
         "D:\\NEW\\SUB\nThe drive is invalid."},
        {"bare server, slashes", "//server", Verdict::Message, "//server" + notValid},
        {"bare server, backslashes", "\\\\server\\", Verdict::Message, "\\\\server" + notValid},
        {"missing nested folder", path("new/sub/"), Verdict::AskToCreate, path("new/sub")},
    };
    for (const auto& c : cases) {
        const FolderCheck check = checkFolder(c.typed, dir.base());
        EXPECT_EQ(check.verdict, c.verdict) << c.scenario;
        EXPECT_EQ(c.verdict == Verdict::Message ? check.text : check.path, c.result) << c.scenario;
    }
    EXPECT_EQ(checkFolder(path("new/sub/"), dir.base()).text, path("new/sub") + askCreate);
}

TEST_F(FolderTest, YesCreatesEveryLevelAndNoCreatesNothing)
{
    ScriptedNotifier notifier;
    const auto neverAsked = [](const std::string&) -> StorageKind {
        ADD_FAILURE() << "storage looked up";
        return StorageKind::Other;
    };
    const std::string wanted = path("NEW/SUB");

    notifier.script({NoticeAnswer::No});
    EXPECT_FALSE(confirmFolder("NEW\\SUB", dir.base(), notifier, neverAsked));
    EXPECT_FALSE(fileExists(path("NEW")));

    notifier.script({NoticeAnswer::Yes});
    EXPECT_EQ(confirmFolder("NEW\\SUB", dir.base(), notifier, neverAsked), wanted);
    EXPECT_TRUE(isDirectory(wanted));
    ASSERT_EQ(notifier.shown().size(), 2u);
    EXPECT_EQ(notifier.shown()[1].text,
              "NEW\\SUB\nThis folder does not exist.\n\nDo you want to create it?");
    EXPECT_EQ(notifier.shown()[1].buttons, NoticeButtons::YesNo);
}

TEST_F(FolderTest, FailedCreationIsExplainedByTheStorageKind)
{
    makeFile("O1234.NC");  // a folder below a file cannot be made, not even by root
    const struct {
        StorageKind kind;
        const char* text;
    } cases[] = {
        {StorageKind::Removable,
         "You cannot create this folder.\nThe medium may be write-protected."},
        {StorageKind::Network,
         "You do not have permission to create\nthis folder on the network."},
        {StorageKind::CdRom, "You cannot create this folder\nas the CD ROM medium is read-only."},
        {StorageKind::Other, "You do not have permission\nto create this folder."},
    };
    for (const auto& c : cases) {
        ScriptedNotifier notifier;
        notifier.script({NoticeAnswer::Yes});
        std::string lookedUp;
        const auto storage = [&](const std::string& folder) {
            lookedUp = folder;
            return c.kind;
        };
        EXPECT_FALSE(confirmFolder(path("O1234.NC/sub/deeper"), "", notifier, storage));
        EXPECT_EQ(lookedUp, path("O1234.NC"));
        ASSERT_EQ(notifier.shown().size(), 2u);
        EXPECT_EQ(notifier.shown()[1].text, c.text);
    }
    EXPECT_EQ(nearestExistingFolder("relative/missing"), "");
}

TEST(FolderCheck, ClassifiesStorageByFileSystemAndMount)
{
    struct Case {
        const char* scenario;
        const char* type;
        const char* mount;
        bool readOnly;
        StorageKind kind;
    };
    const Case cases[] = {
        {"NFS share", "nfs4", "/mnt/programs", false, StorageKind::Network},
        {"Windows share", "cifs", "/srv/shop", false, StorageKind::Network},
        {"SSH mount", "fuse.sshfs", "/home/op/cnc", false, StorageKind::Network},
        {"CD", "iso9660", "/media/op/CDROM", true, StorageKind::CdRom},
        {"DVD", "udf", "/mnt/dvd", true, StorageKind::CdRom},
        {"stick in /media", "vfat", "/media/op/STICK", false, StorageKind::Removable},
        {"card in /run/media", "exfat", "/run/media/op/CARD", false, StorageKind::Removable},
        {"write-protected card elsewhere", "vfat", "/mnt/card", true, StorageKind::Removable},
        {"EFI partition", "vfat", "/boot/efi", false, StorageKind::Other},
        {"folder merely named like media", "vfat", "/mediafiles", false, StorageKind::Other},
        {"read-only disk in /media", "ext4", "/media/op/disk", true, StorageKind::Other},
        {"system disk", "ext4", "/", false, StorageKind::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classifyStorage(c.type, c.mount, c.readOnly), c.kind) << c.scenario;
}

}  // namespace
}  // namespace quillon
