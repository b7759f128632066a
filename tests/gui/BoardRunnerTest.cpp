// The program's board runner over a hub link on loopback, serving a real page: the page and
// the machines from a browser's requests, the pages counted in the status line, the link
// left when it stops, and the reasons it cannot start.
#include "board/ui/BoardRunner.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebSocket>

#include <memory>

#include "board/BoardModel.h"
#include "monitoring/HubDatagramSamples.h"
#include "monitoring/HubLink.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

constexpr MachineSlot kLathe{11, 3};

struct Fetched {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
};

class BoardRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.enabled = true;
        settings.port = std::to_string(freePort());
        settings.title = "Hall 2";
    }

    // A port nothing listens on right now, as the system hands one out.
    static quint16 freePort()
    {
        QTcpServer probe;
        EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        return probe.serverPort();
    }

    // GET as a browser asks, the event loop turning until the answer is in.
    Fetched get(const std::string& url)
    {
        std::unique_ptr<QNetworkReply> reply(
            network.get(QNetworkRequest(QUrl(QString::fromStdString(url)))));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 5000));
        return {reply->error(), reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                reply->readAll()};
    }

    test::TempWorkDir dir;
    FixedClock clock{1'765'000'000};
    HubLink link{0, 0, clock, [](std::string_view) {}};
    BoardSettings settings;
    QNetworkAccessManager network;
};

TEST_F(BoardRunnerTest, ServesThePageAndTheMachinesTheLinkBrings)
{
    BoardRunner runner(dir.workDir(), clock);
    QSignalSpy changes(&runner, &BoardRunner::statusChanged);
    std::string error;
    ASSERT_TRUE(runner.start(settings, link, error)) << error;
    const std::string url = "http://127.0.0.1:" + settings.port + "/";
    EXPECT_EQ(runner.url(), url);
    EXPECT_EQ(runner.statusText(), "Serving " + url + " to 0 browsers");
    EXPECT_EQ(changes.size(), 1);
    EXPECT_TRUE(link.monitoringFeedWanted()) << "the board follows the link";

    const Fetched page = get(url);
    ASSERT_EQ(page.error, QNetworkReply::NoError);
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("<html")) << page.body.left(200).toStdString();

    link.datagramArrived(test::recordDatagram(kLathe), 0);
    const Fetched machines = get(url + "api/machines");
    ASSERT_EQ(machines.error, QNetworkReply::NoError);
    const QJsonArray list = QJsonDocument::fromJson(machines.body).array();
    ASSERT_EQ(list.size(), 1) << machines.body.toStdString();
    EXPECT_EQ(list[0].toObject()["hub"].toInt(), kLathe.hub + 1) << "counted from 1, as shown";
    EXPECT_EQ(list[0].toObject()["port"].toInt(), kLathe.port + 1);

    // A page that opens gets the board whole, with the title of the settings, and counts.
    QWebSocket page1;
    QStringList messages;
    QObject::connect(&page1, &QWebSocket::textMessageReceived,
                     [&](const QString& text) { messages << text; });
    page1.open(QUrl(QString::fromStdString("ws://127.0.0.1:" + settings.port + "/ws")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.isEmpty(); }, 5000));
    const QJsonObject snapshot = QJsonDocument::fromJson(messages[0].toUtf8()).object();
    EXPECT_EQ(snapshot["type"].toString(), "snapshot");
    EXPECT_EQ(snapshot["title"].toString(), "Hall 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return runner.clientCount() == 1; }, 5000));
    EXPECT_EQ(runner.statusText(), "Serving " + url + " to 1 browser");
    EXPECT_GE(changes.size(), 2) << "a page that came is told";

    runner.stop();
    EXPECT_FALSE(runner.running());
    EXPECT_EQ(runner.url(), "");
    EXPECT_EQ(runner.statusText(), "Not running");
    EXPECT_FALSE(link.monitoringFeedWanted()) << "a stopped board leaves the link";
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return page1.state() == QAbstractSocket::UnconnectedState; }, 5000))
        << "the open page sees the server go";
    EXPECT_NE(get(url).error, QNetworkReply::NoError) << "nothing listens any more";
}

TEST_F(BoardRunnerTest, WhatCannotBeListenedOnIsAFailureToStartWithTheReason)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    struct Case {
        const char* scenario;
        std::string address;
        std::string port;
        std::string error;  // how the error starts
    };
    const Case cases[] = {
        {"port in use", "127.0.0.1", std::to_string(taken.serverPort()),
         "The shop-floor board cannot listen on 127.0.0.1 port " +
             std::to_string(taken.serverPort()) + ": "},
        // TEST-NET-1, an address of no computer: no interface of this one has it.
        {"address of another computer", "192.0.2.1", settings.port,
         "The shop-floor board cannot listen on 192.0.2.1 port " + settings.port + ": "},
    };
    BoardRunner runner(dir.workDir(), clock);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.scenario);
        settings.address = row.address;
        settings.port = row.port;
        std::string error;
        EXPECT_FALSE(runner.start(settings, link, error));
        EXPECT_EQ(error.rfind(row.error, 0), 0u) << error;
        EXPECT_GT(error.size(), row.error.size()) << "the system's reason follows";
        EXPECT_FALSE(runner.running());
        EXPECT_EQ(runner.statusText(), "Not running: " + error);
        EXPECT_FALSE(link.monitoringFeedWanted()) << "a board that did not start is not on it";
    }

    settings.port = "0";
    std::string error;
    EXPECT_FALSE(runner.start(settings, link, error));
    EXPECT_EQ(error, kBadBoardPortText) << "settings that cannot work, as the dialog says";
    runner.stop();
    EXPECT_EQ(runner.statusText(), "Not running") << "switched off: no reason to give";
}

TEST_F(BoardRunnerTest, AStartInPlaceOfARunningBoardTakesTheNewPort)
{
    BoardRunner runner(dir.workDir(), clock);
    std::string error;
    ASSERT_TRUE(runner.start(settings, link, error)) << error;
    const std::string first = runner.url();

    settings.port = std::to_string(freePort());
    settings.address = "::1";
    ASSERT_TRUE(runner.start(settings, link, error)) << error;
    EXPECT_EQ(runner.url(), "http://[::1]:" + settings.port + "/");
    EXPECT_EQ(get(runner.url()).status, 200);
    EXPECT_NE(get(first).error, QNetworkReply::NoError) << "the old port is let go";

    runner.stop();
    EXPECT_FALSE(link.monitoringFeedWanted()) << "followed once, left once";
}

}  // namespace
}  // namespace quillon
