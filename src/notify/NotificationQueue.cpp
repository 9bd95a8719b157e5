#include "notify/NotificationQueue.h"

#include "core/Clock.h"
#include "notify/DesktopNotifier.h"

#include <QPointer>

#include <algorithm>

namespace trevisk {

NotificationQueue::NotificationQueue(const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
{
    m_top = m_screen.height() * 2;
    m_pollTimer.setInterval(PollInterval);
    m_restTimer.setInterval(RestInterval);
    m_slideTimer.setInterval(SlideInterval);
    m_slideTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, &NotificationQueue::pollTick);
    connect(&m_restTimer, &QTimer::timeout, this, &NotificationQueue::restEnded);
    connect(&m_slideTimer, &QTimer::timeout, this, &NotificationQueue::slideTick);
}

NotificationQueue::State NotificationQueue::state() const
{
    if (m_slideTimer.isActive())
        return m_slidingOut ? State::SlidingOut : State::SlidingIn;
    if (m_restTimer.isActive())
        return State::Resting;
    return State::Idle;
}

void NotificationQueue::setMessage(const QString& text)
{
    const PopupStyle style = resolvedPopupStyle(m_style, m_windowsPlaceable);
    if (m_desktop && style != PopupStyle::Window) {
        if (style == PopupStyle::Both) {
            m_desktop->notify(text, {});
        } else {
            // The service may answer after this queue is gone.
            QPointer<NotificationQueue> self(this);
            m_desktop->notify(text, [self, text] {
                if (self)
                    self->queueText(text);
            });
            return;
        }
    }
    queueText(text);
}

void NotificationQueue::queueText(const QString& text)
{
    // Only a text still waiting or on screen is a repeat; a server that flaps twice a day is
    // announced each time.
    const bool onScreen = state() != State::Idle && m_current == text;
    const bool queued = std::any_of(
        m_queue.cbegin(), m_queue.cend(), [&](const Notification& waiting) { return waiting.message == text; });
    if (onScreen || queued)
        return;
    m_queue.push_back({m_clock.now(), text});
    // Before the first text nothing polls yet, so it is shown at once; later ones wait for
    // the poll tick or for the pop-up on screen to leave.
    if (!m_slideTimer.isActive() && !m_restTimer.isActive() && !m_pollTimer.isActive())
        showNext();
}

void NotificationQueue::showNext()
{
    if (m_queue.empty()) {
        m_pollTimer.start();
        return;
    }
    m_pollTimer.stop();
    const QString text = m_queue.front().message;
    m_queue.pop_front();
    showQueued(text, RightMargin, m_fore, m_back);
}

void NotificationQueue::testMessage(const QString& text, quint32 fore, quint32 back)
{
    showQueued(text, 0, fore, back);
}

void NotificationQueue::showQueued(const QString& text, int rightMargin, quint32 fore, quint32 back)
{
    m_restTop = m_screen.height() - m_window.height();
    m_left = m_screen.width() - m_window.width() - rightMargin;
    m_top = m_screen.height();
    m_current = text;
    m_slidingOut = false;
    m_slideTimer.start();
    emit showRequested(text, position(), fore, back);
}

void NotificationQueue::pollTick()
{
    if (!m_slideTimer.isActive() && !m_restTimer.isActive() && !m_queue.empty())
        showNext();
}

void NotificationQueue::slideTick()
{
    if (!m_slidingOut) {
        m_top -= SlideStep;
        emit moved(position());
        // It stops at the first step above the rest line and is not moved back down to it.
        if (m_top < m_restTop) {
            m_slidingOut = true;
            m_slideTimer.stop();
            m_restTimer.start();
        }
        return;
    }
    m_top += SlideStep;
    emit moved(position());
    if (m_top > m_screen.height()) {
        m_slidingOut = false;
        m_slideTimer.stop();
        m_current.clear();
        emit hideRequested();
        showNext();
    }
}

void NotificationQueue::restEnded()
{
    m_restTimer.stop();
    m_slideTimer.start();
}

void NotificationQueue::dismiss()
{
    if (state() == State::Idle)
        return;
    m_slidingOut = true;
    m_restTimer.stop();
    if (!m_slideTimer.isActive())
        m_slideTimer.start();
}

void NotificationQueue::dismissAll()
{
    m_queue.clear();
    dismiss();
}

} // namespace trevisk
