#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cmath>
#include <limits>

namespace trevisk {

namespace {

const QString Section = QStringLiteral("Settings");

std::optional<qint64> toWhole(const QString& text, qint64 low, qint64 high)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(low) || rounded > static_cast<double>(high))
        return std::nullopt;
    return static_cast<qint64>(rounded);
}

QString key(const char* section, const char* name)
{
    return QString::fromLatin1(section) + QLatin1Char('/') + QString::fromLatin1(name);
}

} // namespace

std::optional<qint16> toInt16(const QString& text)
{
    const auto value = toWhole(text, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
    return value ? std::optional<qint16>(static_cast<qint16>(*value)) : std::nullopt;
}

std::optional<qint32> toInt32(const QString& text)
{
    const auto value = toWhole(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    return value ? std::optional<qint32>(static_cast<qint32>(*value)) : std::nullopt;
}

QString readText(QSettings& store, const QString& section, const QString& name, const QString& fallback)
{
    const QVariant value = store.value(section + QLatin1Char('/') + name);
    return value.isValid() ? value.toString() : fallback;
}

qint16 readInt16(QSettings& store, const QString& section, const QString& name, qint16 fallback)
{
    const QVariant value = store.value(section + QLatin1Char('/') + name);
    if (!value.isValid())
        return fallback;
    return toInt16(value.toString()).value_or(fallback);
}

namespace {

// A switch is on only when stored as 1; a text that is no 16-bit number takes the default.
bool readSwitch(QSettings& store, const QString& section, const QString& name, bool fallback)
{
    return readInt16(store, section, name, fallback ? 1 : 0) == 1;
}

} // namespace

quint32 readColour(QSettings& store, const QString& section, const QString& name, quint32 fallback)
{
    const QVariant value = store.value(section + QLatin1Char('/') + name);
    if (!value.isValid())
        return fallback;
    const auto number = toInt32(value.toString());
    return number ? static_cast<quint32>(*number) : fallback;
}

void writeText(QSettings& store, const QString& section, const QString& name, const QString& value)
{
    store.setValue(section + QLatin1Char('/') + name, value);
}

QString popupStyleName(PopupStyle style)
{
    switch (style) {
    case PopupStyle::Desktop:
        return QStringLiteral("desktop");
    case PopupStyle::Both:
        return QStringLiteral("both");
    case PopupStyle::Window:
        return QStringLiteral("window");
    case PopupStyle::Automatic:
        break;
    }
    return QStringLiteral("automatic");
}

PopupStyle popupStyleNamed(const QString& name)
{
    const QString word = name.trimmed().toLower();
    if (word == QLatin1String("window"))
        return PopupStyle::Window;
    if (word == QLatin1String("desktop"))
        return PopupStyle::Desktop;
    if (word == QLatin1String("both"))
        return PopupStyle::Both;
    return PopupStyle::Automatic;
}

PopupStyle resolvedPopupStyle(PopupStyle style, bool windowsPlaceable)
{
    if (style != PopupStyle::Automatic)
        return style;
    return windowsPlaceable ? PopupStyle::Window : PopupStyle::Desktop;
}

QString soundFolder(const QString& programDir)
{
    QString beside = programDir + QStringLiteral("/sounds");
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed = QDir::cleanPath(programDir + QStringLiteral("/../share/trevisk/sounds"));
    return QFileInfo(installed).isDir() ? installed : beside;
}

AppSettings AppSettings::defaults(const QString& programDir)
{
    AppSettings settings;
    const QString folder = soundFolder(programDir);
    for (int i = 0; i < SoundSlotCount; ++i) {
        settings.soundEnable.at(i) = QStringLiteral("1");
        settings.soundPath.at(i) = folder + QLatin1Char('/') + QString::number(i) + QStringLiteral(".wav");
    }
    return settings;
}

AppSettings AppSettings::load(QSettings& store, const QString& programDir)
{
    AppSettings s = defaults(programDir);
    const QString icon = QStringLiteral("Icon");
    const QString notify = QStringLiteral("Notify");
    s.logFile = readText(store, Section, QStringLiteral("LogFile"), s.logFile);
    s.logging = readSwitch(store, Section, QStringLiteral("Logging"), s.logging);
    s.refresh = readInt16(store, Section, QStringLiteral("Refresh"), s.refresh);
    s.trayByDefault = readSwitch(store, Section, QStringLiteral("AllTray"), s.trayByDefault);
    s.popupStatusChange = readSwitch(store, Section, QStringLiteral("NSS"), s.popupStatusChange);
    s.popupFriends = readSwitch(store, Section, QStringLiteral("NFriend"), s.popupFriends);
    s.popupActivity = readSwitch(store, Section, QStringLiteral("NActive"), s.popupActivity);
    s.icons.normal = readColour(store, icon, QStringLiteral("Norm"), s.icons.normal);
    s.icons.back = readColour(store, icon, QStringLiteral("Back"), s.icons.back);
    s.icons.friendColour = readColour(store, icon, QStringLiteral("Friend"), s.icons.friendColour);
    s.icons.off = readColour(store, icon, QStringLiteral("Off"), s.icons.off);
    s.notifyFore = readColour(store, notify, QStringLiteral("Fore"), s.notifyFore);
    s.notifyBack = readColour(store, notify, QStringLiteral("Back"), s.notifyBack);
    s.popupStyle = popupStyleNamed(readText(store, notify, QStringLiteral("Show"), popupStyleName(s.popupStyle)));
    s.startInTray = readSwitch(store, Section, QStringLiteral("MainTray"), s.startInTray);
    s.friendColour = readColour(store, Section, QStringLiteral("FriendColor"), s.friendColour);
    s.encryptRcon = readSwitch(store, Section, QStringLiteral("EncryptRcon"), s.encryptRcon);
    s.autoRefreshOff = readSwitch(store, Section, QStringLiteral("NoRefresh"), s.autoRefreshOff);
    s.popupFavouriteMap = readSwitch(store, Section, QStringLiteral("NotifyMap"), s.popupFavouriteMap);
    s.notifyNewVersion = readSwitch(store, Section, QStringLiteral("VerNotify"), s.notifyNewVersion);
    const QString audio = QStringLiteral("Audio");
    for (int i = 0; i < SoundSlotCount; ++i) {
        const QString digit = QString::number(i);
        s.soundEnable.at(i) = readText(store, audio, QStringLiteral("Enable") + digit, s.soundEnable.at(i));
        s.soundPath.at(i) = readText(store, audio, QStringLiteral("Path") + digit, s.soundPath.at(i));
    }
    return s;
}

void AppSettings::save(QSettings& store) const
{
    auto number = [](qint64 value) { return QString::number(value); };
    auto colour = [](quint32 value) { return QString::number(static_cast<qint32>(value)); };
    store.setValue(key("Settings", "LogFile"), logFile);
    store.setValue(key("Settings", "Logging"), number(logging));
    store.setValue(key("Settings", "Refresh"), number(refresh));
    store.setValue(key("Settings", "AllTray"), number(trayByDefault));
    store.setValue(key("Settings", "NSS"), number(popupStatusChange));
    store.setValue(key("Settings", "NFriend"), number(popupFriends));
    store.setValue(key("Settings", "NotifyMap"), number(popupFavouriteMap));
    store.setValue(key("Settings", "NActive"), number(popupActivity));
    store.setValue(key("Settings", "EncryptRcon"), number(encryptRcon));
    store.setValue(key("Settings", "NoRefresh"), number(autoRefreshOff));
    store.setValue(key("Icon", "Norm"), colour(icons.normal));
    store.setValue(key("Icon", "Back"), colour(icons.back));
    store.setValue(key("Icon", "Friend"), colour(icons.friendColour));
    store.setValue(key("Icon", "Off"), colour(icons.off));
    store.setValue(key("Notify", "Back"), colour(notifyBack));
    store.setValue(key("Notify", "Fore"), colour(notifyFore));
    store.setValue(key("Notify", "Show"), popupStyleName(popupStyle));
    store.setValue(key("Settings", "MainTray"), number(startInTray));
    store.setValue(key("Settings", "FriendColor"), colour(friendColour));
    store.setValue(key("Settings", "VerNotify"), number(notifyNewVersion));
    for (int i = 0; i < SoundSlotCount; ++i) {
        const QString digit = QString::number(i);
        store.setValue(QStringLiteral("Audio/Path") + digit, soundPath.at(i));
        store.setValue(QStringLiteral("Audio/Enable") + digit, soundEnable.at(i));
    }
    store.sync();
}

int AppSettings::refreshSeconds() const
{
    return std::max<int>(refresh, MinimumRefreshSeconds);
}

std::unique_ptr<QSettings> openSettings(const QString& configFile)
{
    if (!configFile.isEmpty())
        return std::make_unique<QSettings>(configFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(
        QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Trevisk"), QString::fromLatin1(AppName));
}

} // namespace trevisk
