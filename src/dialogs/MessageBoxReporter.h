#pragma once

#include "core/ErrorReporter.h"

namespace trevisk {

// The error report as a modal box with the critical icon, one OK button and the caption "Trevisk".
class MessageBoxReporter : public ErrorReporter
{
public:
    void showReport(const QString& text) override;
};

// The single-instance message, shown as an exclamation box.
void showExclamation(const QString& text);

} // namespace trevisk
