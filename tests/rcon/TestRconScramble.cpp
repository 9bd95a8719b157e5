#include "rcon/RconPasswords.h"
#include "rcon/RconScramble.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

// Unscrambling step by step as the stored format is defined, kept apart from the program's code.
QString decode(const QString& stored)
{
    QString s;
    for (QChar c : stored)
        s += QChar(c.unicode() - 32);
    // The fillers before the first and after the last marker give the two factors of the shift.
    const qsizetype first = s.indexOf(QChar(1));
    const qsizetype last = s.lastIndexOf(QChar(1));
    const qsizetype shift = first * (s.size() - 1 - last);
    QString out;
    for (QChar c : s.mid(first + 1, last - first - 1)) {
        if (c.unicode() >= 23)
            out += QChar(static_cast<char16_t>(c.unicode() - shift));
    }
    return out.replace(QChar(0), QLatin1Char(' '));
}

} // namespace

class TestRconScramble : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_ini = m_dir.filePath(QStringLiteral("TRVSK.ini"));
        QFile::remove(m_ini);
    }

    void scrambledPasswordsRoundTrip_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("every printable") << QStringLiteral("!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~");
        QTest::newRow("spaces") << QStringLiteral("two words here");
        QTest::newRow("latin-1") << QStringLiteral("CAF\u00c9");
    }
    void scrambledPasswordsRoundTrip()
    {
        QFETCH(QString, password);
        QRandomGenerator random(7);
        QSet<QString> seen;
        for (int i = 0; i < 200; ++i) {
            const std::optional<QString> stored = scrambleRcon(password, random);
            QVERIFY(stored);
            for (QChar c : *stored)
                QVERIFY(c.unicode() >= 33 && c.unicode() <= 255);
            QCOMPARE(decode(*stored), password);
            QCOMPARE(unscrambleRcon(*stored), password);
            seen.insert(*stored);
        }
        QVERIFY(seen.size() > 100);
    }

    void whatTheFormCannotCarryIsRefused()
    {
        QRandomGenerator random(1);
        QVERIFY(!scrambleRcon(QStringLiteral("\u00ff\u00fe"), random)); // passes 255 for every a x b
        QVERIFY(!scrambleRcon(QStringLiteral("\u0100"), random));
        QVERIFY(!scrambleRcon(QStringLiteral("tab\there"), random));
        QVERIFY(!scrambleRcon(QString(), random));
        // A space needs a x b of 23 or more, which leaves room up to code 200 only.
        QVERIFY(!scrambleRcon(QStringLiteral("a \u00e0"), random));
    }

    void plainValuesAreNotTakenForScrambled()
    {
        for (const char* plain : {"pass!word!x", "!!", "hunter2!", "!a!", "#!#!#"})
            QVERIFY2(!unscrambleRcon(QString::fromLatin1(plain)), plain);
        // Another writer's space with a x b below 23 falls out as a filler, and the rest still loads.
        QString stored;
        for (int code : {5, 1, 'a' + 1, 1, 'b' + 1, 1, 7})
            stored += QChar(code + 32);
        QCOMPARE(unscrambleRcon(stored), QStringLiteral("ab"));
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

QTEST_GUILESS_MAIN(TestRconScramble)
#include "TestRconScramble.moc"
