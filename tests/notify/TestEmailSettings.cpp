#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpMailer.h"
#include "store/Stores.h"
#include "support/ManualClock.h"
#include "support/RecordingReporter.h"

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

    // One record per server, written to custemail.dat and read back by the next start; a save that
    // cannot be written leaves the table in memory as it was.
    void customMessages()
    {
        Stores stores(m_dir.path());
        const QString first = QStringLiteral("o'brien.example.org:27960");
        const QString second = QStringLiteral("127.0.10.2:27015");
        QCOMPARE(saveCustomMessage(stores, first, QStringLiteral("Restart it")), QString());
        QCOMPARE(saveCustomMessage(stores, second, QStringLiteral("Call Bob")), QString());
        QCOMPARE(saveCustomMessage(stores, first, QStringLiteral("Restart it twice")), QString());
        Stores reread(m_dir.path());
        RecordingReporter reporter;
        reread.loadAll(reporter);
        QCOMPARE(reread.custEmail.rows.size(), size_t(2));
        QCOMPARE(loadCustomMessage(reread, first), QStringLiteral("Restart it twice"));
        QCOMPARE(loadCustomMessage(reread, second), QStringLiteral("Call Bob"));
        QCOMPARE(loadCustomMessage(reread, QStringLiteral("127.0.10.3:27015")), QString());

        Stores broken(m_ini + QStringLiteral("/not-a-folder"));
        QFile(m_ini).open(QIODevice::WriteOnly);
        broken.custEmail = reread.custEmail;
        QVERIFY(!saveCustomMessage(broken, first, QStringLiteral("lost")).isEmpty());
        QVERIFY(!saveCustomMessage(broken, QStringLiteral("new:1"), QStringLiteral("lost")).isEmpty());
        QCOMPARE(broken.custEmail.rows, reread.custEmail.rows);
    }
};

QTEST_GUILESS_MAIN(TestEmailSettings)
#include "TestEmailSettings.moc"
