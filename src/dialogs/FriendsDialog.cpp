#include "dialogs/FriendsDialog.h"

#include "core/Prompter.h"
#include "dialogs/DialogParts.h"
#include "store/ListRules.h"
#include "store/Stores.h"

#include <QBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>

namespace trevisk {

namespace {

constexpr char NamePrompt[] = QT_TRANSLATE_NOOP("trevisk::FriendsDialog", "Enter a name of a friend");

} // namespace

QString askText(QWidget* parent, const QString& prompt, const QString& title, const QString& initial)
{
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(initial);
    // A longer name could not be saved.
    if (auto* edit = box.findChild<QLineEdit*>())
        edit->setMaxLength(255);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

FriendsDialog::FriendsDialog(
    Stores& stores, Prompter& prompter, ErrorReporter& reporter, std::function<void()> changed, QWidget* parent)
    : QDialog(parent)
    , m_stores(stores)
    , m_prompter(prompter)
    , m_reporter(reporter)
    , m_changed(std::move(changed))
    , m_ask([this](const QString& prompt, const QString& title, const QString& initial) {
        return askText(this, prompt, title, initial);
    })
    , m_working(stores.friends)
    , m_list(new QListWidget(this))
{
    setWindowTitle(tr(Caption));
    setObjectName(QStringLiteral("frmFriends"));
    m_list->setObjectName(QStringLiteral("lstFriends"));
    m_list->setAccessibleName(tr("Friends"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const FriendRecord& record : m_working.rows)
        m_list->addItem(record.name.value_or(QString()));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(listEditorButtons(*this,
                                        QBoxLayout::TopToBottom,
                                        "cmdOK",
                                        {.add = [this] { addName(); },
                                         .edit = [this] { editName(); },
                                         .remove = [this] { deleteName(); },
                                         .save = [this] { save(); }}));
    resize(340, 280);
}

int FriendsDialog::selectedRow() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void FriendsDialog::addName()
{
    const QString name = m_ask(tr(NamePrompt), tr("Add Name"), QString());
    if (name.isEmpty())
        return;
    FriendRecord record;
    record.name = name;
    m_working.rows.push_back(record);
    m_list->addItem(name);
}

void FriendsDialog::editName()
{
    const int row = selectedRow();
    if (row < 0) {
        m_prompter.tell(tr("You must select a name to edit!"), Prompter::Icon::Exclamation);
        return;
    }
    const QString name = m_ask(tr(NamePrompt), tr("Edit Name"), m_list->item(row)->text());
    if (name.isEmpty())
        return;
    m_working.rows[static_cast<size_t>(row)].name = name;
    m_list->item(row)->setText(name);
}

void FriendsDialog::deleteName()
{
    const int row = selectedRow();
    if (row < 0) {
        m_prompter.tell(tr("You must select a name to delete!"), Prompter::Icon::Exclamation);
        return;
    }
    m_working.rows.erase(m_working.rows.begin() + row);
    delete m_list->takeItem(row);
}

void FriendsDialog::save()
{
    finishSave(*this, m_reporter, commitFriends(m_stores, m_working), "cmdOK_Click()", m_changed);
}

} // namespace trevisk
