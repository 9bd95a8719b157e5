#pragma once

#include "find/MasterProtocol.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace trevisk {

// A master server without its socket: answers a list request with the servers it was given,
// as the masters of each engine do, or with one of the faults a client must survive.
class SimMaster
{
public:
    enum class Fault
    {
        None,
        Truncated,   // the last entry of each datagram is cut short
        WrongHeader, // every reply starts with a header of another kind
        ZeroEntries, // 0.0.0.0 and port-0 entries among the servers
        NoEnd,       // Quake 3: no end mark; Source: the last page never ends with 0.0.0.0:0
        LoopPages,   // Source: the second page's last entry is the first page's, so pages loop
        Garbage      // Quake 3: bytes after the end mark
    };

    struct Options
    {
        MasterKind kind = MasterKind::Quake3;
        int perDatagram = 0;     // entries a datagram (a page for Source); 0: the kind's usual
        bool duplicates = false; // every server listed twice
        bool endEach = false;    // Quake 3: the end mark after every datagram, as older masters do
        int ipv6 = 0;            // Quake 3 extended requests: this many IPv6 entries too
        int extra = 0;           // this many more entries, on 127.255.x.y where nothing answers
        Fault fault = Fault::None;
    };

    SimMaster(Options options, std::vector<ListedAddress> servers);

    // The datagrams that answer `request`; none for anything that is no request of this kind.
    QList<QByteArray> respond(const QByteArray& request) const;

    const std::vector<ListedAddress>& servers() const { return m_servers; }
    static std::optional<Fault> faultNamed(const QString& name);
    static std::optional<MasterKind> kindNamed(const QString& name);

private:
    QList<QByteArray> quake3(bool extended) const;
    QList<QByteArray> plain(const QByteArray& header) const;
    QList<QByteArray> sourcePage(const QString& seed) const;
    int perDatagram(int usual) const { return m_options.perDatagram > 0 ? m_options.perDatagram : usual; }

    Options m_options;
    std::vector<ListedAddress> m_servers; // IPv4, in the order listed
};

} // namespace trevisk
