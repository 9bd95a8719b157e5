#include "dialogs/MessageBoxReporter.h"

#include "core/Version.h"
#include "dialogs/QtPrompter.h"

#include <QMessageBox>

namespace trevisk {

void MessageBoxReporter::showReport(const QString& text)
{
    QMessageBox::critical(boxOwner(), QString::fromLatin1(ProductName), text);
}

void showExclamation(const QString& text)
{
    QMessageBox::warning(boxOwner(), QString::fromLatin1(ProductName), text);
}

} // namespace trevisk
