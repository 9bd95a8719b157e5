#include "dialogs/MessageBoxReporter.h"

#include "core/Version.h"

#include <QMessageBox>

namespace trevisk {

void MessageBoxReporter::showReport(const QString& text)
{
    QMessageBox::critical(nullptr, QString::fromLatin1(ProductName), text);
}

void showExclamation(const QString& text)
{
    QMessageBox::warning(nullptr, QString::fromLatin1(ProductName), text);
}

} // namespace trevisk
