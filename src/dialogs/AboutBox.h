#pragma once

#include <QString>

class QWidget;
class QMessageBox;

namespace trevisk {

// The about box's text: the product, its version, the maker's notice and the Qt it runs on.
QString aboutText();
// Shows the about box without blocking the program (windows of the Help menu are modeless).
QMessageBox* showAboutBox(QWidget* parent);

} // namespace trevisk
