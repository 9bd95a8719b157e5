#include "rcon/RconScramble.h"

#include <QRandomGenerator>
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
};

QTEST_GUILESS_MAIN(TestRconScramble)
#include "TestRconScramble.moc"
