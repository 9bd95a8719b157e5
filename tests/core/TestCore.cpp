#include "core/Catalogue.h"
#include "core/ErrorText.h"
#include "core/Routines.h"
#include "core/Settings.h"
#include "core/SettingsForm.h"
#include "core/Sound.h"
#include "core/Translations.h"
#include "monitor/StatusTable.h"
#include "query/AnswerCheck.h"
#include "status/StatusModel.h"
#include "store/ServerListXml.h"
#include "store/Stores.h"
#include "support/RecordingReporter.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TestFiles.h"
#include "web/StatusPages.h"

#include <QBuffer>
#include <QDir>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestCore : public QObject
{
    Q_OBJECT
private slots:
    // A build or portable copy keeps its sounds beside the program, an install under share/.
    void soundFolderBesideOrInstalled()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin"));
        const QString installed = prefix.filePath(QStringLiteral("share/trevisk/sounds"));
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(soundFolder(bin), bin + QStringLiteral("/sounds"));
        QVERIFY(QDir().mkpath(installed));
        QCOMPARE(AppSettings::defaults(bin).soundPath.at(5), installed + QStringLiteral("/5.wav"));
        QVERIFY(QDir().mkpath(bin + QStringLiteral("/sounds")));
        QCOMPARE(soundFolder(bin), bin + QStringLiteral("/sounds"));
    }

    // Loading writes nothing; a save is read back as written, colours as decimal text.
    void roundTripAsText()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trevisk.ini"));
        AppSettings written = AppSettings::load(*openSettings(path), QStringLiteral("/p"));
        QVERIFY(!QFile::exists(path));
        written.refresh = 120;
        written.logFile = QStringLiteral("/var/log/trevisk, events.log");
        written.icons.back = 0xFFFFFFFF;
        written.friendColour = 0xFF0000;
        written.soundEnable.at(2) = QStringLiteral("0");
        written.soundPath.at(5) = QStringLiteral("/x/map.wav");
        written.popupStyle = PopupStyle::Both;
        written.save(*openSettings(path));
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("Settings/FriendColor")).toString(),
                 QStringLiteral("16711680"));

        const AppSettings read = AppSettings::load(*openSettings(path), QStringLiteral("/p"));
        const auto saved = [](const AppSettings& s) {
            return std::tuple(s.refresh, s.logFile, s.icons, s.friendColour, s.soundEnable, s.soundPath, s.popupStyle);
        };
        QVERIFY(saved(read) == saved(written));
        QVERIFY(!read.soundEnabled(2) && read.soundEnabled(3));
    }

    // Stored choices keep their meaning; a first run, or "automatic", is the sliding window where
    // windows can be placed and the desktop's notifications where they cannot (Wayland).
    void storedValues()
    {
        using enum PopupStyle;
        const struct
        {
            const char* stored; // null: a first run
            PopupStyle onX11, onWayland;
        } cases[] = {{nullptr, Window, Desktop},
                     {"automatic", Window, Desktop},
                     {"window", Window, Window},
                     {"desktop", Desktop, Desktop},
                     {"both", Both, Both}};
        for (const auto& [stored, onX11, onWayland] : cases) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("trevisk.ini"));
            if (stored)
                QVERIFY(writeFile(path, "[Notify]\nShow=" + QByteArray(stored)));
            const AppSettings read = AppSettings::load(*openSettings(path), QString());
            QCOMPARE(resolvedPopupStyle(read.popupStyle, true), onX11);
            QCOMPARE(resolvedPopupStyle(read.popupStyle, false), onWayland);
            read.save(*openSettings(path));
            QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("Notify/Show")).toString(),
                     QString::fromLatin1(stored ? stored : "automatic"));
        }

        // Out of range, not a number or an unknown name: the default; spaces are forgiven.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trevisk.ini"));
        QVERIFY(writeFile(
            path, "[Settings]\nRefresh=soon\nNSS=40000\nLogging=\" 1 \"\n[Icon]\nOff=red\n[Notify]\nShow=balloon\n"));
        const AppSettings s = AppSettings::load(*openSettings(path), QString());
        QVERIFY(std::tuple(s.refresh, s.popupStatusChange, s.icons.off, s.logging, s.popupStyle)
                == std::tuple(qint16(30), true, 255u, true, PopupStyle::Automatic));
        QCOMPARE(popupStyleNamed(QStringLiteral(" Desktop ")), PopupStyle::Desktop);
        QCOMPARE(toInt16(QStringLiteral("32768")), std::nullopt);
        QCOMPARE(toInt16(QStringLiteral("2.5")), std::optional<qint16>(2));
        QCOMPARE(toInt16(QString()), std::nullopt);
    }

    // The dialog's save checks every field before it writes any; a short interval is raised
    // to the floor; the running program takes the new values except the start-up-only one.
    void dialogSaveChecksFirst()
    {
        QTemporaryDir dir;
        const auto store = openSettings(dir.filePath(QStringLiteral("trevisk.ini")));
        AppSettings live = AppSettings::defaults(QStringLiteral("/p"));
        AppSettings edited = live;
        edited.popupStatusChange = false;
        edited.notifyNewVersion = false;
        for (const char* bad : {"soon", "40000"}) {
            const SettingsSave refused = saveSettingsForm(QString::fromLatin1(bad), edited, *store, live);
            QCOMPARE(refused.field, QStringLiteral("Refresh Interval"));
            QVERIFY(!refused.ok && store->allKeys().isEmpty() && live.popupStatusChange);
        }
        QVERIFY(saveSettingsForm(QStringLiteral(" 3 "), edited, *store, live).ok);
        QVERIFY(live.refreshSeconds() == 5 && !live.popupStatusChange && live.notifyNewVersion);
        QCOMPARE(store->value(QStringLiteral("Settings/Refresh")).toString(), QStringLiteral("5"));
        QCOMPARE(store->value(QStringLiteral("Settings/VerNotify")).toString(), QStringLiteral("0"));
        live.refresh = -10;
        QCOMPARE(live.refreshSeconds(), 5);
    }

    void catalogue()
    {
        const struct
        {
            const char *game, *address;
            int explicitPort, expected;
        } cases[] = {
            {"Quake 2", "h:27910", 0, 27910},
            {"Unreal Tournament", "h:7777", 0, 7778},      // plus one
            {"Unreal Tournament 2003", "h:7777", 0, 7787}, // plus ten
            {"Raven Shield", "h:7777", 0, 8777},           // plus a thousand
            {"Alien vs. Predator 2", "h:27888", 0, 27888}, // -1 keeps the game port
            {"Battlefield 1942", "h:14567", 0, 23000},     // a fixed port
            {"Quake 2", "h", 0, 27910},                    // no colon
            {"Unreal", "h", 0, 27911},
            {"Unreal Tournament", "[::1]:7777", 0, 7778},
            {"Battlefield 1942", "h:14567", 4000, 4000}, // the explicit one wins
            {"Nothing", "h:1234", 0, 1234},              // an unknown game
        };
        for (const auto& [game, address, explicitPort, expected] : cases)
            QVERIFY2(queryPort(QString::fromLatin1(game), QString::fromLatin1(address), explicitPort) == expected,
                     game);

        // The sorted game list ignores case.
        const QStringList list = sortedGameList();
        QCOMPARE(list.size(), qsizetype(games().size()));
        QVERIFY(std::is_sorted(list.cbegin(), list.cend(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
        QVERIFY(list.indexOf(QStringLiteral("Raven Shield")) < list.indexOf(QStringLiteral("RTCW")));
    }

    void addressSplit()
    {
        const struct
        {
            const char* address;
            bool valid;
            const char *host, *port; // port "-" when there is none
        } cases[] = {
            {"127.0.0.1:27960", true, "127.0.0.1", "27960"},
            {"name.example:1", true, "name.example", "1"},
            {"h", true, "h", "-"},
            {"h:", true, "h", ""},
            {"[::1]:27960", true, "::1", "27960"},
            {"[2001:db8::5]:27960", true, "2001:db8::5", "27960"},
            {"[::1]", true, "::1", "-"},
            {"[::1]:", true, "::1", ""},
            {"::1", true, "::1", "-"},
            // Without brackets every colon belongs to the host: never ::1 on port 27960.
            {"::1:27960", true, "::1:27960", "-"},
            {"[::1", false, "", "-"},
            {"[::1]x", false, "", "-"},
            {"[::1]27960", false, "", "-"},
            {"[]:5", true, "", "5"},
        };
        for (const auto& [text, valid, host, port] : cases) {
            const QString address = QString::fromLatin1(text);
            const HostPort split = splitAddress(address);
            QVERIFY2(split.valid == valid, text);
            QCOMPARE(split.host, QString::fromLatin1(host));
            QCOMPARE(split.hasPort ? split.port : QStringLiteral("-"), QString::fromLatin1(port));
            QCOMPARE(hostPart(address), QString::fromLatin1(host));
            if (valid && split.hasPort && *host) {
                QCOMPARE(gamePortText(address), QString::fromLatin1(port));
                QCOMPARE(joinAddress(QString::fromLatin1(host), QString::fromLatin1(port)), address);
            }
        }
        for (const char* host : {"::1", "2001:DB8::5"})
            QVERIFY2(isIPv6Host(QString::fromLatin1(host)), host);
        for (const char* host : {"fe80::1%eth0", "::1:27960", " ::1", "127.0.0.1"})
            QVERIFY2(!isIPv6Host(QString::fromLatin1(host)), host);
    }

    void playWaveRules()
    {
        QTemporaryDir dir;
        const QString wave = dir.filePath(QStringLiteral("1.wav"));
        QVERIFY(writeFile(wave));

        RecordingSoundPlayer player;
        playWave(player, wave, 0);
        playWave(player, wave, 1);
        playWave(player, dir.filePath(QStringLiteral("missing.wav")), 0);
        playWave(player, dir.path(), 0);
        playWave(player, QString(QChar(0)), 0);
        QCOMPARE(player.played, (QStringList{wave, QStringLiteral("wait:") + wave}));
        QCOMPARE(player.stops, 1);
    }

    void textHelpers()
    {
        QCOMPARE(getFolder(QStringLiteral("C:\\Games\\q3.exe")), QStringLiteral("C:\\Games\\"));
        QCOMPARE(getFolder(QStringLiteral("/usr/games/q3")), QStringLiteral("/usr/games/"));
        QCOMPARE(getFolder(QStringLiteral("q3.exe")), QString());
        QCOMPARE(decodeText(QByteArray("caf\xc3\xa9")), QStringLiteral("caf\u00e9"));
        QCOMPARE(decodeText(QByteArray("\xe9t\xe9")), QStringLiteral("\u00e9t\u00e9"));
        // A description of several lines stays whole between its markers.
        const QString error = errorText(QStringLiteral("one\r\ntwo\nthree"), -2147217900, QString());
        QVERIFY(error.startsWith(QStringLiteral("An error has occured\r\n")));
        QVERIFY(error.contains(QStringLiteral("----->\r\none\r\ntwo\nthree\r\n<-----END")));
        QVERIFY(error.contains(QStringLiteral("\r\nError Number:-2147217900\r\n")));

        // Nothing from a server may steer a terminal or start a log line of its own.
        const QString stand = QString(QChar(StandIn));
        QCOMPARE(visibleText(QStringLiteral("Caf\u00e9 \u00bb Arena")), QStringLiteral("Caf\u00e9 \u00bb Arena"));
        QCOMPARE(visibleText(QString::fromLatin1("a\x1b]0;t\x07"
                                                 "b\r\nc\td\x7f\x9b"
                                                 "2J")),
                 QStringLiteral("a#]0;t#b##c#d##2J").replace(QLatin1Char('#'), stand));
        QCOMPARE(visibleText(QString(QChar(0)) + QChar(0x2028) + QChar(0x85)), stand.repeated(3));
        QCOMPARE(characterCount(QStringLiteral("a\U0001F600b")), 3);
    }

    // Reasons, the status table and the web page read German under German, numbers in its form;
    // in English they read as they always have (the reason as the JSON keeps it).
    void germanShownTexts()
    {
        qputenv("LC_ALL", "C"); // whatever the developer's own locale
        const QString reason = reasonText(reason::NotTheGamesAnswer, 1, QStringLiteral("Halo"));
        QCOMPARE(reason, QStringLiteral("not a Halo server's answer (1 bytes)"));
        QCOMPARE(shownReason(reason), reason);
        StatusRow bad;
        bad.game = QStringLiteral("Halo");
        bad.address = QStringLiteral("127.0.0.1:2302");
        bad.ping = 1234;
        bad.state = ServerState::BadAnswer;
        bad.stateReason = reason;
        StatusModel model;
        model.reset({bad});
        const StatusSnapshot snapshot{{{bad, {}, ServerState::Up, {}, {}}}, {12345, 1, 0, 0}, {}};
        // Parts of the page, split at '|'.
        const auto pageShows = [&](const char* parts) {
            const QString page = QString::fromUtf8(statusPage(snapshot, 5));
            for (const QString& part : QString::fromUtf8(parts).split(QLatin1Char('|')))
                QVERIFY2(page.contains(part), qPrintable(part));
        };
        pageShows("<th>Game</th><th>Address</th><th>State</th>|>up</td>|1234 ms|"
                  "<p>12345 queries sent, 1 answers, 0 time-outs, 0 answer errors. ");

        Translations::load(QLocale(QLocale::German, QLocale::Germany));
        const auto unload = qScopeGuard([] { Translations::unload(); });
        const QStringList table = formatStatusTable(model).split(QLatin1Char('\n'));
        QVERIFY(table[0].startsWith(QStringLiteral("Spiel ")) && table[1].contains(QStringLiteral(" fehlerhaft ")));
        QCOMPARE(
            table.mid(2, 2).join(QLatin1Char('\n')),
            QStringLiteral("    keine Antwort eines Servers für Halo (1 Byte)\nServer: 1, erreichbar: 0, offline: 0, "
                           "noch ohne Antwort: 0, fehlerhafte Antworten: 1"));
        QCOMPARE(shownReason(reasonText(reason::SplitPartMisfit, -1, QStringLiteral("3"), QStringLiteral("2"))),
                 QStringLiteral("Teil 3 von 2 passt nicht zu seiner geteilten Antwort"));
        QCOMPARE(shownReason(QStringLiteral("no known form")), QStringLiteral("no known form"));
        // An answer's error report as the query command shows it.
        QCOMPARE(shownReason(QStringLiteral("Player 2 has no ping")), QStringLiteral("Spieler 2 fehlt das Feld ping"));
        pageShows("<html lang=\"de\">|<th>Spiel</th><th>Adresse</th><th>Zustand</th>|>erreichbar</td>|1.234 ms|"
                  "12.345 Anfragen gesendet, 1 Antwort, 0 Zeitüberschreitungen, 0 Antwortfehler. ");

        // An import's file error, and the report of a list that cannot be read at start.
        QByteArray html("<html/>");
        QBuffer buffer(&html);
        buffer.open(QIODevice::ReadOnly);
        QCOMPARE(readServerListXml(buffer).error,
                 QStringLiteral("Die Datei ist keine lesbare Serverliste: Die Datei ist kein XML-Rowset (Zeile 1)"));
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("servers.dat")), "{}"));
        RecordingReporter reporter;
        Stores(dir.path()).loadAll(reporter);
        QCOMPARE(reporter.reports.size(), 1);
        const QString report = reporter.reports[0];
        QVERIFY2(report.startsWith(QStringLiteral("Ein Fehler ist aufgetreten in der Funktion: Main()\r\n"))
                     && report.contains(QStringLiteral("servers.dat konnte nicht gelesen werden: Keine Datensatzdatei. "
                                                       "Sie wurde als "))
                     && report.contains(QStringLiteral("\r\nFehlernummer:3001\r\n")),
                 qPrintable(report));
    }
};

QTEST_GUILESS_MAIN(TestCore)
#include "TestCore.moc"
