#include "alerts/AlertSnooze.h"
#include "alerts/UptimeLog.h"
#include "app/Commands.h"
#include "core/Catalogue.h"
#include "core/Clock.h"
#include "core/Routines.h"
#include "core/Settings.h"
#include "list/ServerForm.h"
#include "list/ServerList.h"
#include "session/Startup.h"
#include "store/Stores.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QSettings>

namespace trevisk {

namespace {

QString usage()
{
    return QCoreApplication::translate(
        "ServersCommand",
        "Usage: trevisk servers list\n"
        "       trevisk servers add GAME ADDRESS [--memo TEXT] [--query-port N] [--manual] [--tray 0|1|2] [--no-mail]\n"
        "       trevisk servers remove ADDRESS\n"
        "       trevisk servers snooze ADDRESS 1h|8h|tomorrow|on|off   (on: until turned back on; off: alerts again)");
}

// What the monitor keeps beside the list: snoozes and uptime counts.
struct ServerExtras
{
    const AlertSnooze* snooze = nullptr;
    const UptimeLog* uptime = nullptr;
    QDateTime now;
};

QString describe(const ServerRecord& record, const ServerExtras& extras = {})
{
    QStringList options;
    if (record.manualRefresh.value_or(false))
        options << QCoreApplication::translate("ServersCommand", "manual refresh");
    if (record.queryPort.value_or(0) != 0)
        options << QCoreApplication::translate("ServersCommand", "query port %1").arg(*record.queryPort);
    const int tray = record.tray.value_or(0);
    if (tray != 0)
        options << (tray == 1 ? QCoreApplication::translate("ServersCommand", "tray")
                              : QCoreApplication::translate("ServersCommand", "tray by default"));
    if (record.noAlertMail.value_or(false))
        options << QCoreApplication::translate("ServersCommand", "no mail");
    if (extras.snooze) {
        if (const auto until = extras.snooze->snoozedUntil(record.addressText(), extras.now))
            options << QCoreApplication::translate("ServersCommand", "alerts snoozed ")
                           + AlertSnooze::describe(*until, extras.now);
    }
    if (extras.uptime) {
        const UptimeShares shares = extras.uptime->shares(record.addressText(), extras.now);
        if (shares.month)
            options << QCoreApplication::translate("ServersCommand", "uptime ") + UptimeLog::describe(shares);
    }
    // An imported list may hold anything in its texts.
    return visibleText(record.gameText()) + QLatin1Char('\t') + visibleText(record.addressText()) + QLatin1Char('\t')
           + visibleText(record.memo.value_or(QString())) + QLatin1Char('\t') + options.join(QStringLiteral(", "));
}

// The lock of a running monitor: its next save would undo what a command changed.
std::unique_ptr<QLockFile> lockForChange(const QString& dataDir)
{
    QDir().mkpath(dataDir);
    DataLock lock = acquireDataLock(dataDir);
    if (!lock && !lock.failure.isEmpty()) {
        printLine(lock.failure + QCoreApplication::translate("ServersCommand", " Nothing was changed."), stderr);
    } else if (!lock) {
        printLine(QCoreApplication::translate("ServersCommand",
                                              "A Trevisk monitor is using the data folder %1: nothing was changed. "
                                              "Close it, or make the change from its window.")
                      .arg(QDir::toNativeSeparators(dataDir)),
                  stderr);
    }
    return std::move(lock.lock);
}

int addServer(const CommonOptions& options, Stores& stores, const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption memoOption(QStringLiteral("memo"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption queryPortOption(QStringLiteral("query-port"), QString(), QStringLiteral("N"));
    const QCommandLineOption manualOption(QStringLiteral("manual"));
    const QCommandLineOption trayOption(QStringLiteral("tray"), QString(), QStringLiteral("0|1|2"));
    const QCommandLineOption noMailOption(QStringLiteral("no-mail"));
    parser.addOptions({memoOption, queryPortOption, manualOption, trayOption, noMailOption});
    if (!parser.parse(QStringList{QStringLiteral("add")} + arguments) || parser.positionalArguments().size() != 2) {
        printLine(parser.errorText().isEmpty() ? usage() : parser.errorText() + QLatin1Char('\n') + usage(), stderr);
        return 2;
    }
    const QString game = parser.positionalArguments().at(0);
    const QString address = parser.positionalArguments().at(1);
    if (!findGame(game)) {
        printLine(
            QCoreApplication::translate("ServersCommand", "\"%1\" is not a game Trevisk knows. The games are:\n  %2")
                .arg(game, sortedGameList().join(QStringLiteral("\n  "))),
            stderr);
        return 1;
    }
    const auto settingsStore = openSettings(options.configFile);
    const AppSettings settings = AppSettings::load(*settingsStore, options.programDir);
    ServerForm form;
    // Broken brackets stay in the host, for the form to refuse.
    const HostPort split = splitAddress(address);
    form.host = split.valid ? split.host : address;
    form.port = split.port;
    form.game = game;
    form.queryPort = parser.value(queryPortOption);
    form.memo = parser.value(memoOption);
    form.manualRefresh = parser.isSet(manualOption);
    form.noAlertMail = parser.isSet(noMailOption);
    form.tray = settings.trayByDefault ? 2 : 0;
    if (parser.isSet(trayOption)) {
        const QString tray = parser.value(trayOption);
        if (tray != QLatin1String("0") && tray != QLatin1String("1") && tray != QLatin1String("2")) {
            printLine(QCoreApplication::translate("ServersCommand", "--tray takes 0, 1 or 2"), stderr);
            return 2;
        }
        form.tray = tray.toInt();
    }
    form.icons = settings.icons;
    if (form.port.trimmed().isEmpty() && !form.host.trimmed().isEmpty())
        printLine(QCoreApplication::translate("ServersCommand", "Port not specified: using the default port of %1, %2.")
                      .arg(game, defaultPort(game)));
    const ServerFormCheck check = checkServerForm(form, QString(), stores, &resolveHostAddress, true);
    if (!check.ok) {
        printLine(check.message, stderr);
        return 1;
    }
    if (const QString error = saveServerForm(stores, QString(), check, QString()); !error.isEmpty()) {
        printLine(QCoreApplication::translate("ServersCommand", "The server list could not be saved: %1").arg(error),
                  stderr);
        return 1;
    }
    printLine(QCoreApplication::translate("ServersCommand", "Added %1").arg(describe(check.record)));
    return 0;
}

int removeServer(Stores& stores, const QStringList& arguments)
{
    if (arguments.size() != 1) {
        printLine(usage(), stderr);
        return 2;
    }
    const QString& address = arguments.first();
    const ServerRemoval removal = removeServerRecord(stores, address);
    if (!removal.found) {
        printLine(QCoreApplication::translate("ServersCommand", "%1 is not in the server list.").arg(address), stderr);
        return 1;
    }
    if (!removal.serversError.isEmpty()) {
        printLine(QCoreApplication::translate("ServersCommand", "The server list could not be saved: %1")
                      .arg(removal.serversError),
                  stderr);
        return 1;
    }
    if (!removal.messagesError.isEmpty()) {
        printLine(QCoreApplication::translate("ServersCommand", "The custom alert texts could not be saved: %1")
                      .arg(removal.messagesError),
                  stderr);
        return 1;
    }
    // A server listed again later starts with its alerts on.
    AlertSnooze snooze(stores.filePath(SnoozeFile), AlertSnooze::CommandWait);
    if (snooze.load().isEmpty() && snooze.snoozedUntil(address, SystemClock().now())) {
        if (const QString error = snooze.resume(address); !error.isEmpty()) {
            printLine(
                QCoreApplication::translate("ServersCommand", "The alert snoozes could not be saved: %1").arg(error),
                stderr);
            return 1;
        }
    }
    printLine(QCoreApplication::translate("ServersCommand", "Removed %1").arg(address));
    return 0;
}

int snoozeServer(Stores& stores, const QStringList& arguments)
{
    if (arguments.size() != 2) {
        printLine(usage(), stderr);
        return 2;
    }
    const QString& address = arguments.at(0);
    const QString word = arguments.at(1).trimmed().toLower();
    const auto length = AlertSnooze::lengthFromText(word);
    if (!length && word != QLatin1String("off")) {
        printLine(QCoreApplication::translate("ServersCommand",
                                              "\"%1\" is not a snooze length: use 1h, 8h, tomorrow, on or off.")
                      .arg(arguments.at(1)),
                  stderr);
        return 2;
    }
    const ServerRecord* record = findServerRecord(stores, address);
    if (!record) {
        printLine(
            QCoreApplication::translate("ServersCommand", "%1 is not in the server list.").arg(visibleText(address)),
            stderr);
        return 1;
    }
    const SystemClock clock;
    const QDateTime now = clock.now();
    AlertSnooze snooze(stores.filePath(SnoozeFile), AlertSnooze::CommandWait);
    const QString error =
        length ? snooze.snooze(record->addressText(), *length, now) : snooze.resume(record->addressText());
    if (!error.isEmpty()) {
        printLine(QCoreApplication::translate("ServersCommand", "The snooze could not be saved: %1").arg(error),
                  stderr);
        return 1;
    }
    if (length) {
        printLine(QCoreApplication::translate("ServersCommand", "Alerts of %1 snoozed %2")
                      .arg(record->addressText(), AlertSnooze::describe(AlertSnooze::endOf(*length, now), now)));
    } else {
        printLine(QCoreApplication::translate("ServersCommand", "Alerts of %1 are on").arg(record->addressText()));
    }
    return 0;
}

} // namespace

int runServersCommand(const CommonOptions& options, const QStringList& arguments)
{
    const QString action = arguments.value(0);
    if (action != QLatin1String("list") && action != QLatin1String("add") && action != QLatin1String("remove")
        && action != QLatin1String("snooze")) {
        printLine(usage(), stderr);
        return 2;
    }
    const QString dataDir = resolveDataDir(options.dataDir, options.programDir);
    std::unique_ptr<QLockFile> lock;
    // A snooze has a file of its own that a running monitor reads again: it takes only that file's lock.
    if (action != QLatin1String("list") && action != QLatin1String("snooze")) {
        lock = lockForChange(dataDir);
        if (!lock)
            return 1;
    }
    Stores stores(dataDir);
    // An unreadable file is left where it is for the monitor to report and keep aside.
    for (const auto& [error, file] : {std::pair{stores.read(stores.servers, ServersFile), ServersFile},
                                      std::pair{stores.read(stores.custEmail, CustEmailFile), CustEmailFile}}) {
        if (!error.isEmpty()) {
            printLine(QCoreApplication::translate("ServersCommand", "%1 cannot be read: %2; nothing was changed.")
                          .arg(QDir::toNativeSeparators(stores.filePath(file)), error),
                      stderr);
            return 1;
        }
    }
    if (action == QLatin1String("list")) {
        const SystemClock clock;
        ServerExtras extras{nullptr, nullptr, clock.now()};
        AlertSnooze snooze(stores.filePath(SnoozeFile));
        if (snooze.load().isEmpty())
            extras.snooze = &snooze;
        // The monitor's file is only read: a damaged one is left for the monitor to set aside.
        UptimeLog uptime(stores.filePath(UptimeFile));
        if (uptime.load(extras.now, false).isEmpty())
            extras.uptime = &uptime;
        for (const ServerRecord& record : stores.servers.rows)
            printLine(describe(record, extras));
        return 0;
    }
    if (action == QLatin1String("snooze"))
        return snoozeServer(stores, arguments.mid(1));
    if (action == QLatin1String("add"))
        return addServer(options, stores, arguments.mid(1));
    return removeServer(stores, arguments.mid(1));
}

} // namespace trevisk
