#include "session/Autostart.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestAutostart : public QObject
{
    Q_OBJECT
private slots:
    // Paths with spaces, quotes, dollars, backslashes and percent signs reach the shell-free launcher whole.
    void execQuoting()
    {
        for (const auto& [argument, written] : {std::pair("/usr/bin/trevisk", "/usr/bin/trevisk"),
                                                std::pair("/opt/My Games/trevisk", "\"/opt/My Games/trevisk\""),
                                                std::pair("/a/$HOME\"`x", "\"/a/\\\\$HOME\\\\\"\\\\`x\""),
                                                std::pair("/a\\b", "\"/a\\\\\\\\b\""),
                                                std::pair("/100%/t", "/100%%/t"),
                                                std::pair("", "\"\"")})
            QCOMPARE(desktopExecArgument(QString::fromUtf8(argument)), QString::fromUtf8(written));
    }

    // The entry runs this program with the folders it was started on (made absolute, as the desktop
    // starts it elsewhere), and nothing else of its command line.
    void commandKeepsFolders()
    {
        QCOMPARE(
            autostartCommand(
                QStringLiteral("/bin/trevisk"),
                QStringLiteral("./trevisk|--demo|--config|/c/t.ini|--data-dir=lists|--config").split(QLatin1Char('|'))),
            QStringLiteral("/bin/trevisk|--config|/c/t.ini").split(QLatin1Char('|'))
                << QStringLiteral("--data-dir=") + QDir::currentPath() + QStringLiteral("/lists"));
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
            QVERIFY(check.waitForFinished(10000));
            QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
        }

        QVERIFY(writeFile(autostart.path(), entry + "Hidden=true\n") && !autostart.enabled());
        QVERIFY(autostart.setEnabled(false, command, &error) && !QFile::exists(autostart.path()));

        QVERIFY(writeFile(home.filePath(QStringLiteral("file"))));
        QVERIFY(!Autostart(home.filePath(QStringLiteral("file/autostart"))).setEnabled(true, command, &error));
        QVERIFY(error.contains(home.filePath(QStringLiteral("file/autostart"))));
    }

    void folderFollowsXdgConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", "/x/config");
        QCOMPARE(Autostart::defaultFolder(), QStringLiteral("/x/config/autostart"));
        qputenv("XDG_CONFIG_HOME", "relative");
        QCOMPARE(Autostart::defaultFolder(), QDir::homePath() + QStringLiteral("/.config/autostart"));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "TestAutostart.moc"
