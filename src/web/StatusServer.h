#pragma once

#include "web/StatusPages.h"

#include <QHash>
#include <QHostAddress>
#include <QHttpServer>
#include <QObject>

#include <optional>

namespace trevisk {

class Monitor;

// Where the web status listens. A bare port (or ":port") means loopback: serving the network
// takes an address given on purpose.
struct ListenAddress
{
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 0;
};

// "PORT", ":PORT", "ADDRESS:PORT", "[IPv6]:PORT" or "localhost:PORT"; nothing (and a reason) otherwise.
std::optional<ListenAddress> parseListenAddress(const QString& text, QString* error);
// A bearer token kept in a file (its first line); nothing (and a reason) when there is none to read.
std::optional<QByteArray> readTokenFile(const QString& path, QString* error);

// Serves the monitor's view read-only over HTTP: /metrics for Prometheus, /api/servers as JSON
// and a status page at /. Every other method than GET is refused; with a token, every request
// must carry it as "Authorization: Bearer TOKEN".
class StatusServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int PageRefreshSeconds = 10;

    explicit StatusServer(Monitor& monitor, QObject* parent = nullptr);

    void setToken(const QByteArray& token) { m_token = token; }
    // False (and a reason) when the address cannot be bound.
    bool listen(const ListenAddress& where, QString* error);
    // The port bound (the one chosen, for port 0); 0 before listening.
    quint16 port() const { return m_port; }
    QHostAddress boundAddress() const;

    StatusSnapshot snapshot() const;

private:
    void handle(const QHttpServerRequest& request, QHttpServerResponder&& responder);
    bool authorised(const QHttpServerRequest& request) const;
    void noteAnswers(int first, int last);

    Monitor& m_monitor;
    QHttpServer m_http;
    QByteArray m_token;
    quint16 m_port = 0;
    // The status table forgets an answer's time at a time-out; an alert wants to know it.
    QHash<QString, QDateTime> m_lastAnswer;
};

} // namespace trevisk
