#include "dialogs/DialogTesting.h"
#include "dialogs/FavouriteMapsDialog.h"
#include "dialogs/FriendsDialog.h"
#include "dialogs/GameLocationsDialog.h"
#include "dialogs/MapEntryDialog.h"
#include "store/Stores.h"
#include "support/RecordingReporter.h"
#include "support/TestFiles.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace trevisk;

namespace {

QStringList friendNames(const std::vector<FriendRecord>& rows)
{
    QStringList names;
    for (const FriendRecord& row : rows)
        names << row.name.value_or(QString());
    return names;
}

FavouriteMap favourite(qint32 id, const char* game, const char* map)
{
    return {id, QString::fromLatin1(game), QString::fromUtf8(map), {}};
}

QString mapsText(const std::vector<FavouriteMap>& rows)
{
    QStringList parts;
    for (const FavouriteMap& row : rows)
        parts << QStringLiteral("%1:%2:%3")
                     .arg(row.id.value_or(-1))
                     .arg(row.game.value_or(QString()), row.map.value_or(QString()));
    return parts.join(QLatin1Char('|'));
}

// Answers the text questions from a list and records their titles and defaults.
struct ScriptedText
{
    QStringList answers;
    QStringList asked;
    TextPrompt prompt()
    {
        return [this](const QString& text, const QString& title, const QString& initial) {
            asked << text + QLatin1Char('|') + title + QLatin1Char('|') + initial;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
    }
};

// Answers the map entry questions from a list.
struct ScriptedMaps
{
    QList<std::optional<MapEntry>> answers;
    QList<std::optional<MapEntry>> asked;
    MapPrompt prompt()
    {
        return [this](const std::optional<MapEntry>& current) {
            asked << current;
            return answers.isEmpty() ? std::nullopt : answers.takeFirst();
        };
    }
};

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
            const QString path = QDir(m_dir.path()).filePath(QString::fromLatin1(file));
            QFile::remove(path);
            QDir().rmdir(path);
        }
        m_prompter = ScriptedPrompter();
        m_reporter.reports.clear();
        m_changes = 0;
    }

    // Names stay in list order, duplicates included; an edit replaces in place.
    void friendsSavedInListOrder()
    {
        Stores stores(m_dir.path());
        stores.friends.rows = {{QStringLiteral("Zed"), {}}, {QStringLiteral("Alpha"), {}}};
        FriendsDialog dialog(stores, m_prompter, m_reporter, changed());
        ScriptedText text;
        text.answers = {QStringLiteral("Mike"), QStringLiteral("Alpha"), QStringLiteral("O'Neil"), QString()};
        dialog.setTextPrompt(text.prompt());
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Friends List"));

        QVERIFY(clickButton(dialog, "cmdAdd"));
        QVERIFY(clickButton(dialog, "cmdAdd"));
        dialog.list()->setCurrentRow(0);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        dialog.list()->setCurrentRow(1);
        QVERIFY(clickButton(dialog, "cmdDelete"));
        // An add answered with nothing adds nothing.
        QVERIFY(clickButton(dialog, "cmdAdd"));
        QCOMPARE(text.asked,
                 QStringList({QStringLiteral("Enter a name of a friend|Add Name|"),
                              QStringLiteral("Enter a name of a friend|Add Name|"),
                              QStringLiteral("Enter a name of a friend|Edit Name|Zed"),
                              QStringLiteral("Enter a name of a friend|Add Name|")}));
        QCOMPARE(stores.friends.rows.size(), size_t(2));
        QVERIFY(!QFile::exists(stores.filePath(FriendsFile)));

        QVERIFY(clickButton(dialog, "cmdOK"));
        const QStringList expected{QStringLiteral("O'Neil"), QStringLiteral("Mike"), QStringLiteral("Alpha")};
        QCOMPARE(friendNames(stores.friends.rows), expected);
        Stores reread(m_dir.path());
        QCOMPARE(reread.read(reread.friends, FriendsFile), QString());
        QCOMPARE(friendNames(reread.friends.rows), expected);
        QCOMPARE(m_changes, 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QVERIFY(m_prompter.asked.isEmpty());
    }

    void friendsSelectionAndCancel()
    {
        Stores stores(m_dir.path());
        stores.friends.rows = {{QStringLiteral("Alpha"), {}}};
        QCOMPARE(stores.saveFriends(), QString());
        const QByteArray before = readFile(stores.filePath(FriendsFile));
        FriendsDialog dialog(stores, m_prompter, m_reporter, changed());
        ScriptedText text;
        text.answers = {QStringLiteral("Bravo")};
        dialog.setTextPrompt(text.prompt());
        dialog.show();

        QVERIFY(clickButton(dialog, "cmdEdit"));
        QVERIFY(clickButton(dialog, "cmdDelete"));
        QCOMPARE(m_prompter.texts(),
                 QStringList({QStringLiteral("You must select a name to edit!"),
                              QStringLiteral("You must select a name to delete!")}));
        QCOMPARE(m_prompter.asked.at(0).icon, Prompter::Icon::Exclamation);
        QVERIFY(text.asked.isEmpty());

        QVERIFY(clickButton(dialog, "cmdAdd"));
        dialog.list()->setCurrentRow(0);
        QVERIFY(clickButton(dialog, "cmdDelete"));
        QCOMPARE(dialog.list()->count(), 1);
        QVERIFY(clickButton(dialog, "cmdCancel"));
        QCOMPARE(friendNames(stores.friends.rows), QStringList{QStringLiteral("Alpha")});
        QCOMPARE(readFile(stores.filePath(FriendsFile)), before);
        QCOMPARE(m_changes, 0);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    // A save that cannot be written is reported, keeps the list as it was and leaves the dialog open.
    void failedSaveIsReported()
    {
        Stores stores(m_dir.path());
        QVERIFY(QDir().mkdir(stores.filePath(FriendsFile)));
        FriendsDialog dialog(stores, m_prompter, m_reporter, changed());
        ScriptedText text;
        text.answers = {QStringLiteral("Alpha")};
        dialog.setTextPrompt(text.prompt());
        dialog.show();
        QVERIFY(clickButton(dialog, "cmdAdd"));
        QVERIFY(clickButton(dialog, "cmdOK"));
        QCOMPARE(m_reporter.reports.size(), 1);
        QVERIFY(m_reporter.reports.first().contains(QStringLiteral("cmdOK_Click()")));
        QVERIFY(stores.friends.rows.empty());
        QVERIFY(dialog.isVisible());
        QCOMPARE(m_changes, 0);
    }

    void mapEntryChecks()
    {
        MapEntryDialog entry(m_prompter);
        entry.show();
        QCOMPARE(entry.windowTitle(), QStringLiteral("Add Map"));
        auto* games = entry.findChild<QComboBox*>(QStringLiteral("cmbGames"));
        auto* map = entry.findChild<QLineEdit*>(QStringLiteral("txtMap"));
        QVERIFY(games && map);
        QCOMPARE(games->currentIndex(), -1);
        QVERIFY(games->count() > 30);
        QVERIFY(games->itemText(0).compare(games->itemText(1), Qt::CaseInsensitive) < 0);

        QVERIFY(clickButton(entry, "cmdOK"));
        games->setCurrentIndex(games->findText(QStringLiteral("Quake 3")));
        QVERIFY(clickButton(entry, "cmdOK"));
        QCOMPARE(
            m_prompter.texts(),
            QStringList({QStringLiteral("You must specify a game!"), QStringLiteral("You must specify a map name!")}));
        QVERIFY(entry.isVisible());
        QTest::keyClicks(map, QStringLiteral("q3dm17"));
        QVERIFY(clickButton(entry, "cmdOK"));
        QCOMPARE(entry.result(), int(QDialog::Accepted));
        QCOMPARE(entry.entry(), (MapEntry{QStringLiteral("Quake 3"), QStringLiteral("q3dm17")}));

        MapEntryDialog edit(m_prompter);
        edit.setMap(QStringLiteral("Halo"), QStringLiteral("bloodgulch"));
        QCOMPARE(edit.windowTitle(), QStringLiteral("Edit Map"));
        QCOMPARE(edit.entry(), (MapEntry{QStringLiteral("Halo"), QStringLiteral("bloodgulch")}));
    }

    // Exact game and map pairs are refused, apostrophes included; the same map for another game is not.
    void mapDuplicates()
    {
        Stores stores(m_dir.path());
        stores.favMaps.rows = {favourite(1, "Quake 3", "q3dm17"), favourite(2, "Quake 3", "O'Malley's")};
        FavouriteMapsDialog dialog(stores, m_prompter, m_reporter, changed());
        ScriptedMaps maps;
        maps.answers = {MapEntry{QStringLiteral("Quake 3"), QStringLiteral("O'Malley's")},
                        MapEntry{QStringLiteral("Quake 2"), QStringLiteral("O'Malley's")},
                        MapEntry{QStringLiteral("Quake 3"), QStringLiteral("O'Malley's")},
                        MapEntry{QStringLiteral("Quake 3"), QStringLiteral("q3dm17")}};
        dialog.setMapPrompt(maps.prompt());
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Favorite Maps"));
        QCOMPARE(dialog.grid()->rowCount(), 2);

        QVERIFY(clickButton(dialog, "cmdAdd"));
        QCOMPARE(m_prompter.texts(), QStringList{QStringLiteral("This map is already in the list!")});
        QVERIFY(clickButton(dialog, "cmdAdd"));
        QCOMPARE(dialog.grid()->rowCount(), 3);
        QCOMPARE(dialog.grid()->item(2, 0)->text(), QStringLiteral("Quake 2"));
        QCOMPARE(dialog.grid()->item(2, 1)->text(), QStringLiteral("O'Malley's"));

        // Editing the first map into the second is refused; leaving it as it was is not a duplicate.
        dialog.grid()->selectRow(0);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QVERIFY(maps.asked.at(2) == (MapEntry{QStringLiteral("Quake 3"), QStringLiteral("q3dm17")}));
        QCOMPARE(m_prompter.asked.size(), 2);
        QCOMPARE(mapsText(dialog.working().rows),
                 QStringLiteral("1:Quake 3:q3dm17|2:Quake 3:O'Malley's|3:Quake 2:O'Malley's"));
        QCOMPARE(stores.favMaps.rows.size(), size_t(2));
    }

    // A new map takes one more than the largest ID, so a deletion never makes two maps share one.
    void mapIdsAfterDeletion()
    {
        Stores stores(m_dir.path());
        stores.favMaps.rows = {
            favourite(1, "Quake 3", "a"), favourite(2, "Quake 3", "b"), favourite(3, "Quake 3", "c")};
        FavouriteMapsDialog dialog(stores, m_prompter, m_reporter, changed());
        ScriptedMaps maps;
        maps.answers = {MapEntry{QStringLiteral("Halo"), QStringLiteral("d")},
                        MapEntry{QStringLiteral("Halo"), QStringLiteral("c2")}};
        dialog.setMapPrompt(maps.prompt());
        dialog.show();

        QVERIFY(clickButton(dialog, "cmdEdit"));
        QVERIFY(clickButton(dialog, "cmdDelete"));
        dialog.grid()->selectRow(1);
        m_prompter.answers = {Prompter::Answer::No, Prompter::Answer::Yes};
        QVERIFY(clickButton(dialog, "cmdDelete"));
        QCOMPARE(dialog.grid()->rowCount(), 3);
        QVERIFY(clickButton(dialog, "cmdDelete"));
        QCOMPARE(m_prompter.texts(),
                 QStringList({QStringLiteral("You must select a map to edit!"),
                              QStringLiteral("You must select a map to delete!"),
                              QStringLiteral("Are you sure you want to delete this map?"),
                              QStringLiteral("Are you sure you want to delete this map?")}));
        QCOMPARE(m_prompter.asked.at(2).icon, Prompter::Icon::Question);
        QVERIFY(clickButton(dialog, "cmdAdd"));
        // The last map's row is edited, not the new one's.
        dialog.grid()->selectRow(1);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QCOMPARE(mapsText(dialog.working().rows), QStringLiteral("1:Quake 3:a|3:Halo:c2|4:Halo:d"));
        QVERIFY(stores.favMaps.rows.size() == 3 && !QFile::exists(stores.filePath(FavMapsFile)));

        QVERIFY(clickButton(dialog, "cmdOK"));
        QCOMPARE(mapsText(stores.favMaps.rows), QStringLiteral("1:Quake 3:a|3:Halo:c2|4:Halo:d"));
        Stores reread(m_dir.path());
        QCOMPARE(reread.read(reread.favMaps, FavMapsFile), QString());
        QCOMPARE(reread.favMaps.rows, stores.favMaps.rows);
        QCOMPARE(m_changes, 1);
    }

    // Stored lists may repeat an ID; the selected row is the one changed. Cancel drops it all.
    void repeatedIdsAndCancel()
    {
        Stores stores(m_dir.path());
        stores.favMaps.rows = {favourite(2, "Quake 3", "a"), favourite(2, "Quake 3", "b")};
        FavouriteMapsDialog dialog(stores, m_prompter, m_reporter, changed());
        ScriptedMaps maps;
        maps.answers = {MapEntry{QStringLiteral("Quake 3"), QStringLiteral("b2")}};
        dialog.setMapPrompt(maps.prompt());
        dialog.show();
        dialog.grid()->selectRow(1);
        QVERIFY(clickButton(dialog, "cmdEdit"));
        QCOMPARE(mapsText(dialog.working().rows), QStringLiteral("2:Quake 3:a|2:Quake 3:b2"));
        QVERIFY(clickButton(dialog, "cmdCancel"));
        QCOMPARE(mapsText(stores.favMaps.rows), QStringLiteral("2:Quake 3:a|2:Quake 3:b"));
        QVERIFY(!QFile::exists(stores.filePath(FavMapsFile)));
        QCOMPARE(m_changes, 0);
    }

    // The map entry window itself answers the maps dialog's Add.
    void mapAddedThroughEntryWindow()
    {
        Stores stores(m_dir.path());
        FavouriteMapsDialog dialog(stores, m_prompter, m_reporter, changed());
        dialog.show();
        bool filled = false;
        QTimer::singleShot(0, this, [&] {
            MapEntryDialog* entry = dialog.findChild<MapEntryDialog*>();
            if (!entry || !entry->isVisible())
                return;
            auto* games = entry->findChild<QComboBox*>(QStringLiteral("cmbGames"));
            games->setCurrentIndex(games->findText(QStringLiteral("Halo")));
            QTest::keyClicks(entry->findChild<QLineEdit*>(QStringLiteral("txtMap")), QStringLiteral("bloodgulch"));
            filled = clickButton(*entry, "cmdOK");
        });
        QVERIFY(clickButton(dialog, "cmdAdd"));
        QVERIFY(filled);
        QCOMPARE(mapsText(dialog.working().rows), QStringLiteral("1:Halo:bloodgulch"));
    }

    // Typed values follow their game through switches; Cancel leaves the shared table as it was.
    void gameLocationsKeepTypedValues()
    {
        Stores stores(m_dir.path());
        stores.gamePaths.rows = {{QStringLiteral("Quake 3"), QStringLiteral("/opt/q3/old"), QString(), {}}};
        const auto before = stores.gamePaths.rows;
        FilterRecordingPrompter prompter;
        GameLocationsDialog dialog(stores, prompter, m_reporter, changed());
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Game Locations"));
        auto* games = dialog.findChild<QComboBox*>(QStringLiteral("cmbGame"));
        auto* path = dialog.findChild<QLineEdit*>(QStringLiteral("txtPath"));
        auto* params = dialog.findChild<QLineEdit*>(QStringLiteral("txtParams"));
        QVERIFY(games && path && params);
        const QString first = games->itemText(0);
        QCOMPARE(games->currentIndex(), 0);
        QVERIFY(path->text().isEmpty());

        QTest::keyClicks(path, QStringLiteral("  /opt/first/run  "));
        QTest::keyClicks(params, QStringLiteral(" +set fs_game x "));
        games->setCurrentIndex(games->findText(QStringLiteral("Quake 3")));
        QCOMPARE(path->text(), QStringLiteral("/opt/q3/old"));
        path->clear();
        // The browse button offers programs of any name here, under the game's title.
        prompter.fileNames = {QStringLiteral("/opt/q3/quake3.x86_64")};
        QVERIFY(clickButton(dialog, "cmbOpen"));
        QCOMPARE(path->text(), QStringLiteral("/opt/q3/quake3.x86_64"));
        QCOMPARE(prompter.texts(), QStringList{QStringLiteral("Path to Quake 3")});
#ifndef Q_OS_WIN
        QVERIFY(!prompter.filters.first().contains(QStringLiteral("*.exe")));
#endif
        QVERIFY(clickButton(dialog, "cmbOpen"));
        QCOMPARE(path->text(), QStringLiteral("/opt/q3/quake3.x86_64"));

        games->setCurrentIndex(games->findText(QStringLiteral("Halo")));
        QVERIFY(path->text().isEmpty() && params->text().isEmpty());
        games->setCurrentIndex(0);
        QCOMPARE(path->text(), QStringLiteral("/opt/first/run"));
        QCOMPARE(params->text(), QStringLiteral("+set fs_game x"));

        QVERIFY(clickButton(dialog, "cmdCancel"));
        QCOMPARE(stores.gamePaths.rows, before);
        QVERIFY(!QFile::exists(stores.filePath(GamePathsFile)));
        QCOMPARE(m_changes, 0);

        // Save takes the boxes of the game on show too; games only visited get no row.
        GameLocationsDialog again(stores, prompter, m_reporter, changed());
        again.show();
        auto* path2 = again.findChild<QLineEdit*>(QStringLiteral("txtPath"));
        QTest::keyClicks(path2, QStringLiteral("/opt/first/run"));
        auto* games2 = again.findChild<QComboBox*>(QStringLiteral("cmbGame"));
        games2->setCurrentIndex(games2->findText(QStringLiteral("Halo")));
        games2->setCurrentIndex(games2->findText(QStringLiteral("Quake 3")));
        path2->setText(QStringLiteral("/opt/q3/new "));
        QVERIFY(clickButton(again, "cmdSave"));
        const std::vector<GamePath> expected{{QStringLiteral("Quake 3"), QStringLiteral("/opt/q3/new"), QString(), {}},
                                             {first, QStringLiteral("/opt/first/run"), QString(), {}}};
        QCOMPARE(stores.gamePaths.rows, expected);
        Stores reread(m_dir.path());
        QCOMPARE(reread.read(reread.gamePaths, GamePathsFile), QString());
        QCOMPARE(reread.gamePaths.rows, expected);
        QCOMPARE(m_changes, 1);
    }
};

QTEST_MAIN(TestListEditors)
#include "TestListEditors.moc"
