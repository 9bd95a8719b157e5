#include "session/Autostart.h"
#include "session/Startup.h"
#include "support/RecordingReporter.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace trevisk;

class TestSession : public QObject
{
    Q_OBJECT
    RecordingReporter m_reporter;

    // Starts on `data`, its settings in it; the reports land in m_reporter.
    StartupResult start(const QString& data, LockProbe probe = probeLockFile)
    {
        m_reporter.reports.clear();
        return startUp({data, data + QStringLiteral("/t.ini"), QStringLiteral("/p"), std::move(probe)}, m_reporter);
    }

private slots:
    void firstRunWritesNoStore()
    {
        QTemporaryDir dir;
        StartupResult result = start(dir.filePath(QStringLiteral("data")));
        QVERIFY(result.status == StartupResult::Status::Started && m_reporter.reports.isEmpty());
        // Not even the settings file.
        QCOMPARE(QDir(result.context->dataDir).entryList(QDir::Files), QStringList{QString::fromLatin1(LockFileName)});
        // The folder stays held until the context goes.
        QVERIFY(!acquireDataLock(result.context->dataDir));
        result.context.reset();
        QVERIFY(acquireDataLock(dir.filePath(QStringLiteral("data"))));
    }

    void unreadableStoreIsKeptAside()
    {
        QTemporaryDir dir;
        {
            Stores stores(dir.path());
            stores.friends.rows.push_back({QStringLiteral("bob"), {}});
            QCOMPARE(stores.saveFriends(), QString());
        }
        QVERIFY(writeFile(dir.filePath(QStringLiteral("servers.dat")), "\x00\x01 not a table"));
        const StartupResult result = start(dir.path());
        QVERIFY(result.status == StartupResult::Status::Started && m_reporter.reports.size() == 1);
        QVERIFY(m_reporter.reports.first().startsWith(QStringLiteral("An error has occured in function: Main()")));
        QVERIFY(result.context->stores.servers.rows.empty() && result.context->stores.friends.rows.size() == 1);
        // The file is moved aside whole: nothing by its name is left to be read again.
        const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("servers.dat*")});
        QCOMPARE(kept.size(), 1);
        QVERIFY(kept.first().startsWith(QStringLiteral("servers.dat.unreadable-")));
        QCOMPARE(readFile(dir.filePath(kept.first())), QByteArray("\x00\x01 not a table"));
    }

    // What a power loss leaves (an empty or half-written lock file) names no live holder: taken over.
    // A lock file that cannot be made is no second copy: the message names the cause and the path.
    void lockFiles()
    {
        for (const QByteArray& content : {QByteArray(),
                                          QByteArray("\x00\x17garbage"),
                                          "999999999\ntrevisk\n" + QSysInfo::machineHostName().toUtf8() + "\n"}) {
            QTemporaryDir dir;
            QVERIFY(writeFile(dir.filePath(QString::fromLatin1(LockFileName)), content));
            const StartupResult result = start(dir.path());
            QVERIFY(result.status == StartupResult::Status::Started && !acquireDataLock(dir.path()));
        }
        for (const auto& [error, cause] : {std::pair(ENOSPC, "there is no space left on the disk"),
                                           std::pair(EROFS, "the folder is on a read-only file system"),
                                           std::pair(EACCES, "permission denied")}) {
            QTemporaryDir dir;
            const StartupResult result = start(dir.path(), [error = error](const QString&) { return error; });
            QCOMPARE(
                result.status == StartupResult::Status::NoLock ? result.message : QString(),
                QStringLiteral("The lock file %1 cannot be created: %2.")
                    .arg(QDir(dir.path()).filePath(QString::fromLatin1(LockFileName)), QString::fromLatin1(cause)));
        }
    }

    void dataFolderChoice()
    {
        QTemporaryDir program;
        QCOMPARE(resolveDataDir(program.filePath(QStringLiteral("x")), program.path()),
                 QDir(program.filePath(QStringLiteral("x"))).absolutePath());
        QVERIFY(resolveDataDir({}, program.path()) != program.path());
        QVERIFY(writeFile(program.filePath(QStringLiteral("friends.dat"))));
        QCOMPARE(resolveDataDir({}, program.path()), QDir(program.path()).absolutePath());
    }

    // Paths with spaces, quotes, dollars, backslashes and percent signs reach the shell-free launcher
    // whole. The entry's folder follows an absolute XDG_CONFIG_HOME.
    void autostartCommandAndFolder()
    {
        for (const auto& [argument, written] : {std::pair("/usr/bin/trevisk", "/usr/bin/trevisk"),
                                                std::pair("/opt/My Games/trevisk", "\"/opt/My Games/trevisk\""),
                                                std::pair("/a/$HOME\"`x", "\"/a/\\\\$HOME\\\\\"\\\\`x\""),
                                                std::pair("/a\\b", "\"/a\\\\\\\\b\""),
                                                std::pair("/100%/t", "/100%%/t"),
                                                std::pair("", "\"\"")})
            QCOMPARE(desktopExecArgument(QString::fromUtf8(argument)), QString::fromUtf8(written));
        // The entry runs this program with the folders it was started on (made absolute, as the desktop
        // starts it elsewhere), and nothing else of its command line.
        QCOMPARE(
            autostartCommand(
                QStringLiteral("/bin/trevisk"),
                QStringLiteral("./trevisk|--demo|--config|/c/t.ini|--data-dir=lists|--config").split(QLatin1Char('|'))),
            QStringLiteral("/bin/trevisk|--config|/c/t.ini").split(QLatin1Char('|'))
                << QStringLiteral("--data-dir=") + QDir::currentPath() + QStringLiteral("/lists"));
        qputenv("XDG_CONFIG_HOME", "/x/config");
        QCOMPARE(Autostart::defaultFolder(), QStringLiteral("/x/config/autostart"));
        qputenv("XDG_CONFIG_HOME", "relative");
        QCOMPARE(Autostart::defaultFolder(), QDir::homePath() + QStringLiteral("/.config/autostart"));
    }

    // Written (folder made), valid for the desktop's own checker, read back, switched off by the
    // desktop's Hidden key, removed; a folder that cannot be made is reported.
    void writeReadRemove()
    {
        QTemporaryDir home;
        const Autostart autostart(home.filePath(QStringLiteral("config/autostart")));
        QString error;
        const QStringList command{QStringLiteral("/opt/My Games/trevisk"), QStringLiteral("--config=/a b/100%.ini")};
        QVERIFY(!autostart.enabled() && autostart.setEnabled(true, command, &error) && autostart.enabled());
        const QByteArray entry = readFile(autostart.path());
        QVERIFY(entry.contains("\nExec=\"/opt/My Games/trevisk\" \"--config=/a b/100%%.ini\"\n"));
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (!validator.isEmpty()) {
            QProcess check;
            check.start(validator, {autostart.path()});
            QVERIFY2(check.waitForFinished(10000) && check.exitCode() == 0, check.readAllStandardOutput().constData());
        }

        QVERIFY(writeFile(autostart.path(), entry + "Hidden=true\n") && !autostart.enabled());
        QVERIFY(autostart.setEnabled(false, command, &error) && !QFile::exists(autostart.path()));

        QVERIFY(writeFile(home.filePath(QStringLiteral("file"))));
        const QString blocked = home.filePath(QStringLiteral("file/autostart"));
        QVERIFY(!Autostart(blocked).setEnabled(true, command, &error) && error.contains(blocked));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "TestSession.moc"
