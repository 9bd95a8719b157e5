#pragma once

#include "web/Shard.h"
#include "web/StatusServer.h"

#include <QString>

#include <optional>

class QCoreApplication;

namespace trevisk {

struct AppContext;

struct MonitorRunOptions
{
    bool withWindows = false;
    int statusSeconds = 0; // print the status table this often; 0: only on SIGUSR1
    QString banner;        // printed once the list is loaded
    // Serves the web status there (headless only); with a token, only to requests that carry it.
    std::optional<ListenAddress> listen;
    QByteArray listenToken;
    // A member of a fleet: watches only its shard of the list, and every metrics series carries
    // "shard" and "instance" labels.
    std::optional<Shard> shard;
    QString instance;
};

// Runs the monitor until SIGINT or SIGTERM: every logged notification also goes to standard
// output, reports about servers' answers to standard error, alert mail as configured.
int runMonitorLoop(QCoreApplication& app, AppContext& context, const MonitorRunOptions& options);

} // namespace trevisk
