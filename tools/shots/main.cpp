// Draws the README's pictures of the remote console and the two history windows, with made-up
// data, into the folder given: trevisk-shots <folder>. Run it under a real display.
#include "core/Clock.h"
#include "core/Settings.h"
#include "dialogs/QtPrompter.h"
#include "history/History.h"
#include "history/MessageHistoryWindow.h"
#include "history/ServerHistoryWindow.h"
#include "notify/EventLog.h"
#include "rcon/RconWindow.h"
#include "session/Startup.h"
#include "sim/SimServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <cstdio>

using namespace trevisk;

namespace {

// Time stands still unless the pictures move it.
class StillClock : public Clock
{
public:
    QDateTime now() const override { return at; }
    QDateTime at = QDateTime(QDate(2026, 12, 6), QTime(21, 30));
};

bool save(QWidget& window, const QString& path)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QTest::qWait(300); // the window manager's frame and the chart's first paint
    return window.grab().save(path);
}

bool console(const QString& folder)
{
    SimServer server(QStringLiteral("Quake 3"));
    server.state().rconPassword = "labpass";
    if (!server.start())
        return false;
    QTemporaryDir dir;
    AppContext context;
    context.settingsStore = std::make_unique<QSettings>(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
    context.settings.encryptRcon = true;
    QtPrompter prompter;
    RconWindow window({context, prompter});
    window.loadServer(server.address(), QStringLiteral("Sim Quake 3 1"), QStringLiteral("Quake 3"));
    window.findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("labpass"));
    window.findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(true);
    auto* log = window.findChild<QTextEdit*>(QStringLiteral("response"));
    for (const char* command : {"status", "map q3dm17", "echo Welcome to the lab"}) {
        window.findChild<QComboBox*>(QStringLiteral("command"))->setEditText(QString::fromLatin1(command));
        const qsizetype before = log->toPlainText().size();
        window.sendCommand();
        const QDeadlineTimer deadline(2000);
        while (log->toPlainText().size() <= before + qsizetype(strlen(command)) + 2 && !deadline.hasExpired())
            QTest::qWait(10);
    }
    window.resize(640, 460);
    return save(window, folder + QStringLiteral("/rcon.png"));
}

bool serverHistory(const QString& folder)
{
    StillClock clock;
    History history;
    const QString address = QStringLiteral("127.0.0.1:27960");
    const QDateTime start = clock.now().addSecs(qint64{-30} * 60);
    for (int step = 0; step <= 60; ++step) {
        const int minute = step / 2;
        const bool down = minute >= 12 && minute < 16;
        const int players = std::clamp(6 + minute / 2 - (minute > 20 ? (minute - 20) : 0) + (step % 3 == 0), 0, 16);
        history.append(start.addSecs(qint64{step} * 30),
                       address,
                       down ? std::nullopt : std::optional<int>(48 + (step * 7) % 13),
                       down ? std::nullopt : std::optional<int>(players));
    }
    ServerHistoryWindow chart(history, clock);
    chart.config(address, QStringLiteral("Sim Quake 3 1"));
    chart.findChild<QComboBox*>(QStringLiteral("cmbInterval"))->setCurrentIndex(1);
    chart.findChild<QPushButton*>(QStringLiteral("cmdRefresh"))->click();
    return save(chart, folder + QStringLiteral("/server-history.png"));
}

bool messageHistory(const QString& folder)
{
    StillClock clock;
    AppSettings settings; // logging off: rows only
    EventLog log(settings, clock);
    log.logMessage(QStringLiteral("Sim Quake 3 1 has become active with players..."));
    clock.at = clock.at.addSecs(95);
    log.logMessage(QStringLiteral("Sim Quake 3 1 has gone offline!"));
    clock.at = clock.at.addSecs(240);
    log.logMessage(QStringLiteral("Sim Quake 3 1 is back online!"));
    clock.at = clock.at.addSecs(30);
    log.logMessage(QStringLiteral("Sim\nFriend has logged on to Sim Quake 3 1"));
    MessageHistoryWindow messages(log);
    return save(messages, folder + QStringLiteral("/message-history.png"));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: trevisk-shots FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool ok = console(folder) && serverHistory(folder) && messageHistory(folder);
    if (!ok)
        std::fprintf(stderr, "trevisk-shots: a picture could not be taken\n");
    return ok ? 0 : 1;
}
