#include "core/Settings.h"
#include "core/SettingsForm.h"

#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestSettingsForm : public QObject
{
    Q_OBJECT
private slots:
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

QTEST_GUILESS_MAIN(TestSettingsForm)
#include "TestSettingsForm.moc"
