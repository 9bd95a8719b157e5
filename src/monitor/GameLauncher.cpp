#include "monitor/MonitorWindows.h"

#include <QProcess>

namespace trevisk {

bool GameLauncher::start(const QString& program, const QStringList& arguments, const QString& folder)
{
    return QProcess::startDetached(program, arguments, folder);
}

} // namespace trevisk
