#include "app/ui/SpreadsheetView.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QLineEdit>
#include <QPushButton>

#include "app/SpreadsheetPath.h"
#include "gui/GuiTestSupport.h"
#include "platform/FileAttributes.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

struct Start {
    std::string program;
    std::string file;
    std::string folder;
    bool operator==(const Start&) const = default;
};

void PrintTo(const Start& start, std::ostream* out)
{
    *out << start.program << " [" << start.file << "] in " << start.folder;
}

class SpreadsheetViewTest : public ::testing::Test {
protected:
    SpreadsheetViewTest()
    {
        EXPECT_TRUE(makePath(reports));
        EXPECT_TRUE(makePath(programs));
        test::writeBytes(report, "MACHINE NAME,DATE\n");
        program(calc);
        program(other);
        view.setStarter([this](const std::string& program, const std::string& file,
                               const std::string& folder) -> std::optional<std::string> {
            starts.push_back({program, file, folder});
            if (failures.empty())
                return std::nullopt;
            std::string failure = failures.front();
            failures.erase(failures.begin());
            return failure;
        });
        view.setDefaultOpener([this](const std::string& file) {
            defaultOpened.push_back(file);
            return desktopHasApplication;
        });
        view.setPathAsker([this](const std::string& proposed) -> std::optional<std::string> {
            proposals.push_back(proposed);
            if (answers.empty())
                return std::nullopt;
            std::optional<std::string> answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        });
    }
    static void program(const std::string& path)
    {
        test::writeBytes(path, "#!/bin/sh\n");
        ::chmod(path.c_str(), 0755);
    }

    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub";
    const std::string reports = hub + "/_REPORTS";
    const std::string report = reports + "/_MACHINE_2026-12.CSV";
    const std::string programs = dir.base() + "/My Programs";
    const std::string calc = programs + "/calc";
    const std::string other = programs + "/other calc";
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    SpreadsheetView view{dir.workDir(), notifier, files, nullptr};

    std::vector<Start> starts;
    std::vector<std::string> failures;
    std::vector<std::string> defaultOpened;
    bool desktopHasApplication = true;
    std::vector<std::string> proposals;
    std::vector<std::optional<std::string>> answers;
};

TEST_F(SpreadsheetViewTest, TheReportStartsInTheChosenProgramAsItsOneArgument)
{
    dir.write(kSpreadsheetPathFile, calc + "\r\n");
    files.script(report);
    view.viewReportFile(hub);

    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "View report file");
    EXPECT_EQ(files.prompts()[0].directory, reports);
    EXPECT_EQ(files.prompts()[0].filter, "Report files (*.CSV)|*CSV||");
    EXPECT_EQ(starts, (std::vector<Start>{{calc, report, programs}}));
    EXPECT_TRUE(defaultOpened.empty());
    EXPECT_TRUE(proposals.empty());
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(SpreadsheetViewTest, OnlyCsvFilesAreViewed)
{
    dir.write(kSpreadsheetPathFile, calc);
    for (const std::string name : {"_MACHINE_2026.txt", "_MACHINE_2026", "_OEE_2026.csv.bak"}) {
        files.script(reports + "/" + name);
        view.viewReportFile(hub);
    }
    files.script(reports + "/lower case.csv");
    view.viewReportFile(hub);

    EXPECT_EQ(notifier.texts(), std::vector<std::string>(3, "File extension need to be \"CSV\""));
    EXPECT_EQ(starts, (std::vector<Start>{{calc, reports + "/lower case.csv", programs}}));
}

TEST_F(SpreadsheetViewTest, WithoutAProgramChosenTheDesktopOpensTheFile)
{
    view.openReport(report);
    EXPECT_EQ(defaultOpened, std::vector<std::string>{report});
    EXPECT_TRUE(starts.empty());
    EXPECT_TRUE(proposals.empty());

    // A desktop without an application for it: the program is asked for, kept, and started.
    desktopHasApplication = false;
    answers = {calc};
    view.openReport(report);
    EXPECT_EQ(proposals, std::vector<std::string>{""});
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), calc);
    EXPECT_EQ(starts, (std::vector<Start>{{calc, report, programs}}));
}

TEST_F(SpreadsheetViewTest, AProgramThatIsGoneIsAskedForAgain)
{
    dir.write(kSpreadsheetPathFile, programs + "/removed calc");
    answers = {other};
    view.openReport(report);
    EXPECT_EQ(proposals, std::vector<std::string>{programs + "/removed calc"});
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), other);
    EXPECT_EQ(starts, (std::vector<Start>{{other, report, programs}}));

    // Cancelled: nothing starts and the file keeps what it had.
    dir.write(kSpreadsheetPathFile, programs + "/removed calc");
    starts.clear();
    view.openReport(report);
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), programs + "/removed calc");
    EXPECT_TRUE(defaultOpened.empty());
}

TEST_F(SpreadsheetViewTest, AFailedStartShowsTheReasonAndAsksForTheProgramAgain)
{
    dir.write(kSpreadsheetPathFile, calc);
    failures = {"Exec format error", "Permission denied"};
    answers = {other, calc};
    view.openReport(report);

    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{"Exec format error", "Permission denied"}));
    EXPECT_EQ(proposals, (std::vector<std::string>{calc, other}));
    EXPECT_EQ(starts,
              (std::vector<Start>{
                  {calc, report, programs}, {other, report, programs}, {calc, report, programs}}));
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), calc);

    // The user gives up after a failure: no more starts.
    failures = {"No such file or directory"};
    starts.clear();
    view.openReport(report);
    EXPECT_EQ(starts.size(), 1u);
}

TEST_F(SpreadsheetViewTest, ThePathDialogTakesOnlyAProgram)
{
    SpreadsheetPathDialog dialog(calc, notifier, files, nullptr);
    EXPECT_EQ(dialog.windowTitle(), "EXCEL.EXE Path");
    EXPECT_EQ(dialog.pathEdit()->text().toStdString(), calc);

    files.script(other);
    test::findByText<QPushButton>(dialog, "Browse...")->click();
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "EXCEL.EXE file");
    EXPECT_EQ(files.prompts()[0].directory, programs + "/");
    EXPECT_EQ(files.prompts()[0].fileName, "calc");
    EXPECT_EQ(dialog.path(), other);
    test::saveScreenshot(dialog, "spreadsheet-path");

    test::writeBytes(dir.path("notes.txt"), "not a program");
    for (const std::string& typed : {dir.path("notes.txt"), dir.path("missing"), std::string()}) {
        dialog.pathEdit()->setText(QString::fromStdString(typed));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected) << typed;
    }
    EXPECT_EQ(notifier.texts(), std::vector<std::string>(3, std::string(kNotAProgram)));

    // Kept as typed: the case of a Linux path names the file.
    dialog.pathEdit()->setText(QString::fromStdString("  " + other + " "));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.path(), other);
}

TEST_F(SpreadsheetViewTest, SettingsCommandStoresThePathTheDialogAccepts)
{
    dir.write(kSpreadsheetPathFile, calc);
    answers = {other};
    view.editPath();
    EXPECT_EQ(proposals, std::vector<std::string>{calc});
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), other);

    view.editPath();  // cancelled
    EXPECT_EQ(readSpreadsheetPath(dir.workDir()), other);
    EXPECT_TRUE(starts.empty());
}

}  // namespace
}  // namespace quillon
