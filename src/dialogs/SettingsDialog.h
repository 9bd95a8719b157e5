#pragma once

#include "core/Settings.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSettings;

namespace trevisk {

class ErrorReporter;
class IconColoursBox;
class Prompter;
class SoundPlayer;

// What the settings dialog works with; each part outlives it.
struct SettingsDialogServices
{
    AppSettings& settings; // the running program's settings, changed on "Save"
    QSettings& store;
    Prompter& prompter;
    ErrorReporter& reporter;
    SoundPlayer& sound;
    std::function<void()> changed;                                     // the settings-changed path
    std::function<void(const QString&, quint32, quint32)> testMessage; // a pop-up of its own in these colours
    std::function<void(const QString&)> desktopTest = {}; // the test text to the desktop's notification service
    QString autostartFolder = {};                         // empty: the desktop's own autostart folder
    QStringList startCommand = {};                        // what autostart runs; empty: this program as started
};

// "Settings": every general preference on a working copy; "Save" checks every field before
// it writes any, then the running program takes the new values at once.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr char TestText[] =
        QT_TRANSLATE_NOOP("trevisk::SettingsDialog", "This is a test message of the Notification System");

    explicit SettingsDialog(const SettingsDialogServices& services, QWidget* parent = nullptr);

    // The values on screen, as they would be saved (the refresh interval as typed aside).
    AppSettings edited() const;
    // "Save": true when everything was written; else the error report was shown and the dialog stays.
    bool save();

private:
    void pickColour(quint32& colour);
    void redraw();

    // "Start with the desktop": the entry is written or removed only when the box was changed.
    bool applyAutostart();

    SettingsDialogServices m_services;
    quint32 m_notifyFore;
    quint32 m_notifyBack;
    quint32 m_friendColour;
    QComboBox* m_refresh;
    QCheckBox* m_startInTray;
    QCheckBox* m_encrypt;
    QCheckBox* m_trayByDefault;
    QCheckBox* m_autoRefreshOff;
    QCheckBox* m_autostart;
    bool m_autostartWas = false;
    QComboBox* m_popupStyle;
    QCheckBox* m_popupStatusChange;
    QCheckBox* m_popupFriends;
    QCheckBox* m_popupActivity;
    QCheckBox* m_popupFavouriteMap;
    std::array<QLineEdit*, SoundSlotCount> m_soundPath{};
    std::array<QCheckBox*, SoundSlotCount> m_soundEnable{};
    IconColoursBox* m_icons;
    QLabel* m_notifyBackSwatch;
    QLabel* m_notifyForeSwatch;
    QLabel* m_friendSwatch;
    QCheckBox* m_logging;
    QLineEdit* m_logFile;
    QCheckBox* m_notifyNewVersion;
};

} // namespace trevisk
