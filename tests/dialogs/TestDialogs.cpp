#include "core/Settings.h"
#include "dialogs/DialogTesting.h"
#include "dialogs/EmailDialog.h"
#include "dialogs/FavouriteMapsDialog.h"
#include "dialogs/FriendsDialog.h"
#include "dialogs/GameLocationsDialog.h"
#include "dialogs/ServerDialog.h"
#include "dialogs/SettingsDialog.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpTestServer.h"
#include "session/Startup.h"
#include "store/Stores.h"
#include "support/ManualClock.h"
#include "support/RecordingReporter.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace trevisk;

namespace {

// A list's rows as "name" or "id:game:map", joined by "|".
template <typename Rows> QString joined(const Rows& rows)
{
    QStringList parts;
    for (const auto& row : rows) {
        if constexpr (requires { row.map; })
            parts << QStringLiteral("%1:%2:%3").arg(row.id.value_or(-1)).arg(*row.game, *row.map);
        else
            parts << row.name.value_or(QString());
    }
    return parts.join(u'|');
}

const QString Listed = QStringLiteral("127.0.0.5:27960");

// A data folder with one listed server that has a custom alert text.
struct ServerContext
{
    QTemporaryDir dir;
    AppContext context;

    ServerContext()
    {
        context.dataDir = dir.path();
        context.settings = AppSettings::defaults(dir.path());
        context.stores = Stores(dir.path());
        ServerRecord& listed = context.stores.servers.rows.emplace_back();
        listed.address = Listed;
        listed.game = QStringLiteral("Quake 3");
        listed.tray = 1;
        context.stores.custEmail.rows = {{Listed, QStringLiteral("old text"), {}}};
    }
};

void type(QWidget& dialog, const char* field, const QString& text)
{
    child<QLineEdit>(dialog, field)->setText(text);
}

void chooseGame(ServerDialog& dialog, const QString& game)
{
    QComboBox* box = child<QComboBox>(dialog, "game");
    box->setCurrentText(game);
    emit box->activated(box->currentIndex());
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_lists; // the list files, a new folder for each test
    QString m_ini = m_dir.filePath(QStringLiteral("trevisk.ini"));
    QSettings m_store{m_dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat};
    AppSettings m_live;
    ScriptedPrompter m_prompter;
    RecordingReporter m_reporter;
    RecordingSoundPlayer m_sound;
    ManualClock m_clock;
    int m_changes = 0;
    QStringList m_shown;   // text|icon|details of each result box
    QStringList m_windows; // "text fore back" of each test pop-up
    QStringList m_desktop;
    const QString m_autostart = m_dir.filePath(QStringLiteral("autostart"));
    SettingsDialogServices m_services{m_live,
                                      m_store,
                                      m_prompter,
                                      m_reporter,
                                      m_sound,
                                      changed(),
                                      [this](const QString& text, quint32 fore, quint32 back) {
                                          m_windows << QStringLiteral("%1 %2 %3").arg(text).arg(fore).arg(back);
                                      },
                                      [this](const QString& text) { m_desktop << text; },
                                      m_autostart,
                                      {QStringLiteral("/opt/trevisk/bin/trevisk")}};

    std::function<void()> changed()
    {
        return [this] { ++m_changes; };
    }
    QString lastText() const { return m_prompter.texts().value(m_prompter.texts().size() - 1); }
    QString told() const { return m_prompter.texts().join(u'|'); }
    std::unique_ptr<EmailDialog> openEmail(QSettings& store)
    {
        auto dialog = std::make_unique<EmailDialog>(store, m_prompter, m_reporter, m_clock, changed());
        dialog->setResultBox([this](const QString& text, Prompter::Icon icon, const QString& details) {
            m_shown << QStringLiteral("%1|%2|%3").arg(text).arg(int(icon)).arg(details);
        });
        dialog->show();
        return dialog;
    }
    QString stored(const char* key) const
    {
        return QSettings(m_ini, QSettings::IniFormat)
            .value(QStringLiteral("EmailNotify/") + QLatin1String(key), QStringLiteral("<none>"))
            .toString();
    }

private slots:
    void init()
    {
        m_lists = std::make_unique<QTemporaryDir>();
        QFile::remove(m_ini);
        m_store.clear();
        m_live = AppSettings::defaults(m_dir.path());
        m_prompter = ScriptedPrompter();
        m_reporter.reports.clear();
        m_changes = 0;
        m_shown.clear();
        m_windows.clear();
        m_desktop.clear();
    }

    // Names stay in list order, duplicates included; an edit replaces in place. A save that cannot
    // be written is reported and leaves the dialog open.
    void friendsSavedInListOrder()
    {
        Stores stores(m_lists->path());
        stores.friends.rows = {{QStringLiteral("Zed"), {}}, {QStringLiteral("Alpha"), {}}};
        FriendsDialog dialog(stores, m_prompter, m_reporter, changed());
        QStringList answers{QStringLiteral("Mike"), QStringLiteral("Alpha"), QStringLiteral("O'Neil"), QString()};
        QStringList asked;
        dialog.setTextPrompt([&](const QString& prompt, const QString& title, const QString& initial) {
            asked << prompt + QLatin1Char('|') + title + QLatin1Char('|') + initial;
            return answers.takeFirst();
        });
        dialog.show();
        QVERIFY(clickButton(dialog, {"cmdEdit", "cmdDelete"}));
        QCOMPARE(told(), QStringLiteral("You must select a name to edit!|You must select a name to delete!"));
        QVERIFY(asked.isEmpty());

        QVERIFY(clickButton(dialog, {"cmdAdd", "cmdAdd"}));
        dialog.list()->setCurrentRow(0);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QCOMPARE(asked.last(), QStringLiteral("Enter a name of a friend|Edit Name|Zed"));
        dialog.list()->setCurrentRow(1);
        QVERIFY(clickButton(dialog, {"cmdDelete", "cmdAdd"})); // the add answered with nothing: no row
        QCOMPARE(joined(stores.friends.rows), QStringLiteral("Zed|Alpha"));

        QVERIFY(clickButton(dialog, "cmdOK"));
        QCOMPARE(joined(stores.friends.rows), QStringLiteral("O'Neil|Mike|Alpha"));
        QVERIFY(QFile::exists(stores.filePath(FriendsFile)) && !dialog.isVisible() && m_changes == 1);

        QVERIFY(QFile::remove(stores.filePath(FriendsFile)) && QDir().mkdir(stores.filePath(FriendsFile)));
        FriendsDialog failing(stores, m_prompter, m_reporter, changed());
        failing.show();
        QVERIFY(clickButton(failing, "cmdOK"));
        QVERIFY(failing.isVisible() && m_changes == 1);
        QVERIFY(m_reporter.reports.size() == 1 && m_reporter.reports.first().contains(QStringLiteral("cmdOK_Click()")));
    }

    void mapEntryChecks()
    {
        MapEntryDialog entry(m_prompter);
        entry.show();
        auto* games = child<QComboBox>(entry, "cmbGames");
        QCOMPARE(games->currentIndex(), -1);
        QVERIFY(clickButton(entry, "cmdOK"));
        games->setCurrentIndex(games->findText(QStringLiteral("Quake 3")));
        QVERIFY(clickButton(entry, "cmdOK"));
        QCOMPARE(told(), QStringLiteral("You must specify a game!|You must specify a map name!"));
        QTest::keyClicks(child<QLineEdit>(entry, "txtMap"), QStringLiteral("q3dm17"));
        QVERIFY(clickButton(entry, "cmdOK"));
        QVERIFY(entry.result() == QDialog::Accepted
                && entry.entry() == (MapEntry{QStringLiteral("Quake 3"), QStringLiteral("q3dm17")}));
    }

    // Exact pairs are refused (apostrophes too), the same map for another game is not, and a new
    // map's ID is one above the largest, so it never repeats one left by a deletion. Stored lists
    // may repeat an ID: the selected row is the one edited. Cancel drops every edit.
    void mapDuplicatesAndIds()
    {
        Stores stores(m_lists->path());
        stores.favMaps.rows = {{1, QStringLiteral("Quake 3"), QStringLiteral("q3dm17"), {}},
                               {2, QStringLiteral("Quake 3"), QStringLiteral("O'Malley's"), {}},
                               {3, QStringLiteral("Quake 3"), QStringLiteral("c"), {}}};
        FavouriteMapsDialog dialog(stores, m_prompter, m_reporter, changed());
        QList<MapEntry> answers{{QStringLiteral("Quake 3"), QStringLiteral("O'Malley's")},
                                {QStringLiteral("Quake 2"), QStringLiteral("O'Malley's")},
                                {QStringLiteral("Quake 3"), QStringLiteral("c")},
                                {QStringLiteral("Quake 3"), QStringLiteral("c")},
                                {QStringLiteral("Quake 3"), QStringLiteral("b2")}};
        const MapPrompt prompt = [&](const std::optional<MapEntry>&) { return std::optional(answers.takeFirst()); };
        dialog.setMapPrompt(prompt);
        dialog.show();
        QVERIFY(clickButton(dialog, "cmdAdd"));
        dialog.grid()->selectRow(1);
        m_prompter.answers = {Prompter::Answer::Yes};
        QVERIFY(clickButton(dialog, {"cmdDelete", "cmdAdd"}));
        dialog.grid()->selectRow(0);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        // Leaving a map as it was is no duplicate.
        dialog.grid()->selectRow(1);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QCOMPARE(told(),
                 QStringLiteral("This map is already in the list!|Are you sure you want to delete this map?|"
                                "This map is already in the list!"));
        QVERIFY(dialog.grid()->item(2, 1)->text() == QStringLiteral("O'Malley's") && stores.favMaps.rows.size() == 3);

        QVERIFY(clickButton(dialog, "cmdOK"));
        QCOMPARE(joined(stores.favMaps.rows), QStringLiteral("1:Quake 3:q3dm17|3:Quake 3:c|4:Quake 2:O'Malley's"));
        QVERIFY(QFile::exists(stores.filePath(FavMapsFile)) && m_changes == 1);

        stores.favMaps.rows = {{2, QStringLiteral("Quake 3"), QStringLiteral("a"), {}},
                               {2, QStringLiteral("Quake 3"), QStringLiteral("b"), {}}};
        FavouriteMapsDialog repeated(stores, m_prompter, m_reporter, changed());
        repeated.setMapPrompt(prompt);
        repeated.show();
        repeated.grid()->selectRow(1);
        QVERIFY(clickButton(repeated, "cmdEdit"));
        QCOMPARE(joined(repeated.working().rows), QStringLiteral("2:Quake 3:a|2:Quake 3:b2"));
        QVERIFY(clickButton(repeated, "cmdCancel"));
        QCOMPARE(joined(stores.favMaps.rows), QStringLiteral("2:Quake 3:a|2:Quake 3:b"));
        QVERIFY(m_changes == 1 && answers.isEmpty());
    }

    // Typed values follow their game through switches, trimmed; Cancel leaves the shared table as it was.
    void gameLocations()
    {
        Stores stores(m_lists->path());
        stores.gamePaths.rows = {{QStringLiteral("Quake 3"), QStringLiteral("/opt/q3/old"), QString(), {}}};
        const auto before = stores.gamePaths.rows;
        auto dialog = std::make_unique<GameLocationsDialog>(stores, m_prompter, m_reporter, changed());
        dialog->show();
        auto* games = child<QComboBox>(*dialog, "cmbGame");
        auto* path = child<QLineEdit>(*dialog, "txtPath");
        auto* params = child<QLineEdit>(*dialog, "txtParams");
        QCOMPARE(games->currentText(), QStringLiteral("Quake 2"));
        QTest::keyClicks(path, QStringLiteral("  /opt/q2/run  "));
        QTest::keyClicks(params, QStringLiteral(" +set game ctf "));
        games->setCurrentText(QStringLiteral("Quake 3"));
        QCOMPARE(path->text(), QStringLiteral("/opt/q3/old"));
        m_prompter.fileNames = {QStringLiteral("/opt/q3/quake3.x86_64")};
        QVERIFY(clickButton(*dialog, "cmbOpen"));
        QCOMPARE(m_prompter.texts(), QStringList{QStringLiteral("Path to Quake 3")});
        games->setCurrentText(QStringLiteral("Halo"));
        QVERIFY(path->text().isEmpty() && params->text().isEmpty());
        games->setCurrentText(QStringLiteral("Quake 2"));
        QCOMPARE(path->text() + QLatin1Char('|') + params->text(), QStringLiteral("/opt/q2/run|+set game ctf"));
        QVERIFY(clickButton(*dialog, "cmdCancel"));
        QCOMPARE(stores.gamePaths.rows, before);
        QVERIFY(!QFile::exists(stores.filePath(GamePathsFile)));

        // Save takes the boxes on show too; a game only visited gets no row.
        dialog = std::make_unique<GameLocationsDialog>(stores, m_prompter, m_reporter, changed());
        dialog->show();
        for (const char* game : {"Halo", "Quake 3"})
            child<QComboBox>(*dialog, "cmbGame")->setCurrentText(QLatin1String(game));
        type(*dialog, "txtPath", QStringLiteral(" /opt/q3/new"));
        QVERIFY(clickButton(*dialog, "cmdSave"));
        const std::vector<GamePath> expected{{QStringLiteral("Quake 3"), QStringLiteral("/opt/q3/new"), QString(), {}}};
        QCOMPARE(stores.gamePaths.rows, expected);
        QVERIFY(QFile::exists(stores.filePath(GamePathsFile)) && m_changes == 1);
    }

    // An interval the list does not offer opens as "Only Once" and is saved as -1. The password is
    // never shown; an empty box keeps it, a typed one replaces it, and without a user none is kept.
    void emailLoadAndSave()
    {
        QVERIFY(writeFile(m_ini,
                          "[EmailNotify]\nInterval=45\nTimeOuts=4\nEnable=1\nSecurity=STARTTLS\nUser=ops\n"
                          "Password=s3cret\n"));
        const auto store = openSettings(m_ini);
        auto dialog = openEmail(*store);
        QCOMPARE(child<QComboBox>(*dialog, "cmbInterval")->currentText(), QStringLiteral("Only Once"));
        QCOMPARE(child<QComboBox>(*dialog, "cmbSecurity")->currentText(), QStringLiteral("STARTTLS"));
        QVERIFY(child<QLineEdit>(*dialog, "txtPassword")->text().isEmpty());
        QTest::mouseClick(child<QCheckBox>(*dialog, "chkEnable"), Qt::LeftButton);
        QVERIFY(clickButton(*dialog, "cmdSave"));
        QCOMPARE(stored("Interval") + stored("Enable") + stored("TimeOuts") + stored("Security") + stored("Password"),
                 QStringLiteral("-104starttlss3cret"));
        QCOMPARE(m_changes, 1);

        // Each row: a field set on a fresh dialog, the button pressed, then a key as stored.
        for (const auto& [field, text, button, key, after] :
             {std::tuple{"txtPassword", "n3w", "cmdSave", "Password", "n3w"},
              {"txtUser", "", "cmdSave", "Password", ""},
              {"txtSMTP", "127.0.0.1", "cmdCancel", "SMTP", ""}}) {
            dialog = openEmail(*store);
            type(*dialog, field, QLatin1String(text));
            QVERIFY(clickButton(*dialog, button));
            QCOMPARE(stored(key), QLatin1String(after));
        }
        QCOMPARE(m_changes, 3);
    }

    // The test mail goes to what is on screen, unsaved, while the window stays responsive; a failure
    // says why in the box's details.
    void emailTestMail()
    {
        SmtpTestServer server({});
        QVERIFY(server.isReady());
        const auto store = openSettings(m_ini);
        auto dialog = openEmail(*store);
        auto* test = child<QPushButton>(*dialog, "cmdTest");
        type(*dialog, "txtEmail", QStringLiteral("admin@test.example"));
        type(*dialog, "txtSMTP", server.address());
        test->click();
        QVERIFY(dialog->mailer().isBusy() && !test->isEnabled());
        const std::optional<QJsonObject> message = server.nextMessage();
        QVERIFY(message);
        QCOMPARE(message->value(QLatin1String("rcpt_tos")).toArray().first().toString(),
                 QStringLiteral("admin@test.example"));
        QTRY_COMPARE(m_shown, QStringList{QStringLiteral("Mail Sent!|%1|").arg(int(Prompter::Icon::Information))});
        QVERIFY(test->isEnabled() && stored("SMTP") == QStringLiteral("<none>"));

        const QString failed = QStringLiteral("Test Failed!|%1|").arg(int(Prompter::Icon::Critical));
        type(*dialog, "txtSMTP", QString());
        test->click();
        QCOMPARE(m_shown.size(), 2);
        QVERIFY(m_shown.last().startsWith(failed) && m_shown.last().size() > failed.size() && test->isEnabled());
    }

    // The server dialog's checks in their order, each leaving the dialog open on the control it names.
    void serverAdding()
    {
        ServerContext s;
        ServerDialog dialog(s.context, m_prompter, m_reporter);
        dialog.save();
        QCOMPARE(lastText(), QStringLiteral("You must select the type of game!"));
        chooseGame(dialog, QStringLiteral("Quake 3"));
        QCOMPARE(child<QLineEdit>(dialog, "port")->text(), QStringLiteral("27960"));
        dialog.save();
        QCOMPARE(lastText(), QStringLiteral("You must enter the address of the server to add!"));
        type(dialog, "address", QStringLiteral(" 127.0.0.9 "));
        // An empty port asks first; No leaves the dialog open.
        type(dialog, "port", QString());
        m_prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        dialog.save();
        QCOMPARE(lastText(), QStringLiteral("Port not specified, use default?"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.show();
        QTest::keyClick(child<QLineEdit>(dialog, "address"), Qt::Key_Return);
        QCOMPARE(dialog.savedAddress(), QStringLiteral("127.0.0.9:27960"));
        QVERIFY(dialog.result() == QDialog::Accepted && m_reporter.reports.isEmpty());

        // A name is looked up without blocking and stored as its address; the tray box starts grey
        // when the setting decides; the custom text is written with the server, and only then.
        s.context.settings.trayByDefault = true;
        ServerDialog named(s.context, m_prompter, m_reporter);
        named.setMessageEditor([](const QString&) { return std::optional<QString>(QStringLiteral("down again")); });
        child<QPushButton>(named, "customEmail")->click();
        QVERIFY(s.context.stores.custEmail.rows.size() == 1);
        chooseGame(named, QStringLiteral("Half Life"));
        type(named, "address", QStringLiteral("localhost"));
        QSignalSpy saved(&named, &ServerDialog::saved);
        named.save();
        QVERIFY(named.isLookingUp() || !saved.isEmpty());
        QVERIFY(!saved.isEmpty() || saved.wait(5000));
        QCOMPARE(named.savedAddress(), QStringLiteral("127.0.0.1:27015"));
        QCOMPARE(s.context.stores.servers.rows.back().tray, std::optional<qint32>(2));
        QCOMPARE(loadCustomMessage(s.context.stores, QStringLiteral("127.0.0.1:27015")), QStringLiteral("down again"));
    }

    // Editing: the same address is no duplicate, another listed one is; an emptied custom text
    // removes the row.
    void serverEditing()
    {
        ServerContext s;
        s.context.stores.servers.rows.push_back(s.context.stores.servers.rows.back());
        s.context.stores.servers.rows.back().address = QStringLiteral("127.0.0.6:27960");
        ServerDialog same(s.context, m_prompter, m_reporter);
        same.loadServer(Listed);
        QVERIFY(child<QCheckBox>(same, "tray")->checkState() == Qt::Checked
                && same.customText() == QStringLiteral("old text"));
        same.save();
        QCOMPARE(same.savedAddress(), Listed);

        ServerDialog moved(s.context, m_prompter, m_reporter);
        moved.loadServer(Listed);
        type(moved, "address", QStringLiteral("127.0.0.6"));
        moved.save();
        QCOMPARE(lastText(), QStringLiteral("This server is already in the list!"));
        type(moved, "address", QStringLiteral("127.0.0.7"));
        moved.save();
        QCOMPARE(moved.savedAddress(), QStringLiteral("127.0.0.7:27960"));

        ServerDialog emptied(s.context, m_prompter, m_reporter);
        emptied.loadServer(QStringLiteral("127.0.0.7:27960"));
        emptied.setMessageEditor([](const QString&) { return std::optional<QString>(QString()); });
        child<QPushButton>(emptied, "customEmail")->click();
        emptied.save();
        QCOMPARE(s.context.stores.custEmail.rows,
                 (std::vector<CustomMessage>{{Listed, QStringLiteral("old text"), {}}}));
    }

    // The settings open on the running values; "Save" checks first and writes nothing when a field
    // is bad, then writes every key and tells the running program; "Test" shows the colours on screen.
    void settingsOpenSaveAndTest()
    {
        m_live.popupStatusChange = false;
        SettingsDialog dialog(m_services);
        auto* refresh = child<QComboBox>(dialog, "refresh");
        QVERIFY(!child<QCheckBox>(dialog, "nss")->isChecked());

        m_prompter.colours << 0x0000FFu;
        child<QPushButton>(dialog, "pickNotifyBack")->click();
        child<QPushButton>(dialog, "testNotify")->click();
        QCOMPARE(m_windows,
                 QStringList{QStringLiteral("%1 %2 255").arg(QLatin1String(SettingsDialog::TestText)).arg(0xFF0000)});
        QVERIFY(m_desktop.isEmpty()); // the style shows windows only

        child<QCheckBox>(dialog, "nss")->setChecked(true);
        child<QCheckBox>(dialog, "noRefresh")->setChecked(true);
        refresh->setEditText(QStringLiteral("soon"));
        QVERIFY(!dialog.save() && m_changes == 0 && m_reporter.reports.size() == 1);

        // Return in a field saves; the dialog closes once it has.
        refresh->setEditText(QStringLiteral("60"));
        dialog.show();
        QTest::keyClick(child<QCheckBox>(dialog, "nss"), Qt::Key_Return);
        QVERIFY(dialog.result() == QDialog::Accepted && m_changes == 1);
        QVERIFY(m_live.refresh == 60 && m_live.notifyBack == 255u && m_live.popupStatusChange && m_live.autoRefreshOff);
        QCOMPARE(m_store.value(QStringLiteral("Notify/Back")).toString(), QStringLiteral("255"));
        QCOMPARE(AppSettings::load(m_store, m_dir.path()).popupStatusChange, true);
    }

    // Desktop notifications are chosen here and tried with "Test"; "Start with the desktop" writes
    // the autostart entry on "Save", and a later dialog shows it set and removes it.
    void settingsDesktopStyleAndAutostart()
    {
        const QString entry = m_autostart + QStringLiteral("/trevisk.desktop");
        SettingsDialog dialog(m_services);
        auto* style = child<QComboBox>(dialog, "popupStyle");
        QVERIFY(!child<QCheckBox>(dialog, "autostart")->isChecked());
        // A first run's automatic choice is the window where windows can be placed, as here.
        child<QPushButton>(dialog, "testNotify")->click();
        QVERIFY(m_desktop.isEmpty() && m_windows.size() == 1);
        style->setCurrentIndex(style->findText(QStringLiteral("Both")));
        child<QPushButton>(dialog, "testNotify")->click();
        QVERIFY(m_desktop == QStringList{QLatin1String(SettingsDialog::TestText)} && m_windows.size() == 2);

        child<QCheckBox>(dialog, "autostart")->setChecked(true);
        QVERIFY(dialog.save());
        QCOMPARE(m_live.popupStyle, PopupStyle::Both);
        QCOMPARE(m_store.value(QStringLiteral("Notify/Show")).toString(), QStringLiteral("both"));
        QVERIFY(readFile(entry).contains("\nExec=/opt/trevisk/bin/trevisk\n"));
        SettingsDialog again(m_services);
        QVERIFY(child<QCheckBox>(again, "autostart")->isChecked());
        child<QCheckBox>(again, "autostart")->setChecked(false);
        QVERIFY(again.save() && !QFile::exists(entry));

        // A folder that cannot be made: reported, and the dialog stays.
        SettingsDialogServices blocked = m_services;
        blocked.autostartFolder = m_store.fileName() + QStringLiteral("/autostart");
        SettingsDialog failing(blocked);
        child<QCheckBox>(failing, "autostart")->setChecked(true);
        QVERIFY(!failing.save() && m_reporter.reports.size() == 1);
    }
};

QTEST_MAIN(TestDialogs)
#include "TestDialogs.moc"
