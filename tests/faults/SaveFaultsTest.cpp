// Saving a program where the disk is full or the folder may not be written: the file on
// disk stays byte for byte, no work file is left, the user is told why and the editor keeps
// the edits. The command line's in-place utilities save the same way.
#include <gtest/gtest.h>

#include "cli/CliTestSupport.h"
#include "editor/CLiDoc.h"
#include "faults/FaultTestSupport.h"
#include "platform/Notifier.h"

namespace quillon {
namespace {

using test::FolderFault;

class SaveFaults : public test::FolderFaultTest {
protected:
    void SetUp() override
    {
        FolderFaultTest::SetUp();
        folder.write("O1000.NC", original);
    }

    // Far more than the room a full volume has left.
    const std::string original = test::ncProgram(2000);
};

TEST_P(SaveFaults, TheFileStaysTheEditsStayAndTheCauseIsShown)
{
    const auto before = folder.contents();
    struct Case {
        const char* scenario;
        std::string target;
    };
    const Case cases[] = {
        {"saving over the program", folder.file("O1000.NC")},
        {"saving as a new program", folder.file("O2000.NC")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        const std::string outcome = folder.run([&] {
            CLiDoc doc;
            ScriptedNotifier notifier;
            if (!doc.open(folder.file("O1000.NC"), notifier))
                return std::string("<not opened>");
            for (std::size_t line = 0; line + 1 < doc.lineCount(); ++line)
                doc.InsertText(line, 0, "(EDITED) ");
            const bool saved = doc.save(c.target, notifier);
            return std::string(saved ? "saved" : "refused") +
                   (doc.isModified() ? " modified" : " clean") +
                   (doc.pathName() == folder.file("O1000.NC") ? " same-path|" : " moved|") +
                   (notifier.texts().empty() ? "" : notifier.texts().back());
        });
        EXPECT_TRUE(outcome.starts_with("refused modified same-path|")) << outcome;
        EXPECT_NE(outcome.find(test::reasonShown(GetParam())), std::string::npos) << outcome;
        EXPECT_NE(outcome.find(c.target), std::string::npos) << outcome;
        EXPECT_EQ(test::changes(before, folder.contents()), "");
    }
}

TEST_P(SaveFaults, AnInPlaceUtilityLeavesTheFileAndFails)
{
    const auto before = folder.contents();
    for (const char* command : {"renumber", "remove-numbers"}) {
        SCOPED_TRACE(command);
        const std::string outcome = folder.run([&] {
            const test::CliRun run =
                test::runCli({command, "--in-place", folder.file("O1000.NC")});
            return std::to_string(run.code) + "|" + run.err;
        });
        EXPECT_TRUE(outcome.starts_with("1|")) << outcome;
        EXPECT_NE(outcome.find(test::reasonShown(GetParam())), std::string::npos) << outcome;
        EXPECT_EQ(test::changes(before, folder.contents()), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, SaveFaults, ::testing::ValuesIn(test::kAllFolderFaults),
                         test::folderFaultName);

}  // namespace
}  // namespace quillon
