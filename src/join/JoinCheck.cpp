#include "join/JoinCheck.h"

#include "query/ServerQuery.h"

#include <QPointer>
#include <QTimer>

#include <memory>

namespace trevisk {

JoinCheck::JoinCheck(QObject* parent)
    : QObject(parent)
{}

void JoinCheck::start(ServerQuery* query, Done done)
{
    if (!query || query->address().isEmpty()) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(false); });
        return;
    }
    // One connection per check, dropped at the first end of a cycle: an answer or a time-out.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(query, &ServerQuery::serverUpdate, this, [this, query, connection, done = std::move(done)] {
        disconnect(*connection);
        const bool answered = !query->lastRefresh().isNull();
        QTimer::singleShot(0, this, [done, answered] { done(answered); });
    });
    query->sendQuery();
}

} // namespace trevisk
