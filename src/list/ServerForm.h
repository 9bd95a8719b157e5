#pragma once

#include "core/Settings.h"
#include "store/Records.h"

#include <QObject>
#include <QString>

#include <functional>

namespace trevisk {

class Stores;

// What the add/edit server dialog holds, as text where the user types it.
struct ServerForm
{
    QString host;
    QString port;
    QString game;
    QString queryPort;
    QString memo;
    int tray = 0; // 0 no, 1 yes, 2 as the AllTray setting says
    int manualRefresh = 0;
    bool noAlertMail = false;
    IconColours icons;
    QString customText;
};

// The outcome of the checks: the record to save, or the message that refused it.
struct ServerFormCheck
{
    enum class Field
    {
        None,
        Game,
        Address,
        Port,
        QueryPort,
        Memo
    };
    bool ok = false;
    QString message;
    QString title; // "Aborted" for the two required fields, else empty
    Field field = Field::None;
    bool portMissing = false; // the caller asks "Port not specified, use default?" before going on
    // After the first checks: the host is a name to look up before the rest can be checked.
    bool needsLookup = false;
    QString host;    // the host as typed, trimmed; or its IP address when it was one
    QString address; // the new address (resolved host, colon, port; an IPv6 host in brackets)
    ServerRecord record;
};

// Turns a host name into its IPv4 address, or its IPv6 address when it has none, or an empty text.
using HostResolver = std::function<QString(const QString& host)>;
QString resolveHostAddress(const QString& host);

// The dialog's checks, in its order. `tag` is the stored address while editing, empty while
// adding; `useDefaultPort` is the user's answer when the port was left empty. The look-up of a
// host name blocks; a window checks in two steps around a look-up of its own instead.
ServerFormCheck checkServerForm(
    const ServerForm& form, const QString& tag, const Stores& stores, const HostResolver& resolve, bool useDefaultPort);

// The checks before the look-up: the required fields and the ports. When they pass, `host`
// holds the host: its IP address, or with `needsLookup` a name to look up first.
ServerFormCheck checkServerFormFields(const ServerForm& form, bool useDefaultPort);
// The checks after the look-up: `resolved` is the host's IP address, empty when it did not resolve.
ServerFormCheck
completeServerForm(const ServerForm& form, const QString& tag, const Stores& stores, const QString& resolved);

// Looks a host name up without blocking, as a window must; the address resolveHostAddress would give.
class HostLookup : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~HostLookup() override;
    void start(const QString& host);
    // Drops the look-up running; its answer is never reported.
    void abort();
    bool isRunning() const { return m_id >= 0; }

signals:
    void finished(const QString& host, const QString& address);

private:
    int m_id = -1;
};

// Saves a checked record: edits the row of `tag` in place (or appends), writes servers.dat,
// then the server's custom alert text into custemail.dat. Returns what failed, or an empty text.
QString saveServerForm(Stores& stores, const QString& tag, const ServerFormCheck& check, const QString& customText);

} // namespace trevisk
