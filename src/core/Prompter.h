#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace trevisk {

// Message boxes, questions and file choices, so that logic can ask without owning a window.
class Prompter
{
public:
    enum class Icon
    {
        None,
        Information,
        Exclamation,
        Critical,
        Question
    };
    enum class Buttons
    {
        Ok,
        YesNo,
        YesNoCancel
    };
    enum class Answer
    {
        Ok,
        Yes,
        No,
        Cancel
    };

    virtual ~Prompter() = default;
    virtual Answer ask(const QString& text, Icon icon, Buttons buttons) = 0;
    // A message under a caption of its own ("Aborted"); where captions are not shown, the usual one.
    virtual Answer askTitled(const QString& title, const QString& text, Icon icon, Buttons buttons)
    {
        Q_UNUSED(title);
        return ask(text, icon, buttons);
    }
    // An empty result means the user cancelled.
    virtual QString openFileName(const QString& title, const QString& filter, const QString& initialFile) = 0;
    virtual QString saveFileName(const QString& title, const QString& filter) = 0;
    // A 0x00BBGGRR colour, or nothing when the user cancelled.
    virtual std::optional<quint32> pickColour(quint32 initial) = 0;
    // A small window of its own with these buttons; the index of the one pressed, -1 when cancelled.
    virtual int choose(const QString& title, const QString& text, const QStringList& buttons)
    {
        Q_UNUSED(title);
        Q_UNUSED(text);
        Q_UNUSED(buttons);
        return -1;
    }

    void tell(const QString& text, Icon icon = Icon::Information) { ask(text, icon, Buttons::Ok); }
};

} // namespace trevisk
