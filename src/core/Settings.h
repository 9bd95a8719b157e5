#pragma once

#include <QString>

#include <array>
#include <memory>
#include <optional>

class QSettings;

namespace trevisk {

inline constexpr char AppName[] = "TRVSK";
// Real servers rate-limit queries per address; anything faster makes them flap offline.
inline constexpr int MinimumRefreshSeconds = 5;

// Sound slots, the same for the settings and every caller.
enum SoundSlot
{
    SoundOffline = 0,
    SoundOnline = 1,
    SoundFriendOn = 2,
    SoundFriendOff = 3,
    SoundActivity = 4,
    SoundFavouriteMap = 5,
    SoundSlotCount = 6
};

// Where pop-up texts go: the sliding window, the desktop's notification service, or both.
// Automatic is the window where the program may place its windows (X11) and the desktop's
// service where it may not (Wayland).
enum class PopupStyle
{
    Automatic,
    Window,
    Desktop,
    Both
};
// As stored in [Notify] Show: "automatic", "window", "desktop", "both"; anything else is the default.
QString popupStyleName(PopupStyle style);
PopupStyle popupStyleNamed(const QString& name);
// The style Automatic stands for on a desktop that does or does not let the program place windows.
PopupStyle resolvedPopupStyle(PopupStyle style, bool windowsPlaceable);

// The four colours of a server's tray icon (0x00BBGGRR): the defaults in the settings, a server's own
// in the server form.
struct IconColours
{
    quint32 back = 0xFFFFFF;
    quint32 friendColour = 2007070;
    quint32 normal = 0;
    quint32 off = 255;

    bool operator==(const IconColours&) const = default;
};

// The general preferences every part reads; colours are 0x00BBGGRR. A switch is stored as "1" or "0".
struct AppSettings
{
    QString logFile;
    bool logging = false;
    qint16 refresh = 30;
    bool trayByDefault = false;
    bool popupStatusChange = true;
    bool popupFriends = true;
    bool popupActivity = true;
    IconColours icons; // [Icon] Back, Friend, Norm, Off
    quint32 notifyFore = 0xFF0000;
    quint32 notifyBack = 65535;
    bool startInTray = false;
    quint32 friendColour = 0xFF0000;
    bool encryptRcon = false;
    bool autoRefreshOff = false;
    bool popupFavouriteMap = true;
    bool notifyNewVersion = true;
    PopupStyle popupStyle = PopupStyle::Automatic;
    std::array<QString, SoundSlotCount> soundEnable;
    std::array<QString, SoundSlotCount> soundPath;

    // Defaults of a first run; sound paths lie in the program's sound folder.
    static AppSettings defaults(const QString& programDir);
    // Reads every key; a missing or unreadable key takes its default.
    static AppSettings load(QSettings& store, const QString& programDir);
    // Writes every key the settings dialog owns, as text.
    void save(QSettings& store) const;

    // The refresh interval actually used, never below the minimum.
    int refreshSeconds() const;
    bool soundEnabled(int slot) const { return soundEnable.at(slot) == QLatin1String("1"); }
};

// The folder of the default sounds: "sounds" beside the program (a build or a portable copy), else
// where an install puts them (../share/trevisk/sounds); the first when neither exists.
QString soundFolder(const QString& programDir);

// Opens the settings store: the INI file given, or the per-user store of the application.
std::unique_ptr<QSettings> openSettings(const QString& configFile = {});

// Helpers for the sections other parts own; every value is stored as text.
QString readText(QSettings& store, const QString& section, const QString& name, const QString& fallback);
// A 16-bit integer; a stored text that is no such number takes the default.
qint16 readInt16(QSettings& store, const QString& section, const QString& name, qint16 fallback);
quint32 readColour(QSettings& store, const QString& section, const QString& name, quint32 fallback);
void writeText(QSettings& store, const QString& section, const QString& name, const QString& value);

// The 16-bit conversion of stored text (rounding halves to even), or nothing when it is no number in range.
std::optional<qint16> toInt16(const QString& text);
std::optional<qint32> toInt32(const QString& text);

} // namespace trevisk
