#include "find/MasterProtocol.h"

#include "core/Catalogue.h"

#include <QCoreApplication>

namespace trevisk {

namespace {

const QByteArray Oob("\xff\xff\xff\xff", 4);
const QByteArray Quake3Header = Oob + "getserversResponse";
const QByteArray Quake3ExtHeader = Oob + "getserversExtResponse";
const QByteArray QuakeWorldHeader = Oob + "d\n";
const QByteArray Quake2Header = Oob + "servers ";
const QByteArray SourceHeader = Oob + "f\n";
const QByteArray EndOfTransmission("EOT\0\0\0", 6);

constexpr int IPv4Entry = 6;
constexpr int IPv6Entry = 18;

quint16 portAt(const QByteArray& bytes, qsizetype at)
{
    return static_cast<quint16>((static_cast<quint8>(bytes[at]) << 8) | static_cast<quint8>(bytes[at + 1]));
}

ListedAddress ipv4At(const QByteArray& bytes, qsizetype at)
{
    quint32 address = 0;
    for (int i = 0; i < 4; ++i)
        address = (address << 8) | static_cast<quint8>(bytes[at + i]);
    return {QHostAddress(address), portAt(bytes, at + 4)};
}

ListedAddress ipv6At(const QByteArray& bytes, qsizetype at)
{
    Q_IPV6ADDR address;
    for (int i = 0; i < 16; ++i)
        address[i] = static_cast<quint8>(bytes[at + i]);
    return {QHostAddress(address), portAt(bytes, at + 16)};
}

bool isUnset(const ListedAddress& entry)
{
    return entry.port == 0 || entry.host.isEqual(QHostAddress::AnyIPv4) || entry.host.isEqual(QHostAddress::AnyIPv6);
}

void keep(MasterReply& reply, const ListedAddress& entry)
{
    if (isUnset(entry))
        ++reply.dropped;
    else
        reply.servers.push_back(entry);
}

MasterReply refuse(MasterReply reply, const QString& error)
{
    reply.servers.clear();
    reply.dropped = 0;
    reply.endMark = false;
    reply.last.reset();
    reply.error = error;
    return reply;
}

// "\" and 6 bytes per IPv4 server, "/" and 18 per IPv6 one (extended replies only), "\EOT\0\0\0" at the end.
MasterReply readQuake3(const QByteArray& datagram, qsizetype start, bool extended)
{
    MasterReply reply;
    reply.recognised = true;
    qsizetype at = start;
    while (at < datagram.size()) {
        if (reply.endMark)
            return refuse(reply, QCoreApplication::translate("MasterProtocol", "bytes after the end mark"));
        const char mark = datagram[at];
        if (mark == '\\' && datagram.mid(at + 1, EndOfTransmission.size()) == EndOfTransmission) {
            reply.endMark = true;
            at += 1 + EndOfTransmission.size();
            continue;
        }
        const int size = mark == '\\' ? IPv4Entry : (mark == '/' && extended ? IPv6Entry : 0);
        if (size == 0)
            return refuse(reply,
                          QCoreApplication::translate("MasterProtocol", "unexpected byte %1 at offset %2")
                              .arg(quint8(mark))
                              .arg(at));
        if (datagram.size() - at - 1 < size)
            return refuse(reply, QCoreApplication::translate("MasterProtocol", "truncated entry at offset %1").arg(at));
        keep(reply, size == IPv4Entry ? ipv4At(datagram, at + 1) : ipv6At(datagram, at + 1));
        at += 1 + size;
    }
    return reply;
}

// Six bytes a server, no separators.
MasterReply readPlain(const QByteArray& datagram, qsizetype start, bool paged)
{
    MasterReply reply;
    reply.recognised = true;
    const qsizetype body = datagram.size() - start;
    if (body % IPv4Entry != 0)
        return refuse(reply,
                      QCoreApplication::translate("MasterProtocol", "a list of %1 bytes is no whole number of entries")
                          .arg(body));
    for (qsizetype at = start; at < datagram.size(); at += IPv4Entry) {
        const ListedAddress entry = ipv4At(datagram, at);
        if (paged && at + IPv4Entry == datagram.size()) {
            reply.last = entry;
            if (isUnset(entry)) {
                reply.endMark = true;
                break;
            }
        }
        keep(reply, entry);
    }
    // A page with nothing on it has nothing after it either.
    if (paged && body == 0)
        reply.endMark = true;
    return reply;
}

QByteArray addressKey(const ListedAddress& entry)
{
    const Q_IPV6ADDR address = entry.host.toIPv6Address();
    QByteArray key(reinterpret_cast<const char*>(address.c), 16);
    key.append(static_cast<char>(entry.port >> 8)).append(static_cast<char>(entry.port & 0xFF));
    return key;
}

} // namespace

MasterKind masterKindForGame(const QString& game)
{
    const QString engine = getEngine(game);
    if (engine == QLatin1String("Q3"))
        return MasterKind::Quake3;
    if (engine == QLatin1String("QW"))
        return MasterKind::QuakeWorld;
    if (engine == QLatin1String("Q2"))
        return MasterKind::Quake2;
    if (engine == QLatin1String("HL"))
        return MasterKind::Source;
    return MasterKind::None;
}

quint16 masterDefaultPort(MasterKind kind)
{
    switch (kind) {
    case MasterKind::Quake3:
        return 27950;
    case MasterKind::QuakeWorld:
        return 27000;
    case MasterKind::Quake2:
        return 27900;
    case MasterKind::Source:
        return 27011;
    case MasterKind::None:
        break;
    }
    return 0;
}

QString masterKindName(MasterKind kind)
{
    switch (kind) {
    case MasterKind::Quake3:
        return QStringLiteral("Quake 3");
    case MasterKind::QuakeWorld:
        return QStringLiteral("QuakeWorld");
    case MasterKind::Quake2:
        return QStringLiteral("Quake 2");
    case MasterKind::Source:
        return QStringLiteral("Half-Life/Source");
    case MasterKind::None:
        break;
    }
    return QString();
}

QString ListedAddress::text() const
{
    const QString port = QString::number(this->port);
    return isIPv6() ? QLatin1Char('[') + host.toString() + QStringLiteral("]:") + port
                    : host.toString() + QLatin1Char(':') + port;
}

QByteArray masterRequest(const MasterAsk& ask)
{
    switch (ask.kind) {
    case MasterKind::Quake3: {
        QByteArray request = Oob;
        if (ask.gameName.isEmpty())
            request += "getservers " + QByteArray::number(ask.protocol);
        else
            request += "getserversExt " + ask.gameName.toLatin1() + ' ' + QByteArray::number(ask.protocol);
        // Without these words the master leaves empty and full servers out.
        if (!ask.notEmpty)
            request += " empty";
        if (!ask.notFull)
            request += " full";
        return request;
    }
    case MasterKind::QuakeWorld:
        return QByteArrayLiteral("c\n");
    case MasterKind::Quake2:
        return QByteArray("query\n\0", 7);
    case MasterKind::Source:
        return sourcePageRequest(ask, QStringLiteral("0.0.0.0:0"));
    case MasterKind::None:
        break;
    }
    return {};
}

QByteArray sourcePageRequest(const MasterAsk& ask, const QString& seed)
{
    QByteArray filter;
    if (ask.notEmpty)
        filter += "\\empty\\1";
    if (ask.notFull)
        filter += "\\full\\1";
    // '1', the whole world, the seed and the filter, each text with its zero.
    QByteArray request("1\xff", 2);
    request += seed.toLatin1();
    request += '\0';
    request += filter;
    request += '\0';
    return request;
}

MasterReply readMasterReply(MasterKind kind, const QByteArray& datagram)
{
    switch (kind) {
    case MasterKind::Quake3:
        if (datagram.startsWith(Quake3ExtHeader))
            return readQuake3(datagram, Quake3ExtHeader.size(), true);
        if (datagram.startsWith(Quake3Header))
            return readQuake3(datagram, Quake3Header.size(), false);
        break;
    case MasterKind::QuakeWorld:
        if (datagram.startsWith(QuakeWorldHeader))
            return readPlain(datagram, QuakeWorldHeader.size(), false);
        break;
    case MasterKind::Quake2:
        if (datagram.startsWith(Quake2Header))
            return readPlain(datagram, Quake2Header.size(), false);
        break;
    case MasterKind::Source:
        if (datagram.startsWith(SourceHeader))
            return readPlain(datagram, SourceHeader.size(), true);
        break;
    case MasterKind::None:
        break;
    }
    MasterReply reply;
    reply.error = QCoreApplication::translate("MasterProtocol", "not a master's list");
    return reply;
}

std::vector<ListedAddress> MasterList::add(const std::vector<ListedAddress>& servers)
{
    std::vector<ListedAddress> added;
    for (const ListedAddress& server : servers) {
        if (isFull())
            break;
        const QByteArray key = addressKey(server);
        if (m_seen.contains(key)) {
            ++m_duplicates;
            continue;
        }
        m_seen.insert(key);
        m_servers.push_back(server);
        added.push_back(server);
    }
    return added;
}

MasterConversation::MasterConversation(const MasterAsk& ask, size_t limit)
    : m_ask(ask)
    , m_list(limit)
    , m_request(masterRequest(ask))
{
    if (ask.kind == MasterKind::Source)
        m_seeds.insert(QStringLiteral("0.0.0.0:0"));
}

MasterConversation::Step MasterConversation::take(const QByteArray& datagram)
{
    m_added.clear();
    if (m_ended)
        return Step::Ignored;
    const MasterReply reply = readMasterReply(m_ask.kind, datagram);
    if (!reply.error.isEmpty()) {
        ++m_refused;
        m_error = reply.error;
        return Step::Ignored;
    }
    m_dropped += reply.dropped;
    m_added = m_list.add(reply.servers);
    if (m_list.isFull()) {
        m_error = QCoreApplication::translate("MasterProtocol", "the list was cut at %1 servers").arg(m_list.limit());
        m_ended = true;
        return Step::Done;
    }
    m_fruitless = m_added.empty() ? m_fruitless + 1 : 0;
    if (m_fruitless > MaxFruitless) {
        m_error = QCoreApplication::translate("MasterProtocol", "the master repeats itself");
        m_ended = true;
        return Step::Done;
    }
    switch (m_ask.kind) {
    case MasterKind::Quake3:
        // Older masters end every datagram with the mark: only silence after it ends the list.
        m_endMark = m_endMark || reply.endMark;
        return m_endMark ? Step::Settling : Step::More;
    case MasterKind::QuakeWorld:
    case MasterKind::Quake2:
        return Step::Settling;
    case MasterKind::Source: {
        if (reply.endMark) {
            m_endMark = true;
            m_ended = true;
            return Step::Done;
        }
        const QString seed = reply.last->text();
        if (m_seeds.contains(seed)) {
            m_error = QCoreApplication::translate("MasterProtocol", "the pages loop back to %1").arg(seed);
            m_ended = true;
            return Step::Done;
        }
        m_seeds.insert(seed);
        m_request = sourcePageRequest(m_ask, seed);
        return Step::NextPage;
    }
    case MasterKind::None:
        break;
    }
    return Step::Ignored;
}

} // namespace trevisk
