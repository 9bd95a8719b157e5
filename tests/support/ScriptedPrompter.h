#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>

namespace trevisk {

// Answers from a script and records every question; an unscripted question fails the test.
class ScriptedPrompter : public Prompter
{
public:
    struct Asked
    {
        QString text;
        Icon icon;
        Buttons buttons;
    };

    Answer ask(const QString& text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString& title, const QString& filter, const QString& initialFile) override;
    QString saveFileName(const QString& title, const QString& filter) override;
    std::optional<quint32> pickColour(quint32 initial) override;
    int choose(const QString& title, const QString& text, const QStringList& buttons) override;

    QList<Answer> answers; // for questions (Yes/No/Cancel buttons); boxes with OK need none
    QStringList fileNames; // for open and save dialogs
    QList<std::optional<quint32>> colours;
    QList<int> choices; // for choose(): the index of the button pressed
    QList<Asked> asked;
    QStringList texts() const;
};

} // namespace trevisk
