#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>
#include <QTest>

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

    Answer ask(const QString& text, Icon icon, Buttons buttons) override
    {
        asked.append({text, icon, buttons});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return scripted(answers, QStringLiteral("question: ") + text) ? answers.takeFirst() : Answer::Cancel;
    }
    QString openFileName(const QString& title, const QString&, const QString&) override { return fileName(title); }
    QString saveFileName(const QString& title, const QString&) override { return fileName(title); }
    std::optional<quint32> pickColour(quint32) override
    {
        return colours.isEmpty() ? std::nullopt : colours.takeFirst();
    }
    int choose(const QString& title, const QString& text, const QStringList&) override
    {
        asked.append({title + QLatin1Char('|') + text, Icon::Question, Buttons::Ok});
        return scripted(choices, QStringLiteral("choice: ") + text) ? choices.takeFirst() : -1;
    }

    QList<Answer> answers; // for questions (Yes/No/Cancel buttons); boxes with OK need none
    QStringList fileNames; // for open and save dialogs
    QList<std::optional<quint32>> colours;
    QList<int> choices; // for choose(): the index of the button pressed
    QList<Asked> asked;
    QStringList texts() const
    {
        QStringList list;
        for (const Asked& question : asked)
            list << question.text;
        return list;
    }

private:
    QString fileName(const QString& title)
    {
        asked.append({title, Icon::Question, Buttons::Ok});
        return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    }
    template <typename T> static bool scripted(const QList<T>& script, const QString& what)
    {
        if (script.isEmpty())
            QTest::qFail(qPrintable(QStringLiteral("Unscripted ") + what), __FILE__, __LINE__);
        return !script.isEmpty();
    }
};

} // namespace trevisk
