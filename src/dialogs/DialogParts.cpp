#include "dialogs/DialogParts.h"

#include "core/ErrorReporter.h"

#include <QDialog>
#include <QPushButton>

namespace trevisk {

QPushButton* namedButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

bool finishSave(QDialog& dialog,
                ErrorReporter& reporter,
                const QString& failure,
                const char* procedure,
                const std::function<void()>& changed)
{
    if (!failure.isEmpty()) {
        reporter.report(failure, ErrorNumber::FileWrite, QString::fromLatin1(procedure));
        return false;
    }
    if (changed)
        changed();
    dialog.accept();
    return true;
}

} // namespace trevisk
