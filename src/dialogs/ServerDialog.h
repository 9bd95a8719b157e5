#pragma once

#include "list/ServerForm.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace trevisk {

struct AppContext;
class ErrorReporter;
class IconColoursBox;
class Prompter;

// "Add Server" / "Edit Server": the server's address, game and options, checked as the
// servers command checks them, with the name looked up without freezing the window. On
// "Save" the record and its custom alert text are written together.
class ServerDialog : public QDialog
{
    Q_OBJECT
public:
    // Shows the custom message editor with the current text; nothing when cancelled.
    using MessageEditor = std::function<std::optional<QString>(const QString& current)>;

    ServerDialog(AppContext& context, Prompter& prompter, ErrorReporter& reporter, QWidget* parent = nullptr);
    ~ServerDialog() override;

    // Binds the dialog to a listed server for editing.
    void loadServer(const QString& address);
    // The address just saved, empty until a save succeeded.
    const QString& savedAddress() const { return m_savedAddress; }
    const QString& customText() const { return m_customText; }
    void setMessageEditor(MessageEditor editor) { m_messageEditor = std::move(editor); }
    // "Save": runs the checks; a name to look up finishes the save when its answer comes.
    void save();
    bool isLookingUp() const;

signals:
    void saved(const QString& address);

private:
    ServerForm form() const;
    void refuse(const ServerFormCheck& check);
    void finishSave(const QString& address);
    void gameChosen();

    AppContext& m_context;
    Prompter& m_prompter;
    ErrorReporter& m_reporter;
    QString m_tag; // the stored address while editing
    QString m_savedAddress;
    QString m_customText;
    MessageEditor m_messageEditor;
    HostLookup m_lookup;
    QLineEdit* m_address;
    QLineEdit* m_port;
    QComboBox* m_game;
    QLineEdit* m_queryPort;
    QLineEdit* m_memo;
    QCheckBox* m_tray;
    QCheckBox* m_manual;
    QCheckBox* m_noMail;
    IconColoursBox* m_icons;
    QPushButton* m_save;
};

// "Custom Email Message": the alert text of one server; the text, or nothing when cancelled.
std::optional<QString> editCustomMessage(const QString& current, QWidget* parent);

} // namespace trevisk
