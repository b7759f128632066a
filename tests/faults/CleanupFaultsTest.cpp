// The batch clean-up tools where the disk is full or the folder may not be written: every
// program stays byte for byte under its own name, no work file is left, and the command
// fails with the cause instead of listing files as done.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "faults/FaultTestSupport.h"
#include "utilities/FileCleanup.h"

namespace quillon {
namespace {

using test::FolderFault;

class CleanupFaults : public test::FolderFaultTest {
protected:
    void SetUp() override
    {
        FolderFaultTest::SetUp();
        // Each program needs every tool's change and is far bigger than a full disk's room.
        for (const char* name : {"ALPHA", "BETA"}) {
            std::string lfOnly = "\n\n(" + std::string(name) + ")\n" + test::ncProgram(2000);
            std::erase(lfOnly, '\r');
            folder.write(std::string(name).substr(0, 1) + ".NC", lfOnly);
        }
    }

    // quillonlt-cli cleanup TOOL FOLDER in the child: the exit code, then the error text.
    std::string cleanup(const char* tool)
    {
        return folder.run([&] {
            const test::CliRun run = test::runCli({"cleanup", tool, folder.path()});
            return std::to_string(run.code) + "|" + run.out + "|" + run.err;
        });
    }
};

TEST_P(CleanupFaults, ARewritingToolStopsWithTheCauseAndRewritesNothing)
{
    const auto before = folder.contents();
    for (const char* tool : {"eob", "blank", "okuma", "comment"}) {
        SCOPED_TRACE(tool);
        const std::string outcome = cleanup(tool);
        EXPECT_TRUE(outcome.starts_with("1||")) << outcome;
        EXPECT_NE(outcome.find(test::reasonShown(GetParam())), std::string::npos) << outcome;
        EXPECT_NE(outcome.find(folder.file("A.NC")), std::string::npos) << outcome;
        EXPECT_EQ(test::changes(before, folder.contents()), "");
    }
}

TEST_P(CleanupFaults, ARenamingToolRenamesOnlyWhereTheFolderLetsIt)
{
    const auto before = folder.contents();
    if (test::isFullVolume(GetParam())) {
        // A rename takes no room: a full disk does not stop it.
        const std::string outcome = cleanup("reverse-comment");
        EXPECT_EQ(outcome, "0|" + folder.file("A.NC") + " -> " + folder.file("ALPHA") + "\n" +
                               folder.file("B.NC") + " -> " + folder.file("BETA") + "\n|");
        return;
    }
    for (const char* tool : {"reverse-comment", "mazak"}) {
        SCOPED_TRACE(tool);
        const std::string outcome = cleanup(tool);
        EXPECT_TRUE(outcome.starts_with("1||")) << outcome;
        for (const char* name : {"A.NC", "B.NC"}) {
            EXPECT_NE(outcome.find(folder.file(name) + ": not renamed"), std::string::npos)
                << outcome;
        }
        EXPECT_NE(outcome.find(test::reasonText(GetParam())), std::string::npos) << outcome;
        EXPECT_EQ(test::changes(before, folder.contents()), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, CleanupFaults, ::testing::ValuesIn(test::kAllFolderFaults),
                         test::folderFaultName);

}  // namespace
}  // namespace quillon
