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

    // The password file's path stands for $file in the arguments.
    TreviskRun rcon(const QString& game, const QString& address, const char* arguments)
    {
        QString line = QString::fromUtf8(arguments)
                       + QStringLiteral("|--config|%1|--data-dir|%2|--timeout|300")
                             .arg(m_config, m_dir.filePath(QStringLiteral("data")));
        return runTrevisk(QStringList{QStringLiteral("rcon"), game, address}
                          + line.replace(QStringLiteral("$file"), m_passwordFile).split(QLatin1Char('|')));
    }

    void printsTheReply_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QHostAddress>("host");
        const QHostAddress four(QHostAddress::LocalHost);
        QTest::newRow("Quake 3") << QStringLiteral("Quake 3") << four;
        QTest::newRow("Half Life") << QStringLiteral("Half Life") << four;
        QTest::newRow("Quake 3, IPv6") << QStringLiteral("Quake 3") << QHostAddress(QHostAddress::LocalHostIPv6);
    }
    void printsTheReply()
    {
        QFETCH(QString, game);
        QFETCH(QHostAddress, host);
        SimServer server(game);
        server.state().rconPassword = "labpass";
        QVERIFY(server.start(host));
        // The exit code, then what was printed.
        const auto said = [](const TreviskRun& run) {
            return QString::number(run.code) + QLatin1Char(' ') + QString::fromUtf8(run.out);
        };

        TreviskRun run = rcon(game, server.address(), "--password-file|$file|echo|two words|\x1b]0;title\x07");
        QCOMPARE(said(run), QStringLiteral("0 two words \ufffd]0;title\ufffd\n"));
        QVERIFY(!run.err.contains("chmod"));

        // Without a password file, the one the window remembered, scrambled.
        {
            QSettings store(m_config, QSettings::IniFormat);
            QRandomGenerator random(11);
            store.setValue(QStringLiteral("RCON/") + server.address(),
                           *scrambleRcon(QStringLiteral("labpass"), random));
        }
        QCOMPARE(said(rcon(game, server.address(), "set|x|1")), QStringLiteral("0 Server: Command Accepted\n"));

        // A password file others may read is still used, with a word on how to close it.
        QVERIFY(QFile::setPermissions(m_passwordFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        run = rcon(game, server.address(), "--password-file|$file|echo|hi");
        QCOMPARE(said(run), QStringLiteral("0 hi\n"));
        QVERIFY(run.err.contains("chmod 600 " + QFile::encodeName(m_passwordFile)));

        QVERIFY(writeFile(m_passwordFile, "wrong\r\n"));
        run = rcon(game, server.address(), "--password-file|$file|status");
        QVERIFY2(said(run).startsWith(QStringLiteral("5 Bad rcon")) && run.err.contains("refused the command"),
                 run.err.constData());
    }

    // No password anywhere, and never one from the command line, and an engine without rcon: refused
    // before anything is sent.
    void saysWhyNot()
    {
        RawUdpServer silent;
        QVERIFY(silent.isBound());
        const QString closed = QStringLiteral("127.0.0.1:%1").arg(closedPort());
        const char* file = "--password-file|$file|status";
        for (const auto& [game, address, arguments, code, said] :
             {std::tuple("Quake 3", silent.address(), file, 3, "No answer"),
              std::tuple("Quake 3", closed, file, 4, "Unable to send command. Server appears to be offline!"),
              std::tuple("Quake 3", silent.address(), "status", 2, "--password-file"),
              std::tuple("Quake 3", silent.address(), "--password|labpass|status", 2, ""),
              std::tuple("Unreal Tournament", silent.address(), file, 2, "")}) {
            const TreviskRun run = rcon(QString::fromLatin1(game), address, arguments);
            QVERIFY2(run.code == code && run.err.contains(said), arguments);
        }
        QCOMPARE(silent.requests.size(), 1);
    }

    // A reply that keeps trickling in is cut once the time-out after the command has run out.
    void endsWhateverComes()
    {
        const QByteArray ff(4, '\xFF');
        RawUdpServer server;
        QTimer trickle;
        QObject::connect(&trickle, &QTimer::timeout, &server, [&] { server.reply(ff + "print\nmore\n"); });
        server.onRequest = [&](int) { trickle.start(50); };
        const TreviskRun run = rcon(QStringLiteral("Quake 3"), server.address(), "--password-file|$file|status");
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
