#include "store/ServerListXml.h"

#include <QBuffer>
#include <QTest>

using namespace trevisk;

namespace {

ServerListRead readBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readServerListXml(buffer);
}

QByteArray writeBytes(const std::vector<ServerRecord>& rows)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return writeServerListXml(buffer, rows).isEmpty() ? bytes : QByteArray();
}

const char* const Head = R"(<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'
  xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882' xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'>
<s:Schema id='RowsetSchema'><s:ElementType name='row' content='eltOnly'>
 <s:AttributeType name='Tray' rs:number='1'><s:datatype dt:type='int' dt:maxLength='4'/></s:AttributeType>
 <s:AttributeType name='Rating' rs:number='2'><s:datatype dt:type='string'/></s:AttributeType>
 <s:AttributeType name='c2' rs:name='Address' rs:number='3'><s:datatype dt:type='string'/></s:AttributeType>
 <s:AttributeType name='Game' rs:number='4'><s:datatype dt:type='string'/></s:AttributeType>
 <s:extends type='rs:rowbase'/></s:ElementType></s:Schema>
<rs:data>
)";

} // namespace

class TestServerListXml : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip()
    {
        // One value of each type; the other fields stay null.
        ServerRecord full, bare;
        full.address = QStringLiteral("127.0.2.10:27960");
        full.iconBack = -0xFFFFFFFFFFLL;
        full.manualRefresh = true;
        full.memo = QStringLiteral("O'Neil's \"<clan> & co\"\nzweite Zeile, \u00fc");
        full.unused.edit().unusedDate = QDateTime(QDate(2003, 1, 2), QTime(3, 4, 5));
        full.unused.edit().unusedNumber = 0.1;
        full.unused.edit().unusedText = QString();
        bare.address = QStringLiteral("host:1");

        const QByteArray bytes = writeBytes({full, bare});
        const ServerListRead read = readBytes(bytes);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QVERIFY(read.rows == (std::vector{full, bare}));
        // The layout other tools read: typed schema, no attribute for a null field.
        QVERIFY(bytes.startsWith("<xml xmlns:s=\"uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882\""));
        for (const char* part :
             {R"(<s:AttributeType name="IconBack" rs:number="3" rs:nullable="true" rs:write="true">)",
              R"(<s:datatype dt:type="i8" dt:maxLength="8" rs:precision="19" rs:fixedlength="true"/>)",
              R"(Option3="2003-01-02T03:04:05")",
              R"(<z:row Address="host:1"/>)"})
            QVERIFY2(bytes.contains(part), part);
        bare.memo = QStringLiteral("no XML for \u0001");
        QVERIFY(writeBytes({bare}).isEmpty());
    }

    // Fields by name (any order, renamed, extra), rows added or changed since the list was opened.
    void readsOtherWriters()
    {
        const ServerListRead read = readBytes(QByteArray(Head) + R"(
 <z:row c2='a:1' Tray='1' Rating='5'/>
 <rs:insert><z:row c2='b:2' Game='Halo'/></rs:insert>
 <rs:update><rs:original><z:row c2='c:3' Game='Old' Tray='1'/></rs:original>
   <z:row Game='New' rs:forcenull='Tray'/></rs:update>
 <rs:delete><z:row c2='gone:4'/></rs:delete>
</rs:data></xml>)");
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(read.fields, QStringLiteral("Tray Rating Address Game").split(QLatin1Char(' ')));
        QString rows;
        for (const ServerRecord& row : read.rows)
            rows += QStringLiteral("%1 %2 %3;")
                        .arg(row.addressText(), row.game.value_or(QStringLiteral("-")))
                        .arg(row.tray.value_or(-1));
        QCOMPARE(rows, QStringLiteral("a:1 - 1;b:2 Halo -1;c:3 New -1;"));
        QVERIFY(read.rows[0].extra.isEmpty());
    }

    // Nothing half-read comes back: an error and no rows.
    void rejectsDamagedFiles()
    {
        QList<QByteArray> damaged{"servers.dat",
                                  "<html/>",
                                  QByteArray(Head) + "<z:row c2='a:1'/><z:row c2='b:1' Tray='x'/></rs:data></xml>",
                                  QByteArray(Head).replace("'Rating'", "'Game'") + "</rs:data></xml>"};
        const QByteArray good = writeBytes({ServerRecord{}, ServerRecord{}});
        for (qsizetype size = 1; size < good.size() - 1; size += 97)
            damaged << good.left(size);
        for (const QByteArray& bytes : damaged) {
            const ServerListRead read = readBytes(bytes);
            QVERIFY2(!read.ok() && read.errorNumber != 0 && read.rows.empty(), bytes.left(200).constData());
        }
        // A name from the file that looks like a place-holder is shown as it stands.
        const QByteArray twice = QByteArray(Head).replace("'Rating'", "'%2'").replace("'Game'", "'%2'");
        QVERIFY(readBytes(twice + "</rs:data></xml>").error.contains(QStringLiteral("field %2 twice (line")));
    }
};

QTEST_GUILESS_MAIN(TestServerListXml)
#include "TestServerListXml.moc"
