#pragma once

#include <QString>
#include <QUrl>

class QSettings;

namespace trevisk {

// Where the program asks for the latest version and where it sends the user to fetch it. The
// defaults come from the build and are empty unless a release names them: an address nobody
// owns would hand every user's address to whoever registers it.
QString defaultVersionUrl();
QString defaultDownloadUrl();

// "Settings"/"VersionURL"; an empty text gives an empty address, which makes no request.
QUrl versionUrl(QSettings& store);
// "Settings"/"DownloadURL", as the user wrote it.
QString downloadUrl(QSettings& store);

} // namespace trevisk
