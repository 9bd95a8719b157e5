#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

#include <functional>

class QLabel;

namespace trevisk {

// Opens an address with the desktop's handler; tests pass one that only records.
using UrlOpener = std::function<bool(const QUrl&)>;

QString upgradeQuestion(const QString& version, const QString& downloadUrl);

// The offer of a newer version: a window of its own that blocks no other and stays until the user
// answers it. "Yes" opens `downloadUrl` (an empty address opens nothing); both answers close it.
class UpgradePrompt : public QDialog
{
    Q_OBJECT
public:
    // Without `open`, the desktop's handler opens the address.
    explicit UpgradePrompt(QString downloadUrl, UrlOpener open = {}, QWidget* parent = nullptr);

    // Shows the offer of `version`.
    void offer(const QString& version);

private:
    void answerYes();

    QString m_downloadUrl;
    UrlOpener m_open;
    QLabel* m_text = nullptr;
};

} // namespace trevisk
