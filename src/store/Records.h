#pragma once

#include "core/Routines.h"
#include "store/RecordFile.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <optional>
#include <type_traits>

namespace trevisk {

// Fields that most rows leave empty, held in a block of their own only when one has a value: a list
// of a hundred thousand servers would otherwise carry their room in every row. Copies share the block
// until one is changed; equal when the fields are, an absent block being all empty.
template <typename Fields> class SparseFields
{
public:
    const Fields& get() const { return m_fields ? *m_fields : empty(); }
    Fields& edit()
    {
        if (!m_fields || m_fields.use_count() > 1)
            m_fields = std::make_shared<Fields>(get());
        return *m_fields;
    }
    // After the fields were written through edit(): lets go of a block that holds nothing.
    void compact()
    {
        if (m_fields && *m_fields == empty())
            m_fields.reset();
    }
    bool operator==(const SparseFields& other) const { return get() == other.get(); }

private:
    static const Fields& empty()
    {
        static const Fields none;
        return none;
    }
    std::shared_ptr<Fields> m_fields;
};

// The typed rows of the five stores. visit() lists each field in its stored order with its stored
// name, type and size: the one place where a member meets its column. The record-file layer derives
// field lists and conversions from it; a bool is stored as the integer 1 or 0.
// Fields a file carries that this version does not know ride along in `extra`.

// Columns of every servers file that nothing sets, kept as read.
struct ServerRecordUnused
{
    std::optional<QDateTime> unusedDate;
    std::optional<double> unusedNumber;
    std::optional<QString> unusedText;
    std::optional<QDateTime> unusedDate2;
    std::optional<double> unusedNumber2;

    bool operator==(const ServerRecordUnused&) const = default;
};

struct ServerRecord
{
    std::optional<QString> address;
    std::optional<QString> game;
    std::optional<qint64> iconBack;
    std::optional<qint64> iconNorm;
    std::optional<qint64> iconFriend;
    std::optional<qint64> iconOff;
    std::optional<bool> manualRefresh; // queried only on request, never on the refresh timer
    std::optional<qint32> queryPort;   // 0 = automatic
    std::optional<QString> memo;       // the user's short label for the server
    std::optional<bool> noAlertMail;   // no alert mail for this server
    std::optional<qint32> tray;        // 0 none, 1 always, 2 while the setting trayByDefault is on
    SparseFields<ServerRecordUnused> unused;
    QJsonObject extra;

    static constexpr char TableName[] = "Servers";
    // A reader that visits a row to fill it calls compact() after.
    template <typename Self, typename Visitor> static void visit(Self& r, Visitor&& v)
    {
        auto& spare = unusedOf(r);
        v("Address", r.address, FieldType::Text, 255);
        v("Game", r.game, FieldType::Text, 255);
        v("IconBack", r.iconBack, FieldType::BigInteger, 8);
        v("IconNorm", r.iconNorm, FieldType::BigInteger, 8);
        v("IconFriend", r.iconFriend, FieldType::BigInteger, 8);
        v("IconOff", r.iconOff, FieldType::BigInteger, 8);
        v("ManualRefresh", r.manualRefresh, FieldType::Integer, 4);
        v("Option1", r.queryPort, FieldType::Integer, 4);
        v("Option2", r.memo, FieldType::Text, 255);
        v("Option3", spare.unusedDate, FieldType::DateTime, 8);
        v("Option4", spare.unusedNumber, FieldType::Double, 8);
        v("Option5", r.noAlertMail, FieldType::Integer, 4);
        v("Option6", spare.unusedText, FieldType::Text, 255);
        v("Option7", spare.unusedDate2, FieldType::DateTime, 8);
        v("Option8", spare.unusedNumber2, FieldType::Double, 8);
        v("Tray", r.tray, FieldType::Integer, 4);
    }

    QString addressText() const { return address.value_or(QString()); }
    QString gameText() const { return game.value_or(QString()); }
    void compact() { unused.compact(); }
    bool operator==(const ServerRecord&) const = default;

private:
    static const ServerRecordUnused& unusedOf(const ServerRecord& r) { return r.unused.get(); }
    static ServerRecordUnused& unusedOf(ServerRecord& r) { return r.unused.edit(); }
};

struct FriendRecord
{
    std::optional<QString> name;
    QJsonObject extra;

    static constexpr char TableName[] = "Friends";
    template <typename Self, typename Visitor> static void visit(Self& r, Visitor&& v)
    {
        v("Name", r.name, FieldType::Text, 255);
    }
    bool operator==(const FriendRecord&) const = default;
};

struct FavouriteMap
{
    std::optional<qint32> id;
    std::optional<QString> game;
    std::optional<QString> map;
    QJsonObject extra;

    static constexpr char TableName[] = "FavMaps";
    template <typename Self, typename Visitor> static void visit(Self& r, Visitor&& v)
    {
        v("ID", r.id, FieldType::Integer, 4);
        v("Game", r.game, FieldType::Text, 255);
        v("Map", r.map, FieldType::Text, 255);
    }
    bool operator==(const FavouriteMap&) const = default;
};

struct GamePath
{
    std::optional<QString> game;
    std::optional<QString> path;
    std::optional<QString> params;
    QJsonObject extra;

    static constexpr char TableName[] = "GamePaths";
    template <typename Self, typename Visitor> static void visit(Self& r, Visitor&& v)
    {
        v("Game", r.game, FieldType::Text, 255);
        v("Path", r.path, FieldType::Text, 255);
        v("Params", r.params, FieldType::Text, 255);
    }
    bool operator==(const GamePath&) const = default;
};

struct CustomMessage
{
    std::optional<QString> server;
    std::optional<QString> message;
    QJsonObject extra;

    static constexpr char TableName[] = "CustEmail";
    template <typename Self, typename Visitor> static void visit(Self& r, Visitor&& v)
    {
        v("Server", r.server, FieldType::Text, 255);
        v("Message", r.message, FieldType::LongText, 1024);
    }
    bool operator==(const CustomMessage&) const = default;
};

// One field of a record that may not be stored: its stored name and what is wrong with it.
struct FieldProblem
{
    QString field;
    QString message;
};

// The first text field longer than the size its file declares ("text (255)").
template <typename Record> std::optional<FieldProblem> oversizedField(const Record& record)
{
    std::optional<FieldProblem> problem;
    Record::visit(record, [&](const char* name, const auto& value, FieldType, int size) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::optional<QString>>) {
            const qsizetype length = value ? characterCount(*value) : 0;
            if (!problem && length > size) {
                problem = FieldProblem{QString::fromLatin1(name),
                                       QStringLiteral("the field %1 holds %2 characters, more than the %3 it may hold")
                                           .arg(QString::fromLatin1(name))
                                           .arg(length)
                                           .arg(size)};
            }
        }
    });
    return problem;
}

} // namespace trevisk
