#include "MonitorFixture.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

using namespace trevisk;

namespace {

SimPlayer player(const char* name, int score = 1)
{
    SimPlayer p;
    p.name = name;
    p.score = score;
    p.ping = 50;
    return p;
}

// Answers every request with the datagram the test sets, on a port of its own.
class RawServer : public QObject
{
public:
    explicit RawServer(quint16 port = 0)
    {
        QVERIFY(m_socket.bind(QHostAddress::LocalHost, port));
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = m_socket.receiveDatagram();
                if (!answer.isEmpty())
                    m_socket.writeDatagram(request.makeReply(answer));
            }
        });
    }
    quint16 port() const { return m_socket.localPort(); }
    QByteArray answer;

private:
    QUdpSocket m_socket;
};

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT
private slots:
    void listBuildQueriesEveryServerAtOnce()
    {
        MonitorFixture f;
        QList<std::shared_ptr<QSignalSpy>> requests;
        for (const char* game : {"Quake 3", "Half Life", "Quake 2"})
            requests << std::make_shared<QSignalSpy>(&f.addServer(QString::fromLatin1(game)),
                                                     &SimServer::requestReceived);
        f.context.stores.servers.rows[1].tray = 2;
        f.context.stores.servers.rows[2].tray = 1;
        f.start();
        QCOMPARE(f.monitor->status().rowCount(), 3);
        QCOMPARE(f.monitor->queryObjectCount(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f.monitor->status().rows()[size_t(i)].address, f.servers[size_t(i)]->address());
        for (const auto& spy : requests)
            QTRY_VERIFY(!spy->isEmpty());
        // Tray 2 waits for AllTray; tray 1 always gets its window.
        QCOMPARE(f.windows.shown, QStringList{f.servers[2]->address()});
        QVERIFY(f.settle());
        QCOMPARE(f.row(*f.servers[0]).players,
                 std::optional<QString>(QStringLiteral("4/%1").arg(f.query(*f.servers[0]).maxPlayers())));
    }

    void freedObjectIsReusedAndDeleteSaves()
    {
        MonitorFixture f;
        f.addServer(QStringLiteral("Quake 3"));
        SimServer& second = f.addServer(QStringLiteral("Quake 3"));
        f.addServer(QStringLiteral("Quake 3"));
        f.context.stores.custEmail.rows = {{second.address(), QStringLiteral("gone"), {}}};
        f.start();
        f.prompter.answers << Prompter::Answer::Yes;
        f.monitor->delServer(second.address());
        QCOMPARE(f.prompter.texts(), QStringList{QStringLiteral("Are you sure you want to delete this server?")});
        QCOMPARE(f.monitor->status().rowCount(), 2);
        QVERIFY(!f.monitor->queryFor(second.address()));
        QCOMPARE(f.windows.closed, QStringList{second.address()});
        QVERIFY(f.context.stores.custEmail.rows.empty());
        Stores reread(f.dir.path());
        RecordingReporter reporter;
        reread.loadAll(reporter);
        QCOMPARE(reread.servers.rows.size(), size_t(2));
        QVERIFY(QFile::exists(f.dir.filePath(QStringLiteral("custemail.dat"))));

        // The dialog saved a new record; the freed object serves it.
        SimServer added(SimServerState::forGame(QStringLiteral("Quake 3"), 9));
        QVERIFY(added.start());
        ServerRecord record;
        record.address = added.address();
        record.game = QStringLiteral("Quake 3");
        record.manualRefresh = 1;
        f.context.stores.servers.rows.push_back(record);
        f.windows.dialogAnswer = QStringLiteral(" ") + added.address() + QStringLiteral(" ");
        QSignalSpy requests(&added, &SimServer::requestReceived);
        f.monitor->addServer();
        QCOMPARE(f.monitor->queryObjectCount(), 3);
        QCOMPARE(f.monitor->status().rowCount(), 3);
        QVERIFY(requests.wait(3000));

        f.monitor->delServer(QString());
        QCOMPARE(f.prompter.texts().last(), QStringLiteral("You must select a server to edit!"));
    }

    void editMovesTheRowAndKeepsItsState()
    {
        MonitorFixture f;
        SimServer& old = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        f.monitor->updateJoin(old.address());
        const QString name = *f.row(old).name;

        SimServer moved(SimServerState::forGame(QStringLiteral("Quake 3"), 7));
        QVERIFY(moved.start());
        f.windows.duringDialog = [&] {
            f.context.stores.servers.rows[0].address = moved.address();
            f.context.stores.servers.rows[0].option2 = QStringLiteral("memo");
        };
        f.windows.dialogAnswer = moved.address();
        QSignalSpy requests(&moved, &SimServer::requestReceived);
        f.monitor->editServer(old.address());
        QVERIFY(!f.monitor->status().find(old.address()));
        const StatusRow* row = f.monitor->status().find(moved.address());
        QVERIFY(row);
        QCOMPARE(row->name, std::optional<QString>(name));
        QCOMPARE(row->server, QStringLiteral("memo"));
        QCOMPARE(row->autoJoin, 1);
        QCOMPARE(f.monitor->queryObjectCount(), 1);
        QVERIFY(requests.wait(3000));

        f.monitor->editServer(QString());
        QCOMPARE(f.prompter.texts().last(), QStringLiteral("You must select as server to edit!"));
    }

    void firstAnswerRules()
    {
        MonitorFixture f;
        f.context.settings.soundEnable = {QStringLiteral("1"),
                                          QStringLiteral("1"),
                                          QStringLiteral("1"),
                                          QStringLiteral("1"),
                                          QStringLiteral("1"),
                                          QStringLiteral("1")};
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 5);
        server.state().map = "q3dm17";
        f.context.stores.favMaps.rows = {{1, QStringLiteral("Quake 3"), QStringLiteral("dm17"), {}}};
        QFile wave(f.dir.filePath(QStringLiteral("sounds/5.wav")));
        QVERIFY(QDir(f.dir.path()).mkpath(QStringLiteral("sounds")) && wave.open(QIODevice::WriteOnly));
        wave.close();
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        QCOMPARE(f.logged, QStringList{name + QStringLiteral(" is running your favorite map: q3dm17")});
        QCOMPARE(f.sound.played, QStringList{wave.fileName()});
        QCOMPARE(f.row(server).lastPlayers, std::optional<qint32>(5));

        // Empty, then two players: one "has become active", which is never logged.
        server.state().players.clear();
        QVERIFY(f.refresh(server));
        server.state().players = {player("a"), player("b")};
        QVERIFY(f.refresh(server));
        QCOMPARE(f.popups->currentText() + f.popups->waiting().back().message,
                 f.popups->currentText() + name + QStringLiteral(" has become active with players..."));
        QCOMPARE(f.logged.size(), 1);
    }

    void backOnlineWinsOverBecameActive()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 0);
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        server.responder().setAnswering(false);
        QVERIFY(f.refresh(server));
        QVERIFY(f.refresh(server));
        QCOMPARE(f.row(server).timeOutCount, std::optional<qint32>(2));
        QVERIFY(f.row(server).isOffline());
        QVERIFY(!f.row(server).ping.has_value());
        server.responder().setAnswering(true);
        server.state().players = {player("a"), player("b")};
        QVERIFY(f.refresh(server));
        QCOMPARE(f.logged,
                 (QStringList{name + QStringLiteral(" has gone offline!"), name + QStringLiteral(" is back online!")}));
        QVERIFY(!f.row(server).isOffline());
        QCOMPARE(f.row(server).timeOutCount, std::optional<qint32>(0));
        QCOMPARE(f.windows.timeOuts.size(), 2);
        // The popped-up texts: the two events, and nothing about activity.
        QStringList popped{f.popups->currentText()};
        for (const Notification& waiting : f.popups->waiting())
            popped << waiting.message;
        QCOMPARE(popped,
                 (QStringList{name + QStringLiteral(" has gone offline!"), name + QStringLiteral(" is back online!")}));

        // History: the silent cycles have neither ping nor players.
        const auto points = f.monitor->history().pointsOf(server.address());
        QCOMPARE(points.size(), size_t(4));
        QCOMPARE(points[1].ping, qint16(-1));
        QCOMPARE(points[1].players, qint16(-1));
        QCOMPARE(points[3].players, qint16(2));
    }

    // A freed query object serves the next server without the last one's results.
    void reusedObjectStartsClean()
    {
        MonitorFixture f;
        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}};
        SimServer& first = f.addServer(QStringLiteral("Quake 3"), 0);
        first.state().players = {player("bob")};
        f.start();
        QVERIFY(f.settle());
        QCOMPARE(f.logged.size(), 1);
        ServerQuery* object = &f.query(first);
        f.prompter.answers << Prompter::Answer::Yes;
        f.monitor->delServer(first.address());

        SimServer next(SimServerState::forGame(QStringLiteral("Quake 3"), 5));
        QVERIFY(next.start());
        next.responder().setAnswering(false);
        ServerRecord record;
        record.address = next.address();
        record.game = QStringLiteral("Quake 3");
        record.manualRefresh = 1;
        f.context.stores.servers.rows.push_back(record);
        f.windows.dialogAnswer = next.address();
        f.monitor->addServer();
        QCOMPARE(&f.query(next), object);
        QSignalSpy timeOuts(object, &ServerQuery::timeOut);
        QVERIFY(timeOuts.wait(3000));
        QCOMPARE(f.row(next).name, std::optional<QString>(QString()));
        QCOMPARE(f.row(next).friends, std::optional<qint32>(0));
        QVERIFY(f.query(next).friends().isEmpty());
        QCOMPARE(f.logged.size(), 1);
    }

    // Half-Life's information answer carries no players: it is no sign of a server that was empty.
    void halfLifeStartIsNoActivity()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Half Life"), 3);
        f.start();
        QSignalSpy updates(&f.query(server), &ServerQuery::serverUpdate);
        QTRY_COMPARE(updates.size(), 2);
        QCOMPARE(f.row(server).lastPlayers, std::optional<qint32>(3));
        QCOMPARE(f.popups->currentText(), QString());
        QVERIFY(f.popups->waiting().empty());
    }

    void neverAnsweredServerIsNotReportedOffline()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        server.responder().setAnswering(false);
        f.context.settings.nss = 0;
        f.start();
        QVERIFY(f.settle());
        QVERIFY(f.refresh(server));
        QCOMPARE(f.row(server).timeOutCount, std::optional<qint32>(2));
        QVERIFY(!f.row(server).isOffline());
        QVERIFY(f.logged.isEmpty());
        QCOMPARE(f.popups->currentText(), QString());
    }

    void friendsComeAndGoInOneNotification()
    {
        MonitorFixture f;
        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}, {QString(), {}}, {QStringLiteral("eve"), {}}};
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 0);
        server.state().players = {player("Bob"), player("carol"), player("BOBBY")};
        f.start();
        QVERIFY(f.settle());
        const QString name = *f.row(server).name;
        // The log holds each notification on one line; the pop-up keeps the line breaks.
        QCOMPARE(f.logged, QStringList{QStringLiteral("Bob BOBBY logged onto ") + name});
        QCOMPARE(f.popups->currentText(), QStringLiteral("Bob\r\nBOBBY\r\nlogged onto\r\n") + name);
        QCOMPARE(f.row(server).friends, std::optional<qint32>(2));
        QCOMPARE(f.windows.details.last(), server.address() + QStringLiteral(" friends=2"));

        server.state().players = {player("carol"), player("^1e^7ve")};
        QVERIFY(f.refresh(server));
        QCOMPARE(f.logged.mid(1),
                 (QStringList{QStringLiteral("Bob BOBBY logged off from ") + name,
                              QStringLiteral("eve logged onto ") + name}));
        QCOMPARE(f.windows.details.last(), server.address() + QStringLiteral(" friends=1"));
    }

    // An incomplete player list tells nothing about who left.
    void missingDataKeepsTheFriendsSeen()
    {
        MonitorFixture f;
        f.context.stores.friends.rows = {{QStringLiteral("bob"), {}}};
        RawServer raw;
        raw.answer = "\\hostname\\Raw\\numplayers\\1\\maxplayers\\8\\player_0\\bob\\queryid\\1.1\\final\\";
        ServerRecord record;
        record.address = QStringLiteral("127.0.0.1:%1").arg(raw.port() - 1);
        record.game = QStringLiteral("Unreal Tournament");
        record.manualRefresh = 1;
        f.context.stores.servers.rows.push_back(record);
        f.start();
        QTRY_COMPARE_WITH_TIMEOUT(f.logged.size(), 1, 3000);
        ServerQuery& query = *f.monitor->queryFor(*record.address);
        QCOMPARE(query.friends(), QStringList{QStringLiteral("bob")});
        raw.answer = "\\hostname\\Raw\\numplayers\\2\\maxplayers\\8\\queryid\\2.1\\final\\";
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        f.monitor->refreshServer(*record.address);
        QVERIFY(updates.wait(3000));
        QCOMPARE(query.friends(), QStringList{QStringLiteral("bob")});
        QCOMPARE(f.logged.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "TestMonitor.moc"
