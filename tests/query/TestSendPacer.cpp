#include "query/SendPacer.h"

#include <QTest>

using namespace trevisk;

class TestSendPacer : public QObject
{
    Q_OBJECT

    static SendPacer& answered(SendPacer& pacer, int times, qsizetype bytes = 600)
    {
        for (int i = 0; i < times; ++i)
            pacer.answeredInTime(bytes);
        return pacer;
    }

private slots:
    // The rate rises while answers come in time, up to the ceiling, and halves at a loss once per quiet
    // period, never below the floor; large answers bind it first. A low ceiling holds from the start,
    // and no ceiling means no pacing.
    void risesToTheCeilingAndHalvesAtALoss()
    {
        SendPacer pacer;
        pacer.setCeiling(2000);
        QCOMPARE(pacer.rate(), SendPacer::StartQueriesPerSecond);
        // An even pace: a second, asked every millisecond, holds the rate, no more.
        int sent = 0;
        for (qint64 t = 0; t < 1000; ++t)
            while (pacer.take(t))
                ++sent;
        QVERIFY(qAbs(sent - 500) <= 2);
        QVERIFY(answered(pacer, 100).rate() > SendPacer::StartQueriesPerSecond);
        QCOMPARE(answered(pacer, 1000).rate(), 2000.0);
        pacer.lost(10'000);
        QCOMPARE(pacer.rate(), 1000.0);
        // The rest of the same burst's losses show within the quiet period: no further cut.
        pacer.lost(10'000 + SendPacer::LossQuietMs - 1);
        QCOMPARE(pacer.rate(), 1000.0);
        for (qint64 t = 20'000; t < 40'000; t += SendPacer::LossQuietMs)
            pacer.lost(t);
        QCOMPARE(pacer.rate(), SendPacer::FloorQueriesPerSecond);
        QVERIFY(answered(pacer, 200, 4000).rate() <= double(SendPacer::HomeAnswerBytesPerSecond) / 3900);

        SendPacer low;
        low.setCeiling(200);
        QCOMPARE(low.rate(), 200.0);
        QCOMPARE(answered(low, 100).rate(), 200.0);
        SendPacer free;
        free.setCeiling(0);
        QVERIFY(!free.paced());
        for (int i = 0; i < 10000; ++i)
            QVERIFY(free.take(0));
    }

    // Open: the rate climbs fast past the home ceiling while nothing is lost; a loss sets it
    // back to the start, and it opens again only after a quiet while.
    void anOpenCeilingHoldsUntilTheFirstLoss()
    {
        SendPacer pacer;
        pacer.setCeiling(2000, 10000);
        QVERIFY(!pacer.beyondCeiling());
        QCOMPARE(answered(pacer, 100).rate(), 500 + 100 * SendPacer::StepPerAnswer * SendPacer::OpenStepFactor);
        QVERIFY(pacer.beyondCeiling());
        QCOMPARE(answered(pacer, 1000).rate(), 10000.0);
        pacer.lost(1000);
        QCOMPARE(pacer.rate(), SendPacer::StartQueriesPerSecond);
        QVERIFY(!pacer.beyondCeiling());
        QCOMPARE(answered(pacer, 1000).rate(), 2000.0);
        pacer.take(1000 + SendPacer::ReopenQuietMs - 1);
        QVERIFY(!pacer.beyondCeiling());
        QCOMPARE(answered(pacer, 1).rate(), 2000.0);
        pacer.take(1000 + SendPacer::ReopenQuietMs);
        QVERIFY(answered(pacer, 1).beyondCeiling());
        // A low open ceiling, or none, is the plain pacer.
        SendPacer closed;
        closed.setCeiling(2000, 1000);
        QCOMPARE(answered(closed, 1000).rate(), 2000.0);
        QVERIFY(!closed.beyondCeiling());
    }
};

QTEST_APPLESS_MAIN(TestSendPacer)
#include "TestSendPacer.moc"
