#include "find/MasterSettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestMasterSettings : public QObject
{
    Q_OBJECT
private slots:
    void masterAddresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("host and port") << "127.0.0.1:27950"
                                       << "127.0.0.1:27950";
        QTest::newRow("default port") << "master.example.org"
                                      << "master.example.org:27011";
        QTest::newRow("IPv6") << "[::1]:27011"
                              << "[::1]:27011";
        QTest::newRow("port 0") << "127.0.0.1:0"
                                << "";
        QTest::newRow("port too big") << "127.0.0.1:70000"
                                      << "";
        QTest::newRow("option-like host") << "-x:27011"
                                          << "";
        QTest::newRow("slash") << "a/b:27011"
                               << "";
        QTest::newRow("bad IPv6") << "[zz]:27011"
                                  << "";
    }

    void masterAddresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto address = parseMasterAddress(text, MasterKind::Source);
        QCOMPARE(address ? address->text() : QString(), expected);
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
