#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "notify/SmtpMailer.h"
#include "store/Stores.h"
#include "support/ManualClock.h"
#include "support/RecordingReporter.h"

#include <QFile>
#include <QHostInfo>
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

    void setStored(const char* key, const QString& value)
    {
        QSettings(m_ini, QSettings::IniFormat).setValue(QStringLiteral("EmailNotify/") + QLatin1String(key), value);
    }
    QString stored(const char* key) const
    {
        return QSettings(m_ini, QSettings::IniFormat)
            .value(QStringLiteral("EmailNotify/") + QLatin1String(key))
            .toString();
    }

private slots:
    void init()
    {
        m_ini = m_dir.filePath(QStringLiteral("trevisk.ini"));
        QFile::remove(m_ini);
    }

    // One set of defaults: what the dialog shows for missing keys is what the alert uses.
    void defaultsAndStoredValues()
    {
        EmailSettings settings = EmailSettings::load(*openSettings(m_ini));
        QCOMPARE(intervalEntries().at(settings.intervalIndex()).text, QStringLiteral("Only Once"));
        QCOMPARE(settings.from, QStringLiteral("trevisk@") + QHostInfo::localHostName());

        setStored("Enable", QStringLiteral("1"));
        setStored("TimeOuts", QStringLiteral("7"));
        setStored("Interval", QStringLiteral("45"));
        setStored("From", QStringLiteral(" "));
        const auto store = openSettings(m_ini);
        settings = EmailSettings::load(*store);
        QVERIFY(settings.enabled);
        QCOMPARE(settings.timeOutThreshold(), 7);
        // 45 is no entry of the list: the dialog shows "Only Once".
        QCOMPARE(settings.intervalIndex(), 0);
        QCOMPARE(settings.from, EmailSettings::defaultFrom());
        settings.enabled = false;
        settings.interval = intervalEntries().at(3).minutes;
        QCOMPARE(settings.save(*store), QString());
        QCOMPARE(stored("Enable"), QStringLiteral("0"));
        QCOMPARE(stored("Interval"), QStringLiteral("120"));
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

    // The test mail's connection; its sender, recipient and wording are checked where `trevisk
    // test-mail` sends it.
    void testMailConnection()
    {
        EmailSettings settings;
        settings.smtp = QStringLiteral("mail.example.org");
        settings.password = QStringLiteral("pw");
        ManualClock clock;
        SmtpMailer mailer(clock);
        settings.prepareTestMail(mailer);
        QCOMPARE(mailer.connection().server, QStringLiteral("mail.example.org"));
        QCOMPARE(mailer.connection().password, QStringLiteral("pw"));
    }

    // One record per server, written to custemail.dat and read back by the next start.
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

        // A save that cannot be written leaves the table in memory as it was.
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
