#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace trevisk {

// The master-server protocols of the engines whose masters still answer. Pure: request bytes
// out, datagrams in, addresses and errors out; no sockets, no timers.
enum class MasterKind
{
    None,
    Quake3,     // getservers / getserversExt, default port 27950
    QuakeWorld, // "c\n", port 27000
    Quake2,     // "query\n\0", port 27900
    Source      // Half-Life and Source: paged, port 27011
};

// The kind of master the servers of a catalogue game announce themselves to; None when there is none.
MasterKind masterKindForGame(const QString& game);
quint16 masterDefaultPort(MasterKind kind);
QString masterKindName(MasterKind kind);

// One server as a master lists it.
struct ListedAddress
{
    QHostAddress host;
    quint16 port = 0;

    bool operator==(const ListedAddress& other) const { return port == other.port && host == other.host; }
    bool isIPv6() const { return host.protocol() == QAbstractSocket::IPv6Protocol; }
    // "1.2.3.4:27960", or "[2001:db8::1]:27960".
    QString text() const;
};

// What is asked of the masters; the filters a master understands are passed on to it.
struct MasterAsk
{
    MasterKind kind = MasterKind::None;
    int protocol = 0; // Quake 3 family: the network protocol the servers report
    QString gameName; // Quake 3 family: the name for getserversExt; empty asks with getservers
    bool notEmpty = false;
    bool notFull = false;
};

// The first request of a search (for Source masters: the first page).
QByteArray masterRequest(const MasterAsk& ask);
// The request of the Source page after `seed` ("0.0.0.0:0" for the first).
QByteArray sourcePageRequest(const MasterAsk& ask, const QString& seed);

// One datagram of a master's reply, read.
struct MasterReply
{
    bool recognised = false;            // it carries the header this kind of master sends
    std::vector<ListedAddress> servers; // in order; address 0 and port 0 left out
    int dropped = 0;                    // entries left out for address 0 or port 0
    bool endMark = false;               // Quake 3: "\EOT\0\0\0"; Source: the last entry is 0.0.0.0:0
    std::optional<ListedAddress> last;  // Source: the page's last entry as sent, the next page's seed
    QString error;                      // what was wrong: then no server of the datagram is taken
};

MasterReply readMasterReply(MasterKind kind, const QByteArray& datagram);

// The servers of one search, in the order first listed, each once, up to a bound.
class MasterList
{
public:
    // A master lists a few tens of thousands; far more is no honest list.
    static constexpr size_t MaxServers = 300000;

    explicit MasterList(size_t limit = MaxServers)
        : m_limit(limit)
    {}
    // The servers not listed before, as they were added; stops at the bound.
    std::vector<ListedAddress> add(const std::vector<ListedAddress>& servers);
    const std::vector<ListedAddress>& servers() const { return m_servers; }
    int duplicates() const { return m_duplicates; }
    bool isFull() const { return m_servers.size() >= m_limit; }
    size_t limit() const { return m_limit; }

private:
    size_t m_limit;
    std::vector<ListedAddress> m_servers;
    QSet<QByteArray> m_seen;
    int m_duplicates = 0;
};

// One search at one master, without the socket: what to send, and what the datagrams that came
// back amount to. The caller sends, waits and feeds; this decides.
class MasterConversation
{
public:
    enum class Step
    {
        Ignored,  // the datagram was no good reply; keep waiting
        More,     // taken; more may come and the list is not complete yet
        Settling, // taken and the list may be complete: end once nothing more comes for a short while
        NextPage, // taken; ask for nextRequest() (paced)
        Done      // the list is complete (or cut at the bound); nothing more is wanted
    };

    // Datagrams in a row that list nothing new before a master is taken to repeat itself for ever.
    static constexpr int MaxFruitless = 64;

    explicit MasterConversation(const MasterAsk& ask, size_t limit = MasterList::MaxServers);

    QByteArray firstRequest() const { return m_request; }
    QByteArray nextRequest() const { return m_request; }
    Step take(const QByteArray& datagram);

    const MasterList& list() const { return m_list; }
    // The servers the last taken datagram added.
    const std::vector<ListedAddress>& added() const { return m_added; }
    // A fault that ended the search (a page that loops back) or the last datagram refused.
    QString error() const { return m_error; }
    bool ended() const { return m_ended; }
    bool sawEndMark() const { return m_endMark; }
    int dropped() const { return m_dropped; }
    int refused() const { return m_refused; }

private:
    MasterAsk m_ask;
    MasterList m_list;
    QByteArray m_request;
    std::vector<ListedAddress> m_added;
    QSet<QString> m_seeds;
    QString m_error;
    bool m_ended = false;
    bool m_endMark = false;
    int m_dropped = 0;
    int m_refused = 0;
    int m_fruitless = 0;
};

} // namespace trevisk
