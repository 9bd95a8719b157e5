#pragma once

#include "query/EngineExchange.h"

#include <utility>
#include <vector>

namespace trevisk {

// The Unreal family's answer comes in parts keyed by query id, gathered for a window from the
// cycle's first request and joined in arrival order; a part that comes twice is taken once.
class UnrealExchange : public EngineExchange
{
public:
    using EngineExchange::EngineExchange;

    void startTry(int retry, Sender& sender) override;
    bool gathers() const override { return true; }
    bool awaiting() const override;
    Outcome receive(const QByteArray& datagram, const Context& context, Sender& sender) override;
    Outcome finish(const Context& context) override;
    void stop() override { m_parts.clear(); }

    // The key a part is kept under ("P" + query id + "P").
    static QByteArray partKey(const QByteArray& datagram);

private:
    std::vector<std::pair<QByteArray, QByteArray>> m_parts; // key, datagram; in arrival order
};

} // namespace trevisk
