#include "notify/EventLog.h"

#include "core/Clock.h"
#include "core/Routines.h"
#include "core/Settings.h"

#include <QFile>
#include <QLocale>

namespace trevisk {

EventLog::EventLog(const AppSettings& settings, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_clock(clock)
{}

QString EventLog::fileLine(const QDateTime& stamp, const QString& line)
{
    const QLocale locale = QLocale::system();
    const QString format =
        locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + locale.timeFormat(QLocale::LongFormat);
    return locale.toString(stamp, format) + QStringLiteral(" : ") + line;
}

void EventLog::logMessage(const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    // Server names and maps are in the text: nothing they hold may start a line or steer a terminal.
    line = visibleText(line);
    const QDateTime stamp = m_clock.now();
    if (m_settings.logging && !m_settings.logFile.isEmpty())
        appendToFile(m_settings.logFile, stamp, line);
    // The row is kept even when the file could not be written.
    m_notifyLog.push_back({stamp, line});
    emit logged(stamp, line);
}

void EventLog::appendToFile(const QString& path, const QDateTime& stamp, const QString& line) const
{
    // Opened and closed for every line, so the file can be moved or read between events.
    // A pipe without a reader would block the monitor; a device or folder is no log.
    if (!notRegularFile(path).isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write((fileLine(stamp, line) + QStringLiteral("\r\n")).toUtf8());
}

} // namespace trevisk
