#include "dialogs/AboutBox.h"

#include "core/Version.h"

#include <QMessageBox>

namespace trevisk {

QString aboutText()
{
    return QString::fromLatin1(ProductName) + QStringLiteral("\nVersion ") + QString::fromLatin1(VersionText)
           + QStringLiteral("\nCopyright \u00A9 2026 Ostravel\n\nRunning on Qt ") + QString::fromLatin1(qVersion());
}

QMessageBox* showAboutBox(QWidget* parent)
{
    auto* box = new QMessageBox(QMessageBox::Information,
                                QStringLiteral("About ") + QString::fromLatin1(ProductName),
                                aboutText(),
                                QMessageBox::Ok,
                                parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return box;
}

} // namespace trevisk
