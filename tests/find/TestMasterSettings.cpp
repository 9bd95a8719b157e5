#include "find/MasterSettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestMasterSettings : public QObject
{
    Q_OBJECT
private slots:
    void masterAddresses()
    {
        const std::pair<const char*, const char*> cases[] = {
            {"127.0.0.1:27950", "127.0.0.1:27950"},
            {"master.example.org", "master.example.org:27011"}, // the kind's default port
            {"[::1]:27011", "[::1]:27011"},
            // Refused:
            {"127.0.0.1:0", ""},
            {"127.0.0.1:70000", ""},
            {"-x:27011", ""}, // would read as an option
            {"a/b:27011", ""},
            {"[zz]:27011", ""},
        };
        for (const auto& [text, expected] : cases) {
            const auto address = parseMasterAddress(QString::fromLatin1(text), MasterKind::Source);
            QCOMPARE(address ? address->text() : QString(), QString::fromLatin1(expected));
        }
    }

    // Never set: the shipped masters; set to nothing: none; set: those.
    void mastersInTheSettings()
    {
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        const QString game = QStringLiteral("Wolfenstein: Enemy Territory");
        QCOMPARE(mastersFor(store, QStringLiteral("Quake 3")), shippedMasters(QStringLiteral("Quake 3")));
        QVERIFY(mastersFor(store, game).isEmpty());
        setMastersFor(store, QStringLiteral("Quake 3"), {});
        setMastersFor(store, game, {QStringLiteral("127.0.0.1:27950"), QStringLiteral("127.0.0.2")});
        store.sync();
        QSettings reread(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        QVERIFY(mastersFor(reread, QStringLiteral("Quake 3")).isEmpty());
        QCOMPARE(mastersFor(reread, game),
                 (QStringList{QStringLiteral("127.0.0.1:27950"), QStringLiteral("127.0.0.2")}));
    }
};

QTEST_GUILESS_MAIN(TestMasterSettings)
#include "TestMasterSettings.moc"
