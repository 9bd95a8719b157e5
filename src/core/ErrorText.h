#pragma once

#include <QString>

namespace trevisk {

// The report text shown for a failure inside one of the program's important procedures.
QString errorText(const QString& description, qint32 number, const QString& procedure);

} // namespace trevisk
