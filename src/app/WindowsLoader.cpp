#include "app/WindowsLoader.h"

#include "app/PrintLine.h"
#include "app/WindowsModule.h"
#include "core/Translations.h"
#include "core/Version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace trevisk {

namespace {

// The program's own folder, before any application object exists.
QString programFolder(const char* argv0)
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!self.isEmpty())
        return QFileInfo(self).absolutePath();
    return QFileInfo(QFile::decodeName(argv0)).absolutePath();
}

} // namespace

QStringList windowsModuleCandidates(const QString& programDir)
{
    const QString file = QString::fromLatin1(WindowsModuleFile);
    return {QDir(programDir).filePath(file),
            QDir::cleanPath(programDir + QLatin1Char('/') + QStringLiteral(TREVISK_WINDOWS_MODULE_DIR)
                            + QLatin1Char('/') + file)};
}

int runWithWindows(int argc, char** argv, const CommonOptions& options, bool demo)
{
    QStringList tried;
    TreviskWindowsMain entry = nullptr;
    for (const QString& path : windowsModuleCandidates(programFolder(argv[0]))) {
        if (!QFileInfo::exists(path)) {
            tried
                << Translations::text("WindowsLoader", QT_TRANSLATE_NOOP("WindowsLoader", "  %1: not found")).arg(path);
            continue;
        }
        // The first module found is the one meant: a broken one is reported, not passed over.
        void* module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (module)
            entry = reinterpret_cast<TreviskWindowsMain>(::dlsym(module, WindowsEntryName));
        if (!entry) {
            const char* why = ::dlerror();
            tried << QStringLiteral("  %1: %2")
                         .arg(
                             path,
                             why ? QString::fromLocal8Bit(why)
                                 : Translations::text("WindowsLoader", QT_TRANSLATE_NOOP("WindowsLoader", "no entry")));
        }
        break;
    }
    if (!entry) {
        printLine(Translations::text(
                      "WindowsLoader",
                      QT_TRANSLATE_NOOP("WindowsLoader",
                                        "Trevisk cannot show its windows: the window module did not load.\n%1\n"
                                        "Run without windows with --headless."))
                      .arg(tried.join(QLatin1Char('\n'))),
                  stderr);
        return 1;
    }

    const QByteArray dataDir = options.dataDir.toUtf8();
    const QByteArray configFile = options.configFile.toUtf8();
    TreviskWindowsOptions given{};
    given.layout = TREVISK_WINDOWS_LAYOUT;
    given.version = VersionText;
    given.argc = argc;
    given.argv = argv;
    given.dataDir = dataDir.constData();
    given.configFile = configFile.constData();
    given.statusSeconds = options.statusSeconds;
    given.demo = demo ? 1 : 0;
    return entry(&given);
}

} // namespace trevisk
