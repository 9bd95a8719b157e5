#pragma once

#include <QString>

namespace trevisk {

// The report text for a failure inside one of the program's important procedures, in English as
// logs keep it.
QString errorText(const QString& description, qint32 number, const QString& procedure);
// The same report as the user reads it, in the loaded language.
QString shownErrorText(const QString& description, qint32 number, const QString& procedure);

} // namespace trevisk
