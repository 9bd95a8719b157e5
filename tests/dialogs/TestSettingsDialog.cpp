#include "dialogs/SettingsDialog.h"
#include "support/RecordingReporter.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestSettingsDialog : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QSettings m_store{m_dir.filePath(QStringLiteral("t.ini")), QSettings::IniFormat};
    AppSettings m_live;
    ScriptedPrompter m_prompter;
    RecordingReporter m_reporter;
    RecordingSoundPlayer m_sound;

private slots:
    void init()
    {
        m_store.clear();
        m_live = AppSettings::defaults(m_dir.path());
        m_reporter.reports.clear();
    }

    // Opens on the running values; "Save" checks first and writes nothing when a field is bad,
    // then writes every key and tells the running program; "Test" shows the colours on screen.
    void openSaveAndTest()
    {
        int changed = 0;
        QStringList tested;
        SettingsDialog dialog({m_live,
                               m_store,
                               m_prompter,
                               m_reporter,
                               m_sound,
                               [&] { ++changed; },
                               [&](const QString& text, quint32 fore, quint32 back) {
                                   tested << QStringLiteral("%1 %2 %3").arg(text).arg(fore).arg(back);
                               }});
        auto* refresh = dialog.findChild<QComboBox*>(QStringLiteral("refresh"));
        QCOMPARE(refresh->currentText(), QStringLiteral("30"));
        QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("nss"))->isChecked());
        QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("enableSound5"))->isChecked());

        m_prompter.colours << 0x0000FFu;
        dialog.findChild<QPushButton*>(QStringLiteral("pickNotifyBack"))->click();
        dialog.findChild<QPushButton*>(QStringLiteral("testNotify"))->click();
        QCOMPARE(
            tested,
            QStringList{QStringLiteral("%1 %2 255").arg(QString::fromLatin1(SettingsDialog::TestText)).arg(0xFF0000)});

        dialog.findChild<QCheckBox*>(QStringLiteral("nss"))->setChecked(false);
        dialog.findChild<QCheckBox*>(QStringLiteral("noRefresh"))->setChecked(true);
        refresh->setEditText(QStringLiteral("soon"));
        QVERIFY(!dialog.save());
        QCOMPARE(m_reporter.reports.size(), 1);
        QVERIFY(m_reporter.reports.first().contains(QStringLiteral("cmdSave_Click()")));
        QVERIFY(m_store.allKeys().isEmpty());
        QCOMPARE(m_live.nss, qint16(1));
        QCOMPARE(changed, 0);

        refresh->setEditText(QStringLiteral("60"));
        QVERIFY(dialog.save());
        QCOMPARE(changed, 1);
        QCOMPARE(m_live.refresh, qint16(60));
        QCOMPARE(m_live.nss, qint16(0));
        QCOMPARE(m_live.noRefresh, qint16(1));
        QCOMPARE(m_live.notifyBack, 255u);
        QCOMPARE(m_store.value(QStringLiteral("Notify/Back")).toString(), QStringLiteral("255"));
        QCOMPARE(AppSettings::load(m_store, m_dir.path()).nss, qint16(0));
    }

    // Desktop notifications are chosen here and tried with "Test"; "Start with the desktop" writes
    // the autostart entry on "Save", and a later dialog shows it set and removes it.
    void desktopStyleAndAutostart()
    {
        QStringList desktop;
        int windows = 0;
        const QString folder = m_dir.filePath(QStringLiteral("autostart"));
        const QString entry = folder + QStringLiteral("/trevisk.desktop");
        SettingsDialogServices services{m_live,
                                        m_store,
                                        m_prompter,
                                        m_reporter,
                                        m_sound,
                                        {},
                                        [&](const QString&, quint32, quint32) { ++windows; },
                                        [&](const QString& text) { desktop << text; },
                                        folder,
                                        {QStringLiteral("/opt/trevisk/bin/trevisk")}};
        {
            SettingsDialog dialog(services);
            auto* style = dialog.findChild<QComboBox*>(QStringLiteral("popupStyle"));
            auto* autostart = dialog.findChild<QCheckBox*>(QStringLiteral("autostart"));
            QCOMPARE(style->currentText(), QStringLiteral("Sliding Window"));
            QVERIFY(!autostart->isChecked());
            dialog.findChild<QPushButton*>(QStringLiteral("testNotify"))->click();
            QVERIFY(desktop.isEmpty());
            style->setCurrentIndex(style->findText(QStringLiteral("Both")));
            dialog.findChild<QPushButton*>(QStringLiteral("testNotify"))->click();
            QCOMPARE(desktop, QStringList{QString::fromLatin1(SettingsDialog::TestText)});
            QCOMPARE(windows, 2);

            autostart->setChecked(true);
            QVERIFY(dialog.save());
            QCOMPARE(m_live.popupStyle, PopupStyle::Both);
            QCOMPARE(m_store.value(QStringLiteral("Notify/Show")).toString(), QStringLiteral("both"));
            QVERIFY(readFile(entry).contains("\nExec=/opt/trevisk/bin/trevisk\n"));
        }
        {
            SettingsDialog dialog(services);
            auto* autostart = dialog.findChild<QCheckBox*>(QStringLiteral("autostart"));
            QVERIFY(autostart->isChecked());
            autostart->setChecked(false);
            QVERIFY(dialog.save());
            QVERIFY(!QFile::exists(entry));
        }
        // A folder that cannot be made: reported, and the dialog stays.
        services.autostartFolder = m_store.fileName() + QStringLiteral("/autostart");
        SettingsDialog dialog(services);
        dialog.findChild<QCheckBox*>(QStringLiteral("autostart"))->setChecked(true);
        QVERIFY(!dialog.save());
        QCOMPARE(m_reporter.reports.size(), 1);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "TestSettingsDialog.moc"
