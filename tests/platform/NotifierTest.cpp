#include <gtest/gtest.h>

#include <sstream>

#include "platform/FilePrompter.h"
#include "platform/Notifier.h"

namespace quillon {
namespace {

TEST(ScriptedNotifier, AnswersFromTheScriptThenCautiously)
{
    ScriptedNotifier notifier;
    notifier.script({NoticeAnswer::Yes});
    EXPECT_TRUE(notifier.askYesNo("Save?"));
    EXPECT_FALSE(notifier.askYesNo("Again?"));  // script exhausted: No
    EXPECT_EQ(notifier.askYesNoCancel("Third?"), NoticeAnswer::Cancel);
    notifier.message("Plain");
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{"Save?", "Again?", "Third?", "Plain"}));
    EXPECT_EQ(notifier.shown().back().icon, NoticeIcon::Exclamation);
    EXPECT_TRUE(notifier.shown().back().title.empty());
}

TEST(StreamNotifier, WritesTitleAndTextAndDeclinesQuestions)
{
    std::ostringstream out;
    StreamNotifier notifier(out);
    notifier.warning("Computer time issue", "Error");
    EXPECT_FALSE(notifier.askYesNo("Exit?"));
    EXPECT_EQ(out.str(), "Error: Computer time issue\nExit?\n");
}

TEST(FileFilter, ParsesTheStoredForm)
{
    const auto entries = parseFileFilter("DirLog file (*.sys)|*.sys|NC files|*.nc;*.tap||");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].description, "DirLog file (*.sys)");
    EXPECT_EQ(entries[0].patterns, std::vector<std::string>{"*.sys"});
    EXPECT_EQ(entries[1].patterns, (std::vector<std::string>{"*.nc", "*.tap"}));
    EXPECT_TRUE(parseFileFilter("").empty());
    EXPECT_TRUE(parseFileFilter("Only a description").empty());
}

}  // namespace
}  // namespace quillon
