#include "app/HandOff.h"

#include <gtest/gtest.h>

#include "app/OpenFileQueue.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(CommandFile, EveryStartAppendsItsQuotedCommandLine)
{
    test::TempWorkDir dir;
    appendCommandLine(dir.workDir(),
                      commandLineText({"/usr/bin/quillonlt", "/home/op/O 1234.NC"}));
    appendCommandLine(dir.workDir(), commandLineText({"/usr/bin/quillonlt", "-SHOW_MON_WIN"}));
    EXPECT_EQ(dir.read(kCommandFile),
              "\"/usr/bin/quillonlt\" \"/home/op/O 1234.NC\"\r\n"
              "\"/usr/bin/quillonlt\" \"-SHOW_MON_WIN\"\r\n");
}

TEST(FileArgument, FindsTheFileAndTheTransmitMarker)
{
    struct Case {
        const char* scenario;
        std::vector<std::string> arguments;
        std::optional<std::string> text;
        bool transmit;
    };
    const Case cases[] = {
        {"no argument", {}, std::nullopt, false},
        {"option only", {"-SHOW_TIME_WIN"}, std::nullopt, false},
        {"plain file", {"/nc/O1234.NC"}, "/nc/O1234.NC", false},
        {"option then file", {"-SHOW_MON_WIN", "/nc/A.NC"}, "/nc/A.NC", false},
        {"marker at the start", {"byKestrane_/nc/O1?2.NC"}, "/nc/O1?2.NC", true},
        {"marker after a prefix",
         {"C:\\Cam\\out\\byKestrane_D:\\NC\\P1.NC"},
         "D:\\NC\\P1.NC",
         true},
        {"marker only", {"byKestrane_"}, "", true},
    };
    for (const auto& c : cases) {
        const auto file = fileArgument(c.arguments);
        ASSERT_EQ(file.has_value(), c.text.has_value()) << c.scenario;
        if (file) {
            EXPECT_EQ(file->text, *c.text) << c.scenario;
            EXPECT_EQ(file->transmit, c.transmit) << c.scenario;
        }
    }
}

TEST(PendingTransmitFile, QuestionMarksStandForBlanksAndTheTextIsLimited)
{
    PendingTransmitFile pending;
    EXPECT_TRUE(pending.empty());
    pending.set("/home/op/Part?One.NC");
    EXPECT_EQ(pending.text(), "/home/op/Part?One.NC");
    EXPECT_EQ(pending.path(), "/home/op/Part One.NC");
    pending.set(std::string(300, 'p'));
    EXPECT_EQ(pending.text().size(), kPendingTransmitLimit);
    pending.clear();
    EXPECT_TRUE(pending.empty());
}

TEST(HandOffFiles, AreReadOnceAndDeleted)
{
    test::TempWorkDir dir;
    EXPECT_FALSE(takeDropIn(dir.workDir()));
    EXPECT_EQ(takeTransmitHandOff(dir.workDir()), "");

    ASSERT_TRUE(writeDropIn(dir.workDir(), "/nc/O1.NC"));
    EXPECT_EQ(dir.read(kDropInFile), "/nc/O1.NC\r\n");
    EXPECT_EQ(takeDropIn(dir.workDir()), "/nc/O1.NC");
    EXPECT_FALSE(dir.exists(kDropInFile));

    ASSERT_TRUE(writeTransmitHandOff(dir.workDir(), "/nc/O?2.NC"));
    EXPECT_EQ(takeTransmitHandOff(dir.workDir()), "/nc/O?2.NC");
    EXPECT_FALSE(dir.exists(kTransmitHandOffFile));

    dir.write(kDropInFile, std::string(400, 'd') + "\nsecond\n");
    EXPECT_EQ(takeDropIn(dir.workDir()), std::string(kDropInLineLimit, 'd'));
    dir.write(kDropInFile, "");
    EXPECT_EQ(takeDropIn(dir.workDir()), "");
}

TEST(OpenFileQueue, HoldsFiveFilesAndDropsTheSixth)
{
    test::TempWorkDir dir;
    OpenFileQueue queue;
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(writeDropIn(dir.workDir(), "/nc/F" + std::to_string(i)));
        EXPECT_EQ(queueDropIn(dir.workDir(), queue), i <= 5) << i;
        EXPECT_FALSE(dir.exists(kDropInFile)) << i;
    }
    EXPECT_EQ(queue.freeSlots(), 0u);
    EXPECT_EQ(queue.takeNext(), "/nc/F1");
    EXPECT_TRUE(queue.add("/nc/G"));  // the freed first slot
    EXPECT_EQ(queue.entries()[0], "/nc/G");
    for (const char* expected : {"/nc/G", "/nc/F2", "/nc/F3", "/nc/F4", "/nc/F5"})
        EXPECT_EQ(queue.takeNext(), expected);
    EXPECT_FALSE(queue.takeNext());
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(queue.add(""));
    EXPECT_FALSE(queueDropIn(dir.workDir(), queue));  // no DROPIN.TXT
}

}  // namespace
}  // namespace quillon
