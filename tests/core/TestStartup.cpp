#include "core/Startup.h"
#include "support/RecordingReporter.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void firstRunWritesNoStore()
    {
        QTemporaryDir dir;
        RecordingReporter reporter;
        const StartupResult result =
            startUp({dir.filePath(QStringLiteral("data")), dir.filePath(QStringLiteral("t.ini")), QStringLiteral("/p")},
                    reporter);
        QCOMPARE(result.status, StartupResult::Status::Started);
        QVERIFY(reporter.reports.isEmpty());
        const AppContext& context = *result.context;
        QVERIFY(context.stores.servers.rows.empty());
        QCOMPARE(context.stores.servers.fields.size(), 16);
        QVERIFY(context.stores.friends.rows.empty());
        QCOMPARE(context.settings.refresh, qint16(30));
        const QStringList files = QDir(context.dataDir).entryList(QDir::Files);
        QCOMPARE(files, QStringList{QString::fromLatin1(LockFileName)});
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("t.ini"))));
    }

    void unreadableStoreIsKeptAside()
    {
        QTemporaryDir dir;
        {
            Stores stores(dir.path());
            stores.friends.rows.push_back({QStringLiteral("bob"), {}});
            QCOMPARE(stores.saveFriends(), QString());
        }
        QFile broken(dir.filePath(QStringLiteral("servers.dat")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\x00\x01 not a table");
        broken.close();

        RecordingReporter reporter;
        const StartupResult result = startUp({dir.path(), dir.filePath(QStringLiteral("t.ini")), {}}, reporter);
        QCOMPARE(result.status, StartupResult::Status::Started);
        QCOMPARE(reporter.reports.size(), 1);
        QVERIFY(reporter.reports.first().startsWith(QStringLiteral("An error has occured in function: Main()")));
        QVERIFY(result.context->stores.servers.rows.empty());
        QCOMPARE(result.context->stores.friends.rows.size(), size_t(1));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("servers.dat"))));
        const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("servers.dat.unreadable-*")});
        QCOMPARE(kept.size(), 1);
        QFile keptFile(dir.filePath(kept.first()));
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), QByteArray("\x00\x01 not a table"));
    }

    void secondCopyIsRefusedBeforeReading()
    {
        QTemporaryDir dir;
        RecordingReporter reporter;
        StartupResult first = startUp({dir.path(), dir.filePath(QStringLiteral("t.ini")), {}}, reporter);
        QCOMPARE(first.status, StartupResult::Status::Started);
        QVERIFY(!acquireDataLock(dir.path()));
        first.context.reset();
        QVERIFY(acquireDataLock(dir.path()));
    }

    void dataFolderChoice()
    {
        QTemporaryDir program;
        QCOMPARE(resolveDataDir(program.filePath(QStringLiteral("x")), program.path()),
                 QDir(program.filePath(QStringLiteral("x"))).absolutePath());
        QVERIFY(resolveDataDir({}, program.path()) != program.path());
        QFile portable(program.filePath(QStringLiteral("friends.dat")));
        QVERIFY(portable.open(QIODevice::WriteOnly));
        portable.close();
        QCOMPARE(resolveDataDir({}, program.path()), QDir(program.path()).absolutePath());
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "TestStartup.moc"
