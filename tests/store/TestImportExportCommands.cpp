#include "session/Startup.h"
#include "store/ServerListXml.h"
#include "store/Stores.h"
#include "support/RecordingReporter.h"
#include "support/TreviskRun.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace trevisk;

class TestImportExportCommands : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    int run(const QStringList& arguments, QByteArray* out = nullptr, QByteArray* err = nullptr)
    {
        const TreviskRun run =
            runTrevisk(QStringList{QStringLiteral("--data-dir"), m_dir.filePath(QStringLiteral("data"))} + arguments);
        if (out)
            *out = run.out;
        if (err)
            *err = run.err;
        return run.code;
    }

    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    std::vector<ServerRecord> savedServers() const
    {
        Stores stores(file("data"));
        RecordingReporter reporter;
        stores.loadAll(reporter);
        return stores.servers.rows;
    }

private slots:
    void importThenExport()
    {
        ServerRecord a;
        a.address = QStringLiteral("127.0.2.1:27960");
        a.game = QStringLiteral("Quake 3");
        ServerRecord b = a;
        b.address = QStringLiteral("127.0.2.2:27960");
        QCOMPARE(writeServerListFile(file("one.xml"), {a}), QString());
        QCOMPARE(writeServerListFile(file("two.xml"), {a, b, b}), QString());

        QByteArray out;
        QByteArray err;
        QCOMPARE(run({QStringLiteral("import"), file("one.xml")}, &out), 0);
        QCOMPARE(out, QByteArray("1 servers imported.\n0 servers skipped (duplicate)\n"));

        // A list that holds servers needs a choice.
        QCOMPARE(run({QStringLiteral("import"), file("two.xml")}, &out, &err), 2);
        QVERIFY(err.contains("--merge") && err.contains("--replace"));

        // A running monitor holds the folder: nothing changes.
        {
            const auto lock = acquireDataLock(file("data"));
            QVERIFY(lock);
            QCOMPARE(run({QStringLiteral("import"), file("two.xml"), QStringLiteral("--merge")}, &out, &err), 1);
            QVERIFY(err.contains("nothing was imported"));
            QCOMPARE(savedServers(), std::vector<ServerRecord>{a});
        }
        QCOMPARE(run({QStringLiteral("import"), file("two.xml"), QStringLiteral("--merge")}, &out), 0);
        QCOMPARE(out, QByteArray("1 servers imported.\n2 servers skipped (duplicate)\n"));

        QCOMPARE(run({QStringLiteral("export"), file("out.xml")}, &out), 0);
        QCOMPARE(out, QByteArray("Export Complete\n"));
        QCOMPARE(readServerListFile(file("out.xml")).rows, (std::vector<ServerRecord>{a, b}));
    }

    // What is not a file is named as what it is, never replaced, and the command fails.
    void notRegularFilesAreRefused()
    {
        QByteArray err;
        QCOMPARE(run({QStringLiteral("import"), m_dir.path()}, nullptr, &err), 1);
        QVERIFY2(err.contains("is a folder"), err.constData());
        QCOMPARE(run({QStringLiteral("import"), QStringLiteral("/dev/zero")}, nullptr, &err), 1);
        QVERIFY2(err.contains("not a regular file"), err.constData());

        const QString fifo = file("list.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(run({QStringLiteral("export"), fifo}, nullptr, &err), 1);
        QVERIFY2(err.contains("not a regular file"), err.constData());
        QVERIFY(!err.contains("Export Complete"));
        QVERIFY(QFileInfo::exists(fifo) && !QFileInfo(fifo).isFile());

        // A folder in the lock file's place is no running monitor.
        QVERIFY(QDir().mkpath(file("data/trevisk.lock")));
        QCOMPARE(run({QStringLiteral("import"), file("one.xml"), QStringLiteral("--merge")}, nullptr, &err), 1);
        QVERIFY2(err.contains("trevisk.lock is a folder") && err.contains("Nothing was imported"), err.constData());
        QVERIFY(QDir().rmdir(file("data/trevisk.lock")));
    }
};

QTEST_GUILESS_MAIN(TestImportExportCommands)
#include "TestImportExportCommands.moc"
