#pragma once

#include <QAbstractButton>
#include <QTest>
#include <QWidget>

namespace trevisk {

// Clicks the named button of a dialog; false when it has none.
inline bool clickButton(QWidget& dialog, const char* name)
{
    auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (!button)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

template <typename T> T* child(QWidget& dialog, const char* name)
{
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

} // namespace trevisk
