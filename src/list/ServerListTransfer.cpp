#include "list/ServerListTransfer.h"

#include "core/Catalogue.h"
#include "core/ErrorReporter.h"
#include "core/Prompter.h"
#include "core/Routines.h"
#include "store/ServerListXml.h"
#include "store/Stores.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

#include <utility>

namespace trevisk {

namespace {

constexpr qsizetype MaxAddressLength = 255;

// A value from the file as it may be shown in a report: short, without control characters.
QString shown(const QString& text)
{
    return visibleText(text.left(80));
}

// Reports what keeps the file from being imported, or returns an empty text.
std::pair<QString, qint32> refusal(const ServerListRead& read)
{
    QStringList missing;
    for (const QString& required : {QStringLiteral("Address"), QStringLiteral("Game")}) {
        if (!read.fields.contains(required, Qt::CaseInsensitive))
            missing << required;
    }
    if (!missing.isEmpty()) {
        return {QCoreApplication::translate("ServerListTransfer", "The file is not a server list: it has no field %1")
                    .arg(missing.join(QCoreApplication::translate("ServerListTransfer", " and no field "))),
                ErrorNumber::BadFormat};
    }
    // The same rules as a server added by hand: a row the monitor cannot query would show "..." for ever.
    for (std::size_t i = 0; i < read.rows.size(); ++i) {
        if (const auto problem = checkServerRecord(read.rows[i]))
            return {QCoreApplication::translate("ServerListTransfer", "Row %1: %2").arg(i + 1).arg(problem->message),
                    ErrorNumber::InvalidData};
    }
    return {};
}

} // namespace

QString ImportOutcome::message() const
{
    switch (status) {
    case Status::Imported:
    case Status::AllSkipped:
        return importSummary(imported, skipped);
    case Status::NothingImported:
        return QCoreApplication::translate("ServerListTransfer", NothingImportedText);
    case Status::Cancelled:
    case Status::Failed:
        break;
    }
    return {};
}

QString importSummary(int imported, int skipped)
{
    return QCoreApplication::translate("ServerListTransfer", "%n servers imported.\r\n", nullptr, imported)
           + QCoreApplication::translate("ServerListTransfer", "%n servers skipped (duplicate)", nullptr, skipped);
}

QString exportFailureText(const QString& path, const QString& error)
{
    return QCoreApplication::translate("ServerListTransfer", "The server list could not be exported to %1:\r\n%2")
        .arg(path, error);
}

bool isServerAddress(const QString& address)
{
    const HostPort split = splitAddress(address);
    if (!split.valid || !split.hasPort || split.host.isEmpty() || address.size() > MaxAddressLength)
        return false;
    const QStringView host = split.host;
    const QStringView port = split.port;
    if (port.isEmpty() || port.size() > 5)
        return false;
    for (QChar c : port) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    if (port.toInt() > 65535)
        return false;
    // An IPv6 host is a literal in brackets: a name never holds a colon.
    if (address.startsWith(QLatin1Char('[')) || host.contains(QLatin1Char(':')))
        return address.startsWith(QLatin1Char('[')) && isIPv6Host(split.host);
    // A leading '-' or '+' would read as an option or a console command on the game's command line.
    if (!host.front().isLetterOrNumber())
        return false;
    for (QChar c : host) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-') && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

std::optional<FieldProblem> checkServerRecord(const ServerRecord& record)
{
    auto problem = [](const char* field, const QString& message) {
        return FieldProblem{QString::fromLatin1(field), message};
    };
    const QString address = record.addressText();
    if (!isServerAddress(address)) {
        return problem("Address",
                       QCoreApplication::translate(
                           "ServerListTransfer", "the address \"%1\" is not a host, a colon and a port from 0 to 65535")
                           .arg(shown(address)));
    }
    if (!record.game || record.game->isEmpty())
        return problem("Game", QCoreApplication::translate("ServerListTransfer", "the field Game is empty"));
    if (!findGame(*record.game)) {
        return problem("Game",
                       QCoreApplication::translate("ServerListTransfer",
                                                   "the field Game holds \"%1\", which is not a game Trevisk knows")
                           .arg(shown(*record.game)));
    }
    if (record.queryPort && (*record.queryPort < 0 || *record.queryPort > 65535)) {
        return problem(
            "Option1",
            QCoreApplication::translate("ServerListTransfer",
                                        "the field Option1 (query port) holds %1, which is not a port from 0 to 65535")
                .arg(*record.queryPort));
    }
    // The flags (ManualRefresh, Option5) are 0 or 1 already: the list reader refuses anything else.
    if (record.tray && (*record.tray < 0 || *record.tray > 2)) {
        return problem("Tray",
                       QCoreApplication::translate("ServerListTransfer", "the field %1 holds %2; it may hold 0 to %3")
                           .arg(QStringLiteral("Tray"))
                           .arg(*record.tray)
                           .arg(2));
    }
    for (const auto& [field, colour] : {std::pair{"IconBack", record.iconBack},
                                        std::pair{"IconNorm", record.iconNorm},
                                        std::pair{"IconFriend", record.iconFriend},
                                        std::pair{"IconOff", record.iconOff}}) {
        if (colour && (*colour < 0 || *colour > 0xFFFFFFFFLL)) {
            return problem(
                field,
                QCoreApplication::translate("ServerListTransfer", "the field %1 holds %2, which is not a colour")
                    .arg(QString::fromLatin1(field))
                    .arg(*colour));
        }
    }
    return oversizedField(record);
}

ServerListTransfer::ServerListTransfer(Stores& stores, ErrorReporter& reporter, ServerListOwner* owner)
    : m_stores(stores)
    , m_reporter(reporter)
    , m_owner(owner)
{}

void ServerListTransfer::exportList(Prompter& prompter) const
{
    const QString path = prompter.saveFileName(QCoreApplication::translate("ServerListTransfer", "Save File"),
                                               QCoreApplication::translate("ServerListTransfer", ServerListFilter));
    if (path.isEmpty())
        return;
    const QString error = exportTo(path);
    if (error.isEmpty())
        prompter.tell(QCoreApplication::translate("ServerListTransfer", ExportCompleteText),
                      Prompter::Icon::Information);
    else
        prompter.tell(exportFailureText(path, error), Prompter::Icon::Critical);
}

QString ServerListTransfer::exportTo(const QString& path) const
{
    return writeServerListFile(path, m_stores.servers.rows);
}

void ServerListTransfer::importList(Prompter& prompter)
{
    const QString path = prompter.openFileName(QCoreApplication::translate("ServerListTransfer", "Load File"),
                                               QCoreApplication::translate("ServerListTransfer", ServerListFilter),
                                               QString());
    // A path that is there but no file (a folder, a pipe) is refused through the error report.
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    const ImportOutcome outcome = importFrom(path, [&prompter]() -> std::optional<ImportChoice> {
        switch (prompter.ask(QCoreApplication::translate("ServerListTransfer", MergeQuestionText),
                             Prompter::Icon::Question,
                             Prompter::Buttons::YesNoCancel)) {
        case Prompter::Answer::Yes:
            return ImportChoice::Merge;
        case Prompter::Answer::No:
            return ImportChoice::Replace;
        default:
            return std::nullopt;
        }
    });
    switch (outcome.status) {
    case ImportOutcome::Status::Imported:
    case ImportOutcome::Status::AllSkipped:
        prompter.tell(outcome.message(), Prompter::Icon::Information);
        break;
    case ImportOutcome::Status::NothingImported:
        prompter.tell(outcome.message(), Prompter::Icon::Exclamation);
        break;
    case ImportOutcome::Status::Cancelled:
    case ImportOutcome::Status::Failed:
        break;
    }
}

ImportOutcome ServerListTransfer::importFrom(const QString& path, const Chooser& choose)
{
    ImportOutcome outcome;
    const QString procedure = QString::fromLatin1(ImportProcedure);
    const ServerListRead read = readServerListFile(path);
    auto [error, number] = read.ok() ? refusal(read) : std::pair{read.error, read.errorNumber};
    if (!error.isEmpty()) {
        m_reporter.report(error, number, procedure);
        outcome.status = ImportOutcome::Status::Failed;
        return outcome;
    }

    ImportChoice choice = ImportChoice::Merge;
    if (!m_stores.servers.rows.empty()) {
        const std::optional<ImportChoice> chosen = choose ? choose() : std::nullopt;
        if (!chosen)
            return outcome;
        choice = *chosen;
    }

    // The new list is built on a copy. A replacement is a fresh table with this program's own
    // fields, whatever else the file carried. Either way an address goes in once: the monitor
    // keys every server by it.
    RecordTable<ServerRecord> next = choice == ImportChoice::Replace ? Stores::newServers() : m_stores.servers;
    QSet<QString> addresses;
    for (const ServerRecord& record : next.rows)
        addresses.insert(record.addressText());
    for (const ServerRecord& record : read.rows) {
        if (addresses.contains(record.addressText())) {
            ++outcome.skipped;
            continue;
        }
        addresses.insert(record.addressText());
        next.rows.push_back(record);
        ++outcome.imported;
    }

    if (outcome.imported == 0) {
        outcome.status =
            outcome.skipped == 0 ? ImportOutcome::Status::NothingImported : ImportOutcome::Status::AllSkipped;
        return outcome;
    }
    RecordTable<ServerRecord> previous = std::exchange(m_stores.servers, std::move(next));
    const QString saveError = m_stores.saveServers();
    if (!saveError.isEmpty()) {
        // Unsaved rows must not linger where the next edit would save them.
        m_stores.servers = std::move(previous);
        m_reporter.report(QCoreApplication::translate("ServerListTransfer", "The server list could not be saved: ")
                              + saveError,
                          ErrorNumber::FileWrite,
                          procedure);
        outcome.status = ImportOutcome::Status::Failed;
        return outcome;
    }
    if (choice == ImportChoice::Replace)
        dropCustomTextsOfGoneServers(addresses);
    if (m_owner)
        m_owner->updateList();
    outcome.status = ImportOutcome::Status::Imported;
    return outcome;
}

void ServerListTransfer::dropCustomTextsOfGoneServers(const QSet<QString>& listed)
{
    auto messages = m_stores.custEmail;
    const auto gone = std::remove_if(messages.rows.begin(), messages.rows.end(), [&](const CustomMessage& message) {
        return !listed.contains(message.server.value_or(QString()));
    });
    if (gone == messages.rows.end())
        return;
    messages.rows.erase(gone, messages.rows.end());
    auto previous = std::exchange(m_stores.custEmail, std::move(messages));
    if (const QString error = m_stores.saveCustEmail(); !error.isEmpty()) {
        m_stores.custEmail = std::move(previous);
        m_reporter.report(QCoreApplication::translate("ServerListTransfer",
                                                      "The server list was replaced, but the custom alert texts of "
                                                      "the servers that are gone could not be removed: ")
                              + error,
                          ErrorNumber::FileWrite,
                          QString::fromLatin1(ImportProcedure));
    }
}

} // namespace trevisk
