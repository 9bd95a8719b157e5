#include "core/Routines.h"
#include "core/Translations.h"
#include "dialogs/DialogTesting.h"
#include "dialogs/EmailDialog.h"
#include "dialogs/MapEntryDialog.h"
#include "dialogs/MessageBoxReporter.h"
#include "dialogs/QtPrompter.h"
#include "dialogs/ServerDialog.h"
#include "history/ServerHistoryWindow.h"
#include "icons/TrayIconPainter.h"
#include "notify/NotifyWindow.h"
#include "players/ColourCodeDelegate.h"
#include "rcon/RconWindow.h"
#include "support/Contrast.h"
#include "support/MonitorFixture.h"
#include "support/TestFiles.h"
#include "tray/ServerDetailsWindow.h"
#include "tray/ServerWindows.h"
#include "update/SplashWindow.h"
#include "windows/MainWindow.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>
#include <QXmlStreamReader>

#include <algorithm>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

struct Window
{
    MonitorFixture& f;
    MainWindow main{{*f.monitor, f.context, f.prompter, f.reporter, f.popups.get()}};

    QString lastText() const { return f.prompter.texts().value(f.prompter.texts().size() - 1); }
};

// The main window's entries that open a window of their own, each without blocking the others.
const char* const MenuWindows[] = {"&Configure Trevisk...",
                                   "Email Notification...",
                                   "&Setup Game Paths...",
                                   "&Friends...",
                                   "&Favorite Maps...",
                                   "&Message History..."};

// The main window's entry of this English text, in the language loaded.
QAction* menuEntry(const MainWindow& main, const char* text)
{
    return entry(&main, QCoreApplication::translate("trevisk::MainWindow", text));
}

// Every source text of the German catalogue that reads differently in German.
QSet<QString> germanSources()
{
    QXmlStreamReader xml(readFile(QStringLiteral(TREVISK_TS_DE)));
    QSet<QString> sources;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("source"))
            source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (xml.isStartElement() && xml.name() == QLatin1String("translation")
                 && xml.readElementText(QXmlStreamReader::IncludeChildElements) != source)
            sources.insert(source);
    }
    if (xml.hasError())
        qFatal("%s: %s", TREVISK_TS_DE, qPrintable(xml.errorString()));
    return sources;
}

// The captions a person reads in a window: its title, labels, buttons, frames, menus and their entries.
QStringList captions(const QWidget* window)
{
    QStringList texts{window->windowTitle()};
    for (const QLabel* label : window->findChildren<QLabel*>())
        texts << label->text();
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        texts << button->text();
    for (const QGroupBox* box : window->findChildren<QGroupBox*>())
        texts << box->title();
    for (const QComboBox* box : window->findChildren<QComboBox*>())
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
    for (const QMenu* menu : window->findChildren<QMenu*>())
        texts << menu->title();
    for (const QAction* action : window->findChildren<QAction*>())
        texts << action->text();
    return texts;
}

// A cell's text colour and the colour behind it, as an item delegate paints them.
std::pair<QColor, QColor> cellColours(const QAbstractItemView* view, const QModelIndex& index)
{
    struct Probe : QStyledItemDelegate
    {
        using QStyledItemDelegate::initStyleOption;
    };
    QStyleOptionViewItem option;
    option.initFrom(view);
    Probe().initStyleOption(&option, index);
    const QColor paper = option.backgroundBrush.style() == Qt::NoBrush ? option.palette.color(QPalette::Base)
                                                                       : option.backgroundBrush.color();
    return {option.palette.color(QPalette::Text), paper};
}

// The controls of a window that take focus but tell a screen reader no name, and the texts that
// get less room than they need, by class and object name.
QStringList windowFaults(QWidget* window)
{
    QStringList faults;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QString what = QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName();
        // Not another window's, nor the inner editor of a field that has the name itself.
        const auto* area = qobject_cast<QAbstractScrollArea*>(widget->parentWidget());
        if (widget->window() != window || qobject_cast<QComboBox*>(widget->parentWidget())
            || qobject_cast<QAbstractSpinBox*>(widget->parentWidget()) || (area && area->viewport() == widget))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QString name = accessible ? accessible->text(QAccessible::Name) : QString();
        // Here a combo box gives its value as its name; its label is what names it.
        if (accessible && accessible->role() == QAccessible::ComboBox) {
            name = widget->accessibleName();
            for (const auto& [label, relation] : accessible->relations(QAccessible::Label))
                name += label->text(QAccessible::Name);
        }
        // A frame's title names its fields only when nothing better does: six fields would share it.
        if (const auto* frame = qobject_cast<QGroupBox*>(widget->parentWidget());
            frame && name == frame->title() && widget->accessibleName().isEmpty())
            name.clear();
        if ((widget->focusPolicy() & Qt::TabFocus) && !name.contains(QRegularExpression(QStringLiteral("\\w"))))
            faults << QStringLiteral("no name: ") + what;

        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        // A text laid out to be cut when long, such as a server's name, is left alone.
        if (!widget->isVisible() || (label && label->text().isEmpty()) || (button && button->text().isEmpty())
            || !(label || button || qobject_cast<QGroupBox*>(widget))
            || widget->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored)
            continue;
        QSize need =
            label && label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : widget->minimumSizeHint();
        // A push button's hint holds a least width for looks: its text is what must fit.
        if (qobject_cast<const QPushButton*>(widget))
            need.setWidth(widget->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))) + 8);
        if (widget->width() < need.width() || widget->height() < need.height())
            faults << QStringLiteral("clipped: ") + what;
    }
    return faults;
}

// For people: the main window with sample servers and the settings dialog, saved as `pattern`'s
// "main-window" and "settings-dialog" pictures.
void saveScreenshots(MonitorFixture& f, MainWindow& main, QDialog* settings, const QString& pattern)
{
    const QDateTime now(QDate(2026, 12, 7), QTime(21, 30, 5));
    const auto row = [&](int n, const char* game, const char* name, const char* map, int players, int friends) {
        StatusRow r = statusRow(QStringLiteral("127.0.0.1:%1").arg(27960 + n), QString::fromLatin1(game));
        r.name = QString::fromLatin1(name);
        r.answeredAt = now;
        r.lastRefresh = now.time();
        r.ping = 20 + 7 * n;
        r.players = QStringLiteral("%1/16").arg(players);
        r.friends = friends;
        r.map = QString::fromLatin1(map);
        r.state = ServerState::Up;
        return r;
    };
    std::vector<StatusRow> rows{row(1, "Quake 3", "Sim Quake 3 1", "q3dm17", 6, 0),
                                row(2, "Quake 3", "Friday Frag Night", "q3dm6", 9, 1),
                                row(3, "Half Life", "Sim Half Life 3", "crossfire", 3, 0),
                                row(4, "Unreal Tournament 2003", "Sim UT2003 4", "DM-Antalus", 0, 0),
                                row(5, "Quake 2", "Sim Quake 2 5", "q2dm1", 2, 0)};
    rows[1].colouredName = QStringLiteral("^1Friday ^3Frag ^4Night");
    rows[2].manualRefresh = true;
    rows[3].answeredAt = {};
    rows[3].offline = true;
    rows[3].state = ServerState::NoAnswer;
    f.monitor->status().reset(std::move(rows));
    main.resize(1000, 300);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QVERIFY(main.grab().save(pattern.arg(QStringLiteral("main-window"))));
    QVERIFY(QTest::qWaitForWindowExposed(settings));
    QVERIFY(settings->grab().save(pattern.arg(QStringLiteral("settings-dialog"))));
}

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

// Walks widgets and finds every text shown as markup: a label, tip, title or document that would
// render tags. Markup read as such loses its tags, whatever it does besides.
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
            if (auto* label = qobject_cast<QLabel*>(w); label && label->textFormat() == Qt::AutoText)
                text(where, label->text(), Qt::mightBeRichText(label->text()));
            else if (label)
                text(where, label->text(), label->textFormat() == Qt::RichText);
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                text(where, button->text(), false);
            if (auto* edit = qobject_cast<QTextEdit*>(w))
                text(where, edit->toPlainText(), false);
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
        // A box that does not wait for its answer is never walked: its count stays at none.
        const int before = hostileTexts;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                qFatal("no modal box");
            widget(box);
            box->close();
        });
        show();
        return hostileTexts - before;
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    // The rows' styles; under a dark theme every text colour the program pairs with a background reads
    // as well as under a light one: rows, colour codes, legend and the details window's friends.
    void rowStylesAndDarkContrast()
    {
        PaletteScope dark(darkPalette());
        MonitorFixture f;
        f.start();
        Window w{f};
        // Manual refresh before offline before friend.
        std::vector<StatusRow> rows;
        for (const auto& [manual, answered, friends] :
             {std::tuple{true, false, 2}, {false, false, 2}, {false, true, 1}, {false, true, 0}}) {
            rows.push_back(statusRow(QStringLiteral("127.0.0.%1:1").arg(rows.size()), QStringLiteral("Halo")));
            rows.back().manualRefresh = manual;
            rows.back().answeredAt = answered ? QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3)) : QDateTime();
            rows.back().friends = friends;
        }
        f.monitor->status().reset(std::move(rows));
        const QColor backgrounds[] = {QColor(192, 192, 192), QColor(255, 128, 128), QColor(128, 255, 128), {}};
        const QStringList rowNames{
            QStringLiteral("Manual Refresh"), QStringLiteral("Server Offline"), QStringLiteral("Friend Online"), {}};
        QList<std::tuple<QString, QColor, QColor>> pairs;
        const QAbstractItemModel* model = w.main.grid()->model();
        for (int row = 0; row < 4; ++row) {
            QCOMPARE(model->index(row, 0).data(Qt::BackgroundRole).value<QColor>(), backgrounds[row]);
            const auto [ink, paper] = cellColours(w.main.grid(), model->index(row, 1));
            pairs.append({QStringLiteral("row ") + rowNames[row], ink, paper});
        }
        // The colour codes, on a plain row.
        for (int code = 0; code < 8; ++code)
            pairs.append(
                {QStringLiteral("colour code %1").arg(code), codeColour(code, get<1>(pairs[3])), get<2>(pairs[3])});
        for (const QLabel* label : w.main.findChildren<QLabel*>()) {
            if (rowNames.contains(label->text()))
                pairs.append({QStringLiteral("legend ") + label->text(),
                              label->palette().color(QPalette::WindowText),
                              label->palette().color(QPalette::Window)});
        }
        // The default blue and a light colour a user may pick for friends.
        for (const quint32 friendColour : {f.context.settings.friendColour, quint32(0x00FFFF)}) {
            f.context.settings.friendColour = friendColour;
            ServerDetailsWindow details({*f.monitor, f.context, f.sound, f.prompter});
            details.update({{QStringLiteral("bob"), {}, {}, true, {}, {}}}, 1, {}, {}, 8);
            const auto* grid = details.findChild<QTableView*>(QStringLiteral("players"));
            const auto [ink, paper] = cellColours(grid, grid->model()->index(0, 1));
            QCOMPARE(ink, colourOf(friendColour)); // the user's choice stays
            pairs.append({QStringLiteral("friend player %1").arg(friendColour, 6, 16), ink, paper});
        }
        QCOMPARE(pairs.size(), 4 + 8 + 3 + 2);
        QStringList faint;
        for (const auto& [what, ink, paper] : pairs) {
            if (contrastRatio(ink, paper) < 4.5)
                faint << QStringLiteral("%1: %2 on %3, %4:1")
                             .arg(what, ink.name(), paper.name())
                             .arg(contrastRatio(ink, paper), 0, 'f', 2);
        }
        QVERIFY2(faint.isEmpty(), qPrintable(faint.join(QStringLiteral("; "))));
    }

    // Every window and dialog, walked with fonts half as large again: each control that takes the
    // focus has a name a screen reader can say, and every text gets the room it needs.
    void everyWindowNamedAndWhole()
    {
        const QFont font = QApplication::font();
        const auto restore = qScopeGuard([font] { QApplication::setFont(font); });
        QFont large = font;
        large.setPointSizeF(font.pointSizeF() * 1.5);
        QApplication::setFont(large);
        MonitorFixture f;
        f.start();
        MainWindow main{{*f.monitor, f.context, f.prompter, f.reporter, f.popups.get(), nullptr, f.log.get()}};
        ServerDetailsWindow details({*f.monitor, f.context, f.sound, f.prompter});
        RconWindow console({f.context, f.prompter});
        ServerDialog server(f.context, f.prompter, f.reporter);
        MapEntryDialog map(f.prompter);
        QList<QWidget*> windows{&main, &details, &console, &server, &map};
        // A chart per server; one that never answered is named by its address. The grid is emptied
        // again so that its hint shows.
        StatusRow alpha = statusRow(QStringLiteral("127.0.0.1:27960"));
        alpha.name = QStringLiteral("Alpha");
        f.monitor->status().reset({alpha, statusRow(QStringLiteral("127.0.0.1:27961"))});
        for (int row : {0, 1}) {
            main.grid()->clearSelection();
            main.grid()->selectRow(row);
            menuEntry(main, "History Graph...")->trigger();
            menuEntry(main, "History Graph...")->trigger();
        }
        f.monitor->status().reset({});
        // Twice: an open window is raised, not opened again.
        for (const char* text : MenuWindows) {
            menuEntry(main, text)->trigger();
            menuEntry(main, text)->trigger();
        }
        menuEntry(main, "&About...")->trigger();
        for (QDialog* dialog : main.findChildren<QDialog*>()) {
            QVERIFY2(dialog->isVisible() && !dialog->isModal(), qPrintable(dialog->windowTitle()));
            windows << dialog;
        }
        QCOMPARE(windows.size(), 14);
        QVERIFY(f.prompter.asked.isEmpty());
        QStringList titles;
        for (const ServerHistoryWindow* chart : main.findChildren<ServerHistoryWindow*>())
            titles << chart->findChild<QLabel*>(QStringLiteral("lblLabel"))->text();
        titles.sort();
        QCOMPARE(titles.join(QLatin1Char('|')),
                 QStringLiteral("Players graph for '127.0.0.1:27961'|Players graph for 'Alpha'"));
        // The longest texts the details window shows.
        details.findChild<QLabel*>(QStringLiteral("uptime"))
            ->setText(QStringLiteral("Uptime: last day 99.9%, week 99.9%, 30 days 99.9%"));
        QStringList faults;
        for (QWidget* window : windows) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            for (const QString& fault : windowFaults(window))
                faults << window->windowTitle() + QStringLiteral(": ") + fault;
        }
        // The custom e-mail text is edited in a window of its own, while it is open.
        QTimer::singleShot(0, [&] {
            QWidget* custom = QApplication::activeModalWidget();
            faults << windowFaults(custom);
            qobject_cast<QDialog*>(custom)->reject();
        });
        QVERIFY(!editCustomMessage({}, &server));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QCOMPARE(main.findChild<QLabel*>(QStringLiteral("previewNorm"))->accessibleName(),
                 QStringLiteral("Normal icon colour: black on white"));
    }

    // The first double-click on the tray icon refreshes every server; later ones only show. A message
    // box opens over the window the user works in, not in the middle of the screen.
    void trayClicksAndMessageBoxes()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        Window w{f};
        QSignalSpy requests(&server, &SimServer::requestReceived);
        w.main.trayDoubleClicked();
        QVERIFY(requests.wait(3000) && w.main.isVisible());
        w.main.hide();
        w.main.trayDoubleClicked();
        QVERIFY(w.main.isVisible());
        QVERIFY(f.refresh(server));
        QCOMPARE(requests.size(), 2);

        QApplication::setActiveWindow(&w.main);
        QTRY_COMPARE(QApplication::activeWindow(), &w.main);
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            owner = box->parentWidget();
            qobject_cast<QDialog*>(box)->reject();
        });
        QtPrompter().tell(QStringLiteral("Over the main window"), Prompter::Icon::Information);
        QCOMPARE(owner, &w.main);

        // A window unloaded while its box waits takes the box along: no answer, and no crash.
        auto* details = new QWidget;
        details->show();
        QApplication::setActiveWindow(details);
        QTRY_COMPARE(QApplication::activeWindow(), details);
        QTimer::singleShot(0, details, [details] { delete details; });
        QCOMPARE(QtPrompter().ask(QStringLiteral("Join?"), Prompter::Icon::Question, Prompter::Buttons::YesNo),
                 Prompter::Answer::Cancel);
    }

    // For people: TREVISK_SCREENSHOTS=FOLDER saves the main window and the settings dialog under a dark theme.
    void darkScreenshots()
    {
        const QString folder = qEnvironmentVariable("TREVISK_SCREENSHOTS");
        if (folder.isEmpty())
            QSKIP("no picture folder");
        PaletteScope dark(darkPalette());
        MonitorFixture f;
        f.start();
        Window w{f};
        for (int i = 0; i < SoundSlotCount; ++i)
            f.context.settings.soundPath[size_t(i)] = QStringLiteral("/opt/trevisk/sounds/%1.wav").arg(i);
        entry(&w.main, QStringLiteral("&Configure Trevisk..."))->trigger();
        saveScreenshots(f, w.main, w.main.findChild<QDialog*>(), folder + QStringLiteral("/%1-dark.png"));
    }

    // Under German no caption of the main window, its menus or the settings reads as its English
    // source; TREVISK_SCREENSHOTS=FOLDER also saves both for people, to check that the texts fit.
    void germanCaptions()
    {
        const QSet<QString> german = germanSources();
        QVERIFY(german.contains(QStringLiteral("&Configure Trevisk...")));
        Translations::load(QLocale(QLocale::German, QLocale::Germany));
        const auto english = qScopeGuard([] { Translations::unload(); });
        MonitorFixture f;
        f.start();
        Window w{f};
        for (int i = 0; i < SoundSlotCount; ++i)
            f.context.settings.soundPath[size_t(i)] = QStringLiteral("/opt/trevisk/sounds/%1.wav").arg(i);
        // Qt's own buttons come from its German catalogue.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
        for (const char* text : MenuWindows)
            menuEntry(w.main, text)->trigger();
        const QList<QDialog*> dialogs = w.main.findChildren<QDialog*>();
        QCOMPARE(dialogs.size(), 5);
        QStringList texts = captions(&w.main);
        for (const QDialog* dialog : dialogs)
            texts << dialog->windowTitle();
        for (const QString& text : texts)
            QVERIFY2(!german.contains(text), qPrintable(QStringLiteral("English caption: ") + text));

        if (const QString folder = qEnvironmentVariable("TREVISK_SCREENSHOTS"); !folder.isEmpty())
            saveScreenshots(f, w.main, dialogs.first(), folder + QStringLiteral("/%1-de.png"));
    }

    // The empty grid says how to fill it. Each entry that needs a selection says so, with its own icon;
    // the windows of later work say they are not there yet rather than doing nothing.
    void menuGuards()
    {
        MonitorFixture f;
        f.start();
        Window w{f};
        w.main.show();
        w.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.main));
        auto* empty = w.main.findChild<QLabel*>(QStringLiteral("emptyList"));
        QVERIFY(empty->isVisible());
        f.monitor->status().reset({statusRow(QStringLiteral("127.0.0.1:27500"), QStringLiteral("Halo"))});
        QVERIFY(!empty->isVisible());
        const QList<std::tuple<const char*, const char*, Prompter::Icon>> guarded{
            {"&Show Details...", "You must select a server to view!", Prompter::Icon::None},
            {"&Show Details", "You must select a server to view!", Prompter::Icon::Exclamation},
            {"&Join Server", "You must select a game to join!", Prompter::Icon::Exclamation},
            {"History Graph...", "You must select as server to view!", Prompter::Icon::Exclamation},
            {"&Edit Server...", "You must select as server to edit!", Prompter::Icon::Exclamation},
            {"&Delete Server", "You must select a server to edit!", Prompter::Icon::Exclamation},
            {"&Message History...", MainWindow::NotAvailableText, Prompter::Icon::Information}};
        for (const auto& [text, message, icon] : guarded) {
            entry(&w.main, QString::fromLatin1(text))->trigger();
            QCOMPARE(w.lastText(), QString::fromLatin1(message));
            QCOMPARE(f.prompter.asked.last().icon, icon);
        }
        w.main.grid()->selectRow(0);
        QCOMPARE(w.main.selectedAddress(), QStringLiteral("127.0.0.1:27500"));
        entry(&w.main, QStringLiteral("&Remote RCON..."))->trigger();
        QCOMPARE(w.lastText(), QStringLiteral("Remote RCON is not yet supported for Halo"));
        // The grid's menu snoozes the selected server.
        entry(&w.main, QStringLiteral("Until Turned &Back On"))->trigger();
        QVERIFY(f.monitor->alertsSnoozed(QStringLiteral("127.0.0.1:27500")));

        // Purging asks first.
        f.monitor->history().append(f.clock.now(), QStringLiteral("a:1"), 40, 3);
        f.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes << Prompter::Answer::No;
        entry(&w.main, QStringLiteral("Purge History Data"))->trigger();
        QCOMPARE(f.monitor->history().points().size(), size_t(1));
        entry(&w.main, QStringLiteral("Purge History Data"))->trigger();
        QVERIFY(f.monitor->history().points().empty());
        QCOMPARE(w.lastText(), QStringLiteral("Are you sure you want to purge history?"));

        // The keyboard reaches what the mouse does.
        QTableView* grid = w.main.grid();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(f.windows.shown, QStringList{QStringLiteral("127.0.0.1:27500")});
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(w.lastText(), QStringLiteral("Are you sure you want to delete this server?"));
        QSignalSpy exits(&w.main, &MainWindow::exitRequested);
        QTest::keyClick(grid, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(exits.size(), 1);
    }

    // The close box hides; Exit saves the placement (not while minimised) and asks to end.
    void closeExitAndPlacement()
    {
        MonitorFixture f;
        f.start();
        {
            Window w{f};
            QSignalSpy shown(f.popups.get(), &NotificationQueue::showRequested);
            w.main.load();
            QCOMPARE(shown.first().first().toString(), QString::fromLatin1(MainWindow::LoadedText));
            // Offscreen there is no tray: the window stays in reach and says why.
            QVERIFY(w.main.isVisible() && w.main.statusBar()->currentMessage().contains(QStringLiteral("tray")));
            w.main.close();
            QVERIFY(!w.main.isVisible());
            w.main.setGeometry(40, 60, 700, 300);
            w.main.grid()->horizontalHeader()->moveSection(0, 3);
            w.main.exitProgram();
        }
        QSettings& store = *f.context.settingsStore;
        QCOMPARE(store.value(QStringLiteral("Window/Width")).toString(), QStringLiteral("10500"));
        Window again{f};
        again.main.restorePlacement();
        QCOMPARE(again.main.geometry(), QRect(40, 60, 700, 300));
        QCOMPARE(again.main.grid()->horizontalHeader()->visualIndex(0), 3);

        store.remove(QStringLiteral("Window"));
        again.main.showMinimized();
        again.main.exitProgram();
        QVERIFY(!store.contains(QStringLiteral("Window/Width")));
    }

    // Every stored order of up to six moved columns comes back as it was saved.
    void columnOrderRoundTrips()
    {
        QStandardItemModel model(1, 8);
        for (int moved = 2; moved <= 6; ++moved) {
            QList<int> order(8);
            std::iota(order.begin(), order.end(), 0);
            do {
                QList<int> positions(8);
                for (int visual = 0; visual < 8; ++visual)
                    positions[order[visual]] = visual;
                QHeaderView header(Qt::Horizontal);
                header.setModel(&model);
                MainWindow::restoreColumnOrder(header, positions);
                for (int visual = 0; visual < 8; ++visual)
                    QCOMPARE(header.logicalIndex(visual), order[visual]);
            } while (std::next_permutation(order.begin(), order.begin() + moved));
        }
    }

    // The tip of any text shows that text, line breaks and all; a title shows "[*]" as it is.
    void tipsShowTheirText()
    {
        for (const char* text :
             {"Lab Arena", HostileName.data(), "&lt; a & b &amp;", "<b>x</b>...\r\nQ  Map: <h1>m", ""}) {
            const QString tip = plainTip(QString::fromLatin1(text));
            QTextDocument document;
            document.setHtml(tip);
            QCOMPARE(Qt::mightBeRichText(tip) ? document.toPlainText() : tip,
                     QString::fromLatin1(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        }
        QCOMPARE(plainTitle(QStringLiteral("a [*] b [*][*]")), QStringLiteral("a [*][*] b [*][*][*][*]"));
    }

    // A server, its players, its rcon replies and the user's files all hold markup: no window,
    // tip, title or box shows it as anything but text.
    void noWindowReadsMarkup()
    {
        MonitorFixture f;
        // The details windows go before the monitor that feeds them.
        ServerWindows trays(f.context, f.sound, f.prompter);
        const auto unload = qScopeGuard([&] { f.monitor.reset(); });
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
        f.start(&trays);
        trays.setMonitor(f.monitor.get());
        QVERIFY(f.settle());
        QTRY_VERIFY(popup.isVisible());
        QVERIFY(!f.logged.isEmpty());

        MainWindow main({*f.monitor, f.context, f.prompter, f.reporter, f.popups.get(), &f.sound, f.log.get()});
        main.show();
        main.grid()->selectRow(0);
        menuEntry(main, "History Graph...")->trigger();
        menuEntry(main, "&Remote RCON...")->trigger();
        for (const char* text : MenuWindows)
            menuEntry(main, text)->trigger();
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
            if (top == &popup || top == &main || top == console || top == trays.window(server.address()))
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
        QVERIFY2(walk.problems.isEmpty(), qPrintable(walk.problems.join(u'\n')));
        console->close();
    }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
