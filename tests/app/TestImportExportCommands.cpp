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
    // Each command in turn on one folder, with its exit code and a part of what it said; a refusal
    // prints nothing on the standard output. What is not a file is named as what it is, never replaced.
    void importThenExport()
    {
        ServerRecord a;
        a.address = QStringLiteral("127.0.2.1:27960");
        a.game = QStringLiteral("Quake 3");
        ServerRecord b = a;
        b.address = QStringLiteral("[2001:DB8::5]:27960"); // kept as written, not rewritten as 2001:db8::5
        QCOMPARE(writeServerListFile(file("one.xml"), {a}), QString());
        QCOMPARE(writeServerListFile(file("two.xml"), {a, b, b}), QString());
        QCOMPARE(::mkfifo(QFile::encodeName(file("list.fifo")).constData(), 0600), 0);
        enum Holder
        {
            None,
            Monitor,
            Folder
        }; // what holds the data folder's lock file
        const struct
        {
            const char* arguments;
            int code;
            const char* said;
            Holder holder = None;
        } steps[] = {
            {"import|$dir/one.xml", 0, "1 servers imported.\n0 servers skipped (duplicate)\n"},
            // A list that holds servers needs a choice.
            {"import|$dir/two.xml", 2, "pass --merge to add the new ones, or --replace"},
            {"import|$dir/two.xml|--merge", 1, "nothing was imported", Monitor},
            // A folder in the lock file's place is no running monitor.
            {"import|$dir/two.xml|--merge", 1, "trevisk.lock is a folder, not a file. Nothing was imported", Folder},
            {"import|$dir", 1, "is a folder, not a file: nothing was imported"},
            {"import|/dev/zero", 1, "not a regular file"},
            {"export|$dir/list.fifo", 1, "not a regular file"},
            {"import|$dir/two.xml|--merge", 0, "1 servers imported.\n2 servers skipped (duplicate)\n"},
            {"export|$dir/out.xml", 0, "Export Complete\n"},
        };
        for (const auto& [arguments, code, said, holder] : steps) {
            const DataLock lock = holder == Monitor ? acquireDataLock(file("data")) : DataLock{};
            QVERIFY((holder != Monitor || lock) && (holder != Folder || QDir().mkpath(file("data/trevisk.lock"))));
            const TreviskRun done = run(arguments);
            QVERIFY(holder != Folder || QDir().rmdir(file("data/trevisk.lock")));
            QVERIFY2(done.code == code && (done.out + done.err).contains(said) && (code == 0 || done.out.isEmpty()),
                     (arguments + ("\n" + done.out + done.err)).constData());
        }
        QVERIFY(QFileInfo::exists(file("list.fifo")) && !QFileInfo(file("list.fifo")).isFile());
        QCOMPARE(readServerListFile(file("out.xml")).rows, (std::vector<ServerRecord>{a, b}));
    }
};

QTEST_GUILESS_MAIN(TestImportExportCommands)
#include "TestImportExportCommands.moc"
