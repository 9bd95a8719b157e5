#include "monitor/AlertMail.h"

#include "core/Clock.h"
#include "monitor/StatusRow.h"
#include "notify/SmtpMailer.h"

namespace trevisk {

AlertMail::AlertMail(const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
{}

AlertMail::~AlertMail()
{
    for (const Waiting& waiting : m_waiting)
        delete waiting.mailer;
}

bool AlertMail::isDue(const StatusRow& row) const
{
    if (!m_settings.enabled || row.noAlertMail || m_inFlight.contains(row.address))
        return false;
    if (row.timeOutCount.value_or(0) < m_settings.timeOutThreshold())
        return false;
    if (!row.lastMail)
        return true;
    return m_settings.interval >= 1 && m_clock.now().addSecs(-60LL * m_settings.interval) > *row.lastMail;
}

QString defaultAlertText(const QString& name, const StatusRow& row)
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Server: ") + name + crlf + QStringLiteral("Address: ") + row.address + crlf
           + QStringLiteral("Game: ") + row.game + crlf + QStringLiteral("TimeOuts: ")
           + QString::number(row.timeOutCount.value_or(0)) + crlf + QStringLiteral("State: ") + stateText(row.state)
           + (row.state == ServerState::Refused ? QStringLiteral(" (nothing listens at its port)") : QString()) + crlf
           + crlf + QStringLiteral("This is an automated message, do not reply!");
}

void AlertMail::send(const StatusRow& row, const QString& customText)
{
    // A server that never answered has no name: the address stands in for it.
    const QString name = row.name.value_or(QString()).isEmpty() ? row.address : *row.name;
    auto* mailer = new SmtpMailer(m_clock, this);
    m_settings.prepare(*mailer);
    SmtpMessage message = mailer->message();
    message.fromName = QString::fromLatin1(MailFromName);
    message.to = m_settings.email;
    message.subject = QStringLiteral("ALERT: Server: ") + name
                      + (row.state == ServerState::Refused ? QStringLiteral(" has timed out (refused)!")
                                                           : QStringLiteral(" has timed out!"));
    message.text = customText.trimmed().isEmpty() ? defaultAlertText(name, row) : customText;
    mailer->setMessage(message);
    const QString address = row.address;
    m_inFlight.insert(address);
    connect(mailer, &SmtpMailer::sendComplete, this, [this, mailer, address] {
        finished(mailer, address);
        emit sent(address);
    });
    connect(mailer, &SmtpMailer::error, this, [this, mailer, address](const QString& description, int) {
        finished(mailer, address);
        emit failed(address, description);
    });
    emit started(address);
    // Relays refuse many connections at once from one client: a mass outage waits its turn.
    m_waiting.push_back({address, mailer});
    startWaiting();
}

void AlertMail::cancel(const QString& address)
{
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (it->address != address) {
            ++it;
            continue;
        }
        delete it->mailer;
        m_inFlight.remove(address);
        it = m_waiting.erase(it);
    }
}

void AlertMail::startWaiting()
{
    while (m_running < MaxParallelMails && !m_waiting.empty()) {
        SmtpMailer* mailer = m_waiting.front().mailer;
        m_waiting.pop_front();
        ++m_running;
        mailer->send();
    }
}

void AlertMail::finished(SmtpMailer* mailer, const QString& address)
{
    m_inFlight.remove(address);
    --m_running;
    mailer->deleteLater();
    // Queued: the next mail starts once this one's signal has returned.
    QMetaObject::invokeMethod(this, &AlertMail::startWaiting, Qt::QueuedConnection);
}

} // namespace trevisk
