#include "dialogs/DialogTesting.h"
#include "dialogs/ServerDialog.h"
#include "notify/EmailSettings.h"
#include "session/Startup.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

// A data folder with one listed server, and the dialog's parts by name.
struct Fixture
{
    QTemporaryDir dir;
    AppContext context;
    ScriptedPrompter prompter;
    RecordingReporter reporter;

    Fixture()
    {
        context.dataDir = dir.path();
        context.settings = AppSettings::defaults(dir.path());
        context.stores = Stores(dir.path());
        ServerRecord listed;
        listed.address = QStringLiteral("127.0.0.5:27960");
        listed.game = QStringLiteral("Quake 3");
        listed.tray = 1;
        context.stores.servers.rows.push_back(listed);
        context.stores.custEmail.rows.push_back({listed.address, QStringLiteral("old text"), {}});
    }
    static void type(ServerDialog& dialog, const char* field, const QString& text)
    {
        child<QLineEdit>(dialog, field)->setText(text);
    }
    static void chooseGame(ServerDialog& dialog, const QString& game)
    {
        QComboBox* box = child<QComboBox>(dialog, "game");
        box->setCurrentText(game);
        emit box->activated(box->currentIndex());
    }
    QString lastText() const { return prompter.texts().value(prompter.texts().size() - 1); }
};

} // namespace

class TestServerDialog : public QObject
{
    Q_OBJECT
private slots:
    // The checks in their order, each leaving the dialog open on the control it names.
    void checksInOrder()
    {
        Fixture f;
        ServerDialog dialog(f.context, f.prompter, f.reporter);
        dialog.save();
        QCOMPARE(f.lastText(), QStringLiteral("You must select the type of game!"));
        Fixture::chooseGame(dialog, QStringLiteral("Quake 3"));
        QCOMPARE(child<QLineEdit>(dialog, "port")->text(), QStringLiteral("27960"));
        dialog.save();
        QCOMPARE(f.lastText(), QStringLiteral("You must enter the address of the server to add!"));
        Fixture::type(dialog, "address", QStringLiteral(" 127.0.0.9 "));
        // An empty port asks first; No leaves the dialog open.
        Fixture::type(dialog, "port", QString());
        f.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        dialog.save();
        QCOMPARE(f.lastText(), QStringLiteral("Port not specified, use default?"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.show();
        QTest::keyClick(child<QLineEdit>(dialog, "address"), Qt::Key_Return);
        QCOMPARE(dialog.savedAddress(), QStringLiteral("127.0.0.9:27960"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.context.stores.servers.rows.back().queryPort, std::optional<qint32>(0));
        QVERIFY(f.reporter.reports.isEmpty());
    }

    // A name is looked up without blocking and stored as its address; the tray box starts grey
    // when the setting decides; the custom text is written with the server, and only then.
    void addingByName()
    {
        Fixture f;
        f.context.settings.trayByDefault = true;
        ServerDialog dialog(f.context, f.prompter, f.reporter);
        dialog.setMessageEditor([](const QString&) { return std::optional<QString>(QStringLiteral("down again")); });
        child<QPushButton>(dialog, "customEmail")->click();
        QVERIFY(f.context.stores.custEmail.rows.size() == 1);
        Fixture::chooseGame(dialog, QStringLiteral("Half Life"));
        Fixture::type(dialog, "address", QStringLiteral("localhost"));
        QSignalSpy saved(&dialog, &ServerDialog::saved);
        dialog.save();
        QVERIFY(dialog.isLookingUp() || !saved.isEmpty());
        QVERIFY(saved.wait(5000) || !saved.isEmpty());
        QCOMPARE(dialog.savedAddress(), QStringLiteral("127.0.0.1:27015"));
        const ServerRecord& record = f.context.stores.servers.rows.back();
        QCOMPARE(record.tray, std::optional<qint32>(2));
        QCOMPARE(loadCustomMessage(f.context.stores, QStringLiteral("127.0.0.1:27015")), QStringLiteral("down again"));
    }

    // Editing: the same address is no duplicate, another listed one is; an emptied custom text
    // removes the row.
    void editing()
    {
        Fixture f;
        ServerRecord other;
        other.address = QStringLiteral("127.0.0.6:27960");
        other.game = QStringLiteral("Quake 3");
        f.context.stores.servers.rows.push_back(other);
        ServerDialog same(f.context, f.prompter, f.reporter);
        same.loadServer(QStringLiteral("127.0.0.5:27960"));
        QCOMPARE(child<QCheckBox>(same, "tray")->checkState(), Qt::Checked);
        QCOMPARE(same.customText(), QStringLiteral("old text"));
        same.save();
        QCOMPARE(same.savedAddress(), QStringLiteral("127.0.0.5:27960"));

        ServerDialog moved(f.context, f.prompter, f.reporter);
        moved.loadServer(QStringLiteral("127.0.0.5:27960"));
        Fixture::type(moved, "address", QStringLiteral("127.0.0.6"));
        moved.save();
        QCOMPARE(f.lastText(), QStringLiteral("This server is already in the list!"));
        Fixture::type(moved, "address", QStringLiteral("127.0.0.7"));
        moved.save();
        QCOMPARE(moved.savedAddress(), QStringLiteral("127.0.0.7:27960"));

        ServerDialog emptied(f.context, f.prompter, f.reporter);
        emptied.loadServer(QStringLiteral("127.0.0.7:27960"));
        emptied.setMessageEditor([](const QString&) { return std::optional<QString>(QString()); });
        child<QPushButton>(emptied, "customEmail")->click();
        emptied.save();
        QCOMPARE(f.context.stores.custEmail.rows.size(), size_t(1));
        QCOMPARE(f.context.stores.custEmail.rows.front().server,
                 std::optional<QString>(QStringLiteral("127.0.0.5:27960")));
    }
};

QTEST_MAIN(TestServerDialog)
#include "TestServerDialog.moc"
