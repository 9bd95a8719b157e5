#include "session/Startup.h"
#include "sim/SimServer.h"
#include "support/HttpTestServer.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace trevisk;

namespace {

// What the process has mapped, from its own /proc entry.
QByteArray mappedFiles(const QProcess& process)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(process.processId()));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}

// The program ended by itself, in time, with this exit code.
bool endedWith(QProcess& process, int code)
{
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == code;
}

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void versionAndHelp()
    {
        // Every command explains itself rather than refusing --help as an unknown option.
        for (const auto& [arguments, code, said] : {std::tuple("--version", 0, "Trevisk 1.1.0\n"),
                                                    std::tuple("query|--help", 0, "Usage:\n  trevisk query"),
                                                    std::tuple("servers|--help", 0, "Usage:\n  trevisk servers"),
                                                    std::tuple("import|--help", 0, "Usage:\n  trevisk import"),
                                                    std::tuple("export|--help", 0, "Usage:\n  trevisk export"),
                                                    std::tuple("test-mail|--help", 0, "Usage:\n  trevisk test-mail"),
                                                    std::tuple("frobnicate", 2, "Unknown command: frobnicate")}) {
            const TreviskRun run = runTrevisk(args(arguments));
            QVERIFY2(run.code == code && (code == 0 ? run.out.startsWith(said) : run.err.contains(said)), arguments);
        }
    }

    // The language follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG; C or POSIX stays English, as
    // gettext does; --help and paths name the catalogue; a run with German needs no GUI library.
    void languageOfTheSystem()
    {
        // The last row leaves English for the tests after this one.
        for (const auto& [variables, german] : {std::pair("LANG=de_DE.UTF-8", true),
                                                std::pair("LANG=en_US.UTF-8|LANGUAGE=de", true),
                                                std::pair("LC_MESSAGES=de_AT.UTF-8", true),
                                                std::pair("LC_ALL=C.UTF-8|LANGUAGE=de", false),
                                                std::pair("LANG=fr_FR.UTF-8", false), // none in French yet
                                                std::pair("LANG=en_US.UTF-8", false)}) {
            for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
                qunsetenv(name);
            for (const QString& variable : args(variables))
                qputenv(qPrintable(variable.section(QLatin1Char('='), 0, 0)),
                        variable.section(QLatin1Char('='), 1).toUtf8());
            QTemporaryDir dir;
            for (const QStringList& arguments : {args("--help"), args("paths") + inFolder(dir)}) {
                const TreviskRun run = runTrevisk(arguments);
                const QByteArray expected =
                    arguments.first() == QLatin1String("paths")
                        ? (german ? "Sprache:       Deutsch (" : "Language:  English (built in)")
                        : (german ? "Aufruf: trevisk [Optionen] [Befehl]" : "Usage: trevisk [options] [command]");
                QVERIFY2(run.code == 0 && run.out.contains(expected)
                             && (!german || arguments.size() == 1 || run.out.contains(" aus :/i18n/trevisk_de.qm")),
                         (variables + ("\n" + run.out)).constData());
            }
        }
    }

    // A second copy on the same data folder is refused and the first runs on until it is ended.
    void oneMonitorPerDataFolder()
    {
        QTemporaryDir dir;
        const QStringList arguments = inFolder(dir);
        QProcess first;
        startTrevisk(first, arguments);
        QByteArray firstOut;
        QTRY_VERIFY_WITH_TIMEOUT((firstOut += first.readAllStandardOutput()).contains("Running headless"), 10000);
        QVERIFY(firstOut.contains("No display found: running headless."));
        // Without windows, none of Qt's GUI libraries is loaded.
        const QByteArray maps = mappedFiles(first);
        QVERIFY2(maps.contains("libQt6Core") && !maps.contains("libQt6Gui") && !maps.contains("libQt6Widgets")
                     && !maps.contains("trevisk-windows"),
                 maps.constData());
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
        // A new user's empty list says how to fill it.
        QVERIFY(firstOut.contains("Watching 0 servers") && firstOut.contains("run \"trevisk --demo\""));

        ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
        QVERIFY(endedWith(first, 0));
        QVERIFY(acquireDataLock(dir.filePath(QStringLiteral("data"))));
    }

    // With a display the windows come from the module beside the program; whatever window is
    // open, SIGTERM ends the program: here the offer of a newer version.
    void sigtermWhileAnUpgradeIsOffered()
    {
        QTemporaryDir dir;
        HttpTestServer web;
        web.parts = HttpTestServer::splitAnswer("<VERSION>9.0.0</VERSION>", 4, true);
        QVERIFY(web.listen());
        SimServer server(QStringLiteral("Quake 3"));
        QVERIFY(server.start());
        QVERIFY(saveServerList(dir.filePath(QStringLiteral("data")), {server.address()}));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("t.ini")),
                          "[Settings]\nVersionURL=" + web.url().toEncoded() + "\nDownloadURL=http://127.0.0.1:9/\n"));
        QSignalSpy queried(&server, &SimServer::requestReceived);
        QProcess gui;
        startTrevisk(gui, inFolder(dir), true);
        // The list is first queried as the splash goes, right before the offer is made.
        QTRY_VERIFY_WITH_TIMEOUT(!queried.isEmpty(), 20000);
        QVERIFY(web.request().startsWith("GET /trevisk/version.txt"));
        QVERIFY(mappedFiles(gui).contains("/libtrevisk-windows.so"));
        ::kill(static_cast<pid_t>(gui.processId()), SIGTERM);
        QVERIFY(endedWith(gui, 0));
    }

    // Counts that cannot be saved at exit (a full disk; here a folder in the file's place) are told
    // on the error output and in the log, and the exit code says so.
    void failedSaveAtExit()
    {
        QTemporaryDir dir;
        SimServer server(QStringLiteral("Quake 3"));
        QVERIFY(server.start());
        QVERIFY(saveServerList(dir.filePath(QStringLiteral("data")), {server.address()}));
        const QString log = dir.filePath(QStringLiteral("events.log"));
        QVERIFY(
            writeFile(dir.filePath(QStringLiteral("t.ini")), "[Settings]\nLogging=1\nLogFile=" + log.toUtf8() + "\n"));
        QProcess monitor;
        startTrevisk(monitor, args("--headless|--status|1") + inFolder(dir));
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += monitor.readAllStandardOutput()).contains("answered: 1,"), 20000);
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("data/uptime.dat"))));
        monitor.terminate();
        QVERIFY(endedWith(monitor, 1));
        const QByteArray said = "The uptime counts could not be saved at exit: ";
        QVERIFY(monitor.readAllStandardError().contains(said) && readFile(log).contains(said));
    }

    // A copy of the program without its module, or with a broken one, says what it tried and ends
    // with an error.
    void missingOrBrokenModule()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("bin/trevisk"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QFile::copy(QStringLiteral(TREVISK_BINARY), program));
        const QStringList arguments = inFolder(dir);
        const QString beside = dir.filePath(QStringLiteral("bin/libtrevisk-windows.so"));
        const QString installed = dir.filePath(QStringLiteral("lib/trevisk/libtrevisk-windows.so"));

        const auto failure = [&] {
            QProcess copy;
            startTrevisk(copy, arguments, true, program);
            return endedWith(copy, 1) ? copy.readAllStandardError() : QByteArray("no failure");
        };
        const QByteArray said = failure();
        QVERIFY2(said.contains("the window module did not load") && said.contains(beside.toUtf8() + ": not found")
                     && said.contains(installed.toUtf8() + ": not found"),
                 said.constData());

        // A broken module is reported with the loader's reason, not passed over for another.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("lib/trevisk")));
        QVERIFY(QFile::copy(
            QFileInfo(QStringLiteral(TREVISK_BINARY)).dir().filePath(QStringLiteral("libtrevisk-windows.so")),
            installed));
        QVERIFY(writeFile(beside, "not a library"));
        const QByteArray err = failure();
        QVERIFY2(err.contains(beside.toUtf8() + ": " + beside.toUtf8()) && !err.contains(installed.toUtf8()),
                 err.constData());
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

QTEST_GUILESS_MAIN(TestApplication)
#include "TestApplication.moc"
