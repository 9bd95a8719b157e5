#include "query/ServerJson.h"
#include "store/Stores.h"
#include "support/MonitorFixture.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"
#include "web/Shard.h"
#include "web/StatusServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTcpSocket>
#include <QTest>

#include <list>
#include <sys/stat.h>
#include <time.h>

using namespace trevisk;

namespace {

// Every sample of a metrics text as Prometheus' reference parser reads it: "name{labels}" -> value.
// Throws on anything the format does not allow, which fails the test.
QHash<QString, double> parseMetrics(const QByteArray& text)
{
    static const char script[] = "import json, sys\n"
                                 "from prometheus_client.parser import text_string_to_metric_families\n"
                                 "out = {}\n"
                                 "for family in text_string_to_metric_families(sys.stdin.read()):\n"
                                 "    for s in family.samples:\n"
                                 "        labels = ','.join('%s=%s' % (k, s.labels[k]) for k in sorted(s.labels))\n"
                                 "        out[s.name + '{' + labels + '}'] = s.value\n"
                                 "print(json.dumps(out))\n";
    QProcess python;
    // Debian's interpreter, which has Debian's prometheus_client.
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script)});
    python.write(text);
    python.closeWriteChannel();
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        qWarning().noquote() << python.readAllStandardError();
        return {};
    }
    QHash<QString, double> samples;
    const QJsonObject object = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (auto it = object.begin(); it != object.end(); ++it)
        samples.insert(it.key(), it.value().toDouble());
    return samples;
}

// What one connection got back: the status of its first answer, all it read, and whether the
// server closed it.
struct RawReply
{
    QByteArray text;
    bool closed = false;
    int status() const { return text.startsWith("HTTP/1.1 ") ? text.mid(9, 3).toInt() : 0; }
    QByteArray body() const { return text.mid(text.indexOf("\r\n\r\n") + 4); }
    bool hasHeader(const QByteArray& line) const
    {
        return text.left(text.indexOf("\r\n\r\n") + 2).contains("\r\n" + line);
    }
};

bool connectTo(QTcpSocket& socket, quint16 port, const char* host = "127.0.0.1")
{
    socket.connectToHost(QHostAddress(QString::fromLatin1(host)), port);
    return socket.waitForConnected(5000);
}

// Sends the bytes as they stand and reads until the server closes the connection.
RawReply exchange(quint16 port, const QByteArray& bytes, const char* host = "127.0.0.1")
{
    QTcpSocket socket;
    if (!connectTo(socket, port, host))
        return {};
    socket.write(bytes);
    QSignalSpy gone(&socket, &QAbstractSocket::disconnected);
    const bool closed = gone.wait(10000) || socket.state() == QAbstractSocket::UnconnectedState;
    return {socket.readAll(), closed};
}

RawReply fetch(quint16 port, const QByteArray& path, const QByteArray& token = {})
{
    QByteArray request = "GET " + path + " HTTP/1.1\r\nConnection: close\r\n";
    if (!token.isEmpty())
        request += "Authorization: Bearer " + token + "\r\n";
    return exchange(port, request + "\r\n");
}

// The CPU time this process has used.
std::chrono::nanoseconds cpuTime()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// A sample's name as parseMetrics gives it, for one server.
QString key(const char* name, SimServer& server, const char* more = nullptr)
{
    QStringList labels{QStringLiteral("address=") + server.address(), QStringLiteral("game=") + server.state().game};
    if (more)
        labels << QString::fromLatin1(more);
    labels.sort();
    return QString::fromLatin1(name) + QLatin1Char('{') + labels.join(QLatin1Char(',')) + QLatin1Char('}');
}

// Starts the program headless with these arguments (plus --listen on a free loopback port) and
// returns the port it serves on, or 0 when it did not come up.
quint16 startServing(QProcess& program, QStringList arguments)
{
    startTrevisk(program, arguments << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0"));
    QByteArray out;
    const QRegularExpression serving(QStringLiteral("Serving the status on http://127\\.0\\.0\\.1:(\\d+)/"));
    QRegularExpressionMatch match;
    const bool up = QTest::qWaitFor(
        [&] {
            out += program.readAllStandardOutput();
            match = serving.match(QString::fromUtf8(out));
            return match.hasMatch() || program.state() == QProcess::NotRunning;
        },
        20000);
    if (!up)
        qWarning().noquote() << out << program.readAllStandardError();
    return match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
}

} // namespace

class TestWeb : public QObject
{
    Q_OBJECT

private slots:
    // One server up with a friend on it and markup in its name, one that never answers.
    void metricsAndServersAfterARound()
    {
        MonitorFixture f;
        SimServer& up = f.addServer(QStringLiteral("Quake 2"), 4);
        up.state().hostname = "<script>alert(1)</script>\"&";
        SimServer& down = f.addServer(QStringLiteral("Quake 3"), 2);
        f.context.stores.friends.rows.push_back({QString::fromLatin1(up.responder().state().players.front().name), {}});
        f.start();
        f.setAnswering(down, false);
        f.monitor->refreshServer(down.address());
        QVERIFY(f.settle());
        QTRY_VERIFY(f.row(down).timeOutCount.value_or(0) > 0);

        StatusServer web(*f.monitor);
        QVERIFY(web.listen(ListenAddress{}, nullptr));
        const RawReply metrics = fetch(web.port(), "/metrics");
        QVERIFY(metrics.status() == 200 && metrics.hasHeader("Content-Type: text/plain; version=0.0.4"));
        const QHash<QString, double> samples = parseMetrics(metrics.body());

        for (const auto& [name, value] :
             {std::pair(key("trevisk_server_up", up), 1.0),
              std::pair(key("trevisk_server_up", down), 0.0),
              std::pair(key("trevisk_server_state", up, "state=up"), 1.0),
              std::pair(key("trevisk_server_state", up, "state=timeout"), 0.0),
              std::pair(key("trevisk_server_state", down, "state=timeout"), 1.0),
              std::pair(key("trevisk_server_players", up), 4.0),
              std::pair(key("trevisk_server_max_players", up), double(up.state().maxPlayers)),
              std::pair(key("trevisk_server_friends", up), 1.0),
              std::pair(key("trevisk_server_ping_seconds", up), *f.row(up).ping / 1000.0),
              std::pair(key("trevisk_server_last_answer_timestamp_seconds", up),
                        double(f.clock.now().toSecsSinceEpoch())),
              std::pair(key("trevisk_server_uptime_ratio", up, "window=week"), 1.0),
              std::pair(key("trevisk_server_uptime_ratio", down, "window=day"), 0.0),
              std::pair(QStringLiteral("trevisk_answers_total{}"), double(f.monitor->engine().counters().answers)),
              std::pair(QStringLiteral("trevisk_answer_errors_total{}"), 0.0),
              std::pair(QStringLiteral("trevisk_servers{}"), 2.0)})
            QVERIFY2(samples.value(name, -1) == value, qPrintable(name + QString::number(samples.value(name, -1))));
        // What a server that is not up last said is not shown as if it were live.
        for (const char* name : {"trevisk_server_ping_seconds",
                                 "trevisk_server_players",
                                 "trevisk_server_friends",
                                 "trevisk_server_last_answer_timestamp_seconds"})
            QVERIFY2(!samples.contains(key(name, down)), name);
        QVERIFY(samples.value(QStringLiteral("trevisk_answers_total{}")) >= 1);
        QVERIFY(samples.value(QStringLiteral("trevisk_queries_sent_total{}")) >= 2);
        QVERIFY(samples.value(QStringLiteral("trevisk_timeouts_total{}")) >= 1);

        const RawReply page = fetch(web.port(), "/");
        QVERIFY(page.status() == 200 && page.hasHeader("Content-Type: text/html")
                && page.body().contains("http-equiv=\"refresh\""));
        QVERIFY(page.body().contains("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&amp;")
                && !page.body().contains("<script>"));

        // The JSON carries what a one-shot query prints, built by the same code, plus state and uptime.
        const QJsonArray servers = QJsonDocument::fromJson(fetch(web.port(), "/api/servers").body()).array();
        QCOMPARE(servers.size(), 2);
        QJsonObject first = servers.at(0).toObject();
        QCOMPARE(first.take(QStringLiteral("state")), QJsonValue(QStringLiteral("up")));
        QCOMPARE(first.take(QStringLiteral("uptime"))[QStringLiteral("day")], QJsonValue(1));
        QCOMPARE(QJsonDocument(servers.at(1).toObject().value(QStringLiteral("uptime")).toObject())
                     .toJson(QJsonDocument::Compact),
                 QByteArray(R"({"day":0,"month":0,"week":0})"));
        QCOMPARE(first, queryResultJson(queryResultOf(f.query(up), true)));
        QCOMPARE(servers.at(1)[QStringLiteral("state")].toString(), QStringLiteral("timeout"));
        QCOMPARE(servers.at(1)[QStringLiteral("address")].toString(), down.address());
    }

    void listenAddresses()
    {
        QString error;
        for (const auto& [text, address] : {std::pair("9100", QHostAddress::LocalHost),
                                            std::pair(":9100", QHostAddress::LocalHost),
                                            std::pair("localhost:9100", QHostAddress::LocalHost),
                                            std::pair("0.0.0.0:9100", QHostAddress::AnyIPv4),
                                            std::pair("[::1]:9100", QHostAddress::LocalHostIPv6)}) {
            const auto parsed = parseListenAddress(QString::fromLatin1(text), &error);
            QVERIFY2(parsed && parsed->address == QHostAddress(address) && parsed->port == 9100, text);
        }
        // Served beyond this machine to anyone: a warning.
        for (const auto& [address, token, warns] : {std::tuple("127.0.0.1", false, false),
                                                    std::tuple("127.0.0.2", false, false),
                                                    std::tuple("::1", false, false),
                                                    std::tuple("0.0.0.0", false, true),
                                                    std::tuple("::", false, true),
                                                    std::tuple("192.0.2.7", false, true),
                                                    std::tuple("0.0.0.0", true, false)})
            QVERIFY2(exposureWarning(QHostAddress(QString::fromLatin1(address)), token).isEmpty() != warns, address);
        for (const char* bad : {"", "server.example:9100", "127.0.0.1:65536", "127.0.0.1:", "127.0.0.1:port"}) {
            error.clear();
            QVERIFY2(!parseListenAddress(QString::fromLatin1(bad), &error) && !error.isEmpty(), bad);
        }
    }

    // Bound where asked and nowhere else (loopback by default) and read-only behind its token; a
    // request is read within limits of size and time and refused before any body; nothing but
    // HTTP/1.x is served, and nothing is printed for any of it.
    void requestsTokensAndLimits()
    {
        MonitorFixture f;
        f.start();
        QString error;
        StatusServer web(*f.monitor);
        web.setToken("s3cret-token");
        QVERIFY(web.listen(*parseListenAddress(QStringLiteral("127.0.0.2:0"), &error), nullptr));
        QCOMPARE(web.boundAddress(), QHostAddress(QStringLiteral("127.0.0.2")));
        QCOMPARE(fetch(web.port(), "/metrics", "s3cret-token").status(), 0); // nothing on 127.0.0.1
        static int printed;
        printed = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ++printed; });
        const auto restore = qScopeGuard([&] { qInstallMessageHandler(previous); });

        const QByteArray get = "GET /metrics HTTP/1.1\r\nConnection: close\r\n";
        const auto with = [](const char* line, const char* authorization = "Bearer s3cret-token") {
            return QByteArray(line) + " HTTP/1.1\r\nConnection: close\r\nAuthorization: " + authorization + "\r\n\r\n";
        };
        // Each request with the answer's status and a header it must carry.
        for (const auto& [request, answer] :
             {std::pair(get + "\r\n", "401 WWW-Authenticate: Bearer\r\n"),
              std::pair(with("GET /api/servers", "Bearer s3cret-toke"), "401"),
              std::pair(with("GET /api/servers", "Bearer s3cret-token2"), "401"),
              std::pair(with("GET /api/servers", "Bearer S3cret-token"), "401"),
              std::pair(with("GET /metrics", "bEARER s3cret-token"), "200"),
              std::pair(with("GET /metrics", "Basic s3cret-token"), "401"),
              std::pair(with("GET /"), "200"),
              std::pair(with("GET /metrics"), "200"),
              std::pair(with("GET /api/servers"), "200"),
              std::pair(with("GET /nothing"), "404"),
              // Every other method is refused, whatever the path.
              std::pair(with("POST /api/servers"), "405 Allow: GET\r\n"),
              std::pair(with("PUT /metrics"), "405 Allow: GET\r\n"),
              std::pair(with("DELETE /"), "405 Allow: GET\r\n"),
              // Only the headers are sent: the answer cannot wait for the body.
              std::pair(QByteArray("POST /metrics HTTP/1.1\r\nContent-Length: 200000000\r\n\r\n"), "413"),
              std::pair(get + "Transfer-Encoding: chunked\r\n\r\n", "413"),
              std::pair(QByteArray("GET /" + QByteArray(1 << 20, 'a') + " HTTP/1.1\r\n\r\n"), "414"),
              std::pair(get + "X-Long: " + QByteArray(1 << 20, 'a') + "\r\n\r\n", "431"),
              std::pair(get + QByteArray("X: y\r\n").repeated(200) + "\r\n", "431"),
              std::pair(QByteArray("GET / HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                   "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n"),
                        "400"),
              std::pair(QByteArray("HELLO\r\n\r\n"), "400"),
              std::pair(QByteArray("GET / HTTP/2.0\r\n\r\n"), "505")}) {
            const RawReply reply = exchange(web.port(), request, "127.0.0.2");
            const QByteArray status = QByteArray(answer).left(3), header = QByteArray(answer).mid(4);
            QVERIFY2(reply.closed && reply.text.startsWith("HTTP/1.1 " + status)
                         && (header.isEmpty() || reply.hasHeader(header))
                         && (status == "200" || !reply.body().contains("trevisk_")),
                     (request.left(60) + " -> " + reply.text.left(60)).constData());
        }
        QTRY_COMPARE(web.openConnections(), 0);

        // A connection is kept no longer than its request takes to come or than it sits idle, and no
        // more are taken than the cap: the rest wait in the system's queue, costing no time here.
        StatusServerLimits limits;
        limits.idleTime = limits.lingerTime = std::chrono::milliseconds(200);
        web.setLimits(limits);
        const RawReply idle =
            exchange(web.port(), "GET /metrics HTTP/1.1\r\nAuthorization: Bearer s3cret-token\r\n\r\n", "127.0.0.2");
        QVERIFY(idle.closed && idle.status() == 200);

        limits.headTime = std::chrono::milliseconds(200);
        web.setLimits(limits);
        const RawReply silent = exchange(web.port(), {}, "127.0.0.2");
        QVERIFY(silent.closed && silent.text.isEmpty());
        // Each byte in time, the whole too slow.
        QTcpSocket drip;
        QVERIFY(connectTo(drip, web.port(), "127.0.0.2"));
        drip.write("GET /metrics HTTP/1.1\r\nX-Slow: ");
        QTimer byte;
        connect(&byte, &QTimer::timeout, &drip, [&] { drip.write("a"); });
        byte.start(20);
        QVERIFY(QSignalSpy(&drip, &QAbstractSocket::disconnected).wait(5000));
        byte.stop();
        QCOMPARE(RawReply{drip.readAll()}.status(), 408);

        limits.headTime = std::chrono::seconds(60);
        limits.connections = 2;
        StatusServer capped(*f.monitor);
        capped.setLimits(limits);
        QVERIFY(capped.listen(ListenAddress{}, nullptr));
        QTcpSocket held[2];
        for (QTcpSocket& socket : held)
            QVERIFY(connectTo(socket, capped.port()));
        QTRY_COMPARE(capped.openConnections(), 2);
        QTcpSocket waiting;
        QVERIFY(connectTo(waiting, capped.port()));
        waiting.write("GET /metrics HTTP/1.1\r\nConnection: close\r\n\r\n");
        QSignalSpy answered(&waiting, &QIODevice::readyRead);
        const std::chrono::nanoseconds before = cpuTime();
        QVERIFY(!answered.wait(300));
        QVERIFY(cpuTime() - before < std::chrono::milliseconds(150));
        QCOMPARE(capped.openConnections(), 2);
        held[0].close();
        QVERIFY(QSignalSpy(&waiting, &QAbstractSocket::disconnected).wait(5000));
        QCOMPARE(RawReply{waiting.readAll()}.status(), 200);
        QCOMPARE(printed, 0);
    }

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

    // The real program as the first of two shards over a list of simulated servers, behind a token
    // read from its file (only a plain one; one that others may read brings a warning): it watches
    // its share and no other (which share is which, the test above pins), and labels every series.
    void shardOfTheRealProgram()
    {
        // Refused before anything is read or started.
        QTemporaryDir dir;
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
        for (const auto& [refused, said] :
             {std::pair("--headless|--shard|3/2", "--shard"),
              std::pair("--headless|--instance|a", "--shard"),
              std::pair("--shard|1/2|servers|list", "--shard"),
              std::pair("--headless|--listen|0|--listen-token|/nonexistent/token", "token file"),
              // A pipe would hold the start until something wrote to it.
              std::pair("--headless|--listen|0|--listen-token|$dir/pipe", "not a regular file"),
              std::pair("--headless|--listen|0|--listen-token|$dir", "folder")}) {
            const TreviskRun run =
                runTrevisk(args(refused).replaceInStrings(QStringLiteral("$dir"), dir.path()) + inFolder(dir));
            QVERIFY2(run.code == 2 && run.err.contains(said), run.err.constData());
        }
        std::list<SimServer> simulated;
        QStringList addresses, mine;
        for (int i = 0; i < 10; ++i) {
            QVERIFY(simulated.emplace_back(SimServerState::forGame(QStringLiteral("Quake 3"), i + 1, 2)).start());
            addresses << simulated.back().address();
            if (shardOf(addresses.back(), 2) == 1)
                mine << addresses.back() + QStringLiteral(" up");
        }
        QVERIFY(!mine.isEmpty() && mine.size() < addresses.size());
        const QString tokenFile = dir.filePath(QStringLiteral("token"));
        QVERIFY(writeFile(tokenFile, "  file-token  \nsecond line\n")
                && QFile::setPermissions(tokenFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        QVERIFY(saveServerList(dir.filePath(QStringLiteral("data")), addresses));
        QProcess shard;
        const quint16 port = startServing(shard,
                                          args("--headless|--shard|1/2|--instance|node \"1\"|--listen-token")
                                              + QStringList{tokenFile} + inFolder(dir));
        QVERIFY(port != 0);
        QCOMPARE(fetch(port, "/metrics").status(), 401);

        // It queries what it watches: every one of its servers comes up.
        const auto watched = [&] {
            QStringList states;
            for (const QJsonValue& server :
                 QJsonDocument::fromJson(fetch(port, "/api/servers", "file-token").body()).array())
                states << server[QStringLiteral("address")].toString() + QLatin1Char(' ')
                              + server[QStringLiteral("state")].toString();
            return states;
        };
        QTRY_COMPARE_WITH_TIMEOUT(watched(), mine, 20000);
        const QByteArray metrics = fetch(port, "/metrics", "file-token").body();
        const QHash<QString, double> samples = parseMetrics(metrics);
        QCOMPARE(samples.value(QStringLiteral("trevisk_servers{instance=node \"1\",shard=1/2}")), double(mine.size()));
        // Every series of every family carries the fleet's labels, escaped.
        QSet<QString> families;
        for (auto name = samples.keyBegin(); name != samples.keyEnd(); ++name) {
            QVERIFY2(name->contains(QStringLiteral("instance=node \"1\""))
                         && name->contains(QLatin1String("shard=1/2")),
                     qPrintable(*name));
            families.insert(name->section(QLatin1Char('{'), 0, 0));
        }
        QCOMPARE(families.size(), metrics.count("# TYPE "));
        // It ends cleanly at SIGTERM and leaves the whole list in its folder.
        shard.terminate();
        QVERIFY(shard.waitForFinished(10000) && shard.exitCode() == 0
                && shard.readAllStandardOutput().contains("Trevisk stopped."));
        Stores after(dir.filePath(QStringLiteral("data")));
        QVERIFY(after.read(after.servers, ServersFile).isEmpty() && after.servers.rows.size() == simulated.size());
        // The token file others may read was used, with a warning.
        QVERIFY(shard.readAllStandardError().contains("chmod 600 " + tokenFile.toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestWeb)
#include "TestWeb.moc"
