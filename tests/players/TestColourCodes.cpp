#include "players/ColourCodes.h"

#include <QTest>

using namespace trevisk;

class TestColourCodes : public QObject
{
    Q_OBJECT
private slots:
    void colourCodes()
    {
        QCOMPARE(stripColours("^1A^7B"), QByteArray("AB"));
        QCOMPARE(stripColours("A^^B^"), QByteArray("AB")); // a caret pair, then a caret at the end
        QCOMPARE(stripColours("Lab ^3Open^7Arena"), QByteArray("Lab OpenArena"));
        // Runs of one colour each: white until the first code; a caret pair and a last caret show nothing.
        QCOMPARE(colourRuns(QStringLiteral("Lab ^1Red^^x^")),
                 (std::vector<ColourRun>{
                     {7, QStringLiteral("Lab ")}, {1, QStringLiteral("Red")}, {6, QStringLiteral("x")}}));
        // QuakeWorld: gold letters, the bracket and digit codes of both halves, other codes as dots.
        QCOMPARE(quakeWorldPlain("\xC2\xEF\xE2 \x90\x92\x9B\x11\x1D\x1E\x1F\x05"), QByteArray("Bob [09]<->."));
    }
};

QTEST_APPLESS_MAIN(TestColourCodes)
#include "TestColourCodes.moc"
