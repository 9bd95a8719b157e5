#include "app/Commands.h"
#include "core/Settings.h"
#include "core/Translations.h"
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
        printLine(QCoreApplication::translate("PathsCommand", "Usage: trevisk paths [--config FILE] [--data-dir DIR]"),
                  stderr);
        return 2;
    }
    const auto store = openSettings(options.configFile);
    const AppSettings settings = AppSettings::load(*store, options.programDir);
    const Autostart autostart;
    printLine(
        QCoreApplication::translate("PathsCommand", "Program:   %1").arg(QCoreApplication::applicationFilePath()));
    printLine(QCoreApplication::translate("PathsCommand", "Lists:     %1")
                  .arg(resolveDataDir(options.dataDir, options.programDir)));
    printLine(QCoreApplication::translate("PathsCommand", "Settings:  %1").arg(store->fileName()));
    for (int i = 0; i < SoundSlotCount; ++i) {
        const QString& path = settings.soundPath.at(static_cast<size_t>(i));
        printLine(
            QCoreApplication::translate("PathsCommand", "Sound %1:   %2%3")
                .arg(i)
                .arg(path,
                     QFileInfo(path).isFile() ? QString() : QCoreApplication::translate("PathsCommand", " (missing)")));
    }
    printLine(QCoreApplication::translate("PathsCommand", "Autostart: %1 (%2)")
                  .arg(autostart.path(),
                       autostart.enabled() ? QCoreApplication::translate("PathsCommand", "on")
                                           : QCoreApplication::translate("PathsCommand", "off")));
    printLine(QCoreApplication::translate("PathsCommand", "Language:  %1").arg(Translations::describe()));
    return 0;
}

} // namespace trevisk
