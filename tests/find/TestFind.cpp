#include "core/Clock.h"
#include "find/FindServersWindow.h"
#include "find/MasterProtocol.h"
#include "find/MasterSettings.h"
#include "find/ServerFinder.h"
#include "query/QueryEngine.h"
#include "session/Startup.h"
#include "sim/SimMasterServer.h"
#include "sim/SimServer.h"
#include "support/ScriptedPrompter.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <memory>

using namespace trevisk;
using namespace std::chrono_literals;

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

// The addresses read, First and Second written A and B.
QStringList texts(const std::vector<ListedAddress>& servers)
{
    QStringList list;
    for (const ListedAddress& server : servers)
        list += server.text();
    return list.replaceInStrings(QStringLiteral("1.2.3.4:27960"), QStringLiteral("A"))
        .replaceInStrings(QStringLiteral("5.6.7.8:27961"), QStringLiteral("B"));
}

} // namespace

class TestFind : public QObject
{
    Q_OBJECT
private slots:
    void requestsAndReplies()
    {
        const QByteArray source("1\3770.0.0.0:0\0\\empty\\1\\full\\1\0", 28); // \377 is 0xFF
        const struct
        {
            MasterAsk request;
            QByteArray expected;
        } asks[] = {
            {{MasterKind::Quake3, 68, QString(), false, false}, Oob + "getservers 68 empty full"},
            {{MasterKind::Quake3, 71, QStringLiteral("Quake3Arena"), true, false},
             Oob + "getserversExt Quake3Arena 71 full"},
            {{MasterKind::QuakeWorld, 0, QString(), true, true}, QByteArray("c\n")},
            {{MasterKind::Quake2, 0, QString(), false, false}, QByteArray("query\n\0", 7)},
            {{MasterKind::Source, 0, QString(), true, true}, source},
        };
        for (const auto& [request, expected] : asks)
            QCOMPARE(masterRequest(request), expected);

        // Each reply read as its addresses, then "dropped:n", "end" and "refused" where they apply.
        const QByteArray q3 = Oob + "getserversResponse\\", ext = Oob + "getserversExtResponse";
        const QByteArray v6 = '/' + bytes({0x20, 1, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x6D, 0x38});
        const QByteArray zero = bytes({0, 0, 0, 0, 0x6D, 0x38}), noPort = bytes({9, 9, 9, 9, 0, 0});
        const MasterKind Q3 = MasterKind::Quake3, QW = MasterKind::QuakeWorld, Q2 = MasterKind::Quake2,
                         Src = MasterKind::Source;
        const struct
        {
            const char* what;
            MasterKind kind;
            QByteArray datagram;
            const char* read;
        } cases[] = {
            {"q3", Q3, q3 + First + '\\' + Second + Eot, "A B end"},
            {"q3 without end mark", Q3, q3 + First, "A"},
            {"q3 ext with IPv6", Q3, ext + '\\' + First + v6 + Eot, "A [2001:db8::1]:27960 end"},
            {"q3 IPv6 in a plain reply", Q3, q3 + First + v6 + Eot, "refused"},
            {"q3 truncated entry", Q3, q3 + First + '\\' + Second.left(4), "refused"},
            {"q3 truncated IPv6", Q3, ext + v6.left(10), "refused"},
            {"q3 zero address and port", Q3, q3 + zero + '\\' + First + '\\' + noPort + Eot, "A dropped:2 end"},
            {"q3 EOF mark of a middle datagram", Q3, q3 + First + QByteArray("\\EOF\0\0\0", 7), "A dropped:1"},
            {"q3 bytes after the end mark", Q3, q3 + First + Eot + '\\' + Second, "refused"},
            {"q3 header only", Q3, q3.chopped(1), ""},
            {"q3 wrong header", Q3, Oob + "getserversResponsX\\" + First, "refused"},
            {"qw", QW, Oob + "d\n" + First + Second, "A B"},
            {"qw partial entry", QW, Oob + "d\n" + First + Second.left(5), "refused"},
            {"qw asked, q2 answered", QW, Oob + "servers " + First, "refused"},
            {"q2", Q2, Oob + "servers " + First + Second, "A B"},
            {"q2 zero entry", Q2, Oob + "servers " + zero + First, "A dropped:1"},
            {"q2 without the space", Q2, Oob + "servers" + First, "refused"},
            {"source last page", Src, Oob + "f\n" + First + Second + QByteArray(6, '\0'), "A B end"},
            {"source middle page", Src, Oob + "f\n" + First + Second, "A B"},
            {"source empty page", Src, Oob + "f\n", "end"},
            {"source zero inside", Src, Oob + "f\n" + QByteArray(6, '\0') + First, "A dropped:1"},
            {"source truncated", Src, Oob + "f\n" + First + Second.left(3), "refused"},
            {"nothing", Src, QByteArray(), "refused"},
        };
        for (const auto& [what, kind, datagram, expected] : cases) {
            const MasterReply reply = readMasterReply(kind, datagram);
            QStringList read = texts(reply.servers);
            if (reply.dropped)
                read += QStringLiteral("dropped:%1").arg(reply.dropped);
            if (reply.endMark)
                read += QStringLiteral("end");
            if (!reply.error.isEmpty())
                read += QStringLiteral("refused");
            QVERIFY2(read.join(QLatin1Char(' ')) == QLatin1String(expected), what);
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
        QCOMPARE(texts(older.added()), QStringList{QStringLiteral("B")});
        QVERIFY(older.list().servers().size() == 2 && older.list().duplicates() == 1 && older.refused() == 1);

        // The list stops at its bound, whatever the master goes on sending.
        MasterConversation bounded({MasterKind::QuakeWorld}, 1);
        QCOMPARE(bounded.take(Oob + "d\n" + First + Second), Step::Done);
        QVERIFY(bounded.list().servers().size() == 1 && bounded.error().contains(QLatin1String("cut")));
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
        QVERIFY(pages.error().contains(QLatin1String("loop")) && pages.list().servers().size() == 3);

        MasterConversation ended({MasterKind::Source});
        QCOMPARE(ended.take(Oob + "f\n" + First), Step::NextPage);
        QCOMPARE(ended.take(Oob + "f\n" + Second + QByteArray(6, '\0')), Step::Done);
        QVERIFY(ended.error().isEmpty() && ended.sawEndMark());
    }

    void masterSettings()
    {
        const std::pair<const char*, const char*> cases[] = {
            {"127.0.0.1:27950", "127.0.0.1:27950"},
            {"master.example.org", "master.example.org:27011"}, // the kind's default port
            {"[::1]:27011", "[::1]:27011"},
            // Refused:
            {"127.0.0.1:0", ""},
            {"127.0.0.1:70000", ""},
            {"-x:27011", ""}, // would read as an option
            {"a/b:27011", ""},
            {"[zz]:27011", ""},
        };
        for (const auto& [text, expected] : cases) {
            const auto address = parseMasterAddress(QString::fromLatin1(text), MasterKind::Source);
            QCOMPARE(address ? address->text() : QString(), QString::fromLatin1(expected));
        }

        // The stored masters. Never set: the shipped masters; set to nothing: none; set: those.
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        const QString game = QStringLiteral("Wolfenstein: Enemy Territory");
        QCOMPARE(mastersFor(store, QStringLiteral("Quake 3")), shippedMasters(QStringLiteral("Quake 3")));
        QVERIFY(mastersFor(store, game).isEmpty());
        setMastersFor(store, QStringLiteral("Quake 3"), {});
        setMastersFor(store, game, {QStringLiteral("127.0.0.1:27950"), QStringLiteral("127.0.0.2")});
        store.sync();
        QSettings reread(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        QVERIFY(mastersFor(reread, QStringLiteral("Quake 3")).isEmpty());
        QCOMPARE(mastersFor(reread, game).join(QLatin1Char(' ')), QStringLiteral("127.0.0.1:27950 127.0.0.2"));
    }

    void filters()
    {
        const struct
        {
            const char *what, *hostname, *maxPlayers, *name;
            int players;
            bool answered, notEmpty, notFull, passes;
        } cases[] = {
            {"silent, no filter", "", "", "", 0, false, false, false, true},
            {"silent, a filter", "", "", "", 0, false, true, false, false},
            {"name across colour codes", "^1Cas^7tle Keep", "8", "castle", 1, true, false, false, true},
            {"name missing", "Arena", "8", "castle", 1, true, false, false, false},
            {"empty", "Arena", "8", "", 0, true, true, false, false},
            {"full", "Arena", "8", "", 8, true, false, true, false},
            {"limit unknown", "Arena", "", "", 8, true, false, true, true},
        };
        for (const auto& [what, hostname, maxPlayers, name, players, answered, notEmpty, notFull, passes] : cases) {
            QueryRound::Result result;
            result.answered = answered;
            result.hostname = QString::fromLatin1(hostname);
            result.reportsPlayerCount = true;
            result.numPlayers = QString::number(players);
            result.maxPlayers = QString::fromLatin1(maxPlayers);
            QVERIFY2(passesFilters({QString::fromLatin1(name), QString(), notEmpty, notFull}, result) == passes, what);
        }
    }

    // Two masters with overlapping lists and a silent one: each server is queried once, the IPv6 ones
    // too (nothing listens there), and the silent master says so without holding the rest back.
    void finderMergesTheMasters()
    {
        std::vector<std::unique_ptr<SimServer>> servers;
        std::vector<ListedAddress> listed;
        for (int i = 0; i < 3; ++i) {
            servers.push_back(std::make_unique<SimServer>(QStringLiteral("Quake 3")));
            QVERIFY(servers.back()->start());
            listed.push_back({QHostAddress(QHostAddress::LocalHost), servers.back()->gamePort()});
        }
        SimMaster::Options options;
        options.ipv6 = 2;
        SimMasterServer first(SimMaster(options, {listed[0], listed[1]}));
        SimMasterServer second(SimMaster(options, {listed[1], listed[2]}));
        QUdpSocket silent;
        QVERIFY(first.start() && second.start() && silent.bind(QHostAddress::LocalHost, 0));

        SystemClock clock;
        QueryEngine engine(clock);
        ServerFinder finder(engine);
        finder.setMasterTiming({300ms, 50ms, 10ms});
        const QString silentAddress = QStringLiteral("127.0.0.1:%1").arg(silent.localPort());
        QString error;
        QVERIFY(finder.start({QStringLiteral("Quake 3"), {first.address(), second.address(), silentAddress}, {}, {}},
                             error));
        QSignalSpy finished(&finder, &ServerFinder::finished);
        QVERIFY(finished.wait(5000));
        QCOMPARE(std::tuple(finder.found().size(), finder.queriedCount(), finder.answeredCount()),
                 std::tuple(size_t(5), 5, 3));
        QStringList refused;
        for (const ServerFinder::Found& found : finder.found()) {
            if (found.result.state == ServerState::Refused)
                refused += found.address;
        }
        QCOMPARE(refused, (QStringList{QStringLiteral("[::1]:1"), QStringLiteral("[::1]:2")}));
        const auto& masters = finder.masters();
        QVERIFY(masters[0].listed == 4 && masters[1].listed == 4 && masters[1].error.isEmpty());
        QCOMPARE(masters[2].error, QStringLiteral("no answer"));
        QVERIFY(first.requests() == 1 && second.requests() == 1);

        // What cannot be asked is refused before anything is sent.
        for (const auto& [game, masters] :
             {std::pair{QStringLiteral("Halo"), QStringList{first.address()}},
              std::pair{QStringLiteral("Quake 3"), QStringList()},
              std::pair{QStringLiteral("Quake 3"), QStringList{QStringLiteral("-x")}},
              std::pair{QStringLiteral("Star Trek: Elite Force II"), QStringList{first.address()}}}) {
            QVERIFY2(!finder.start({game, masters, std::nullopt, {}}, error), qPrintable(game));
            QVERIFY(!error.isEmpty());
        }
        QVERIFY(!finder.start({QStringLiteral("QuakeWorld"), {first.address()}, 28, {}}, error));
        QCOMPARE(first.requests(), 1);
    }

    // The table fills as the servers answer, sorts, colours the silent one as the grid does, and
    // "Add to List" stores the selected servers as the add-server checks pass them.
    void searchFillsTheTableAndAddsToTheList()
    {
        QTemporaryDir dir;
        AppContext context;
        context.dataDir = dir.path();
        context.settings = AppSettings::defaults(dir.path());
        context.stores = Stores(dir.path());
        context.settingsStore =
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        ScriptedPrompter prompter;

        std::vector<std::unique_ptr<SimServer>> servers;
        std::vector<ListedAddress> listed;
        for (int players : {1, 3, 0, 2}) {
            servers.push_back(std::make_unique<SimServer>(
                SimServerState::forGame(QStringLiteral("Quake 3"), static_cast<int>(servers.size()) + 1, players)));
            QVERIFY(servers.back()->start());
            listed.push_back({QHostAddress(QHostAddress::LocalHost), servers.back()->gamePort()});
        }
        servers[3]->responder().setAnswering(false);
        // A friend plays on the server with three players (the third, "^3G^7rism").
        context.stores.friends.rows.push_back({QStringLiteral("rism"), {}});
        ServerRecord already;
        already.address = servers[0]->address();
        already.game = QStringLiteral("Quake 3");
        context.stores.servers.rows.push_back(already);
        SimMaster::Options options;
        options.duplicates = true;
        options.perDatagram = 3;
        SimMasterServer master(SimMaster(options, listed));
        QVERIFY(master.start());

        int changes = 0;
        FindServersWindow window(context, prompter, [&changes] { ++changes; });
        window.setQueryTimeOut(100ms);
        window.show();
        window.findChild<QLineEdit*>(QStringLiteral("masters"))->setText(master.address());
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("find")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.finder().isFinished(), 10000);
        QCOMPARE(mastersFor(*context.settingsStore, QStringLiteral("Quake 3")), QStringList{master.address()});

        auto* table = window.findChild<QTableView*>(QStringLiteral("found"));
        QAbstractItemModel* model = table->model();
        QCOMPARE(model->rowCount(), 4);
        auto* progress = window.findChild<QProgressBar*>(QStringLiteral("progress"));
        QCOMPARE(progress->value(), progress->maximum());
        table->sortByColumn(FoundServersModel::PlayersColumn, Qt::DescendingOrder);
        QString players;
        for (int row = 0; row < 4; ++row)
            players += model->index(row, FoundServersModel::PlayersColumn).data().toString() + QLatin1Char(' ');
        QCOMPARE(players, QStringLiteral("3/12 1/12 0/12  "));
        QCOMPARE(model->index(3, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 128, 128));
        QCOMPARE(model->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(128, 255, 128));
        QVERIFY(!model->index(1, 0).data(Qt::BackgroundRole).isValid());

        // The three that answered; the first of them is listed already.
        for (int row : {0, 1, 2})
            table->selectionModel()->select(model->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("add")), Qt::LeftButton);
        QCOMPARE(changes, 1);
        const auto& rows = context.stores.servers.rows;
        QCOMPARE(rows.size(), size_t(3));
        for (size_t i = 1; i < 3; ++i)
            QVERIFY(rows[i].gameText() == QStringLiteral("Quake 3") && rows[i].memo.value_or(QString()).isEmpty()
                    && rows[i].tray.value_or(-1) == 0);
        QCOMPARE(QSet<QString>({rows[1].addressText(), rows[2].addressText()}),
                 QSet<QString>({servers[1]->address(), servers[2]->address()}));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("servers.dat"))));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("status"))->text(),
                 QStringLiteral("2 added, 1 already listed"));
        QVERIFY(prompter.asked.isEmpty());
    }
};

QTEST_MAIN(TestFind)
#include "TestFind.moc"
