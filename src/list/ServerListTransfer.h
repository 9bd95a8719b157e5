#pragma once

#include "store/Records.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace trevisk {

class ErrorReporter;
class Prompter;
class Stores;

// The monitor, which rebuilds its list and query objects from the stores after an import.
class ServerListOwner
{
public:
    virtual ~ServerListOwner() = default;
    virtual void updateList() = 0;
};

enum class ImportChoice
{
    Merge,  // add the servers whose address is not in the list yet
    Replace // the file's servers take the place of the list
};

inline constexpr char ServerListFilter[] = QT_TRANSLATE_NOOP("ServerListTransfer", "XML Files (*.xml)");
inline constexpr char ExportCompleteText[] = QT_TRANSLATE_NOOP("ServerListTransfer", "Export Complete");
inline constexpr char MergeQuestionText[] =
    QT_TRANSLATE_NOOP("ServerListTransfer", "Merge the new list with the current?");
inline constexpr char NothingImportedText[] = QT_TRANSLATE_NOOP("ServerListTransfer", "No servers imported!");
inline constexpr char ImportProcedure[] = "cmdImport_Click()";

struct ImportOutcome
{
    enum class Status
    {
        Imported,        // saved, and the owner rebuilt its list
        NothingImported, // the file held no server
        AllSkipped,      // every server was in the list already
        Cancelled,       // no choice was made; nothing changed
        Failed           // shown through the error report; nothing changed
    };
    Status status = Status::Cancelled;
    int imported = 0;
    int skipped = 0;

    // What to tell the user: the counts, or that nothing was imported; empty when cancelled or failed.
    QString message() const;
};

// "N servers imported." CR LF "M servers skipped (duplicate)"
QString importSummary(int imported, int skipped);
QString exportFailureText(const QString& path, const QString& error);

// A host (letters, digits, dots, hyphens, underscores, beginning with a letter or digit; or an IPv6
// literal in brackets, without a zone id), a colon and a port from 0 to 65535. The address later becomes part of a
// game's command line, so nothing else passes.
bool isServerAddress(const QString& address);

// What every stored server keeps to, however it comes in (the add-server form, an import): an address
// as above, a game of the catalogue, a query port from 0 to 65535, the switches and colours in their
// ranges and the texts within their stored sizes. Nothing when the record may be stored.
std::optional<FieldProblem> checkServerRecord(const ServerRecord& record);

// Export and import of the server list in the XML rowset layout. An import reads the whole file
// and builds the new list on a copy; the list, servers.dat and the monitor change only once
// the copy is complete and saved.
class ServerListTransfer
{
public:
    // Asked only when the list holds servers already; nothing means stop without a change.
    using Chooser = std::function<std::optional<ImportChoice>()>;

    ServerListTransfer(Stores& stores, ErrorReporter& reporter, ServerListOwner* owner = nullptr);

    // The main window's menu commands, with their file dialogs, question and messages.
    void exportList(Prompter& prompter) const;
    void importList(Prompter& prompter);

    // Writes the list atomically; returns an empty text on success, else what failed.
    QString exportTo(const QString& path) const;
    ImportOutcome importFrom(const QString& path, const Chooser& choose);

private:
    // After a replacement: the custom alert texts of servers no longer listed go too.
    void dropCustomTextsOfGoneServers(const QSet<QString>& listed);

    Stores& m_stores;
    ErrorReporter& m_reporter;
    ServerListOwner* m_owner;
};

} // namespace trevisk
