#include "app/Commands.h"
#include "core/Settings.h"
#include "session/Autostart.h"
#include "session/Startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace trevisk {

// Where this copy keeps and finds its files: the lists, the settings, the sounds and the autostart entry.
int runPathsCommand(const CommonOptions& options, const QStringList& arguments)
{
    if (!arguments.isEmpty()) {
        printLine(QStringLiteral("Usage: trevisk paths [--config FILE] [--data-dir DIR]"), stderr);
        return 2;
    }
    const auto store = openSettings(options.configFile);
    const AppSettings settings = AppSettings::load(*store, options.programDir);
    const Autostart autostart;
    printLine(QStringLiteral("Program:   %1").arg(QCoreApplication::applicationFilePath()));
    printLine(QStringLiteral("Lists:     %1").arg(resolveDataDir(options.dataDir, options.programDir)));
    printLine(QStringLiteral("Settings:  %1").arg(store->fileName()));
    for (int i = 0; i < SoundSlotCount; ++i) {
        const QString& path = settings.soundPath.at(static_cast<size_t>(i));
        printLine(QStringLiteral("Sound %1:   %2%3")
                      .arg(i)
                      .arg(path, QFileInfo(path).isFile() ? QString() : QStringLiteral(" (missing)")));
    }
    printLine(QStringLiteral("Autostart: %1 (%2)")
                  .arg(autostart.path(), autostart.enabled() ? QStringLiteral("on") : QStringLiteral("off")));
    return 0;
}

} // namespace trevisk
