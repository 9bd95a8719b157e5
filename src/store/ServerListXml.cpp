#include "store/ServerListXml.h"

#include "core/ErrorReporter.h"
#include "core/Routines.h"
#include "core/Translations.h"
#include "store/RecordTable.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <type_traits>
#include <utility>

namespace trevisk {

namespace {

const QString SchemaNs = QStringLiteral("uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882");
const QString TypesNs = QStringLiteral("uuid:C2F41010-65B3-11d1-A29F-00AA00C14882");
const QString RowsetNs = QStringLiteral("urn:schemas-microsoft-com:rowset");
const QString RowsNs = QStringLiteral("#RowsetSchema");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss");

// A person reads these in the import's report; the marks are for lupdate.
QString shown(const char* source)
{
    return Translations::text("ServerListXml", source);
}

// --- writing

QString toText(const QString& value)
{
    return value;
}

QString toText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString toText(qint32 value)
{
    return QString::number(value);
}

QString toText(qint64 value)
{
    return QString::number(value);
}

QString toText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString toText(const QDateTime& value)
{
    return value.toString(DateTimeFormat);
}

// XML 1.0 has no way to write most control characters, not even as references.
bool xmlCanCarry(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        const char16_t code = c.unicode();
        const bool allowed = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code < 0xD800)
                             || (code >= 0xE000 && code < 0xFFFE);
        if (!allowed)
            return false;
    }
    return true;
}

void writeDatatype(QXmlStreamWriter& xml, const FieldDef& field)
{
    auto fixed = [&](const char* type, int length, int precision) {
        xml.writeAttribute(TypesNs, QStringLiteral("type"), QString::fromLatin1(type));
        xml.writeAttribute(TypesNs, QStringLiteral("maxLength"), QString::number(length));
        xml.writeAttribute(RowsetNs, QStringLiteral("precision"), QString::number(precision));
        xml.writeAttribute(RowsetNs, QStringLiteral("fixedlength"), QStringLiteral("true"));
    };
    xml.writeEmptyElement(SchemaNs, QStringLiteral("datatype"));
    switch (field.type) {
    case FieldType::Text:
    case FieldType::LongText:
        xml.writeAttribute(TypesNs, QStringLiteral("type"), QStringLiteral("string"));
        xml.writeAttribute(TypesNs, QStringLiteral("maxLength"), QString::number(field.size));
        if (field.type == FieldType::LongText)
            xml.writeAttribute(RowsetNs, QStringLiteral("long"), QStringLiteral("true"));
        break;
    case FieldType::Integer:
        fixed("int", 4, 10);
        break;
    case FieldType::BigInteger:
        fixed("i8", 8, 19);
        break;
    case FieldType::DateTime:
        xml.writeAttribute(TypesNs, QStringLiteral("type"), QStringLiteral("dateTime"));
        xml.writeAttribute(RowsetNs, QStringLiteral("dbtype"), QStringLiteral("variantdate"));
        xml.writeAttribute(TypesNs, QStringLiteral("maxLength"), QStringLiteral("16"));
        xml.writeAttribute(RowsetNs, QStringLiteral("scale"), QStringLiteral("0"));
        xml.writeAttribute(RowsetNs, QStringLiteral("precision"), QStringLiteral("0"));
        xml.writeAttribute(RowsetNs, QStringLiteral("fixedlength"), QStringLiteral("true"));
        break;
    case FieldType::Double:
        fixed("float", 8, 15);
        break;
    }
}

// --- reading

bool fromText(const QString& text, std::optional<QString>& value)
{
    value = text;
    return true;
}

bool fromText(const QString& text, std::optional<qint32>& value)
{
    bool ok = false;
    const qint32 number = text.trimmed().toInt(&ok);
    if (ok)
        value = number;
    return ok;
}

// A flag in a list file is 0 or 1; anything else is refused, as the add-server form would.
bool fromText(const QString& text, std::optional<bool>& value)
{
    std::optional<qint32> number;
    if (!fromText(text, number) || (*number != 0 && *number != 1))
        return false;
    value = *number == 1;
    return true;
}

bool fromText(const QString& text, std::optional<qint64>& value)
{
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok);
    if (ok)
        value = number;
    return ok;
}

bool fromText(const QString& text, std::optional<double>& value)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (ok)
        value = number;
    return ok;
}

bool fromText(const QString& text, std::optional<QDateTime>& value)
{
    const QDateTime when = QDateTime::fromString(text.trimmed(), Qt::ISODate);
    if (when.isValid())
        value = when;
    return when.isValid();
}

bool isElement(const QXmlStreamReader& xml, const QString& ns, QStringView name)
{
    return xml.name() == name && xml.namespaceUri().compare(ns, Qt::CaseInsensitive) == 0;
}

using RawRow = QHash<QString, QString>;

struct SchemaField
{
    QString attribute; // the name the rows use
    QString name;      // the field's own name, which may differ when it is no valid XML name
};

class RowsetParser
{
public:
    explicit RowsetParser(QIODevice& device)
        : m_xml(&device)
    {}

    // Returns an error text, or empty.
    QString parse()
    {
        if (!m_xml.readNextStartElement())
            return failure(m_xml.hasError()
                               ? m_xml.errorString()
                               : shown(QT_TRANSLATE_NOOP("ServerListXml", "The file holds no XML element")));
        if (m_xml.name() != QLatin1String("xml"))
            return failure(shown(QT_TRANSLATE_NOOP("ServerListXml", "The file is not an XML rowset")));
        while (m_xml.readNextStartElement()) {
            if (isElement(m_xml, SchemaNs, u"Schema"))
                readSchema();
            else if (isElement(m_xml, RowsetNs, u"data"))
                readRows();
            else
                m_xml.skipCurrentElement();
        }
        if (m_error.isEmpty() && m_xml.hasError())
            return failure(m_xml.errorString());
        return m_error;
    }

    QList<SchemaField> fields;
    std::vector<RawRow> rows;

private:
    QString failure(const QString& what)
    {
        if (m_error.isEmpty())
            m_error = shown(QT_TRANSLATE_NOOP("ServerListXml", "%1 (line %2)"))
                          .arg(what, QString::number(m_xml.lineNumber()));
        m_xml.raiseError(m_error);
        return m_error;
    }

    void readSchema()
    {
        while (m_xml.readNextStartElement()) {
            if (!isElement(m_xml, SchemaNs, u"ElementType")) {
                m_xml.skipCurrentElement();
                continue;
            }
            const QString rowName = m_xml.attributes().value(QLatin1String("name")).toString();
            if (!rowName.isEmpty())
                m_rowName = rowName;
            while (m_xml.readNextStartElement()) {
                if (isElement(m_xml, SchemaNs, u"AttributeType"))
                    readField();
                m_xml.skipCurrentElement();
            }
        }
    }

    void readField()
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        SchemaField field;
        field.attribute = attributes.value(QLatin1String("name")).toString();
        field.name = attributes.hasAttribute(RowsetNs, QLatin1String("name"))
                         ? attributes.value(RowsetNs, QLatin1String("name")).toString()
                         : field.attribute;
        if (field.attribute.isEmpty() || field.name.isEmpty()) {
            failure(shown(QT_TRANSLATE_NOOP("ServerListXml", "A field of the schema has no name")));
            return;
        }
        for (const SchemaField& known : std::as_const(fields)) {
            if (known.name.compare(field.name, Qt::CaseInsensitive) == 0 || known.attribute == field.attribute) {
                failure(
                    shown(QT_TRANSLATE_NOOP("ServerListXml", "The schema names the field %1 twice")).arg(field.name));
                return;
            }
        }
        fields.append(field);
    }

    static RawRow rowValues(const QXmlStreamAttributes& attributes)
    {
        RawRow row;
        for (const QXmlStreamAttribute& attribute : attributes) {
            if (attribute.namespaceUri().isEmpty())
                row.insert(attribute.name().toString(), attribute.value().toString());
        }
        return row;
    }

    bool isRow() const { return isElement(m_xml, RowsNs, m_rowName); }

    // Rows of rs:data, also those added (rs:insert) or changed (rs:update) since the list was
    // opened; deleted rows (rs:delete) are left out.
    void readRows(bool inInsert = false)
    {
        while (m_xml.readNextStartElement()) {
            if (isRow()) {
                rows.push_back(rowValues(m_xml.attributes()));
                m_xml.skipCurrentElement();
            } else if (!inInsert && isElement(m_xml, RowsetNs, u"insert")) {
                readRows(true);
            } else if (!inInsert && isElement(m_xml, RowsetNs, u"update")) {
                readUpdate();
            } else {
                m_xml.skipCurrentElement();
            }
        }
    }

    // The current row holds the changed fields over the original ones.
    void readUpdate()
    {
        RawRow row;
        while (m_xml.readNextStartElement()) {
            if (isElement(m_xml, RowsetNs, u"original")) {
                while (m_xml.readNextStartElement()) {
                    if (isRow())
                        row = rowValues(m_xml.attributes());
                    m_xml.skipCurrentElement();
                }
            } else if (isRow()) {
                const QXmlStreamAttributes attributes = m_xml.attributes();
                const RawRow changed = rowValues(attributes);
                for (auto it = changed.cbegin(); it != changed.cend(); ++it)
                    row.insert(it.key(), it.value());
                const QString nulls = attributes.value(RowsetNs, QLatin1String("forcenull")).toString();
                for (const QString& name : nulls.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                    row.remove(name);
                m_xml.skipCurrentElement();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        rows.push_back(row);
    }

    QXmlStreamReader m_xml;
    QString m_rowName = QStringLiteral("row");
    QString m_error;
};

QString typeName(FieldType type)
{
    switch (type) {
    case FieldType::Text:
    case FieldType::LongText:
        return shown(QT_TRANSLATE_NOOP("ServerListXml", "a text"));
    case FieldType::Integer:
    case FieldType::BigInteger:
        return shown(QT_TRANSLATE_NOOP("ServerListXml", "a whole number"));
    case FieldType::DateTime:
        return shown(QT_TRANSLATE_NOOP("ServerListXml", "a date and time"));
    case FieldType::Double:
        return shown(QT_TRANSLATE_NOOP("ServerListXml", "a number"));
    }
    return {};
}

} // namespace

ServerListRead readServerListXml(QIODevice& device)
{
    ServerListRead result;
    RowsetParser parser(device);
    const QString error = parser.parse();
    if (!error.isEmpty()) {
        result.error = shown(QT_TRANSLATE_NOOP("ServerListXml", "The file is not a readable server list: ")) + error;
        result.errorNumber = ErrorNumber::BadFormat;
        return result;
    }
    for (const SchemaField& field : std::as_const(parser.fields))
        result.fields.append(field.name);

    result.rows.reserve(parser.rows.size());
    int rowNumber = 0;
    for (const RawRow& raw : parser.rows) {
        ++rowNumber;
        ServerRecord record;
        ServerRecord::visit(record, [&](const char* name, auto& value, FieldType type, int) {
            if (!result.error.isEmpty())
                return;
            const QString fieldName = QString::fromLatin1(name);
            for (const SchemaField& field : std::as_const(parser.fields)) {
                if (field.name.compare(fieldName, Qt::CaseInsensitive) != 0)
                    continue;
                const auto text = raw.constFind(field.attribute);
                if (text != raw.cend() && !fromText(*text, value)) {
                    const bool flag = std::is_same_v<std::decay_t<decltype(value)>, std::optional<bool>>;
                    result.error =
                        shown(QT_TRANSLATE_NOOP("ServerListXml", "Row %1: the field %2 holds \"%3\", which is not %4"))
                            .arg(rowNumber)
                            .arg(fieldName,
                                 visibleText(text->left(80)),
                                 flag ? shown(QT_TRANSLATE_NOOP("ServerListXml", "0 or 1")) : typeName(type));
                    result.errorNumber = ErrorNumber::TypeMismatch;
                }
                break;
            }
        });
        if (!result.error.isEmpty()) {
            result.rows.clear();
            return result;
        }
        record.compact();
        result.rows.push_back(std::move(record));
    }
    return result;
}

ServerListRead readServerListFile(const QString& path)
{
    ServerListRead result;
    result.errorNumber = ErrorNumber::FileRead;
    // Checked before opening: a pipe would block, a device would never end.
    if (QString refusal = notRegularFile(path); !refusal.isEmpty()) {
        result.error = refusal;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error =
            shown(QT_TRANSLATE_NOOP("ServerListXml", "The file %1 cannot be read: %2")).arg(path, file.errorString());
        return result;
    }
    QByteArray bytes = file.read(MaxReadBytes + 1);
    if (bytes.size() > MaxReadBytes) {
        result.error =
            shown(QT_TRANSLATE_NOOP("ServerListXml", "The file %1 is larger than %2 MB: it is no server list"))
                .arg(path)
                .arg(MaxReadBytes / 1024 / 1024);
        return result;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readServerListXml(buffer);
}

QString writeServerListXml(QIODevice& device, const std::vector<ServerRecord>& rows)
{
    const QList<FieldDef> fields = RecordTable<ServerRecord>::knownFields();
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    // No XML declaration, as the rowset writers themselves write none; the encoding is UTF-8.
    xml.writeStartElement(QStringLiteral("xml"));
    xml.writeNamespace(SchemaNs, QStringLiteral("s"));
    xml.writeNamespace(TypesNs, QStringLiteral("dt"));
    xml.writeNamespace(RowsetNs, QStringLiteral("rs"));
    xml.writeNamespace(RowsNs, QStringLiteral("z"));

    xml.writeStartElement(SchemaNs, QStringLiteral("Schema"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("RowsetSchema"));
    xml.writeStartElement(SchemaNs, QStringLiteral("ElementType"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("row"));
    xml.writeAttribute(QStringLiteral("content"), QStringLiteral("eltOnly"));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        xml.writeStartElement(SchemaNs, QStringLiteral("AttributeType"));
        xml.writeAttribute(QStringLiteral("name"), fields.at(i).name);
        xml.writeAttribute(RowsetNs, QStringLiteral("number"), QString::number(i + 1));
        xml.writeAttribute(RowsetNs, QStringLiteral("nullable"), QStringLiteral("true"));
        xml.writeAttribute(RowsetNs, QStringLiteral("write"), QStringLiteral("true"));
        writeDatatype(xml, fields.at(i));
        xml.writeEndElement();
    }
    xml.writeEmptyElement(SchemaNs, QStringLiteral("extends"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("rs:rowbase"));
    xml.writeEndElement(); // ElementType
    xml.writeEndElement(); // Schema

    QString error;
    xml.writeStartElement(RowsetNs, QStringLiteral("data"));
    for (std::size_t row = 0; row < rows.size() && error.isEmpty(); ++row) {
        xml.writeEmptyElement(RowsNs, QStringLiteral("row"));
        ServerRecord::visit(rows[row], [&](const char* name, const auto& value, FieldType, int) {
            if (!value || !error.isEmpty())
                return;
            using Value = std::decay_t<decltype(*value)>;
            if constexpr (std::is_same_v<Value, QDateTime>) {
                if (!value->isValid())
                    return;
            }
            if constexpr (std::is_same_v<Value, QString>) {
                if (!xmlCanCarry(*value)) {
                    error = shown(QT_TRANSLATE_NOOP("ServerListXml",
                                                    "Row %1: the field %2 holds a character that XML cannot carry"))
                                .arg(row + 1)
                                .arg(QString::fromLatin1(name));
                    return;
                }
            }
            xml.writeAttribute(QString::fromLatin1(name), toText(*value));
        });
    }
    xml.writeEndElement(); // data
    xml.writeEndElement(); // xml
    xml.writeEndDocument();
    if (!error.isEmpty())
        return error;
    if (xml.hasError())
        return shown(QT_TRANSLATE_NOOP("ServerListXml", "The list could not be written as XML"));
    if (bytes.startsWith('\n'))
        bytes.remove(0, 1);
    if (device.write(bytes) != bytes.size())
        return device.errorString().isEmpty() ? shown(QT_TRANSLATE_NOOP("ServerListXml", "Write failed"))
                                              : device.errorString();
    return {};
}

QString writeServerListFile(const QString& path, const std::vector<ServerRecord>& rows)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (QString error = writeServerListXml(buffer, rows); !error.isEmpty())
        return error;
    return saveWholeFile(path, bytes);
}

} // namespace trevisk
