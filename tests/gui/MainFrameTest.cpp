#include "app/ui/CMainFrame.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include "app/HandOff.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/QuillonApplication.h"
#include "dnc/ui/CommWindows.h"
#include "dnc/ui/SelectConfigurationDialog.h"
#include "dnc/ui/TransmitDialogs.h"
#include "dnc/ui/TransmitWindow.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/DirectoryTree.h"
#include "gui/GuiTestSupport.h"
#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/PseudoTerminal.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

class MainFrameTest : public ::testing::Test {
protected:
    std::unique_ptr<QuillonApplication> start(const QStringList& commandLine = {"quillonlt"})
    {
        auto app = std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier,
                                                        &files, clock.get());
        started = app->start(commandLine);
        return app;
    }

    static void settle(const std::function<bool()>& done, int ms = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    std::string program(const std::string& name)
    {
        dir.write(name, "N10 G0 X0\r\nM30\r\n");
        return dir.path(name);
    }

    test::TempWorkDir dir;
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    std::unique_ptr<FixedClock> clock = std::make_unique<FixedClock>(1'765'000'000);
    QuillonApplication::StartResult started{};
};

TEST_F(MainFrameTest, ABrokenClockEndsTheStart)
{
    clock = std::make_unique<FixedClock>(5000);
    auto app = start();
    EXPECT_EQ(started, QuillonApplication::StartResult::Failed);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Computer time issue"});
}

TEST_F(MainFrameTest, TheSecondTickOpensTheFilesOfTheCommandFile)
{
    const std::string file = program("O7.NC");
    // Left by a start whose file could not be handed over at once.
    dir.write(kCommandFile, "\"/usr/bin/quillonlt\" \"" + file + "\"\r\n");
    auto app = start();
    ASSERT_EQ(started, QuillonApplication::StartResult::Run);
    CMainFrame* frame = app->mainFrame();
    EXPECT_TRUE(frame->documents().frames().isEmpty());
    frame->startMainTimer(20);
    settle([&] { return !frame->documents().frames().isEmpty(); });
    ASSERT_EQ(frame->documents().frames().size(), 1);
    EXPECT_EQ(frame->documents().frames()[0]->document().pathName(), file);
    EXPECT_FALSE(dir.exists(kCommandFile));
}

TEST_F(MainFrameTest, TheRealProgramReadsItsCommandFileOnTheSecondTick)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUILLONLT_HOME", QString::fromStdString(dir.workDir().root()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    const QString file = QString::fromStdString(this->program("O8.NC"));
    program.start(QUILLONLT_BINARY, {file});
    ASSERT_TRUE(program.waitForStarted());
    // The line is appended to a file that exists a moment before it holds the line.
    const std::string quoted = "\"" + file.toStdString() + "\"";
    settle([&] { return dir.read(kCommandFile).find(quoted) != std::string::npos; });
    EXPECT_NE(dir.read(kCommandFile).find(quoted), std::string::npos);
    settle([&] { return !dir.exists(kCommandFile); }, 6000);
    EXPECT_FALSE(dir.exists(kCommandFile));
    EXPECT_EQ(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished();
}

TEST_F(MainFrameTest, AMonitoringWindowAskedForWithoutALinkSaysSoOnce)
{
    dir.write(kCommandFile, "\"/usr/bin/quillonlt\" \"-SHOW_TIME_WIN\"\r\n");
    auto app = start();
    ASSERT_EQ(started, QuillonApplication::StartResult::Run);
    CMainFrame* frame = app->mainFrame();
    int due = 0;
    QObject::connect(frame, &CMainFrame::monitorWindowDue, [&](bool timeLine) {
        EXPECT_TRUE(timeLine);
        ++due;
    });
    frame->startMainTimer(20);
    settle([&] { return due > 0; });
    settle([] { return false; }, 200);  // a few more ticks: the request ended
    EXPECT_EQ(due, 1);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"No Ethernet communications"});
}

TEST_F(MainFrameTest, TheSixthFileDroppedBeforeAnIdlePassIsDropped)
{
    auto app = start();
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(writeDropIn(dir.workDir(), program("D" + std::to_string(i) + ".NC")));
        app->openDroppedFile();  // each hand-over before the event loop runs again
    }
    EXPECT_EQ(app->openFileQueue().freeSlots(), 0u);
    settle([&] { return app->openFileQueue().empty(); });
    QCoreApplication::processEvents();
    const auto frames = app->mainFrame()->documents().frames();
    ASSERT_EQ(frames.size(), 5);
    for (auto* frame : frames)
        EXPECT_EQ(frame->document().pathName().find("D6.NC"), std::string::npos);
}

TEST_F(MainFrameTest, CtrlTabCyclesThroughTheWindowsInTheOrderOfUse)
{
    auto app = start();
    CMainFrame* frame = app->mainFrame();
    frame->activateWindow();
    std::vector<CChildFrame*> opened;
    for (const char* name : {"A.NC", "B.NC", "C.NC"})
        opened.push_back(frame->documents().openFile(QString::fromStdString(program(name))));
    QMdiArea* area = frame->mdiArea();
    auto active = [&] { return qobject_cast<CChildFrame*>(area->activeSubWindow()->widget()); };
    ASSERT_EQ(active(), opened[2]);

    // Ctrl held down over several Tabs, as a hand does it.
    auto key = [area](QEvent::Type type, int code, Qt::KeyboardModifiers mods) {
        QKeyEvent event(type, code, mods);
        QApplication::sendEvent(area, &event);
    };
    key(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    key(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(active(), opened[1]);
    key(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(active(), opened[0]);
    key(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    // A, the window reached, is now the most recent: a quick Ctrl+Tab goes back to C.
    QTest::keyClick(area, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(active(), opened[2]);
}

TEST_F(MainFrameTest, MenusToolbarAndTheRemoteMenu)
{
    auto app = start();
    CMainFrame* frame = app->mainFrame();
    frame->resize(900, 520);  // the offscreen screen's half is too small to read
    test::saveScreenshot(*frame, "guide-first-start");
    QStringList titles;
    for (QAction* menu : frame->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Utilities", "D&NC", "&Settings",
                                   "&Tools", "&Window", "&Help"}));
    // The spreadsheet program is chosen without the hub.
    QAction* spreadsheetPath = test::findByText<QAction>(*frame, "E&XCEL.EXE path");
    ASSERT_TRUE(spreadsheetPath);
    EXPECT_TRUE(spreadsheetPath->isEnabled());
    // The shop calculators need no program.
    for (const auto& [text, tip] :
         {std::pair{"&Bolt hole circle", "Bolt hole circle calculation"},
          std::pair{"&Right angle triangle",
                    "Calculate side(s) and/or angle(s) in a right angle triangle"},
          std::pair{"S&urface speed", "Surface speed calculation"}}) {
        QAction* action = test::findByText<QAction>(*frame, text);
        ASSERT_TRUE(action) << text;
        EXPECT_TRUE(action->isEnabled()) << text;
        EXPECT_EQ(action->statusTip(), tip) << text;
    }
    EXPECT_EQ(frame->toolBar()->objectName(), "QuillonLTtoolbar");
    // The program commands work on the active program only.
    EXPECT_FALSE(test::findByText<QAction>(*frame, "&Save")->isEnabled());
    EXPECT_FALSE(test::findByText<QAction>(*frame, "C&ycle time")->isEnabled());
    EXPECT_FALSE(test::findByText<QAction>(*frame, "3D Step by Step")->isEnabled());
    for (const auto& [text, keys] : {std::pair{"&Find...", QKeySequence("Ctrl+F")},
                                     std::pair{"Find &Prev", QKeySequence("Shift+F3")},
                                     std::pair{"Pr&ev Bookmark", QKeySequence("Shift+F2")}}) {
        QAction* action = test::findByText<QAction>(*frame, text);
        ASSERT_TRUE(action) << text;
        EXPECT_EQ(action->shortcut(), keys) << text;
        EXPECT_FALSE(action->isEnabled()) << text;
    }
    CChildFrame* child = frame->documents().openFile(QString::fromStdString(program("A.NC")));
    ASSERT_TRUE(child);
    EXPECT_TRUE(test::findByText<QAction>(*frame, "&Find...")->isEnabled());
    EXPECT_TRUE(test::findByText<QAction>(*frame, "C&ycle time")->isEnabled());
    // The caret's place shows while there is a program to show it of.
    QLabel* caret = test::findByText<QLabel>(*frame, "Ln 1, Col 1");
    ASSERT_TRUE(caret);
    child->parentWidget()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame->documents().frames().isEmpty());
    EXPECT_EQ(caret->text(), "");

    frame->insertRemoteMenu();
    titles.clear();
    for (QAction* menu : frame->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles.indexOf("RemoteDNC"), titles.indexOf("&Tools") + 1);
    EXPECT_TRUE(test::findByText<QAction>(*frame->remoteMenu(), "OEE/&Machine"));
    frame->insertRemoteMenu();  // once only
    EXPECT_EQ(frame->menuBar()->actions().size(), titles.size());
}

TEST_F(MainFrameTest, TheDirectoryWindowOpensFilesByDoubleClick)
{
    const std::string file = program("TREE.NC");
    auto app = start();
    app->settings().editorDirectory = dir.workDir().rootWithoutSeparator();
    CMainFrame* frame = app->mainFrame();
    EXPECT_FALSE(frame->directoryWindow()->isVisible());
    EXPECT_EQ(frame->directoryWindow()->windowTitle(), "Directory tree");
    QAction* toggle = test::findByText<QAction>(*frame, "&Directory Window");
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->shortcut(), QKeySequence(Qt::ALT | Qt::Key_D));
    toggle->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->directoryWindow()->isVisible());
    EXPECT_TRUE(toggle->isChecked());
    // Opened at the editor's folder, where the program lies.
    EXPECT_EQ(frame->directoryTree()->currentPath(), dir.workDir().rootWithoutSeparator());

    emit frame->directoryTree()->pathActivated(QString::fromStdString(file));
    ASSERT_EQ(frame->documents().frames().size(), 1);
    EXPECT_EQ(frame->documents().frames()[0]->document().pathName(), file);
    emit frame->directoryTree()->pathActivated(QString::fromStdString(dir.path("")));
    EXPECT_EQ(frame->documents().frames().size(), 1);  // a folder opens nothing

    toggle->trigger();
    EXPECT_FALSE(frame->directoryWindow()->isVisible());
}

TEST_F(MainFrameTest, ProgramsDraggedFromAFileManagerOpenWhereverTheyAreDropped)
{
    const std::string first = program("DRAG1.NC");
    const std::string second = program("DRAG2.NC");
    auto app = start();
    CMainFrame* frame = app->mainFrame();
    frame->resize(900, 520);
    frame->show();

    const auto drop = [](QWidget& target, const QMimeData& data) {
        const QPointF at(target.width() / 2.0, target.height() / 2.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &dropped);
        return dropped.isAccepted();
    };
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                   QUrl::fromLocalFile(QString::fromStdString(second))});
    // File managers also offer the paths as text: they must not be typed into a program.
    files.setText(QString::fromStdString(first));
    EXPECT_TRUE(drop(*frame, files));
    ASSERT_EQ(frame->documents().frames().size(), 2);
    EXPECT_EQ(frame->documents().frames()[0]->document().pathName(), first);
    EXPECT_EQ(frame->documents().frames()[1]->document().pathName(), second);

    // Dropped on an open program, the files still open rather than land in its text.
    CLiView* view = frame->documents().activeView();
    ASSERT_NE(view, nullptr);
    CChildFrame* active = frame->documents().activeFrame();
    const std::size_t lines = active->document().lineCount();
    QMimeData third;
    third.setUrls({QUrl::fromLocalFile(QString::fromStdString(program("DRAG3.NC")))});
    third.setText("DRAG3.NC");
    // The view passes the drag on to the main window, which opens the file.
    EXPECT_TRUE(drop(*view->viewport(), third));
    EXPECT_EQ(frame->documents().frames().size(), 3);
    EXPECT_FALSE(active->document().isModified());
    EXPECT_EQ(active->document().lineCount(), lines);

    // Text alone (a word from another program) is not a file to open.
    QMimeData text;
    text.setText("G0 X0");
    EXPECT_FALSE(drop(*frame, text));
    EXPECT_EQ(frame->documents().frames().size(), 3);
}

TEST_F(MainFrameTest, TheToolbarStateIsKeptBetweenRuns)
{
    {
        auto app = start();
        app->mainFrame()->toolBar()->hide();
        ASSERT_TRUE(app->mainFrame()->close());
    }
    EXPECT_TRUE(QSettings(QString::fromStdString(dir.path("QuillonLT.ini")), QSettings::IniFormat)
                    .contains("QuillonLTtoolbar"));
    auto again = start();
    EXPECT_TRUE(again->mainFrame()->toolBar()->isHidden());
}

TEST_F(MainFrameTest, CompareTakesExactlyTwoProgramsAndMarksBoth)
{
    dir.write("ONE.NC", "N10 G0 X0\r\nN20 G1 X5\r\nM30\r\n");
    dir.write("TWO.NC", "N10 G0 X0\r\nN15 M08\r\nN20 G1 X5\r\nM30\r\n");
    auto app = start();
    CMainFrame* frame = app->mainFrame();
    frame->resize(1000, 700);
    frame->show();
    QAction* raw = test::findByText<QAction>(*frame, "Compare/Raw (2 files)");
    QAction* remove = test::findByText<QAction>(*frame, "Remove Compare results");
    ASSERT_TRUE(raw && remove);
    CChildFrame* one = frame->documents().openFile(QString::fromStdString(dir.path("ONE.NC")));
    EXPECT_FALSE(raw->isEnabled());
    frame->compare(CompareMode::Raw);
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{
                  "You need to have two files to be open for 'Compare' function"}));

    CChildFrame* two = frame->documents().openFile(QString::fromStdString(dir.path("TWO.NC")));
    EXPECT_TRUE(raw->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    notifier.clear();
    raw->trigger();
    EXPECT_TRUE(notifier.texts().empty());
    // Only the inserted line is marked, and only in the second program.
    EXPECT_EQ(two->document().line(1).flags, LineFlag::CompareOnlyHere);
    for (std::size_t line = 0; line < one->document().lineCount(); ++line)
        EXPECT_EQ(one->document().line(line).flags, 0) << line;
    // Side by side, each the full height.
    const QRect left = one->parentWidget()->geometry();
    const QRect right = two->parentWidget()->geometry();
    EXPECT_EQ(left.top(), right.top());
    EXPECT_EQ(left.height(), right.height());
    EXPECT_EQ(left.height(), frame->mdiArea()->viewport()->height());
    EXPECT_LT(left.right(), right.left());
    test::saveScreenshot(*frame, "compare-raw");

    EXPECT_TRUE(remove->isEnabled());
    remove->trigger();
    EXPECT_EQ(two->document().line(1).flags, 0);
    EXPECT_FALSE(remove->isEnabled());

    CLiDoc& second = two->document();
    second.BeginEditGroup(true);
    second.DeleteBlock(0, second.lineLength(0), 1, second.lineLength(1));  // N15 goes
    second.EndEditGroup();
    test::findByText<QAction>(*frame, "Compare/Smart (2 files)")->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Compare OK"});
}

TEST_F(MainFrameTest, TerminalModeAsksForTheSetupEveryTime)
{
    test::PseudoTerminal control;
    ASSERT_TRUE(control.ok());
    const test::ComOverride com1(1, control.devicePath());
    auto app = start();
    CMainFrame* frame = app->mainFrame();
    QAction* terminal = test::findByText<QAction>(*frame, "&Terminal mode");
    ASSERT_TRUE(terminal && terminal->isEnabled());

    test::onNextDialog<SelectConfigurationDialog>(
        [](SelectConfigurationDialog& d) { d.reject(); });
    terminal->trigger();
    EXPECT_EQ(frame->commWindows().window(0), nullptr);

    test::onNextDialog<SelectConfigurationDialog>(
        [](SelectConfigurationDialog& d) { d.accept(); });
    terminal->trigger();
    CommWindow* window = frame->commWindows().window(0);
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(control.receive(1), "\x11");
    EXPECT_TRUE(app->portsInUse().isInUse(0));
    window->close();
    EXPECT_FALSE(app->portsInUse().isInUse(0));
}

// The transmit commands on a pseudo-terminal: the setup, the file, the window.
class TransmitCommandTest : public MainFrameTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(control.ok());
        app = start();
        frame = app->mainFrame();
    }
    void acceptSetup()
    {
        test::onNextDialog<SelectConfigurationDialog>(
            [](SelectConfigurationDialog& d) { d.accept(); });
    }
    // Ticks the windows until the control has what it waits for, or gives up.
    std::string receiveWhileTicking(std::size_t count)
    {
        std::string bytes;
        for (int i = 0; i < 400 && bytes.size() < count; ++i) {
            frame->commWindows().tick();
            bytes += control.receive(count - bytes.size(), 5);
        }
        return bytes;
    }

    test::PseudoTerminal control;
    test::ComOverride com1{1, control.devicePath()};
    std::unique_ptr<QuillonApplication> app;
    CMainFrame* frame = nullptr;
};

TEST_F(TransmitCommandTest, TransmitAsksForTheSetupThenTheFileAndOffersThePendingOne)
{
    const std::string file = program("O7.NC");
    app->settings().pendingTransmit.set("/no?such/O7.NC");
    acceptSetup();
    files.script(file);
    test::findByText<QAction>(*frame, "&Transmit")->trigger();
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "Transmit on Config 1");
    EXPECT_EQ(files.prompts()[0].fileName, "/no such/O7.NC");
    EXPECT_EQ(files.prompts()[0].filter, "Tx File (*.*)|*.*||");
    EXPECT_TRUE(app->settings().pendingTransmit.empty());
    ASSERT_TRUE(frame->commWindows().window(0));
    EXPECT_EQ(receiveWhileTicking(16), "N10 G0 X0\nM30\n%\n");

    // Cancelling the setup forgets a pending file.
    app->settings().pendingTransmit.set("O8.NC");
    test::onNextDialog<SelectConfigurationDialog>(
        [](SelectConfigurationDialog& d) { d.reject(); });
    test::findByText<QAction>(*frame, "&Transmit")->trigger();
    EXPECT_TRUE(app->settings().pendingTransmit.empty());
    EXPECT_EQ(files.prompts().size(), 1u);
}

TEST_F(TransmitCommandTest, TheToolbarSendsWithTheSelectedSetupAndFanucAsksTheFileType)
{
    const std::string file = program("O9.NC");
    files.script(file);
    QAction* button = nullptr;
    for (QAction* action : frame->toolBar()->actions()) {
        if (action->text() == "Transmit")
            button = action;
    }
    ASSERT_TRUE(button);
    button->trigger();  // no selection dialog: a dialog here would fail the test's script
    ASSERT_TRUE(frame->commWindows().window(0));
    EXPECT_EQ(receiveWhileTicking(16), "N10 G0 X0\nM30\n%\n");
    // The window ends by itself once the program has left.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        frame->commWindows().tick();
        return !frame->commWindows().window(0);
    }));

    app->settings().portSetups.record(0).handshake = Handshake::FanucDnc;
    test::onNextDialog<FanucFileTypeDialog>([](FanucFileTypeDialog& d) {
        d.programBox()->setChecked(false);
        d.accept();  // neither box: nothing happens
    });
    button->trigger();
    EXPECT_EQ(files.prompts().size(), 1u);
    test::onNextDialog<FanucFileTypeDialog>([](FanucFileTypeDialog& d) {
        d.programBox()->setChecked(false);
        d.setupBox()->setChecked(true);
        d.accept();
    });
    files.script(std::nullopt);
    button->trigger();
    ASSERT_EQ(files.prompts().size(), 2u);
    EXPECT_EQ(files.prompts()[1].title, "Select SETUP file..");
    bool kept = false;
    test::onNextDialog<FanucFileTypeDialog>([&](FanucFileTypeDialog& d) {
        kept = !d.program() && d.setup();  // the last choice comes back
        d.reject();
    });
    button->trigger();
    EXPECT_TRUE(kept);
    EXPECT_EQ(files.prompts().size(), 2u);
}

class ReceiveCommandTest : public TransmitCommandTest {
protected:
    // Ticks the windows while the control sends, until the file holds `count` bytes.
    std::string storedWhileTicking(const std::string& path, std::size_t count)
    {
        std::string bytes;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            frame->commWindows().tick();
            if (const auto stored = readFile(path))
                bytes = *stored;
            return bytes.size() >= count;
        })) << bytes.size()
            << " of " << count << " bytes stored";
        return bytes;
    }
};

TEST_F(ReceiveCommandTest, ReceiveAsksForTheSetupThenWhereTheProgramGoes)
{
    acceptSetup();
    files.script(dir.path("IN.*"));
    test::findByText<QAction>(*frame, "&Receive")->trigger();
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "Receive on Config 1");
    EXPECT_EQ(files.prompts()[0].filter, "Rx File (*.*)|*.*||");
    CommWindow* window = frame->commWindows().window(0);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(),
              QString::fromStdString("Receive: " + dir.path("IN") + " using setup: Config 1"));
    EXPECT_EQ(control.receive(1, 1000), "\x11");  // XON/XOFF: the control may send
    control.send("%\nN10 G01 X1\n%\n");
    EXPECT_EQ(storedWhileTicking(dir.path("IN"), 18), "%\r\nN10 G01 X1\r\n%\r\n");

    // The toolbar's button takes the same setup without asking, and finds the port busy.
    QAction* button = nullptr;
    for (QAction* action : frame->toolBar()->actions()) {
        if (action->text() == "Receive")
            button = action;
    }
    ASSERT_TRUE(button);
    ASSERT_TRUE(button->isEnabled());
    button->trigger();
    EXPECT_EQ(notifier.texts().back(), "Selected COM port is already busy");
    EXPECT_EQ(files.prompts().size(), 1u);
}

TEST_F(ReceiveCommandTest, FanucAsksForTheFileTypeAndTheProgramNumber)
{
    app->settings().portSetups.record(0).handshake = Handshake::FanucDnc;
    QAction* button = nullptr;
    for (QAction* action : frame->toolBar()->actions()) {
        if (action->text() == "Receive")
            button = action;
    }
    ASSERT_TRUE(button);
    test::onNextDialog<FanucFileTypeDialog>([](FanucFileTypeDialog& d) {
        ASSERT_TRUE(d.numberEdit());
        d.numberEdit()->setText("123456");
        d.accept();
    });
    files.script(std::nullopt);  // the save dialog is cancelled: no window
    button->trigger();
    ASSERT_EQ(files.prompts().size(), 1u);
    EXPECT_EQ(files.prompts()[0].title, "Specify PROGRAM file..");
    EXPECT_FALSE(frame->commWindows().window(0));

    QString number;
    test::onNextDialog<FanucFileTypeDialog>([&](FanucFileTypeDialog& d) {
        number = d.numberEdit()->text();  // the last one comes back, cut to four
        d.programBox()->setChecked(false);
        d.setupBox()->setChecked(true);
        d.accept();
    });
    files.script(dir.path("SETUP.NC"));
    button->trigger();
    EXPECT_EQ(number, "1234");
    EXPECT_EQ(files.prompts()[1].title, "Specify SETUP file..");
    ASSERT_TRUE(frame->commWindows().window(0));
    // The request goes out at the first tick: ENQ, and after the control's DLE 0 the
    // header for setup file 1234.
    EXPECT_EQ(receiveWhileTicking(1), "\x05");
    control.send(
        "\x10"
        "0");
    EXPECT_EQ(receiveWhileTicking(12).substr(0, 11), "\x01RNS\x02S1234\x03");
}

TEST_F(TransmitCommandTest, RepositioningStartsAtTheLineOfTheCursor)
{
    dir.write("R.NC", "%\nN10\nN20\nN30\n");
    acceptSetup();
    files.script(dir.path("R.NC"));
    test::findByText<QAction>(*frame, "Tran&smit/REPOS")->trigger();
    EXPECT_EQ(files.prompts().back().title, "Transmit on RS232..");
    ASSERT_EQ(frame->documents().frames().size(), 1);
    RepositioningDialog* ask = frame->findChild<RepositioningDialog*>();
    ASSERT_TRUE(ask);
    EXPECT_TRUE(ask->isVisible());
    EXPECT_FALSE(ask->isModal());
    EXPECT_TRUE(ask->windowFlags() & Qt::WindowStaysOnTopHint);
    frame->documents().frames()[0]->activeView()->setCaret({2, 1});  // on N20
    ask->accept();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame->documents().frames().isEmpty());
    ASSERT_TRUE(frame->commWindows().window(0));
    EXPECT_EQ(receiveWhileTicking(10), "N20\nN30\n%\n");
}

}  // namespace
}  // namespace quillon
