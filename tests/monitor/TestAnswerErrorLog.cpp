#include "core/Settings.h"
#include "monitor/AnswerErrorLog.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestAnswerErrorLog : public QObject
{
    Q_OBJECT
private slots:
    void answerErrorsGoToTheLogFile()
    {
        QTemporaryDir dir;
        AppSettings settings;
        settings.logging = true;
        settings.logFile = dir.filePath(QStringLiteral("events.log"));
        ManualClock clock;
        AnswerErrorLog log(settings, clock);
        log.answerError(QStringLiteral("127.0.10.1:7777"),
                        QStringLiteral("An error has occured in function: GetUnrealPlayers()\r\n\r\nx"));
        QFile file(settings.logFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray line = file.readAll();
        QVERIFY(line.endsWith("127.0.10.1:7777: An error has occured in function: GetUnrealPlayers()  x\r\n"));
        QCOMPARE(line.count('\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestAnswerErrorLog)
#include "TestAnswerErrorLog.moc"
