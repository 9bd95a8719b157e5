#include "core/Routines.h"
#include "core/Sound.h"
#include "support/RecordingSoundPlayer.h"

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
        QFile file(wave);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

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
        QCOMPARE(escapeQuotes(QStringLiteral("O'Neil")), QStringLiteral("O''Neil"));
        QCOMPARE(nullToText(QVariant()), QString());
        QCOMPARE(nullToText(QVariant(12)), QStringLiteral("12"));
        QCOMPARE(getFolder(QStringLiteral("C:\\Games\\q3.exe")), QStringLiteral("C:\\Games\\"));
        QCOMPARE(getFolder(QStringLiteral("/usr/games/q3")), QStringLiteral("/usr/games/"));
        QCOMPARE(getFolder(QStringLiteral("q3.exe")), QString());
        QCOMPARE(decodeText(QByteArray("caf\xc3\xa9")), QStringLiteral("caf\u00e9"));
        QCOMPARE(decodeText(QByteArray("\xe9t\xe9")), QStringLiteral("\u00e9t\u00e9"));
    }
};

QTEST_GUILESS_MAIN(TestRoutines)
#include "TestRoutines.moc"
