#include "monitor/StatusTable.h"

#include "core/Routines.h"
#include "monitor/StatusModel.h"
#include "monitor/UptimeLog.h"

#include <QTextStream>

namespace trevisk {

namespace {

QString cell(const QString& text, int width)
{
    QString value = text;
    value.replace(QLatin1Char('\t'), QLatin1Char(' '));
    // Names and maps come from the servers; the memo may hold anything an import brought.
    value = visibleText(value);
    if (value.size() > width)
        value = value.left(width - 1) + QChar(0x2026);
    return value.leftJustified(width);
}

} // namespace

QString formatStatusTable(const StatusModel& status, const UptimeLog* uptime, const QDateTime& now)
{
    QString table;
    writeStatusTable(status, uptime, now, [&table](const QString& piece) { table += piece; });
    return table;
}

void writeStatusTable(const StatusModel& status,
                      const UptimeLog* uptime,
                      const QDateTime& now,
                      const std::function<void(const QString&)>& write)
{
    constexpr qsizetype PieceChars = qsizetype{16} * 1024;
    QString text;
    text.reserve(PieceChars + 1024);
    QTextStream out(&text);
    const auto flush = [&] {
        out.flush();
        write(text);
        text.resize(0); // keeps its capacity for the next piece
    };
    out << cell(QStringLiteral("Game"), 22) << ' ' << cell(QStringLiteral("Address"), 24) << ' '
        << cell(QStringLiteral("State"), 10) << ' ' << cell(QStringLiteral("Name"), 28) << ' '
        << cell(QStringLiteral("Ping"), 5) << ' ' << cell(QStringLiteral("Players"), 8) << ' '
        << cell(QStringLiteral("Map"), 14) << ' ';
    if (uptime) {
        out << cell(QStringLiteral("Up day"), 6) << ' ' << cell(QStringLiteral("Up wk"), 6) << ' '
            << cell(QStringLiteral("Up 30d"), 6) << ' ';
    }
    out << QStringLiteral("Memo") << '\n';
    int answered = 0;
    int offline = 0;
    int waiting = 0;
    int bad = 0;
    for (const StatusRow& row : status.rows()) {
        QString state;
        if (row.isOffline()) {
            state = row.state == ServerState::Refused ? QStringLiteral("REFUSED") : QStringLiteral("OFFLINE");
            ++offline;
        } else if (row.state == ServerState::BadAnswer) {
            state = stateText(row.state);
            ++bad;
        } else if (row.answered()) {
            state = QStringLiteral("up");
            ++answered;
        } else if (row.timeOutCount.value_or(0) > 0) {
            state = row.state == ServerState::Refused ? stateText(row.state) : stateText(ServerState::NoAnswer);
        } else {
            state = QStringLiteral("...");
            ++waiting;
        }
        out << cell(row.game, 22) << ' ' << cell(row.address, 24) << ' ' << cell(state, 10) << ' '
            << cell(row.name.value_or(QString()), 28) << ' '
            << cell(row.ping ? QString::number(*row.ping) : QString(), 5) << ' '
            << cell(row.players.value_or(QString()), 8) << ' ' << cell(row.map.value_or(QString()), 14) << ' ';
        if (uptime) {
            const UptimeShares shares = uptime->shares(row.address, now);
            out << cell(UptimeLog::percent(shares.day), 6) << ' ' << cell(UptimeLog::percent(shares.week), 6) << ' '
                << cell(UptimeLog::percent(shares.month), 6) << ' ';
        }
        out << visibleText(row.server) << '\n';
        if (!row.stateReason.isEmpty())
            out << QStringLiteral("    ") << visibleText(row.stateReason) << '\n';
        out.flush();
        if (text.size() >= PieceChars)
            flush();
    }
    out << QStringLiteral("Servers: %1, answered: %2, offline: %3, not answered yet: %4")
               .arg(status.rowCount())
               .arg(answered)
               .arg(offline)
               .arg(waiting);
    // Named only when there are some, so that scripts reading the line see it as before.
    if (bad > 0)
        out << QStringLiteral(", bad answers: %1").arg(bad);
    out << '\n';
    flush();
}

} // namespace trevisk
