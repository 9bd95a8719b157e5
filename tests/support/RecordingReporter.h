#pragma once

#include "core/ErrorReporter.h"

#include <QStringList>

namespace trevisk {

// Keeps every report instead of showing it.
class RecordingReporter : public ErrorReporter
{
public:
    void showReport(const QString& text) override { reports << text; }
    QStringList reports;
};

} // namespace trevisk
