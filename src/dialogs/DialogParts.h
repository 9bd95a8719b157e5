#pragma once

#include <QString>

#include <functional>

class QColor;
class QDialog;
class QPushButton;
class QWidget;

namespace trevisk {

class ErrorReporter;

// A button that tests can find by its name; Return presses it only when it is the default one.
QPushButton* namedButton(const QString& text, const char* name, QWidget* parent);

// The nearest common name of a colour ("black", "yellow"), for screen readers.
QString colourName(const QColor& colour);

// The end of a dialog's save: a failure goes to the error report under `procedure` and the dialog
// stays open with the user's edits; otherwise the running program is told and the dialog closes.
bool finishSave(QDialog& dialog,
                ErrorReporter& reporter,
                const QString& failure,
                const char* procedure,
                const std::function<void()>& changed);

} // namespace trevisk
