#include "core/Settings.h"
#include "dialogs/DialogTesting.h"
#include "dialogs/EmailDialog.h"
#include "notify/SmtpTestServer.h"
#include "support/ManualClock.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

using namespace trevisk;

class TestEmailDialog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ini = m_dir.filePath(QStringLiteral("trevisk.ini"));
    ScriptedPrompter m_prompter;
    RecordingReporter m_reporter;
    ManualClock m_clock;
    int m_changes = 0;
    QStringList m_shown; // text|icon|details of each result box

    std::unique_ptr<EmailDialog> open(QSettings& store)
    {
        auto dialog = std::make_unique<EmailDialog>(store, m_prompter, m_reporter, m_clock, [this] { ++m_changes; });
        dialog->setResultBox([this](const QString& text, Prompter::Icon icon, const QString& details) {
            m_shown << QStringLiteral("%1|%2|%3").arg(text).arg(int(icon)).arg(details);
        });
        dialog->show();
        return dialog;
    }
    QString stored(const char* key) const
    {
        return QSettings(m_ini, QSettings::IniFormat)
            .value(QStringLiteral("EmailNotify/") + QLatin1String(key), QStringLiteral("<none>"))
            .toString();
    }

private slots:
    void init()
    {
        QFile::remove(m_ini);
        m_changes = 0;
        m_shown.clear();
    }

    // An interval the list does not offer opens as "Only Once" and is saved as -1. The password is
    // never shown; an empty box keeps it, a typed one replaces it, and without a user none is kept.
    void loadAndSave()
    {
        {
            QSettings ini(m_ini, QSettings::IniFormat);
            for (const auto& [key, value] : {std::pair{"Interval", "45"},
                                             {"TimeOuts", "4"},
                                             {"Enable", "1"},
                                             {"Security", "STARTTLS"},
                                             {"User", "ops"},
                                             {"Password", "s3cret"}})
                ini.setValue(QStringLiteral("EmailNotify/") + QLatin1String(key), QLatin1String(value));
        }
        const auto store = openSettings(m_ini);
        auto dialog = open(*store);
        QCOMPARE(child<QComboBox>(*dialog, "cmbInterval")->currentText(), QStringLiteral("Only Once"));
        QCOMPARE(child<QComboBox>(*dialog, "cmbSecurity")->currentText(), QStringLiteral("STARTTLS"));
        QVERIFY(child<QLineEdit>(*dialog, "txtPassword")->text().isEmpty());
        QTest::mouseClick(child<QCheckBox>(*dialog, "chkEnable"), Qt::LeftButton);
        QVERIFY(clickButton(*dialog, "cmdSave"));
        QCOMPARE(stored("Interval") + stored("Enable") + stored("TimeOuts"), QStringLiteral("-104"));
        QCOMPARE(stored("Security") + QLatin1Char('|') + stored("Password"), QStringLiteral("starttls|s3cret"));
        QCOMPARE(m_changes, 1);

        dialog = open(*store);
        QTest::keyClicks(child<QLineEdit>(*dialog, "txtPassword"), QStringLiteral("n3w"));
        QVERIFY(clickButton(*dialog, "cmdSave"));
        QCOMPARE(stored("Password"), QStringLiteral("n3w"));
        dialog = open(*store);
        child<QLineEdit>(*dialog, "txtUser")->clear();
        QVERIFY(clickButton(*dialog, "cmdSave"));
        QCOMPARE(stored("Password"), QString());

        dialog = open(*store);
        QTest::keyClicks(child<QLineEdit>(*dialog, "txtSMTP"), QStringLiteral("127.0.0.1"));
        QVERIFY(clickButton(*dialog, "cmdCancel"));
        QCOMPARE(stored("SMTP"), QString());
        QCOMPARE(m_changes, 3);
    }

    // The test mail goes to what is on screen, unsaved, while the window stays responsive; a failure
    // says why in the box's details.
    void testMail()
    {
        SmtpTestServer server({});
        QVERIFY(server.isReady());
        const auto store = openSettings(m_ini);
        auto dialog = open(*store);
        auto* recipient = child<QLineEdit>(*dialog, "txtEmail");
        auto* smtp = child<QLineEdit>(*dialog, "txtSMTP");
        auto* test = child<QPushButton>(*dialog, "cmdTest");
        recipient->setText(QStringLiteral("admin@test.example"));
        smtp->setText(server.address());
        test->click();
        QVERIFY(dialog->mailer().isBusy() && !test->isEnabled());
        const std::optional<QJsonObject> message = server.nextMessage();
        QVERIFY(message);
        QCOMPARE(message->value(QLatin1String("rcpt_tos")).toArray().first().toString(),
                 QStringLiteral("admin@test.example"));
        QTRY_COMPARE(m_shown, QStringList{QStringLiteral("Mail Sent!|%1|").arg(int(Prompter::Icon::Information))});
        QVERIFY(test->isEnabled());
        QCOMPARE(stored("SMTP"), QStringLiteral("<none>"));

        const QString failed = QStringLiteral("Test Failed!|%1|").arg(int(Prompter::Icon::Critical));
        smtp->clear();
        test->click();
        QCOMPARE(m_shown.size(), 2);
        QVERIFY(m_shown.last().startsWith(failed) && m_shown.last().size() > failed.size());
        QVERIFY(test->isEnabled());
    }
};

QTEST_MAIN(TestEmailDialog)
#include "TestEmailDialog.moc"
