#include "dialogs/DialogTesting.h"
#include "dialogs/FavouriteMapsDialog.h"
#include "dialogs/FriendsDialog.h"
#include "dialogs/GameLocationsDialog.h"
#include "store/Stores.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedPrompter.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace trevisk;

namespace {

QString friendsText(const std::vector<FriendRecord>& rows)
{
    QStringList names;
    for (const FriendRecord& row : rows)
        names << row.name.value_or(QString());
    return names.join(QLatin1Char('|'));
}

QString mapsText(const std::vector<FavouriteMap>& rows)
{
    QStringList parts;
    for (const FavouriteMap& row : rows)
        parts << QStringLiteral("%1:%2:%3").arg(row.id.value_or(-1)).arg(*row.game, *row.map);
    return parts.join(QLatin1Char('|'));
}

MapPrompt scriptedMaps(QList<MapEntry>& answers)
{
    return [&answers](const std::optional<MapEntry>&) {
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    };
}

} // namespace

class TestListEditors : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ScriptedPrompter m_prompter;
    RecordingReporter m_reporter;
    int m_changes = 0;
    std::function<void()> changed()
    {
        return [this] { ++m_changes; };
    }

private slots:
    void init()
    {
        for (const char* file : {FriendsFile, FavMapsFile, GamePathsFile}) {
            QFile::remove(QDir(m_dir.path()).filePath(QString::fromLatin1(file)));
            QDir(m_dir.path()).rmdir(QString::fromLatin1(file));
        }
        m_prompter = ScriptedPrompter();
        m_reporter.reports.clear();
        m_changes = 0;
    }

    // Names stay in list order, duplicates included; an edit replaces in place. A save that cannot
    // be written is reported and leaves the dialog open.
    void friendsSavedInListOrder()
    {
        Stores stores(m_dir.path());
        stores.friends.rows = {{QStringLiteral("Zed"), {}}, {QStringLiteral("Alpha"), {}}};
        FriendsDialog dialog(stores, m_prompter, m_reporter, changed());
        QStringList answers{QStringLiteral("Mike"), QStringLiteral("Alpha"), QStringLiteral("O'Neil"), QString()};
        QStringList asked;
        dialog.setTextPrompt([&](const QString& prompt, const QString& title, const QString& initial) {
            asked << prompt + QLatin1Char('|') + title + QLatin1Char('|') + initial;
            return answers.takeFirst();
        });
        dialog.show();
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QVERIFY(clickButton(dialog, "cmdDelete"));
        QCOMPARE(m_prompter.texts().join(QLatin1Char('|')),
                 QStringLiteral("You must select a name to edit!|You must select a name to delete!"));
        QVERIFY(asked.isEmpty());

        QVERIFY(clickButton(dialog, "cmdAdd"));
        QVERIFY(clickButton(dialog, "cmdAdd"));
        dialog.list()->setCurrentRow(0);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QCOMPARE(asked.last(), QStringLiteral("Enter a name of a friend|Edit Name|Zed"));
        dialog.list()->setCurrentRow(1);
        QVERIFY(clickButton(dialog, "cmdDelete"));
        QVERIFY(clickButton(dialog, "cmdAdd")); // answered with nothing: no row
        QCOMPARE(friendsText(stores.friends.rows), QStringLiteral("Zed|Alpha"));

        QVERIFY(clickButton(dialog, "cmdOK"));
        QCOMPARE(friendsText(stores.friends.rows), QStringLiteral("O'Neil|Mike|Alpha"));
        QVERIFY(QFile::exists(stores.filePath(FriendsFile)));
        QCOMPARE(m_changes, 1);
        QVERIFY(!dialog.isVisible());

        QVERIFY(QFile::remove(stores.filePath(FriendsFile)) && QDir().mkdir(stores.filePath(FriendsFile)));
        FriendsDialog failing(stores, m_prompter, m_reporter, changed());
        failing.show();
        QVERIFY(clickButton(failing, "cmdOK"));
        QCOMPARE(m_reporter.reports.size(), 1);
        QVERIFY(m_reporter.reports.first().contains(QStringLiteral("cmdOK_Click()")));
        QVERIFY(failing.isVisible());
        QCOMPARE(m_changes, 1);
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
        QCOMPARE(m_prompter.texts().join(QLatin1Char('|')),
                 QStringLiteral("You must specify a game!|You must specify a map name!"));
        QTest::keyClicks(child<QLineEdit>(entry, "txtMap"), QStringLiteral("q3dm17"));
        QVERIFY(clickButton(entry, "cmdOK"));
        QCOMPARE(entry.result(), int(QDialog::Accepted));
        QVERIFY(entry.entry() == (MapEntry{QStringLiteral("Quake 3"), QStringLiteral("q3dm17")}));
    }

    // Exact pairs are refused (apostrophes too), the same map for another game is not, and a new
    // map's ID is one above the largest, so it never repeats one left by a deletion.
    void mapDuplicatesAndIds()
    {
        Stores stores(m_dir.path());
        stores.favMaps.rows = {{1, QStringLiteral("Quake 3"), QStringLiteral("q3dm17"), {}},
                               {2, QStringLiteral("Quake 3"), QStringLiteral("O'Malley's"), {}},
                               {3, QStringLiteral("Quake 3"), QStringLiteral("c"), {}}};
        FavouriteMapsDialog dialog(stores, m_prompter, m_reporter, changed());
        QList<MapEntry> answers{{QStringLiteral("Quake 3"), QStringLiteral("O'Malley's")},
                                {QStringLiteral("Quake 2"), QStringLiteral("O'Malley's")},
                                {QStringLiteral("Quake 3"), QStringLiteral("c")},
                                {QStringLiteral("Quake 3"), QStringLiteral("c")}};
        dialog.setMapPrompt(scriptedMaps(answers));
        dialog.show();
        QVERIFY(clickButton(dialog, "cmdAdd"));
        dialog.grid()->selectRow(1);
        m_prompter.answers = {Prompter::Answer::Yes};
        QVERIFY(clickButton(dialog, "cmdDelete"));
        QVERIFY(clickButton(dialog, "cmdAdd"));
        dialog.grid()->selectRow(0);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        // Leaving a map as it was is no duplicate.
        dialog.grid()->selectRow(1);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QCOMPARE(m_prompter.texts().join(QLatin1Char('|')),
                 QStringLiteral("This map is already in the list!|Are you sure you want to delete this map?|"
                                "This map is already in the list!"));
        QCOMPARE(dialog.grid()->item(2, 1)->text(), QStringLiteral("O'Malley's"));
        QCOMPARE(stores.favMaps.rows.size(), size_t(3));

        QVERIFY(clickButton(dialog, "cmdOK"));
        QCOMPARE(mapsText(stores.favMaps.rows), QStringLiteral("1:Quake 3:q3dm17|3:Quake 3:c|4:Quake 2:O'Malley's"));
        QVERIFY(QFile::exists(stores.filePath(FavMapsFile)));
        QCOMPARE(m_changes, 1);
    }

    // Stored lists may repeat an ID: the selected row is the one edited. Cancel drops every edit.
    void mapsRepeatedIdsAndCancel()
    {
        Stores stores(m_dir.path());
        stores.favMaps.rows = {{2, QStringLiteral("Quake 3"), QStringLiteral("a"), {}},
                               {2, QStringLiteral("Quake 3"), QStringLiteral("b"), {}}};
        FavouriteMapsDialog dialog(stores, m_prompter, m_reporter, changed());
        QList<MapEntry> answers{{QStringLiteral("Quake 3"), QStringLiteral("b2")}};
        dialog.setMapPrompt(scriptedMaps(answers));
        dialog.show();
        dialog.grid()->selectRow(1);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QCOMPARE(mapsText(dialog.working().rows), QStringLiteral("2:Quake 3:a|2:Quake 3:b2"));
        QVERIFY(clickButton(dialog, "cmdCancel"));
        QCOMPARE(mapsText(stores.favMaps.rows), QStringLiteral("2:Quake 3:a|2:Quake 3:b"));
        QVERIFY(!QFile::exists(stores.filePath(FavMapsFile)));
        QCOMPARE(m_changes, 0);
    }

    // Typed values follow their game through switches, trimmed; Cancel leaves the shared table as it was.
    void gameLocations()
    {
        Stores stores(m_dir.path());
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
        games = child<QComboBox>(*dialog, "cmbGame");
        games->setCurrentText(QStringLiteral("Halo"));
        games->setCurrentText(QStringLiteral("Quake 3"));
        child<QLineEdit>(*dialog, "txtPath")->setText(QStringLiteral(" /opt/q3/new"));
        QVERIFY(clickButton(*dialog, "cmdSave"));
        const std::vector<GamePath> expected{{QStringLiteral("Quake 3"), QStringLiteral("/opt/q3/new"), QString(), {}}};
        QCOMPARE(stores.gamePaths.rows, expected);
        QVERIFY(QFile::exists(stores.filePath(GamePathsFile)));
        QCOMPARE(m_changes, 1);
    }
};

QTEST_MAIN(TestListEditors)
#include "TestListEditors.moc"
