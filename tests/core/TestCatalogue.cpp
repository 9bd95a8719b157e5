#include "core/Catalogue.h"

#include <QTest>

using namespace trevisk;

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void rowsInOrder()
    {
        QCOMPARE(games().size(), size_t(31));
        QCOMPARE(games().front().game, QStringLiteral("Quake 2"));
        QCOMPARE(games().back().game, QStringLiteral("Postal 2: Share the Pain"));
        QCOMPARE(findGame(QStringLiteral("Unreal Tournament 2003"))->shortName, QStringLiteral("UT 2003"));
        QCOMPARE(findGame(QStringLiteral("Quake 3"))->shortName, QString());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "TestCatalogue.moc"
