#include "app/Commands.h"
#include "core/Routines.h"
#include "core/Settings.h"
#include "rcon/RconClient.h"
#include "rcon/RconPasswords.h"
#include "session/Startup.h"
#include "store/Stores.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTimer>

namespace trevisk {

namespace {

constexpr char Usage[] = QT_TRANSLATE_NOOP(
    "RconCommand", "Usage: trevisk rcon GAME ADDRESS COMMAND... [--password-file FILE] [--timeout MS]");
// A long reply comes as a burst of datagrams; it is over once the server has been quiet this long.
constexpr std::chrono::milliseconds ReplyQuiet{300};
// However the server answers, the command ends at the latest its time-out and a quiet period after
// the last datagram it sent (a burst of reply is over by then), and never later than this after it began.
constexpr std::chrono::milliseconds MostTime{60000};
// A password file holds one line; anything far larger is not one.
constexpr qint64 MaxPasswordFileBytes = 4096;

enum Exit
{
    Answered = 0,
    Failed = 1,
    BadUsage = 2,
    NoAnswer = 3,
    Offline = 4,
    Refused = 5,
};

struct Arguments
{
    QString game;
    QString address;
    QString command;
    QString passwordFile;
    std::chrono::milliseconds timeout = RconClient::AnswerTimeout;
};

std::optional<Arguments> parse(const QStringList& arguments, QString& problem)
{
    Arguments parsed;
    QStringList words;
    bool optionsDone = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!optionsDone && argument == QLatin1String("--")) {
            optionsDone = true;
        } else if (!optionsDone
                   && (argument == QLatin1String("--password-file") || argument == QLatin1String("--timeout"))) {
            if (i + 1 >= arguments.size()) {
                problem = QCoreApplication::translate("RconCommand", "%1 needs a value").arg(argument);
                return std::nullopt;
            }
            const QString& value = arguments.at(++i);
            if (argument == QLatin1String("--password-file")) {
                parsed.passwordFile = value;
            } else {
                bool ok = false;
                const int ms = value.toInt(&ok);
                if (!ok || ms < 1) {
                    problem = QCoreApplication::translate("RconCommand",
                                                          "--timeout takes a number of milliseconds, 1 or more");
                    return std::nullopt;
                }
                parsed.timeout = std::chrono::milliseconds(ms);
            }
        } else if (!optionsDone && argument == QLatin1String("--password")) {
            problem = QCoreApplication::translate("RconCommand",
                                                  "The password is never taken from the command line, where other "
                                                  "users could read it: use --password-file FILE or remember it in "
                                                  "the console window.");
            return std::nullopt;
        } else {
            words << argument;
        }
    }
    if (words.size() < 3) {
        problem = QCoreApplication::translate("RconCommand", "Expected a game, an address and a command");
        return std::nullopt;
    }
    parsed.game = words.takeFirst();
    parsed.address = words.takeFirst();
    parsed.command = words.join(QLatin1Char(' '));
    return parsed;
}

// The first line of the file, without its line break.
std::optional<QString> readPasswordFile(const QString& path, QString& problem)
{
    if (const QString refusal = notRegularFile(path); !refusal.isEmpty()) {
        problem = refusal;
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QCoreApplication::translate("RconCommand", "Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxPasswordFileBytes + 1);
    if (bytes.size() > MaxPasswordFileBytes) {
        problem = QCoreApplication::translate("RconCommand", "%1 is too large for a password file").arg(path);
        return std::nullopt;
    }
    QString line = QString::fromUtf8(bytes.left(bytes.indexOf('\n')));
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    if (line.isEmpty()) {
        problem = QCoreApplication::translate("RconCommand", "%1 holds no password on its first line").arg(path);
        return std::nullopt;
    }
    return line;
}

QString rememberedPassword(const CommonOptions& options, const QString& address)
{
    const std::unique_ptr<QSettings> store = openSettings(options.configFile);
    Stores stores(resolveDataDir(options.dataDir, options.programDir));
    // Without a readable list, no other server can claim the older key.
    stores.read(stores.servers, ServersFile);
    QStringList listed;
    for (const ServerRecord& record : stores.servers.rows)
        listed << record.address.value_or(QString());
    return RconPasswords(*store, listed).load(address);
}

// Prints complete lines as they come, each shown as one line of the terminal.
class LinePrinter
{
public:
    void add(const QString& text)
    {
        m_tail += text;
        qsizetype end;
        while ((end = m_tail.indexOf(QLatin1Char('\n'))) >= 0) {
            printLine(visibleText(m_tail.left(end)));
            m_tail.remove(0, end + 1);
        }
    }
    void finish()
    {
        if (!m_tail.isEmpty())
            printLine(visibleText(m_tail));
        m_tail.clear();
    }

private:
    QString m_tail;
};

} // namespace

// Sends one rcon command as the console window does and prints the reply.
int runRconCommand(const CommonOptions& options, const QStringList& arguments)
{
    QString problem;
    const std::optional<Arguments> parsed = parse(arguments, problem);
    if (!parsed) {
        printLine(problem + QLatin1Char('\n') + QCoreApplication::translate("RconCommand", Usage), stderr);
        return BadUsage;
    }
    RconClient client;
    if (!rconDialect(parsed->game)) {
        printLine(QCoreApplication::translate("RconCommand", "Remote RCON is not supported for %1")
                      .arg(visibleText(parsed->game)),
                  stderr);
        return BadUsage;
    }
    QString password;
    if (!parsed->passwordFile.isEmpty()) {
        const std::optional<QString> read = readPasswordFile(parsed->passwordFile, problem);
        if (!read) {
            printLine(problem, stderr);
            return BadUsage;
        }
        password = *read;
        if (const QString warning = openSecretWarning(parsed->passwordFile); !warning.isEmpty())
            printLine(warning, stderr);
    } else {
        password = rememberedPassword(options, parsed->address);
        if (password.isEmpty()) {
            printLine(QCoreApplication::translate("RconCommand",
                                                  "No rcon password is remembered for %1: use --password-file FILE.")
                          .arg(visibleText(parsed->address)),
                      stderr);
            return BadUsage;
        }
    }
    client.setAnswerTimeout(parsed->timeout);
    if (!client.open(parsed->game, parsed->address)) {
        printLine(
            QCoreApplication::translate("RconCommand", "%1 names no host and port").arg(visibleText(parsed->address)),
            stderr);
        return BadUsage;
    }

    QEventLoop loop;
    int exitCode = Answered;
    bool answered = false;
    QString firstReply;
    LinePrinter printer;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(std::min(ReplyQuiet, parsed->timeout));
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    bool done = false;
    const auto stop = [&](int code, const QString& why) {
        done = true;
        exitCode = code;
        if (!why.isEmpty())
            printLine(why, stderr);
        loop.quit();
    };
    const QDeadlineTimer mostTime(MostTime);
    QTimer ceiling;
    ceiling.setSingleShot(true);
    const auto startCeiling = [&] {
        ceiling.start(std::min<std::chrono::milliseconds>(
            parsed->timeout + ReplyQuiet,
            std::chrono::ceil<std::chrono::milliseconds>(mostTime.remainingTimeAsDuration())));
    };
    // Half-Life's request for the challenge went out when the client was opened.
    startCeiling();
    QObject::connect(&client, &RconClient::sent, &loop, startCeiling);
    QObject::connect(&ceiling, &QTimer::timeout, &loop, [&] {
        if (!answered) {
            stop(NoAnswer,
                 QCoreApplication::translate("RconCommand", "No answer from %1.").arg(visibleText(parsed->address)));
            return;
        }
        // A reply that keeps trickling in is cut where the time ran out; what came is shown.
        stop(Answered,
             QCoreApplication::translate("RconCommand",
                                         "The reply was still coming when the time ran out: the rest is not shown."));
    });
    QObject::connect(&client, &RconClient::replied, &loop, [&](const QByteArray& text) {
        if (!answered) {
            answered = true;
            firstReply = rconRefusal(text);
        }
        printer.add(text.isEmpty()
                        ? QCoreApplication::translate("RconProtocol", CommandAcceptedText) + QLatin1Char('\n')
                        : rconDisplayText(text));
        quiet.start();
    });
    QObject::connect(&client, &RconClient::noAnswer, &loop, [&] {
        if (!answered)
            stop(NoAnswer,
                 QCoreApplication::translate("RconCommand", "No answer from %1.").arg(visibleText(parsed->address)));
    });
    QObject::connect(&client, &RconClient::refused, &loop, [&] {
        stop(Offline, QCoreApplication::translate("RconProtocol", OfflineText));
    });
    QObject::connect(&client, &RconClient::failed, &loop, [&](const QString& description, int, bool) {
        stop(Failed, visibleText(description));
    });
    client.send(password, parsed->command);
    // A failure may be told before the loop runs.
    if (!done)
        loop.exec();
    printer.finish();
    if (exitCode == Answered && !firstReply.isEmpty()) {
        printLine(QCoreApplication::translate("RconCommand", "The server refused the command: %1").arg(firstReply),
                  stderr);
        return Refused;
    }
    return exitCode;
}

} // namespace trevisk
