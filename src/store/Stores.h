#pragma once

#include "store/RecordTable.h"
#include "store/Records.h"

#include <QString>

namespace trevisk {

class ErrorReporter;

inline constexpr char ServersFile[] = "servers.dat";
inline constexpr char FriendsFile[] = "friends.dat";
inline constexpr char FavMapsFile[] = "favmaps.dat";
inline constexpr char GamePathsFile[] = "gamepaths.dat";
inline constexpr char CustEmailFile[] = "custemail.dat";

// The five persisted lists, and the folder their files live in.
class Stores
{
public:
    explicit Stores(QString dataDir = {});

    // Reads every store in start-up order, after removing the copies interrupted saves left.
    // A missing file gives an empty table; an unreadable one (not a regular file, too large, damaged) is reported as
    // from `procedure`, moved aside (nothing is deleted) and replaced by an empty table.
    void loadAll(ErrorReporter& reporter, const QString& procedure = QStringLiteral("Main()"));

    // Each save writes its whole table atomically; an empty result means it worked.
    QString saveServers(RecordWriter* writer = nullptr) const;
    QString saveFriends(RecordWriter* writer = nullptr) const;
    QString saveFavMaps(RecordWriter* writer = nullptr) const;
    QString saveGamePaths(RecordWriter* writer = nullptr) const;
    QString saveCustEmail(RecordWriter* writer = nullptr) const;

    // Reads one store's file into `table` and leaves the file where it is, for commands that must not
    // move a user's file; an empty result means it was read or is missing (then the table is empty).
    template <typename Record> QString read(RecordTable<Record>& table, const char* fileName) const
    {
        table = RecordTable<Record>{};
        const ReadOutcome outcome = readRecordFile(filePath(fileName));
        if (!outcome.exists)
            return {};
        QString error = outcome.table ? table.fromRaw(*outcome.table) : outcome.error;
        if (!error.isEmpty())
            table = RecordTable<Record>{};
        return error;
    }

    QString filePath(const char* fileName) const;
    const QString& dataDir() const { return m_dataDir; }

    RecordTable<ServerRecord> servers;
    RecordTable<FriendRecord> friends;
    RecordTable<FavouriteMap> favMaps;
    RecordTable<GamePath> gamePaths;
    RecordTable<CustomMessage> custEmail;

    // The sixteen fields of a new, empty server list.
    static RecordTable<ServerRecord> newServers() { return {}; }

private:
    template <typename Record>
    void loadOne(RecordTable<Record>& table, const char* fileName, ErrorReporter& reporter, const QString& procedure);
    template <typename Record>
    QString saveOne(const RecordTable<Record>& table, const char* fileName, RecordWriter* writer) const;

    QString m_dataDir;
};

} // namespace trevisk
