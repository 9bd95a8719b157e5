#include "web/StatusPages.h"

#include "core/Routines.h"
#include "core/Translations.h"
#include "core/Version.h"
#include "query/ServerJson.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <climits>
#include <functional>

namespace trevisk {

namespace {

// Label values are quoted: a backslash, a quote and a line feed are the only escapes the format has.
QString labelValue(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('"'))
            escaped += QStringLiteral("\\\"");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else
            escaped += c;
    }
    return escaped;
}

QString serverLabels(const ServerSnapshot& server)
{
    return QStringLiteral("game=\"%1\",address=\"%2\"")
        .arg(labelValue(server.row.game), labelValue(server.row.address));
}

class MetricWriter
{
public:
    MetricWriter(QString& out, const std::vector<std::pair<QString, QString>>& common)
        : m_out(out)
    {
        for (const auto& [name, value] : common)
            m_common += QStringLiteral(",%1=\"%2\"").arg(name, labelValue(value));
    }
    void family(const char* name, const char* type, const char* help)
    {
        m_out += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                     .arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
    }
    void sample(const char* name, const QString& labels, double value)
    {
        m_out += QLatin1String(name);
        const QString all = labels.isEmpty() ? m_common.mid(1) : labels + m_common;
        if (!all.isEmpty())
            m_out += QLatin1Char('{') + all + QLatin1Char('}');
        m_out += QLatin1Char(' ') + QString::number(value, 'g', 17) + QLatin1Char('\n');
    }

private:
    QString& m_out;
    QString m_common; // ",name=\"value\"" for each label every sample carries
};

// The state as a person reads it; in English its key, as the page always showed.
QString shownState(ServerState state)
{
    switch (state) {
    case ServerState::Waiting:
        return QCoreApplication::translate("StatusPages", "waiting");
    case ServerState::Up:
        return QCoreApplication::translate("StatusPages", "up");
    case ServerState::NoAnswer:
        return QCoreApplication::translate("StatusPages", "timeout");
    case ServerState::Refused:
        return QCoreApplication::translate("StatusPages", "refused");
    case ServerState::BadAnswer:
        return QCoreApplication::translate("StatusPages", "bad_answer");
    }
    return {};
}

} // namespace

QByteArray metricsText(const StatusSnapshot& snapshot)
{
    QString out;
    MetricWriter metrics(out, snapshot.labels);
    const auto perServer = [&](const char* name,
                               const char* type,
                               const char* help,
                               const std::function<std::optional<double>(const ServerSnapshot&)>& value) {
        metrics.family(name, type, help);
        for (const ServerSnapshot& server : snapshot.servers) {
            if (const std::optional<double> v = value(server))
                metrics.sample(name, serverLabels(server), *v);
        }
    };
    // Values of the last answer are left out while a server is not up: a stale player count
    // would look live to an alert rule.
    const auto whileUp = [](std::optional<qint32> value, const ServerSnapshot& server) -> std::optional<double> {
        if (server.state != ServerState::Up || !value)
            return std::nullopt;
        return *value;
    };

    perServer("trevisk_server_up", "gauge", "1 when the server answered its last query, else 0.", [](const auto& s) {
        return std::optional<double>(s.state == ServerState::Up ? 1 : 0);
    });
    metrics.family("trevisk_server_state", "gauge", "The server's state: 1 for the state it is in, 0 for the others.");
    for (const ServerSnapshot& server : snapshot.servers) {
        for (const ServerState state : {ServerState::Waiting,
                                        ServerState::Up,
                                        ServerState::NoAnswer,
                                        ServerState::Refused,
                                        ServerState::BadAnswer}) {
            metrics.sample("trevisk_server_state",
                           serverLabels(server) + QStringLiteral(",state=\"%1\"").arg(QString(stateKey(state))),
                           server.state == state ? 1 : 0);
        }
    }
    perServer("trevisk_server_ping_seconds", "gauge", "Round trip of the last answer.", [&](const auto& s) {
        const auto ping = whileUp(s.row.ping, s);
        return ping ? std::optional<double>(*ping / 1000.0) : std::nullopt;
    });
    perServer("trevisk_server_players", "gauge", "Players on the server.", [&](const auto& s) {
        return whileUp(s.row.playerCount, s);
    });
    perServer("trevisk_server_max_players", "gauge", "Player slots of the server.", [&](const auto& s) {
        return whileUp(s.row.maxPlayers, s);
    });
    perServer("trevisk_server_friends", "gauge", "The user's friends on the server.", [&](const auto& s) {
        return whileUp(s.row.friends, s);
    });
    perServer("trevisk_server_last_answer_timestamp_seconds",
              "gauge",
              "When the server last answered (Unix time).",
              [](const auto& s) {
                  return s.lastAnswer.isValid() ? std::optional<double>(s.lastAnswer.toSecsSinceEpoch()) : std::nullopt;
              });

    metrics.family("trevisk_server_uptime_ratio",
                   "gauge",
                   "Share of the server's query cycles answered over the last day, week or 30 days.");
    for (const ServerSnapshot& server : snapshot.servers) {
        const std::pair<const char*, std::optional<double>> windows[] = {
            {"day", server.uptime.day}, {"week", server.uptime.week}, {"month", server.uptime.month}};
        for (const auto& [window, share] : windows) {
            if (share) {
                metrics.sample("trevisk_server_uptime_ratio",
                               serverLabels(server) + QStringLiteral(",window=\"%1\"").arg(QLatin1String(window)),
                               *share);
            }
        }
    }

    const QueryEngine::Counters& counters = snapshot.counters;
    const std::pair<const char*, std::pair<quint64, const char*>> totals[] = {
        {"trevisk_queries_sent_total", {counters.queriesSent, "Queries sent (each try of a cycle counts)."}},
        {"trevisk_answers_total", {counters.answers, "Answers read."}},
        {"trevisk_timeouts_total", {counters.timeOuts, "Query cycles that ended without an answer."}},
        {"trevisk_answer_errors_total", {counters.answerErrors, "Answers that could not be read in full."}},
    };
    for (const auto& [name, value] : totals) {
        metrics.family(name, "counter", value.second);
        metrics.sample(name, QString(), static_cast<double>(value.first));
    }
    metrics.family("trevisk_servers", "gauge", "Servers watched.");
    metrics.sample("trevisk_servers", QString(), static_cast<double>(snapshot.servers.size()));
    return out.toUtf8();
}

QJsonArray serversJson(const StatusSnapshot& snapshot)
{
    QJsonArray array;
    for (const ServerSnapshot& server : snapshot.servers) {
        QJsonObject object = queryResultJson(server.result);
        object.insert(QStringLiteral("state"), QString(stateKey(server.state)));
        const auto share = [](const std::optional<double>& value) {
            return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
        };
        object.insert(QStringLiteral("uptime"),
                      QJsonObject{{QStringLiteral("day"), share(server.uptime.day)},
                                  {QStringLiteral("week"), share(server.uptime.week)},
                                  {QStringLiteral("month"), share(server.uptime.month)}});
        array.append(object);
    }
    return array;
}

QByteArray statusPage(const StatusSnapshot& snapshot, int refreshSeconds)
{
    // Server names and maps come from the network: shown as text, never as markup.
    const auto html = [](const QString& text) { return visibleText(text).toHtmlEscaped(); };
    const auto shown = [](const char* text) {
        return QCoreApplication::translate("StatusPages", text).toHtmlEscaped();
    };
    // The page speaks the monitor's language; an English page names none, as it always did.
    const QLocale locale = Translations::shownLocale();
    const QString code = QCoreApplication::translate("StatusPages", "en", "the page's language code (HTML lang)");
    const QString language = code == QLatin1String("en") ? QString() : QStringLiteral(" lang=\"%1\"").arg(code);
    QString page;
    QTextStream out(&page);
    out << "<!DOCTYPE html>\n<html" << language << "><head><meta charset=\"utf-8\">"
        << "<meta http-equiv=\"refresh\" content=\"" << refreshSeconds << "\">"
        << "<title>Trevisk</title><style>"
        << "body{font-family:sans-serif;margin:1em}table{border-collapse:collapse}"
        << "td,th{padding:.2em .6em;border-bottom:1px solid #ccc;text-align:left}"
        << ".up{color:#070}.timeout,.refused,.bad_answer{color:#b00}.waiting{color:#777}"
        << "</style></head><body>\n<h1>Trevisk " << QLatin1String(VersionText) << "</h1>\n"
        << "<table><tr>";
    for (const char* heading : {QT_TRANSLATE_NOOP("StatusPages", "Game"),
                                QT_TRANSLATE_NOOP("StatusPages", "Address"),
                                QT_TRANSLATE_NOOP("StatusPages", "State"),
                                QT_TRANSLATE_NOOP("StatusPages", "Name"),
                                QT_TRANSLATE_NOOP("StatusPages", "Map"),
                                QT_TRANSLATE_NOOP("StatusPages", "Players"),
                                QT_TRANSLATE_NOOP("StatusPages", "Ping"),
                                QT_TRANSLATE_NOOP("StatusPages", "Friends")})
        out << "<th>" << shown(heading) << "</th>";
    out << "</tr>\n";
    for (const ServerSnapshot& server : snapshot.servers) {
        const StatusRow& row = server.row;
        const QString state = QString(stateKey(server.state));
        const bool up = server.state == ServerState::Up;
        out << "<tr><td>" << html(row.game) << "</td><td>" << html(row.address) << "</td><td class=\"" << state << "\">"
            << shownState(server.state).toHtmlEscaped() << "</td><td>" << html(row.name.value_or(QString()))
            << "</td><td>" << html(row.map.value_or(QString())) << "</td><td>"
            << (up ? html(row.players.value_or(QString())) : QString()) << "</td><td>"
            << (up && row.ping ? shown(QT_TRANSLATE_NOOP("StatusPages", "%1 ms")).arg(locale.toString(*row.ping))
                               : QString())
            << "</td><td>" << (up && row.friends ? locale.toString(*row.friends) : QString()) << "</td></tr>\n";
    }
    // The number is the locale's; %1 stands for it in every plural form.
    const auto counted = [&](const char* text, quint64 count) {
        return QCoreApplication::translate("StatusPages", text, nullptr, int(std::min<quint64>(count, INT_MAX)))
            .toHtmlEscaped()
            .arg(locale.toString(count));
    };
    const QueryEngine::Counters& c = snapshot.counters;
    out << "</table>\n<p>" << counted(QT_TRANSLATE_N_NOOP("StatusPages", "%1 queries sent"), c.queriesSent) << ", "
        << counted(QT_TRANSLATE_N_NOOP("StatusPages", "%1 answers"), c.answers) << ", "
        << counted(QT_TRANSLATE_N_NOOP("StatusPages", "%1 time-outs"), c.timeOuts) << ", "
        << counted(QT_TRANSLATE_N_NOOP("StatusPages", "%1 answer errors"), c.answerErrors) << ". "
        << "<a href=\"/metrics\">" << shown(QT_TRANSLATE_NOOP("StatusPages", "metrics"))
        << "</a> <a href=\"/api/servers\">" << shown(QT_TRANSLATE_NOOP("StatusPages", "servers as JSON"))
        << "</a></p>\n</body></html>\n";
    out.flush();
    return page.toUtf8();
}

} // namespace trevisk
