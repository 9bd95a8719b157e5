#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpMailer.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

class TestEmailSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ini;

private slots:
    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("trevisk.ini"));
        QFile::remove(m_ini);
    }

    // A blank sender would fail every mail: it means the default, which is stored blank so that it
    // follows the host name. The test mail goes out over the saved connection, password and all.
    void senderAndTestMail()
    {
        QSettings(m_ini, QSettings::IniFormat).setValue(QStringLiteral("EmailNotify/From"), QStringLiteral(" "));
        const auto store = openSettings(m_ini);
        EmailSettings settings = EmailSettings::load(*store);
        QCOMPARE(settings.from, EmailSettings::defaultFrom());
        settings.smtp = QStringLiteral("mail.example.org");
        QCOMPARE(settings.save(*store), QString());
        QVERIFY(QSettings(m_ini, QSettings::IniFormat).value(QStringLiteral("EmailNotify/From")).toString().isEmpty());

        settings.password = QStringLiteral("pw");
        ManualClock clock;
        SmtpMailer mailer(clock);
        settings.prepareTestMail(mailer);
        QCOMPARE(mailer.connection().server + mailer.connection().password, QStringLiteral("mail.example.orgpw"));
    }

    // A store that holds a password is its owner's alone, and stays so when others rewrite it.
    void passwordKeepsFilePrivate()
    {
        const auto store = openSettings(m_ini);
        EmailSettings settings = EmailSettings::load(*store);
        settings.user = QStringLiteral("alerts");
        settings.password = QStringLiteral("s3cret");
        QCOMPARE(settings.save(*store), QString());
        const auto others =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(m_ini) & others, QFileDevice::Permissions());
        AppSettings::defaults(m_dir.path()).save(*openSettings(m_ini));
        QCOMPARE(QFile::permissions(m_ini) & others, QFileDevice::Permissions());
        QCOMPARE(EmailSettings::load(*openSettings(m_ini)).password, QStringLiteral("s3cret"));
    }
};

QTEST_GUILESS_MAIN(TestEmailSettings)
#include "TestEmailSettings.moc"
