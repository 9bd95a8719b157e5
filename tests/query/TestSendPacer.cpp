#include "query/SendPacer.h"

#include <QTest>

using namespace trevisk;

class TestSendPacer : public QObject
{
    Q_OBJECT

    // Sends the pacer lets out over `ms` milliseconds, asked for every millisecond from `from`.
    static int sendsOver(SendPacer& pacer, qint64 from, qint64 ms)
    {
        int sent = 0;
        for (qint64 t = from; t < from + ms; ++t) {
            while (pacer.take(t))
                ++sent;
        }
        return sent;
    }

private slots:
    void risesWhileAnswersComeInTimeUpToTheCeiling()
    {
        SendPacer pacer;
        pacer.setCeiling(2000);
        QCOMPARE(pacer.rate(), SendPacer::StartQueriesPerSecond);
        // An even pace: a second holds the rate, no more.
        QVERIFY(qAbs(sendsOver(pacer, 0, 1000) - 500) <= 2);
        for (int i = 0; i < 100; ++i)
            pacer.answeredInTime(600);
        QVERIFY(pacer.rate() > SendPacer::StartQueriesPerSecond);
        for (int i = 0; i < 1000; ++i)
            pacer.answeredInTime(600);
        QCOMPARE(pacer.rate(), 2000.0);
        // Large answers: the download side binds first.
        for (int i = 0; i < 200; ++i)
            pacer.answeredInTime(4000);
        QVERIFY(pacer.rate() <= double(SendPacer::HomeAnswerBytesPerSecond) / 3900);
    }

    void halvesAtALossOncePerQuietPeriodAndNeverBelowTheFloor()
    {
        SendPacer pacer;
        pacer.setCeiling(2000);
        for (int i = 0; i < 1000; ++i)
            pacer.answeredInTime(600);
        pacer.lost(10'000);
        QCOMPARE(pacer.rate(), 1000.0);
        // The rest of the same burst's losses show within the quiet period: no further cut.
        pacer.lost(10'000 + SendPacer::LossQuietMs - 1);
        QCOMPARE(pacer.rate(), 1000.0);
        for (qint64 t = 20'000; t < 40'000; t += SendPacer::LossQuietMs)
            pacer.lost(t);
        QCOMPARE(pacer.rate(), SendPacer::FloorQueriesPerSecond);
    }

    void aLowCeilingHoldsFromTheStartAndNoCeilingMeansNoPacing()
    {
        SendPacer pacer;
        pacer.setCeiling(200);
        QCOMPARE(pacer.rate(), 200.0);
        for (int i = 0; i < 100; ++i)
            pacer.answeredInTime(600);
        QCOMPARE(pacer.rate(), 200.0);
        SendPacer free;
        free.setCeiling(0);
        QVERIFY(!free.paced());
        for (int i = 0; i < 10000; ++i)
            QVERIFY(free.take(0));
    }
};

QTEST_GUILESS_MAIN(TestSendPacer)
#include "TestSendPacer.moc"
