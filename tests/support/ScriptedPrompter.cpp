#include "ScriptedPrompter.h"

#include <QTest>

namespace trevisk {

Prompter::Answer ScriptedPrompter::ask(const QString& text, Icon icon, Buttons buttons)
{
    asked.append({text, icon, buttons});
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("Unscripted question: ") + text), __FILE__, __LINE__);
        return Answer::Cancel;
    }
    return answers.takeFirst();
}

QString ScriptedPrompter::openFileName(const QString& title, const QString&, const QString&)
{
    asked.append({title, Icon::Question, Buttons::Ok});
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedPrompter::saveFileName(const QString& title, const QString&)
{
    asked.append({title, Icon::Question, Buttons::Ok});
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

std::optional<quint32> ScriptedPrompter::pickColour(quint32)
{
    return colours.isEmpty() ? std::nullopt : colours.takeFirst();
}

int ScriptedPrompter::choose(const QString& title, const QString& text, const QStringList&)
{
    asked.append({title + QLatin1Char('|') + text, Icon::Question, Buttons::Ok});
    if (choices.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("Unscripted choice: ") + text), __FILE__, __LINE__);
        return -1;
    }
    return choices.takeFirst();
}

QStringList ScriptedPrompter::texts() const
{
    QStringList list;
    for (const Asked& question : asked)
        list << question.text;
    return list;
}

} // namespace trevisk
