#pragma once

#include "core/Settings.h"

namespace trevisk {

// The outcome of saving the settings dialog: nothing is written unless every field is good.
struct SettingsSave
{
    bool ok = false;
    QString field;       // the field that was refused, e.g. "Refresh Interval"
    QString description; // what is wrong with it, or what failed while writing
    qint32 number = 0;   // the error number of the report

    static constexpr char Procedure[] = "cmdSave_Click()";
};

// Saves the settings dialog: `refreshText` is the interval as typed, `edited` every other
// field. Every field is checked before anything is written; a refresh below the minimum is
// stored as the minimum. On success the store is written and synced and `live` takes the
// new values, except VerNotify, which is read at start only.
SettingsSave
saveSettingsForm(const QString& refreshText, const AppSettings& edited, QSettings& store, AppSettings& live);

} // namespace trevisk
