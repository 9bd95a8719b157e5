#include "find/MasterProtocol.h"

#include <QTest>

using namespace trevisk;

Q_DECLARE_METATYPE(trevisk::MasterKind)

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
    void requests_data()
    {
        QTest::addColumn<MasterKind>("kind");
        QTest::addColumn<int>("protocol");
        QTest::addColumn<QString>("gameName");
        QTest::addColumn<bool>("notEmpty");
        QTest::addColumn<bool>("notFull");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("q3 plain") << MasterKind::Quake3 << 68 << QString() << false << false
                                  << Oob + "getservers 68 empty full";
        QTest::newRow("q3 ext, not empty") << MasterKind::Quake3 << 71 << QStringLiteral("Quake3Arena") << true << false
                                           << Oob + "getserversExt Quake3Arena 71 full";
        QTest::newRow("qw") << MasterKind::QuakeWorld << 0 << QString() << true << true << QByteArray("c\n");
        QTest::newRow("q2") << MasterKind::Quake2 << 0 << QString() << false << false << QByteArray("query\n\0", 7);
        QTest::newRow("source") << MasterKind::Source << 0 << QString() << true << true
                                << QByteArray("1\xff"
                                              "0.0.0.0:0\0\\empty\\1\\full\\1\0",
                                              28);
    }

    void requests()
    {
        QFETCH(MasterKind, kind);
        QFETCH(int, protocol);
        QFETCH(QString, gameName);
        QFETCH(bool, notEmpty);
        QFETCH(bool, notFull);
        QFETCH(QByteArray, expected);
        QCOMPARE(masterRequest({kind, protocol, gameName, notEmpty, notFull}), expected);
    }

    void replies_data()
    {
        QTest::addColumn<MasterKind>("kind");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QStringList>("servers");
        QTest::addColumn<int>("dropped");
        QTest::addColumn<bool>("endMark");
        QTest::addColumn<bool>("refused");
        const QStringList both{QStringLiteral("1.2.3.4:27960"), QStringLiteral("5.6.7.8:27961")};
        const QByteArray q3 = Oob + "getserversResponse";
        const QByteArray ext = Oob + "getserversExtResponse";
        const QByteArray v6 = '/' + bytes({0x20, 1, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x6D, 0x38});

        QTest::newRow("q3") << MasterKind::Quake3 << q3 + '\\' + First + '\\' + Second + Eot << both << 0 << true
                            << false;
        QTest::newRow("q3 without end mark")
            << MasterKind::Quake3 << q3 + '\\' + First << both.mid(0, 1) << 0 << false << false;
        QTest::newRow("q3 ext with IPv6")
            << MasterKind::Quake3 << ext + '\\' + First + v6 + Eot
            << QStringList{both[0], QStringLiteral("[2001:db8::1]:27960")} << 0 << true << false;
        QTest::newRow("q3 IPv6 in a plain reply")
            << MasterKind::Quake3 << q3 + '\\' + First + v6 + Eot << QStringList() << 0 << false << true;
        QTest::newRow("q3 truncated entry")
            << MasterKind::Quake3 << q3 + '\\' + First + '\\' + Second.left(4) << QStringList() << 0 << false << true;
        QTest::newRow("q3 truncated IPv6")
            << MasterKind::Quake3 << ext + v6.left(10) << QStringList() << 0 << false << true;
        QTest::newRow("q3 zero address and port")
            << MasterKind::Quake3
            << q3 + '\\' + bytes({0, 0, 0, 0, 0x6D, 0x38}) + '\\' + First + '\\' + bytes({9, 9, 9, 9, 0, 0}) + Eot
            << both.mid(0, 1) << 2 << true << false;
        QTest::newRow("q3 EOF mark of a middle datagram")
            << MasterKind::Quake3 << q3 + '\\' + First + QByteArray("\\EOF\0\0\0", 7) << both.mid(0, 1) << 1 << false
            << false;
        QTest::newRow("q3 bytes after the end mark")
            << MasterKind::Quake3 << q3 + '\\' + First + Eot + '\\' + Second << QStringList() << 0 << false << true;
        QTest::newRow("q3 stray byte") << MasterKind::Quake3 << q3 + '\\' + First + 'x' << QStringList() << 0 << false
                                       << true;
        QTest::newRow("q3 header only") << MasterKind::Quake3 << q3 << QStringList() << 0 << false << false;
        QTest::newRow("q3 wrong header") << MasterKind::Quake3 << Oob + "getserversResponsX\\" + First << QStringList()
                                         << 0 << false << true;
        QTest::newRow("qw") << MasterKind::QuakeWorld << Oob + "d\n" + First + Second << both << 0 << false << false;
        QTest::newRow("qw partial entry")
            << MasterKind::QuakeWorld << Oob + "d\n" + First + Second.left(5) << QStringList() << 0 << false << true;
        QTest::newRow("qw asked, q2 answered")
            << MasterKind::QuakeWorld << Oob + "servers " + First << QStringList() << 0 << false << true;
        QTest::newRow("q2") << MasterKind::Quake2 << Oob + "servers " + First + Second << both << 0 << false << false;
        QTest::newRow("q2 zero entry") << MasterKind::Quake2
                                       << Oob + "servers " + bytes({0, 0, 0, 0, 0x6D, 0x38}) + First << both.mid(0, 1)
                                       << 1 << false << false;
        QTest::newRow("q2 without the space")
            << MasterKind::Quake2 << Oob + "servers" + First << QStringList() << 0 << false << true;
        QTest::newRow("source last page")
            << MasterKind::Source << Oob + "f\n" + First + Second + QByteArray(6, '\0') << both << 0 << true << false;
        QTest::newRow("source middle page")
            << MasterKind::Source << Oob + "f\n" + First + Second << both << 0 << false << false;
        QTest::newRow("source empty page") << MasterKind::Source << Oob + "f\n" << QStringList() << 0 << true << false;
        QTest::newRow("source zero inside")
            << MasterKind::Source << Oob + "f\n" + QByteArray(6, '\0') + First << both.mid(0, 1) << 1 << false << false;
        QTest::newRow("source truncated")
            << MasterKind::Source << Oob + "f\n" + First + Second.left(3) << QStringList() << 0 << false << true;
        QTest::newRow("nothing") << MasterKind::Source << QByteArray() << QStringList() << 0 << false << true;
    }

    void replies()
    {
        QFETCH(MasterKind, kind);
        QFETCH(QByteArray, datagram);
        QFETCH(QStringList, servers);
        QFETCH(int, dropped);
        QFETCH(bool, endMark);
        QFETCH(bool, refused);
        const MasterReply reply = readMasterReply(kind, datagram);
        QCOMPARE(texts(reply.servers), servers);
        QCOMPARE(reply.dropped, dropped);
        QCOMPARE(reply.endMark, endMark);
        QCOMPARE(!reply.error.isEmpty(), refused);
        // Every truncation is refused or read, never read past its end.
        for (qsizetype size = 0; size < datagram.size(); ++size) {
            const MasterReply part = readMasterReply(kind, datagram.left(size));
            QVERIFY(part.servers.size() <= reply.servers.size() + 1);
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
