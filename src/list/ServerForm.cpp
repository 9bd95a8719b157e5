#include "list/ServerForm.h"

#include "core/Catalogue.h"
#include "core/Routines.h"
#include "list/ServerListTransfer.h"
#include "store/Stores.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>

namespace trevisk {

namespace {

constexpr qsizetype CustomMessageSize = 1024;

std::optional<int> portNumber(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    // Asked as a range so that "nan", which toDouble takes, fails it before the cast.
    if (!ok || !(value >= 0 && value <= 65535) || value != static_cast<int>(value))
        return std::nullopt;
    return static_cast<int>(value);
}

// A dotted IPv4 address or an IPv6 literal is taken as it stands; anything else is a name to resolve.
std::optional<QString> addressLiteral(const QString& host)
{
    QHostAddress address;
    if (host.contains(QLatin1Char('%')) || !address.setAddress(host))
        return std::nullopt;
    return address.toString();
}

// IPv4 when the name has both: it reaches servers on machines without IPv6 too.
QString preferredAddress(const QList<QHostAddress>& addresses)
{
    for (const auto protocol : {QAbstractSocket::IPv4Protocol, QAbstractSocket::IPv6Protocol}) {
        for (const QHostAddress& address : addresses) {
            if (address.protocol() == protocol && address.scopeId().isEmpty())
                return address.toString();
        }
    }
    return {};
}

ServerFormCheck refuse(const QString& message, ServerFormCheck::Field field, const QString& title = {})
{
    ServerFormCheck check;
    check.message = message;
    check.field = field;
    check.title = title;
    return check;
}

} // namespace

QString resolveHostAddress(const QString& host)
{
    return preferredAddress(QHostInfo::fromName(host).addresses());
}

ServerFormCheck checkServerForm(
    const ServerForm& form, const QString& tag, const Stores& stores, const HostResolver& resolve, bool useDefaultPort)
{
    ServerFormCheck fields = checkServerFormFields(form, useDefaultPort);
    if (fields.host.isEmpty())
        return fields;
    return completeServerForm(form, tag, stores, fields.needsLookup ? resolve(fields.host) : fields.host);
}

ServerFormCheck checkServerFormFields(const ServerForm& form, bool useDefaultPort)
{
    using Field = ServerFormCheck::Field;
    const QString host = form.host.trimmed();
    const QString port = form.port.trimmed();
    if (form.game.isEmpty())
        return refuse(QCoreApplication::translate("ServerForm", "You must select the type of game!"),
                      Field::Game,
                      QStringLiteral("Aborted"));
    if (host.isEmpty())
        return refuse(QCoreApplication::translate("ServerForm", "You must enter the address of the server to add!"),
                      Field::Address,
                      QStringLiteral("Aborted"));
    if (port.isEmpty()) {
        if (!useDefaultPort) {
            ServerFormCheck check = refuse(QString(), Field::Port);
            check.portMissing = true;
            return check;
        }
    } else if (!portNumber(port)) {
        return refuse(QCoreApplication::translate("ServerForm", "Invalid port number!"), Field::Port);
    }
    const QString queryPort = form.queryPort.trimmed();
    if (!queryPort.isEmpty() && !portNumber(queryPort))
        return refuse(QCoreApplication::translate("ServerForm", "Invalid query port number!"), Field::QueryPort);
    // "[2001:db8::5]" as well as "2001:db8::5"; a colon that is no IPv6 literal's is no host name's either.
    const QString bare =
        host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')) ? host.mid(1, host.size() - 2) : host;
    const auto literal = addressLiteral(bare);
    if (!literal && (bare.contains(QLatin1Char(':')) || bare.contains(QLatin1Char('['))))
        return refuse(QCoreApplication::translate("ServerForm", "Unable to resolve '") + host + QLatin1Char('\''),
                      Field::Address);
    ServerFormCheck check;
    check.needsLookup = !literal;
    check.host = literal.value_or(bare);
    return check;
}

ServerFormCheck
completeServerForm(const ServerForm& form, const QString& tag, const Stores& stores, const QString& resolved)
{
    using Field = ServerFormCheck::Field;
    if (resolved.isEmpty())
        return refuse(QCoreApplication::translate("ServerForm", "Unable to resolve '") + form.host.trimmed()
                          + QLatin1Char('\''),
                      Field::None);
    QString port = form.port.trimmed();
    QString queryPort = form.queryPort.trimmed();
    if (queryPort.isEmpty())
        queryPort = QStringLiteral("0");
    // The port is stored as the number it is ("2e4" would never reach a server).
    port = port.isEmpty() ? defaultPort(form.game) : QString::number(*portNumber(port));
    const QString address = joinAddress(resolved, port);
    if (tag != address) {
        const bool listed = std::any_of(stores.servers.rows.begin(),
                                        stores.servers.rows.end(),
                                        [&](const ServerRecord& record) { return record.addressText() == address; });
        if (listed)
            return refuse(QCoreApplication::translate("ServerForm", "This server is already in the list!"),
                          Field::None);
    }

    ServerFormCheck check;
    check.ok = true;
    check.address = address;
    ServerRecord& record = check.record;
    record.queryPort = *portNumber(queryPort);
    record.memo = form.memo;
    record.noAlertMail = form.noAlertMail;
    record.address = address;
    record.game = form.game;
    record.tray = form.tray;
    record.iconFriend = form.icons.friendColour;
    record.iconOff = form.icons.off;
    record.iconNorm = form.icons.normal;
    record.iconBack = form.icons.back;
    record.manualRefresh = form.manualRefresh;
    // The rules an imported server keeps too; the memo is the one field the user can overfill.
    if (const auto problem = checkServerRecord(record)) {
        if (problem->field == QLatin1String("Option2"))
            return refuse(QCoreApplication::translate("ServerForm", "The memo is too long: 255 characters at most!"),
                          Field::Memo);
        return refuse(
            QCoreApplication::translate("ServerForm", "The server cannot be stored: %1.").arg(problem->message),
            Field::None);
    }
    if (characterCount(form.customText) > CustomMessageSize)
        return refuse(
            QCoreApplication::translate("ServerForm", "The custom message is too long: %1 characters at most!")
                .arg(CustomMessageSize),
            Field::None);
    return check;
}

HostLookup::~HostLookup()
{
    abort();
}

void HostLookup::start(const QString& host)
{
    abort();
    m_id = QHostInfo::lookupHost(host, this, [this, host](const QHostInfo& info) {
        m_id = -1;
        emit finished(host, preferredAddress(info.addresses()));
    });
}

void HostLookup::abort()
{
    if (m_id >= 0)
        QHostInfo::abortHostLookup(m_id);
    m_id = -1;
}

QString saveServerForm(Stores& stores, const QString& tag, const ServerFormCheck& check, const QString& customText)
{
    auto servers = stores.servers;
    auto row = servers.rows.end();
    if (!tag.isEmpty()) {
        row = std::find_if(servers.rows.begin(), servers.rows.end(), [&](const ServerRecord& record) {
            return record.addressText() == tag;
        });
    }
    if (row == servers.rows.end()) {
        servers.rows.push_back(check.record);
    } else {
        // Fields this version does not know, and the ones the dialog never sets, stay as they were.
        ServerRecord updated = check.record;
        updated.unused = row->unused;
        updated.extra = row->extra;
        *row = updated;
    }
    const auto previous = std::exchange(stores.servers, servers);
    QString error = stores.saveServers();
    if (!error.isEmpty()) {
        stores.servers = previous;
        return error;
    }
    auto messages = stores.custEmail;
    auto message = std::find_if(messages.rows.begin(), messages.rows.end(), [&](const CustomMessage& entry) {
        return entry.server == check.address;
    });
    // An emptied text removes the server's custom text; a new server without one adds no row.
    if (customText.isEmpty()) {
        if (message == messages.rows.end())
            return {};
        messages.rows.erase(message);
    } else if (message == messages.rows.end()) {
        messages.rows.push_back({check.address, customText, {}});
    } else {
        message->message = customText;
    }
    const auto previousMessages = std::exchange(stores.custEmail, messages);
    error = stores.saveCustEmail();
    if (!error.isEmpty())
        stores.custEmail = previousMessages;
    return error;
}

} // namespace trevisk
