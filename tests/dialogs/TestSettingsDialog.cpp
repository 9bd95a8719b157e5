#include "dialogs/DialogTesting.h"
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
    int m_changed = 0;
    QStringList m_windows; // "text fore back" of each test pop-up
    QStringList m_desktop;
    const QString m_autostart = m_dir.filePath(QStringLiteral("autostart"));
    SettingsDialogServices m_services{m_live,
                                      m_store,
                                      m_prompter,
                                      m_reporter,
                                      m_sound,
                                      [this] { ++m_changed; },
                                      [this](const QString& text, quint32 fore, quint32 back) {
                                          m_windows << QStringLiteral("%1 %2 %3").arg(text).arg(fore).arg(back);
                                      },
                                      [this](const QString& text) { m_desktop << text; },
                                      m_autostart,
                                      {QStringLiteral("/opt/trevisk/bin/trevisk")}};

private slots:
    void init()
    {
        m_store.clear();
        m_live = AppSettings::defaults(m_dir.path());
        m_reporter.reports.clear();
        m_changed = 0;
        m_windows.clear();
        m_desktop.clear();
    }

    // Opens on the running values; "Save" checks first and writes nothing when a field is bad,
    // then writes every key and tells the running program; "Test" shows the colours on screen.
    void openSaveAndTest()
    {
        m_live.popupStatusChange = false;
        SettingsDialog dialog(m_services);
        auto* refresh = child<QComboBox>(dialog, "refresh");
        QVERIFY(!child<QCheckBox>(dialog, "nss")->isChecked());

        m_prompter.colours << 0x0000FFu;
        child<QPushButton>(dialog, "pickNotifyBack")->click();
        child<QPushButton>(dialog, "testNotify")->click();
        QCOMPARE(m_windows,
                 QStringList{QStringLiteral("%1 %2 255").arg(QLatin1String(SettingsDialog::TestText)).arg(0xFF0000)});
        QVERIFY(m_desktop.isEmpty()); // the style shows windows only

        child<QCheckBox>(dialog, "nss")->setChecked(true);
        child<QCheckBox>(dialog, "noRefresh")->setChecked(true);
        refresh->setEditText(QStringLiteral("soon"));
        QVERIFY(!dialog.save() && m_changed == 0);
        QCOMPARE(m_reporter.reports.size(), 1);

        // Return in a field saves; the dialog closes once it has.
        refresh->setEditText(QStringLiteral("60"));
        dialog.show();
        QTest::keyClick(child<QCheckBox>(dialog, "nss"), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_changed, 1);
        QCOMPARE(m_live.refresh, qint16(60));
        QCOMPARE(m_live.popupStatusChange, true);
        QCOMPARE(m_live.autoRefreshOff, true);
        QCOMPARE(m_live.notifyBack, 255u);
        QCOMPARE(m_store.value(QStringLiteral("Notify/Back")).toString(), QStringLiteral("255"));
        QCOMPARE(AppSettings::load(m_store, m_dir.path()).popupStatusChange, true);
    }

    // Desktop notifications are chosen here and tried with "Test"; "Start with the desktop" writes
    // the autostart entry on "Save", and a later dialog shows it set and removes it.
    void desktopStyleAndAutostart()
    {
        const QString entry = m_autostart + QStringLiteral("/trevisk.desktop");
        {
            SettingsDialog dialog(m_services);
            auto* style = child<QComboBox>(dialog, "popupStyle");
            auto* autostart = child<QCheckBox>(dialog, "autostart");
            QVERIFY(!autostart->isChecked());
            // A first run's automatic choice is the window where windows can be placed, as here.
            child<QPushButton>(dialog, "testNotify")->click();
            QVERIFY(m_desktop.isEmpty());
            QCOMPARE(m_windows.size(), 1);
            style->setCurrentIndex(style->findText(QStringLiteral("Both")));
            child<QPushButton>(dialog, "testNotify")->click();
            QCOMPARE(m_desktop, QStringList{QLatin1String(SettingsDialog::TestText)});
            QCOMPARE(m_windows.size(), 2);

            autostart->setChecked(true);
            QVERIFY(dialog.save());
            QCOMPARE(m_live.popupStyle, PopupStyle::Both);
            QCOMPARE(m_store.value(QStringLiteral("Notify/Show")).toString(), QStringLiteral("both"));
            QVERIFY(readFile(entry).contains("\nExec=/opt/trevisk/bin/trevisk\n"));
        }
        {
            SettingsDialog dialog(m_services);
            auto* autostart = child<QCheckBox>(dialog, "autostart");
            QVERIFY(autostart->isChecked());
            autostart->setChecked(false);
            QVERIFY(dialog.save());
            QVERIFY(!QFile::exists(entry));
        }
        // A folder that cannot be made: reported, and the dialog stays.
        SettingsDialogServices blocked = m_services;
        blocked.autostartFolder = m_store.fileName() + QStringLiteral("/autostart");
        SettingsDialog dialog(blocked);
        child<QCheckBox>(dialog, "autostart")->setChecked(true);
        QVERIFY(!dialog.save());
        QCOMPARE(m_reporter.reports.size(), 1);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "TestSettingsDialog.moc"
