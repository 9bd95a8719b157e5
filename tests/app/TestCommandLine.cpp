#include "core/Startup.h"

#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace trevisk;

namespace {

// Runs the program to its end, with no display, and returns its exit code.
int runTrevisk(const QStringList& arguments, QByteArray* out = nullptr, QByteArray* err = nullptr)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TREVISK_BINARY), arguments);
    if (!process.waitForFinished(20000))
        return -1;
    if (out)
        *out = process.readAllStandardOutput();
    if (err)
        *err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void versionAndHelp()
    {
        QByteArray out;
        QCOMPARE(runTrevisk({QStringLiteral("--version")}, &out), 0);
        QCOMPARE(out, QByteArray("Trevisk 1.1.0\n"));
        QCOMPARE(runTrevisk({QStringLiteral("--help")}, &out), 0);
        for (const char* option : {"--headless", "--data-dir DIR", "--config FILE", "--help", "--version"})
            QVERIFY2(out.contains(option), option);
        // Every command explains itself rather than refusing --help as an unknown option.
        for (const char* command : {"query", "servers", "import", "export", "test-mail"}) {
            QCOMPARE(runTrevisk({QString::fromLatin1(command), QStringLiteral("--help")}, &out), 0);
            QVERIFY2(out.startsWith("Usage:\n  trevisk " + QByteArray(command)), out.constData());
        }
        QByteArray err;
        QCOMPARE(runTrevisk({QStringLiteral("frobnicate")}, nullptr, &err), 2);
        QVERIFY(err.contains("Unknown command: frobnicate"));
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

        QByteArray err;
        QCOMPARE(runTrevisk(QStringList{QStringLiteral("--headless")} + arguments, nullptr, &err), 1);
        QCOMPARE(err, QByteArray("Trevisk: Only one instance of Trevisk is allowed to run!\n"));
        QCOMPARE(first.state(), QProcess::Running);

        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(acquireDataLock(dir.filePath(QStringLiteral("data"))));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
