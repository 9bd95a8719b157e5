#include "dialogs/MessageBoxReporter.h"

#include "core/Version.h"
#include "dialogs/QtPrompter.h"

#include <QMessageBox>
#include <QPointer>

namespace trevisk {

namespace {

// Reports quote servers' answers, files and paths: never read as markup.
void showPlainBox(QMessageBox::Icon icon, const QString& text)
{
    // Over the window the user works in; that window may close meanwhile and take the box along.
    const QPointer<QMessageBox> box(
        new QMessageBox(icon, QString::fromLatin1(ProductName), text, QMessageBox::Ok, boxOwner()));
    box->setTextFormat(Qt::PlainText);
    box->exec();
    delete box.data();
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
