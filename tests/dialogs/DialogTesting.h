#pragma once

#include "support/ScriptedPrompter.h"

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

// A scripted prompter that also keeps the filters the file dialogs were given.
class FilterRecordingPrompter : public ScriptedPrompter
{
public:
    QString openFileName(const QString& title, const QString& filter, const QString& initialFile) override
    {
        filters << filter;
        return ScriptedPrompter::openFileName(title, filter, initialFile);
    }
    QStringList filters;
};

} // namespace trevisk
