#include "app/ui/FileUpdateDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <filesystem>

#include "gui/GuiTestSupport.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

QStringList listed(const FileUpdateDialog& dialog)
{
    QStringList texts;
    for (int row = 0; row < dialog.pairList()->count(); ++row)
        texts << dialog.pairList()->item(row)->text();
    return texts;
}

void click(const FileUpdateDialog& dialog, const char* text)
{
    test::findByText<QPushButton>(dialog, text)->click();
}

TEST(FileUpdateDialog, InsertDeleteSaveAndStart)
{
    test::TempWorkDir dir;
    dir.write(kFileUpdatePairsFile,
              "C:\\NC\\RELEASED>\\\\cell2\\fanuc\\in\r\n\r\nC:\\A C:\\B\n"
              "/srv/nc/released>/mnt/haas-vf2/programs\r\nlonely\r\n");
    dir.write(kFileUpdatePrintFile, "0\r\n");
    ScriptedNotifier notifier;
    FileUpdateDialog dialog(dir.workDir(), notifier);
    dialog.show();
    test::saveScreenshot(dialog, "file-update-dialog");
    EXPECT_EQ(dialog.windowTitle(), "File update");
    EXPECT_EQ(listed(dialog), (QStringList{"C:\\NC\\RELEASED>\\\\cell2\\fanuc\\in", "C:\\A>C:\\B",
                                           "/srv/nc/released>/mnt/haas-vf2/programs"}));
    EXPECT_FALSE(dialog.printAfterUpdateBox()->isChecked());

    click(dialog, "Delete");  // nothing selected: nothing happens
    EXPECT_EQ(dialog.pairList()->count(), 3);
    dialog.pairList()->setCurrentRow(0);
    click(dialog, "Delete");
    EXPECT_EQ(dialog.entryEdit()->text(), "C:\\NC\\RELEASED>\\\\cell2\\fanuc\\in");
    dialog.entryEdit()->setText("/srv/in/>/srv/out/");
    click(dialog, "Insert");
    QTest::keyClick(dialog.entryEdit(), Qt::Key_Return);  // Enter inserts, not starts
    EXPECT_TRUE(dialog.isVisible());
    dialog.printAfterUpdateBox()->setChecked(true);
    click(dialog, "Save");
    const std::string saved =
        "C:\\A>C:\\B\r\n/srv/nc/released>/mnt/haas-vf2/programs\r\n/srv/in>/srv/out\r\n"
        "/srv/in>/srv/out\r\n";
    EXPECT_EQ(dir.read(kFileUpdatePairsFile), saved);
    EXPECT_EQ(dir.read(kFileUpdatePrintFile), "1\r\n");
    EXPECT_EQ(listed(dialog).back(), "/srv/in>/srv/out");  // read back from the file

    dialog.entryEdit()->setText("x>y");
    click(dialog, "Insert");
    dialog.printAfterUpdateBox()->setChecked(false);
    click(dialog, "Start");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.settings().pairs[4], (DirectoryPair{"x", "y"}));
    EXPECT_FALSE(dialog.settings().printAfterUpdate);
    EXPECT_EQ(dir.read(kFileUpdatePairsFile), saved);  // Start does not save
    EXPECT_EQ(dir.read(kFileUpdatePrintFile), "1\r\n");
}

TEST(FileUpdateTool, StartShowsEachReportAndPrintsItWhenAsked)
{
    test::TempWorkDir dir;
    const std::string from = dir.base() + "/from";
    const std::string to = dir.base() + "/to";
    std::filesystem::create_directories(from);
    std::filesystem::create_directories(to);
    test::writeBytes(from + "/O1", "%\n");
    dir.write(kFileUpdatePairsFile, from + ">" + to + "\r\n");
    ScriptedNotifier notifier;
    std::vector<std::string> printed;
    const ReportPrinter recorder = [&](const std::string& report, QWidget*) {
        printed.push_back(report);
    };

    test::onNextDialog<FileUpdateDialog>([](FileUpdateDialog& d) { click(d, "Cancel"); });
    runFileUpdateTool(dir.workDir(), notifier, nullptr, recorder);
    EXPECT_TRUE(notifier.shown().empty());

    test::onNextDialog<FileUpdateDialog>([](FileUpdateDialog& d) { click(d, "Start"); });
    runFileUpdateTool(dir.workDir(), notifier, nullptr, recorder);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].title, "Updated files");
    EXPECT_EQ(notifier.shown()[0].text, to + "/O1\n");
    EXPECT_EQ(printed, std::vector<std::string>{to + "/O1\n"});

    test::writeBytes(from + "/O2", "%\n");
    test::onNextDialog<FileUpdateDialog>([](FileUpdateDialog& d) {
        d.printAfterUpdateBox()->setChecked(false);
        click(d, "Start");
    });
    runFileUpdateTool(dir.workDir(), notifier, nullptr, recorder);
    EXPECT_EQ(notifier.shown().back().text, to + "/O2\n");
    EXPECT_EQ(printed.size(), 1u);
}

TEST(FileUpdateTool, TheReportPrintsAsPlainBlackFixedPitchLines)
{
    const auto document = reportDocument("/mnt/m1/O1\n/mnt/m1/O2 --- FILE INCOMPLETE\n");
    EXPECT_EQ(document->toPlainText(), "/mnt/m1/O1\n/mnt/m1/O2 --- FILE INCOMPLETE");
    EXPECT_EQ(document->lastBlock().charFormat().foreground().color(), QColor(Qt::black));
    // Measured: font databases do not always mark monospaced faces as such.
    const QFontMetrics metrics(document->defaultFont());
    EXPECT_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));

    test::TempWorkDir dir;
    {
        QPdfWriter writer(QString::fromStdString(dir.path("report.pdf")));
        printReport("/mnt/m1/O1\n", writer);
    }
    EXPECT_TRUE(dir.read("report.pdf").starts_with("%PDF"));
}

}  // namespace
}  // namespace quillon
