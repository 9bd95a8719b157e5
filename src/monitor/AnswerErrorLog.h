#pragma once

#include "query/QueryEngine.h"

namespace trevisk {

struct AppSettings;
class Clock;

// Reports about a server's answer: to standard error and, when logging is on, to the log file.
// Never a modal box: one malformed server must not block the user at every refresh.
class AnswerErrorLog : public AnswerErrorSink
{
public:
    AnswerErrorLog(const AppSettings& settings, const Clock& clock);
    void answerError(const QString& address, const AnswerError& error) override;

private:
    const AppSettings& m_settings;
    const Clock& m_clock;
};

} // namespace trevisk
