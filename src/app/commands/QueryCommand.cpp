#include "app/Commands.h"
#include "core/Catalogue.h"
#include "core/Clock.h"
#include "core/ErrorText.h"
#include "core/Routines.h"
#include "core/Translations.h"
#include "query/AnswerCheck.h"
#include "query/QueryEngine.h"
#include "query/QueryRound.h"
#include "query/ServerJson.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QStringDecoder>
#include <QTextStream>

#include <cstdio>

namespace trevisk {

namespace {

// As fast as the path takes, up to what a home connection carries; past that while nothing is lost.
constexpr int QueriesPerSecond = SendPacer::HomeQueriesPerSecond;
constexpr int OpenQueriesPerSecond = 5 * SendPacer::HomeQueriesPerSecond;

class StderrAnswerErrors : public AnswerErrorSink
{
public:
    void answerError(const QString& address, const AnswerError& error) override
    {
        QString text = shownErrorText(shownReason(error.description), error.number, error.procedure);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        printLine(address + QStringLiteral(": ") + text, stderr);
    }
};

// What the server sent goes to a terminal: every text of it is shown, never obeyed.
QString toText(const QueryRound::Result& result)
{
    const auto shown = [](const QString& text) { return visibleText(text); };
    const auto shownText = [](const char* source) { return QCoreApplication::translate("QueryCommand", source); };
    // Labels are padded to one column whatever their language's length.
    const auto label = [](const QString& text) {
        return QStringLiteral("  ") + (text + QLatin1Char(':')).leftJustified(9) + QLatin1Char(' ');
    };
    QString text;
    QTextStream out(&text);
    out << shown(result.game) << '\t' << shown(result.address) << '\n';
    if (!result.answered) {
        if (result.state == ServerState::BadAnswer)
            out << shownText(QT_TRANSLATE_NOOP("QueryCommand", "  bad answer: %1"))
                       .arg(shown(shownReason(result.stateReason)))
                << '\n';
        else if (result.state == ServerState::Refused && !result.stateReason.isEmpty())
            out << shownText(QT_TRANSLATE_NOOP("QueryCommand", "  refused (%1)"))
                       .arg(shown(shownReason(result.stateReason)))
                << '\n';
        else if (result.state == ServerState::Refused)
            out << shownText(QT_TRANSLATE_NOOP("QueryCommand", "  refused (nothing listens at the port)")) << '\n';
        else
            out << shownText(QT_TRANSLATE_NOOP("QueryCommand", "  no answer (timed out)")) << '\n';
        return text;
    }
    const QLocale locale = Translations::shownLocale();
    out << label(shownText(QT_TRANSLATE_NOOP("QueryCommand", "Name"))) << shown(result.hostname) << '\n';
    out << label(shownText(QT_TRANSLATE_NOOP("QueryCommand", "Map"))) << shown(result.map) << '\n';
    out << label(shownText(QT_TRANSLATE_NOOP("QueryCommand", "Players"))) << locale.toString(result.playerCount())
        << " / " << shown(result.maxPlayers) << '\n';
    out << label(shownText(QT_TRANSLATE_NOOP("QueryCommand", "Ping")))
        << shownText(QT_TRANSLATE_NOOP("QueryCommand", "%1 ms")).arg(locale.toString(result.ping)) << '\n';
    if (result.players && !result.players->empty()) {
        // One blank less than the rows have before the score: the header has always stood so.
        out << "  " << shownText(QT_TRANSLATE_NOOP("QueryCommand", "Name")).leftJustified(32)
            << shownText(QT_TRANSLATE_NOOP("QueryCommand", "Score")).rightJustified(6) << ' '
            << shownText(QT_TRANSLATE_NOOP("QueryCommand", "Ping")).rightJustified(7) << '\n';
        for (const Player& player : *result.players) {
            out << "  " << shown(player.name).leftJustified(32) << ' ' << shown(player.score).rightJustified(6) << ' '
                << shown(player.ping).rightJustified(7)
                << (player.time.isEmpty() ? QString() : QStringLiteral("  ") + shown(player.time))
                << (player.isFriend ? shownText(QT_TRANSLATE_NOOP("QueryCommand", "  (friend)")) : QString()) << '\n';
        }
    }
    if (!result.settings.empty()) {
        out << "  " << shownText(QT_TRANSLATE_NOOP("QueryCommand", "Settings:")) << '\n';
        for (const ServerSetting& setting : result.settings)
            out << "    " << shown(setting.setting) << " = " << shown(setting.value) << '\n';
    }
    return text;
}

// A list of servers is a few kilobytes of text; anything far larger is not one.
constexpr qint64 MaxTargetFileBytes = qint64{4} * 1024 * 1024;

// Lines of "game<TAB>address"; blank lines and lines starting with # are skipped.
bool readTargets(const QString& path, std::vector<QueryRound::Target>& targets, QString& error)
{
    if (const QString refusal = notRegularFile(path); !refusal.isEmpty()) {
        error = refusal;
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QCoreApplication::translate("QueryCommand", "Cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.read(MaxTargetFileBytes + 1);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString content = utf8.decode(bytes);
    if (bytes.size() > MaxTargetFileBytes || utf8.hasError() || bytes.contains('\0')) {
        error = QCoreApplication::translate("QueryCommand", "%1 is not a text file of \"game<TAB>address\" lines")
                    .arg(path);
        return false;
    }
    int lineNumber = 0;
    for (const QString& raw : content.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            error = QCoreApplication::translate("QueryCommand", "%1:%2: expected a game name, a tab and an address")
                        .arg(path)
                        .arg(lineNumber);
            return false;
        }
        targets.push_back({line.left(tab).trimmed(), line.mid(tab + 1).trimmed()});
    }
    if (targets.empty()) {
        error = QCoreApplication::translate("QueryCommand", "%1 lists no server: expected \"game<TAB>address\" lines")
                    .arg(path);
        return false;
    }
    return true;
}

} // namespace

int runQueryCommand(const CommonOptions&, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption fileOption(QStringLiteral("file"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    // Never past the home pace, even while nothing is lost: for a link known to drop without a sign.
    const QCommandLineOption homePaceOption(QStringLiteral("home-pace"));
    parser.addOptions({jsonOption, fileOption, timeoutOption, homePaceOption});
    if (!parser.parse(QStringList{QStringLiteral("query")} + arguments)) {
        printLine(parser.errorText(), stderr);
        return 2;
    }
    std::vector<QueryRound::Target> targets;
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(fileOption)) {
        QString error;
        if (!positional.isEmpty() || !readTargets(parser.value(fileOption), targets, error)) {
            printLine(error.isEmpty()
                          ? QCoreApplication::translate("QueryCommand", "Usage: trevisk query --file FILE [--json]")
                          : error,
                      stderr);
            return 2;
        }
    } else if (positional.size() == 2) {
        targets.push_back({positional.at(0), positional.at(1)});
    } else {
        printLine(
            QCoreApplication::translate(
                "QueryCommand", "Usage: trevisk query GAME ADDRESS [--json] | trevisk query --file FILE [--json]"),
            stderr);
        return 2;
    }
    for (const QueryRound::Target& target : targets) {
        if (!findGame(target.game))
            printLine(QCoreApplication::translate("QueryCommand", "Unknown game \"%1\" for %2: nothing is sent")
                          .arg(target.game, target.address),
                      stderr);
    }

    SystemClock clock;
    QueryEngine engine(clock);
    QueryEngine::Timing timing = engine.timing();
    timing.queriesPerSecond = QueriesPerSecond;
    timing.openQueriesPerSecond = parser.isSet(homePaceOption) ? 0 : OpenQueriesPerSecond;
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        const int milliseconds = parser.value(timeoutOption).toInt(&ok);
        if (!ok || milliseconds < 1) {
            printLine(
                QCoreApplication::translate("QueryCommand", "--timeout takes a number of milliseconds, 1 or more"),
                stderr);
            return 2;
        }
        timing.timeOut = std::chrono::milliseconds(milliseconds);
    }
    engine.setTiming(timing);
    StderrAnswerErrors errors;
    engine.setErrorSink(&errors);
    QueryRound round(engine);
    // Results are written in list order as soon as each is done, and dropped once written: the
    // bytes are those of the whole document written at once.
    const bool json = parser.isSet(jsonOption);
    const bool list = parser.isSet(fileOption);
    bool allAnswered = true;
    size_t written = 0;
    QByteArray buffer; // kept across results
    const auto write = [](const QByteArray& bytes) {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    };
    const auto writeDone = [&] {
        for (; written < targets.size() && round.isDone(written); ++written) {
            const QueryRound::Result result = round.takeResult(written);
            allAnswered = allAnswered && result.answered;
            if (!json) {
                write(toText(result).toUtf8());
                continue;
            }
            // A list's elements stand one level deep in the array.
            buffer.resize(0);
            if (list)
                buffer.append(written == 0 ? "[\n    " : ",\n    ");
            appendQueryResultJson(buffer, result, list ? 1 : 0);
            if (!list)
                buffer.append('\n');
            write(buffer);
        }
    };
    QObject::connect(&round, &QueryRound::serverDone, &round, writeDone);
    QObject::connect(&round, &QueryRound::finished, QCoreApplication::instance(), &QCoreApplication::quit);
    round.start(targets);
    if (!round.isFinished())
        QCoreApplication::exec();
    writeDone();
    if (json && list)
        write(written == 0 ? QByteArrayLiteral("[\n]\n") : QByteArrayLiteral("\n]\n"));
    std::fflush(stdout);
    return allAnswered ? 0 : 1;
}

} // namespace trevisk
