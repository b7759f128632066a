// The remote menu's "Report view &Graph/Pie" as the running program offers it: the hub of
// the remote configuration, the "Monthly .CSV file" setting and the hub's status colours.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QPushButton>

#include "app/MarginsSettings.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/PasswordDialog.h"
#include "app/ui/QuillonApplication.h"
#include "charting/ChartWidget.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/StatusReport.h"
#include "monitoring/ui/ReportDateDialog.h"
#include "monitoring/ui/ReportWindows.h"
#include "monitoring/ui/SpanCalendar.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FilePrompter.h"
#include "platform/LocalTime.h"
#include "platform/Notifier.h"
#include "support/ScopedTimeZone.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

TEST(ReportCommandTest, TheDialogReadsTheMonthlyFilesOfTheConfiguredHubInItsColours)
{
    test::ScopedTimeZone zone{"UTC0"};
    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub";
    EXPECT_TRUE(makePath(hub + "/_SETUP"));
    EXPECT_TRUE(makePath(hub + "/_REPORTS"));
    test::writeBytes(hub + "/_SETUP/CairnConf.sys", "NM:MILL 1\r\nNM:LATHE 2\r\n");
    test::writeBytes(hub + "/_SETUP/MonSetup.sys",
                     "1,1\r\nON:1\r\nTH:0\r\n1,2\r\nON:0\r\nTH:0\r\n");
    // Cycle on in yellow.
    test::writeBytes(hub + "/_SETUP/GraphColor.sys", "1,0,16777215\r\n65535,CYCLE ON\r\n");
    test::writeBytes(hub + "/_REPORTS/_MACHINE_2026-12.CSV",
                     std::string(kStatusReportHeader) + "\r\n" +
                         "MILL 1,12/08/2026,1,06:00:00,06:42:10,2530,CYCLE ON,0,\r\n");
    EXPECT_TRUE(writeRemoteConfig(dir.workDir(), {hub + "/", 0, ""}).ok);
    MarginsSettings margins;
    margins.monthlyCsv = true;
    EXPECT_TRUE(writeMarginsFile(dir.workDir(), margins).ok);

    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    FixedClock clock{*localToSeconds({2026, 12, 9, 10, 0, 0})};
    QuillonApplication app(dir.workDir(), "quillonlt", &notifier, &files, &clock);
    ASSERT_EQ(app.start({"quillonlt"}), QuillonApplication::StartResult::Run);
    QAction* command = test::findByText<QAction>(*app.mainFrame(), "Report view &Graph/Pie");
    ASSERT_NE(command, nullptr);
    EXPECT_TRUE(command->isEnabled());
    command->trigger();

    ReportWindows& reports = app.mainFrame()->reportWindows();
    ReportDateDialog* dialog = reports.dialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Select Report date");
    ASSERT_EQ(dialog->machines()->count(), 1);
    dialog->machines()->item(0)->setSelected(true);
    dialog->calendar()->select(QDate(2026, 12, 1), QDate(2026, 12, 9));
    emit dialog->calendar()->selectionChanged();
    dialog->button("View selection")->click();
    ASSERT_TRUE(notifier.texts().empty()) << notifier.texts().front();
    const auto graphs = reports.windows(ReportWindowKind::Graph);
    ASSERT_EQ(graphs.size(), 1u);
    const ChartData& chart = graphs.front()->chart()->data();
    ASSERT_EQ(chart.seriesCount(), 1);
    EXPECT_EQ(chart.seriesColor(0), QColor(255, 255, 0));

    // Behind the settings lock: a refused password opens nothing more.
    dialog->close();
    dir.write("psw.sys", "ab`\r\n");
    bool asked = false;
    test::onNextDialog<PasswordDialog>([&asked](PasswordDialog& password) {
        asked = true;
        password.reject();
    });
    command->trigger();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(dialog->isVisible());

    // Leaving the program closes the dialog and the windows, whose copies go with them.
    const std::string copy = graphs.front()->copyPath();
    app.mainFrame()->closeWithoutQuestions();
    QApplication::processEvents();
    EXPECT_FALSE(fileExists(copy));
}

}  // namespace
}  // namespace quillon
