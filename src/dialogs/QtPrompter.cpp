#include "dialogs/QtPrompter.h"

#include "core/Routines.h"
#include "core/Version.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace trevisk {

namespace {

// Shows a box over its window and reads it; when that window closes meanwhile and takes the box
// along (a details window unloaded from its tray menu), the answer is `closed`.
template <typename Read> auto runBox(QMessageBox* box, Read read, decltype(read(box)) closed)
{
    const QPointer<QMessageBox> alive(box);
    box->exec();
    if (!alive)
        return closed;
    const auto answer = read(box);
    delete box;
    return answer;
}

} // namespace

QMessageBox::Icon messageBoxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::None:
        return QMessageBox::NoIcon;
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QtPrompter::QtPrompter(QWidget* parent)
    : m_parent(parent)
{
    // The colour dialog's sixteen custom colours start as a near-white, as the program always had them.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(254, 254, 254));
}

QWidget* boxOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QWidget* QtPrompter::owner() const
{
    return m_parent ? m_parent : boxOwner();
}

Prompter::Answer QtPrompter::ask(const QString& text, Icon icon, Buttons buttons)
{
    return askTitled(QString::fromLatin1(ProductName), text, icon, buttons);
}

Prompter::Answer QtPrompter::askTitled(const QString& title, const QString& text, Icon icon, Buttons buttons)
{
    auto* box = new QMessageBox(messageBoxIcon(icon), plainTitle(title), text, QMessageBox::NoButton, owner());
    // Questions carry servers' names and files' contents: never read as markup.
    box->setTextFormat(Qt::PlainText);
    switch (buttons) {
    case Buttons::Ok:
        box->setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (runBox(
        box, [](QMessageBox* shown) { return shown->result(); }, -1)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

QString QtPrompter::openFileName(const QString& title, const QString& filter, const QString& initialFile)
{
    return QFileDialog::getOpenFileName(owner(), title, initialFile, filter);
}

QString QtPrompter::saveFileName(const QString& title, const QString& filter)
{
    return QFileDialog::getSaveFileName(owner(), title, QString(), filter);
}

std::optional<quint32> QtPrompter::pickColour(quint32 initial)
{
    const quint32 start = m_lastColour.value_or(initial);
    const QColor chosen =
        QColorDialog::getColor(QColor(int(start & 0xFF), int((start >> 8) & 0xFF), int((start >> 16) & 0xFF)), owner());
    if (!chosen.isValid())
        return std::nullopt;
    m_lastColour = quint32(chosen.red()) | quint32(chosen.green()) << 8 | quint32(chosen.blue()) << 16;
    return m_lastColour;
}

int QtPrompter::choose(const QString& title, const QString& text, const QStringList& buttons)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, plainTitle(title), text, QMessageBox::NoButton, owner());
    box->setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> added;
    for (const QString& caption : buttons) {
        added << box->addButton(caption, QMessageBox::ActionRole);
        // Escape answers as the Cancel button does; without one it closes the box (no button).
        const QString plain = QString(caption).remove(QLatin1Char('&'));
        if (plain == QLatin1String("Cancel") || plain == QCoreApplication::translate("QtPrompter", "Cancel"))
            box->setEscapeButton(added.last());
    }
    if (!added.isEmpty())
        box->setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    // Closing the window is no button: -1.
    return runBox(
        box, [&](QMessageBox* shown) { return static_cast<int>(added.indexOf(shown->clickedButton())); }, -1);
}

} // namespace trevisk
