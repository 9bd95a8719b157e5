#include "list/ServerForm.h"
#include "list/ServerListTransfer.h"
#include "store/ServerListXml.h"
#include "store/Stores.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;
using Answer = Prompter::Answer;

namespace {

ServerRecord server(const char* address, const char* game = "Quake 3")
{
    ServerRecord record;
    record.address = QString::fromLatin1(address);
    record.game = QString::fromLatin1(game);
    return record;
}

QString addresses(const std::vector<ServerRecord>& rows)
{
    QStringList list;
    for (const ServerRecord& row : rows)
        list << row.addressText();
    return list.join(QLatin1Char(' '));
}

// A server with one field changed, as an import file from elsewhere may hold it.
template <typename Value> ServerRecord with(std::optional<Value> ServerRecord::*field, Value value)
{
    ServerRecord record = server("b:2");
    record.*field = value;
    return record;
}

QByteArray xmlOf(const std::vector<ServerRecord>& rows)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeServerListXml(buffer, rows);
    return buffer.data();
}

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

// The test stands for the monitor, which rebuilds its list after an import.
class TestServerList : public QObject, public ServerListOwner
{
    Q_OBJECT
public:
    void updateList() override { ++m_updates; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Stores> m_stores;
    RecordingReporter m_reporter;
    ScriptedPrompter m_prompter;
    int m_updates = 0;

    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString savedFile() const { return file("servers.dat"); }

    // No bytes: the file picked is a folder.
    void import(const QByteArray& xml)
    {
        QVERIFY(xml.isEmpty() || writeFile(file("list.xml"), xml));
        m_prompter.fileNames << (xml.isEmpty() ? m_dir.path() : file("list.xml"));
        ServerListTransfer(*m_stores, m_reporter, this).importList(m_prompter);
    }

    // What the next start reads.
    Stores reloaded() const
    {
        Stores stores(m_dir.path());
        RecordingReporter reporter;
        stores.loadAll(reporter);
        return stores;
    }

private slots:
    void init()
    {
        QFile::remove(savedFile());
        m_stores = std::make_unique<Stores>(m_dir.path());
        m_reporter.reports.clear();
        m_prompter = ScriptedPrompter();
        m_updates = 0;
    }

    // Into an empty list without a question; then a merge, where a new address listed twice goes
    // in once and one already listed is skipped.
    void importThenMerge()
    {
        import(xmlOf({}));
        QCOMPARE(m_prompter.texts().last(), QString::fromLatin1(NothingImportedText));
        QVERIFY(m_prompter.asked.last().icon == Prompter::Icon::Exclamation && !QFile::exists(savedFile()));
        import(xmlOf({server("a:1")}));
        QCOMPARE(m_prompter.texts().last(), QStringLiteral("1 servers imported.\r\n0 servers skipped (duplicate)"));
        QVERIFY(m_prompter.asked.last().icon == Prompter::Icon::Information && m_updates == 1);

        const qsizetype asked = m_prompter.asked.size();
        m_prompter.answers << Answer::Yes << Answer::Yes;
        import(xmlOf({server("a:1"), server("b:2"), server("b:2", "Halo")}));
        QCOMPARE(m_prompter.texts().at(asked + 1), QString::fromLatin1(MergeQuestionText));
        QCOMPARE(m_prompter.texts().last(), QStringLiteral("1 servers imported.\r\n2 servers skipped (duplicate)"));
        QCOMPARE(addresses(reloaded().servers.rows), QStringLiteral("a:1 b:2"));
        QCOMPARE(m_stores->servers.rows[1].game, QStringLiteral("Quake 3"));

        // Nothing new: the counts, and nothing written or rebuilt.
        QVERIFY(QFile::remove(savedFile()));
        import(xmlOf({server("b:2")}));
        QCOMPARE(m_prompter.texts().last(), QStringLiteral("0 servers imported.\r\n1 servers skipped (duplicate)"));
        QVERIFY(!QFile::exists(savedFile()) && m_updates == 2);
    }

    // The file's servers take the list's place, with this program's own fields only; the custom
    // alert texts of the servers that went go with them.
    void replaceKeepsOwnFields()
    {
        m_stores->servers.fields.append({QStringLiteral("Legacy"), FieldType::Text, 255});
        m_stores->servers.rows = {server("a:1"), server("old:9")};
        m_stores->custEmail.rows = {{QStringLiteral("old:9"), QStringLiteral("gone"), {}},
                                    {QStringLiteral("a:1"), QStringLiteral("kept"), {}}};
        m_prompter.answers << Answer::No << Answer::Cancel;
        import(xmlOf({server("a:1", "Halo"), server("c:3")}));
        QCOMPARE(m_prompter.texts().last(), QStringLiteral("2 servers imported.\r\n0 servers skipped (duplicate)"));
        QCOMPARE(addresses(m_stores->servers.rows), QStringLiteral("a:1 c:3"));
        QCOMPARE(m_stores->servers.rows[0].game, QStringLiteral("Halo"));
        QCOMPARE(m_stores->servers.fields, RecordTable<ServerRecord>::knownFields());
        QVERIFY(reloaded().custEmail.rows
                == (std::vector<CustomMessage>{{QStringLiteral("a:1"), QStringLiteral("kept"), {}}}));

        import(xmlOf({server("d:4")}));
        QCOMPARE(m_prompter.asked.size(), 5); // the file dialog and the question, then no message
        QCOMPARE(addresses(m_stores->servers.rows), QStringLiteral("a:1 c:3"));
    }

    // All or nothing: the error report, and the list, its file and the monitor as they were.
    void refusedImportsChangeNothing()
    {
        const std::pair<const char*, QByteArray> cases[] = {
            {"malformed", xmlOf({server("b:2")}).chopped(20)},
            {"no Game field", xmlOf({server("b:2")}).replace("name=\"Game\"", "name=\"Engine\"")},
            {"bad second address", xmlOf({server("b:2"), server("+exec:1")})},
            // What the add-server form refuses, an import refuses too.
            {"unknown game", xmlOf({server("b:2", "Quake 9")})},
            {"missing game", xmlOf({with<QString>(&ServerRecord::game, {})})},
            {"query port 70000", xmlOf({with<qint32>(&ServerRecord::queryPort, 70000)})},
            {"query port -1", xmlOf({with<qint32>(&ServerRecord::queryPort, -1)})},
            {"tray 9", xmlOf({with<qint32>(&ServerRecord::tray, 9)})},
            {"no-mail flag 2",
             xmlOf({with<bool>(&ServerRecord::noAlertMail, true)}).replace("Option5=\"1\"", "Option5=\"2\"")},
            {"256-character memo", xmlOf({with<QString>(&ServerRecord::memo, QString(256, QLatin1Char('m')))})},
            {"a folder", QByteArray()},
        };
        for (const auto& [name, xml] : cases) {
            init();
            m_stores->servers.rows = {server("a:1")};
            import(xml);
            const QString report = m_reporter.reports.join(QLatin1Char('|'));
            QVERIFY2(report.startsWith(QStringLiteral("An error has occured in function: cmdImport_Click()")), name);
            QCOMPARE(m_reporter.reports.size(), 1);
            QCOMPARE(addresses(m_stores->servers.rows), QStringLiteral("a:1"));
            // Refused before the question.
            QVERIFY2(m_prompter.asked.size() == 1 && m_updates == 0 && !QFile::exists(savedFile()), name);
        }
    }

    void failedSaveKeepsTheList()
    {
        m_stores = std::make_unique<Stores>(file("no/such/folder"));
        m_stores->servers.rows = {server("a:1")};
        m_prompter.answers << Answer::Yes;
        import(xmlOf({server("b:2")}));
        QCOMPARE(m_reporter.reports.size(), 1);
        QCOMPARE(addresses(m_stores->servers.rows), QStringLiteral("a:1"));
        QCOMPARE(m_updates, 0);
    }

    void exportReplacesOrReports()
    {
        const QString old = file("out.xml");
        QVERIFY(writeFile(old, QByteArray(10000, 'x')));
        m_stores->servers.rows = {server("a:1"), server("b:2")};
        const ServerListTransfer transfer(*m_stores, m_reporter);
        m_prompter.fileNames << old << file("no/such/folder/out.xml");
        transfer.exportList(m_prompter);
        QCOMPARE(m_prompter.texts().last(), QString::fromLatin1(ExportCompleteText));
        QCOMPARE(addresses(readServerListFile(old).rows), QStringLiteral("a:1 b:2"));

        transfer.exportList(m_prompter);
        QVERIFY(m_prompter.texts().last().startsWith(QStringLiteral("The server list could not be exported to "))
                && m_prompter.asked.last().icon == Prompter::Icon::Critical);
    }

    void addressRule()
    {
        for (const char* good :
             {"127.0.2.1:27960", "quake.example-host_1.org:0", "h:65535", "[::1]:27960", "[2001:DB8::5]:0"})
            QVERIFY2(isServerAddress(QString::fromLatin1(good)), good);
        for (const char* bad : {"h",     "h:",          ":1",     "h:1:2",    "h :1",     "h':1",
                                "h\":1", "h\t:1",       "-h:1",   "h:+1",     "h:65536",  "::1:27960",
                                "::1",   "[::1]",       "[::1]:", "[::1",     "[::1]x:1", "[fe80::1%eth0]:1",
                                "[h]:1", "[1.2.3.4]:1", "[]:1",   "[::1]:-1", "[::1 ]:1"})
            QVERIFY2(!isServerAddress(QString::fromLatin1(bad)), bad);
    }

    // The address saved or the message, and the stored sizes, which hold for what the user types
    // as for what an import brings.
    void formChecks()
    {
        const auto check = [this](const ServerForm& form) {
            return checkServerForm(form, QString(), *m_stores, &fakeResolver, true);
        };
        const char* const cases[][3] = {
            // host, port, then the address saved or the message
            {"127.1.1.1", "", "127.1.1.1:27960"},
            {"127.1.1.1", "0", "127.1.1.1:0"},
            {" 127.1.1.1 ", " 65535 ", "127.1.1.1:65535"},
            {"127.1.1.1", "2e4", "127.1.1.1:20000"},
            {"127.1.1.1", "nan", "Invalid port number!"},
            {"lab.example", "5", "127.0.2.7:5"},
            {"nowhere.example", "5", "Unable to resolve 'nowhere.example'"},
            {"127.1.1.1:5", "", "Unable to resolve '127.1.1.1:5'"}, // a colon in the host goes to resolution
        };
        for (const auto& [host, port, expected] : cases) {
            const ServerFormCheck found = check(quake3Form(QString::fromLatin1(host), QString::fromLatin1(port)));
            QCOMPARE(found.ok ? found.address : found.message, QString::fromLatin1(expected));
            QVERIFY(!found.ok || found.record.queryPort == 0);
        }

        ServerForm form = quake3Form(QStringLiteral("127.0.10.1"), QStringLiteral("1"));
        form.memo = QString(255, QLatin1Char('m'));
        QVERIFY(check(form).ok);
        form.memo += QLatin1Char('m');
        QCOMPARE(check(form).message, QStringLiteral("The memo is too long: 255 characters at most!"));
        QCOMPARE(check(form).field, ServerFormCheck::Field::Memo);
        form.memo.clear();
        form.customText = QString(1025, QLatin1Char('c'));
        QCOMPARE(check(form).message, QStringLiteral("The custom message is too long: 1024 characters at most!"));
        form.customText.clear();
        form.game = QStringLiteral("Quake 9");
        QVERIFY(check(form).message.contains(QStringLiteral("Quake 9")));
    }

    // An edit keeps the fields the form never sets, and saves what the next start reads.
    void editKeepsWhatTheFormDoesNotSet()
    {
        const QString edited = QStringLiteral("127.0.10.1:1");
        const QDateTime unused(QDate(2020, 1, 1), QTime(0, 0));
        m_stores->servers.rows = {server("127.0.10.1:1")};
        m_stores->servers.rows[0].unused.edit().unusedDate = unused;
        m_stores->custEmail.rows = {{edited, QStringLiteral("old text"), {}}};
        const ServerFormCheck moved = checkServerForm(
            quake3Form(QStringLiteral("127.0.10.1"), QStringLiteral("2")), edited, *m_stores, &fakeResolver, true);
        QCOMPARE(saveServerForm(*m_stores, edited, moved, QStringLiteral("new text")), QString());
        QCOMPARE(addresses(m_stores->servers.rows), QStringLiteral("127.0.10.1:2"));
        QCOMPARE(m_stores->servers.rows[0].unused.get().unusedDate, unused);
        QCOMPARE(m_stores->custEmail.rows.size(), size_t(2));
        const Stores reread = reloaded();
        QVERIFY(reread.servers.rows == m_stores->servers.rows && reread.custEmail.rows == m_stores->custEmail.rows);
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

QTEST_GUILESS_MAIN(TestServerList)
#include "TestServerList.moc"
