#include "app/Application.h"

#include "app/Commands.h"
#include "app/Demo.h"
#include "app/MonitorRunner.h"
#include "app/MonitorStart.h"
#include "app/WindowsLoader.h"
#include "core/ErrorReporter.h"
#include "core/Routines.h"
#include "core/Translations.h"
#include "core/Version.h"
#include "session/Startup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSysInfo>

#include <cstdio>
#include <memory>

namespace trevisk {

namespace {

QString helpText()
{
    return Translations::text(
               "Application",
               QT_TRANSLATE_NOOP(
                   "Application",
                   "Usage: trevisk [options] [command]\n"
                   "Trevisk watches internet game servers from the notification area.\n"
                   "\n"
                   "Modes:\n"
                   "  trevisk                      the tray monitor (headless when there is no display)\n"
                   "  trevisk --headless           the monitor without windows: events to standard output\n"
                   "                               and the log file, alert mail as configured\n"
                   "  trevisk --demo               simulated servers of every engine, monitored from a\n"
                   "                               temporary folder (nothing of yours is touched)\n"
                   "\n"
                   "Commands:\n"))
           + commandsHelp()
           + Translations::text(
               "Application",
               QT_TRANSLATE_NOOP("Application",
                                 "\n"
                                 "Options:\n"
                                 "  --data-dir DIR               keep the server list and other lists in DIR\n"
                                 "  --config FILE                read and write settings in the INI file FILE\n"
                                 "  --status SECONDS             print the status of every server this often\n"
                                 "                               (and at SIGUSR1)\n"
                                 "  --listen [ADDRESS:]PORT      headless: serve /metrics (Prometheus), /api/servers\n"
                                 "                               (JSON) and a status page; loopback unless an\n"
                                 "                               address is given\n"
                                 "  --listen-token FILE          serve only requests that carry the token in FILE\n"
                                 "                               as \"Authorization: Bearer TOKEN\"\n"
                                 "  -h, --help                   show this help\n"
                                 "  -v, --version                show the version\n"))
           + Translations::text("Application", QT_TRANSLATE_NOOP("Application", "\nLanguage: %1\n"))
                 .arg(Translations::describe());
}

// --data-dir and --config may also follow a command's name: take them out of its arguments.
void takeCommonOptions(QStringList& arguments, CommonOptions& options)
{
    for (qsizetype i = 0; i < arguments.size();) {
        const QString& argument = arguments.at(i);
        QString* target = nullptr;
        QString name;
        for (const auto& [option, field] : {std::pair{QStringLiteral("--data-dir"), &options.dataDir},
                                            std::pair{QStringLiteral("--config"), &options.configFile}}) {
            if (argument == option || argument.startsWith(option + QLatin1Char('='))) {
                target = field;
                name = option;
            }
        }
        if (!target) {
            ++i;
            continue;
        }
        if (argument.size() > name.size()) {
            *target = argument.mid(name.size() + 1);
            arguments.removeAt(i);
        } else if (i + 1 < arguments.size()) {
            *target = arguments.at(i + 1);
            arguments.remove(i, 2);
        } else {
            ++i;
        }
    }
}

// The monitor without windows; the windowed one runs in the window module.
int runHeadless(QCoreApplication& app, const CommonOptions& options)
{
    MonitorRunOptions runOptions;
    runOptions.statusSeconds = options.statusSeconds;
    if (!options.listen.isEmpty()) {
        QString error;
        runOptions.listen = parseListenAddress(options.listen, &error);
        if (!runOptions.listen) {
            printLine(error, stderr);
            return 2;
        }
        if (!options.listenToken.isEmpty()) {
            QString warning;
            const std::optional<QByteArray> token = readTokenFile(options.listenToken, &error, &warning);
            if (!token) {
                printLine(error, stderr);
                return 2;
            }
            if (!warning.isEmpty())
                printLine(warning, stderr);
            runOptions.listenToken = *token;
        }
    }
    if (!options.shard.isEmpty()) {
        QString error;
        runOptions.shard = parseShard(options.shard, &error);
        if (!runOptions.shard) {
            printLine(error, stderr);
            return 2;
        }
        runOptions.instance = options.instance.isEmpty() ? QSysInfo::machineHostName() : options.instance;
        if (runOptions.instance.isEmpty())
            runOptions.instance = QStringLiteral("localhost");
    }
    StderrErrorReporter reporter;
    std::unique_ptr<AppContext> context = startMonitor(options, reporter, [](const QString& message) {
        printLine(QString::fromLatin1(ProductName) + QStringLiteral(": ") + message, stderr);
    });
    if (!context)
        return 1;
    printStartBanner(*context);
    printLine(Translations::text("Application",
                                 QT_TRANSLATE_NOOP("Application", "Running headless; end with Ctrl+C or SIGTERM.")));
    return runMonitorLoop(app, *context, runOptions);
}

// The parse runs before any application object, so Qt's message is still English: it is
// translated here from Qt's own catalogue, with the option it names.
QString parserError(const QCommandLineParser& parser)
{
    QString error = parser.errorText();
    for (const char* form : {"Unknown option '%1'.",
                             "Unknown options: %1.",
                             "Missing value after '%1'.",
                             "Unexpected value after '%1'."}) {
        const QStringList parts = QString::fromLatin1(form).split(QStringLiteral("%1"));
        const qsizetype fixed = parts[0].size() + parts[1].size();
        if (error.size() > fixed && error.startsWith(parts[0]) && error.endsWith(parts[1]))
            return Translations::text("QCommandLineParser", form).arg(error.mid(parts[0].size(), error.size() - fixed));
    }
    return error;
}

} // namespace

bool hasDisplay()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int runApplication(int argc, char** argv)
{
    Translations::load();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        arguments << QString::fromLocal8Bit(raw);
        // Decoding would turn it into another name: a --data-dir or a file elsewhere than the user meant.
        if (i > 0 && arguments.last().toLocal8Bit() != raw) {
            printLine(Translations::text(
                          "Application",
                          QT_TRANSLATE_NOOP(
                              "Application",
                              "The argument \"%1\" is not valid text in the system's encoding; nothing was done."))
                          .arg(visibleText(arguments.last())),
                      stderr);
            return 2;
        }
    }

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption configOption(QStringLiteral("config"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption headlessOption(QStringLiteral("headless"));
    const QCommandLineOption demoOption(QStringLiteral("demo"));
    const QCommandLineOption statusOption(QStringLiteral("status"), QString(), QStringLiteral("SECONDS"));
    const QCommandLineOption listenOption(QStringLiteral("listen"), QString(), QStringLiteral("ADDRESS:PORT"));
    const QCommandLineOption listenTokenOption(QStringLiteral("listen-token"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption shardOption(QStringLiteral("shard"), QString(), QStringLiteral("K/N"));
    const QCommandLineOption instanceOption(QStringLiteral("instance"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({dataDirOption,
                       configOption,
                       headlessOption,
                       demoOption,
                       statusOption,
                       listenOption,
                       listenTokenOption,
                       shardOption,
                       instanceOption,
                       helpOption,
                       versionOption});
    if (!parser.parse(arguments)) {
        printLine(parserError(parser) + QStringLiteral("\n\n") + helpText(), stderr);
        return 2;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        printLine(QStringLiteral("Trevisk %1").arg(QString::fromLatin1(VersionText)));
        return 0;
    }

    CommonOptions options;
    options.dataDir = parser.value(dataDirOption);
    options.configFile = parser.value(configOption);
    if (parser.isSet(statusOption)) {
        bool ok = false;
        options.statusSeconds = parser.value(statusOption).toInt(&ok);
        if (!ok || options.statusSeconds < 1) {
            printLine(
                Translations::text("Application",
                                   QT_TRANSLATE_NOOP("Application", "--status takes a number of seconds, 1 or more")),
                stderr);
            return 2;
        }
    }
    options.listen = parser.value(listenOption);
    options.listenToken = parser.value(listenTokenOption);
    if (!options.listenToken.isEmpty() && options.listen.isEmpty()) {
        printLine(
            Translations::text("Application", QT_TRANSLATE_NOOP("Application", "--listen-token goes with --listen")),
            stderr);
        return 2;
    }
    options.shard = parser.value(shardOption);
    options.instance = parser.value(instanceOption);
    if (QString error; parser.isSet(shardOption) && !parseShard(options.shard, &error)) {
        printLine(error, stderr);
        return 2;
    }
    if (parser.isSet(instanceOption) && !parser.isSet(shardOption)) {
        printLine(Translations::text("Application", QT_TRANSLATE_NOOP("Application", "--instance goes with --shard")),
                  stderr);
        return 2;
    }
    if (parser.isSet(instanceOption) && options.instance.trimmed().isEmpty()) {
        printLine(Translations::text("Application", QT_TRANSLATE_NOOP("Application", "--instance takes a name")),
                  stderr);
        return 2;
    }
    const QStringList positional = parser.positionalArguments();
    if (!options.listen.isEmpty() && (!positional.isEmpty() || parser.isSet(demoOption))) {
        printLine(
            Translations::text("Application",
                               QT_TRANSLATE_NOOP("Application", "--listen serves only in headless mode (--headless)")),
            stderr);
        return 2;
    }
    if (parser.isSet(shardOption) && (!positional.isEmpty() || parser.isSet(demoOption))) {
        printLine(
            Translations::text("Application",
                               QT_TRANSLATE_NOOP("Application", "--shard works only in headless mode (--headless)")),
            stderr);
        return 2;
    }
    if (!positional.isEmpty()) {
        const CommandInfo* command = findCommand(positional.first());
        if (!command) {
            printLine(Translations::text("Application", QT_TRANSLATE_NOOP("Application", "Unknown command: %1\n\n"))
                              .arg(positional.first())
                          + helpText(),
                      stderr);
            return 2;
        }
        QStringList commandArguments = positional.mid(1);
        // A command's own help, whatever else stands on the line.
        if (commandArguments.contains(QLatin1String("--help")) || commandArguments.contains(QLatin1String("-h"))) {
            std::fputs((Translations::text("Application", QT_TRANSLATE_NOOP("Application", "Usage:\n"))
                        + Translations::text("Commands", command->usage) + QLatin1Char('\n'))
                           .toLocal8Bit()
                           .constData(),
                       stdout);
            return 0;
        }
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QString::fromLatin1(ProductName));
        options.programDir = QCoreApplication::applicationDirPath();
        takeCommonOptions(commandArguments, options);
        return command->run(options, commandArguments);
    }

    if (parser.isSet(demoOption)) {
        printLine(QStringLiteral("Trevisk %1").arg(QString::fromLatin1(VersionText)));
        // With a display the demo's servers get tray icons, so a newcomer sees them within seconds.
        if (!parser.isSet(headlessOption) && hasDisplay())
            return runWithWindows(argc, argv, options, true);
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QString::fromLatin1(ProductName));
        return runDemo(app, options.statusSeconds, false, [&app](AppContext& context, const MonitorRunOptions& run) {
            return runMonitorLoop(app, context, run);
        });
    }

    const bool headless = parser.isSet(headlessOption) || !hasDisplay();
    if (headless) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QString::fromLatin1(ProductName));
        options.programDir = QCoreApplication::applicationDirPath();
        if (!parser.isSet(headlessOption))
            printLine(Translations::text("Application",
                                         QT_TRANSLATE_NOOP("Application", "No display found: running headless.")));
        return runHeadless(app, options);
    }
    if (!options.listen.isEmpty()) {
        printLine(
            Translations::text("Application",
                               QT_TRANSLATE_NOOP("Application", "--listen serves only in headless mode (--headless)")),
            stderr);
        return 2;
    }
    if (!options.shard.isEmpty()) {
        printLine(
            Translations::text("Application",
                               QT_TRANSLATE_NOOP("Application", "--shard works only in headless mode (--headless)")),
            stderr);
        return 2;
    }
    return runWithWindows(argc, argv, options, false);
}

} // namespace trevisk
