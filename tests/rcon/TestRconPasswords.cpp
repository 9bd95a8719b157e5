#include "rcon/RconPasswords.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestRconPasswords : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_ini = m_dir.filePath(QStringLiteral("TRVSK.ini"));
        QFile::remove(m_ini);
    }

    void hostAndPortStayApart()
    {
        QRandomGenerator random(5);
        QSettings store(m_ini, QSettings::IniFormat);
        const QString first = QStringLiteral("127.0.0.5:27960");
        const QString second = QStringLiteral("127.0.0.52:7960");
        // A value under the older key, written before keys kept the colon.
        store.setValue(QStringLiteral("RCON/127.0.0.527960"), QStringLiteral("old"));

        QCOMPARE(RconPasswords(store, {first}).load(first), QStringLiteral("old"));
        // Another listed server maps to the same older key: whose it is cannot be told.
        RconPasswords both(store, {first, second});
        QVERIFY(both.load(first).isEmpty());
        QVERIFY(both.load(second).isEmpty());

        QVERIFY(both.save(first, QStringLiteral("one"), true, false, random).error.isEmpty());
        QVERIFY(both.save(second, QStringLiteral("two"), true, false, random).error.isEmpty());
        QCOMPARE(both.load(first), QStringLiteral("one"));
        QCOMPARE(both.load(second), QStringLiteral("two"));
        QVERIFY(store.contains(QStringLiteral("RCON/127.0.0.527960")));

        // Alone on the older key, a server takes it over and forgetting removes it.
        RconPasswords alone(store, {first});
        QVERIFY(alone.save(first, QString(), false, false, random).error.isEmpty());
        QVERIFY(!store.contains(QStringLiteral("RCON/127.0.0.527960")));
        QVERIFY(alone.load(first).isEmpty());
    }

    // Private once it holds a password, and the rest of the file kept. With scrambling off the
    // password is stored as typed, and a fresh store reads it back.
    void fileIsPrivateOnceItHoldsAPassword()
    {
        QRandomGenerator random(9);
        {
            QSettings store(m_ini, QSettings::IniFormat);
            store.setValue(QStringLiteral("Settings/Refresh"), QStringLiteral("30"));
            store.sync();
        }
        QFile::setPermissions(m_ini, QFile::permissions(m_ini) | QFileDevice::ReadOther | QFileDevice::ReadGroup);
        QSettings store(m_ini, QSettings::IniFormat);
        RconPasswords passwords(store, {});
        QVERIFY(passwords.save(QStringLiteral("h:1"), QString(), false, false, random).error.isEmpty());
        QVERIFY(QFile::permissions(m_ini) & QFileDevice::ReadOther);
        QVERIFY(
            passwords.save(QStringLiteral("h:1"), QStringLiteral("pass!word!x"), true, false, random).error.isEmpty());
        const QFileDevice::Permissions others =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(m_ini) & others, QFileDevice::Permissions());
        QSettings reread(m_ini, QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("Settings/Refresh")).toString(), QStringLiteral("30"));
        QCOMPARE(reread.value(QStringLiteral("RCON/h:1")).toString(), QStringLiteral("pass!word!x"));
        QCOMPARE(RconPasswords(reread, {}).load(QStringLiteral("h:1")), QStringLiteral("pass!word!x"));
    }

private:
    QTemporaryDir m_dir;
    QString m_ini;
};

QTEST_GUILESS_MAIN(TestRconPasswords)
#include "TestRconPasswords.moc"
