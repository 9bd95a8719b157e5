#include "update/UpgradePrompt.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace trevisk;

class TestUpgradePrompt : public QObject
{
    Q_OBJECT
private slots:
    // The offer is a window of its own, styled as ever, that blocks no other window.
    void upgradeQuestion()
    {
        const QString address = QStringLiteral("http://127.0.0.1:8080/trevisk/");
        const QString text = QStringLiteral("An updated version of Trevisk (1.2.0) is available at\n") + address
                             + QStringLiteral("\nWould you like to upgrade?");
        QList<QUrl> opened;
        const UrlOpener record = [&](const QUrl& url) {
            opened << url;
            return true;
        };

        UpgradePrompt prompt(address, record);
        prompt.offer(QStringLiteral("1.2.0"));
        QVERIFY(prompt.isVisible());
        QVERIFY(!prompt.isModal() && !QApplication::activeModalWidget());
        const auto* label = prompt.findChild<QLabel*>(QStringLiteral("lblText"));
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        auto* yes = prompt.findChild<QPushButton*>(QStringLiteral("cmdYes"));
        auto* no = prompt.findChild<QPushButton*>(QStringLiteral("cmdNo"));

        QTest::mouseClick(yes, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{QUrl(address)});
        QVERIFY(!prompt.isVisible());
        prompt.offer(QStringLiteral("1.2.0"));
        QTest::mouseClick(no, Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QVERIFY(!prompt.isVisible());

        UpgradePrompt noAddress(QString(), record); // nothing to open
        noAddress.offer(QStringLiteral("1.2.0"));
        QTest::mouseClick(noAddress.findChild<QPushButton*>(QStringLiteral("cmdYes")), Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QVERIFY(!noAddress.isVisible());
    }
};

QTEST_MAIN(TestUpgradePrompt)
#include "TestUpgradePrompt.moc"
