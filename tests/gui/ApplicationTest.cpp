#include "app/ui/QuillonApplication.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "app/MainWindowRect.h"
#include "app/MarginsSettings.h"
#include "app/SettingsLock.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/DesktopCalculator.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/OtherOptionsDialog.h"
#include "app/ui/PasswordDialog.h"
#include "dnc/ComConfFile.h"
#include "dnc/SerialLine.h"
#include "dnc/ui/PortSetupDialog.h"
#include "dnc/ui/SelectConfigurationDialog.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/SelectFolderDialog.h"
#include "gui/FakeMonitorWindow.h"
#include "gui/GuiTestSupport.h"
#include "monitoring/DirectoryLog.h"
#include "monitoring/HubLink.h"
#include "monitoring/HubSetup.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/ui/DetailedViewWindow.h"
#include "monitoring/ui/GraphViewWindow.h"
#include "monitoring/ui/HeadsPalletsDialog.h"
#include "monitoring/ui/HubChannel.h"
#include "monitoring/ui/MachineDisplayWindow.h"
#include "monitoring/ui/MonitorDisplays.h"
#include "monitoring/ui/MonitoringListDialog.h"
#include "monitoring/ui/RemoteConfigDialog.h"
#include "monitoring/ui/ShiftCycleTimeDialog.h"
#include "monitoring/ui/ShiftGraphWindow.h"
#include "monitoring/ui/ShiftPieWindow.h"
#include "monitoring/ui/ShiftWindows.h"
#include "monitoring/ui/StatusColorsDialog.h"
#include "monitoring/ui/TimelineViewWindow.h"
#include "platform/FileAttributes.h"
#include "platform/FilePrompter.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "platform/UdpSocket.h"
#include "platform/ui/FontMapping.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"
#include "utilities/FileCleanup.h"

namespace quillon {
namespace {

constexpr char kInstanceName[] = "quillonlt";

class ApplicationTest : public ::testing::Test {
protected:
    std::unique_ptr<QuillonApplication> makeApplication()
    {
        return std::make_unique<QuillonApplication>(dir.workDir(), kInstanceName, &notifier,
                                                    &files);
    }

    // A second start of the real program, as a shell or a file manager would run it.
    int runSecondStart(const QStringList& arguments, const QString& folder = {})
    {
        QProcess second;
        second.setWorkingDirectory(folder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QUILLONLT_HOME", QString::fromStdString(dir.workDir().root()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(environment);
        second.start(QUILLONLT_BINARY, arguments);
        // The first instance answers on this event loop while the second one waits.
        QElapsedTimer timer;
        timer.start();
        while (second.state() != QProcess::NotRunning && timer.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            second.waitForFinished(20);
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    // Lets the first instance handle what arrived on its socket.
    static void settle(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
};

TEST_F(ApplicationTest, StartUpReadsTheSettingsAndRecordsTheCommandLine)
{
    dir.write(kMarginsFile, joinLinesCrLf({"/srv/nc", "1", "1", "1", "1", "1", "0", "1", "0", "0",
                                           "0", "0", "0", "1"}));
    dir.write("_TMP/MwndPos.txt", "40\r\n30\r\n840\r\n630\r\n");
    dir.write(kDropInFile, "/stale/from/last/run.NC\r\n");
    dir.write(kComConfFile, joinLinesCrLf({"", "2:", "NM:Lathe"}));

    auto app = makeApplication();
    ASSERT_EQ(app->start({"/usr/bin/quillonlt", "/nc/O1000.NC"}),
              QuillonApplication::StartResult::Run);
    CMainFrame* frame = app->mainFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->geometry(), QRect(QPoint(40, 30), QPoint(839, 629)));
    EXPECT_FALSE(app->settings().flags.wheelScrollsAll);
    EXPECT_TRUE(app->settings().flags.scrollBarScrollsAll);
    EXPECT_EQ(app->settings().editorDirectory, "/srv/nc");
    EXPECT_EQ(app->settings().portSetups.record(1).name, "Lathe");
    EXPECT_EQ(dir.read(kCommandFile), "\"/usr/bin/quillonlt\" \"/nc/O1000.NC\"\r\n");
    // The stale hand-off file was deleted, the argument queued through a new one.
    EXPECT_EQ(app->openFileQueue().entries()[0], "/nc/O1000.NC");
    EXPECT_EQ(app->openFileQueue().freeSlots(), 4u);
    EXPECT_FALSE(dir.exists(kDropInFile));
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(ApplicationTest, UnusableWindowRectangleGivesHalfTheScreenAtTheOrigin)
{
    dir.write("_TMP/MwndPos.txt", "0\r\n0\r\n0\r\n0\r\n");
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(app->mainFrame()->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(app->mainFrame()->size(), QSize(screen.width() / 2, screen.height() / 2));
    EXPECT_TRUE(app->openFileQueue().empty());
}

TEST_F(ApplicationTest, AnUnwritableLockDoesNotKeepTheProgramFromRunning)
{
    // A folder where the lock file should be: the lock cannot be taken, and no other
    // instance is running either.
    QDir().mkpath(QString::fromStdString(dir.path("quillonlt.lock")));
    auto app = makeApplication();
    EXPECT_EQ(app->start({"quillonlt", "/nc/O1.NC"}), QuillonApplication::StartResult::Run);
    EXPECT_EQ(app->openFileQueue().entries()[0], "/nc/O1.NC");
}

TEST_F(ApplicationTest, TransmitMarkerSetsThePendingTransmitFile)
{
    auto app = makeApplication();
    int requests = 0;
    QObject::connect(app.get(), &QuillonApplication::transmitRequested, [&] { ++requests; });
    ASSERT_EQ(app->start({"quillonlt", "C:\\Cam\\byKestrane_/nc/Bracket?7.NC"}),
              QuillonApplication::StartResult::Run);
    EXPECT_EQ(app->settings().pendingTransmit.text(), "/nc/Bracket?7.NC");
    EXPECT_EQ(app->settings().pendingTransmit.path(), "/nc/Bracket 7.NC");
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(app->openFileQueue().empty());
}

TEST_F(ApplicationTest, ASecondStartHandsItsFileToTheFirstAndEnds)
{
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);

    // A relative name is taken from the folder the second start ran in; the first
    // instance queues the file and opens it on its next idle pass.
    QTemporaryDir elsewhere;
    const QString absolute = QDir(elsewhere.path()).filePath("O2000.NC");
    test::writeBytes(absolute.toStdString(), "O2000\r\nN10 G0 X0\r\nM30\r\n");
    EXPECT_EQ(runSecondStart({"O2000.NC"}, elsewhere.path()), 0);
    settle([&] { return app->mainFrame()->documents().frames().size() == 1; });
    ASSERT_EQ(app->mainFrame()->documents().frames().size(), 1);
    EXPECT_EQ(app->mainFrame()->documents().frames()[0]->document().pathName(),
              absolute.toStdString());
    EXPECT_TRUE(app->openFileQueue().empty());
    EXPECT_FALSE(dir.exists(kDropInFile));

    // Without a file the second start only brings the first forward.
    EXPECT_EQ(runSecondStart({}), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(app->openFileQueue().empty());
    EXPECT_EQ(app->mainFrame()->documents().frames().size(), 1);

    // Both starts left their command lines for the first instance to read.
    const std::string commands = dir.read(kCommandFile);
    EXPECT_NE(commands.find("\"" + absolute.toStdString() + "\""), std::string::npos);
}

TEST_F(ApplicationTest, ASecondStartWithTheMarkerHandsOverATransmit)
{
    auto app = makeApplication();
    int requests = 0;
    QObject::connect(app.get(), &QuillonApplication::transmitRequested, [&] { ++requests; });
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    // The first instance runs "&Transmit", which offers the handed-over file.
    bool asked = false;
    test::whenDialogOpens<SelectConfigurationDialog>([&](SelectConfigurationDialog& dialog) {
        asked = true;
        EXPECT_EQ(app->settings().pendingTransmit.text(), "/nc/Mold?Cavity.NC");
        EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage(),
                  "Waiting to transmit: /nc/Mold Cavity.NC");
        dialog.accept();
    });
    EXPECT_EQ(runSecondStart({"byKestrane_/nc/Mold?Cavity.NC"}), 0);
    settle([&] { return !files.prompts().empty(); });
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(asked);
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].fileName, "/nc/Mold Cavity.NC");
    EXPECT_TRUE(app->settings().pendingTransmit.empty());
    EXPECT_EQ(app->mainFrame()->statusBar()->currentMessage(), "Ready");
    EXPECT_FALSE(dir.exists(kTransmitHandOffFile));
    EXPECT_TRUE(app->openFileQueue().empty());
}

TEST_F(ApplicationTest, KeptOpenPortsAreOpenedAtStartUp)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    ::setenv("QUILLONLT_COM2", pty.devicePath().c_str(), 1);
    ::setenv("QUILLONLT_COM7", "/dev/ttyNoSuchPort7", 1);
    dir.write(kComConfFile, joinLinesCrLf({"", "1:", "PT:1", "KO:1", "", "2:", "PT:6", "KO:2", "",
                                           "3:", "PT:7", "KO:0"}));
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    ::unsetenv("QUILLONLT_COM2");
    ::unsetenv("QUILLONLT_COM7");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Could not open COM7"});
    const auto& setups = app->settings().portSetups;
    EXPECT_TRUE(setups.record(0).handle);
    EXPECT_EQ(setups.record(0).keepPortOpen, KeepPortOpen::Open);
    EXPECT_EQ(setups.record(1).keepPortOpen, KeepPortOpen::WantedNotOpen);

    // Closing the program closes the kept-open port.
    const auto handle = setups.record(0).handle;
    app->mainFrame()->close();
    EXPECT_FALSE(handle->isOpen());
}

TEST_F(ApplicationTest, ExitSavesStateAndAsksWhileAPortIsInUse)
{
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    CMainFrame* frame = app->mainFrame();
    frame->setGeometry(100, 80, 700, 500);
    ASSERT_TRUE(dir.exists(kCommandFile));

    app->portsInUse().markInUse(0);
    notifier.script({NoticeAnswer::No});
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(notifier.texts().back(),
              "If you exit, machine communications will be closed.\n"
              "Are you sure you want to exit?");
    EXPECT_EQ(notifier.shown().back().title, "Warning");
    EXPECT_TRUE(dir.exists(kCommandFile));

    notifier.script({NoticeAnswer::Yes});
    EXPECT_TRUE(frame->close());
    EXPECT_FALSE(dir.exists(kCommandFile));
    EXPECT_TRUE(dir.exists(kMarginsFile));
    EXPECT_EQ(readMainWindowRect(dir.workDir()), (WindowRect{100, 80, 800, 580}));
}

TEST_F(ApplicationTest, ViewTogglesFlipTheLiveFlagsOnly)
{
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    int changes = 0;
    QObject::connect(app.get(), &QuillonApplication::viewFlagsChanged, [&] { ++changes; });
    QAction* lineNumbers = test::findByText<QAction>(*app->mainFrame(), "Show &line numbers");
    ASSERT_TRUE(lineNumbers);
    lineNumbers->trigger();
    EXPECT_TRUE(app->settings().flags.showLineNumbers);
    test::findByText<QAction>(*app->mainFrame(), "&Mouse wheel scrolls all")->trigger();
    EXPECT_FALSE(app->settings().flags.wheelScrollsAll);
    EXPECT_TRUE(app->settings().margins.scrollAllWithWheel);  // the saved value stays
    for (const char* text :
         {"Show &Spaces", "Show &EOB", "&Colorize editor", "Scroll &bar scrolls all"})
        EXPECT_TRUE(test::findByText<QAction>(*app->mainFrame(), text)) << text;
    EXPECT_EQ(changes, 2);
}

TEST_F(ApplicationTest, OtherOptionsBehindTheLockSavesMarginsAndAsksForARestart)
{
    dir.write(kPasswordFile, "Rgno0\r\n");
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    app->settings().headsPalletsDontAsk = true;

    test::onNextDialog<PasswordDialog>([](PasswordDialog& password) {
        password.passwordEdit()->setText("Shop1");
        password.accept();
        test::onNextDialog<OtherOptionsDialog>([](OtherOptionsDialog& options) {
            test::edit(options, "editorDefaultPath")->setText("/srv/programs");
            test::findByText<QCheckBox>(options, "Scroll all windows with scroll bar")
                ->setChecked(true);
            options.ipAddressEdit()->octetEdit(0)->setText("10");
            options.accept();
        });
    });
    test::findByText<QAction>(*app->mainFrame(), "&Other options")->trigger();

    EXPECT_FALSE(app->settings().headsPalletsDontAsk);
    EXPECT_EQ(app->settings().editorDirectory, "/srv/programs");
    EXPECT_TRUE(app->settings().flags.scrollBarScrollsAll);
    const MarginsSettings saved = readMarginsFile(dir.workDir());
    EXPECT_EQ(saved.editorDefaultPath, "/srv/programs");
    EXPECT_EQ(saved.localIpAddress, 0x0A000000);
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{"You need to exit and re-enter Quillon LT program"});

    // A refused password runs nothing.
    test::onNextDialog<PasswordDialog>([](PasswordDialog& password) { password.reject(); });
    app->otherOptions();
    EXPECT_EQ(notifier.shown().size(), 1u);
}

TEST_F(ApplicationTest, Rs232ParametersOpensAndClosesKeptPorts)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    ::setenv("QUILLONLT_COM4", pty.devicePath().c_str(), 1);
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);

    test::onNextDialog<PortSetupDialog>([](PortSetupDialog& dialog) {
        test::radioIn(dialog, "Port", "Com4")->click();
        test::findByText<QCheckBox>(dialog, "Keep port open")->click();
        dialog.accept();
    });
    test::findByText<QAction>(*app->mainFrame(), "&RS232 parameters")->trigger();
    const auto& setup = app->settings().portSetups.record(0);
    ASSERT_TRUE(setup.handle);
    EXPECT_EQ(setup.keepPortOpen, KeepPortOpen::Open);
    EXPECT_NE(dir.read(kComConfFile).find("KO:2"), std::string::npos);

    test::onNextDialog<PortSetupDialog>([](PortSetupDialog& dialog) {
        test::findByText<QCheckBox>(dialog, "Keep port open")->click();
        dialog.accept();
    });
    app->rs232Parameters();
    EXPECT_FALSE(app->settings().portSetups.record(0).handle);
    ::unsetenv("QUILLONLT_COM4");
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(ApplicationTest, AChosenFontIsStoredAndSaved)
{
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    QFont chosen = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    chosen.setPointSizeF(11);
    chosen.setWeight(QFont::Bold);
    chosen.setItalic(true);
    const LogFont before = app->settings().fonts[FontRole::PortWindows];
    app->applyFont(FontRole::PortWindows, fromQFont(chosen, before));

    const LogFont& after = app->settings().fonts[FontRole::PortWindows];
    EXPECT_EQ(after.height, 110);
    EXPECT_EQ(after.weight, 700);
    EXPECT_EQ(after.italic, 1);
    EXPECT_EQ(after.charSet, before.charSet);  // fields a QFont lacks are kept
    EXPECT_EQ(after.faceName, chosen.family().toStdString());
    FontSet saved;
    readFontsFile(dir.path(kFontsFile), saved);
    EXPECT_EQ(saved, app->settings().fonts);

    const QFont shown = toQFont(after);
    EXPECT_DOUBLE_EQ(shown.pointSizeF(), 11.0);
    EXPECT_TRUE(shown.italic());
    EXPECT_EQ(shown.weight(), QFont::Bold);
}

TEST_F(ApplicationTest, FileCleanupPicksTheFolderAsksAndReportsDone)
{
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    const std::string folder = dir.base() + "/nc";
    ASSERT_TRUE(makePath(folder));
    test::writeBytes(folder + "/LF.NC", "%\nO1\n%\n");
    app->settings().editorDirectory = folder;
    std::vector<FilePrompt> picked;
    std::string answer;
    app->setFolderPicker([&](const FilePrompt& prompt) -> std::optional<std::string> {
        picked.push_back(prompt);
        return answer;
    });
    const auto pickFolder = [&](const std::string& chosen) { answer = chosen; };
    // No at the question: nothing changes.
    pickFolder(folder);
    test::findByText<QAction>(*app->mainFrame(), "&EOB")->trigger();
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].title, "EOB cleanup");
    EXPECT_EQ(picked[0].directory, folder);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, cleanupQuestion(CleanupTool::Eob, folder + "/"));
    EXPECT_EQ(notifier.shown()[0].icon, NoticeIcon::Error);
    EXPECT_EQ(readFile(folder + "/LF.NC").value_or("<missing>"), "%\nO1\n%\n");

    // Yes: the files are rewritten and "Done" follows.
    notifier.clear();
    notifier.script({NoticeAnswer::Yes});
    pickFolder(folder);
    app->fileCleanup(CleanupTool::Eob);
    EXPECT_EQ(readFile(folder + "/LF.NC").value_or("<missing>"), "%\r\nO1\r\n%\r\n");
    ASSERT_EQ(notifier.shown().size(), 2u);
    EXPECT_EQ(notifier.shown()[1].text, "Done");

    // An empty folder is not asked about.
    notifier.clear();
    ASSERT_TRUE(makePath(folder + "/empty"));
    pickFolder(folder + "/empty");
    app->fileCleanup(CleanupTool::BlankLine);
    EXPECT_TRUE(notifier.shown().empty());

    // A run that stops says why, and not "Done".
    std::filesystem::create_symlink(folder + "/LF.NC",
                                    folder + "/" + std::string(kCleanupWorkFile));
    test::writeBytes(folder + "/TWO.NC", "A\n");
    notifier.script({NoticeAnswer::Yes});
    pickFolder(folder);
    app->fileCleanup(CleanupTool::Eob);
    ASSERT_EQ(notifier.shown().size(), 2u);
    EXPECT_NE(notifier.shown()[1].text, "Done");
    EXPECT_EQ(readFile(folder + "/TWO.NC").value_or("<missing>"), "A\n");
    std::filesystem::remove(folder + "/" + std::string(kCleanupWorkFile));

    // A file the tool passes over is named before "Done".
    test::writeBytes(folder + "/ODD.NC", "O2(../ODD)\n");
    notifier.clear();
    notifier.script({NoticeAnswer::Yes});
    pickFolder(folder);
    app->fileCleanup(CleanupTool::ReverseComment);
    ASSERT_EQ(notifier.shown().size(), 3u);
    EXPECT_EQ(notifier.shown()[1].text,
              folder + "/ODD.NC: its comment is not a file name in this folder");
    EXPECT_EQ(notifier.shown()[1].icon, NoticeIcon::Exclamation);
    EXPECT_EQ(notifier.shown()[2].text, "Done");
    std::filesystem::remove(folder + "/ODD.NC");

    // Mazak: a file of the folder is picked in an open dialog, and the tool is not locked.
    dir.write(kPasswordFile, "Rgno0\r\n");
    notifier.clear();
    notifier.script({NoticeAnswer::Yes});
    files.script(folder + "/LF.NC");
    app->fileCleanup(CleanupTool::MazakWorkNumber);
    ASSERT_FALSE(files.prompts().empty());
    EXPECT_EQ(files.prompts().back().title, "Filter a character");
    EXPECT_EQ(files.prompts().back().filter, "All files (*.*)|*.*||");
    EXPECT_EQ(files.prompts().back().directory, folder);
    EXPECT_EQ(readFile(folder + "/1").value_or("<missing>"), "%\r\nO1\r\n%\r\n");
    ASSERT_EQ(notifier.shown().size(), 2u);
    EXPECT_EQ(notifier.shown()[1].text, "Mazak Work Number rename is done");

    // The locked tools stop at a refused password.
    notifier.clear();
    test::onNextDialog<PasswordDialog>([](PasswordDialog& password) { password.reject(); });
    app->fileCleanup(CleanupTool::Okuma);
    EXPECT_TRUE(notifier.shown().empty());
}

TEST(FontMapping, AMissingFaceFallsBackToTheSystemFixedFont)
{
    LogFont font = FontSet::defaults()[0];
    font.faceName = "No Such Face 1234";
    const QFont shown = toQFont(font);
    EXPECT_EQ(shown.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_DOUBLE_EQ(shown.pointSizeF(), 14.0);
    EXPECT_EQ(shown.weight(), QFont::Normal);
}

TEST(FontMapping, WindowsFacesTakeTheirInstalledStandIns)
{
    // Each face of a new installation's C2Fonts.sys, and what this system draws it with:
    // Courier New's metric twin keeps printed page breaks where Windows puts them.
    const struct {
        const char* scenario;
        const char* face;
        const char* shown;
    } cases[] = {
        {"printer and port windows", "Courier New", "Liberation Mono"},
        {"any case", "courier new", "Liberation Mono"},
        {"editor", "Consolas", "DejaVu Sans Mono"},
        {"proportional", "Arial", "Liberation Sans"},
    };
    for (const auto& c : cases) {
        if (QFontDatabase::hasFamily(c.face))
            continue;  // the real face is there and wins
        LogFont font = FontSet::defaults()[1];
        font.faceName = c.face;
        EXPECT_EQ(toQFont(font).family(), c.shown) << c.scenario;
    }
}

TEST(DesktopCalculator, FoundOnTheSearchPathOrExplained)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    EXPECT_TRUE(findCalculator({bin.path()}).isEmpty());
    const QString fake = QDir(bin.path()).filePath("galculator");
    QFile file(fake);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(findCalculator({bin.path()}), fake);

    const QByteArray path = qgetenv("PATH");
    QTemporaryDir empty;
    qputenv("PATH", empty.path().toUtf8());
    ScriptedNotifier notifier;
    EXPECT_FALSE(startCalculator(notifier));
    qputenv("PATH", path);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_NE(notifier.texts()[0].find("No desktop calculator is installed."), std::string::npos);
}

TEST_F(ApplicationTest, TheRealProgramAsFirstInstanceTakesTheHandOver)
{
    QProcess first;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUILLONLT_HOME", QString::fromStdString(dir.workDir().root()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    first.setProcessEnvironment(environment);
    first.start(QUILLONLT_BINARY, {});
    ASSERT_TRUE(first.waitForStarted());
    settle([&] { return dir.exists("quillonlt.lock"); });
    ASSERT_TRUE(dir.exists("quillonlt.lock"));

    // The second start writes DROPIN.TXT; the first one takes the file and deletes it.
    EXPECT_EQ(runSecondStart({"/nc/O3000.NC"}), 0);
    settle([&] { return !dir.exists(kDropInFile); });
    EXPECT_FALSE(dir.exists(kDropInFile));
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

TEST(RecentFileList, KeepsEightFilesMostRecentFirst)
{
    test::TempWorkDir dir;
    RecentFileList list(dir.workDir());
    for (int i = 1; i <= 10; ++i)
        list.add(QStringLiteral("/nc/O%1.NC").arg(i));
    list.add("/nc/O5.NC");  // listed again: moves to the front, not twice
    ASSERT_EQ(list.files().size(), RecentFileList::kSize);
    EXPECT_EQ(list.files().front(), "/nc/O5.NC");
    EXPECT_EQ(list.files()[1], "/nc/O10.NC");
    EXPECT_EQ(list.files().back(), "/nc/O3.NC");
    EXPECT_EQ(list.files().count("/nc/O5.NC"), 1);
    list.save();

    RecentFileList read(dir.workDir());
    read.load();
    EXPECT_EQ(read.files(), list.files());
    const std::string ini = dir.read("QuillonLT.ini");
    EXPECT_NE(ini.find("[Recent%20File%20List]"), std::string::npos);
    EXPECT_NE(ini.find("File1=/nc/O5.NC"), std::string::npos);

    read.remove("/nc/O5.NC");
    read.save();
    RecentFileList shorter(dir.workDir());
    shorter.load();
    EXPECT_EQ(shorter.files().size(), RecentFileList::kSize - 1);
    EXPECT_EQ(shorter.files().front(), "/nc/O10.NC");
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST_F(ApplicationTest, DirectoryLogMakesAndOpensTheLogOfAMachinesFolder)
{
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    // No hub configured: the hub's setup is not found.
    app->directoryLog(true);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, kHubSetupNotFound);

    const std::string hub = dir.base() + "/hub";
    const std::string programs = dir.base() + "/nc/mill2";
    ASSERT_TRUE(makePath(hub + "/_setup"));
    ASSERT_TRUE(makePath(programs));
    test::writeBytes(hub + "/_setup/cairnconf.SYS",
                     "NM:MILL 1\r\nDT:/srv/mill1\r\nNM:MILL 2\r\nDT:" + programs + "\r\n");
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hub + "/", 0, ""}).ok);
    test::writeBytes(programs + "/O1000.NC", "%\nO1000 (BRACKET)\n(T1 DRILL)\nG90\n");

    std::vector<std::string> offered;
    std::optional<MachineSlot> machine = MachineSlot{0, 1};
    app->setMachineChooser([&](const HubConfiguration& configuration) {
        offered.clear();
        for (const HubMachine& slot : configuration.machines())
            offered.push_back(slot.name);
        return machine;
    });
    std::vector<FilePrompt> picked;
    app->setFolderPicker([&](const FilePrompt& prompt) -> std::optional<std::string> {
        picked.push_back(prompt);
        return programs;
    });
    notifier.clear();
    test::findByText<QAction>(*app->mainFrame(), "&Create")->trigger();
    ASSERT_GE(offered.size(), 2u);
    EXPECT_EQ(offered[1], "MILL 2");
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(picked[0].title, "Directory log");
    EXPECT_EQ(picked[0].directory, programs);
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(readFile(programs + "/_DirLog.sys").value_or("<missing>"),
              "O1000.NC\r\nO1000 (BRACKET)\r\n(T1 DRILL)\r\n\r\n");

    // View: the open dialog starts in the same folder; the log opens in the editor.
    files.script(programs + "/_DirLog.sys");
    app->directoryLog(false);
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "Directory log");
    EXPECT_EQ(files.prompts()[0].filter, "DirLog file (*.sys)|*.sys||");
    EXPECT_EQ(files.prompts()[0].directory, programs);
    ASSERT_NE(app->mainFrame()->documents().activeFrame(), nullptr);
    EXPECT_NE(app->mainFrame()->documents().activeFrame()->documentTitle().indexOf("_DirLog.sys"),
              -1);

    // A log that is not there is said; a folder with nothing to log makes none.
    files.script(programs + "/NONE.sys");
    app->directoryLog(false);
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, kNoDirectoryLogText);
    std::filesystem::remove(programs + "/O1000.NC");
    std::filesystem::remove(programs + "/_DirLog.sys");
    app->directoryLog(true);
    ASSERT_EQ(notifier.shown().size(), 2u);
    EXPECT_EQ(notifier.shown()[1].text, kNoDirectoryLogText);
    EXPECT_FALSE(fileExists(programs + "/_DirLog.sys"));

    // Cancel in the machine selection: nothing more is asked.
    machine.reset();
    picked.clear();
    app->directoryLog(true);
    EXPECT_TRUE(picked.empty());
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST_F(ApplicationTest, RemoteConfigurationIsWrittenAndItsFolderBringsTheRemoteMenu)
{
    auto app = makeApplication();
    app->setHostResolver([](const std::string& name, QObject*,
                            std::function<void(std::optional<std::int32_t>)> done) {
        // Host names are found whatever their case.
        const bool known =
            QString::fromStdString(name).compare("cairnhub", Qt::CaseInsensitive) == 0;
        done(known ? std::optional(ipv4Of(10, 0, 0, 5)) : std::nullopt);
    });
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    EXPECT_FALSE(app->remoteMonitoring());
    EXPECT_FALSE(app->mainFrame()->remoteMenuShown());

    const std::string hub = dir.base() + "/hub";
    ASSERT_TRUE(makePath(hub + "/_SETUP"));
    test::writeBytes(hub + "/_SETUP/CairnConf.sys", "NM:MILL 1\r\nNM:MILL 2\r\n");
    // A list that still has MILL 2 on hub 3: the start-up reconcile moves it.
    test::writeBytes(dir.path("MonList.sys"), "MILL 2,3,0\r\n");
    test::onNextDialog<RemoteConfigDialog>([&](RemoteConfigDialog& dialog) {
        dialog.directoryEdit()->setText(QString::fromStdString(hub + "/QUILLON.EXE"));
        dialog.nameEdit()->setText("cairnhub");
        dialog.resolveButton()->click();
        dialog.accept();
    });
    test::findByText<QAction>(*app->mainFrame(), "&Quillon remote")->trigger();
    EXPECT_EQ(readFile(dir.path("VoskCONF.SYS")).value_or("<missing>"),
              hub + "/\r\n167772165\r\nCAIRNHUB\r\n");
    // The name and the address changed: the link takes them at the next start.
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, kRestartAfterRemoteChange);

    // The next tick of the main timer puts the remote menu in, after "&Tools", and runs
    // the reconcile once.
    EXPECT_TRUE(app->remoteMonitoring());
    EXPECT_TRUE(QTest::qWaitFor([&] { return app->mainFrame()->remoteMenuShown(); }, 5000));
    const QList<QAction*> menus = app->mainFrame()->menuBar()->actions();
    const auto tools = std::find_if(menus.begin(), menus.end(),
                                    [](QAction* menu) { return menu->text() == "&Tools"; });
    ASSERT_NE(tools, menus.end());
    ASSERT_NE(tools + 1, menus.end());
    EXPECT_EQ((*(tools + 1))->text(), "RemoteDNC");
    EXPECT_EQ(readFile(dir.path("MonList.sys")).value_or("<missing>"), "MILL 2,0,1\r\n");

    // Unchanged: nothing to restart for.
    notifier.clear();
    test::onNextDialog<RemoteConfigDialog>([](RemoteConfigDialog& dialog) { dialog.accept(); });
    app->remoteConfiguration();
    EXPECT_TRUE(notifier.shown().empty());
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST_F(ApplicationTest, CreateListToDisplayWritesTheListsAndTheViewsTakeTheNewSettings)
{
    // The settings are locked, but this command is not behind the lock.
    dir.write(kPasswordFile, "Rgno0\r\n");
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    QAction* command = test::findByText<QAction>(*app->mainFrame(), "&Create list to Display");
    ASSERT_NE(command, nullptr);
    // A dialog that opened where it should not is closed, and counted.
    int opened = 0;
    test::onNextDialog<MonitoringListDialog>([&opened](MonitoringListDialog& dialog) {
        ++opened;
        dialog.reject();
    });

    // No hub, then a hub without its monitoring setup: said, and the dialog stays shut.
    command->trigger();
    const std::string hub = dir.base() + "/hub";
    ASSERT_TRUE(makePath(hub + "/_SETUP"));
    test::writeBytes(hub + "/_SETUP/CairnConf.sys", "NM:MILL 1\r\nNM:MILL 2\r\n");
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hub + "/", 0, ""}).ok);
    command->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{std::string(kHubSetupNotFound),
                                        std::string(kMonitorSetupNotFoundForList)}));

    // No password is asked: the list dialog is the first to open.
    test::writeBytes(hub + "/_SETUP/MonSetup.sys", "1,1\r\nON:1\r\nTH:0\r\n1,2\r\nON:1\r\n");
    notifier.clear();
    test::onNextDialog<MonitoringListDialog>([](MonitoringListDialog& dialog) {
        dialog.monitored()->selectAll();
        dialog.addButton(DisplayedList::TimeLine)->click();
        test::edit(dialog, "timelineRotation")->setText("30");
        dialog.accept();
    });
    command->trigger();
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_EQ(readFile(dir.path("MonList.sys")).value_or("<missing>"), "");
    EXPECT_EQ(readFile(dir.path("MonList2.sys")).value_or("<missing>"),
              "MILL 1,0,0\r\nMILL 2,0,1\r\n::::10,0,0,30,0\r\n");
    EXPECT_EQ(app->monitorViewSettings().timelineRotation, 30);
    EXPECT_TRUE(app->monitorViewSettings().rotationOn());

    // Cancel keeps what the views run with.
    test::onNextDialog<MonitoringListDialog>([](MonitoringListDialog& dialog) {
        test::edit(dialog, "timelineRotation")->setText("0");
        dialog.reject();
    });
    command->trigger();
    EXPECT_EQ(app->monitorViewSettings().timelineRotation, 30);
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

// Keeps the datagrams the link hands to a machine display.
class CollectingDisplay final : public DatagramReceiver {
public:
    void datagramArrived(std::string_view bytes) override { received.emplace_back(bytes); }
    std::vector<std::string> received;
};

TEST_F(ApplicationTest, TheLinkIsBoundAtStartUpAndCarriesDatagramsBothWays)
{
    // A hub on 127.0.0.2 and this computer on 127.0.0.1, on one free port.
    auto hub = UdpSocket::bind(ipv4Of(127, 0, 0, 2), 0);
    ASSERT_TRUE(hub.socket);
    const std::uint16_t port = hub.socket->localPort();
    ::setenv("QUILLONLT_UDP_PORT", std::to_string(port).c_str(), 1);
    ASSERT_TRUE(
        writeRemoteConfig(dir.workDir(), {dir.base() + "/hub/", ipv4Of(127, 0, 0, 2), ""}).ok);

    auto app = makeApplication();
    std::vector<std::vector<std::int32_t>> offered;
    app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1), ipv4Of(10, 0, 0, 5)}; });
    app->setAddressChooser([&](const std::vector<std::int32_t>& addresses) {
        offered.push_back(addresses);
        return std::optional(addresses.front());
    });
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->hubChannel() != nullptr; }, 5000))
        << (notifier.shown().empty() ? "" : notifier.shown().back().text);
    // Two addresses: the chooser was asked once and its pick is kept in Margins.sys.
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(readMarginsFile(dir.workDir()).localIpAddress, ipv4Of(127, 0, 0, 1));

    CollectingDisplay display;
    app->hubChannel()->link().machineDisplayOpened(display);
    app->hubChannel()->link().sendWord("MCH_VIEW,");
    ASSERT_TRUE(hub.socket->waitReadable(5000));
    const auto request = hub.socket->receive();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->bytes, std::string("MCH_VIEW,2130706433", 20));
    EXPECT_EQ(request->sourcePort, port);

    // The hub's answer reaches the display through the event loop; another sender's not.
    auto stranger = UdpSocket::bind(ipv4Of(127, 0, 0, 3), 0);
    ASSERT_TRUE(stranger.socket);
    ASSERT_TRUE(stranger.socket->send(ipv4Of(127, 0, 0, 1), port, std::string("_MCHINI:X\0", 10)));
    const std::string names = "_MCHINI:" + std::string(300, 'A') + std::string(1, '\0');
    ASSERT_TRUE(hub.socket->send(request->sourceAddress, request->sourcePort, names));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !display.received.empty(); }, 5000));
    ASSERT_EQ(display.received.size(), 1u);
    EXPECT_EQ(display.received[0], names);
    app->hubChannel()->link().machineDisplayClosed();
    ::unsetenv("QUILLONLT_UDP_PORT");
}

// quillonlt-hubsim on 127.0.0.2 and a free port, its folder under the test's, for as long as
// the test runs.
class SimulatedHub {
public:
    SimulatedHub(const std::string& hubDirectory, const QStringList& options)
    {
        auto probe = UdpSocket::bind(ipv4Of(127, 0, 0, 2), 0);
        if (!probe.socket)
            return;
        port = probe.socket->localPort();
        probe.socket.reset();
        m_process.start(QStringLiteral(QUILLONLT_HUBSIM_BINARY),
                        QStringList{"--address", "127.0.0.2", "--port", QString::number(port),
                                    "--hub-dir", QString::fromStdString(hubDirectory)} +
                            options);
        started = m_process.waitForStarted(5000);
    }
    ~SimulatedHub()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    // What it said on its standard output so far.
    QByteArray said() { return m_said += m_process.readAllStandardOutput(); }

    std::uint16_t port = 0;
    bool started = false;

private:
    QProcess m_process;
    QByteArray m_said;
};

TEST_F(ApplicationTest, TheLinkComesUpAgainstTheSimulatedHubAndFollowsBothFeeds)
{
    SimulatedHub hub(dir.base() + "/hub", {"--machines", "6", "--seed", "5", "--speed", "120"});
    ASSERT_TRUE(hub.started);
    const std::uint16_t port = hub.port;
    ASSERT_TRUE(QTest::qWaitFor([&] { return hub.said().contains("6 machines"); }, 5000));

    ::setenv("QUILLONLT_UDP_PORT", std::to_string(port).c_str(), 1);
    ASSERT_TRUE(
        writeRemoteConfig(dir.workDir(), {dir.base() + "/hub/", ipv4Of(127, 0, 0, 2), ""}).ok);
    auto app = makeApplication();
    app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1)}; });
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->hubChannel() != nullptr; }, 5000));
    HubLink& link = app->hubChannel()->link();
    // The hub's folder brings the remote menu.
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->mainFrame()->remoteMenuShown(); }, 5000));

    // The machine display: the link asks on its third tick, the display answers the names.
    CollectingDisplay display;
    link.machineDisplayOpened(display);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !display.received.empty(); }, 8000));
    EXPECT_EQ(display.received[0].rfind("_MCHINI:", 0), 0u);
    link.sendWord("_MCHUPDATE,");
    const auto states = [&] {
        return std::ranges::count_if(
            display.received, [](const std::string& d) { return d.rfind("_MCHUPDATE:", 0) == 0; });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return states() > 0; }, 5000));
    EXPECT_TRUE(link.machineFeedActive());

    // A monitoring view: the start list, then the record it asks for.
    CollectingDisplay view;
    link.monitoringViewOpened(MonitoringView::Detailed, view);
    link.sendWord("REMOTE_VIEW,");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.received.empty(); }, 5000));
    EXPECT_EQ(view.received[0].rfind("_INI:@", 0), 0u);
    link.sendMachineRequest("_UPDATE,", MachineSlot{0, 3});
    const auto recordOf = [&](std::string_view start) {
        return std::ranges::any_of(view.received,
                                   [&](const std::string& d) { return d.rfind(start, 0) == 0; });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return recordOf("_UPDATE:0,3,"); }, 5000));

    // Both windows close: the next datagrams end both feeds, and the hub stops them.
    link.machineDisplayClosed();
    link.monitoringViewClosed(MonitoringView::Detailed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hub.said().count("feed stopped") == 2; }, 15000))
        << hub.said().toStdString();
    EXPECT_FALSE(link.machineFeedActive());
    EXPECT_FALSE(link.monitoringFeedActive());
    ::unsetenv("QUILLONLT_UDP_PORT");
}

TEST_F(ApplicationTest, TheMachineDisplayFillsFromTheSimulatedHub)
{
    const std::string hubDir = dir.base() + "/hub";
    SimulatedHub hub(hubDir, {"--machines", "6", "--seed", "5", "--speed", "120", "--quiet"});
    ASSERT_TRUE(hub.started);
    ::setenv("QUILLONLT_UDP_PORT", std::to_string(hub.port).c_str(), 1);
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hubDir + "/", ipv4Of(127, 0, 0, 2), ""}).ok);
    auto app = makeApplication();
    app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1)}; });
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->hubChannel() != nullptr; }, 5000));

    SystemClock clock;
    const MonitorEnvironment env{dir.workDir(),
                                 notifier,
                                 clock,
                                 app->hubChannel()->link(),
                                 app->remoteConfig().hubDirectory,
                                 app->statusTable(),
                                 app->monitorViewSettings()};
    QPointer<MachineDisplayWindow> window = new MachineDisplayWindow(env);
    // The link asks on its third tick; the names come, the display asks for the states.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->machineButton(0) != nullptr; }, 10000));
    const auto configuration = readHubConfiguration(hubDir);
    ASSERT_TRUE(configuration);
    EXPECT_EQ(window->machineButton(0)->text().toStdString(),
              std::string(configuration->nameOf({0, 0})).substr(0, kMachineNameLimit));
    window->tick();
    EXPECT_NE(window->model().groupState(0), ButtonState::Unmonitored);
    window->close();
    ::unsetenv("QUILLONLT_UDP_PORT");
}

TEST_F(ApplicationTest, TheCurrentShiftOfASimulatedMachineGrowsInItsGraph)
{
    const std::string hubDir = dir.base() + "/hub";
    // Two hours into the shift under way, so that no shift change (06:00, 14:00, 22:00 UTC)
    // falls in the minutes of the simulated day this test watches.
    constexpr std::int64_t kShiftSeconds = 8 * 3600;
    constexpr std::int64_t kFirstShift = 6 * 3600;
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    const std::int64_t start =
        kFirstShift + (now - kFirstShift) / kShiftSeconds * kShiftSeconds + 2 * 3600;
    SimulatedHub hub(hubDir, {"--machines", "4", "--seed", "7", "--speed", "600", "--history", "1",
                              "--start", QString::number(start), "--quiet"});
    ASSERT_TRUE(hub.started);
    // The hub writes the shift's records as they happen, its first ones within a second.
    const std::string current = hubDir + "/_TMP/MonitorData00.SYS_";
    const std::string first = hubDir + "/_TMP/MonitorData000.SYS_";
    ASSERT_TRUE(QTest::qWaitFor([&] { return fileExists(current) || fileExists(first); }, 5000));
    const auto setup = readMonitorSetup(hubDir);
    ASSERT_TRUE(setup);
    const StationKind kind = setup->stationKind(MachineSlot{0, 0}).value_or(StationKind::Single);

    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hubDir + "/", 0, ""}).ok);
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    ShiftWindows& windows = app->mainFrame()->shiftWindows();
    // As "View &Current shift" does, after its "Display/List".
    windows.setHubDirectory(app->remoteConfig().hubDirectory);
    windows.setRefreshSeconds(app->monitorViewSettings().refreshSeconds);
    if (kind != StationKind::Single) {
        test::onNextDialog<HeadsPalletsDialog>([](HeadsPalletsDialog& ask) {
            ask.option(StationChoice::First)->setChecked(true);
            ask.accept();
        });
    }
    windows.openCurrentShift({MachineSlot{0, 0}, kind});
    ASSERT_EQ(windows.graphs().size(), 1u)
        << (notifier.shown().empty() ? "" : notifier.shown().back().text);
    ShiftGraphWindow& graph = *windows.graphs()[0];
    EXPECT_TRUE(graph.refreshing());
    const std::size_t before = graph.graph().intervals.size();
    ASSERT_GT(before, 0u);
    // Ten simulated minutes a second: the next refreshes bring new intervals, and the last
    // one runs up to now.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            graph.refresh();
            return graph.graph().intervals.size() > before + 3;
        },
        15000));
    graph.resize(1100, 320);
    test::saveScreenshot(graph, "shift-graph-current");

    // Yesterday's last whole shift of the same machine, from the month folders.
    const auto configuration = readHubConfiguration(hubDir);
    ASSERT_TRUE(configuration);
    const QString name = QString::fromStdString(std::string(configuration->nameOf({0, 0})));
    QString archived;
    qint64 largest = 0;
    QDirIterator month(QString::fromStdString(hubDir + "/_MONITORING"), {"*.MON"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (month.hasNext()) {
        const QFileInfo file(month.next());
        if (file.fileName().contains("_" + name + "_SHIFT") && file.size() > largest &&
            !file.fileName().contains("_HEAD2") && !file.fileName().contains("_PALLET2")) {
            archived = file.filePath();
            largest = file.size();
        }
    }
    ASSERT_FALSE(archived.isEmpty()) << name.toStdString();
    files.script(archived.toStdString());
    windows.viewPiechart();
    ASSERT_EQ(windows.pies().size(), 1u);
    windows.pies()[0]->resize(900, 600);
    test::saveScreenshot(*windows.pies()[0], "shift-pie-simulated");

    files.script(archived.toStdString());
    windows.viewGraph();
    ASSERT_EQ(windows.graphs().size(), 2u);
    int cycles = 0;
    test::onNextDialog<ShiftCycleTimeDialog>([&cycles](ShiftCycleTimeDialog& dialog) {
        if (dialog.partNumbers()->count() > 0)
            dialog.partNumbers()->setCurrentIndex(0);
        dialog.selectPart(0);
        cycles = dialog.details()->count() - 1;
        dialog.resize(860, 480);
        test::saveScreenshot(dialog, "shift-cycle-time-simulated");
        dialog.reject();
    });
    windows.graphs()[1]->cycleTimeAction()->trigger();
    EXPECT_GT(cycles, 0) << "a simulated shift has cycles";
}

TEST_F(ApplicationTest, TheFourLiveWindowsShowTheSimulatedFloor)
{
    const std::string hubDir = dir.base() + "/hub";
    SimulatedHub hub(hubDir, {"--machines", "16", "--seed", "1", "--speed", "60", "--history", "1",
                              "--demo", "--quiet"});
    ASSERT_TRUE(hub.started);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return fileExists(hubDir + "/_TMP/MonitorData00.SYS_"); }, 5000));
    const auto configuration = readHubConfiguration(hubDir);
    ASSERT_TRUE(configuration);
    // Two cells of eight under a title, as a shop lists its floor; the timeline lists all.
    std::string list = "_MT_QuillonLT demo floor\r\n";
    std::string timelineList = list;
    for (int index = 0; index < 16; ++index) {
        const MachineSlot slot = MachineSlot::ofIndex(index);
        if (index % 8 == 0)
            list += "_ST_Cell " + std::string(1, char('A' + index / 8)) + "\r\n";
        const std::string line = std::string(configuration->nameOf(slot)) + "," +
                                 std::to_string(slot.hub) + "," + std::to_string(slot.port) +
                                 "\r\n";
        list += line;
        timelineList += line;
    }
    dir.write("MonList.sys", list);
    dir.write("MonList2.sys", timelineList + "::::10,0,0,0,0\r\n");
    ::setenv("QUILLONLT_UDP_PORT", std::to_string(hub.port).c_str(), 1);
    ASSERT_TRUE(writeRemoteConfig(dir.workDir(), {hubDir + "/", ipv4Of(127, 0, 0, 2), ""}).ok);

    auto app = makeApplication();
    app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1)}; });
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->hubChannel() != nullptr; }, 5000));
    CMainFrame* frame = app->mainFrame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->remoteMenuShown(); }, 5000));
    frame->resize(1600, 1200);
    for (const MonitorDisplay kind : {MonitorDisplay::Machines, MonitorDisplay::Detailed,
                                      MonitorDisplay::Graph, MonitorDisplay::TimeLine})
        frame->openMonitorDisplay(kind);
    MonitorDisplays& displays = frame->monitorDisplays();
    auto* machines =
        qobject_cast<MachineDisplayWindow*>(displays.window(MonitorDisplay::Machines));
    auto* detailed = qobject_cast<DetailedViewWindow*>(displays.window(MonitorDisplay::Detailed));
    auto* graph = qobject_cast<GraphViewWindow*>(displays.window(MonitorDisplay::Graph));
    auto* timeline = qobject_cast<TimelineViewWindow*>(displays.window(MonitorDisplay::TimeLine));
    ASSERT_TRUE(machines && detailed && graph && timeline);

    // Every window fills from the hub: buttons, rows, pies with time in them, shift bars.
    const auto pieWithTime = [&] {
        return std::ranges::count_if(graph->content().pies, [](const GraphPie& pie) {
                   return std::ranges::any_of(pie.seconds, [](std::int64_t s) { return s > 0; });
               }) == 16;
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return machines->model().created() && detailed->model().rowsBuilt() &&
                   timeline->rowsBuilt() && pieWithTime();
        },
        15000));
    EXPECT_EQ(detailed->model().rows().size(), 16u + 3u);  // the machines and three titles
    EXPECT_EQ(timeline->machines().size(), 16u);
    EXPECT_TRUE(std::ranges::any_of(timeline->bars(),
                                    [](const ShiftGraph& bar) { return !bar.intervals.empty(); }));
    machines->resize(760, 700);
    detailed->resize(1500, 1000);
    graph->resize(1000, 760);
    timeline->resize(1400, 1000);
    QTest::qWait(1500);  // a tick of each window's own timer paints the latest
    test::saveScreenshot(*machines, "live-machines");
    test::saveScreenshot(*detailed, "live-detailed");
    test::saveScreenshot(*graph, "live-graph");
    test::saveScreenshot(*timeline, "live-timeline");
    displays.closeAll();
    ::unsetenv("QUILLONLT_UDP_PORT");
}

TEST_F(ApplicationTest, WithoutALinkTheMonitoringCommandsSaySoAndABindFailureIsTold)
{
    // A hub address but the port already taken on this computer's address.
    auto taken = UdpSocket::bind(ipv4Of(127, 0, 0, 1), 0);
    ASSERT_TRUE(taken.socket);
    ::setenv("QUILLONLT_UDP_PORT", std::to_string(taken.socket->localPort()).c_str(), 1);
    ASSERT_TRUE(
        writeRemoteConfig(dir.workDir(), {dir.base() + "/hub/", ipv4Of(127, 0, 0, 2), ""}).ok);
    auto app = makeApplication();
    app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1)}; });
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notifier.shown().empty(); }, 5000));
    EXPECT_EQ(notifier.shown()[0].text, "Bind error - 2: " + std::to_string(EADDRINUSE));
    EXPECT_EQ(app->hubChannel(), nullptr);

    notifier.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return app->mainFrame()->remoteMenuShown(); }, 5000));
    test::findByText<QAction>(*app->mainFrame()->remoteMenu(), "&Remote monitor/Detailed")
        ->trigger();
    ASSERT_EQ(notifier.shown().size(), 1u);
    EXPECT_EQ(notifier.shown()[0].text, "No Ethernet communications");
    ::unsetenv("QUILLONLT_UDP_PORT");
}

// A program linked to a hub that is only a socket on 127.0.0.2, with stand-in windows
// for the four live displays and a main timer of 20 ms.
class LinkedDisplaysTest : public ApplicationTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hub.socket);
        ::setenv("QUILLONLT_UDP_PORT", std::to_string(hub.socket->localPort()).c_str(), 1);
        ASSERT_TRUE(makePath(dir.base() + "/hub/_SETUP"));
        test::writeBytes(dir.base() + "/hub/_SETUP/CairnConf.sys", "NM:MILL 1\r\n");
        test::writeBytes(dir.base() + "/hub/_SETUP/GraphColor.sys",
                         "1,0,16777215\r\n65280,CYCLE ON\r\n255,CYCLE OFF\r\n"
                         "16711680,SETUP\r\n8421631,MAINTENANCE\r\n");
        ASSERT_TRUE(
            writeRemoteConfig(dir.workDir(), {dir.base() + "/hub/", ipv4Of(127, 0, 0, 2), ""}).ok);
    }
    void TearDown() override { ::unsetenv("QUILLONLT_UDP_PORT"); }

    void startLinked()
    {
        app = makeApplication();
        app->setLocalAddresses([] { return std::vector{ipv4Of(127, 0, 0, 1)}; });
        ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
        ASSERT_TRUE(QTest::qWaitFor([&] { return app->hubChannel() != nullptr; }, 5000));
        frame = app->mainFrame();
        MonitorDisplays& displays = frame->monitorDisplays();
        displays.registerFactory(MonitorDisplay::Machines, machines.factory());
        displays.registerFactory(MonitorDisplay::Detailed, detailed.factory());
        displays.registerFactory(MonitorDisplay::Graph, graph.factory());
        displays.registerFactory(MonitorDisplay::TimeLine, timeline.factory());
        frame->startMainTimer(20);
    }

    static bool shown(const test::FakeWindowFactory& kind)
    {
        return kind.made > 0 && kind.last && kind.last->isVisible();
    }

    UdpSocket::Bound hub = UdpSocket::bind(ipv4Of(127, 0, 0, 2), 0);
    std::unique_ptr<QuillonApplication> app;
    CMainFrame* frame = nullptr;
    test::FakeWindowFactory machines, detailed, graph, timeline;
};

TEST_F(LinkedDisplaysTest, TheRemoteMenuAndTheToolbarOpenTheLiveWindows)
{
    ASSERT_NO_FATAL_FAILURE(startLinked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->remoteMenuShown(); }, 5000));
    for (const char* command : {"&Machine Remote View", "&Remote monitor/Detailed",
                                "Display machines/&Graph", "Remote monitor/&TimeLine"})
        test::findByText<QAction>(*frame->remoteMenu(), command)->trigger();
    EXPECT_EQ(machines.made, 1);
    EXPECT_EQ(detailed.made, 1);
    EXPECT_EQ(graph.made, 1);
    EXPECT_EQ(timeline.made, 1);
    EXPECT_EQ(detailed.last->hubDirectory, app->remoteConfig().hubDirectory);
    // The windows share the program's status table, the hub's names and colours in it.
    EXPECT_EQ(detailed.last->statuses, &app->statusTable());
    EXPECT_EQ(app->statusTable().names[3], "MAINTENANCE");
    EXPECT_EQ(app->statusTable().colors[3], 8421631u);
    EXPECT_EQ(detailed.last->geometry(), frame->monitorDisplays().firstPlace());

    // The toolbar's button brings the detailed view back rather than making another.
    detailed.last->hide();
    test::findByText<QAction>(*frame->toolBar(), "&Remote monitor/Detailed")->trigger();
    EXPECT_TRUE(shown(detailed));
    EXPECT_EQ(detailed.made, 1);
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(LinkedDisplaysTest, ACommandLineWordOpensItsViewAFewTicksAfterStartUp)
{
    dir.write(kCommandFile, "\"/usr/bin/quillonlt\" \"-SHOW_TIME_WIN\"\r\n");
    ASSERT_NO_FATAL_FAILURE(startLinked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(timeline); }, 5000));
    EXPECT_EQ(detailed.made, 0);
    EXPECT_FALSE(dir.exists(kCommandFile));
    EXPECT_FALSE(frame->monitorRotation().current());
}

TEST_F(LinkedDisplaysTest, InRotationTheCommandLineWordsAreNotReadAndTheViewsTakeTurns)
{
    // Detailed and graph views 10 seconds each (ticks here), the timeline left out.
    dir.write("MonList2.sys", "::::10,10,10,0,0\r\n");
    dir.write(kCommandFile, "\"/usr/bin/quillonlt\" \"-SHOW_TIME_WIN\"\r\n");
    ASSERT_NO_FATAL_FAILURE(startLinked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(detailed); }, 5000));
    EXPECT_FALSE(dir.exists(kCommandFile));
    // The graph's turn: the detailed view is hidden, not closed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(graph); }, 5000));
    EXPECT_FALSE(detailed.last->isVisible());
    EXPECT_EQ(frame->monitorDisplays().window(MonitorDisplay::Detailed), detailed.last);
    // And the detailed view's again, the same window.
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(detailed); }, 5000));
    EXPECT_FALSE(graph.last->isVisible());
    EXPECT_EQ(detailed.made, 1);
    EXPECT_EQ(graph.made, 1);
    EXPECT_EQ(timeline.made, 0);
    EXPECT_TRUE(notifier.shown().empty());
}

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

TEST_F(ApplicationTest, TheStatusTableComesFromTheHubAndTheColourDialogChangesItForTheRun)
{
    const std::string hub = dir.base() + "/hub";
    const std::string colors =
        "1,0,16777215\r\n65280,CYCLE ON\r\n255,X\r\n255,X\r\n"
        "8421504,WARM UP\r\n";
    ASSERT_TRUE(makePath(hub + "/_SETUP"));
    test::writeBytes(hub + "/_SETUP/GraphColor.sys", colors);
    dir.write("VoskCONF.SYS", hub + "/\r\n0\r\n\r\n");
    auto app = makeApplication();
    ASSERT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    EXPECT_EQ(app->statusTable().names[3], "WARM UP");
    EXPECT_EQ(app->statusTable().colors[3], 8421504u);

    test::onNextDialog<StatusColorsDialog>([](StatusColorsDialog& dialog) {
        dialog.findChild<QLineEdit*>("name3")->setText("WARMING");
        dialog.accept();
    });
    test::findByText<QAction>(*app->mainFrame(), "&View graph/pie colors")->trigger();
    EXPECT_EQ(app->statusTable().names[3], "WARMING");
    EXPECT_EQ(readFile(hub + "/_SETUP/GraphColor.sys"), colors);

    // Another hub folder brings its own table.
    const std::string other = dir.base() + "/other";
    ASSERT_TRUE(makePath(other + "/_SETUP"));
    test::writeBytes(other + "/_SETUP/GraphColor.sys", "1\r\n\r\n\r\n\r\n1,PROBING\r\n");
    test::onNextDialog<RemoteConfigDialog>([&](RemoteConfigDialog& dialog) {
        dialog.directoryEdit()->setText(QString::fromStdString(other + "/QUILLON.EXE"));
        dialog.accept();
    });
    app->remoteConfiguration();
    EXPECT_EQ(app->statusTable().names[3], "PROBING");
}

}  // namespace
}  // namespace quillon
