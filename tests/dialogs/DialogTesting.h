#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QTest>
#include <QWidget>

#include <algorithm>

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

// Clicks the named buttons in turn; false when one is missing.
inline bool clickButton(QWidget& dialog, std::initializer_list<const char*> names)
{
    return std::all_of(names.begin(), names.end(), [&](const char* name) { return clickButton(dialog, name); });
}

template <typename T> T* child(QWidget& dialog, const char* name)
{
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

// The window's menu entry of this text; the test ends when there is none.
inline QAction* entry(const QWidget* owner, const QString& text)
{
    for (QAction* action : owner->findChildren<QAction*>()) {
        if (action->text() == text)
            return action;
    }
    qFatal("no menu entry %s", qPrintable(text));
}

} // namespace trevisk
