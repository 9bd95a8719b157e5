#pragma once

#include "core/Settings.h"
#include "notify/Notification.h"

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QTimer>

#include <chrono>
#include <deque>

namespace trevisk {

class Clock;
class DesktopNotifier;

// The pop-up queue: holds the texts waiting to be shown and runs the slide-in, rest and
// slide-out cycle of the one pop-up window. The window only follows the signals; positions
// are in twips (15 per pixel at 96 dpi), the screen's top-left corner being 0,0.
class NotificationQueue : public QObject
{
    Q_OBJECT
public:
    enum class State
    {
        Idle,
        SlidingIn,
        Resting,
        SlidingOut
    };

    static constexpr std::chrono::milliseconds PollInterval{1000};
    static constexpr std::chrono::milliseconds RestInterval{3000};
    static constexpr std::chrono::milliseconds SlideInterval{20};
    static constexpr int SlideStep = 250;
    static constexpr int RightMargin = 200;
    static constexpr QSize DefaultWindowSize{2250, 3015};
    static constexpr QSize DefaultScreenSize{28800, 16200};

    explicit NotificationQueue(const Clock& clock, QObject* parent = nullptr);

    void setPollInterval(std::chrono::milliseconds interval) { m_pollTimer.setInterval(interval); }
    void setRestInterval(std::chrono::milliseconds interval) { m_restTimer.setInterval(interval); }
    void setSlideInterval(std::chrono::milliseconds interval) { m_slideTimer.setInterval(interval); }
    // The whole primary screen (the pop-up rests over the taskbar) and the window, both in twips;
    // they take effect with the next text shown.
    void setScreenSize(QSize twips) { m_screen = twips; }
    void setWindowSize(QSize twips) { m_window = twips; }
    // The notification text and background colours (0x00BBGGRR) of the texts shown from now on.
    void setColours(quint32 fore, quint32 back)
    {
        m_fore = fore;
        m_back = back;
    }

    // Where texts go from now on: without a notifier, or with Window, to the window only. With
    // Desktop alone, a text the service cannot take is queued for the window instead.
    void setDesktop(DesktopNotifier* notifier) { m_desktop = notifier; }
    void setStyle(PopupStyle style) { m_style = style; }
    // Whether the desktop lets the window be placed: Automatic goes to the desktop's service where not.
    void setWindowsPlaceable(bool placeable) { m_windowsPlaceable = placeable; }

    // Shows a text as the style says. For the window, a text equal to one still waiting or on
    // screen is dropped; once it has left the screen the same text is shown again.
    void setMessage(const QString& text);
    // Slides the current pop-up out from wherever it is; the next waiting text follows.
    void dismiss();
    // As dismiss, and discards every waiting text.
    void dismissAll();
    // Shows a text at once in the colours given, flush with the screen's right edge, without
    // touching the queue; the settings dialog tries its colours this way on an instance of its own.
    void testMessage(const QString& text, quint32 fore, quint32 back);

    State state() const;
    const std::deque<Notification>& waiting() const { return m_queue; }
    // The text on screen, empty when idle.
    const QString& currentText() const { return m_current; }
    QPoint position() const { return {m_left, m_top}; }

signals:
    // Put the window at `position` with `text` in these colours (0x00BBGGRR), visible and topmost.
    void showRequested(const QString& text, QPoint position, quint32 fore, quint32 back);
    void moved(QPoint position);
    // The window has left the screen: hide it.
    void hideRequested();

private:
    void queueText(const QString& text);
    void showNext();
    void showQueued(const QString& text, int rightMargin, quint32 fore, quint32 back);
    void pollTick();
    void slideTick();
    void restEnded();

    const Clock& m_clock;
    std::deque<Notification> m_queue;
    QString m_current;
    QSize m_screen = DefaultScreenSize;
    QSize m_window = DefaultWindowSize;
    int m_left = 0;
    int m_top = 0;
    int m_restTop = 0;
    bool m_slidingOut = false;
    quint32 m_fore = 0xFF0000;
    quint32 m_back = 65535;
    DesktopNotifier* m_desktop = nullptr;
    PopupStyle m_style = PopupStyle::Automatic;
    bool m_windowsPlaceable = true;
    QTimer m_pollTimer{this};
    QTimer m_restTimer{this};
    QTimer m_slideTimer{this};
};

} // namespace trevisk
