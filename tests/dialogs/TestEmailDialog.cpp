#include "core/Settings.h"
#include "dialogs/DialogTesting.h"
#include "dialogs/EmailDialog.h"
#include "notify/SmtpTestServer.h"
#include "support/ManualClock.h"
#include "support/RecordingReporter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

using namespace trevisk;

namespace {

struct Shown
{
    QString text;
    Prompter::Icon icon;
    QString details;
};

} // namespace

class TestEmailDialog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ini;
    ScriptedPrompter m_prompter;
    RecordingReporter m_reporter;
    ManualClock m_clock;
    int m_changes = 0;
    QList<Shown> m_shown;

    std::unique_ptr<EmailDialog> open(QSettings& store)
    {
        auto dialog = std::make_unique<EmailDialog>(store, m_prompter, m_reporter, m_clock, [this] { ++m_changes; });
        dialog->setResultBox([this](const QString& text, Prompter::Icon icon, const QString& details) {
            m_shown.append({text, icon, details});
        });
        dialog->show();
        return dialog;
    }
    void setStored(const char* key, const QString& value)
    {
        QSettings(m_ini, QSettings::IniFormat).setValue(QStringLiteral("EmailNotify/") + QLatin1String(key), value);
    }
    QVariant stored(const char* key) const
    {
        return QSettings(m_ini, QSettings::IniFormat).value(QStringLiteral("EmailNotify/") + QLatin1String(key));
    }
    template <typename T> static T* field(QWidget& dialog, const char* name)
    {
        return dialog.findChild<T*>(QString::fromLatin1(name));
    }

private slots:
    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("trevisk.ini"));
        QFile::remove(m_ini);
        m_prompter = ScriptedPrompter();
        m_reporter.reports.clear();
        m_changes = 0;
        m_shown.clear();
    }

    // An interval the list does not offer opens as "Only Once" and is saved as -1; the password is
    // never shown back, and an empty box keeps it.
    void loadAndSave()
    {
        setStored("Interval", QStringLiteral("45"));
        setStored("TimeOuts", QStringLiteral("4"));
        setStored("Enable", QStringLiteral("1"));
        setStored("Email", QStringLiteral("ops@test.example"));
        setStored("SMTP", QStringLiteral("127.0.0.1:2525"));
        setStored("Security", QStringLiteral("STARTTLS"));
        setStored("User", QStringLiteral("ops"));
        setStored("Password", QStringLiteral("s3cret"));
        const auto store = openSettings(m_ini);
        auto dialog = open(*store);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Email Notification"));
        QCOMPARE(field<QComboBox>(*dialog, "cmbInterval")->currentText(), QStringLiteral("Only Once"));
        QCOMPARE(field<QComboBox>(*dialog, "cmbInterval")->count(), 5);
        QCOMPARE(field<QComboBox>(*dialog, "cmbTimeouts")->currentText(), QStringLiteral("4"));
        QCOMPARE(field<QComboBox>(*dialog, "cmbSecurity")->currentText(), QStringLiteral("STARTTLS"));
        QVERIFY(field<QCheckBox>(*dialog, "chkEnable")->isChecked());
        QCOMPARE(field<QLineEdit>(*dialog, "txtEmail")->text(), QStringLiteral("ops@test.example"));
        auto* password = field<QLineEdit>(*dialog, "txtPassword");
        QVERIFY(password->text().isEmpty());
        QVERIFY(!password->placeholderText().isEmpty());
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QVERIFY(field<QLineEdit>(*dialog, "txtFrom")->text().isEmpty());

        QTest::mouseClick(field<QCheckBox>(*dialog, "chkEnable"), Qt::LeftButton);
        QVERIFY(clickButton(*dialog, "cmdSave"));
        QCOMPARE(stored("Interval").toString(), QStringLiteral("-1"));
        QCOMPARE(stored("Enable").toString(), QStringLiteral("0"));
        QCOMPARE(stored("TimeOuts").toString(), QStringLiteral("4"));
        QCOMPARE(stored("SMTP").toString(), QStringLiteral("127.0.0.1:2525"));
        QCOMPARE(stored("Security").toString(), QStringLiteral("starttls"));
        QCOMPARE(stored("Password").toString(), QStringLiteral("s3cret"));
        QCOMPARE(stored("From").toString(), QString());
        QCOMPARE(m_changes, 1);
        QVERIFY(!dialog->isVisible());

        // A typed password replaces the stored one; without a user none is kept.
        auto again = open(*store);
        QTest::keyClicks(field<QLineEdit>(*again, "txtPassword"), QStringLiteral("n3w"));
        QVERIFY(clickButton(*again, "cmdSave"));
        QCOMPARE(stored("Password").toString(), QStringLiteral("n3w"));
        auto third = open(*store);
        field<QLineEdit>(*third, "txtUser")->clear();
        QVERIFY(clickButton(*third, "cmdSave"));
        QCOMPARE(stored("Password").toString(), QString());
        QVERIFY(field<QLineEdit>(*open(*store), "txtPassword")->placeholderText().isEmpty());
    }

    void cancelWritesNothing()
    {
        const auto store = openSettings(m_ini);
        auto dialog = open(*store);
        QTest::keyClicks(field<QLineEdit>(*dialog, "txtSMTP"), QStringLiteral("127.0.0.1"));
        QVERIFY(clickButton(*dialog, "cmdCancel"));
        QVERIFY(!stored("SMTP").isValid());
        QCOMPARE(m_changes, 0);
    }

    // The test mail goes to what is on screen, unsaved; the window answers while it travels.
    void testMailSent()
    {
        SmtpTestServer server({});
        QVERIFY(server.isReady());
        const auto store = openSettings(m_ini);
        auto dialog = open(*store);
        QTest::keyClicks(field<QLineEdit>(*dialog, "txtEmail"), QStringLiteral("ops@test.example"));
        QTest::keyClicks(field<QLineEdit>(*dialog, "txtSMTP"), server.address());
        QTest::keyClicks(field<QLineEdit>(*dialog, "txtFrom"), QStringLiteral("watch@test.example"));
        QVERIFY(clickButton(*dialog, "cmdTest"));
        QVERIFY(dialog->mailer().isBusy());
        QVERIFY(!field<QPushButton>(*dialog, "cmdTest")->isEnabled());
        QVERIFY(m_shown.isEmpty());

        const std::optional<QJsonObject> message = server.nextMessage();
        QVERIFY(message);
        QCOMPARE(message->value(QLatin1String("rcpt_tos")).toArray().first().toString(),
                 QStringLiteral("ops@test.example"));
        QCOMPARE(message->value(QLatin1String("mail_from")).toString(), QStringLiteral("watch@test.example"));
        QVERIFY(SmtpTestServer::data(*message).contains(QStringLiteral("Testing Trevisk Email Notification")));
        QTRY_COMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown.first().text, QStringLiteral("Mail Sent!"));
        QCOMPARE(m_shown.first().icon, Prompter::Icon::Information);
        QVERIFY(field<QPushButton>(*dialog, "cmdTest")->isEnabled());
        QVERIFY(!stored("SMTP").isValid());
    }

    // A failure says why in the box's details, whether the server refused or the mail never started.
    void testMailFailed()
    {
        SmtpTestServer server({QStringLiteral("--reject-rcpt"), QStringLiteral("ops@test.example")});
        QVERIFY(server.isReady());
        const auto store = openSettings(m_ini);
        auto dialog = open(*store);
        QTest::keyClicks(field<QLineEdit>(*dialog, "txtEmail"), QStringLiteral("ops@test.example"));
        QTest::keyClicks(field<QLineEdit>(*dialog, "txtSMTP"), server.address());
        QVERIFY(clickButton(*dialog, "cmdTest"));
        QTRY_COMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown.first().text, QStringLiteral("Test Failed!"));
        QCOMPARE(m_shown.first().icon, Prompter::Icon::Critical);
        QVERIFY2(m_shown.first().details.contains(QStringLiteral("Recipient address rejected")),
                 qPrintable(m_shown.first().details));
        QVERIFY(field<QPushButton>(*dialog, "cmdTest")->isEnabled());

        field<QLineEdit>(*dialog, "txtSMTP")->clear();
        QVERIFY(clickButton(*dialog, "cmdTest"));
        QCOMPARE(m_shown.size(), 2);
        QCOMPARE(m_shown.last().text, QStringLiteral("Test Failed!"));
        QVERIFY(!m_shown.last().details.isEmpty());
        QVERIFY(field<QPushButton>(*dialog, "cmdTest")->isEnabled());
    }
};

QTEST_MAIN(TestEmailDialog)
#include "TestEmailDialog.moc"
