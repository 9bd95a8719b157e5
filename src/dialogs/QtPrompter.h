#pragma once

#include "core/Prompter.h"

#include <QColor>
#include <QMessageBox>

class QWidget;

namespace trevisk {

// The message box icon of a prompt's icon.
QMessageBox::Icon messageBoxIcon(Prompter::Icon icon);

// The window a message box belongs to: the one the user is working in, if any.
QWidget* boxOwner();

// Questions as message boxes captioned "Trevisk", over the given window or else the active one,
// file choices as file dialogs and colours as the colour dialog, which starts from the colour
// chosen last and keeps its custom colours for the run.
class QtPrompter : public Prompter
{
public:
    explicit QtPrompter(QWidget* parent = nullptr);

    Answer ask(const QString& text, Icon icon, Buttons buttons) override;
    Answer askTitled(const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    QString openFileName(const QString& title, const QString& filter, const QString& initialFile) override;
    QString saveFileName(const QString& title, const QString& filter) override;
    std::optional<quint32> pickColour(quint32 initial) override;
    int choose(const QString& title, const QString& text, const QStringList& buttons) override;

private:
    QWidget* owner() const;

    QWidget* m_parent;
    std::optional<quint32> m_lastColour;
};

} // namespace trevisk
