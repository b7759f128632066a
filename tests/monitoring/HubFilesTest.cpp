// Finding the hub's files on a share that spells their names in its own case.
#include "monitoring/HubFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempWorkDir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

struct HubFolder {
    test::TempWorkDir dir;
    std::string root = dir.base() + "/hub/";

    HubFolder() { fs::create_directories(root); }
    void put(const std::string& relative, std::string_view bytes) const
    {
        fs::create_directories(fs::path(root + relative).parent_path());
        test::writeBytes(root + relative, bytes);
    }
};

TEST(HubFiles, MatchesEveryComponentWithoutRegardToCase)
{
    HubFolder hub;
    hub.put("_setup/cairnconf.SYS", "NM:A\n");
    const struct {
        const char* scenario;
        const char* name;
    } cases[] = {
        {"Windows spelling", "_SETUP\\CairnConf.sys"},
        {"forward slashes", "_SETUP/CAIRNCONF.SYS"},
        {"doubled separators", "_Setup\\\\cairnconf.sys"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findHubFile(hub.root, c.name), hub.root + "_setup/cairnconf.SYS") << c.scenario;
        EXPECT_EQ(readHubFile(hub.root, c.name), "NM:A\n") << c.scenario;
    }
}

TEST(HubFiles, ExactSpellingWinsThenNameOrder)
{
    HubFolder hub;
    hub.put("_SETUP/monsetup.sys", "lower");
    hub.put("_SETUP/MonSetup.sys", "exact");
    hub.put("_SETUP/MONSETUP.SYS", "upper");
    EXPECT_EQ(readHubFile(hub.root, "_SETUP\\MonSetup.sys"), "exact");
    EXPECT_EQ(readHubFile(hub.root, "_SETUP\\Monsetup.sys"), "upper");
}

TEST(HubFiles, NothingWhenMissingOrOutsideTheHub)
{
    HubFolder hub;
    hub.put("_SETUP/CairnConf.sys", "x");
    hub.put("_TMP/x", "x");
    test::writeBytes(hub.dir.base() + "/secret", "s");
    const struct {
        const char* scenario;
        std::string directory;
        const char* name;
    } cases[] = {
        {"missing file", hub.root, "_SETUP\\MonSetup.sys"},
        {"missing folder", hub.root, "_REPORTS\\a.sys"},
        {"a folder is no file", hub.root, "_SETUP"},
        {"a file is no folder", hub.root, "_SETUP\\CairnConf.sys\\x"},
        {"parent folder", hub.root, "..\\secret"},
        {"parent folder inside", hub.root, "_TMP/../../secret"},
        {"no hub configured", "", "_SETUP\\CairnConf.sys"},
        {"hub directory gone", hub.root + "gone/", "_SETUP\\CairnConf.sys"},
        {"empty name", hub.root, ""},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(findHubFile(c.directory, c.name)) << c.scenario;
}

TEST(HubFiles, AFileToWriteKeepsItsNameInTheExistingFolder)
{
    HubFolder hub;
    fs::create_directories(hub.root + "_tmp");
    EXPECT_EQ(hubFileForWriting(hub.root, "_TMP\\REMOTELOAD.SYS"),
              hub.root + "_tmp/REMOTELOAD.SYS");
    hub.put("_tmp/remoteload.sys", "old");
    EXPECT_EQ(hubFileForWriting(hub.root, "_TMP\\REMOTELOAD.SYS"),
              hub.root + "_tmp/remoteload.sys");
    EXPECT_FALSE(hubFileForWriting(hub.root, "_NOWHERE\\REMOTELOAD.SYS"));
}

}  // namespace
}  // namespace quillon
