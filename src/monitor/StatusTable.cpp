#include "monitor/StatusTable.h"

#include "alerts/UptimeLog.h"
#include "core/Routines.h"
#include "core/Translations.h"
#include "query/AnswerCheck.h"
#include "status/StatusModel.h"

#include <QCoreApplication>
#include <QTextStream>

namespace trevisk {

namespace {

QString shown(const char* text)
{
    return QCoreApplication::translate("StatusTable", text);
}

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
    const QLocale locale = Translations::shownLocale();
    out << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Game")), 22) << ' '
        << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Address")), 24) << ' '
        << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "State")), 10) << ' '
        << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Name")), 28) << ' '
        << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Ping")), 5) << ' '
        << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Players")), 8) << ' '
        << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Map")), 14) << ' ';
    if (uptime) {
        out << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Up day")), 6) << ' '
            << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Up wk")), 6) << ' '
            << cell(shown(QT_TRANSLATE_NOOP("StatusTable", "Up 30d")), 6) << ' ';
    }
    out << shown(QT_TRANSLATE_NOOP("StatusTable", "Memo")) << '\n';
    int answered = 0;
    int offline = 0;
    int waiting = 0;
    int bad = 0;
    // The table's own short state words: the column is ten wide in every language.
    for (const StatusRow& row : status.rows()) {
        QString state;
        if (row.offline) {
            state = row.state == ServerState::Refused ? shown(QT_TRANSLATE_NOOP("StatusTable", "REFUSED"))
                                                      : shown(QT_TRANSLATE_NOOP("StatusTable", "OFFLINE"));
            ++offline;
        } else if (row.state == ServerState::BadAnswer) {
            state = shown(QT_TRANSLATE_NOOP("StatusTable", "bad answer"));
            ++bad;
        } else if (row.answered()) {
            state = shown(QT_TRANSLATE_NOOP("StatusTable", "up"));
            ++answered;
        } else if (row.timeOutCount.value_or(0) > 0) {
            state = row.state == ServerState::Refused ? shown(QT_TRANSLATE_NOOP("StatusTable", "refused"))
                                                      : shown(QT_TRANSLATE_NOOP("StatusTable", "no answer"));
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
            out << cell(UptimeLog::percent(shares.day, locale), 6) << ' '
                << cell(UptimeLog::percent(shares.week, locale), 6) << ' '
                << cell(UptimeLog::percent(shares.month, locale), 6) << ' ';
        }
        out << visibleText(row.memo) << '\n';
        if (!row.stateReason.isEmpty())
            out << QStringLiteral("    ") << visibleText(shownReason(row.stateReason)) << '\n';
        out.flush();
        if (text.size() >= PieceChars)
            flush();
    }
    out << shown(QT_TRANSLATE_NOOP("StatusTable", "Servers: %1, answered: %2, offline: %3, not answered yet: %4"))
               .arg(locale.toString(status.rowCount()),
                    locale.toString(answered),
                    locale.toString(offline),
                    locale.toString(waiting));
    // Named only when there are some, so that scripts reading the line see it as before.
    if (bad > 0)
        out << shown(QT_TRANSLATE_NOOP("StatusTable", ", bad answers: %1")).arg(locale.toString(bad));
    out << '\n';
    flush();
}

} // namespace trevisk
