#include "update/UpgradePrompt.h"

#include "core/Prompter.h"

#include <QDesktopServices>

namespace trevisk {

QString upgradeQuestion(const QString& version, const QString& downloadUrl)
{
    return QStringLiteral("An updated version of Trevisk (") + version + QStringLiteral(") is available at\n")
           + downloadUrl + QStringLiteral("\nWould you like to upgrade?");
}

bool offerUpgrade(Prompter& prompter, const QString& version, const QString& downloadUrl)
{
    return offerUpgrade(prompter, version, downloadUrl, [](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

bool offerUpgrade(Prompter& prompter, const QString& version, const QString& downloadUrl, const UrlOpener& open)
{
    const int answer = prompter.choose(QStringLiteral("Trevisk Upgrade"),
                                       upgradeQuestion(version, downloadUrl),
                                       {QStringLiteral("&Yes"), QStringLiteral("&No")});
    if (answer != 0)
        return false;
    // The address is the user's own text, as a browser's address bar would take it.
    const QUrl url = QUrl::fromUserInput(downloadUrl);
    if (!downloadUrl.trimmed().isEmpty() && url.isValid())
        open(url);
    return true;
}

} // namespace trevisk
