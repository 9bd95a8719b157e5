#include "store/Stores.h"

#include "core/ErrorReporter.h"
#include "core/Translations.h"

#include <QDir>
#include <QHash>

namespace trevisk {

namespace {

// A list of thousands of servers names a handful of games: one copy of each name serves them all.
void shareGameNames(std::vector<ServerRecord>& rows)
{
    QHash<QString, QString> names;
    for (ServerRecord& row : rows) {
        if (!row.game)
            continue;
        if (const auto found = names.constFind(*row.game); found != names.constEnd())
            row.game = *found;
        else
            names.insert(*row.game, *row.game);
    }
}

} // namespace

Stores::Stores(QString dataDir)
    : m_dataDir(std::move(dataDir))
{}

QString Stores::filePath(const char* fileName) const
{
    return QDir(m_dataDir).filePath(QString::fromLatin1(fileName));
}

template <typename Record>
void Stores::loadOne(RecordTable<Record>& table,
                     const char* fileName,
                     ErrorReporter& reporter,
                     const QString& procedure)
{
    // A save killed before its rename leaves a full copy beside the file; nothing else will remove it.
    removeSaveLeftovers(filePath(fileName));
    const QString error = read(table, fileName);
    if (error.isEmpty())
        return;
    const QString path = filePath(fileName);
    const QString aside = keepAside(path);
    QString description =
        Translations::text("Stores", QT_TRANSLATE_NOOP("Stores", "The file %1 could not be read: %2."))
            .arg(QDir::toNativeSeparators(path), error);
    description +=
        aside.isEmpty()
            ? Translations::text(
                "Stores", QT_TRANSLATE_NOOP("Stores", " It could not be moved aside either; it is left as it was."))
            : Translations::text("Stores", QT_TRANSLATE_NOOP("Stores", " It was kept as %1 and the list starts empty."))
                  .arg(QDir::toNativeSeparators(aside));
    reporter.report(description, ErrorNumber::BadFormat, procedure);
}

void Stores::loadAll(ErrorReporter& reporter, const QString& procedure)
{
    loadOne(gamePaths, GamePathsFile, reporter, procedure);
    loadOne(favMaps, FavMapsFile, reporter, procedure);
    loadOne(friends, FriendsFile, reporter, procedure);
    loadOne(custEmail, CustEmailFile, reporter, procedure);
    loadOne(servers, ServersFile, reporter, procedure);
    shareGameNames(servers.rows);
}

template <typename Record>
QString Stores::saveOne(const RecordTable<Record>& table, const char* fileName, RecordWriter* writer) const
{
    return writeRecordFile(filePath(fileName), table.toRaw(), writer);
}

QString Stores::saveServers(RecordWriter* writer) const
{
    return saveOne(servers, ServersFile, writer);
}

QString Stores::saveFriends(RecordWriter* writer) const
{
    return saveOne(friends, FriendsFile, writer);
}

QString Stores::saveFavMaps(RecordWriter* writer) const
{
    return saveOne(favMaps, FavMapsFile, writer);
}

QString Stores::saveGamePaths(RecordWriter* writer) const
{
    return saveOne(gamePaths, GamePathsFile, writer);
}

QString Stores::saveCustEmail(RecordWriter* writer) const
{
    return saveOne(custEmail, CustEmailFile, writer);
}

} // namespace trevisk
