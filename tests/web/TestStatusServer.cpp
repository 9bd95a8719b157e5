#include "monitor/MonitorFixture.h"
#include "query/ServerJson.h"
#include "store/Stores.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"
#include "web/Shard.h"
#include "web/StatusServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTest>

#include <sys/stat.h>
#include <time.h>

using namespace trevisk;

namespace {

struct HttpReply
{
    int status = 0;
    QByteArray body;
    QHash<QByteArray, QByteArray> headers;
};

HttpReply fetch(quint16 port,
                const QString& path,
                const QByteArray& token = {},
                const QByteArray& verb = "GET",
                const QString& host = QStringLiteral("127.0.0.1"))
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QStringLiteral("http://%1:%2%3").arg(host).arg(port).arg(path)));
    if (!token.isEmpty())
        request.setRawHeader("Authorization", "Bearer " + token);
    QNetworkReply* reply = manager.sendCustomRequest(request, verb);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    HttpReply result;
    if (!reply->isFinished() && !finished.wait(5000))
        return result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    for (const auto& [name, value] : reply->rawHeaderPairs())
        result.headers.insert(name.toLower(), value);
    reply->deleteLater();
    return result;
}

// What one connection got back: the status of its first answer, all it read, and whether the
// server closed it.
struct RawReply
{
    int status = 0;
    QByteArray text;
    bool closed = false;
};

int statusOf(const QByteArray& text)
{
    return text.startsWith("HTTP/1.1 ") ? text.mid(9, 3).toInt() : 0;
}

// Sends the bytes as they stand and reads until the server closes the connection.
RawReply exchange(quint16 port, const QByteArray& bytes)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    RawReply reply;
    if (!socket.waitForConnected(5000))
        return reply;
    socket.write(bytes);
    QSignalSpy gone(&socket, &QAbstractSocket::disconnected);
    reply.closed = gone.wait(10000) || socket.state() == QAbstractSocket::UnconnectedState;
    reply.text = socket.readAll();
    reply.status = statusOf(reply.text);
    return reply;
}

// The CPU time this process has used.
std::chrono::nanoseconds cpuTime()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TREVISK_BINARY),
                  arguments << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0"));
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

class TestStatusServer : public QObject
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
        FriendRecord friendRecord;
        friendRecord.name = QString::fromLatin1(up.responder().state().players.front().name);
        f.context.stores.friends.rows.push_back(friendRecord);
        f.start();
        f.setAnswering(down, false);
        f.monitor->refreshServer(down.address());
        QVERIFY(f.settle());
        QTRY_VERIFY(f.row(down).timeOutCount.value_or(0) > 0);

        StatusServer web(*f.monitor);
        QVERIFY(web.listen(ListenAddress{}, nullptr));
        const HttpReply metrics = fetch(web.port(), QStringLiteral("/metrics"));
        QCOMPARE(metrics.status, 200);
        QVERIFY(metrics.headers.value("content-type").startsWith("text/plain; version=0.0.4"));
        const QHash<QString, double> samples = parseMetrics(metrics.body);
        QVERIFY(!samples.isEmpty());

        const struct
        {
            QString key;
            double value;
        } expected[] = {
            {key("trevisk_server_up", up), 1},
            {key("trevisk_server_up", down), 0},
            {key("trevisk_server_state", up, "state=up"), 1},
            {key("trevisk_server_state", up, "state=timeout"), 0},
            {key("trevisk_server_state", down, "state=timeout"), 1},
            {key("trevisk_server_players", up), 4},
            {key("trevisk_server_max_players", up), double(up.state().maxPlayers)},
            {key("trevisk_server_friends", up), 1},
            {key("trevisk_server_ping_seconds", up), *f.row(up).ping / 1000.0},
            {key("trevisk_server_last_answer_timestamp_seconds", up), double(f.clock.now().toSecsSinceEpoch())},
            {key("trevisk_server_uptime_ratio", up, "window=week"), 1},
            {key("trevisk_server_uptime_ratio", down, "window=day"), 0},
            {QStringLiteral("trevisk_answers_total{}"), double(f.monitor->engine().counters().answers)},
            {QStringLiteral("trevisk_answer_errors_total{}"), 0},
            {QStringLiteral("trevisk_servers{}"), 2},
        };
        for (const auto& [name, value] : expected) {
            QVERIFY2(samples.contains(name), qPrintable(name));
            QCOMPARE(samples.value(name), value);
        }
        // What a server that is not up last said is not shown as if it were live.
        for (const char* name : {"trevisk_server_ping_seconds",
                                 "trevisk_server_players",
                                 "trevisk_server_friends",
                                 "trevisk_server_last_answer_timestamp_seconds"})
            QVERIFY2(!samples.contains(key(name, down)), name);
        QVERIFY(samples.value(QStringLiteral("trevisk_answers_total{}")) >= 1);
        QVERIFY(samples.value(QStringLiteral("trevisk_queries_sent_total{}")) >= 2);
        QVERIFY(samples.value(QStringLiteral("trevisk_timeouts_total{}")) >= 1);

        const HttpReply page = fetch(web.port(), QStringLiteral("/"));
        QCOMPARE(page.status, 200);
        QVERIFY(page.headers.value("content-type").startsWith("text/html"));
        QVERIFY(page.body.contains("http-equiv=\"refresh\""));
        QVERIFY(page.body.contains("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&amp;"));
        QVERIFY(!page.body.contains("<script>"));

        // The JSON carries what a one-shot query prints, built by the same code, plus state and uptime.
        const HttpReply api = fetch(web.port(), QStringLiteral("/api/servers"));
        QCOMPARE(api.status, 200);
        const QJsonArray servers = QJsonDocument::fromJson(api.body).array();
        QCOMPARE(servers.size(), 2);
        QJsonObject first = servers.at(0).toObject();
        QCOMPARE(first.take(QStringLiteral("state")), QJsonValue(QStringLiteral("up")));
        QCOMPARE(first.take(QStringLiteral("uptime"))[QStringLiteral("day")], QJsonValue(1));
        QCOMPARE(QJsonDocument(servers.at(1).toObject().value(QStringLiteral("uptime")).toObject())
                     .toJson(QJsonDocument::Compact),
                 QByteArray(R"({"day":0,"month":0,"week":0})"));
        QCOMPARE(first, queryResultJson(queryResultOf(f.query(up), true)));
        QCOMPARE(first.value(QStringLiteral("numplayers")), QJsonValue(4));
        const QJsonObject second = servers.at(1).toObject();
        QCOMPARE(second.value(QStringLiteral("state")).toString(), QStringLiteral("timeout"));
        QCOMPARE(second.value(QStringLiteral("status")).toString(), QStringLiteral("timeout"));
        QCOMPARE(second.value(QStringLiteral("address")).toString(), down.address());
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
            QVERIFY2(!parseListenAddress(QString::fromLatin1(bad), &error), bad);
            QVERIFY(!error.isEmpty());
        }
    }

    // Bound where asked and nowhere else (loopback by default), and read-only behind its token.
    void bindingTokenAndMethods()
    {
        MonitorFixture f;
        f.start();
        QString error;
        StatusServer loopback(*f.monitor);
        QVERIFY(loopback.listen(*parseListenAddress(QStringLiteral("0"), &error), nullptr));
        QCOMPARE(loopback.boundAddress(), QHostAddress(QHostAddress::LocalHost));
        StatusServer web(*f.monitor);
        web.setToken("s3cret-token");
        QVERIFY(web.listen(*parseListenAddress(QStringLiteral("127.0.0.2:0"), &error), nullptr));
        QCOMPARE(web.boundAddress(), QHostAddress(QStringLiteral("127.0.0.2")));
        QCOMPARE(fetch(web.port(), QStringLiteral("/metrics"), "s3cret-token").status, 0); // nothing on 127.0.0.1
        const auto get = [&](const char* path, const QByteArray& token = {}, const QByteArray& verb = "GET") {
            return fetch(web.port(), QString::fromLatin1(path), token, verb, QStringLiteral("127.0.0.2"));
        };

        const HttpReply none = get("/metrics");
        QCOMPARE(none.status, 401);
        QCOMPARE(none.headers.value("www-authenticate"), QByteArray("Bearer"));
        QVERIFY(!none.body.contains("trevisk_"));
        for (const QByteArray& wrong :
             {QByteArray("s3cret-toke"), QByteArray("s3cret-token2"), QByteArray("S3cret-token")})
            QCOMPARE(get("/api/servers", wrong).status, 401);
        for (const char* path : {"/", "/metrics", "/api/servers"})
            QCOMPARE(get(path, "s3cret-token").status, 200);
        QCOMPARE(get("/nothing", "s3cret-token").status, 404);
        // Every other method is refused, whatever the path.
        for (const QByteArray& verb : {QByteArray("POST"), QByteArray("PUT"), QByteArray("DELETE")}) {
            const HttpReply refused = get("/api/servers", "s3cret-token", verb);
            QCOMPARE(refused.status, 405);
            QCOMPARE(refused.headers.value("allow"), QByteArray("GET"));
        }
    }

    // A request is read within limits and refused before any body; nothing but HTTP/1.x is served,
    // and nothing is printed for any of it.
    void requestsReadWithinLimits()
    {
        MonitorFixture f;
        f.start();
        StatusServer web(*f.monitor);
        web.setToken("s3cret-token");
        QVERIFY(web.listen(ListenAddress{}, nullptr));
        static int printed;
        printed = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ++printed; });
        const auto restore = qScopeGuard([&] { qInstallMessageHandler(previous); });

        const QByteArray get = "GET /metrics HTTP/1.1\r\nConnection: close\r\n";
        const struct
        {
            const char* what;
            QByteArray request;
            int status;
        } cases[] = {
            {"scheme in small letters", get + "Authorization: bearer s3cret-token\r\n\r\n", 200},
            {"scheme in capitals", get + "Authorization: BEARER s3cret-token\r\n\r\n", 200},
            {"another scheme", get + "Authorization: Basic s3cret-token\r\n\r\n", 401},
            // Only the headers are sent: the answer cannot wait for the body.
            {"body announced", "POST /metrics HTTP/1.1\r\nContent-Length: 200000000\r\n\r\n", 413},
            {"chunked body", get + "Transfer-Encoding: chunked\r\n\r\n", 413},
            {"1 MB request line", "GET /" + QByteArray(1 << 20, 'a') + " HTTP/1.1\r\n\r\n", 414},
            {"1 MB header", get + "X-Long: " + QByteArray(1 << 20, 'a') + "\r\n\r\n", 431},
            {"20,000 headers", get + QByteArray("X: y\r\n").repeated(20000) + "\r\n", 431},
            {"200 short headers", get + QByteArray("X: y\r\n").repeated(200) + "\r\n", 431},
            {"WebSocket",
             "GET / HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
             "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n",
             400},
            {"not HTTP", "HELLO\r\n\r\n", 400},
            {"HTTP/2", "GET / HTTP/2.0\r\n\r\n", 505},
        };
        for (const auto& [what, request, status] : cases) {
            const RawReply reply = exchange(web.port(), request);
            QVERIFY2(reply.closed, what);
            QVERIFY2(reply.status == status, (what + (": " + reply.text.left(40))).constData());
        }
        QCOMPARE(printed, 0);
        QTRY_COMPARE(web.openConnections(), 0);
    }

    // A connection is kept no longer than its request takes to come or than it sits idle, and no
    // more are taken than the cap: the rest wait in the system's queue, costing no time here.
    void deadlinesAndConnectionCap()
    {
        MonitorFixture f;
        f.start();
        StatusServerLimits limits;
        limits.idleTime = limits.lingerTime = std::chrono::milliseconds(200);
        StatusServer web(*f.monitor);
        web.setLimits(limits);
        QVERIFY(web.listen(ListenAddress{}, nullptr));
        const RawReply idle = exchange(web.port(), "GET /metrics HTTP/1.1\r\n\r\n");
        QVERIFY(idle.closed);
        QCOMPARE(idle.status, 200);

        limits.headTime = std::chrono::milliseconds(200);
        web.setLimits(limits);
        const RawReply silent = exchange(web.port(), {});
        QVERIFY(silent.closed);
        QCOMPARE(silent.text, QByteArray());
        // Each byte in time, the whole too slow.
        QTcpSocket drip;
        drip.connectToHost(QHostAddress::LocalHost, web.port());
        QVERIFY(drip.waitForConnected(5000));
        drip.write("GET /metrics HTTP/1.1\r\nX-Slow: ");
        QTimer byte;
        connect(&byte, &QTimer::timeout, &drip, [&] { drip.write("a"); });
        byte.start(20);
        QSignalSpy dripClosed(&drip, &QAbstractSocket::disconnected);
        QVERIFY(dripClosed.wait(5000));
        byte.stop();
        QCOMPARE(statusOf(drip.readAll()), 408);

        limits.headTime = std::chrono::seconds(60);
        limits.connections = 2;
        StatusServer capped(*f.monitor);
        capped.setLimits(limits);
        QVERIFY(capped.listen(ListenAddress{}, nullptr));
        QTcpSocket held[2];
        for (QTcpSocket& socket : held) {
            socket.connectToHost(QHostAddress::LocalHost, capped.port());
            QVERIFY(socket.waitForConnected(5000));
        }
        QTRY_COMPARE(capped.openConnections(), 2);
        QTcpSocket waiting;
        waiting.connectToHost(QHostAddress::LocalHost, capped.port());
        QVERIFY(waiting.waitForConnected(5000));
        waiting.write("GET /metrics HTTP/1.1\r\nConnection: close\r\n\r\n");
        QSignalSpy answered(&waiting, &QIODevice::readyRead);
        const std::chrono::nanoseconds before = cpuTime();
        QVERIFY(!answered.wait(300));
        QVERIFY(cpuTime() - before < std::chrono::milliseconds(150));
        QCOMPARE(capped.openConnections(), 2);
        held[0].close();
        QSignalSpy waitingClosed(&waiting, &QAbstractSocket::disconnected);
        QVERIFY(waitingClosed.wait(5000));
        QCOMPARE(statusOf(waiting.readAll()), 200);
    }

    // A token file is read only when it is a plain file; one that others may read is used, with a warning.
    void tokenFiles()
    {
        QTemporaryDir dir;
        const QString open = dir.filePath(QStringLiteral("open"));
        const QString closed = dir.filePath(QStringLiteral("closed"));
        const QString pipe = dir.filePath(QStringLiteral("pipe"));
        QVERIFY(writeFile(open, "token\n") && writeFile(closed, "token\n"));
        QVERIFY(
            QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QString error;
        QString warning;
        QCOMPARE(readTokenFile(closed, &error, &warning), QByteArray("token"));
        QCOMPARE(warning, QString());
        QCOMPARE(readTokenFile(open, &error, &warning), QByteArray("token"));
        QVERIFY2(warning.contains(QStringLiteral("chmod 600 ") + open), qPrintable(warning));
        // A pipe would hold the start until something wrote to it.
        for (const QString& path : {pipe, dir.path()}) {
            QVERIFY(!readTokenFile(path, &error, &warning));
            QVERIFY2(error.contains(QStringLiteral("not a regular file")) || error.contains(QStringLiteral("folder")),
                     qPrintable(error));
        }
    }

    // The real program: options read, the token taken from its file, the status served while it watches.
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
            QCOMPARE(shardOf(text, 1), 1);
            QCOMPARE(shardOf(text, 2), ofTwo);
            QCOMPARE(shardOf(text, 7), ofSeven);
            QCOMPARE(shardOf(text, 1000), ofThousand);
            QCOMPARE(Shard({ofSeven, 7}).watches(text), true);
            QCOMPARE(Shard({ofSeven % 7 + 1, 7}).watches(text), false);
        }

        for (const char* good : {"1/1", "1/2", "2/2", "7/7", "100000/100000"}) {
            QString error;
            const std::optional<Shard> shard = parseShard(QString::fromLatin1(good), &error);
            QVERIFY2(shard, good);
            QCOMPARE(shard->text(), QString::fromLatin1(good));
        }
        for (const char* bad :
             {"0/2", "3/2", "x/y", "1/0", "0/0", "", "1", "1/2/3", " 1/2", "-1/2", "1/100001", "1/+2"}) {
            QString error;
            QVERIFY2(!parseShard(QString::fromLatin1(bad), &error), bad);
            QVERIFY(error.startsWith(QStringLiteral("--shard takes K/N")));
        }
    }

    // Every series of every family carries the fleet's labels, escaped; without them the text is as it was.
    void metricsCarryFleetLabels()
    {
        ServerSnapshot server;
        server.row.game = QStringLiteral("Quake 3");
        server.row.address = QStringLiteral("127.0.0.1:27960");
        server.row.ping = 20;
        server.row.playerCount = 3;
        server.row.maxPlayers = 8;
        server.row.friends = 1;
        server.state = ServerState::Up;
        server.lastAnswer = QDateTime::fromSecsSinceEpoch(1700000000);
        server.uptime = {1.0, 0.5, 0.25};
        StatusSnapshot snapshot;
        snapshot.servers = {server};
        const QByteArray plain = metricsText(snapshot);
        snapshot.labels = {{QStringLiteral("shard"), QStringLiteral("2/3")},
                           {QStringLiteral("instance"), QStringLiteral("rack \"b\"")}};
        const QByteArray labelled = metricsText(snapshot);
        QVERIFY(!plain.contains("shard=") && !plain.contains("instance="));
        // The same lines but for the labels.
        const QByteArray added = "shard=\"2/3\",instance=\"rack \\\"b\\\"\"";
        const QByteArray stripped = QByteArray(labelled).replace("," + added, "").replace("{" + added + "}", "");
        QCOMPARE(stripped, plain);

        const QHash<QString, double> samples = parseMetrics(labelled);
        QSet<QString> families;
        for (auto it = samples.begin(); it != samples.end(); ++it) {
            QVERIFY2(it.key().contains(QStringLiteral("instance=rack \"b\""))
                         && it.key().contains(QLatin1String("shard=2/3")),
                     qPrintable(it.key()));
            families.insert(it.key().section(QLatin1Char('{'), 0, 0));
        }
        QCOMPARE(families.size(), labelled.count("# TYPE "));
    }

    // Two shards over one list of simulated servers: together they watch each server exactly once.
    void twoShardsShareOneList()
    {
        // Refused before anything is read or started.
        for (const char* refused : {"--headless|--shard|3/2", "--headless|--instance|a", "--shard|1/2|servers|list"}) {
            const TreviskRun run = runTrevisk(args(refused));
            QCOMPARE(run.code, 2);
            QVERIFY2(run.err.contains("--shard"), run.err.constData());
        }
        std::vector<std::unique_ptr<SimServer>> simulated;
        Stores list;
        for (int i = 0; i < 10; ++i) {
            simulated.push_back(
                std::make_unique<SimServer>(SimServerState::forGame(QStringLiteral("Quake 3"), i + 1, 2)));
            QVERIFY(simulated.back()->start());
            ServerRecord record;
            record.address = simulated.back()->address();
            record.game = QStringLiteral("Quake 3");
            list.servers.rows.push_back(record);
        }
        QTemporaryDir dir;
        QProcess shards[2];
        const auto stop = qScopeGuard([&] {
            for (QProcess& program : shards) {
                program.terminate();
                program.waitForFinished(10000);
            }
        });
        quint16 ports[2] = {};
        for (int k = 0; k < 2; ++k) {
            // Each instance has its own data folder (a folder is one monitor's), with the same list.
            const QString data = dir.filePath(QString::number(k + 1));
            QVERIFY(QDir().mkpath(data));
            Stores copy(data);
            copy.servers = list.servers;
            QCOMPARE(copy.saveServers(), QString());
            ports[k] = startServing(shards[k],
                                    {QStringLiteral("--headless"),
                                     QStringLiteral("--data-dir"),
                                     data,
                                     QStringLiteral("--config"),
                                     data + QStringLiteral("/t.ini"),
                                     QStringLiteral("--shard"),
                                     QStringLiteral("%1/2").arg(k + 1),
                                     QStringLiteral("--instance"),
                                     QStringLiteral("node-%1").arg(k + 1)});
            QVERIFY(ports[k] != 0);
        }

        QHash<QString, int> watched;
        for (int k = 0; k < 2; ++k) {
            // Each shard queries what it watches: every one of its servers comes up.
            QJsonArray servers;
            const auto allUp = [&] {
                servers = QJsonDocument::fromJson(fetch(ports[k], QStringLiteral("/api/servers")).body).array();
                return std::all_of(servers.begin(), servers.end(), [](const QJsonValue& server) {
                    return server[QStringLiteral("state")].toString() == QLatin1String("up");
                });
            };
            QTRY_VERIFY_WITH_TIMEOUT(allUp(), 20000);
            QVERIFY(!servers.isEmpty());
            for (const QJsonValue& server : servers) {
                const QString address = server[QStringLiteral("address")].toString();
                QCOMPARE(shardOf(address, 2), k + 1);
                ++watched[address];
            }
            const QHash<QString, double> samples = parseMetrics(fetch(ports[k], QStringLiteral("/metrics")).body);
            QCOMPARE(samples.value(QStringLiteral("trevisk_servers{instance=node-%1,shard=%1/2}").arg(k + 1)),
                     double(servers.size()));
        }
        QCOMPARE(watched.size(), simulated.size());
        for (const auto& server : simulated)
            QCOMPARE(watched.value(server->address()), 1);
        // A shard leaves its folder's list whole.
        for (int k = 0; k < 2; ++k) {
            shards[k].terminate();
            QVERIFY(shards[k].waitForFinished(10000));
            Stores after(dir.filePath(QString::number(k + 1)));
            QCOMPARE(after.read(after.servers, ServersFile), QString());
            QCOMPARE(after.servers.rows.size(), simulated.size());
        }
    }

    void programServesWithToken()
    {
        QTemporaryDir dir;
        const QString tokenFile = dir.filePath(QStringLiteral("token"));
        writeFile(tokenFile, "  file-token  \nsecond line\n");
        QFile::setPermissions(tokenFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        const auto options = [&](const QString& token) {
            return QStringLiteral("--headless|--data-dir|%1|--config|%1/t.ini|--listen|127.0.0.1:0|--listen-token|%2")
                .arg(dir.path(), token)
                .split(QLatin1Char('|'));
        };
        const TreviskRun missing = runTrevisk(options(dir.filePath(QStringLiteral("absent"))));
        QCOMPARE(missing.code, 2);
        QVERIFY(missing.err.contains("token file"));

        QProcess program;
        const auto stop = qScopeGuard([&] {
            program.terminate();
            program.waitForFinished(10000);
        });
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TREVISK_BINARY), options(tokenFile));
        QByteArray out;
        const QRegularExpression serving(QStringLiteral("Serving the status on http://127\\.0\\.0\\.1:(\\d+)/"));
        QRegularExpressionMatch match;
        QVERIFY(QTest::qWaitFor(
            [&] {
                out += program.readAllStandardOutput();
                match = serving.match(QString::fromUtf8(out));
                return match.hasMatch() || program.state() == QProcess::NotRunning;
            },
            20000));
        QVERIFY2(match.hasMatch(), out.constData());
        const auto port = static_cast<quint16>(match.captured(1).toUInt());
        QCOMPARE(fetch(port, QStringLiteral("/metrics")).status, 401);
        const HttpReply metrics = fetch(port, QStringLiteral("/metrics"), "file-token");
        QCOMPARE(metrics.status, 200);
        QCOMPARE(parseMetrics(metrics.body).value(QStringLiteral("trevisk_servers{}"), -1), 0.0);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardOutput().contains("Trevisk stopped."));
        QVERIFY(program.readAllStandardError().contains("chmod 600"));
    }
};

QTEST_GUILESS_MAIN(TestStatusServer)
#include "TestStatusServer.moc"
