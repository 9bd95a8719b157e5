#include "dialogs/SettingsDialog.h"
#include "support/RecordingReporter.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestSettingsDialog : public QObject
{
    Q_OBJECT
private slots:
    // Opens on the running values; "Save" checks first and writes nothing when a field is bad,
    // then writes every key and tells the running program; "Test" shows the colours on screen.
    void openSaveAndTest()
    {
        QTemporaryDir dir;
        QSettings store(dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat);
        AppSettings live = AppSettings::defaults(dir.path());
        ScriptedPrompter prompter;
        RecordingReporter reporter;
        RecordingSoundPlayer sound;
        int changed = 0;
        QStringList tested;
        SettingsDialog dialog({live,
                               store,
                               prompter,
                               reporter,
                               sound,
                               [&] { ++changed; },
                               [&](const QString& text, quint32 fore, quint32 back) {
                                   tested << QStringLiteral("%1 %2 %3").arg(text).arg(fore).arg(back);
                               }});
        auto* refresh = dialog.findChild<QComboBox*>(QStringLiteral("refresh"));
        QCOMPARE(refresh->currentText(), QStringLiteral("30"));
        QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("nss"))->isChecked());
        QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("enableSound5"))->isChecked());

        prompter.colours << 0x0000FFu;
        dialog.findChild<QPushButton*>(QStringLiteral("pickNotifyBack"))->click();
        dialog.findChild<QPushButton*>(QStringLiteral("testNotify"))->click();
        QCOMPARE(
            tested,
            QStringList{QStringLiteral("%1 %2 255").arg(QString::fromLatin1(SettingsDialog::TestText)).arg(0xFF0000)});

        dialog.findChild<QCheckBox*>(QStringLiteral("nss"))->setChecked(false);
        dialog.findChild<QCheckBox*>(QStringLiteral("noRefresh"))->setChecked(true);
        refresh->setEditText(QStringLiteral("soon"));
        QVERIFY(!dialog.save());
        QCOMPARE(reporter.reports.size(), 1);
        QVERIFY(reporter.reports.first().contains(QStringLiteral("cmdSave_Click()")));
        QVERIFY(store.allKeys().isEmpty());
        QCOMPARE(live.nss, qint16(1));
        QCOMPARE(changed, 0);

        refresh->setEditText(QStringLiteral("60"));
        QVERIFY(dialog.save());
        QCOMPARE(changed, 1);
        QCOMPARE(live.refresh, qint16(60));
        QCOMPARE(live.nss, qint16(0));
        QCOMPARE(live.noRefresh, qint16(1));
        QCOMPARE(live.notifyBack, 255u);
        QCOMPARE(store.value(QStringLiteral("Notify/Back")).toString(), QStringLiteral("255"));
        QCOMPARE(AppSettings::load(store, dir.path()).nss, qint16(0));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "TestSettingsDialog.moc"
