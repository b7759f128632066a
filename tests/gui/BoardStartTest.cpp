// The program's own shop-floor board over a real hub link on loopback: started by itself
// from the saved settings once the link is bound, beside the MQTT bridge on the same link,
// switched by the dialog's OK, refused with the reason when its port is taken, and ended
// with the program.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTest>
#include <QWebSocket>

#include <memory>

#include "app/ui/BoardCommand.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/MqttBridgeCommand.h"
#include "board/BoardSettings.h"
#include "board/ui/BoardDialog.h"
#include "bridge/BridgeSettings.h"
#include "gui/GuiTestSupport.h"
#include "gui/LoopbackHubAppTest.h"
#include "monitoring/ui/HubChannel.h"

namespace quillon {
namespace {

class BoardStartTest : public test::LoopbackHubAppTest {
protected:
    void SetUp() override
    {
        LoopbackHubAppTest::SetUp();
        if (HasFatalFailure())
            return;
        settings.enabled = true;
        settings.port = std::to_string(freePort());
        settings.title = "Hall 2 \xe2\x80\x93 Turning";
        ASSERT_TRUE(writeBoardSettings(dir.workDir(), settings).ok);
    }

    static quint16 freePort()
    {
        QTcpServer probe;
        EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        return probe.serverPort();
    }

    // The page's HTTP status, 0 when nothing answered.
    int pageStatus(const std::string& url)
    {
        std::unique_ptr<QNetworkReply> reply(
            network.get(QNetworkRequest(QUrl(QString::fromStdString(url)))));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 5000));
        return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

    BoardSettings settings;
    QNetworkAccessManager network;
};

TEST_F(BoardStartTest, SavedBoardStartsBesideTheBridgeAndEndsWithTheProgram)
{
    BridgeSettings bridge;
    bridge.enabled = true;
    bridge.broker = "127.0.0.1:1";  // not up: retried, not refused
    ASSERT_TRUE(writeBridgeSettings(dir.workDir(), bridge).ok);

    auto app = start();
    BoardCommand& board = app->mainFrame()->board();
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.runner().running(); }, 5000));
    ASSERT_TRUE(app->mainFrame()->mqttBridge().runner().running());
    const std::string url = "http://127.0.0.1:" + settings.port + "/";
    EXPECT_EQ(board.statusText(), "Serving " + url + " to 0 browsers");
    EXPECT_EQ(pageStatus(url), 200);
    EXPECT_TRUE(notifier.shown().empty());

    // Two followers of one link: the bridge going leaves the board on it.
    app->mainFrame()->mqttBridge().stop();
    EXPECT_TRUE(app->hubChannel()->link().monitoringFeedWanted());

    EXPECT_TRUE(app->mainFrame()->close());
    EXPECT_FALSE(board.runner().running());
    EXPECT_FALSE(app->hubChannel()->link().monitoringFeedWanted());
    EXPECT_EQ(pageStatus(url), 0) << "the program's end closed the port";
}

TEST_F(BoardStartTest, OkSwitchesTheBoardOnMovesItAndSwitchesItOff)
{
    settings.enabled = false;
    ASSERT_TRUE(writeBoardSettings(dir.workDir(), settings).ok);
    auto app = start();
    BoardCommand& command = app->mainFrame()->board();
    const auto okWith = [&](bool enabled, const std::string& port) {
        test::onNextDialog<BoardDialog>([&](BoardDialog& dialog) {
            dialog.enabledBox()->setChecked(enabled);
            dialog.portEdit()->setText(QString::fromStdString(port));
            dialog.accept();
        });
        command.configure();
    };
    command.tick();
    EXPECT_FALSE(command.runner().running()) << "saved as switched off";

    okWith(true, settings.port);
    ASSERT_TRUE(command.runner().running());
    EXPECT_TRUE(readBoardSettings(dir.workDir()).enabled);
    const BoardModel* first = command.runner().model();
    okWith(true, settings.port);
    EXPECT_EQ(command.runner().model(), first) << "the same settings leave it running as it was";

    // The dialog over a running board shows how it does and the page's link.
    QWebSocket browser;
    browser.open(QUrl(QString::fromStdString("ws://127.0.0.1:" + settings.port + "/ws")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return command.runner().clientCount() == 1; }, 5000));
    QString status;
    QString link;
    test::onNextDialog<BoardDialog>([&](BoardDialog& dialog) {
        status = dialog.statusLabel()->text();
        link = dialog.linkLabel()->isVisible() ? dialog.linkLabel()->text() : QString();
        test::saveScreenshot(dialog, "board-dialog");
        dialog.reject();
    });
    command.configure();
    const QString url = QString::fromStdString("http://127.0.0.1:" + settings.port + "/");
    EXPECT_EQ(status, "Serving " + url + " to 1 browser");
    EXPECT_EQ(link, "<a href=\"" + url + "\">" + url + "</a>");
    browser.close();

    const std::string moved = std::to_string(freePort());
    okWith(true, moved);
    EXPECT_EQ(command.runner().url(), "http://127.0.0.1:" + moved + "/");
    EXPECT_EQ(pageStatus(command.runner().url()), 200);

    okWith(false, moved);
    EXPECT_FALSE(command.runner().running());
    EXPECT_FALSE(readBoardSettings(dir.workDir()).enabled);
    EXPECT_TRUE(notifier.shown().empty());
    EXPECT_TRUE(app->mainFrame()->close());
}

TEST_F(BoardStartTest, SavedBoardWhosePortIsTakenIsToldOnce)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    settings.port = std::to_string(taken.serverPort());
    ASSERT_TRUE(writeBoardSettings(dir.workDir(), settings).ok);

    auto app = start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notifier.shown().empty(); }, 5000));
    ASSERT_EQ(notifier.texts().size(), 1u);
    EXPECT_EQ(notifier.texts()[0].rfind(
                  "The shop-floor board cannot listen on 127.0.0.1 port " + settings.port, 0),
              0u)
        << notifier.texts()[0];
    EXPECT_FALSE(app->mainFrame()->board().runner().running());
    EXPECT_EQ(app->mainFrame()->board().statusText(), "Not running: " + notifier.texts()[0]);

    // Not at every tick.
    app->mainFrame()->board().tick();
    app->mainFrame()->board().tick();
    EXPECT_EQ(notifier.shown().size(), 1u);
    EXPECT_TRUE(app->mainFrame()->close());
}

}  // namespace
}  // namespace quillon
