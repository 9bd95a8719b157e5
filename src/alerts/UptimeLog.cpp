#include "alerts/UptimeLog.h"

#include "core/Routines.h"
#include "core/Translations.h"
#include "store/RecordFile.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace trevisk {

namespace {

constexpr char Magic[] = "TRVSKUP1";
constexpr int MaxAddressLength = 512;

} // namespace

UptimeLog::UptimeLog(QString filePath)
    : m_path(std::move(filePath))
{}

qint32 UptimeLog::hourOf(const QDateTime& when)
{
    return static_cast<qint32>(when.toSecsSinceEpoch() / 3600);
}

void UptimeLog::dropBefore(Server& server, qint32 hour)
{
    // In 64 bits: a first hour read from a file may be anything.
    const qint64 before = qint64(hour) - server.firstHour;
    const size_t stale = size_t(std::clamp<qint64>(before, 0, qint64(server.hours.size())));
    server.hours.erase(server.hours.begin(), server.hours.begin() + qsizetype(stale));
    server.firstHour = server.hours.empty() ? hour : server.firstHour + qint32(stale);
}

void UptimeLog::dropAfter(Server& server, qint32 hour)
{
    const qint64 kept = qint64(hour) - server.firstHour + 1;
    if (kept < qint64(server.hours.size()))
        server.hours.resize(size_t(std::max<qint64>(kept, 0)));
}

QString UptimeLog::load(const QDateTime& now, bool moveAside)
{
    m_servers.clear();
    m_savedHour = hourOf(now);
    if (m_path.isEmpty())
        return {};
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink())
        return {};
    QFile file(m_path);
    // Checked before opening, as for the lists: a pipe would block the start and every listing.
    QString error = notRegularFile(m_path);
    if (error.isEmpty() && (file.size() > MaxReadBytes || !file.open(QIODevice::ReadOnly)))
        error = file.errorString().isEmpty() ? QStringLiteral("too large") : file.errorString();
    if (error.isEmpty()) {
        QDataStream in(&file);
        in.setVersion(QDataStream::Qt_6_0);
        char magic[8] = {};
        quint32 count = 0;
        if (in.readRawData(magic, 8) != 8 || std::memcmp(magic, Magic, 8) != 0) {
            error = QStringLiteral("not an uptime file");
        } else {
            in >> count;
        }
        for (quint32 i = 0; error.isEmpty() && i < count; ++i) {
            QByteArray address;
            qint32 firstHour = 0;
            quint16 hours = 0;
            in >> address >> firstHour >> hours;
            if (in.status() != QDataStream::Ok || address.size() > MaxAddressLength || hours > KeptHours) {
                error = QStringLiteral("damaged");
                break;
            }
            Server server;
            server.firstHour = firstHour;
            server.hours.reserve(hours);
            bool fits = true;
            for (quint16 h = 0; h < hours; ++h) {
                Count counts;
                in >> counts.cycles >> counts.answered;
                fits = fits && counts.answered <= counts.cycles;
                server.hours.push_back(counts);
            }
            if (in.status() != QDataStream::Ok || !fits) {
                error = QStringLiteral("damaged");
                break;
            }
            // Only the last 30 days up to now are kept: hours a clock that ran fast wrote would stop
            // the counting until they came.
            dropAfter(server, m_savedHour);
            dropBefore(server, m_savedHour - KeptHours + 1);
            if (!server.hours.empty())
                m_servers.emplace(QString::fromUtf8(address), std::move(server));
        }
    }
    if (!error.isEmpty()) {
        m_servers.clear();
        file.close();
        if (moveAside)
            keepAside(m_path);
    }
    return error;
}

QString UptimeLog::save(const QDateTime& now)
{
    const qint32 hour = hourOf(now);
    m_savedHour = hour;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out.writeRawData(Magic, 8);
    for (auto it = m_servers.begin(); it != m_servers.end();) {
        dropBefore(it.value(), hour - KeptHours + 1);
        it = it->hours.empty() ? m_servers.erase(it) : std::next(it);
    }
    out << quint32(m_servers.size());
    for (auto it = m_servers.cbegin(); it != m_servers.cend(); ++it) {
        out << it.key().toUtf8() << it->firstHour << quint16(it->hours.size());
        for (const Count& counts : it->hours)
            out << counts.cycles << counts.answered;
    }
    return m_path.isEmpty() ? QString() : saveWholeFile(m_path, bytes);
}

bool UptimeLog::saveDue(const QDateTime& now) const
{
    return hourOf(now) != m_savedHour;
}

void UptimeLog::record(const QString& address, quint64 cycle, bool answered, const QDateTime& now)
{
    auto it = m_servers.find(address);
    if (it == m_servers.end()) {
        it = m_servers.insert(address, {});
    } else if (it.key().constData() != address.constData()) {
        // A key read from the file is a copy of its own; the list's text serves as well, once per server.
        Server kept = std::move(*it);
        m_servers.erase(it);
        it = m_servers.emplace(address, std::move(kept));
    }
    Server& server = *it;
    if (cycle != 0 && cycle == server.lastCycle)
        return;
    server.lastCycle = cycle;
    const qint32 hour = hourOf(now);
    // A clock set back counts into the hour it returned to; the hours it had gone ahead to are dropped.
    dropAfter(server, hour);
    if (server.hours.empty())
        server.firstHour = hour;
    while (server.firstHour + qint32(server.hours.size()) <= hour)
        server.hours.push_back({});
    dropBefore(server, hour - KeptHours + 1);
    Count& counts = server.hours[size_t(hour - server.firstHour)];
    if (counts.cycles == 0xFFFF)
        return;
    ++counts.cycles;
    if (answered)
        ++counts.answered;
}

void UptimeLog::forget(const QString& address)
{
    m_servers.remove(address);
}

UptimeShares UptimeLog::shares(const QString& address, const QDateTime& now) const
{
    UptimeShares result;
    const auto it = m_servers.constFind(address);
    if (it == m_servers.cend())
        return result;
    const qint32 hour = hourOf(now);
    const auto share = [&](int span) -> std::optional<double> {
        qint64 cycles = 0;
        qint64 answered = 0;
        for (qint32 h = std::max(hour - span + 1, it->firstHour); h <= hour; ++h) {
            const qint64 index = h - it->firstHour;
            if (index >= qint64(it->hours.size()))
                break;
            cycles += it->hours[size_t(index)].cycles;
            answered += it->hours[size_t(index)].answered;
        }
        return cycles ? std::optional<double>(double(answered) / double(cycles)) : std::nullopt;
    };
    result.day = share(24);
    result.week = share(7 * 24);
    result.month = share(KeptHours);
    return result;
}

QString UptimeLog::percent(const std::optional<double>& share, const QLocale& locale)
{
    if (!share)
        return QStringLiteral("-");
    // Truncated to a tenth: one missed cycle in thousands still shows as less than 100 %.
    const double tenths = std::floor(*share * 1000.0 + 1e-9);
    if (tenths >= 1000.0)
        return locale.toString(100) + locale.percent();
    return locale.toString(tenths / 10.0, 'f', 1) + locale.percent();
}

QString UptimeLog::describe(const UptimeShares& shares)
{
    const QLocale locale = Translations::shownLocale();
    return QCoreApplication::translate("UptimeLog", "day %1, week %2, 30 days %3")
        .arg(percent(shares.day, locale), percent(shares.week, locale), percent(shares.month, locale));
}

} // namespace trevisk
