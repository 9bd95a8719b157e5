#include "monitor/AnswerErrorLog.h"

#include "core/Clock.h"
#include "core/ErrorText.h"
#include "core/Routines.h"
#include "core/Settings.h"
#include "notify/EventLog.h"
#include "query/AnswerCheck.h"

#include <QFile>

#include <cstdio>

namespace trevisk {

AnswerErrorLog::AnswerErrorLog(const AppSettings& settings, const Clock& clock)
    : m_settings(settings)
    , m_clock(clock)
{}

void AnswerErrorLog::answerError(const QString& address, const AnswerError& error)
{
    QString lines = shownErrorText(shownReason(error.description), error.number, error.procedure);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fprintf(stderr, "%s: %s\n", address.toLocal8Bit().constData(), lines.toLocal8Bit().constData());
    std::fflush(stderr);
    if (!m_settings.logging || m_settings.logFile.isEmpty() || !notRegularFile(m_settings.logFile).isEmpty())
        return;
    // The log is data: its report stays English whatever the language shown.
    QString oneLine = address + QStringLiteral(": ") + errorText(error.description, error.number, error.procedure);
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    oneLine = visibleText(oneLine);
    QFile file(m_settings.logFile);
    if (file.open(QIODevice::Append))
        file.write((EventLog::fileLine(m_clock.now(), oneLine) + QStringLiteral("\r\n")).toUtf8());
}

} // namespace trevisk
