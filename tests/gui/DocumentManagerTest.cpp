#include "app/ui/DocumentManager.h"

#include <gtest/gtest.h>

#include <utime.h>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "app/ui/CMainFrame.h"
#include "app/ui/QuillonApplication.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "gui/GuiTestSupport.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class DocumentManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier, &files);
        ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    }

    DocumentManager& documents() { return app->mainFrame()->documents(); }
    CChildFrame* open(const std::string& name, const std::string& bytes)
    {
        dir.write(name, bytes);
        return documents().openFile(QString::fromStdString(dir.path(name)));
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    std::unique_ptr<QuillonApplication> app;
};

TEST_F(DocumentManagerTest, ClosingAModifiedWindowAsksToSave)
{
    CChildFrame* frame = open("O1.NC", "N10\n");
    ASSERT_TRUE(frame);
    frame->activeView()->setCaret({0, 3});
    QTest::keyClicks(frame->activeView(), "X1");
    const std::string question = "Save changes to " + dir.path("O1.NC") + "?";

    // Closed as the user closes it: through its window in the MDI area.
    auto closeWindow = [](CChildFrame* closing) {
        const bool closed = closing->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    };
    notifier.script({NoticeAnswer::Cancel});
    EXPECT_FALSE(closeWindow(frame));
    EXPECT_EQ(notifier.texts().back(), question);
    EXPECT_EQ(documents().frames().size(), 1);

    notifier.script({NoticeAnswer::Yes});
    EXPECT_TRUE(closeWindow(frame));
    EXPECT_EQ(dir.read("O1.NC"), "N10X1\r\n");
    EXPECT_TRUE(documents().frames().isEmpty());

    CChildFrame* second = open("O2.NC", "N20");
    QTest::keyClicks(second->activeView(), "Y");
    notifier.script({NoticeAnswer::No});
    EXPECT_TRUE(closeWindow(second));
    EXPECT_EQ(dir.read("O2.NC"), "N20");
}

// The exit asks window by window; a Cancel on a later one keeps the program running, and
// the windows answered before must still ask when they are closed afterwards.
TEST_F(DocumentManagerTest, ACancelledExitLeavesEveryWindowAskingAgain)
{
    for (const char* name : {"A.NC", "B.NC"}) {
        CChildFrame* frame = open(name, "N10\n");
        ASSERT_TRUE(frame);
        QTest::keyClicks(frame->activeView(), "X");
    }
    notifier.script({NoticeAnswer::No, NoticeAnswer::Cancel});
    EXPECT_FALSE(documents().queryCloseAll());
    ASSERT_EQ(notifier.shown().size(), 2u);

    for (CChildFrame* frame : documents().frames()) {
        notifier.clear();
        notifier.script({NoticeAnswer::Cancel});
        EXPECT_FALSE(frame->parentWidget()->close()) << frame->documentTitle().toStdString();
        EXPECT_EQ(notifier.shown().size(), 1u) << frame->documentTitle().toStdString();
    }
    EXPECT_EQ(dir.read("A.NC"), "N10\n");
    EXPECT_EQ(dir.read("B.NC"), "N10\n");
}

TEST_F(DocumentManagerTest, AnOpenFileIsActivatedNotOpenedTwice)
{
    CChildFrame* first = open("A.NC", "A");
    CChildFrame* second = open("B.NC", "B");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(documents().openFile(QString::fromStdString(dir.path("A.NC"))), first);
    EXPECT_EQ(documents().frames().size(), 2);
    EXPECT_EQ(documents().activeFrame(), first);

    EXPECT_FALSE(open("TOOL.EXE", "MZ"));
    EXPECT_EQ(notifier.texts().back(), ".EXE  .COM and .DLL files can not be edited");
    EXPECT_EQ(documents().frames().size(), 2);
    EXPECT_EQ(app->recentFiles().files().front().toStdString(), dir.path("B.NC"));
}

TEST_F(DocumentManagerTest, SaveAsGivesTheWindowItsNewName)
{
    CChildFrame* frame = documents().newDocument();
    EXPECT_EQ(frame->documentTitle(), "Untitled1");
    QTest::keyClicks(frame->activeView(), "G0");
    const QString target = QString::fromStdString(dir.path("NEW.NC"));
    test::onNextDialog<QFileDialog>([target](QFileDialog& dialog) {
        dialog.selectFile(target);
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_TRUE(documents().save(*frame));  // no path yet: Save As
    EXPECT_EQ(dir.read("NEW.NC"), "G0");
    EXPECT_EQ(frame->documentTitle().toStdString(), dir.path("NEW.NC"));
    EXPECT_EQ(frame->windowTitle(), "NEW.NC[*]");
    EXPECT_FALSE(frame->document().isModified());
}

TEST_F(DocumentManagerTest, ExitWithAModifiedProgramCanBeCancelled)
{
    CChildFrame* frame = open("O3.NC", "N30");
    QTest::keyClicks(frame->activeView(), "Z");
    notifier.script({NoticeAnswer::Cancel});
    EXPECT_FALSE(app->mainFrame()->close());
    EXPECT_TRUE(dir.exists("COMMAND.TXT"));  // nothing of the exit ran
    notifier.script({NoticeAnswer::No});
    EXPECT_TRUE(app->mainFrame()->close());
    EXPECT_FALSE(dir.exists("COMMAND.TXT"));
    EXPECT_EQ(dir.read("O3.NC"), "N30");
}

TEST_F(DocumentManagerTest, AFileChangedOnDiskIsReloadedAtTheCaretLine)
{
    CChildFrame* frame = open("O4.NC", "N10\nN20\nN30\n");
    frame->activeView()->setCaret({2, 1});
    dir.write("O4.NC", "N11\nN21\nN31\nN41\n");
    const utimbuf later{4000, 4000};
    ::utime(dir.path("O4.NC").c_str(), &later);
    notifier.script({NoticeAnswer::Yes});
    documents().checkFilesOnDisk();
    EXPECT_EQ(frame->document().lineText(2), "N31");
    EXPECT_EQ(frame->activeView()->caretState().caret, (TextPos{2, 0}));
    EXPECT_NE(notifier.texts().back().find("modified by another program"), std::string::npos);
}

}  // namespace
}  // namespace quillon
