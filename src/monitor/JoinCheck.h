#pragma once

#include <QObject>

#include <functional>

namespace trevisk {

class ServerQuery;

// Queries a server once more right before a join, so that a slot seen in an answer a while ago is
// not taken for granted. The verdict is handed over from the event loop, never from inside the
// query's own signal, so that a question it leads to does not run within the monitor's handler.
class JoinCheck : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(bool answered)>;

    explicit JoinCheck(QObject* parent = nullptr);

    // Sends a fresh query; `done` learns whether the server answered it (its counts are then in the
    // status row). Without a query object the server counts as not answering.
    void start(ServerQuery* query, Done done);
};

} // namespace trevisk
