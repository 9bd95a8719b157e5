#include "icons/TrayIconPainter.h"

#include <QTest>

using namespace trevisk;

namespace {

// Counts the canvas pixels of a colour, so a test can tell digits from background.
int pixelsOf(const QImage& image, const QColor& colour)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(argb.constBits());
    return int(std::count(pixels, pixels + argb.width() * argb.height(), colour.rgba()));
}

} // namespace

class TestTrayIconPainter : public QObject
{
    Q_OBJECT
private slots:
    void iconPixels()
    {
        const IconColours colours{0xFFFFFF, 0x00FF00, 0x0000FF, 0xFF0000};
        ServerIcon icon;
        icon.update(7, 0, {});
        const QImage normal = paintServerIcon(icon, colours);
        QCOMPARE(normal.size(), QSize(49, 43));
        QCOMPARE(normal.pixelColor(20, 40), QColor(Qt::white));
        QVERIFY(pixelsOf(normal, colourOf(colours.normal)) > 30);
        QCOMPARE(pixelsOf(normal, colourOf(colours.friendColour)), 0);
        icon.update(7, 2, {});
        QVERIFY(pixelsOf(paintServerIcon(icon, colours), colourOf(colours.friendColour)) > 30);
        icon.setTimeOut();
        const QImage offline = paintServerIcon(icon, colours);
        QVERIFY(pixelsOf(offline, colourOf(colours.off)) > 30);
        QCOMPARE(pixelsOf(offline, colourOf(colours.normal)), 0);
        QCOMPARE(paintServerIcon(icon, colours, 4).size(), QSize(196, 172));
    }
};

QTEST_MAIN(TestTrayIconPainter)
#include "TestTrayIconPainter.moc"
