#include "session/Startup.h"
#include "support/TreviskRun.h"

#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace trevisk;

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void versionAndHelp()
    {
        TreviskRun run = runTrevisk({QStringLiteral("--version")});
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("Trevisk 1.1.0\n"));
        run = runTrevisk({QStringLiteral("--help")});
        QCOMPARE(run.code, 0);
        for (const char* option : {"--headless", "--data-dir DIR", "--config FILE", "--help", "--version"})
            QVERIFY2(run.out.contains(option), option);
        // Every command explains itself rather than refusing --help as an unknown option.
        for (const char* command : {"query", "servers", "import", "export", "test-mail"}) {
            run = runTrevisk({QString::fromLatin1(command), QStringLiteral("--help")});
            QCOMPARE(run.code, 0);
            QVERIFY2(run.out.startsWith("Usage:\n  trevisk " + QByteArray(command)), run.out.constData());
        }
        run = runTrevisk({QStringLiteral("frobnicate")});
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.contains("Unknown command: frobnicate"));
    }

    // A second copy on the same data folder is refused and the first runs on until it is ended.
    void oneMonitorPerDataFolder()
    {
        QTemporaryDir dir;
        const QStringList arguments{QStringLiteral("--data-dir"),
                                    dir.filePath(QStringLiteral("data")),
                                    QStringLiteral("--config"),
                                    dir.filePath(QStringLiteral("t.ini"))};
        QProcess first;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        first.setProcessEnvironment(environment);
        first.start(QStringLiteral(TREVISK_BINARY), arguments);
        QByteArray firstOut;
        QTRY_VERIFY_WITH_TIMEOUT((firstOut += first.readAllStandardOutput()).contains("Running headless"), 10000);
        QVERIFY(firstOut.contains("No display found: running headless."));
        QVERIFY(
            firstOut.contains("Data folder: " + QDir(dir.filePath(QStringLiteral("data"))).absolutePath().toUtf8()));

        const TreviskRun second = runTrevisk(QStringList{QStringLiteral("--headless")} + arguments);
        QCOMPARE(second.code, 1);
        QCOMPARE(second.err, QByteArray("Trevisk: Only one instance of Trevisk is allowed to run!\n"));
        QCOMPARE(first.state(), QProcess::Running);

        // SIGUSR1 prints the status table at once.
        ::kill(static_cast<pid_t>(first.processId()), SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT((firstOut += first.readAllStandardOutput()).contains("Servers: 0, answered: 0"),
                                 10000);

        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(acquireDataLock(dir.filePath(QStringLiteral("data"))));
    }

    // --status prints the table on its own, every so many seconds.
    void statusEverySeconds()
    {
        QTemporaryDir dir;
        QProcess monitor;
        monitor.start(QStringLiteral(TREVISK_BINARY),
                      args("--headless|--status|1|--data-dir")
                          << dir.path() << QStringLiteral("--config") << dir.filePath(QStringLiteral("t.ini")));
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += monitor.readAllStandardOutput()).contains("Servers: 0"), 10000);
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(10000));
        QCOMPARE(monitor.exitCode(), 0);
    }

    // A folder name that is not valid in the system's encoding would be read as another name and
    // the list written elsewhere: refused, and nothing is written.
    void undecodableArgumentsAreRefused()
    {
        QTemporaryDir dir;
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("exec \"$0\" servers add Halo 127.0.0.1:1 --data-dir \"$(printf 'd\\377')\" "
                                    "--config t.ini"),
                     QStringLiteral(TREVISK_BINARY)});
        QVERIFY(shell.waitForFinished(20000));
        QCOMPARE(shell.exitCode(), 2);
        QVERIFY(shell.readAllStandardError().contains("is not valid text in the system's encoding"));
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
