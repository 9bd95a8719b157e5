#include "update/UpdateSettings.h"

#include "core/Settings.h"

#include <QSettings>

#ifndef TREVISK_VERSION_URL
#define TREVISK_VERSION_URL ""
#endif
#ifndef TREVISK_DOWNLOAD_URL
#define TREVISK_DOWNLOAD_URL ""
#endif

namespace trevisk {

namespace {
const QString Section = QStringLiteral("Settings");
} // namespace

QString defaultVersionUrl()
{
    return QStringLiteral(TREVISK_VERSION_URL);
}

QString defaultDownloadUrl()
{
    return QStringLiteral(TREVISK_DOWNLOAD_URL);
}

QUrl versionUrl(QSettings& store)
{
    const QString text = readText(store, Section, QStringLiteral("VersionURL"), defaultVersionUrl()).trimmed();
    return text.isEmpty() ? QUrl() : QUrl(text);
}

QString downloadUrl(QSettings& store)
{
    return readText(store, Section, QStringLiteral("DownloadURL"), defaultDownloadUrl()).trimmed();
}

} // namespace trevisk
