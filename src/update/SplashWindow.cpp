#include "update/SplashWindow.h"

#include "core/Version.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace trevisk {

namespace {

QFont boldFont(const QStringList& families, qreal points)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QLabel* whiteLabel(QWidget* parent, const QString& text, const QFont& font, Qt::Alignment alignment)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(alignment);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(Size);
    m_version = whiteLabel(this,
                           QStringLiteral("V ") + QLatin1String(VersionText),
                           boldFont({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")}, 15.75),
                           Qt::AlignRight | Qt::AlignVCenter);
    m_version->setObjectName(QStringLiteral("lblVer"));
    m_version->setGeometry(Size.width() - 220, 150, 200, 32);
    m_checking = whiteLabel(this,
                            tr("CHECKING FOR AN UPDATE...."),
                            boldFont({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")}, 8.25),
                            Qt::AlignLeft | Qt::AlignVCenter);
    m_checking->setObjectName(QStringLiteral("Label1"));
    m_checking->setGeometry(20, Size.height() - 36, Size.width() - 40, 20);

    m_timer.setSingleShot(true);
    m_timer.setInterval(ShowTime);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::finish);
}

void SplashWindow::start(const QUrl& versionUrl)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    m_timer.start();
    // The check starts after the clock, so that nothing it does can hold the splash up.
    m_check.start(versionUrl);
}

void SplashWindow::finish()
{
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    m_check.abort();
    // Hidden before anyone hears of it: a topmost splash would cover the upgrade question, and
    // hiding, unlike closing, never ends a program whose other windows are not shown yet.
    hide();
    emit done();
}

void SplashWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    finish();
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0.0, QColor(12, 28, 64));
    sky.setColorAt(1.0, QColor(28, 84, 140));
    painter.fillRect(rect(), sky);

    // A tray-icon-like badge: the picture is about servers with live player counts.
    const QRect badge(24, 28, 74, 64);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(badge, 6, 6);
    painter.setPen(QColor(0x1E, 0x9F, 0x1E));
    painter.setFont(boldFont({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")}, 26));
    painter.drawText(badge, Qt::AlignCenter, QStringLiteral("16"));

    painter.setPen(QColor(190, 210, 240));
    painter.setFont(boldFont({QStringLiteral("DejaVu Sans")}, 12));
    painter.drawText(QRect(118, 30, width() - 130, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ostravel"));
    painter.setPen(Qt::white);
    painter.setFont(boldFont({QStringLiteral("DejaVu Sans")}, 30));
    painter.drawText(QRect(114, 50, width() - 126, 48), Qt::AlignLeft | Qt::AlignVCenter, QLatin1String(ProductName));

    painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
    painter.drawLine(20, height() - 44, width() - 20, height() - 44);
}

} // namespace trevisk
