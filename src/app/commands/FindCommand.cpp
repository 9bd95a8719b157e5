#include "app/Commands.h"
#include "core/Catalogue.h"
#include "core/Clock.h"
#include "core/Routines.h"
#include "core/Settings.h"
#include "core/Translations.h"
#include "find/MasterSettings.h"
#include "find/ServerFinder.h"
#include "query/QueryEngine.h"
#include "query/ServerJson.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTimer>

#include <cstdio>

namespace trevisk {

namespace {

constexpr std::chrono::milliseconds ProgressInterval{1000};

const char Usage[] = QT_TRANSLATE_NOOP("FindCommand",
                                       "Usage: trevisk find GAME [--master HOST:PORT]... [--protocol N] [--name TEXT] "
                                       "[--map TEXT]\n"
                                       "                    [--not-empty] [--not-full] [--json] [--timeout MS]");

// One line a server; what the server sent is shown, never obeyed.
QString serverLine(const ServerFinder::Found& found)
{
    const QueryRound::Result& result = found.result;
    const QString players =
        result.answered ? QString::number(result.playerCount()) + QLatin1Char('/') + visibleText(result.maxPlayers)
                        : QString();
    const QString ping = result.answered ? QString::number(result.ping) : QString();
    const QString state = shownStateText(result.state);
    const QString line = found.address.leftJustified(22) + QLatin1Char(' ') + players.rightJustified(7)
                         + QLatin1Char(' ') + ping.rightJustified(5) + QStringLiteral("  ") + state.leftJustified(10)
                         + QLatin1Char(' ') + visibleText(result.map).leftJustified(16) + QLatin1Char(' ')
                         + visibleText(result.hostname);
    // Trailing blanks of a server that sent no name are no part of it.
    qsizetype end = line.size();
    while (end > 0 && line[end - 1] == QLatin1Char(' '))
        --end;
    return line.left(end);
}

} // namespace

int runFindCommand(const CommonOptions& options, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption masterOption(QStringLiteral("master"), QString(), QStringLiteral("HOST:PORT"));
    const QCommandLineOption protocolOption(QStringLiteral("protocol"), QString(), QStringLiteral("N"));
    const QCommandLineOption nameOption(QStringLiteral("name"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption mapOption(QStringLiteral("map"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption notEmptyOption(QStringLiteral("not-empty"));
    const QCommandLineOption notFullOption(QStringLiteral("not-full"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    parser.addOptions({masterOption,
                       protocolOption,
                       nameOption,
                       mapOption,
                       notEmptyOption,
                       notFullOption,
                       jsonOption,
                       timeoutOption});
    if (!parser.parse(QStringList{QStringLiteral("find")} + arguments)) {
        printLine(parser.errorText(), stderr);
        return 2;
    }
    if (parser.positionalArguments().size() != 1) {
        printLine(QCoreApplication::translate("FindCommand", Usage), stderr);
        return 2;
    }
    FindRequest request;
    request.game = parser.positionalArguments().front();
    if (parser.isSet(protocolOption)) {
        bool ok = false;
        const int protocol = parser.value(protocolOption).toInt(&ok);
        if (!ok || protocol < 1) {
            printLine(QCoreApplication::translate("FindCommand", "--protocol takes a protocol number, 1 or more"),
                      stderr);
            return 2;
        }
        request.protocol = protocol;
    }
    for (const QString& master : parser.values(masterOption))
        request.masters += splitMasterList(master);
    if (!parser.isSet(masterOption) && findGame(request.game)) {
        const auto store = openSettings(options.configFile);
        request.masters = mastersFor(*store, request.game);
    }
    request.filters.name = parser.value(nameOption);
    request.filters.map = parser.value(mapOption);
    request.filters.notEmpty = parser.isSet(notEmptyOption);
    request.filters.notFull = parser.isSet(notFullOption);

    SystemClock clock;
    QueryEngine engine(clock);
    QueryEngine::Timing timing = engine.timing();
    timing.queriesPerSecond = SendPacer::HomeQueriesPerSecond;
    MasterQuery::Timing masterTiming;
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        const int milliseconds = parser.value(timeoutOption).toInt(&ok);
        if (!ok || milliseconds < 1) {
            printLine(QCoreApplication::translate("FindCommand", "--timeout takes a number of milliseconds, 1 or more"),
                      stderr);
            return 2;
        }
        timing.timeOut = std::chrono::milliseconds(milliseconds);
        masterTiming.wait = std::chrono::milliseconds(milliseconds);
    }
    engine.setTiming(timing);
    ServerFinder finder(engine);
    finder.setMasterTiming(masterTiming);
    QString error;
    if (!finder.start(request, error)) {
        printLine(error, stderr);
        return 2;
    }

    const bool json = parser.isSet(jsonOption);
    size_t written = 0;
    int shown = 0;
    QByteArray buffer;
    const auto write = [](const QByteArray& bytes) {
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    };
    // In list order as soon as each is done, as `query --file` writes.
    const auto writeDone = [&] {
        const auto& found = finder.found();
        for (; written < found.size() && found[written].done; ++written) {
            const ServerFinder::Found& server = found[written];
            if (!server.queried ? (json || request.filters.any()) : !passesFilters(request.filters, server.result))
                continue;
            if (json) {
                buffer.resize(0);
                buffer.append(shown == 0 ? "[\n    " : ",\n    ");
                appendQueryResultJson(buffer, server.result, 1);
                write(buffer);
            } else {
                write((serverLine(server) + QLatin1Char('\n')).toUtf8());
            }
            ++shown;
        }
        std::fflush(stdout);
    };
    QString lastProgress;
    const auto progress = [&] {
        const QString line = QCoreApplication::translate("FindCommand", "%1 listed, %2 of %3 answered")
                                 .arg(finder.found().size())
                                 .arg(finder.answeredCount())
                                 .arg(finder.queriedCount());
        if (line != lastProgress)
            printLine(line, stderr);
        lastProgress = line;
    };
    QElapsedTimer clockStarted;
    clockStarted.start();
    const auto seconds = [&clockStarted] {
        return Translations::shownLocale().toString(clockStarted.elapsed() / 1000.0, 'f', 2);
    };
    QTimer ticker;
    ticker.setInterval(ProgressInterval);
    QObject::connect(&ticker, &QTimer::timeout, &finder, progress);
    ticker.start();
    QObject::connect(&finder, &ServerFinder::masterFinished, &finder, [&](int index) {
        const ServerFinder::MasterOutcome& master = finder.masters()[static_cast<size_t>(index)];
        printLine(QCoreApplication::translate("FindCommand", "%1: %2 servers listed in %3 s%4")
                      .arg(master.master)
                      .arg(master.listed)
                      .arg(seconds())
                      .arg(master.error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(visibleText(master.error))),
                  stderr);
    });
    QObject::connect(&finder, &ServerFinder::serversListed, &finder, writeDone);
    QObject::connect(&finder, &ServerFinder::serverDone, &finder, writeDone);
    QObject::connect(&finder, &ServerFinder::finished, QCoreApplication::instance(), &QCoreApplication::quit);
    if (!finder.isFinished())
        QCoreApplication::exec();
    writeDone();
    if (json)
        write(shown == 0 ? QByteArrayLiteral("[\n]\n") : QByteArrayLiteral("\n]\n"));
    std::fflush(stdout);
    progress();
    printLine(QCoreApplication::translate("FindCommand", "%1 shown; all done in %2 s").arg(shown).arg(seconds()),
              stderr);
    const auto& masters = finder.masters();
    const bool listed = std::any_of(
        masters.begin(), masters.end(), [](const auto& master) { return master.listed > 0 || master.error.isEmpty(); });
    return listed ? 0 : 1;
}

} // namespace trevisk
