#include "core/ErrorText.h"
#include "core/Routines.h"
#include "core/Sound.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestRoutines : public QObject
{
    Q_OBJECT
private slots:
    void playWaveRules()
    {
        QTemporaryDir dir;
        const QString wave = dir.filePath(QStringLiteral("1.wav"));
        QVERIFY(writeFile(wave));

        RecordingSoundPlayer player;
        playWave(player, wave, 0);
        playWave(player, wave, 1);
        playWave(player, dir.filePath(QStringLiteral("missing.wav")), 0);
        playWave(player, dir.path(), 0);
        playWave(player, QString(QChar(0)), 0);
        QCOMPARE(player.played, (QStringList{wave, QStringLiteral("wait:") + wave}));
        QCOMPARE(player.stops, 1);
    }

    void textHelpers()
    {
        QCOMPARE(getFolder(QStringLiteral("C:\\Games\\q3.exe")), QStringLiteral("C:\\Games\\"));
        QCOMPARE(getFolder(QStringLiteral("/usr/games/q3")), QStringLiteral("/usr/games/"));
        QCOMPARE(getFolder(QStringLiteral("q3.exe")), QString());
        QCOMPARE(decodeText(QByteArray("caf\xc3\xa9")), QStringLiteral("caf\u00e9"));
        QCOMPARE(decodeText(QByteArray("\xe9t\xe9")), QStringLiteral("\u00e9t\u00e9"));
        // A description of several lines stays whole between its markers.
        const QString error = errorText(QStringLiteral("one\r\ntwo\nthree"), -2147217900, QString());
        QVERIFY(error.startsWith(QStringLiteral("An error has occured\r\n")));
        QVERIFY(error.contains(QStringLiteral("----->\r\none\r\ntwo\nthree\r\n<-----END")));
        QVERIFY(error.contains(QStringLiteral("\r\nError Number:-2147217900\r\n")));
    }

    // Nothing from a server may steer a terminal or start a log line of its own.
    void remoteTextIsShownNotObeyed()
    {
        const QString stand = QString(QChar(StandIn));
        QCOMPARE(visibleText(QStringLiteral("Caf\u00e9 \u00bb Arena")), QStringLiteral("Caf\u00e9 \u00bb Arena"));
        QCOMPARE(visibleText(QString::fromLatin1("a\x1b]0;t\x07"
                                                 "b\r\nc\td\x7f\x9b"
                                                 "2J")),
                 QStringLiteral("a#]0;t#b##c#d##2J").replace(QLatin1Char('#'), stand));
        QCOMPARE(visibleText(QString(QChar(0)) + QChar(0x2028) + QChar(0x85)), stand.repeated(3));
        QCOMPARE(characterCount(QStringLiteral("a\U0001F600b")), 3);
    }
};

QTEST_GUILESS_MAIN(TestRoutines)
#include "TestRoutines.moc"
