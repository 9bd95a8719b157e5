#include "core/SettingsForm.h"

#include "core/ErrorReporter.h"
#include "core/Translations.h"

#include <QSettings>

namespace trevisk {

SettingsSave
saveSettingsForm(const QString& refreshText, const AppSettings& edited, QSettings& store, AppSettings& live)
{
    SettingsSave result;
    const auto refresh = toInt16(refreshText.trimmed());
    if (!refresh) {
        result.field = QStringLiteral("Refresh Interval");
        bool isNumber = false;
        refreshText.trimmed().toDouble(&isNumber);
        result.number = isNumber ? ErrorNumber::Overflow : ErrorNumber::TypeMismatch;
        result.description = Translations::text("SettingsForm",
                                                isNumber ? QT_TRANSLATE_NOOP("SettingsForm", "Overflow")
                                                         : QT_TRANSLATE_NOOP("SettingsForm", "Type mismatch"));
        return result;
    }
    AppSettings saved = edited;
    saved.refresh = std::max<qint16>(*refresh, MinimumRefreshSeconds);
    saved.save(store);
    if (store.status() != QSettings::NoError) {
        result.description =
            Translations::text("SettingsForm",
                               QT_TRANSLATE_NOOP("SettingsForm", "The settings could not be written to %1"))
                .arg(store.fileName());
        result.number = ErrorNumber::FileWrite;
        return result;
    }
    const bool notifyNewVersion = live.notifyNewVersion;
    live = saved;
    live.notifyNewVersion = notifyNewVersion;
    result.ok = true;
    return result;
}

} // namespace trevisk
