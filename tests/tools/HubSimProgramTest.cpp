// quillonlt-hubsim run as a user runs it: a second process on loopback, asked over UDP.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>

namespace {

// How long the test waits for what normally takes milliseconds; only a broken simulator
// makes it wait this long.
constexpr int kPatienceMs = 10000;
const QHostAddress kHubAddress(QStringLiteral("127.0.0.2"));
// 127.0.0.1 as the client's identity.
constexpr const char* kIdentity = "2130706433";

// A port on the hub's address that nothing uses right now.
quint16 freePort()
{
    QUdpSocket probe;
    if (!probe.bind(kHubAddress, 0))
        return 0;
    return probe.localPort();
}

class Hub {
public:
    explicit Hub(const QStringList& arguments)
    {
        m_process.start(QStringLiteral(QUILLONLT_HUBSIM_BINARY), arguments);
        m_started = m_process.waitForStarted(kPatienceMs);
    }
    ~Hub()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kPatienceMs);
        }
    }
    bool started() const { return m_started; }
    // The first line on standard output: the hub says it listens.
    QByteArray firstLine()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(kPatienceMs)) {
        }
        return m_process.readLine().trimmed();
    }
    void terminate() { m_process.terminate(); }
    int waitForExit()
    {
        if (!m_process.waitForFinished(kPatienceMs))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    QByteArray output() { return m_process.readAllStandardOutput(); }
    QByteArray errors() { return m_process.readAllStandardError(); }

private:
    QProcess m_process;
    bool m_started = false;
};

TEST(HubSimProgram, AnswersAMonitoringClientOnLoopbackAndEndsOnTerm)
{
    const quint16 port = freePort();
    ASSERT_NE(port, 0);
    Hub hub({"--address", "127.0.0.2", "--port", QString::number(port), "--machines", "5",
             "--speed", "60"});
    ASSERT_TRUE(hub.started());
    const QByteArray ready = hub.firstLine();
    ASSERT_TRUE(ready.contains("5 machines on 127.0.0.2:" + QByteArray::number(port)))
        << ready.toStdString() << hub.errors().toStdString();

    QUdpSocket client;
    ASSERT_TRUE(client.bind(QHostAddress::LocalHost, 0));
    const QByteArray request = QByteArray("REMOTE_VIEW,") + kIdentity + '\0';
    ASSERT_EQ(client.writeDatagram(request, kHubAddress, port), request.size());
    ASSERT_TRUE(client.waitForReadyRead(kPatienceMs));
    const QNetworkDatagram reply = client.receiveDatagram();
    EXPECT_TRUE(reply.data().startsWith("_INI:@0")) << reply.data().toStdString();
    EXPECT_TRUE(reply.data().endsWith('\0'));
    EXPECT_EQ(reply.data().count('\n'), 5);
    EXPECT_EQ(reply.senderAddress(), kHubAddress);
    EXPECT_EQ(reply.senderPort(), port);

    hub.terminate();
    EXPECT_EQ(hub.waitForExit(), 0);
    const QByteArray log = hub.output();
    EXPECT_TRUE(log.contains("REMOTE_VIEW from 127.0.0.1:")) << log.toStdString();
    EXPECT_TRUE(log.contains("stopped"));
}

TEST(HubSimProgram, HelpUsageErrorsAndABusyPortAsExitCodes)
{
    Hub help({"--help"});
    EXPECT_TRUE(help.firstLine().startsWith("Usage: quillonlt-hubsim"));
    EXPECT_EQ(help.waitForExit(), 0);

    Hub wrong({"--machines", "200"});
    EXPECT_EQ(wrong.waitForExit(), 2);
    EXPECT_TRUE(wrong.errors().contains("--machines"));

    QUdpSocket holder;
    ASSERT_TRUE(holder.bind(kHubAddress, 0));
    Hub busy({"--port", QString::number(holder.localPort())});
    EXPECT_EQ(busy.waitForExit(), 1);
    EXPECT_TRUE(busy.errors().contains("cannot listen")) << busy.errors().toStdString();
}

TEST(HubSimProgram, WritesPastShiftsAndTheRunningOneIntoTheHubFolder)
{
    const quint16 port = freePort();
    ASSERT_NE(port, 0);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Hub hub({"--port", QString::number(port), "--machines", "3", "--hub-dir", folder.path(),
             "--history", "1", "--quiet"});
    ASSERT_TRUE(hub.started());
    const QByteArray history = hub.firstLine();
    EXPECT_TRUE(history.contains("files of past shifts (1 day) in")) << history.toStdString();
    const QByteArray ready = hub.firstLine();
    ASSERT_TRUE(ready.contains("3 machines on")) << ready.toStdString();

    // Listening, it has written the running shift of every machine.
    const QStringList current =
        QDir(folder.filePath("_TMP")).entryList({"MonitorData*.SYS_"}, QDir::Files);
    EXPECT_GE(current.size(), 3) << current.join(' ').toStdString();
    QDirIterator archived(folder.filePath("_MONITORING"), {"*.MON"}, QDir::Files,
                          QDirIterator::Subdirectories);
    int shifts = 0;
    for (; archived.hasNext(); archived.next())
        ++shifts;
    EXPECT_TRUE(history.contains(": " + QByteArray::number(shifts) + " files"));
    // Three shifts a day of every station.
    EXPECT_EQ(shifts, current.size() * 3);
    // And their reports: a month's and a year's status file, an OEE line per machine and
    // shift (the year's end may split them in two files).
    const QDir reports(folder.filePath("_REPORTS"));
    EXPECT_GE(reports.entryList({"_MACHINE_*-*.CSV"}, QDir::Files).size(), 1);
    EXPECT_GE(reports.entryList({"_MACHINE_[0-9][0-9][0-9][0-9].CSV"}, QDir::Files).size(), 1);
    int oeeLines = 0;
    for (const QString& name : reports.entryList({"_OEE_*.CSV"}, QDir::Files)) {
        QFile oee(reports.filePath(name));
        ASSERT_TRUE(oee.open(QIODevice::ReadOnly));
        oeeLines += static_cast<int>(oee.readAll().count('\n')) - 1;  // less the header
    }
    EXPECT_EQ(oeeLines, 3 * 3);

    hub.terminate();
    EXPECT_EQ(hub.waitForExit(), 0);
}

// The hub's standard output and error as one stream, in the order it wrote them, read up
// to the line that says a request is gone.
QByteArray untilRequestRemoved(QProcess& hub)
{
    QByteArray log;
    while (!log.contains("request removed") || !log.endsWith('\n')) {
        if (!hub.waitForReadyRead(kPatienceMs))
            break;
        log += hub.readAll();
    }
    return log;
}

void writeRequest(const QString& hubDir, const QByteArray& content)
{
    // Complete or absent, as a station writes it.
    const QString path = hubDir + "/_TMP/REMOTELOAD.SYS";
    QFile work(path + ".test");
    ASSERT_TRUE(work.open(QIODevice::WriteOnly));
    ASSERT_EQ(work.write(content), content.size());
    work.close();
    ASSERT_TRUE(QFile::rename(path + ".test", path));
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TEST(HubSimProgram, CarriesOutADownloadAndAnUploadAndRemovesABadRequestUnheeded)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString hubDir = folder.path();
    QProcess hub;
    hub.setProcessChannelMode(QProcess::MergedChannels);
    hub.start(QStringLiteral(QUILLONLT_HUBSIM_BINARY),
              {"--port", QString::number(freePort()), "--machines", "3", "--hub-dir", hubDir,
               "--request-delay", "0"});
    ASSERT_TRUE(hub.waitForStarted(kPatienceMs));
    QByteArray ready;
    while (!ready.contains("3 machines on") && hub.waitForReadyRead(kPatienceMs))
        ready += hub.readAll();
    ASSERT_TRUE(ready.contains("3 machines on")) << ready.toStdString();

    // Hub 0, port 1 gets the sample program of its download folder.
    const QString m2 = hubDir + "/_NC/M2";
    writeRequest(hubDir, "#1_O1001.NC");
    QByteArray log = untilRequestRemoved(hub);
    EXPECT_TRUE(log.contains("sent ")) << log.toStdString();
    EXPECT_FALSE(QFile::exists(hubDir + "/_TMP/REMOTELOAD.SYS"));
    EXPECT_EQ(fileBytes(m2 + "/MACHINE/O1001.NC"), fileBytes(m2 + "/DOWNLOAD/O1001.NC"));

    // Hub 0, port 2 hands over the program in its memory.
    const QString m3 = hubDir + "/_NC/M3";
    writeRequest(hubDir, "$2_O9001.NC");
    log = untilRequestRemoved(hub);
    EXPECT_TRUE(log.contains("received ")) << log.toStdString();
    EXPECT_FALSE(QFile::exists(hubDir + "/_TMP/REMOTELOAD.SYS"));
    EXPECT_EQ(fileBytes(m3 + "/UPLOAD/O9001.NC"), fileBytes(m3 + "/MACHINE/O9001.NC"));

    // A name leading out of the machine's folder: told, removed, nothing copied.
    writeRequest(hubDir, "#1_../../../_SETUP/CairnConf.sys");
    log = untilRequestRemoved(hub);
    EXPECT_TRUE(log.contains("refused")) << log.toStdString();
    EXPECT_FALSE(QFile::exists(hubDir + "/_TMP/REMOTELOAD.SYS"));
    EXPECT_FALSE(QFile::exists(m2 + "/MACHINE/CairnConf.sys"));
    EXPECT_EQ(QDir(m2 + "/MACHINE").entryList(QDir::Files), QStringList({"O1001.NC", "O9001.NC"}));

    hub.terminate();
    EXPECT_TRUE(hub.waitForFinished(kPatienceMs));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
