// Saving a program where the disk is full or the folder may not be written: the file on
// disk stays byte for byte, no work file is left, the user is told why and the editor keeps
// the edits. The command line's in-place utilities save the same way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

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

// Runs quillonlt-cli with its standard output going into the file, as a shell's redirection
// does: the exit code and what the program wrote to standard error.
std::string runCliInto(const std::vector<std::string>& arguments, const std::string& output)
{
    int errors[2];
    if (::pipe(errors) != 0)
        return "<no pipe>";
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0666);
    ::posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    ::posix_spawn_file_actions_addclose(&actions, errors[0]);
    std::vector<std::string> words{QUILLONLT_CLI_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        ::posix_spawn(&child, QUILLONLT_CLI_BINARY, &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(errors[1]);
    std::string said;
    char buffer[512];
    for (ssize_t got; (got = ::read(errors[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(got));
    ::close(errors[0]);
    if (spawned != 0)
        return "<not started>";
    int status = 0;
    ::waitpid(child, &status, 0);
    return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + "|" + said;
}

// A utility whose result goes to standard output, redirected onto the full disk: the command
// fails and says why, though only the shell's file holds a part.
class RedirectedOutputFaults : public test::FolderFaultTest {};

TEST_P(RedirectedOutputFaults, AFullDiskBehindStandardOutputFailsTheCommand)
{
    const std::string program = test::ncProgram(2000);
    folder.write("O1000.NC", program);
    for (const char* command : {"renumber", "remove-numbers"}) {
        SCOPED_TRACE(command);
        const std::string outcome = folder.run([&] {
            return runCliInto({command, folder.file("O1000.NC")}, folder.file("OUT.NC"));
        });
        EXPECT_EQ(outcome,
                  "1|quillonlt-cli: standard output: " + test::reasonText(GetParam()) + "\n");
        EXPECT_EQ(folder.contents()["O1000.NC"], program);
        // The shell's file goes, or the next command would find its room on truncating it.
        ::unlink(folder.file("OUT.NC").c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, RedirectedOutputFaults,
                         ::testing::Values(FolderFault::FullTmpfs, FolderFault::FileSizeLimit),
                         test::folderFaultName);

}  // namespace
}  // namespace quillon
