#pragma once

#include <QFrame>

#include <memory>

class QLabel;
class QPushButton;

namespace trevisk {

class Clock;
class NotificationQueue;

// The pop-up: a view of the notification queue that shows each text where and in the colours
// the queue says, and hands the user's dismissals back to it.
class NotifyWindow : public QFrame
{
    Q_OBJECT
public:
    // The window in twips; 150 x 201 pixels at 96 dpi.
    static constexpr QSize SizeTwips{2250, 3015};

    explicit NotifyWindow(NotificationQueue& queue, QWidget* parent = nullptr);
    ~NotifyWindow() override;

    // Shows `text` at once, in these colours (0x00BBGGRR), on a window and queue of its own that
    // delete themselves once the text has left the screen: the settings dialog's test button.
    static NotifyWindow* showTest(const QString& text, quint32 fore, quint32 back);

    static QColor toColour(quint32 bbggrr);
    static int toPixels(int twips, qreal dpi) { return qRound(twips * dpi / 1440.0); }
    static int toTwips(int pixels, qreal dpi) { return qRound(pixels * 1440.0 / dpi); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    NotifyWindow(std::unique_ptr<Clock> clock, QWidget* parent);
    void build();
    void updateScreen();
    void showText(const QString& text, QPoint twips, quint32 fore, quint32 back);
    void moveTo(QPoint twips);

    // Set only on a test window, which owns its queue.
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<NotificationQueue> m_ownQueue;
    NotificationQueue& m_queue;
    QPushButton* m_dismiss = nullptr;
    QPushButton* m_dismissAll = nullptr;
    QLabel* m_message = nullptr;
    QPoint m_origin;
    qreal m_dpiX = 96;
    qreal m_dpiY = 96;
};

} // namespace trevisk
