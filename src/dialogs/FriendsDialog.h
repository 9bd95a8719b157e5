#pragma once

#include "store/RecordTable.h"
#include "store/Records.h"

#include <QDialog>

#include <functional>

class QListWidget;

namespace trevisk {

class ErrorReporter;
class Prompter;
class Stores;

// A one-line text question (prompt, title, default text); empty when cancelled or left empty.
using TextPrompt = std::function<QString(const QString& prompt, const QString& title, const QString& initial)>;
// The text question as an input box over `parent`, taking at most a stored text's 255 characters.
QString askText(QWidget* parent, const QString& prompt, const QString& title, const QString& initial);

// Edits a copy of the friends list; "&Save" makes it the list (in its order) and writes friends.dat.
class FriendsDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr char Caption[] = QT_TRANSLATE_NOOP("trevisk::FriendsDialog", "Friends List");

    // `changed` runs after a successful save, so the running monitor picks up the new names.
    FriendsDialog(Stores& stores,
                  Prompter& prompter,
                  ErrorReporter& reporter,
                  std::function<void()> changed,
                  QWidget* parent = nullptr);

    void setTextPrompt(TextPrompt prompt) { m_ask = std::move(prompt); }
    QListWidget* list() const { return m_list; }

private:
    void addName();
    void editName();
    void deleteName();
    void save();
    int selectedRow() const;

    Stores& m_stores;
    Prompter& m_prompter;
    ErrorReporter& m_reporter;
    std::function<void()> m_changed;
    TextPrompt m_ask;
    // The list's rows, in step with the list box; unknown fields of kept rows ride along.
    RecordTable<FriendRecord> m_working;
    QListWidget* m_list;
};

} // namespace trevisk
