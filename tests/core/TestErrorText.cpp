#include "core/ErrorText.h"

#include <QTest>

using namespace trevisk;

class TestErrorText : public QObject
{
    Q_OBJECT
private slots:
    void layout()
    {
        const QString text = errorText(QStringLiteral("Type mismatch"), 13, QStringLiteral("cmdSave_Click()"));
        QVERIFY(text.startsWith(QStringLiteral("An error has occured in function: cmdSave_Click()\r\n")));
        QVERIFY(text.contains(QStringLiteral("----->\r\nType mismatch\r\n<-----END")));
        QVERIFY(text.contains(QStringLiteral("\r\nError Number:13\r\n")));
        const QString unnamed = errorText(QStringLiteral("x"), -2147217900, QString());
        QVERIFY(unnamed.startsWith(QStringLiteral("An error has occured\r\n")));
        QVERIFY(unnamed.contains(QStringLiteral("\r\nError Number:-2147217900\r\n")));
        const QString multiLine = errorText(QStringLiteral("one\r\ntwo\nthree"), 1, QStringLiteral("Main()"));
        QVERIFY(multiLine.contains(QStringLiteral("----->\r\none\r\ntwo\nthree\r\n<-----END")));
        QVERIFY(!multiLine.endsWith(QLatin1Char('\n')));
    }
};

QTEST_GUILESS_MAIN(TestErrorText)
#include "TestErrorText.moc"
