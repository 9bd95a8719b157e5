#include "rcon/RconScramble.h"
#include "sim/SimServer.h"
#include "support/RawUdpServer.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace trevisk;

class TestRconCommand : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_config = m_dir.filePath(QStringLiteral("TRVSK.ini"));
        QFile::remove(m_config);
        m_passwordFile = m_dir.filePath(QStringLiteral("password"));
        QVERIFY(writeFile(m_passwordFile, "labpass\n"));
        QVERIFY(QFile::setPermissions(m_passwordFile, QFile::ReadOwner | QFile::WriteOwner));
    }

    TreviskRun rcon(const QString& game, const QString& address, const QStringList& rest)
    {
        const QString common = QStringLiteral("--config|%1|--data-dir|%2|--timeout|300");
        return runTrevisk(QStringList{QStringLiteral("rcon"), game, address} + rest
                          + common.arg(m_config, m_dir.filePath(QStringLiteral("data"))).split(QLatin1Char('|')));
    }

    void printsTheReply_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QHostAddress>("host");
        const QHostAddress four(QHostAddress::LocalHost);
        const QHostAddress six(QHostAddress::LocalHostIPv6);
        QTest::newRow("Quake 3") << QStringLiteral("Quake 3") << four;
        QTest::newRow("Half Life") << QStringLiteral("Half Life") << four;
        QTest::newRow("Quake 3, IPv6") << QStringLiteral("Quake 3") << six;
    }
    void printsTheReply()
    {
        QFETCH(QString, game);
        QFETCH(QHostAddress, host);
        SimServer server(game);
        server.state().rconPassword = "labpass";
        QVERIFY(server.start(host));
        const QStringList file{QStringLiteral("--password-file"), m_passwordFile};

        TreviskRun run = rcon(game, server.address(), file + args("echo|two words|\x1b]0;title\x07"));
        QCOMPARE(run.code, 0);
        QCOMPARE(QString::fromUtf8(run.out), QStringLiteral("two words \ufffd]0;title\ufffd\n"));
        QVERIFY(!run.err.contains("chmod"));

        // Without a password file, the one the window remembered, scrambled.
        {
            QSettings store(m_config, QSettings::IniFormat);
            QRandomGenerator random(11);
            store.setValue(QStringLiteral("RCON/") + server.address(),
                           *scrambleRcon(QStringLiteral("labpass"), random));
        }
        run = rcon(game, server.address(), args("set|x|1"));
        QCOMPARE(run.code, 0);
        QCOMPARE(run.out, QByteArray("Server: Command Accepted\n"));

        // A password file others may read is still used, with a word on how to close it.
        QVERIFY(QFile::setPermissions(m_passwordFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        run = rcon(game, server.address(), file + args("echo|hi"));
        QCOMPARE(run.out, QByteArray("hi\n"));
        QVERIFY(run.err.contains("chmod 600 " + QFile::encodeName(m_passwordFile)));

        QVERIFY(writeFile(m_passwordFile, "wrong\r\n"));
        run = rcon(game, server.address(), file + args("status"));
        QCOMPARE(run.code, 5);
        QVERIFY(run.out.startsWith("Bad rcon"));
        QVERIFY(run.err.contains("refused the command"));
    }

    void saysWhyNot()
    {
        RawUdpServer silent;
        QVERIFY(silent.isBound());
        const QStringList file{QStringLiteral("--password-file"), m_passwordFile};
        TreviskRun run = rcon(QStringLiteral("Quake 3"), silent.address(), file + args("status"));
        QCOMPARE(run.code, 3);
        QVERIFY(run.err.contains("No answer"));
        QCOMPARE(silent.requests.size(), 1);

        const quint16 closed = closedPort();
        run = rcon(QStringLiteral("Quake 3"), QStringLiteral("127.0.0.1:%1").arg(closed), file + args("status"));
        QCOMPARE(run.code, 4);
        QVERIFY(run.err.contains("Unable to send command. Server appears to be offline!"));

        // No password anywhere, and never one from the command line.
        run = rcon(QStringLiteral("Quake 3"), silent.address(), args("status"));
        QCOMPARE(run.code, 2);
        QVERIFY(run.err.contains("--password-file"));
        run = rcon(QStringLiteral("Quake 3"), silent.address(), args("--password|labpass|status"));
        QCOMPARE(run.code, 2);
        run = rcon(QStringLiteral("Unreal Tournament"), silent.address(), file + args("status"));
        QCOMPARE(run.code, 2);
        QCOMPARE(silent.requests.size(), 1);
    }

    // A reply that keeps trickling in is cut once the time-out after the command has run out.
    void endsWhateverComes()
    {
        const QByteArray ff(4, '\xFF');
        const QStringList file{QStringLiteral("--password-file"), m_passwordFile};
        RawUdpServer server;
        QTimer trickle;
        QObject::connect(&trickle, &QTimer::timeout, &server, [&] { server.reply(ff + "print\nmore\n"); });
        server.onRequest = [&](int) { trickle.start(50); };
        const TreviskRun run = rcon(QStringLiteral("Quake 3"), server.address(), file + args("status"));
        trickle.stop();
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.startsWith("more\nmore\n"));
        QVERIFY(run.err.contains("still coming"));
    }

private:
    QTemporaryDir m_dir;
    QString m_config;
    QString m_passwordFile;
};

QTEST_GUILESS_MAIN(TestRconCommand)
#include "TestRconCommand.moc"
