#include "core/Prompter.h"
#include "rcon/RconClient.h"
#include "rcon/RconScramble.h"
#include "rcon/RconWindow.h"
#include "session/Startup.h"
#include "sim/SimServer.h"
#include "support/Contrast.h"
#include "support/RawUdpServer.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace trevisk;

class TestRconWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_context = std::make_unique<AppContext>();
        const QString ini = m_dir.filePath(QStringLiteral("TRVSK.ini"));
        QFile::remove(ini);
        m_context->settingsStore = std::make_unique<QSettings>(ini, QSettings::IniFormat);
        m_context->settings.encryptRcon = true;
        m_prompter = ScriptedPrompter{};
    }

    void sendsAndRemembers()
    {
        SimServer server(QStringLiteral("Quake 3"));
        server.state().rconPassword = "labpass";
        QVERIFY(server.start());
        QPointer<RconWindow> window = RconWindow::open(
            {*m_context, m_prompter}, server.address(), QStringLiteral("Lab"), QStringLiteral("Quake 3"));
        QCOMPARE(RconWindow::open({*m_context, m_prompter}, server.address(), {}, QStringLiteral("Quake 3")),
                 window.data());
        auto* log = window->findChild<QTextEdit*>(QStringLiteral("response"));
        auto* command = window->findChild<QComboBox*>(QStringLiteral("command"));
        QTest::keyClicks(window->findChild<QLineEdit*>(QStringLiteral("password")), QStringLiteral("labpass"));
        window->findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(true);

        // Nothing to send: nothing happens.
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("send")), Qt::LeftButton);
        QVERIFY(log->toPlainText().isEmpty());

        command->setEditText(QStringLiteral("echo hello"));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("send")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains(QStringLiteral("\nhello\n")), 2000);
        command->setEditText(QStringLiteral("set x 1"));
        QTest::keyClick(command->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(
            log->toPlainText(), QStringLiteral(">echo hello\nhello\n>set x 1\nServer: Command Accepted\n"), 2000);
        QCOMPARE(command->count(), 2);
        QCOMPARE(command->itemText(0), QStringLiteral("set x 1"));
        QCOMPARE(command->lineEdit()->selectedText(), QStringLiteral("set x 1"));

        // Stored scrambled, and loaded with the box ticked by the next window.
        const QString stored = m_context->settingsStore->value(QStringLiteral("RCON/") + server.address()).toString();
        QCOMPARE(unscrambleRcon(stored), QStringLiteral("labpass"));
        window->close();
        QTRY_VERIFY(window.isNull());
        window = RconWindow::open({*m_context, m_prompter}, server.address(), {}, QStringLiteral("Quake 3"));
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("password"))->text(), QStringLiteral("labpass"));
        QVERIFY(window->findChild<QCheckBox*>(QStringLiteral("remember"))->isChecked());
        window->findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(false);
        QCOMPARE(m_context->settingsStore->value(QStringLiteral("RCON/") + server.address()).toString(), QString());

        // A password the scrambled form cannot carry is kept as typed, and the window says so.
        window->findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("\u00ff"));
        window->findChild<QCheckBox*>(QStringLiteral("remember"))->setChecked(true);
        QVERIFY(!window->findChild<QWidget*>(QStringLiteral("note"))->isHidden());
        QCOMPARE(m_context->settingsStore->value(QStringLiteral("RCON/") + server.address()).toString(),
                 QStringLiteral("\u00ff"));
        delete window;
        QVERIFY(m_prompter.asked.isEmpty());
    }

    // Also: under a dark theme the log's "Ready...", notices, commands and replies read on its page.
    void halfLifeAndSilence()
    {
        PaletteScope dark(darkPalette());
        SimServer server(QStringLiteral("Half Life"));
        server.state().rconPassword = "pw";
        QVERIFY(server.start());
        RconWindow window({*m_context, m_prompter});
        window.client().setAnswerTimeout(std::chrono::milliseconds(100));
        window.loadServer(server.address(), QStringLiteral("HL"), QStringLiteral("Half Life"));
        auto* log = window.findChild<QTextEdit*>(QStringLiteral("response"));
        QTRY_COMPARE_WITH_TIMEOUT(log->toPlainText(), QStringLiteral("Ready...\n\n"), 2000);
        window.findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("pw"));
        window.findChild<QComboBox*>(QStringLiteral("command"))->setEditText(QStringLiteral("echo hi"));
        window.sendCommand();
        QTRY_COMPARE_WITH_TIMEOUT(log->toPlainText(), QStringLiteral("Ready...\n\n>echo hi\nhi\n"), 2000);

        // A silent server gets a plain line; nothing is remembered, as the box was never ticked.
        server.responder().setAnswering(false);
        window.findChild<QComboBox*>(QStringLiteral("command"))->setEditText(QStringLiteral("status"));
        window.sendCommand();
        QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().contains(QStringLiteral("No answer")), 2000);
        QVERIFY(m_context->settingsStore->value(QStringLiteral("RCON/") + server.address()).toString().isEmpty());

        const QColor page = log->viewport()->palette().color(log->viewport()->backgroundRole());
        QSet<QRgb> inks;
        for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QColor ink = it.fragment().charFormat().foreground().color();
                inks << ink.rgb();
                QVERIFY2(contrastRatio(ink, page) >= 4.5,
                         qPrintable(ink.name() + QStringLiteral(" on ") + page.name()));
            }
        }
        QCOMPARE(inks.size(), 3);
    }

    // Half-Life's command waits for a challenge: a closed port refuses that first request.
    void closedPortSaysOffline()
    {
        RconWindow window({*m_context, m_prompter});
        window.loadServer(QStringLiteral("127.0.0.1:%1").arg(closedPort()), {}, QStringLiteral("Half Life"));
        window.findChild<QComboBox*>(QStringLiteral("command"))->setEditText(QStringLiteral("status"));
        window.sendCommand();
        QTRY_COMPARE_WITH_TIMEOUT(m_prompter.asked.size(), 1, 2000);
        QCOMPARE(m_prompter.asked.at(0).text, QStringLiteral("Unable to send command. Server appears to be offline!"));
        QCOMPARE(m_prompter.asked.at(0).icon, Prompter::Icon::Exclamation);
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<AppContext> m_context;
    ScriptedPrompter m_prompter;
};

QTEST_MAIN(TestRconWindow)
#include "TestRconWindow.moc"
