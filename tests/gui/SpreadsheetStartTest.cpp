// The spreadsheet program started for real, as a second process: a script that writes down
// the arguments it was given and the folder it runs in.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>

#include <functional>

#include "app/SpreadsheetPath.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/PasswordDialog.h"
#include "app/ui/QuillonApplication.h"
#include "app/ui/SpreadsheetView.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// Long enough for a loaded machine to start a shell; the wait ends as soon as the file is
// there.
constexpr int kStartTimeoutMs = 20000;

bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < kStartTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class SpreadsheetStartTest : public ::testing::Test {
protected:
    SpreadsheetStartTest()
    {
        EXPECT_TRUE(makePath(programs));
        EXPECT_TRUE(makePath(hub + "/_REPORTS"));
        // The record is written under another name and then renamed, so that it is whole
        // once it is there.
        test::writeBytes(script,
                         "#!/bin/sh\n"
                         "{ echo \"$#\"; for a in \"$@\"; do echo \"[$a]\"; done; pwd; }"
                         " > args.part && mv args.part args.txt\n");
        ::chmod(script.c_str(), 0755);
    }
    std::optional<std::string> record() const { return readFile(programs + "/args.txt"); }

    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub";
    const std::string programs = dir.base() + "/Spread Sheets";
    const std::string script = programs + "/record args";
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
};

TEST_F(SpreadsheetStartTest, AFileNameWithBlanksQuotesAndSemicolonsArrivesAsOneArgument)
{
    const std::string report = hub + "/_REPORTS/it's \"May\"; rm -rf $HOME `id` 2026.CSV";
    test::writeBytes(report, "MACHINE NAME,DATE\n");

    EXPECT_EQ(SpreadsheetView::startDetached(script, report, programs), std::nullopt);

    ASSERT_TRUE(waitFor([this] { return record().has_value(); }));
    EXPECT_EQ(*record(), "1\n[" + report + "]\n" + programs + "\n");
}

TEST_F(SpreadsheetStartTest, AProgramThatCannotStartGivesTheSystemsReason)
{
    const auto failure =
        SpreadsheetView::startDetached(programs + "/no such program", "x.CSV", programs);
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->empty());
}

TEST_F(SpreadsheetStartTest, TheMenusOpenTheReportInTheChosenProgram)
{
    EXPECT_TRUE(writeRemoteConfig(dir.workDir(), {hub + "/", 0, ""}).ok);
    FixedClock clock{1'796'000'600};
    QuillonApplication app(dir.workDir(), "quillonlt", &notifier, &files, &clock);
    ASSERT_EQ(app.start({"quillonlt"}), QuillonApplication::StartResult::Run);
    CMainFrame& frame = *app.mainFrame();

    // Settings > "E&XCEL.EXE path" keeps the program typed in the dialog.
    test::onNextDialog<SpreadsheetPathDialog>([this](SpreadsheetPathDialog& dialog) {
        dialog.pathEdit()->setText(QString::fromStdString(script));
        dialog.accept();
    });
    QAction* settingsCommand = test::findByText<QAction>(frame, "E&XCEL.EXE path");
    ASSERT_NE(settingsCommand, nullptr);
    settingsCommand->trigger();
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), script);

    const std::string report = hub + "/_REPORTS/_MACHINE_2026-12.CSV";
    test::writeBytes(report, "MACHINE NAME,DATE\n");
    files.script(report);
    QAction* viewCommand = test::findByText<QAction>(*frame.remoteMenu(), "View report &file");
    ASSERT_NE(viewCommand, nullptr);
    viewCommand->trigger();

    ASSERT_TRUE(waitFor([this] { return record().has_value(); }));
    EXPECT_EQ(*record(), "1\n[" + report + "]\n" + programs + "\n");
    EXPECT_TRUE(notifier.texts().empty());

    // Behind the settings lock, a refused password stops both commands before any dialog.
    dir.write("psw.sys", "ab`\r\n");
    for (QAction* command : {settingsCommand, viewCommand}) {
        bool locked = false;
        test::onNextDialog<PasswordDialog>([&locked](PasswordDialog& password) {
            locked = true;
            password.reject();
        });
        command->trigger();
        EXPECT_TRUE(locked) << command->text().toStdString();
    }
    EXPECT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), script);
}

}  // namespace
}  // namespace quillon
