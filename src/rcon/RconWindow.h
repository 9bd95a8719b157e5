#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace trevisk {

struct AppContext;
class ErrorReporter;
class Prompter;
class RconClient;

// What a console window works with; each part outlives the window.
struct RconWindowServices
{
    AppContext& context; // the settings store, EncryptRcon and the server list
    Prompter& prompter;
    ErrorReporter* reporter = nullptr; // without one, reports go to the prompter as critical boxes
};

// The remote console of one server: the password (remembered if asked), the command with its
// history, and the server's replies in a coloured log.
class RconWindow : public QWidget
{
    Q_OBJECT
public:
    explicit RconWindow(const RconWindowServices& services, QWidget* parent = nullptr);
    ~RconWindow() override;

    // The console window open for `address`, if any.
    static RconWindow* find(const QString& address);
    // Shows and raises the console of `address`, loading a new one when none is open.
    static RconWindow*
    open(const RconWindowServices& services, const QString& address, const QString& name, const QString& game);

    void loadServer(const QString& address, const QString& name, const QString& game);
    void sendCommand();
    const QString& address() const { return m_address; }
    RconClient& client() { return *m_client; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void savePassword();
    // A new entry of the log starts on a line of its own.
    void addText(const QString& text, const QColor& colour);
    void addReply(const QByteArray& text);
    void insert(const QString& text, const QColor& colour);
    bool atLineStart() const;
    void report(const QString& description, int number, const QString& procedure);

    RconWindowServices m_services;
    RconClient* m_client;
    QLineEdit* m_password;
    QCheckBox* m_remember;
    QComboBox* m_command;
    QPushButton* m_send;
    QTextEdit* m_response;
    QLabel* m_note;
    QString m_address;
    QString m_game;
    bool m_inReply = false;
};

} // namespace trevisk
