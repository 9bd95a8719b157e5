#include "core/Prompter.h"
#include "rcon/RconClient.h"
#include "rcon/RconPasswords.h"
#include "rcon/RconScramble.h"
#include "rcon/RconWindow.h"
#include "session/Startup.h"
#include "sim/SimServer.h"
#include "support/Contrast.h"
#include "support/RawUdpServer.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

QByteArray capture(const char* folder, const char* file = "reply-1.bin")
{
    return readFile(QStringLiteral(TREVISK_RCON_DATA "/%1/%2").arg(QLatin1String(folder), QLatin1String(file)));
}

const QByteArray Ff(4, '\xFF');

// Every text the client handed on, joined in order.
QByteArray joined(const QSignalSpy& spy)
{
    QByteArray out;
    for (const QList<QVariant>& call : spy)
        out += call.at(0).toByteArray();
    return out;
}

// Unscrambling step by step as the stored format is defined, kept apart from the program's code.
QString decode(const QString& stored)
{
    QString s;
    for (QChar c : stored)
        s += QChar(c.unicode() - 32);
    // The fillers before the first and after the last marker give the two factors of the shift.
    const qsizetype first = s.indexOf(QChar(1));
    const qsizetype last = s.lastIndexOf(QChar(1));
    const qsizetype shift = first * (s.size() - 1 - last);
    QString out;
    for (QChar c : s.mid(first + 1, last - first - 1)) {
        if (c.unicode() >= 23)
            out += QChar(static_cast<char16_t>(c.unicode() - shift));
    }
    return out.replace(QChar(0), QLatin1Char(' '));
}

} // namespace

// The rcon client against captures and simulated engines, the passwords it keeps, then the window.
class TestRcon : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_context = std::make_unique<AppContext>();
        m_ini = m_dir.filePath(QStringLiteral("TRVSK.ini"));
        QFile::remove(m_ini);
        m_context->settingsStore = std::make_unique<QSettings>(m_ini, QSettings::IniFormat);
        m_context->settings.encryptRcon = true;
        m_prompter = ScriptedPrompter{};
    }

    // Captured replies that print nothing, refusals only on their own first line, and the edges
    // the simulated engines below do not reach.
    void readsEveryFraming()
    {
        const auto text = [](const QByteArray& d) {
            const RconDatagram read = readRconDatagram(d);
            return read.kind == RconDatagram::Kind::Text ? read.text : QByteArray("<not text>");
        };
        QCOMPARE(text(capture("oa-rcon-silent")) + text(capture("qw-rcon-silent")) + text(Ff + "print"), QByteArray());
        QCOMPARE(text("print\nno header\n"), QByteArray("<not text>"));
        QCOMPARE(rconRefusal(text(capture("oa-rcon-badpass"))), QStringLiteral("Bad rconpassword."));
        QVERIFY(rconRefusal("Bad rconpassword. is a fine map name\n").isEmpty());

        // The game's port when the address has none; a port out of range is no target.
        QCOMPARE(rconTarget(QStringLiteral("Quake 3"), QStringLiteral("host"))->port, quint16(27960));
        QCOMPARE(rconTarget(QStringLiteral("QuakeWorld"), QStringLiteral("h:27501"))->port, quint16(27501));
        QVERIFY(!rconTarget(QStringLiteral("Quake 3"), QStringLiteral("h:99999")));
    }

    void talksToEveryEngine()
    {
        for (const char* name : {"Quake 2", "Quake 3", "QuakeWorld", "Half Life"}) {
            const QString game = QString::fromLatin1(name);
            SimServer server(game);
            server.state().rconPassword = "labpass";
            QVERIFY(server.start());
            QSignalSpy requests(&server, &SimServer::requestReceived);
            RconClient client;
            QSignalSpy replies(&client, &RconClient::replied);
            QVERIFY(client.open(game, server.address()));
            // Sent at once: Half-Life's command waits for the challenge it needs.
            client.send(QStringLiteral("labpass"), QStringLiteral("echo hello there"));
            QVERIFY(replies.wait(2000));
            QCOMPARE(replies.takeFirst().at(0).toByteArray(), QByteArray("hello there\n"));
            if (client.dialect() == RconDialect::HalfLife) {
                QVERIFY(!client.challenge().isEmpty());
                QCOMPARE(joined(requests),
                         Ff + "challenge rcon\r\n" + Ff + "rcon " + client.challenge() + " labpass echo hello there\n");
            }

            // A long reply in several datagrams, joined without breaking its lines.
            client.send(QStringLiteral("labpass"), QStringLiteral("cvarlist"));
            QByteArray cvars;
            for (int i = 0; i < 300; ++i)
                cvars += "S     A    sim_cvar_" + QByteArray::number(i) + " \"" + QByteArray::number(i * 7) + "\"\n";
            QTRY_COMPARE_WITH_TIMEOUT(joined(replies), cvars + "300 total cvars\n", 2000);
            QVERIFY(replies.size() > 1);
            if (game == QLatin1String("Quake 3")) // as a real server took it
                QCOMPARE(requests.last().at(0).toByteArray(), capture("oa-rcon-cvarlist", "request.bin"));
        }
    }

    void repliesFromElsewhereAreIgnored()
    {
        SimServer server(QStringLiteral("Quake 3"));
        server.state().rconPassword = "pw";
        QVERIFY(server.start());
        QVERIFY(server.setReplySource(QHostAddress(QHostAddress::LocalHost)));
        QSignalSpy sent(&server, &SimServer::datagramSent);
        RconClient client;
        client.setAnswerTimeout(200ms);
        QSignalSpy replies(&client, &RconClient::replied);
        QSignalSpy silence(&client, &RconClient::noAnswer);
        QVERIFY(client.open(QStringLiteral("Quake 3"), server.address()));
        client.send(QStringLiteral("pw"), QStringLiteral("echo hi"));
        QVERIFY(silence.wait(2000));
        QVERIFY(sent.size() == 1 && replies.isEmpty());
    }

    // A server that answers a command with a new challenge gets it once more with that challenge;
    // one that keeps doing so has not answered, where the client used to wait for ever.
    // Half-Life's challenge renewed once, or always; Quake 3's command always answered with one.
    void commandsRechallengedGoOnceMore()
    {
        for (const auto& row : {std::pair{"Half Life", 1}, {"Half Life", 1000}, {"Quake 3", 1000}}) {
            const QString game = QString::fromLatin1(row.first);
            const int rechallenges = row.second; // a named copy: clang 14 does not capture bindings
            RawUdpServer server;
            int commands = 0;
            server.onRequest = [&](int number) {
                if (server.lastRequest().data().startsWith(Ff + "rcon ") && ++commands > rechallenges)
                    server.reply(Ff + "print\ndone\n");
                else
                    server.reply(Ff + "challenge rcon " + QByteArray::number(number) + "\n");
            };
            RconClient client;
            client.setAnswerTimeout(5s);
            QSignalSpy replies(&client, &RconClient::replied);
            QSignalSpy silence(&client, &RconClient::noAnswer);
            QVERIFY(client.open(game, server.address()));
            client.send(QStringLiteral("pw"), QStringLiteral("status"));
            QTRY_COMPARE_WITH_TIMEOUT(replies.size() + silence.size(), 1, 2000);
            QCOMPARE(replies.size(), rechallenges < 2 ? 1 : 0);
            QCOMPARE(commands, 2);
            // The command went again with the challenge that came back.
            if (game == QLatin1String("Half Life"))
                QCOMPARE(server.requests.value(2), Ff + "rcon 2 pw status\n");
        }
    }

    void scrambledPasswordsRoundTrip()
    {
        for (const QString& password : {QStringLiteral("!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~"),
                                        QStringLiteral("two words here"),
                                        QStringLiteral("CAF\u00c9")}) {
            QRandomGenerator random(7);
            QSet<QString> seen;
            for (int i = 0; i < 200; ++i) {
                const std::optional<QString> stored = scrambleRcon(password, random);
                QVERIFY(stored && std::all_of(stored->cbegin(), stored->cend(), [](QChar c) {
                            return c >= u'!' && c.unicode() <= 255;
                        }));
                QCOMPARE(decode(*stored), password);
                QCOMPARE(unscrambleRcon(*stored), password);
                seen.insert(*stored);
            }
            QVERIFY(seen.size() > 100);
        }
    }

    void whatTheFormCannotCarryIsRefused()
    {
        QRandomGenerator random(1);
        QVERIFY(!scrambleRcon(QStringLiteral("\u00ff\u00fe"), random)); // passes 255 for every a x b
        QVERIFY(!scrambleRcon(QStringLiteral("\u0100"), random));
        QVERIFY(!scrambleRcon(QStringLiteral("tab\there"), random));
        QVERIFY(!scrambleRcon(QString(), random));
        // A space needs a x b of 23 or more, which leaves room up to code 200 only.
        QVERIFY(!scrambleRcon(QStringLiteral("a \u00e0"), random));
        // Plain values are not taken for scrambled ones.
        for (const char* plain : {"pass!word!x", "!!", "hunter2!", "!a!", "#!#!#"})
            QVERIFY2(!unscrambleRcon(QString::fromLatin1(plain)), plain);
        // Another writer's space with a x b below 23 falls out as a filler, and the rest still loads.
        QString stored;
        for (int code : {5, 1, 'a' + 1, 1, 'b' + 1, 1, 7})
            stored += QChar(code + 32);
        QCOMPARE(unscrambleRcon(stored), QStringLiteral("ab"));
    }

    void hostAndPortStayApart()
    {
        QRandomGenerator random(5);
        QSettings store(m_ini, QSettings::IniFormat);
        const QString first = QStringLiteral("127.0.0.5:27960"), second = QStringLiteral("127.0.0.52:7960");
        // A value under the older key, written before keys kept the colon.
        store.setValue(QStringLiteral("RCON/127.0.0.527960"), QStringLiteral("old"));

        QCOMPARE(RconPasswords(store, {first}).load(first), QStringLiteral("old"));
        // Another listed server maps to the same older key: whose it is cannot be told.
        RconPasswords both(store, {first, second});
        QVERIFY(both.load(first).isEmpty() && both.load(second).isEmpty());

        QVERIFY(both.save(first, QStringLiteral("one"), true, false, random).error.isEmpty());
        QVERIFY(both.save(second, QStringLiteral("two"), true, false, random).error.isEmpty());
        QCOMPARE(both.load(first) + QLatin1Char(' ') + both.load(second), QStringLiteral("one two"));
        QVERIFY(store.contains(QStringLiteral("RCON/127.0.0.527960")));

        // Alone on the older key, a server takes it over and forgetting removes it.
        RconPasswords alone(store, {first});
        QVERIFY(alone.save(first, QString(), false, false, random).error.isEmpty());
        QVERIFY(!store.contains(QStringLiteral("RCON/127.0.0.527960")) && alone.load(first).isEmpty());
    }

    // Private once it holds a password, and the rest of the file kept. With scrambling off the
    // password is stored as typed, and a fresh store reads it back.
    void fileIsPrivateOnceItHoldsAPassword()
    {
        QRandomGenerator random(9);
        QVERIFY(writeFile(m_ini, "[Settings]\nRefresh=30\n"));
        QFile::setPermissions(m_ini, QFile::permissions(m_ini) | QFileDevice::ReadOther | QFileDevice::ReadGroup);
        QSettings store(m_ini, QSettings::IniFormat);
        RconPasswords passwords(store, {});
        QVERIFY(passwords.save(QStringLiteral("h:1"), QString(), false, false, random).error.isEmpty());
        QVERIFY(QFile::permissions(m_ini) & QFileDevice::ReadOther);
        QVERIFY(
            passwords.save(QStringLiteral("h:1"), QStringLiteral("pass!word!x"), true, false, random).error.isEmpty());
        const QFileDevice::Permissions others =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(m_ini) & others, QFileDevice::Permissions());
        QSettings reread(m_ini, QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("Settings/Refresh")).toString(), QStringLiteral("30"));
        QCOMPARE(reread.value(QStringLiteral("RCON/h:1")).toString(), QStringLiteral("pass!word!x"));
        QCOMPARE(RconPasswords(reread, {}).load(QStringLiteral("h:1")), QStringLiteral("pass!word!x"));
    }

    void sendsAndRemembers()
    {
        SimServer server(QStringLiteral("Quake 3"));
        server.state().rconPassword = "labpass";
        QVERIFY(server.start());
        const QString address = server.address(), game = QStringLiteral("Quake 3");
        QPointer<RconWindow> window = RconWindow::open({*m_context, m_prompter}, address, QStringLiteral("Lab"), game);
        QCOMPARE(RconWindow::open({*m_context, m_prompter}, address, {}, game), window.data());
        auto* log = window->findChild<QTextEdit*>(QStringLiteral("response"));
        auto* command = window->findChild<QComboBox*>(QStringLiteral("command"));
        QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("password")), QStringLiteral("labpass"));
        window->findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(true);

        // Nothing to send: nothing happens.
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("send")), Qt::LeftButton);
        QVERIFY(log->toPlainText().isEmpty());

        command->setEditText(QStringLiteral("echo hello"));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("send")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains(QStringLiteral("\nhello\n")), 2000);
        command->setEditText(QStringLiteral("set x 1"));
        QTest::keyClick(command->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(
            log->toPlainText(), QStringLiteral(">echo hello\nhello\n>set x 1\nServer: Command Accepted\n"), 2000);
        QCOMPARE(command->count(), 2);
        QCOMPARE(command->itemText(0) + QLatin1Char('|') + command->lineEdit()->selectedText(),
                 QStringLiteral("set x 1|set x 1"));

        // Stored scrambled, and loaded with the box ticked by the next window.
        const QString stored = m_context->settingsStore->value(QStringLiteral("RCON/") + address).toString();
        QCOMPARE(unscrambleRcon(stored), QStringLiteral("labpass"));
        window->close();
        QTRY_VERIFY(window.isNull());
        window = RconWindow::open({*m_context, m_prompter}, address, {}, game);
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("password"))->text(), QStringLiteral("labpass"));
        QVERIFY(window->findChild<QCheckBox*>(QStringLiteral("remember"))->isChecked());
        window->findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(false);
        QCOMPARE(m_context->settingsStore->value(QStringLiteral("RCON/") + address).toString(), QString());

        // A password the scrambled form cannot carry is kept as typed, and the window says so.
        window->findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("\u00ff"));
        window->findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(true);
        QVERIFY(!window->findChild<QWidget*>(QStringLiteral("note"))->isHidden());
        QCOMPARE(m_context->settingsStore->value(QStringLiteral("RCON/") + address).toString(),
                 QStringLiteral("\u00ff"));
        delete window;
        QVERIFY(m_prompter.asked.isEmpty());
    }

    // Also: under a dark theme the log's "Ready...", notices, commands and replies read on its page.
    void halfLifeAndSilence()
    {
        PaletteScope dark(darkPalette());
        SimServer server(QStringLiteral("Half Life"));
        server.state().rconPassword = "pw";
        QVERIFY(server.start());
        RconWindow window({*m_context, m_prompter});
        window.client().setAnswerTimeout(std::chrono::milliseconds(100));
        window.loadServer(server.address(), QStringLiteral("HL"), QStringLiteral("Half Life"));
        auto* log = window.findChild<QTextEdit*>(QStringLiteral("response"));
        QTRY_COMPARE_WITH_TIMEOUT(log->toPlainText(), QStringLiteral("Ready...\n\n"), 2000);
        window.findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("pw"));
        window.findChild<QComboBox*>(QStringLiteral("command"))->setEditText(QStringLiteral("echo hi"));
        window.sendCommand();
        QTRY_COMPARE_WITH_TIMEOUT(log->toPlainText(), QStringLiteral("Ready...\n\n>echo hi\nhi\n"), 2000);

        // A silent server gets a plain line; nothing is remembered, as the box was never ticked.
        server.responder().setAnswering(false);
        window.findChild<QComboBox*>(QStringLiteral("command"))->setEditText(QStringLiteral("status"));
        window.sendCommand();
        QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains(QStringLiteral("No answer")), 2000);
        QVERIFY(m_context->settingsStore->value(QStringLiteral("RCON/") + server.address()).toString().isEmpty());

        const QColor page = log->viewport()->palette().color(log->viewport()->backgroundRole());
        QSet<QRgb> inks;
        for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QColor ink = it.fragment().charFormat().foreground().color();
                inks << ink.rgb();
                QVERIFY2(contrastRatio(ink, page) >= 4.5, qPrintable(ink.name()));
            }
        }
        QCOMPARE(inks.size(), 3);
    }

    // Half-Life's command waits for a challenge: a closed port refuses that first request.
    void closedPortSaysOffline()
    {
        RconWindow window({*m_context, m_prompter});
        window.loadServer(QStringLiteral("127.0.0.1:%1").arg(closedPort()), {}, QStringLiteral("Half Life"));
        window.findChild<QComboBox*>(QStringLiteral("command"))->setEditText(QStringLiteral("status"));
        window.sendCommand();
        QTRY_COMPARE_WITH_TIMEOUT(m_prompter.asked.size(), 1, 2000);
        QCOMPARE(m_prompter.asked.at(0).text, QStringLiteral("Unable to send command. Server appears to be offline!"));
        QCOMPARE(m_prompter.asked.at(0).icon, Prompter::Icon::Exclamation);
    }

private:
    QTemporaryDir m_dir;
    QString m_ini;
    std::unique_ptr<AppContext> m_context;
    ScriptedPrompter m_prompter;
};

QTEST_MAIN(TestRcon)
#include "TestRcon.moc"
