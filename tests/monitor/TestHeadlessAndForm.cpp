#include "MonitorFixture.h"
#include "core/Routines.h"
#include "monitor/HeadlessOutput.h"
#include "monitor/ServerForm.h"
#include "monitor/StatusTable.h"

using namespace trevisk;

namespace {

ServerForm quake3Form(const QString& host, const QString& port)
{
    ServerForm form;
    form.host = host;
    form.port = port;
    form.game = QStringLiteral("Quake 3");
    return form;
}

QString fakeResolver(const QString& host)
{
    return host == QLatin1String("lab.example") ? QStringLiteral("127.0.2.7") : QString();
}

} // namespace

class TestHeadlessAndForm : public QObject
{
    Q_OBJECT
private slots:
    // What a terminal shows for a server that goes down and comes back. Its name carries a C1
    // control (CSI, "clear screen" on 8-bit terminals): printed as a stand-in, never obeyed.
    void headlessOutputOfAnOutage()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        server.state().hostname = "Lab \x9b"
                                  "2J Arena";
        f.context.settings.popupStatusChange = false;
        QStringList out;
        QStringList err;
        f.start();
        HeadlessOutput output(
            *f.log, *f.monitor, [&](const QString& line) { out << line; }, [&](const QString& line) { err << line; });
        QVERIFY(f.settle());
        QVERIFY(f.row(server).name->contains(QChar(0x9b)));
        const QString name = visibleText(*f.row(server).name);
        f.setAnswering(server, false);
        QVERIFY(f.refresh(server));
        QVERIFY(f.refresh(server));
        f.setAnswering(server, true);
        QVERIFY(f.refresh(server));
        // Activity only pops up; without a desktop it is printed all the same.
        server.state().players.clear();
        QVERIFY(f.refresh(server));
        server.state().players.push_back(SimPlayer{"late", 1, 2, 3});
        QVERIFY(f.refresh(server));
        const QString stamp = EventLog::fileLine(f.clock.now(), QString());
        QCOMPARE(out,
                 (QStringList{stamp + name + QStringLiteral(" has gone offline!"),
                              stamp + name + QStringLiteral(" is back online!"),
                              stamp + name + QStringLiteral(" has become active with players...")}));
        QVERIFY(err.isEmpty());

        output.printStatus();
        const QStringList table = out.last().split(QLatin1Char('\n'));
        QCOMPARE(table.size(), 3);
        QVERIFY(table[1].startsWith(QStringLiteral("Quake 3")));
        QVERIFY(table[1].contains(QStringLiteral(" up ")));
        QVERIFY(table[1].contains(QStringLiteral("Lab %1").arg(QChar(StandIn))));
        QCOMPARE(table[2], QStringLiteral("Servers: 1, answered: 1, offline: 0, not answered yet: 0"));
    }

    void statusTableStates()
    {
        StatusModel model;
        StatusRow up = statusRow(QStringLiteral("a:1"));
        up.answeredAt = QDateTime::currentDateTime();
        StatusRow offline = statusRow(QStringLiteral("b:2"), QStringLiteral("Halo"));
        offline.offline = true;
        StatusRow silent = statusRow(QStringLiteral("c:3"), QStringLiteral("Halo"));
        silent.timeOutCount = 2;
        StatusRow fresh = statusRow(QStringLiteral("d:4"), QStringLiteral("Halo"));
        // A NUL in a memo once ended the printed table there; a line feed in a map would break a row.
        fresh.memo = QStringLiteral("memo%1cut").arg(QChar(0));
        fresh.map = QStringLiteral("q3dm17\nFORGED");
        StatusRow refused = statusRow(QStringLiteral("e:5"), QStringLiteral("Halo"));
        refused.timeOutCount = 1;
        refused.state = ServerState::Refused;
        // A bad answer is neither answered nor offline; its reason follows on a line of its own.
        StatusRow bad = statusRow(QStringLiteral("f:6"), QStringLiteral("Halo"));
        bad.state = ServerState::BadAnswer;
        bad.stateReason = QStringLiteral("not a Halo server's answer (1 bytes)\nFORGED");
        model.reset({up, offline, silent, fresh, refused, bad});
        const QStringList lines = formatStatusTable(model).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);
        QVERIFY(lines[5].contains(QStringLiteral("refused")));
        QVERIFY(lines[6].contains(QStringLiteral("bad answer")));
        QCOMPARE(lines[7], QStringLiteral("    not a Halo server's answer (1 bytes)%1FORGED").arg(QChar(StandIn)));
        QVERIFY(lines[4].endsWith(QStringLiteral("memo%1cut").arg(QChar(StandIn))));
        QVERIFY(lines[4].contains(QStringLiteral("q3dm17%1FORGED").arg(QChar(StandIn))));
        QVERIFY(lines[2].contains(QStringLiteral("OFFLINE")));
        QVERIFY(lines[3].contains(QStringLiteral("no answer")));
        QCOMPARE(lines.last(),
                 QStringLiteral("Servers: 6, answered: 1, offline: 1, not answered yet: 1, bad answers: 1"));

        // A long list goes out in pieces of whole lines, each row once and in order.
        std::vector<StatusRow> many;
        for (int i = 0; i < 500; ++i)
            many.push_back(statusRow(QStringLiteral("127.0.0.1:%1").arg(1000 + i)));
        model.reset(many);
        QStringList pieces;
        writeStatusTable(model, nullptr, {}, [&pieces](const QString& piece) { pieces << piece; });
        QVERIFY(pieces.size() > 1);
        for (const QString& piece : pieces)
            QVERIFY(piece.endsWith(QLatin1Char('\n')));
        const QStringList rows = pieces.join(QString()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 502);
        for (int i = 0; i < 500; ++i)
            QVERIFY(rows[i + 1].contains(QStringLiteral("127.0.0.1:%1 ").arg(1000 + i)));
    }

    void formChecks_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("expected"); // the message, or the address saved
        const auto row = [](const char* name, const char* host, const char* port, const char* out) {
            QTest::newRow(name) << QString::fromLatin1(host) << QString::fromLatin1(port) << QString::fromLatin1(out);
        };
        row("default port", "127.1.1.1", "", "127.1.1.1:27960");
        row("port 0", "127.1.1.1", "0", "127.1.1.1:0");
        row("port 65535", " 127.1.1.1 ", " 65535 ", "127.1.1.1:65535");
        row("port as a number", "127.1.1.1", "2e4", "127.1.1.1:20000");
        row("port not a number", "127.1.1.1", "nan", "Invalid port number!");
        row("host name resolved", "lab.example", "5", "127.0.2.7:5");
        row("unknown host", "nowhere.example", "5", "Unable to resolve 'nowhere.example'");
        row("colon in host goes to resolution", "127.1.1.1:5", "", "Unable to resolve '127.1.1.1:5'");
    }

    void formChecks()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, expected);
        const ServerFormCheck check = checkServerForm(quake3Form(host, port), QString(), Stores(), &fakeResolver, true);
        QCOMPARE(check.ok ? check.address : check.message, expected);
        if (check.ok)
            QCOMPARE(check.record.queryPort, std::optional<qint32>(0));
    }

    // The stored sizes hold for what the user types as for what an import brings.
    void formKeepsStoredSizes()
    {
        Stores stores;
        ServerForm form = quake3Form(QStringLiteral("127.0.10.1"), QStringLiteral("1"));
        form.memo = QString(255, QLatin1Char('m'));
        QVERIFY(checkServerForm(form, QString(), stores, &fakeResolver, true).ok);
        form.memo += QLatin1Char('m');
        const ServerFormCheck longMemo = checkServerForm(form, QString(), stores, &fakeResolver, true);
        QCOMPARE(longMemo.message, QStringLiteral("The memo is too long: 255 characters at most!"));
        QCOMPARE(longMemo.field, ServerFormCheck::Field::Memo);
        form.memo.clear();
        form.customText = QString(1025, QLatin1Char('c'));
        QCOMPARE(checkServerForm(form, QString(), stores, &fakeResolver, true).message,
                 QStringLiteral("The custom message is too long: 1024 characters at most!"));
        form.customText.clear();
        form.game = QStringLiteral("Quake 9");
        QVERIFY(
            checkServerForm(form, QString(), stores, &fakeResolver, true).message.contains(QStringLiteral("Quake 9")));
    }

    // An edit keeps the fields the form never sets, and saves what the next start reads.
    void editKeepsWhatTheFormDoesNotSet()
    {
        QTemporaryDir dir;
        Stores saved(dir.path());
        ServerRecord record;
        record.address = QStringLiteral("127.0.10.1:1");
        record.unusedDate = QDateTime(QDate(2020, 1, 1), QTime(0, 0));
        saved.servers.rows.push_back(record);
        saved.custEmail.rows.push_back({QStringLiteral("127.0.10.1:1"), QStringLiteral("old text"), {}});
        const QString edited = QStringLiteral("127.0.10.1:1");
        const ServerFormCheck moved = checkServerForm(
            quake3Form(QStringLiteral("127.0.10.1"), QStringLiteral("2")), edited, saved, &fakeResolver, true);
        QCOMPARE(saveServerForm(saved, edited, moved, QStringLiteral("new text")), QString());
        QCOMPARE(saved.servers.rows.size(), size_t(1));
        QCOMPARE(saved.servers.rows[0].addressText(), QStringLiteral("127.0.10.1:2"));
        QCOMPARE(saved.servers.rows[0].unusedDate, record.unusedDate);
        QCOMPARE(saved.custEmail.rows.size(), size_t(2));
        Stores reread(dir.path());
        RecordingReporter reporter;
        reread.loadAll(reporter);
        QVERIFY(reread.servers.rows == saved.servers.rows);
        QVERIFY(reread.custEmail.rows == saved.custEmail.rows);
    }

    // A window checks in two steps around a look-up that does not block: nothing is resolved
    // before the fields pass, and a name that did not resolve is refused after.
    void checksAroundTheLookUp()
    {
        ServerForm form = quake3Form(QStringLiteral(" lab.example "), QStringLiteral("27960"));
        const ServerFormCheck fields = checkServerFormFields(form, true);
        QVERIFY(fields.needsLookup && !fields.ok);
        QCOMPARE(fields.host, QStringLiteral("lab.example"));
        QCOMPARE(completeServerForm(form, QString(), Stores(), QStringLiteral("127.0.0.9")).address,
                 QStringLiteral("127.0.0.9:27960"));
        form.queryPort = QStringLiteral("70000");
        QVERIFY(checkServerFormFields(form, true).host.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHeadlessAndForm)
#include "TestHeadlessAndForm.moc"
