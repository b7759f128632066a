// The program's side of the link against the simulated hub, both as a user runs them:
// quillonlt-hubsim on 127.0.0.2 and quillonlt-cli on 127.0.0.1, on one high port.
#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QUdpSocket>

namespace {

constexpr int kPatienceMs = 20000;

quint16 freePort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0))
        return 0;
    return probe.localPort();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct CliRun {
    int code = -1;
    QStringList lines;
    QByteArray errors;
};

CliRun runCli(const QStringList& arguments, const QString& home, quint16 port)
{
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUILLONLT_HOME", home);
    environment.insert("QUILLONLT_UDP_PORT", QString::number(port));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(QUILLONLT_CLI_BINARY), arguments);
    CliRun run;
    if (!cli.waitForFinished(kPatienceMs))
        return run;
    run.code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.lines = QString::fromLatin1(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.errors = cli.readAllStandardError();
    return run;
}

TEST(HubEndToEnd, TheCommandLineWatchesAndListsWhatTheSimulatedHubHolds)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString home = base.filePath("home");
    const QString hubDir = base.filePath("hub");
    ASSERT_TRUE(QDir().mkpath(home));
    const quint16 port = freePort();
    ASSERT_NE(port, 0);

    QProcess hub;
    hub.start(QStringLiteral(QUILLONLT_HUBSIM_BINARY),
              {"--address", "127.0.0.2", "--port", QString::number(port), "--machines", "10",
               "--seed", "3", "--speed", "60", "--hub-dir", hubDir, "--quiet"});
    ASSERT_TRUE(hub.waitForStarted(kPatienceMs));
    while (!hub.canReadLine() && hub.waitForReadyRead(kPatienceMs)) {
    }
    ASSERT_TRUE(hub.readLine().contains("10 machines"));

    // The hub's folder and address; this computer is 127.0.0.1 (line 11 of Margins.sys).
    writeFile(home + "/VoskCONF.SYS", hubDir.toLatin1() + "/\r\n2130706434\r\n\r\n");
    writeFile(home + "/Margins.sys", QByteArray("\r\n").repeated(10) + "2130706433\r\n");
    QFile conf(hubDir + "/_SETUP/CairnConf.sys");
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    QStringList names;
    for (const QByteArray& line : conf.readAll().split('\n')) {
        if (line.startsWith("NM:"))
            names << QString::fromLatin1(line.mid(3).trimmed());
    }
    ASSERT_EQ(names.size(), 10);
    // The list has the first and third machine, the second on a slot it moved from.
    writeFile(home + "/MonList.sys", (names[0] + ",0,0\r\n" + names[2] + ",5,5\r\n").toLatin1());

    const CliRun lists = runCli({"hub", "lists"}, home, port);
    ASSERT_EQ(lists.code, 0) << lists.errors.toStdString();
    EXPECT_EQ(lists.lines.value(2).trimmed(), names[2] + ",0,2");

    const CliRun machines = runCli({"hub", "machines", "--seconds", "10"}, home, port);
    ASSERT_EQ(machines.code, 0) << machines.errors.toStdString();
    ASSERT_EQ(machines.lines.size(), 128);
    for (int slot = 0; slot < 128; ++slot) {
        const QStringList fields = machines.lines[slot].split(',');
        ASSERT_EQ(fields.size(), 5) << slot;
        EXPECT_EQ(fields[0].toInt(), slot / 8 + 1);
        EXPECT_EQ(fields[1].toInt(), slot % 8 + 1);
        // Names are cut to the display's 18 characters; the ten machines are monitored.
        EXPECT_EQ(fields[2], slot < 10 ? names[slot].left(18) : QString()) << slot;
        EXPECT_EQ(fields[3], slot < 10 ? "1" : "0") << slot;
    }

    // The status exchange: the list the hub offers for the third machine, one set from it.
    const CliRun offered = runCli({"hub", "status", "1", "3"}, home, port);
    ASSERT_EQ(offered.code, 0) << offered.errors.toStdString();
    EXPECT_TRUE(offered.lines.contains("SETUP"));
    ASSERT_TRUE(offered.lines.contains("MAINTENANCE"));
    const CliRun set = runCli({"hub", "status", "1", "3", "MAINTENANCE"}, home, port);
    ASSERT_EQ(set.code, 0) << set.errors.toStdString();
    EXPECT_EQ(runCli({"hub", "status", "1", "3", "SETUP"}, home, port).code, 1);

    const CliRun watch = runCli({"hub", "watch", "--seconds", "4"}, home, port);
    ASSERT_EQ(watch.code, 0) << watch.errors.toStdString();
    ASSERT_GE(watch.lines.size(), 2);
    QSet<QString> seen;
    for (const QString& line : watch.lines) {
        const QStringList fields = line.split(',');
        ASSERT_EQ(fields.size(), 12) << line.toStdString();
        EXPECT_EQ(fields[0], "1");
        EXPECT_TRUE(fields[1] == "1" || fields[1] == "3") << line.toStdString();
        EXPECT_EQ(fields[2], names[fields[1].toInt() - 1]);
        EXPECT_FALSE(fields[3].isEmpty());
        for (int percent = 8; percent < 12; ++percent)
            EXPECT_TRUE(fields[percent].toInt() >= 0 && fields[percent].toInt() <= 100)
                << line.toStdString();
        seen << fields[1];
    }
    // Both machines of the list came in at start-up, the third in the status it was set to.
    EXPECT_EQ(seen.size(), 2);
    EXPECT_TRUE(std::any_of(watch.lines.begin(), watch.lines.end(), [](const QString& line) {
        return line.startsWith("1,3,") && line.section(',', 3, 3) == "MAINTENANCE";
    }));

    // Without a list every machine the hub monitors shows, whether it changes or not.
    ASSERT_TRUE(QFile::remove(home + "/MonList.sys"));
    const CliRun all = runCli({"hub", "watch", "--seconds", "3"}, home, port);
    ASSERT_EQ(all.code, 0) << all.errors.toStdString();
    QSet<QString> everyMachine;
    for (const QString& line : all.lines)
        everyMachine << line.section(',', 0, 1);
    EXPECT_EQ(everyMachine.size(), 10);
    hub.terminate();
    EXPECT_TRUE(hub.waitForFinished(kPatienceMs));
}

// The name of the slot's machine, as the hub configures it.
QString machineName(const QString& hubDir, int slot)
{
    QFile conf(hubDir + "/_SETUP/CairnConf.sys");
    if (!conf.open(QIODevice::ReadOnly))
        return {};
    int at = 0;
    for (const QByteArray& line : conf.readAll().split('\n'))
        if (line.startsWith("NM:") && at++ == slot)
            return QString::fromLatin1(line.mid(3).trimmed());
    return {};
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TEST(HubEndToEnd, TheCommandLinesRequestsAreCarriedOutByTheSimulatedHub)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString home = base.filePath("home");
    const QString hubDir = base.filePath("Hub");
    ASSERT_TRUE(QDir().mkpath(home));
    const quint16 port = freePort();
    ASSERT_NE(port, 0);
    QProcess hub;
    hub.start(QStringLiteral(QUILLONLT_HUBSIM_BINARY),
              {"--port", QString::number(port), "--machines", "11", "--hub-dir", hubDir,
               "--request-delay", "0", "--quiet"});
    ASSERT_TRUE(hub.waitForStarted(kPatienceMs));
    while (!hub.canReadLine() && hub.waitForReadyRead(kPatienceMs)) {
    }
    ASSERT_TRUE(hub.readLine().contains("11 machines"));

    // Hub 1, port 2 (slot 10) gets a program named by its full path, whose case is kept:
    // the hub's folder is "Hub", and "HUB" would be another folder here.
    const QString m11 = hubDir + "/_NC/M11";
    writeFile(m11 + "/DOWNLOAD/O1234.NC", "%\r\nO1234\r\nM30\r\n%\r\n");
    const CliRun download =
        runCli({"request", "download", "--machine", machineName(hubDir, 10), "--full-path",
                "--hub", hubDir, "--wait", "10", m11 + "/DOWNLOAD/O1234.NC"},
               home, port);
    EXPECT_EQ(download.code, 0) << download.errors.toStdString();
    EXPECT_EQ(bytesOf(m11 + "/MACHINE/O1234.NC"), "%\r\nO1234\r\nM30\r\n%\r\n");

    // Hub 0, port 0 hands over the program in its memory.
    const QString m1 = hubDir + "/_NC/M1";
    const CliRun upload = runCli({"request", "upload", "--machine", machineName(hubDir, 0),
                                  "--hub", hubDir, "--wait", "10", "O9001.NC"},
                                 home, port);
    EXPECT_EQ(upload.code, 0) << upload.errors.toStdString();
    EXPECT_EQ(bytesOf(m1 + "/UPLOAD/O9001.NC"), bytesOf(m1 + "/MACHINE/O9001.NC"));
    EXPECT_FALSE(QFile::exists(hubDir + "/_TMP/REMOTELOAD.SYS"));

    hub.terminate();
    EXPECT_TRUE(hub.waitForFinished(kPatienceMs));
}

}  // namespace
