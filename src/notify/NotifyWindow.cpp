#include "notify/NotifyWindow.h"

#include "core/Clock.h"
#include "notify/NotificationQueue.h"
#include "session/Desktop.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace trevisk {

NotifyWindow::NotifyWindow(NotificationQueue& queue, QWidget* parent)
    : QFrame(parent)
    , m_queue(queue)
{
    build();
}

NotifyWindow::NotifyWindow(std::unique_ptr<Clock> clock, QWidget* parent)
    : QFrame(parent)
    , m_ownClock(std::move(clock))
    , m_ownQueue(std::make_unique<NotificationQueue>(*m_ownClock))
    , m_queue(*m_ownQueue)
{
    build();
    connect(&m_queue, &NotificationQueue::hideRequested, this, &QObject::deleteLater);
}

NotifyWindow::~NotifyWindow() = default;

NotifyWindow* NotifyWindow::showTest(const QString& text, quint32 fore, quint32 back)
{
    auto* window = new NotifyWindow(std::make_unique<SystemClock>(), nullptr);
    window->m_queue.testMessage(text, fore, back);
    return window;
}

QColor NotifyWindow::toColour(quint32 bbggrr)
{
    return QColor(int(bbggrr & 0xFF), int((bbggrr >> 8) & 0xFF), int((bbggrr >> 16) & 0xFF));
}

void NotifyWindow::build()
{
    // Over everything, also the taskbar, and never taking the focus from what the user is doing.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setObjectName(QStringLiteral("frmNotify"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);

    m_dismiss = new QPushButton(tr("Dismiss"), this);
    m_dismiss->setObjectName(QStringLiteral("cmdDismiss"));
    m_dismissAll = new QPushButton(tr("Dismiss All"), this);
    m_dismissAll->setObjectName(QStringLiteral("cmdDismissAll"));
    // The buttons are 67 pixels wide at 96 dpi: the small size of the label's font keeps "Dismiss All" whole.
    QFont buttonFont = font();
    buttonFont.setPointSizeF(8.25);
    for (QPushButton* button : {m_dismiss, m_dismissAll}) {
        button->setFont(buttonFont);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
    }
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lblMsg"));
    // Messages hold servers' and players' names: never read as markup.
    m_message->setTextFormat(Qt::PlainText);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_message->setLineWidth(1);
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    m_message->setFont(font);

    connect(m_dismiss, &QPushButton::clicked, &m_queue, &NotificationQueue::dismiss);
    connect(m_dismissAll, &QPushButton::clicked, &m_queue, &NotificationQueue::dismissAll);
    connect(&m_queue, &NotificationQueue::showRequested, this, &NotifyWindow::showText);
    connect(&m_queue, &NotificationQueue::moved, this, &NotifyWindow::moveTo);
    connect(&m_queue, &NotificationQueue::hideRequested, this, &QWidget::hide);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &NotifyWindow::updateScreen);
    updateScreen();
}

// The queue works on the whole primary screen, not the work area, so that the pop-up rests
// over the taskbar; twips follow the screen's logical resolution.
void NotifyWindow::updateScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    connect(screen, &QScreen::geometryChanged, this, &NotifyWindow::updateScreen, Qt::UniqueConnection);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &NotifyWindow::updateScreen, Qt::UniqueConnection);
    m_dpiX = screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : 96;
    m_dpiY = screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96;
    const QRect geometry = screen->geometry();
    m_origin = geometry.topLeft();
    m_queue.setScreenSize({toTwips(geometry.width(), m_dpiX), toTwips(geometry.height(), m_dpiY)});
    m_queue.setWindowSize(SizeTwips);

    const auto place = [this](QWidget* widget, int left, int top, int width, int height) {
        widget->setGeometry(
            toPixels(left, m_dpiX), toPixels(top, m_dpiY), toPixels(width, m_dpiX), toPixels(height, m_dpiY));
    };
    setFixedSize(toPixels(SizeTwips.width(), m_dpiX), toPixels(SizeTwips.height(), m_dpiY));
    place(m_dismiss, 105, 45, 1005, 330);
    place(m_dismissAll, 1140, 45, 1005, 330);
    place(m_message, 45, 405, 2145, 2580);
}

void NotifyWindow::showText(const QString& text, QPoint twips, quint32 fore, quint32 back)
{
    QPalette background = palette();
    background.setColor(QPalette::Window, toColour(back));
    setPalette(background);
    QPalette label = m_message->palette();
    label.setColor(QPalette::WindowText, toColour(fore));
    m_message->setPalette(label);
    m_message->setText(text);
    moveTo(twips);
    show();
    raise();
}

void NotifyWindow::moveTo(QPoint twips)
{
    // Under Wayland the desktop places the window: it shows and leaves in place of the slide.
    if (!windowsPlaceable())
        return;
    move(m_origin + QPoint(toPixels(twips.x(), m_dpiX), toPixels(twips.y(), m_dpiY)));
}

void NotifyWindow::mousePressEvent(QMouseEvent* event)
{
    // Taken here so that the release, which dismisses, comes here too.
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QFrame::mousePressEvent(event);
}

void NotifyWindow::mouseReleaseEvent(QMouseEvent* event)
{
    // The label lets its clicks through, so one click anywhere off the buttons dismisses.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        m_queue.dismiss();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

} // namespace trevisk
