#include "query/ServerJson.h"

#include "query/ServerQuery.h"
#include "query/ServerState.h"

#include <QJsonDocument>

namespace trevisk {

namespace {

// Indented JSON laid out as Qt's own writer lays it out (four spaces a level, `,` at line ends,
// strings escaped alike), so that `query --json` keeps the bytes a QJsonDocument gave without
// building one: that was most of a round's CPU. Keys must come in Qt's order, which is sorted.
class IndentedJson
{
public:
    IndentedJson(QByteArray& out, int depth)
        : m_out(out)
        , m_depth(depth)
    {}

    void open(char bracket)
    {
        m_out.append(bracket).append('\n');
        ++m_depth;
        m_first = true;
    }
    void close(char bracket)
    {
        --m_depth;
        if (!m_first)
            m_out.append('\n');
        indent();
        m_out.append(bracket);
        m_first = false;
    }
    // Starts an array's element.
    void item()
    {
        if (!m_first)
            m_out.append(",\n");
        m_first = false;
        indent();
    }
    void key(const char* name) { item(), m_out.append('"').append(name).append("\": "); }

    void number(qint64 value) { m_out.append(QByteArray::number(value)); }
    void null() { m_out.append("null"); }
    void string(QStringView text)
    {
        static constexpr char hex[] = "0123456789abcdef";
        const auto escape = [this](char16_t u) {
            m_out.append("\\u").append(hex[u >> 12]).append(hex[(u >> 8) & 0xf]);
            m_out.append(hex[(u >> 4) & 0xf]).append(hex[u & 0xf]);
        };
        m_out.append('"');
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            if (u < 0x80) {
                if (u >= 0x20 && u != '"' && u != '\\') {
                    m_out.append(char(u));
                    continue;
                }
                switch (u) {
                case '"':
                case '\\':
                    m_out.append('\\').append(char(u));
                    break;
                case '\b':
                    m_out.append("\\b");
                    break;
                case '\f':
                    m_out.append("\\f");
                    break;
                case '\n':
                    m_out.append("\\n");
                    break;
                case '\r':
                    m_out.append("\\r");
                    break;
                case '\t':
                    m_out.append("\\t");
                    break;
                default:
                    escape(u);
                }
            } else if (u < 0x800) {
                m_out.append(char(0xc0 | (u >> 6))).append(char(0x80 | (u & 0x3f)));
            } else if (!QChar::isSurrogate(u)) {
                m_out.append(char(0xe0 | (u >> 12))).append(char(0x80 | ((u >> 6) & 0x3f)));
                m_out.append(char(0x80 | (u & 0x3f)));
            } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                const char32_t c = QChar::surrogateToUcs4(u, text[++i].unicode());
                m_out.append(char(0xf0 | (c >> 18))).append(char(0x80 | ((c >> 12) & 0x3f)));
                m_out.append(char(0x80 | ((c >> 6) & 0x3f))).append(char(0x80 | (c & 0x3f)));
            } else {
                escape(u); // a lone surrogate has no UTF-8 form
            }
        }
        m_out.append('"');
    }
    // A number where the text is one, null for no text, else the text.
    void numberOrText(const QString& text)
    {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (ok)
            number(value);
        else if (text.isEmpty())
            null();
        else
            string(text);
    }

private:
    void indent() { m_out.append(qsizetype{4} * m_depth, ' '); }

    QByteArray& m_out;
    int m_depth;
    bool m_first = true;
};

} // namespace

void appendQueryResultJson(QByteArray& out, const QueryRound::Result& result, int depth)
{
    // A query that ended without any word from the server is a time-out.
    const ServerState state = result.answered
                                  ? ServerState::Up
                                  : (result.state == ServerState::Waiting ? ServerState::NoAnswer : result.state);
    IndentedJson json(out, depth);
    json.open('{');
    json.key("address"), json.string(result.address);
    json.key("game"), json.string(result.game);
    json.key("hostname"), json.string(result.hostname);
    json.key("map"), json.string(result.map);
    json.key("maxplayers"), json.numberOrText(result.maxPlayers);
    json.key("numplayers"), json.number(result.playerCount());
    json.key("ping"), json.number(result.ping);
    json.key("players"), json.open('[');
    if (result.players) {
        for (const Player& player : *result.players) {
            json.item(), json.open('{');
            json.key("name"), json.string(player.name);
            json.key("ping"), json.numberOrText(player.ping);
            json.key("score"), json.numberOrText(player.score);
            if (!player.time.isEmpty())
                json.key("time"), json.string(player.time);
            json.close('}');
        }
    }
    json.close(']');
    if (state == ServerState::BadAnswer || (state == ServerState::Refused && !result.stateReason.isEmpty()))
        json.key("reason"), json.string(result.stateReason);
    json.key("settings"), json.open('[');
    for (const ServerSetting& setting : result.settings) {
        json.item(), json.open('[');
        json.item(), json.string(setting.setting);
        json.item(), json.string(setting.value);
        json.close(']');
    }
    json.close(']');
    json.key("status"), json.string(QString(stateKey(state)));
    json.close('}');
}

QJsonObject queryResultJson(const QueryRound::Result& result)
{
    QByteArray text;
    appendQueryResultJson(text, result);
    return QJsonDocument::fromJson(text).object();
}

QueryRound::Result queryResultOf(const ServerQuery& query, bool answered)
{
    QueryRound::Result result;
    result.game = query.game();
    result.address = query.address();
    result.answered = answered;
    result.state = answered ? ServerState::Up : query.state();
    result.stateReason = query.stateReason();
    result.copyAnswer(query);
    return result;
}

} // namespace trevisk
