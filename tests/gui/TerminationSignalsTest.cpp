// A kill, Ctrl+C in the starting shell or a logout ends the program as closing its window
// does, without the questions.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <string>

#include "app/HandOff.h"
#include "app/MainWindowRect.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/QuillonApplication.h"
#include "editor/CLiDoc.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/TerminationSignals.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

constexpr char kLockFile[] = "quillonlt.lock";
constexpr char kProgramText[] = "%\r\nO1000\r\nG0 X1. Y1.\r\nM30\r\n%\r\n";
const std::string kWindowPlaceFile = std::string("_TMP/") + std::string(kMainWindowRectFile);

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

struct SignalCase {
    const char* name;
    int number;
};

void PrintTo(const SignalCase& c, std::ostream* out)
{
    *out << c.name;
}

class RealProgramSignalTest : public testing::TestWithParam<SignalCase> {};

TEST_P(RealProgramSignalTest, EndsWithCodeZeroHavingWrittenItsPlaceAndDroppedItsLock)
{
    test::TempWorkDir dir;
    dir.write("O1000.NC", kProgramText);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUILLONLT_HOME", QString::fromStdString(dir.workDir().root()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.start(QUILLONLT_BINARY, {QString::fromStdString(dir.path("O1000.NC"))});
    ASSERT_TRUE(program.waitForStarted());
    // The command file goes on the main timer's second tick: the event loop runs by then.
    ASSERT_TRUE(waitFor([&] { return dir.exists(kCommandFile); }, 10000));
    ASSERT_TRUE(waitFor([&] { return !dir.exists(kCommandFile); }, 10000));
    ASSERT_TRUE(dir.exists(kLockFile));
    ASSERT_FALSE(dir.exists(kWindowPlaceFile));

    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), GetParam().number), 0);
    const bool finished = program.waitForFinished(20000);
    if (!finished)
        program.kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(dir.exists(kLockFile));
    EXPECT_TRUE(dir.exists(kWindowPlaceFile));
    EXPECT_EQ(dir.read("O1000.NC"), kProgramText);
}

INSTANTIATE_TEST_SUITE_P(Signals, RealProgramSignalTest,
                         testing::Values(SignalCase{"Term", SIGTERM},
                                         SignalCase{"Interrupt", SIGINT},
                                         SignalCase{"HangUp", SIGHUP}),
                         [](const testing::TestParamInfo<SignalCase>& info) {
                             return std::string(info.param.name);
                         });

// The same ending in this process, where a program can be changed and a port be busy:
// neither asks, and the change stays unsaved.
TEST(TerminationSignals, AModifiedProgramAndABusyPortAreNotAskedAbout)
{
    test::TempWorkDir dir;
    dir.write("O2000.NC", kProgramText);
    ScriptedNotifier notifier;
    ScriptedFilePrompter files;
    auto app = std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier, &files);
    ASSERT_EQ(app->start({"/usr/bin/quillonlt"}), QuillonApplication::StartResult::Run);
    CChildFrame* frame =
        app->mainFrame()->documents().openFile(QString::fromStdString(dir.path("O2000.NC")));
    ASSERT_TRUE(frame);
    QTest::keyClicks(frame->activeView(), "N5");
    ASSERT_TRUE(frame->document().isModified());
    app->portsInUse().markInUse(1);

    // The main frame closing must not quit the test program's event loop once more, later.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    TerminationSignals termination;
    ASSERT_TRUE(termination.installed());
    QObject::connect(&termination, &TerminationSignals::received, app.get(),
                     &QuillonApplication::endWithoutQuestions);
    // Should the signal go unheard, the loop still ends, with a code that fails the test.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(10000);
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    giveUp.stop();
    QGuiApplication::setQuitOnLastWindowClosed(true);

    EXPECT_TRUE(notifier.shown().empty()) << notifier.texts().front();
    EXPECT_EQ(dir.read("O2000.NC"), kProgramText);
    EXPECT_TRUE(dir.exists(kWindowPlaceFile));
    app.reset();
    EXPECT_FALSE(dir.exists(kLockFile));
}

TEST(TerminationSignals, OneObjectHoldsTheHandlersAndGivesThemBack)
{
    struct sigaction before {};
    ::sigaction(SIGHUP, nullptr, &before);
    {
        TerminationSignals first;
        TerminationSignals second;
        EXPECT_TRUE(first.installed());
        EXPECT_FALSE(second.installed());
        int heard = 0;
        QObject::connect(&first, &TerminationSignals::received,
                         [&](int number) { heard = number; });
        std::raise(SIGHUP);
        EXPECT_TRUE(waitFor([&] { return heard != 0; }, 5000));
        EXPECT_EQ(heard, SIGHUP);
    }
    struct sigaction after {};
    ::sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    TerminationSignals again;
    EXPECT_TRUE(again.installed()) << "the pipe was given back with the handlers";
}

}  // namespace
}  // namespace quillon
