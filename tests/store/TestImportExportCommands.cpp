#include "core/Startup.h"
#include "store/ServerListXml.h"
#include "store/Stores.h"
#include "support/RecordingReporter.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestImportExportCommands : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    int run(const QStringList& arguments, QByteArray* out = nullptr, QByteArray* err = nullptr)
    {
        QProcess process;
        process.start(QStringLiteral(TREVISK_BINARY),
                      QStringList{QStringLiteral("--data-dir"), m_dir.filePath(QStringLiteral("data"))} + arguments);
        if (!process.waitForFinished(20000))
            return -1;
        if (out)
            *out = process.readAllStandardOutput();
        if (err)
            *err = process.readAllStandardError();
        return process.exitCode();
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
        a.address = QStringLiteral("192.0.2.1:27960");
        a.game = QStringLiteral("Quake 3");
        ServerRecord b = a;
        b.address = QStringLiteral("192.0.2.2:27960");
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
};

QTEST_GUILESS_MAIN(TestImportExportCommands)
#include "TestImportExportCommands.moc"
