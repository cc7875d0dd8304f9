#include "widgets/pictures.h"

#include <QImageReader>

namespace pictures {

namespace {

// Bitmaps mark their see-through parts with the colour of their bottom-left pixel:
// every pixel of exactly that colour loses its alpha, every other one keeps its colour.
QImage withKeyColourClear(const QImage &source, QRgb key)
{
    QImage out = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = (qRgb(qRed(line[x]), qGreen(line[x]), qBlue(line[x])) == key) ? qRgba(0, 0, 0, 0)
                                                                                       : (line[x] | 0xFF000000u);
    }
    return out;
}

QRgb bottomLeftColour(const QImage &image)
{
    return image.pixel(0, image.height() - 1) | 0xFF000000u;
}

} // namespace

QPixmap logo()
{
    const QImage bitmap(QStringLiteral(":/pictures/logo.bmp"));
    if (bitmap.isNull())
        return {};
    return QPixmap::fromImage(withKeyColourClear(bitmap, bottomLeftColour(bitmap)));
}

QImage wheel()
{
    // Decoded by the JPEG image plugin on purpose; no other decoder is tried.
    QImageReader reader(QStringLiteral(":/pictures/wheel.jpg"), "jpeg");
    return reader.read();
}

QIcon glyph(const QString &name)
{
    if (name != QLatin1String("new") && name != QLatin1String("open") && name != QLatin1String("save")
        && name != QLatin1String("print"))
        return {};
    const QImage sheet(QStringLiteral(":/pictures/glyph_%1.bmp").arg(name));
    if (sheet.isNull() || sheet.width() < 2 * sheet.height())
        return {};
    // One key colour, the sheet's bottom-left pixel, serves both halves.
    const QRgb key = bottomLeftColour(sheet);
    const int side = sheet.height();
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(withKeyColourClear(sheet.copy(0, 0, side, side), key)), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(withKeyColourClear(sheet.copy(side, 0, side, side), key)), QIcon::Disabled);
    return icon;
}

QIcon appIcon()
{
    return QIcon(QStringLiteral(":/pictures/icon32.png"));
}

} // namespace pictures
