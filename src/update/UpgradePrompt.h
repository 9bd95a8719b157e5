#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace trevisk {

class Prompter;

// Opens an address with the desktop's handler; tests pass one that only records.
using UrlOpener = std::function<bool(const QUrl&)>;

QString upgradeQuestion(const QString& version, const QString& downloadUrl);

// Offers the newer `version` and opens `downloadUrl` when the user says yes (an empty address
// opens nothing). True when the user said yes.
bool offerUpgrade(Prompter& prompter, const QString& version, const QString& downloadUrl);
bool offerUpgrade(Prompter& prompter, const QString& version, const QString& downloadUrl, const UrlOpener& open);

} // namespace trevisk
