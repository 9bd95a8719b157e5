#pragma once

#include "web/StatusPages.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <chrono>
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
// A file other users may read is still used, with a warning of how to close it.
std::optional<QByteArray> readTokenFile(const QString& path, QString* error, QString* warning = nullptr);
// A warning when the status is served beyond this machine to anyone who asks; empty otherwise.
QString exposureWarning(const QHostAddress& bound, bool hasToken);

// Well below the open-file limit: the game sockets and the saves need theirs.
int defaultConnectionCap();

// What a client of the web status may send and how long it may take; tests shorten the times.
struct StatusServerLimits
{
    qsizetype headBytes = qsizetype{16} * 1024; // the request line and headers together
    int headerCount = 100;
    // From a connection or the first byte of a request to the blank line that ends its headers.
    std::chrono::milliseconds headTime = std::chrono::seconds(10);
    // Between the requests of a connection kept open.
    std::chrono::milliseconds idleTime = std::chrono::seconds(30);
    // Reading and dropping what a client still sends after its answer, so that it reads the answer.
    std::chrono::milliseconds lingerTime = std::chrono::seconds(2);
    // After the system had no descriptor to accept a connection with.
    std::chrono::milliseconds acceptRetryTime = std::chrono::seconds(1);
    int connections = defaultConnectionCap();
};

// Serves the monitor's view read-only over HTTP: /metrics for Prometheus, /api/servers as JSON
// and a status page at /. Every other method than GET is refused; with a token, every request
// must carry it as "Authorization: Bearer TOKEN".
// The requests are read here, within limits of size and time: a client gets no more of the
// program's memory, descriptors or time than a small request takes.
class StatusServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int PageRefreshSeconds = 10;

    explicit StatusServer(Monitor& monitor, QObject* parent = nullptr);

    void setToken(const QByteArray& token) { m_token = token; }
    void setLimits(const StatusServerLimits& limits) { m_limits = limits; }
    // Labels every metrics series carries, such as a fleet member's shard and instance.
    void setLabels(std::vector<std::pair<QString, QString>> labels) { m_labels = std::move(labels); }
    // False (and a reason) when the address cannot be bound.
    bool listen(const ListenAddress& where, QString* error);
    // The port bound (the one chosen, for port 0); 0 before listening.
    quint16 port() const { return m_port; }
    QHostAddress boundAddress() const;
    int openConnections() const { return m_open; }

    StatusSnapshot snapshot() const;

private:
    class Connection;
    struct Request;

    void acceptWaiting();
    void readFrom(Connection& connection);
    void answer(Connection& connection, const QByteArray& head);
    void route(Connection& connection, const Request& request);
    void refuse(Connection& connection, int status, const QByteArray& why);
    void send(Connection& connection,
              int status,
              const QByteArray& contentType,
              const QByteArray& body,
              const QList<std::pair<QByteArray, QByteArray>>& extraHeaders,
              bool withBody);
    void close(Connection& connection);
    void deadlinePassed(Connection& connection);
    void drop(Connection& connection);
    bool authorised(const Request& request) const;

    Monitor& m_monitor;
    QTcpServer m_listener;
    QTimer m_acceptRetry;
    StatusServerLimits m_limits;
    int m_open = 0;
    QByteArray m_token;
    quint16 m_port = 0;
    std::vector<std::pair<QString, QString>> m_labels;
    // The status table forgets an answer's time at a time-out; an alert wants to know it.
};

} // namespace trevisk
