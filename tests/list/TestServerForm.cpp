#include "list/ServerForm.h"
#include "session/Startup.h"
#include "support/RecordingReporter.h"

#include <QTemporaryDir>
#include <QTest>

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

class TestServerForm : public QObject
{
    Q_OBJECT
private slots:
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

QTEST_GUILESS_MAIN(TestServerForm)
#include "TestServerForm.moc"
