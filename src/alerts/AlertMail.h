#pragma once

#include "notify/EmailSettings.h"

#include <QDateTime>
#include <QObject>
#include <QSet>

#include <deque>

namespace trevisk {

class Clock;
class SmtpMailer;
struct StatusRow;

// Alert mail about servers that stay down: the threshold and repeat rule, the text, and a
// queue so that a mass outage opens only a few connections to the relay at a time.
class AlertMail : public QObject
{
    Q_OBJECT
public:
    // Alert mails sent at the same time; the others wait their turn.
    static constexpr int MaxParallelMails = 2;

    explicit AlertMail(const Clock& clock, QObject* parent = nullptr);
    ~AlertMail() override;

    // The settings are read once and again only when they change, not at every time-out.
    void setSettings(const EmailSettings& settings) { m_settings = settings; }
    const EmailSettings& settings() const { return m_settings; }

    // An alert about the server is waiting or being sent: no second one is due meanwhile.
    bool isSending(const QString& address) const { return m_inFlight.contains(address); }
    // Hands an alert to a mailer of its own; `customText` replaces the default text unless blank.
    void send(const StatusRow& row, const QString& customText);
    // Drops an alert still waiting for its turn; one already being sent finishes.
    void cancel(const QString& address);

    int waiting() const { return static_cast<int>(m_waiting.size()); }

signals:
    void started(const QString& address);
    void sent(const QString& address);
    void failed(const QString& address, const QString& error);

private:
    struct Waiting
    {
        QString address;
        SmtpMailer* mailer;
    };
    void startWaiting();
    void finished(SmtpMailer* mailer, const QString& address);

    const Clock& m_clock;
    EmailSettings m_settings;
    QSet<QString> m_inFlight; // waiting or being sent
    std::deque<Waiting> m_waiting;
    int m_running = 0;
};

// The default alert text: lines separated by CR LF, one empty line before the last.
QString defaultAlertText(const QString& name, const StatusRow& row);

} // namespace trevisk
