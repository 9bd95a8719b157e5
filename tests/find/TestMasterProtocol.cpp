#include "find/MasterProtocol.h"

#include <QTest>

using namespace trevisk;

namespace {

const QByteArray Oob("\xff\xff\xff\xff", 4);
const QByteArray Eot("\\EOT\0\0\0", 7);

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int value : values)
        out += static_cast<char>(value);
    return out;
}

// 1.2.3.4:27960 and 5.6.7.8:27961 as a master writes them.
const QByteArray First = bytes({1, 2, 3, 4, 0x6D, 0x38});
const QByteArray Second = bytes({5, 6, 7, 8, 0x6D, 0x39});

QStringList texts(const std::vector<ListedAddress>& servers)
{
    QStringList list;
    for (const ListedAddress& server : servers)
        list += server.text();
    return list;
}

} // namespace

class TestMasterProtocol : public QObject
{
    Q_OBJECT
private slots:
    void requests()
    {
        const QByteArray source("1\xff"
                                "0.0.0.0:0\0\\empty\\1\\full\\1\0",
                                28);
        const struct
        {
            MasterAsk request;
            QByteArray expected;
        } cases[] = {
            {{MasterKind::Quake3, 68, QString(), false, false}, Oob + "getservers 68 empty full"},
            {{MasterKind::Quake3, 71, QStringLiteral("Quake3Arena"), true, false},
             Oob + "getserversExt Quake3Arena 71 full"},
            {{MasterKind::QuakeWorld, 0, QString(), true, true}, QByteArray("c\n")},
            {{MasterKind::Quake2, 0, QString(), false, false}, QByteArray("query\n\0", 7)},
            {{MasterKind::Source, 0, QString(), true, true}, source},
        };
        for (const auto& [request, expected] : cases)
            QCOMPARE(masterRequest(request), expected);
    }

    void replies()
    {
        const QStringList both{QStringLiteral("1.2.3.4:27960"), QStringLiteral("5.6.7.8:27961")};
        const QStringList one = both.mid(0, 1), none;
        const QByteArray q3 = Oob + "getserversResponse\\";
        const QByteArray ext = Oob + "getserversExtResponse";
        const QByteArray v6 = '/' + bytes({0x20, 1, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x6D, 0x38});
        const QByteArray zero = bytes({0, 0, 0, 0, 0x6D, 0x38});
        const MasterKind Q3 = MasterKind::Quake3, QW = MasterKind::QuakeWorld, Q2 = MasterKind::Quake2,
                         Src = MasterKind::Source;
        const struct
        {
            const char* what;
            MasterKind kind;
            QByteArray datagram;
            QStringList servers;
            int dropped;
            bool endMark, refused;
        } cases[] = {
            {"q3", Q3, q3 + First + '\\' + Second + Eot, both, 0, true, false},
            {"q3 without end mark", Q3, q3 + First, one, 0, false, false},
            {"q3 ext with IPv6",
             Q3,
             ext + '\\' + First + v6 + Eot,
             {both[0], QStringLiteral("[2001:db8::1]:27960")},
             0,
             true,
             false},
            {"q3 IPv6 in a plain reply", Q3, q3 + First + v6 + Eot, none, 0, false, true},
            {"q3 truncated entry", Q3, q3 + First + '\\' + Second.left(4), none, 0, false, true},
            {"q3 truncated IPv6", Q3, ext + v6.left(10), none, 0, false, true},
            {"q3 zero address and port",
             Q3,
             q3 + zero + '\\' + First + '\\' + bytes({9, 9, 9, 9, 0, 0}) + Eot,
             one,
             2,
             true,
             false},
            {"q3 EOF mark of a middle datagram", Q3, q3 + First + QByteArray("\\EOF\0\0\0", 7), one, 1, false, false},
            {"q3 bytes after the end mark", Q3, q3 + First + Eot + '\\' + Second, none, 0, false, true},
            {"q3 header only", Q3, q3.chopped(1), none, 0, false, false},
            {"q3 wrong header", Q3, Oob + "getserversResponsX\\" + First, none, 0, false, true},
            {"qw", QW, Oob + "d\n" + First + Second, both, 0, false, false},
            {"qw partial entry", QW, Oob + "d\n" + First + Second.left(5), none, 0, false, true},
            {"qw asked, q2 answered", QW, Oob + "servers " + First, none, 0, false, true},
            {"q2", Q2, Oob + "servers " + First + Second, both, 0, false, false},
            {"q2 zero entry", Q2, Oob + "servers " + zero + First, one, 1, false, false},
            {"q2 without the space", Q2, Oob + "servers" + First, none, 0, false, true},
            {"source last page", Src, Oob + "f\n" + First + Second + QByteArray(6, '\0'), both, 0, true, false},
            {"source middle page", Src, Oob + "f\n" + First + Second, both, 0, false, false},
            {"source empty page", Src, Oob + "f\n", none, 0, true, false},
            {"source zero inside", Src, Oob + "f\n" + QByteArray(6, '\0') + First, one, 1, false, false},
            {"source truncated", Src, Oob + "f\n" + First + Second.left(3), none, 0, false, true},
            {"nothing", Src, QByteArray(), none, 0, false, true},
        };
        for (const auto& [what, kind, datagram, servers, dropped, endMark, refused] : cases) {
            const MasterReply reply = readMasterReply(kind, datagram);
            QVERIFY2(texts(reply.servers) == servers, what);
            QVERIFY2(reply.dropped == dropped && reply.endMark == endMark && reply.error.isEmpty() != refused, what);
            // Every truncation is refused or read, never read past its end.
            for (qsizetype size = 0; size < datagram.size(); ++size)
                QVERIFY(readMasterReply(kind, datagram.left(size)).servers.size() <= reply.servers.size() + 1);
        }
    }

    void conversations()
    {
        const QByteArray q3 = Oob + "getserversResponse";
        using Step = MasterConversation::Step;

        // Older masters end every datagram with the mark; a server listed twice is kept once.
        MasterConversation older({MasterKind::Quake3, 68});
        QCOMPARE(older.take(q3 + '\\' + First + Eot), Step::Settling);
        QCOMPARE(older.take(Oob + "junk"), Step::Ignored);
        QCOMPARE(older.take(q3 + '\\' + First + '\\' + Second + Eot), Step::Settling);
        QCOMPARE(texts(older.added()), QStringList{QStringLiteral("5.6.7.8:27961")});
        QCOMPARE(older.list().servers().size(), size_t(2));
        QCOMPARE(older.list().duplicates(), 1);
        QCOMPARE(older.refused(), 1);

        // The list stops at its bound, whatever the master goes on sending.
        MasterConversation bounded({MasterKind::QuakeWorld}, 1);
        QCOMPARE(bounded.take(Oob + "d\n" + First + Second), Step::Done);
        QCOMPARE(bounded.list().servers().size(), size_t(1));
        QVERIFY(bounded.error().contains(QLatin1String("cut")));
        QCOMPARE(bounded.take(Oob + "d\n" + Second), Step::Ignored);

        // A master that keeps sending what it sent before is not waited for without end.
        MasterConversation repeating({MasterKind::Quake3, 68});
        QCOMPARE(repeating.take(q3 + '\\' + First), Step::More);
        for (int i = 0; i < MasterConversation::MaxFruitless; ++i)
            QCOMPARE(repeating.take(q3 + '\\' + First), Step::More);
        QCOMPARE(repeating.take(q3 + '\\' + First), Step::Done);

        // Pages ask on from the last address, and end where one loops back to an earlier seed.
        MasterConversation pages({MasterKind::Source});
        QCOMPARE(pages.take(Oob + "f\n" + First + Second), Step::NextPage);
        QVERIFY(pages.nextRequest().contains(QByteArray("5.6.7.8:27961\0", 14)));
        QCOMPARE(pages.take(Oob + "f\n" + bytes({9, 9, 9, 9, 0, 9}) + Second), Step::Done);
        QVERIFY(pages.error().contains(QLatin1String("loop")));
        QCOMPARE(pages.list().servers().size(), size_t(3));

        MasterConversation ended({MasterKind::Source});
        QCOMPARE(ended.take(Oob + "f\n" + First), Step::NextPage);
        QCOMPARE(ended.take(Oob + "f\n" + Second + QByteArray(6, '\0')), Step::Done);
        QVERIFY(ended.error().isEmpty());
        QVERIFY(ended.sawEndMark());
    }
};

QTEST_GUILESS_MAIN(TestMasterProtocol)
#include "TestMasterProtocol.moc"
