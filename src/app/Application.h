#pragma once

#include <QString>
#include <QStringList>

namespace trevisk {

// What every mode and command takes from the command line.
struct CommonOptions
{
    QString dataDir;
    QString configFile;
    QString programDir;
    int statusSeconds = 0;
    QString listen;      // --listen ADDRESS:PORT, headless only
    QString listenToken; // --listen-token FILE
    QString shard;       // --shard K/N, headless only
    QString instance;    // --instance NAME, with --shard
};

// True when a window system can be reached (an X or Wayland display, or a platform chosen explicitly).
bool hasDisplay();

int runApplication(int argc, char** argv);

} // namespace trevisk
