#include "app/Commands.h"
#include "core/ErrorReporter.h"
#include "core/Routines.h"
#include "list/ServerListTransfer.h"
#include "session/Startup.h"
#include "store/Stores.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace trevisk {

namespace {

struct TransferArguments
{
    CommonOptions options;
    QString file;
    std::optional<ImportChoice> choice;
};

// The command's own arguments; --data-dir and --config may also follow the command name.
std::optional<TransferArguments>
parseArguments(const CommonOptions& common, const QStringList& arguments, bool withChoice)
{
    QCommandLineParser parser;
    const QCommandLineOption dataDirOption(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption configOption(QStringLiteral("config"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption mergeOption(QStringLiteral("merge"));
    const QCommandLineOption replaceOption(QStringLiteral("replace"));
    parser.addOptions({dataDirOption, configOption});
    if (withChoice)
        parser.addOptions({mergeOption, replaceOption});
    const QString usage =
        withChoice ? QCoreApplication::translate("ImportExportCommands",
                                                 "Usage: trevisk import FILE [--merge | --replace] [--data-dir DIR]")
                   : QCoreApplication::translate("ImportExportCommands", "Usage: trevisk export FILE [--data-dir DIR]");

    if (!parser.parse(QStringList{QStringLiteral("trevisk")} + arguments)) {
        printLine(parser.errorText() + QLatin1Char('\n') + usage, stderr);
        return std::nullopt;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        printLine(usage, stderr);
        return std::nullopt;
    }
    TransferArguments result;
    result.options = common;
    result.file = positional.first();
    if (parser.isSet(dataDirOption))
        result.options.dataDir = parser.value(dataDirOption);
    if (parser.isSet(configOption))
        result.options.configFile = parser.value(configOption);
    if (withChoice && parser.isSet(mergeOption) && parser.isSet(replaceOption)) {
        printLine(QCoreApplication::translate("ImportExportCommands", "Pass either --merge or --replace, not both.\n")
                      + usage,
                  stderr);
        return std::nullopt;
    }
    if (withChoice && parser.isSet(mergeOption))
        result.choice = ImportChoice::Merge;
    if (withChoice && parser.isSet(replaceOption))
        result.choice = ImportChoice::Replace;
    return result;
}

// An unreadable servers.dat stays where it is: the monitor's next start reports it and keeps it aside.
QString loadServers(Stores& stores)
{
    return stores.read(stores.servers, ServersFile);
}

QString unreadableList(const Stores& stores, const QString& error)
{
    return QCoreApplication::translate("ImportExportCommands", "The server list %1 cannot be read: %2")
        .arg(QDir::toNativeSeparators(stores.filePath(ServersFile)), error);
}

// Prints a message of the windows on standard output, one line per line of the box.
void printMessage(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    printLine(lines);
}

} // namespace

int runExportCommand(const CommonOptions& common, const QStringList& arguments)
{
    const auto parsed = parseArguments(common, arguments, false);
    if (!parsed)
        return 2;
    Stores stores(resolveDataDir(parsed->options.dataDir, parsed->options.programDir));
    if (const QString error = loadServers(stores); !error.isEmpty()) {
        printLine(unreadableList(stores, error), stderr);
        return 1;
    }
    StderrErrorReporter reporter;
    const ServerListTransfer transfer(stores, reporter);
    if (const QString error = transfer.exportTo(parsed->file); !error.isEmpty()) {
        printLine(exportFailureText(parsed->file, error).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), stderr);
        return 1;
    }
    printMessage(QCoreApplication::translate("ServerListTransfer", ExportCompleteText));
    return 0;
}

int runImportCommand(const CommonOptions& common, const QStringList& arguments)
{
    const auto parsed = parseArguments(common, arguments, true);
    if (!parsed)
        return 2;
    if (!QFileInfo::exists(parsed->file) && !QFileInfo(parsed->file).isSymLink()) {
        printLine(QCoreApplication::translate("ImportExportCommands", "The file %1 does not exist.").arg(parsed->file),
                  stderr);
        return 1;
    }
    if (const QString refusal = notRegularFile(parsed->file); !refusal.isEmpty()) {
        printLine(refusal + QCoreApplication::translate("ImportExportCommands", ": nothing was imported."), stderr);
        return 1;
    }
    const QString dataDir = resolveDataDir(parsed->options.dataDir, parsed->options.programDir);
    if (!QDir().mkpath(dataDir)) {
        printLine(QCoreApplication::translate("ImportExportCommands", "The data folder %1 cannot be created.")
                      .arg(QDir::toNativeSeparators(dataDir)),
                  stderr);
        return 1;
    }
    // A running monitor owns the list in memory and would overwrite the file at its next edit.
    const DataLock lock = acquireDataLock(dataDir);
    if (!lock && !lock.failure.isEmpty()) {
        printLine(lock.failure + QCoreApplication::translate("ImportExportCommands", " Nothing was imported."), stderr);
        return 1;
    }
    if (!lock) {
        printLine(QCoreApplication::translate("ImportExportCommands",
                                              "A Trevisk monitor is using the data folder %1: nothing was imported. "
                                              "Close it, or import from its window.")
                      .arg(QDir::toNativeSeparators(dataDir)),
                  stderr);
        return 1;
    }
    Stores stores(dataDir);
    if (const QString error = loadServers(stores); !error.isEmpty()) {
        printLine(unreadableList(stores, error)
                      + QCoreApplication::translate("ImportExportCommands", "; nothing was imported."),
                  stderr);
        return 1;
    }
    // A replacement drops the custom alert texts of the servers that go.
    if (const QString error = stores.read(stores.custEmail, CustEmailFile); !error.isEmpty()) {
        printLine(QCoreApplication::translate("ImportExportCommands", "%1 cannot be read: %2; nothing was imported.")
                      .arg(QDir::toNativeSeparators(stores.filePath(CustEmailFile)), error),
                  stderr);
        return 1;
    }

    StderrErrorReporter reporter;
    ServerListTransfer transfer(stores, reporter);
    const ImportOutcome outcome = transfer.importFrom(parsed->file, [&parsed] { return parsed->choice; });
    switch (outcome.status) {
    case ImportOutcome::Status::Imported:
    case ImportOutcome::Status::AllSkipped:
    case ImportOutcome::Status::NothingImported:
        printMessage(outcome.message());
        return 0;
    case ImportOutcome::Status::Cancelled:
        printLine(QCoreApplication::translate("ImportExportCommands",
                                              "The server list already holds %n servers: pass --merge to add the "
                                              "new ones, or --replace to replace the list.",
                                              nullptr,
                                              int(stores.servers.rows.size())),
                  stderr);
        return 2;
    case ImportOutcome::Status::Failed:
        break;
    }
    return 1;
}

} // namespace trevisk
