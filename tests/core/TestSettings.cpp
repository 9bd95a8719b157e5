#include "core/Settings.h"
#include "core/SettingsForm.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestSettings : public QObject
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
    void popupStyles()
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
                QSettings(path, QSettings::IniFormat)
                    .setValue(QStringLiteral("Notify/Show"), QString::fromLatin1(stored));
            const AppSettings read = AppSettings::load(*openSettings(path), QString());
            QCOMPARE(resolvedPopupStyle(read.popupStyle, true), onX11);
            QCOMPARE(resolvedPopupStyle(read.popupStyle, false), onWayland);
            read.save(*openSettings(path));
            QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("Notify/Show")).toString(),
                     QString::fromLatin1(stored ? stored : "automatic"));
        }
    }

    // Out of range, not a number or an unknown name: the default; spaces are forgiven.
    void badValuesTakeDefaults()
    {
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
            QVERIFY(!refused.ok);
            QCOMPARE(refused.field, QStringLiteral("Refresh Interval"));
            QVERIFY(store->allKeys().isEmpty());
            QCOMPARE(live.popupStatusChange, true);
        }
        QVERIFY(saveSettingsForm(QStringLiteral(" 3 "), edited, *store, live).ok);
        QCOMPARE(live.refreshSeconds(), 5);
        QCOMPARE(live.popupStatusChange, false);
        QCOMPARE(live.notifyNewVersion, true);
        QCOMPARE(store->value(QStringLiteral("Settings/Refresh")).toString(), QStringLiteral("5"));
        QCOMPARE(store->value(QStringLiteral("Settings/VerNotify")).toString(), QStringLiteral("0"));
        live.refresh = -10;
        QCOMPARE(live.refreshSeconds(), 5);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
