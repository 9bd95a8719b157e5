#include "dialogs/MessageBoxReporter.h"

#include "core/Version.h"

#include <QMessageBox>

namespace trevisk {

namespace {

// Reports quote servers' answers, files and paths: never read as markup.
void showPlainBox(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromLatin1(ProductName), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void MessageBoxReporter::showReport(const QString& text)
{
    showPlainBox(QMessageBox::Critical, text);
}

void showExclamation(const QString& text)
{
    showPlainBox(QMessageBox::Warning, text);
}

} // namespace trevisk
