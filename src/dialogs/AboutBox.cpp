#include "dialogs/AboutBox.h"

#include "core/Version.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace trevisk {

QString aboutText()
{
    return QString::fromLatin1(ProductName) + QCoreApplication::translate("trevisk::AboutBox", "\nVersion ")
           + QString::fromLatin1(VersionText)
           + QCoreApplication::translate("trevisk::AboutBox", "\nCopyright \u00A9 2026 Ostravel\n\nRunning on Qt ")
           + QString::fromLatin1(qVersion());
}

QMessageBox* showAboutBox(QWidget* parent)
{
    auto* box =
        new QMessageBox(QMessageBox::Information,
                        QCoreApplication::translate("trevisk::AboutBox", "About ") + QString::fromLatin1(ProductName),
                        aboutText(),
                        QMessageBox::Ok,
                        parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return box;
}

} // namespace trevisk
