#include "session/Startup.h"
#include "store/ServerListXml.h"
#include "store/Stores.h"
#include "support/TreviskRun.h"

#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace trevisk;

class TestImportExportCommands : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    TreviskRun run(const char* arguments)
    {
        QStringList list = args(arguments);
        for (QString& argument : list)
            argument.replace(QStringLiteral("$dir"), m_dir.path());
        return runTrevisk(QStringList{QStringLiteral("--data-dir"), m_dir.filePath(QStringLiteral("data"))} + list);
    }

    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void importThenExport()
    {
        ServerRecord a;
        a.address = QStringLiteral("127.0.2.1:27960");
        a.game = QStringLiteral("Quake 3");
        ServerRecord b = a;
        b.address = QStringLiteral("[2001:DB8::5]:27960"); // kept as written, not rewritten as 2001:db8::5
        QCOMPARE(writeServerListFile(file("one.xml"), {a}), QString());
        QCOMPARE(writeServerListFile(file("two.xml"), {a, b, b}), QString());

        const TreviskRun first = run("import|$dir/one.xml");
        QCOMPARE(first.code, 0);
        QCOMPARE(first.out, QByteArray("1 servers imported.\n0 servers skipped (duplicate)\n"));

        // A list that holds servers needs a choice.
        TreviskRun refused = run("import|$dir/two.xml");
        QCOMPARE(refused.code, 2);
        QVERIFY(refused.err.contains("--merge") && refused.err.contains("--replace"));

        // A running monitor holds the folder: nothing changes.
        {
            const auto lock = acquireDataLock(file("data"));
            QVERIFY(lock);
            refused = run("import|$dir/two.xml|--merge");
            QCOMPARE(refused.code, 1);
            QVERIFY(refused.err.contains("nothing was imported"));
            Stores saved(file("data"));
            QCOMPARE(saved.read(saved.servers, ServersFile), QString());
            QCOMPARE(saved.servers.rows, std::vector<ServerRecord>{a});
        }
        const TreviskRun merged = run("import|$dir/two.xml|--merge");
        QCOMPARE(merged.code, 0);
        QCOMPARE(merged.out, QByteArray("1 servers imported.\n2 servers skipped (duplicate)\n"));

        const TreviskRun exported = run("export|$dir/out.xml");
        QCOMPARE(exported.code, 0);
        QCOMPARE(exported.out, QByteArray("Export Complete\n"));
        QCOMPARE(readServerListFile(file("out.xml")).rows, (std::vector<ServerRecord>{a, b}));
    }

    // What is not a file is named as what it is, never replaced, and the command fails.
    void notRegularFilesAreRefused()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(file("list.fifo")).constData(), 0600), 0);
        QVERIFY(QDir().mkpath(file("data/trevisk.lock")));
        const std::pair<const char*, const char*> cases[] = {
            {"import|$dir", "is a folder, not a file: nothing was imported"},
            {"import|/dev/zero", "not a regular file"},
            {"export|$dir/list.fifo", "not a regular file"},
            // A folder in the lock file's place is no running monitor.
            {"import|$dir/one.xml|--merge", "trevisk.lock is a folder, not a file. Nothing was imported"}};
        for (const auto& [arguments, why] : cases) {
            const TreviskRun refused = run(arguments);
            QCOMPARE(refused.code, 1);
            QVERIFY2(refused.err.contains(why) && refused.out.isEmpty(), refused.err.constData());
        }
        QVERIFY(QFileInfo::exists(file("list.fifo")) && !QFileInfo(file("list.fifo")).isFile());
        QVERIFY(QDir().rmdir(file("data/trevisk.lock")));
    }
};

QTEST_GUILESS_MAIN(TestImportExportCommands)
#include "TestImportExportCommands.moc"
