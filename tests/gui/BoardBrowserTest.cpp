// The board as the shop sees it: the simulated hub, `quillonlt-cli hub serve` in front of
// it, and Debian's headless Chromium loading the page. A status set on the hub from a
// second client must show on that machine's tile; the page is also photographed at a TV's
// and a phone's size.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

namespace quillon {
namespace {

constexpr int kPatienceMs = 30000;
// Chromium starting cold on a loaded machine, plus the page's own virtual seconds.
constexpr int kBrowserPatienceMs = 120000;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The hub is 127.0.0.2; "this computer" is 127.0.0.1 for the board and 127.0.0.3 for the
// client that changes a status, so that both can hold the hub's port at once.
void writeHome(const QString& home, const QString& hubDir, const char* localAddress)
{
    ASSERT_TRUE(QDir().mkpath(home));
    writeFile(home + "/VoskCONF.SYS", hubDir.toLatin1() + "/\r\n2130706434\r\n\r\n");
    writeFile(home + "/Margins.sys", QByteArray("\r\n").repeated(10) + localAddress + "\r\n");
}

class BoardBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty())
            GTEST_SKIP() << "no chromium on PATH";
        ASSERT_TRUE(base.isValid());
        QUdpSocket probe;
        ASSERT_TRUE(probe.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0));
        port = probe.localPort();
        probe.close();

        hub.start(QStringLiteral(QUILLONLT_HUBSIM_BINARY),
                  {"--address", "127.0.0.2", "--port", QString::number(port), "--machines", "6",
                   "--seed", "3", "--hub-dir", hubDir, "--quiet"});
        ASSERT_TRUE(hub.waitForStarted(kPatienceMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return hub.canReadLine(); }, kPatienceMs));
        ASSERT_TRUE(hub.readLine().contains("6 machines"));

        QFile conf(hubDir + "/_SETUP/CairnConf.sys");
        ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
        for (const QByteArray& line : conf.readAll().split('\n')) {
            if (line.startsWith("NM:"))
                names << QString::fromLatin1(line.mid(3).trimmed());
        }
        ASSERT_EQ(names.size(), 6);
        writeHome(home, hubDir, "2130706433");
        writeHome(changerHome, hubDir, "2130706435");
        QByteArray list = "_MT_Milling\r\n";
        for (int i = 0; i < 6; ++i) {
            if (i == 4)
                list += "_ST_Turning\r\n";
            list += names[i].toLatin1() + ",0," + QByteArray::number(i) + "\r\n";
        }
        writeFile(home + "/MonList.sys", list);

        server.setProcessEnvironment(environment(home));
        server.start(QStringLiteral(QUILLONLT_CLI_BINARY),
                     {"hub", "serve", "--http", "127.0.0.1:0", "--title", "Hall 1 North"});
        ASSERT_TRUE(server.waitForStarted(kPatienceMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.canReadLine(); }, kPatienceMs))
            << server.readAllStandardError().toStdString();
        const QString said = QString::fromUtf8(server.readLine());
        const auto match =
            QRegularExpression(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)/")).match(said);
        ASSERT_TRUE(match.hasMatch()) << said.toStdString();
        url = match.captured(0);
        httpPort = static_cast<quint16>(match.captured(1).toUInt());
    }

    void TearDown() override
    {
        for (QProcess* process : {&server, &hub}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(kPatienceMs))
                    process->kill();
            }
        }
    }

    QProcessEnvironment environment(const QString& workDir) const
    {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("QUILLONLT_HOME", workDir);
        variables.insert("QUILLONLT_UDP_PORT", QString::number(port));
        return variables;
    }

    QByteArray machinesJson() const
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, httpPort);
        if (!socket.waitForConnected(kPatienceMs))
            return {};
        socket.write("GET /api/machines HTTP/1.1\r\nHost: board\r\n\r\n");
        // The server keeps the connection open for the next request: the answer ends where
        // its length says.
        QByteArray reply;
        qsizetype headEnd = -1;
        qsizetype length = 0;
        while (headEnd < 0 || reply.size() < headEnd + 4 + length) {
            if (!socket.waitForReadyRead(kPatienceMs))
                return {};
            reply += socket.readAll();
            headEnd = reply.indexOf("\r\n\r\n");
            const QRegularExpressionMatch match =
                QRegularExpression(QStringLiteral("(?i)content-length: *(\\d+)"))
                    .match(QString::fromLatin1(reply.left(headEnd)));
            length = match.hasMatch() ? match.captured(1).toLongLong() : 0;
        }
        return reply.mid(headEnd + 4);
    }

    // The machine's status as GET /api/machines tells it; empty before its first record.
    QString statusOf(const QString& machine) const
    {
        for (const QJsonValue& state : QJsonDocument::fromJson(machinesJson()).array()) {
            if (state["machine"].toString() == machine)
                return state["status"].toString();
        }
        return {};
    }

    QByteArray browse(const QStringList& options) const
    {
        QProcess browser;
        browser.start(chromium, QStringList{"--headless", "--no-sandbox", "--disable-gpu",
                                            "--hide-scrollbars", "--user-data-dir=" + profile,
                                            "--virtual-time-budget=4000"} +
                                    options + QStringList{url});
        if (!browser.waitForFinished(kBrowserPatienceMs)) {
            browser.kill();
            browser.waitForFinished();
            return {};
        }
        return browser.readAllStandardOutput();
    }

    QTemporaryDir base;
    QString home = base.filePath("home");
    QString changerHome = base.filePath("changer");
    QString hubDir = base.filePath("hub");
    QString profile = base.filePath("chromium");
    QString chromium;
    QStringList names;
    quint16 port = 0;
    quint16 httpPort = 0;
    QString url;
    QProcess hub;
    QProcess server;
};

TEST_F(BoardBrowserTest, TileShowsTheStatusTheHubWasToldAndThePageFitsATvAndAPhone)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return !statusOf(names[2]).isEmpty(); }, kPatienceMs));

    QProcess change;
    change.setProcessEnvironment(environment(changerHome));
    change.start(QStringLiteral(QUILLONLT_CLI_BINARY), {"hub", "status", "1", "3", "MAINTENANCE"});
    ASSERT_TRUE(change.waitForFinished(kPatienceMs));
    ASSERT_EQ(change.exitCode(), 0) << change.readAllStandardError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusOf(names[2]) == "MAINTENANCE"; }, kPatienceMs));

    const QString dom = QString::fromUtf8(browse({"--dump-dom"}));
    ASSERT_FALSE(dom.isEmpty());
    EXPECT_TRUE(dom.contains("<h1 id=\"title\">Hall 1 North</h1>"));
    EXPECT_TRUE(dom.contains("Hub connected"));
    const qsizetype at = dom.indexOf("data-id=\"1-3\"");
    ASSERT_GE(at, 0) << dom.toStdString();
    const QString tile = dom.mid(at, dom.indexOf("</article>", at) - at);
    EXPECT_TRUE(tile.contains(">" + names[2] + "<")) << tile.toStdString();
    EXPECT_TRUE(tile.contains(">MAINTENANCE<")) << tile.toStdString();
    // Every machine of the list has its tile, the titles their headings.
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(dom.contains(QStringLiteral("data-id=\"1-%1\"").arg(i))) << i;
    EXPECT_TRUE(dom.contains(">Milling</h2>"));
    EXPECT_TRUE(dom.contains(">Turning</h3>"));

    struct Shot {
        const char* file;
        QSize size;
    };
    for (const Shot& shot :
         {Shot{"board-tv.png", {1920, 1080}}, Shot{"board-phone.png", {390, 844}}}) {
        SCOPED_TRACE(shot.file);
        const QString path = base.filePath(shot.file);
        browse({"--screenshot=" + path, QStringLiteral("--window-size=%1,%2")
                                            .arg(shot.size.width())
                                            .arg(shot.size.height())});
        const QImage image(path);
        EXPECT_EQ(image.size(), shot.size);
    }
}

}  // namespace
}  // namespace quillon
