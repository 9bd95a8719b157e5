#include "sim/SimMaster.h"

namespace trevisk {

namespace {

const QByteArray Oob("\xff\xff\xff\xff", 4);

QByteArray ipv4Bytes(const ListedAddress& server)
{
    const quint32 address = server.host.toIPv4Address();
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += static_cast<char>((address >> shift) & 0xFF);
    bytes += static_cast<char>(server.port >> 8);
    bytes += static_cast<char>(server.port & 0xFF);
    return bytes;
}

// [::1] on a low port, where nothing listens: the finder's queries of it stay on the machine.
QByteArray ipv6Bytes(quint16 port)
{
    QByteArray bytes(15, '\0');
    bytes += '\1';
    bytes += static_cast<char>(port >> 8);
    bytes += static_cast<char>(port & 0xFF);
    return bytes;
}

} // namespace

SimMaster::SimMaster(Options options, std::vector<ListedAddress> servers)
    : m_options(options)
{
    for (ListedAddress& server : servers) {
        if (m_options.duplicates)
            m_servers.push_back(server);
        m_servers.push_back(std::move(server));
    }
    for (int i = 0; i < m_options.extra; ++i)
        m_servers.push_back({QHostAddress(0x7FFF0000u + static_cast<quint32>(i / 60000)), quint16(1024 + i % 60000)});
    if (m_options.fault == Fault::ZeroEntries) {
        m_servers.insert(m_servers.begin(), {QHostAddress(QHostAddress::AnyIPv4), 27960});
        m_servers.push_back({QHostAddress(QStringLiteral("127.0.0.9")), 0});
    }
}

std::optional<SimMaster::Fault> SimMaster::faultNamed(const QString& name)
{
    static const std::pair<const char*, Fault> names[] = {{"none", Fault::None},
                                                          {"truncated", Fault::Truncated},
                                                          {"wrong-header", Fault::WrongHeader},
                                                          {"zero", Fault::ZeroEntries},
                                                          {"no-end", Fault::NoEnd},
                                                          {"loop", Fault::LoopPages},
                                                          {"garbage", Fault::Garbage}};
    for (const auto& [text, fault] : names) {
        if (name == QLatin1String(text))
            return fault;
    }
    return std::nullopt;
}

std::optional<MasterKind> SimMaster::kindNamed(const QString& name)
{
    if (name == QLatin1String("Q3"))
        return MasterKind::Quake3;
    if (name == QLatin1String("QW"))
        return MasterKind::QuakeWorld;
    if (name == QLatin1String("Q2"))
        return MasterKind::Quake2;
    if (name == QLatin1String("HL"))
        return MasterKind::Source;
    return std::nullopt;
}

QList<QByteArray> SimMaster::respond(const QByteArray& request) const
{
    switch (m_options.kind) {
    case MasterKind::Quake3:
        if (request.startsWith(Oob + "getserversExt "))
            return quake3(true);
        if (request.startsWith(Oob + "getservers "))
            return quake3(false);
        break;
    case MasterKind::QuakeWorld:
        if (request == "c\n")
            return plain(Oob + "d\n");
        break;
    case MasterKind::Quake2:
        if (request == QByteArray("query\n\0", 7) || request == "query\n" || request == "query")
            return plain(Oob + "servers ");
        break;
    case MasterKind::Source: {
        // '1', the region, the seed and the filter, each text ended by a zero.
        if (request.size() < 4 || request[0] != '1' || !request.endsWith('\0'))
            break;
        const qsizetype end = request.indexOf('\0', 2);
        if (end < 0)
            break;
        return sourcePage(QString::fromLatin1(request.mid(2, end - 2)));
    }
    case MasterKind::None:
        break;
    }
    return {};
}

QList<QByteArray> SimMaster::quake3(bool extended) const
{
    const QByteArray header =
        m_options.fault == Fault::WrongHeader
            ? Oob + "getserversResponsX"
            : Oob + (extended ? QByteArrayLiteral("getserversExtResponse") : QByteArrayLiteral("getserversResponse"));
    const QByteArray end("\\EOT\0\0\0", 7);
    std::vector<QByteArray> entries;
    for (const ListedAddress& server : m_servers)
        entries.push_back('\\' + ipv4Bytes(server));
    if (extended) {
        for (int i = 0; i < m_options.ipv6; ++i)
            entries.push_back('/' + ipv6Bytes(static_cast<quint16>(i + 1)));
    }
    // A real master fills a datagram to about 1400 bytes: some 200 entries.
    const size_t each = static_cast<size_t>(perDatagram(200));
    QList<QByteArray> datagrams;
    for (size_t first = 0; first < entries.size() || datagrams.isEmpty(); first += each) {
        QByteArray datagram = header;
        for (size_t i = first; i < std::min(entries.size(), first + each); ++i)
            datagram += entries[i];
        if (m_options.fault == Fault::Truncated && datagram.size() > header.size())
            datagram.chop(2);
        const bool last = first + each >= entries.size();
        if ((last || m_options.endEach) && m_options.fault != Fault::NoEnd)
            datagram += end;
        if (last && m_options.fault == Fault::Garbage)
            datagram += "\\junk";
        datagrams += datagram;
    }
    return datagrams;
}

QList<QByteArray> SimMaster::plain(const QByteArray& header) const
{
    // QuakeWorld and Quake 2 masters send their whole list in one datagram unless told otherwise.
    const size_t each = static_cast<size_t>(perDatagram(static_cast<int>(std::max<size_t>(m_servers.size(), 1))));
    QList<QByteArray> datagrams;
    for (size_t first = 0; first < m_servers.size() || datagrams.isEmpty(); first += each) {
        QByteArray datagram = m_options.fault == Fault::WrongHeader ? Oob + "x\n" : header;
        for (size_t i = first; i < std::min(m_servers.size(), first + each); ++i)
            datagram += ipv4Bytes(m_servers[i]);
        if (m_options.fault == Fault::Truncated && datagram.size() > header.size())
            datagram.chop(2);
        datagrams += datagram;
    }
    return datagrams;
}

QList<QByteArray> SimMaster::sourcePage(const QString& seed) const
{
    // Valve's masters send 231 entries a page.
    const size_t each = static_cast<size_t>(perDatagram(231));
    size_t first = 0;
    if (seed != QLatin1String("0.0.0.0:0")) {
        const auto it = std::find_if(
            m_servers.begin(), m_servers.end(), [&](const ListedAddress& server) { return server.text() == seed; });
        if (it == m_servers.end())
            return {};
        first = static_cast<size_t>(it - m_servers.begin()) + 1;
    }
    QByteArray page = m_options.fault == Fault::WrongHeader ? Oob + "x\n" : Oob + "f\n";
    const size_t end = std::min(m_servers.size(), first + each);
    for (size_t i = first; i < end; ++i)
        page += ipv4Bytes(m_servers[i]);
    if (m_options.fault == Fault::LoopPages && first > 0 && each <= m_servers.size())
        page += ipv4Bytes(m_servers[each - 1]);
    else if (end == m_servers.size() && m_options.fault != Fault::NoEnd)
        page += QByteArray(6, '\0');
    if (m_options.fault == Fault::Truncated)
        page.chop(2);
    return {page};
}

} // namespace trevisk
