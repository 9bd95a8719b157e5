#pragma once

#include <QBoxLayout>
#include <QString>

#include <functional>

class QColor;
class QDialog;
class QPushButton;

namespace trevisk {

class ErrorReporter;

// A button that tests can find by its name; Return presses it only when it is the default one.
QPushButton* namedButton(const QString& text, const char* name, QWidget* parent);

// What a list editor's buttons do; without `add`, only Save and Cancel are shown.
struct ListEditorActions
{
    std::function<void()> add;
    std::function<void()> edit;
    std::function<void()> remove;
    std::function<void()> save;
};

// The list editors' buttons in a row or a column: Add, Edit and Delete, a stretch, then Save (the
// default button, named `saveName`) and Cancel, which rejects the dialog.
QBoxLayout* listEditorButtons(QDialog& dialog,
                              QBoxLayout::Direction direction,
                              const char* saveName,
                              const ListEditorActions& actions);

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
