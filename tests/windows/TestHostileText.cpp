#include "core/Routines.h"
#include "dialogs/DialogTesting.h"
#include "dialogs/EmailDialog.h"
#include "dialogs/MessageBoxReporter.h"
#include "dialogs/QtPrompter.h"
#include "dialogs/ServerDialog.h"
#include "notify/NotifyWindow.h"
#include "rcon/RconWindow.h"
#include "support/MonitorFixture.h"
#include "tray/ServerWindows.h"
#include "update/SplashWindow.h"
#include "windows/MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

// What servers, players and files send. Read as markup, the name would read /dev/zero until memory
// runs out, and "[*]" would vanish from a window title.
const QByteArray HostileName = "<img src=/dev/zero>Zero[*]<font color=red size=6><b>FAKE ALERT</b></font>";
const QByteArray HostileMap = "<h1>BIGMAP</h1>";
const QByteArray HostilePlayer = "<i>SHOUT</i>";

// Each word of the hostile texts, wherever it shows, stands behind its tags shown as text.
const std::pair<const char*, const char*> Marks[] = {
    {"Zero", "<img src=/dev/zero>"},
    {"FAKE ALERT", "[*]<font color=red size=6><b>"},
    {"BIGMAP", "<h1>"},
    {"SHOUT", "<i>"},
};

// Walks widgets and finds every text shown as markup: a label, tip or title that would render
// tags, a document with an image, a heading or text formatting other than colour.
struct Walk
{
    QStringList problems;
    int hostileTexts = 0; // texts seen that hold a hostile word

    void text(const QString& where, const QString& text, bool rich)
    {
        QString shown = text;
        if (rich) {
            QTextDocument document;
            document.setHtml(text);
            this->document(where, document);
            shown = document.toPlainText();
        }
        bool hostile = false;
        for (const auto& [word, tags] : Marks) {
            for (qsizetype at = shown.indexOf(QLatin1String(word)); at >= 0;
                 at = shown.indexOf(QLatin1String(word), at + 1)) {
                hostile = true;
                if (!QStringView(shown).left(at).endsWith(QLatin1String(tags)))
                    problems << where + QStringLiteral(" shows ") + shown;
            }
        }
        hostileTexts += hostile ? 1 : 0;
    }

    void document(const QString& where, const QTextDocument& document)
    {
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() > 0)
                problems << where + QStringLiteral(" has a heading");
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                if (format.isImageFormat() || format.isAnchor() || format.fontWeight() > QFont::Normal
                    || format.fontItalic() || format.hasProperty(QTextFormat::FontSizeAdjustment)
                    || format.hasProperty(QTextFormat::FontPointSize))
                    problems << where + QStringLiteral(" is formatted: ") + it.fragment().text();
            }
        }
    }

    void widget(QWidget* top)
    {
        QList<QWidget*> widgets = top->findChildren<QWidget*>();
        widgets.prepend(top);
        for (QWidget* w : widgets) {
            const QString where =
                QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
            // Tool tips are always read as markup when they look like it.
            text(where + QStringLiteral(" tip"), w->toolTip(), Qt::mightBeRichText(w->toolTip()));
            if (w->isWindow()) {
                // The title as the window system gets it.
                w->winId();
                text(where + QStringLiteral(" title"), w->windowHandle()->title(), false);
            }
            if (auto* label = qobject_cast<QLabel*>(w)) {
                const Qt::TextFormat format = label->textFormat();
                text(where,
                     label->text(),
                     format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(label->text())));
            }
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                text(where, button->text(), false);
            if (auto* edit = qobject_cast<QTextEdit*>(w)) {
                document(where, *edit->document());
                text(where, edit->toPlainText(), false);
            }
            // A header shows its own view's model.
            if (auto* view = qobject_cast<QAbstractItemView*>(w);
                view && view->model() && !qobject_cast<QHeaderView*>(w)) {
                const QAbstractItemModel& model = *view->model();
                for (int row = 0; row < model.rowCount(); ++row) {
                    for (int column = 0; column < model.columnCount(); ++column) {
                        const QModelIndex index = model.index(row, column);
                        text(where, index.data().toString(), false);
                        const QString tip = index.data(Qt::ToolTipRole).toString();
                        text(where + QStringLiteral(" tip"), tip, Qt::mightBeRichText(tip));
                    }
                }
            }
        }
        for (const QSystemTrayIcon* tray : top->findChildren<QSystemTrayIcon*>())
            text(QStringLiteral("tray tip"), tray->toolTip(), Qt::mightBeRichText(tray->toolTip()));
    }

    // The modal box that `show` opens, walked and then closed.
    int modal(const std::function<void()>& show)
    {
        const int before = hostileTexts;
        bool walked = false;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                qFatal("no modal box");
            widget(box);
            walked = true;
            box->close();
        });
        show();
        return walked ? hostileTexts - before : -1;
    }
};

// The monitor with the real details windows; they go before the monitor that feeds them.
struct Scene
{
    MonitorFixture f;
    ServerWindows trays{f.context, f.sound, f.prompter};
    ~Scene() { f.monitor.reset(); }
};

} // namespace

class TestHostileText : public QObject
{
    Q_OBJECT
private slots:
    // The tip of any text shows that text, line breaks and all.
    void tipsShowTheirText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QStringLiteral("Lab Arena") << QStringLiteral("Lab Arena");
        QTest::newRow("markup") << QString::fromLatin1(HostileName) << QString::fromLatin1(HostileName);
        QTest::newRow("entities") << QStringLiteral("&lt; a & b &amp;") << QStringLiteral("&lt; a & b &amp;");
        QTest::newRow("lines") << QStringLiteral("<b>x</b>...\r\nQuake 3  Map: <h1>m")
                               << QStringLiteral("<b>x</b>...\nQuake 3  Map: <h1>m");
        QTest::newRow("empty") << QString() << QString();
    }
    void tipsShowTheirText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        const QString tip = plainTip(text);
        QTextDocument document;
        document.setHtml(tip);
        QCOMPARE(Qt::mightBeRichText(tip) ? document.toPlainText() : tip, shown);
        QCOMPARE(plainTitle(QStringLiteral("a [*] b [*][*]")), QStringLiteral("a [*][*] b [*][*][*][*]"));
    }

    // A server, its players, its rcon replies and the user's files all hold markup: no window,
    // tip, title or box shows it as anything but text.
    void noWindowReadsMarkup()
    {
        Scene s;
        MonitorFixture& f = s.f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"), 2);
        server.state().hostname = HostileName;
        server.state().map = HostileMap;
        server.state().players.front().name = HostilePlayer;
        server.state().rconPassword = "secret";
        const QString player = QString::fromLatin1(HostilePlayer);
        const QString map = QString::fromLatin1(HostileMap);
        f.context.stores.servers.rows.back().tray = 1;
        f.context.stores.servers.rows.back().memo = QString::fromLatin1(HostileName);
        f.context.stores.friends.rows = {{player, {}}};
        f.context.stores.favMaps.rows = {{1, QStringLiteral("Quake 3"), map, {}}};
        f.context.stores.gamePaths.rows = {{QStringLiteral("Quake 3"), map, map, {}}};
        f.context.settings.popupFriends = true;
        f.context.settings.soundPath[0] = map;
        f.popups->setRestInterval(60s);

        NotifyWindow popup(*f.popups);
        f.start(&s.trays);
        s.trays.setMonitor(f.monitor.get());
        QVERIFY(f.settle());
        QTRY_VERIFY(popup.isVisible());
        QVERIFY(!f.logged.isEmpty());

        MainWindow main({*f.monitor, f.context, f.prompter, f.reporter, f.popups.get(), &f.sound, f.log.get()});
        main.show();
        main.grid()->selectRow(0);
        for (const char* text : {"&Message History...",
                                 "History Graph...",
                                 "&Remote RCON...",
                                 "&Configure Trevisk...",
                                 "Email Notification...",
                                 "&Setup Game Paths...",
                                 "&Friends...",
                                 "&Favorite Maps..."})
            entry(&main, QString::fromLatin1(text))->trigger();
        f.monitor->showServerWindow(server.address(), {}, QStringLiteral("Quake 3"), true);
        ServerDialog edit(f.context, f.prompter, f.reporter);
        edit.loadServer(server.address());
        edit.show();
        SplashWindow splash;
        splash.show();

        // The remote console's log gets the server's status: its map and players.
        auto* console = RconWindow::find(server.address());
        QVERIFY(console);
        child<QLineEdit>(*console, "password")->setText(QStringLiteral("secret"));
        child<QComboBox>(*console, "command")->setEditText(QStringLiteral("status"));
        QVERIFY(clickButton(*console, "send"));
        QTRY_VERIFY(console->findChild<QTextEdit*>()->toPlainText().contains(QLatin1String("SHOUT")));

        Walk walk;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            const int before = walk.hostileTexts;
            walk.widget(top);
            const bool shows = walk.hostileTexts > before;
            // Each window that carries the server's texts was seen to carry them.
            if (top == &popup || top == &main || top == console || top == s.trays.window(server.address()))
                QVERIFY2(shows, top->metaObject()->className());
        }
        QVERIFY(walk.hostileTexts >= 12);

        // Every kind of box, with the least count of hostile texts each shows.
        QtPrompter prompter;
        MessageBoxReporter reporter;
        const QString name = QString::fromLatin1(HostileName);
        const std::pair<int, std::function<void()>> boxes[] = {
            {1, [&] { prompter.tell(name, Prompter::Icon::Exclamation); }},
            {2, [&] { prompter.askTitled(name, name, Prompter::Icon::None, Prompter::Buttons::Ok); }},
            {3, [&] { prompter.choose(name, name, {player}); }},
            {1, [&] { reporter.showReport(name); }},
            {1, [&] { showExclamation(name); }}};
        for (const auto& [least, show] : boxes)
            QVERIFY(walk.modal(show) >= least);
        showResultBox(&main, name, Prompter::Icon::Information, name);
        const int before = walk.hostileTexts;
        walk.widget(main.findChild<QMessageBox*>());
        QVERIFY(walk.hostileTexts > before);
        walk.problems.removeDuplicates();
        for (const QString& problem : walk.problems)
            qWarning("%s", qPrintable(problem));
        QVERIFY(walk.problems.isEmpty());
        console->close();
    }
};

QTEST_MAIN(TestHostileText)
#include "TestHostileText.moc"
