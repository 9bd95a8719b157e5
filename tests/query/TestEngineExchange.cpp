#include "A2sReplies.h"
#include "players/FriendList.h"
#include "query/EngineExchange.h"
#include "query/EngineProtocol.h"

#include <QTest>

using namespace trevisk;
using namespace a2sreplies;

namespace {

struct Wire : EngineExchange::Sender
{
    void send(const QByteArray& datagram) override { sent << datagram; }
    QByteArrayList sent;
};

// A request by its kind byte, and the challenge it carries when that is four small letters.
QString requestText(const QByteArray& request)
{
    const QByteArray tail = request.right(4);
    const bool challenge = std::all_of(tail.begin(), tail.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    return QString::fromLatin1(request.mid(4, 1) + (challenge ? ':' + tail : QByteArray()));
}

QString outcomeText(const EngineExchange::Outcome& outcome)
{
    const AnswerUpdate& update = outcome.update;
    static const char* const steps[] = {"Ignored", "Held", "Heard", "Gathered", "Answer", "Bad"};
    QString text = QLatin1String(steps[int(outcome.step)]);
    if (!outcome.reason.isEmpty())
        text += QLatin1Char(' ') + outcome.reason;
    if (outcome.step == EngineExchange::Step::Answer) {
        text += update.hostname         ? QLatin1Char(' ') + *update.hostname
                : update.playersChanged ? QStringLiteral(" players %1").arg(update.players->size())
                                        : QStringLiteral(" settings %1").arg(update.settings->size());
    }
    if (!outcome.errors.isEmpty())
        text += QStringLiteral(" +errors");
    return text;
}

QByteArray q2Status(const QByteArray& maxClients, const QByteArray& players)
{
    return Single + "print\n\\hostname\\Lab\\mapname\\q2dm1\\maxclients\\" + maxClients + "\n" + players;
}
QByteArray q3Status(const QByteArray& echo)
{
    return Single + "statusResponse\n\\sv_hostname\\Lab" + (echo.isNull() ? "" : "\\challenge\\" + echo)
           + "\\sv_maxclients\\8\n1 5 \"A\"\n";
}

} // namespace

// Each engine's exchange is pure: a script of tries and datagrams, and what came of each step.
class TestEngineExchange : public QObject
{
    Q_OBJECT

    // Steps: "try N" (a try, retry N), "cycle", "timeout", "stop", "finish" (the window closes), "late" and a
    // datagram (it came while nothing was awaited), or a datagram, where "{c}" stands for the challenge
    // of the last Quake 3 request and "{p}" for the one before it; " | " between steps in one element.
    // Each step writes "sent ..." for the requests it sent, and a datagram " done" once the try awaits
    // nothing more.
    static QString run(const QString& game, const QList<QByteArray>& script)
    {
        const FriendList friends;
        QString maxPlayers;
        const EngineExchange::Context context{game, friends, maxPlayers};
        const std::unique_ptr<EngineExchange> exchange = protocolForGame(game)->newExchange();
        QByteArrayList challenges;
        QStringList steps;
        for (const QString& part : QString::fromLatin1(script.join(" | ")).split(QStringLiteral(" | "))) {
            QByteArray step = part.toLatin1();
            step.replace("{c}", challenges.value(challenges.size() - 1));
            step.replace("{p}", challenges.value(challenges.size() - 2));
            Wire wire;
            QStringList said; // what came of the step, then the requests it sent
            if (step.startsWith("try ")) {
                exchange->startTry(step.mid(4).toInt(), wire);
            } else if (step == "cycle") {
                exchange->startCycle();
            } else if (step == "timeout") {
                exchange->timedOut();
            } else if (step == "stop") {
                exchange->stop();
            } else if (step.startsWith("late ")) {
                exchange->unawaited(step.mid(5));
                said << QStringLiteral("late");
            } else {
                const auto outcome =
                    step == "finish" ? exchange->finish(context) : exchange->receive(step, context, wire);
                if (outcome.update.maxPlayers)
                    maxPlayers = *outcome.update.maxPlayers;
                said << outcomeText(outcome) + (exchange->awaiting() ? QString() : QStringLiteral(" done"));
            }
            if (!wire.sent.isEmpty())
                said << QStringLiteral("sent");
            for (const QByteArray& request : wire.sent) {
                said << requestText(request);
                if (request.contains("getstatus "))
                    challenges << request.mid(14).trimmed();
            }
            if (!said.isEmpty())
                steps << said.join(QLatin1Char(' '));
        }
        return steps.join(QStringLiteral(" | ")) + QStringLiteral(" / %1 answers").arg(exchange->answersPerCycle())
               + (exchange->reportsPlayerCount() ? QStringLiteral(", counted") : QString());
    }

private slots:
    void scripts_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QByteArrayList>("script");
        QTest::addColumn<QString>("expected");
        const QByteArray oldInfo = raw("\xFF\xFF\xFF\xFFinfostringresponse\0\\hostname\\Old\\max\\16\\map\\m\0");
        const QByteArray oldPlayers = Single + "D\x01\x01" + raw("Alpha\0\x2C\x01\0\0\0\0\0\0\0");
        const QList<QByteArray> players = split(playersReply(), 3, 20, QStringLiteral("goldsrc"));
        const QByteArray challenge = Single + "Awxyz";
        using Script = QByteArrayList;

        // Quake 2 stands for every engine of one datagram per answer.
        QTest::newRow("answers; a bad one takes no awaited place")
            << "Quake 2"
            << (Script() << "try 0" << QByteArray(1, '\0') << QByteArray(65000, 'a') << q2Status("-4", "")
                         << q2Status("100000", "") << q2Status("1", "1 5 \"A\"\n2 5 \"B\"\n")
                         << q2Status("8", "12345678901234567890 5 \"A\"\n") << q2Status("8", "2147483648 5 \"A\"\n")
                         << q2Status("8", "1 5 \"A\"\n"))
            << "sent s | Bad not a Quake 2 server's answer (1 bytes) | Bad not a Quake 2 server's answer (65000 bytes)"
               " | Bad maximum -4 is impossible | Bad maximum 100000 is impossible | Bad 2 players on a server of 1"
               " | Bad score 12345678901234567890 is impossible | Bad score 2147483648 is impossible"
               " | Answer Lab done / 1 answers";

        QTest::newRow("Quake 3: only its own challenge")
            << "Quake 3" << (Script() << "try 0" << q3Status({}) << q3Status("1") << q3Status("{c}"))
            << "sent g | Ignored | Ignored | Answer Lab done / 1 answers";
        QTest::newRow("Quake 3: an earlier try's challenge of the cycle, not a past cycle's")
            << "Quake 3"
            << (Script() << "try 0 | timeout | try 1" << q3Status("{p}") << "cycle | try 0" << q3Status("{p}"))
            << "sent g | sent g | Answer Lab done | sent g | Ignored / 1 answers";
        QTest::newRow("Quake 3: a server that does not echo loses one try")
            << "Quake 3"
            << (Script() << "try 0" << q3Status({}) << "timeout | try 1" << q3Status({}) << "cycle | try 0"
                         << q3Status({}))
            << "sent g | Ignored | sent g | Answer Lab done | sent g | Answer Lab done / 1 answers";
        QTest::newRow("Call of Duty: heard without the echo until it echoed, late or not")
            << "Call of Duty"
            << (Script() << "try 0" << q3Status({}) << "late " + q3Status("{c}") << "cycle | try 0" << q3Status({})
                         << q3Status("{c}"))
            << "sent g | Answer Lab done | late | sent g | Ignored | Answer Lab done / 1 answers";

        QTest::newRow("Unreal: parts in arrival order, a repeated one once")
            << "Unreal Tournament"
            << Script{"try 0 | x\\queryid\\1.1 | \\b\\queryid\\1.2 | \\b\\queryid\\1.2 | finish"
                      " | \\hostname\\U\\numplayers\\0\\queryid\\2.1 | x\\queryid\\2.2 | finish | finish"}
            << "sent t | Gathered | Gathered | Gathered | Bad not a Unreal Tournament server's answer (27 bytes)"
               " | Gathered | Gathered | Answer U | Ignored / 1 answers, counted";
        // A flood of parts within one window is not gathered without end; a stopped try drops what it held,
        // and parts without a query id are one part.
        QByteArrayList flood{"try 0"};
        for (int part = 0; part < 128; ++part)
            flood << "\\queryid\\1." + QByteArray::number(part);
        QTest::newRow("Unreal: parts capped")
            << "Unreal Tournament" << (flood << "stop | x | y | finish")
            << QStringLiteral(
                   "sent t | %1 | Gathered done | Gathered | Gathered | Bad not a Unreal Tournament server's "
                   "answer (1 bytes) / 1 answers, counted")
                   .arg(QStringList(127, QStringLiteral("Gathered")).join(QStringLiteral(" | ")));
        QTest::newRow("Unreal: a new try starts its parts afresh; numbers checked")
            << "Unreal Tournament"
            << Script{"try 0 | x | try 1 | \\hostname\\U\\numplayers\\-2\\maxplayers\\8\\final\\ | finish"}
            << "sent t | Gathered | sent t | Gathered | Bad player count -2 is impossible / 1 answers, counted";

        QTest::newRow("Half-Life: old dialect; A2S replies are no news, others bad")
            << "Half Life" << (Script() << "try 0" << oldInfo << infoReply() << "xyz" << oldPlayers)
            << "sent i p | Answer Old | Ignored | Bad not a Half Life server's answer (3 bytes) | Answer players 1 done"
               " / 2 answers";
        QTest::newRow("Half-Life: A2S on the second try, its challenge kept for the next")
            << "Half Life"
            << (Script() << "try 0 | timeout | try 1" << challenge << challenge << infoReply() << infoReply()
                         << players.at(1) << players.at(0) << rulesReply() << "try 0")
            << "sent i p | sent T U V | Heard sent T:wxyz U:wxyz V:wxyz | Heard | Answer Lab é Arena | Ignored | Held"
               " | Answer players 2 | Answer settings 2 done | sent T:wxyz U:wxyz V:wxyz / 3 answers, counted";
        QTest::newRow("Half-Life: a new challenge resends what is unanswered; a fourth is not followed")
            << "Half Life"
            << (Script() << "try 1" << challenge << infoReply() << Single + "Aabcd" << Single + "Aabcd" << challenge)
            << "sent T U V | Heard sent T:wxyz U:wxyz V:wxyz | Answer Lab é Arena | Heard sent U:abcd V:abcd | Heard"
               " | Ignored / 3 answers, counted";
        QTest::newRow("Half-Life: unreadable splits are bad until a reply was read, then only reported")
            << "Half Life"
            << (Script() << "try 1" << compressedPart() << infoReply() << compressedPart()
                         << raw("\xFE\xFF\xFF\xFF\x09\0\0\0\x01\xFF\xFF\xFF\xFF"))
            << "sent T U V | Bad The server sent a compressed (bzip2) split reply, which is not supported +errors"
               " | Answer Lab é Arena | Held The server sent a compressed (bzip2) split reply, which is not supported"
               " +errors | Held The joined split reply has no header +errors / 3 answers, counted";
        QTest::newRow("Half-Life: not an A2S reply; impossible numbers")
            << "Half Life" << (Script() << "try 1 | xyz" << oldInfo << infoReply(char(200)) << infoReply())
            << "sent T U V | Bad not an A2S reply (3 bytes) | Ignored | Bad 200 players on a server of 16"
               " | Answer Lab é Arena / 3 answers, counted";
    }

    void scripts()
    {
        QFETCH(QString, game);
        QFETCH(QByteArrayList, script);
        QFETCH(QString, expected);
        QCOMPARE(run(game, script), expected);
    }
};

QTEST_APPLESS_MAIN(TestEngineExchange)
#include "TestEngineExchange.moc"
