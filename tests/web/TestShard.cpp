#include "web/Shard.h"

#include <QTest>

using namespace trevisk;

class TestShard : public QObject
{
    Q_OBJECT

private slots:
    // The hash is part of a fleet's set-up: a change would move servers between shards at an upgrade,
    // so its values are pinned here (FNV-1a, 64 bits, finalised, of the lower-cased address).
    void shardsOfAddresses()
    {
        const struct
        {
            const char* address;
            int ofTwo, ofSeven, ofThousand;
        } hashes[] = {
            {"127.0.0.1:27960", 2, 1, 40},
            {"127.0.0.1:27961", 1, 1, 699},
            {"Game.Example.ORG:27015", 1, 2, 925},
            {"game.example.org:27015", 1, 2, 925},
            {"[::1]:27960", 2, 3, 774},
            {"10.0.0.5:28960", 1, 4, 991},
        };
        for (const auto& [address, ofTwo, ofSeven, ofThousand] : hashes) {
            const QString text = QString::fromLatin1(address);
            QCOMPARE((QList{shardOf(text, 1), shardOf(text, 2), shardOf(text, 7), shardOf(text, 1000)}),
                     (QList{1, ofTwo, ofSeven, ofThousand}));
            QVERIFY(Shard({ofSeven, 7}).watches(text) && !Shard({ofSeven % 7 + 1, 7}).watches(text));
        }
        QString error;
        for (const char* good : {"1/1", "1/2", "2/2", "7/7", "100000/100000"})
            QCOMPARE(parseShard(QString::fromLatin1(good), &error).value_or(Shard{0, 0}).text(),
                     QString::fromLatin1(good));
        for (const char* bad :
             {"0/2", "3/2", "x/y", "1/0", "0/0", "", "1", "1/2/3", " 1/2", "-1/2", "1/100001", "1/+2"}) {
            error.clear();
            QVERIFY2(!parseShard(QString::fromLatin1(bad), &error)
                         && error.startsWith(QStringLiteral("--shard takes K/N")),
                     bad);
        }
    }
};

QTEST_GUILESS_MAIN(TestShard)
#include "TestShard.moc"
