#include "find/MasterQuery.h"

#include <QHostInfo>
#include <QNetworkDatagram>

namespace trevisk {

MasterQuery::MasterQuery(const MasterAddress& master, const MasterAsk& ask, const Timing& timing, QObject* parent)
    : QObject(parent)
    , m_master(master)
    , m_conversation(ask)
    , m_timing(timing)
{
    m_wait.setSingleShot(true);
    m_page.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, &MasterQuery::timedOut);
    connect(&m_page, &QTimer::timeout, this, &MasterQuery::send);
    connect(&m_socket, &QUdpSocket::readyRead, this, &MasterQuery::readDatagrams);
}

void MasterQuery::start()
{
    const QHostAddress literal(m_master.host);
    if (!literal.isNull()) {
        // Queued, so that a caller connects to every master before the first can end.
        QTimer::singleShot(0, this, [this, literal] { resolved(literal); });
        return;
    }
    m_lookup = QHostInfo::lookupHost(m_master.host, this, [this](const QHostInfo& info) {
        m_lookup = -1;
        const QList<QHostAddress> addresses = info.addresses();
        if (addresses.isEmpty()) {
            finish(tr("cannot resolve %1").arg(m_master.host));
            return;
        }
        // IPv4 first: it is what every master listens on.
        for (const QHostAddress& address : addresses) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                resolved(address);
                return;
            }
        }
        resolved(addresses.front());
    });
}

void MasterQuery::stop()
{
    if (m_lookup >= 0)
        QHostInfo::abortHostLookup(m_lookup);
    m_lookup = -1;
    finish(tr("stopped"));
}

void MasterQuery::resolved(const QHostAddress& address)
{
    if (m_finished)
        return;
    m_address = address;
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    if (!m_socket.bind(v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0)) {
        finish(m_socket.errorString());
        return;
    }
    m_request = m_conversation.firstRequest();
    send();
}

void MasterQuery::send()
{
    if (m_finished)
        return;
    if (m_socket.writeDatagram(m_request, m_address, m_master.port) < 0) {
        finish(m_socket.errorString());
        return;
    }
    m_wait.start(m_timing.wait);
}

void MasterQuery::readDatagrams()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (m_finished || !datagram.isValid())
            continue;
        // Only the master's own datagrams: anyone can send to an open port.
        if (!datagram.senderAddress().isEqual(m_address, QHostAddress::TolerantConversion)
            || datagram.senderPort() != m_master.port)
            continue;
        const auto step = m_conversation.take(datagram.data());
        if (step == MasterConversation::Step::Ignored)
            continue;
        m_answered = true;
        if (!m_conversation.added().empty())
            emit serversListed(m_conversation.added());
        switch (step) {
        case MasterConversation::Step::More:
            m_wait.start(m_timing.wait);
            break;
        case MasterConversation::Step::Settling:
            m_settling = true;
            m_wait.start(m_timing.settle);
            break;
        case MasterConversation::Step::NextPage:
            m_wait.stop();
            m_request = m_conversation.nextRequest();
            m_page.start(m_timing.pageInterval);
            break;
        case MasterConversation::Step::Done:
            finish(m_conversation.error());
            return;
        case MasterConversation::Step::Ignored:
            break;
        }
    }
}

void MasterQuery::timedOut()
{
    if (m_settling) {
        finish(QString());
        return;
    }
    if (!m_answered) {
        const QString refused = m_conversation.error();
        finish(refused.isEmpty() ? tr("no answer") : tr("no list: %1").arg(refused));
        return;
    }
    finish(tr("the list stopped before its end mark: it may be incomplete"));
}

void MasterQuery::finish(const QString& error)
{
    if (m_finished)
        return;
    m_finished = true;
    m_error = error;
    m_wait.stop();
    m_page.stop();
    m_socket.close();
    emit finished();
}

} // namespace trevisk
