#pragma once

#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>

namespace trevisk {

// An HTTP peer on 127.0.0.1 answering by hand: after a whole request it writes the parts given,
// a pause apart, then closes unless told to stay. With no parts it never answers.
class HttpTestServer
{
public:
    QList<QByteArray> parts;
    std::chrono::milliseconds pause{20};
    bool closeAtEnd = true;

    bool listen()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
        return m_server.listen(QHostAddress::LocalHost, 0);
    }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/trevisk/version.txt").arg(m_server.serverPort()));
    }
    // The last connection taken; null before the first.
    QTcpSocket* client() const { return m_client; }
    const QByteArray& request() const { return m_request; }

    // Builds a 200 answer whose body is split at `split`, with or without a length.
    static QList<QByteArray> splitAnswer(const QByteArray& body, qsizetype split, bool withLength)
    {
        const QByteArray head =
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
            + (withLength ? "Content-Length: " + QByteArray::number(body.size()) : QByteArray("Connection: close"));
        return {head + "\r\n\r\n" + body.left(split), body.mid(split)};
    }

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            m_client = socket;
            m_request.clear();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const bool answering = m_request.contains("\r\n\r\n");
                m_request += socket->readAll();
                if (!answering && m_request.contains("\r\n\r\n"))
                    writePart(socket, 0);
            });
        }
    }
    void writePart(QPointer<QTcpSocket> socket, qsizetype index)
    {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            return;
        if (index >= parts.size() && closeAtEnd && !parts.isEmpty())
            socket->disconnectFromHost();
        if (index >= parts.size())
            return;
        socket->write(parts.at(index));
        socket->flush();
        QTimer::singleShot(pause, socket, [this, socket, index] { writePart(socket, index + 1); });
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_request;
};

} // namespace trevisk
