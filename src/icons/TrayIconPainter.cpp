#include "icons/TrayIconPainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace trevisk {

namespace {

constexpr int CanvasWidth = 49;
constexpr int CanvasHeight = 43;

} // namespace

QColor colourOf(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QImage paintServerIcon(const ServerIcon& icon, const IconColours& colours, int scale)
{
    QImage image(CanvasWidth * scale, CanvasHeight * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(colourOf(colours.back));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    // Sized in pixels for the canvas at 96 dpi, so the icon looks the same on every screen.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(icon.pointSize() * 96 / 72);
    // The font here is wider than the one the sizes were chosen for: what would not fit is narrowed.
    const int width = QFontMetrics(font).horizontalAdvance(icon.text().trimmed());
    if (width > CanvasWidth - 2)
        font.setStretch(std::max(50, 100 * (CanvasWidth - 2) / width));
    painter.setFont(font);
    painter.setPen(colourOf(icon.textColour(colours)));
    painter.drawText(QRect(0, 0, CanvasWidth, CanvasHeight), Qt::AlignLeft | Qt::AlignTop, icon.text());
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(1, 1, CanvasWidth - 3, CanvasHeight - 3);
    return image;
}

std::array<QImage, 3> paintIconPreviews(const IconColours& colours)
{
    ServerIcon normal;
    normal.update(6, 0, {});
    ServerIcon withFriend;
    withFriend.update(4, 1, {});
    ServerIcon offline;
    offline.setTimeOut();
    return {paintServerIcon(normal, colours), paintServerIcon(withFriend, colours), paintServerIcon(offline, colours)};
}

QIcon serverTrayIcon(const ServerIcon& icon, const IconColours& colours)
{
    const QImage canvas = paintServerIcon(icon, colours, 4);
    QIcon result;
    for (int size : {16, 22, 24, 32, 48, 64, 128})
        result.addPixmap(
            QPixmap::fromImage(canvas.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    return result;
}

} // namespace trevisk
