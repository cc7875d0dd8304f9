// Where the gauge's percentage text lands for odd and even paint rectangles.
#include "widgets/tcgauge.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>
#include <string>

namespace {

// The columns and rows whose pixels differ between two renderings.
QRect changedArea(const QImage &a, const QImage &b)
{
    QRect area;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if ((a.pixel(x, y) & 0xffffffu) != (b.pixel(x, y) & 0xffffffu))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

// The ink of text drawn with its cell's top-left corner at the origin.
QRect inkAtOrigin(const QFont &font, const QString &text)
{
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 20, metrics.height() + 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    QImage blank = image;
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(10, 10 + metrics.ascent(), text);
    }
    return changedArea(image, blank).translated(-10, -10);
}

} // namespace

TEST(TCGaugeTextPlace, CentredWithTheRoundingOfOddAndEvenSizes)
{
    if (QFontDatabase::families().isEmpty())
        GTEST_SKIP() << "no fonts installed";
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias);
    const QString text = QStringLiteral("0%");
    const QRect ink = inkAtOrigin(font, text);
    ASSERT_FALSE(ink.isEmpty());
    const QFontMetrics metrics(font);
    const int textWidth = metrics.horizontalAdvance(text);
    const int textHeight = metrics.height();

    struct
    {
        TCGaugeBorderStyle border;
        int width, height;
    } const cases[] = {
        {TCGaugeBorderStyle::bsNone, 60, 20}, {TCGaugeBorderStyle::bsNone, 61, 21},
        {TCGaugeBorderStyle::bsNone, 62, 22}, {TCGaugeBorderStyle::bsNone, 63, 23},
        {TCGaugeBorderStyle::bsSingle, 60, 20}, {TCGaugeBorderStyle::bsSingle, 61, 21},
        {TCGaugeBorderStyle::bsSingle, 62, 22}, {TCGaugeBorderStyle::bsSingle, 63, 23},
    };
    for (const auto &c : cases) {
        const bool framed = c.border == TCGaugeBorderStyle::bsSingle;
        const std::string name = std::to_string(c.width) + " x " + std::to_string(c.height) +
                                 (framed ? " with border" : " without border");
        TCGauge gauge;
        gauge.resize(c.width, c.height);
        gauge.setKind(TCGaugeKind::gkHorizontalBar);
        gauge.setBorderStyle(c.border);
        gauge.setFont(font);
        gauge.setProgress(0); // all white under the text, so every letter pixel changes
        gauge.setShowText(false);
        const QImage plain = gauge.renderImage();
        gauge.setShowText(true);
        const QRect shown = changedArea(gauge.renderImage(), plain);

        // The paint rectangle is the control less its one-pixel frame; the
        // text's cell is centred on its size, rounding up the half pixel, and
        // placed from the control's corner.
        const int paintWidth = framed ? c.width - 2 : c.width;
        const int paintHeight = framed ? c.height - 2 : c.height;
        const int x = (paintWidth - textWidth + 1) / 2;
        const int y = (paintHeight - textHeight + 1) / 2;
        const QRect expected = ink.translated(x, y);
        EXPECT_EQ(shown.left(), expected.left()) << name << ": text width " << textWidth;
        EXPECT_EQ(shown.right(), expected.right()) << name << ": text width " << textWidth;
        EXPECT_EQ(shown.top(), expected.top()) << name << ": text height " << textHeight;
        EXPECT_EQ(shown.bottom(), expected.bottom()) << name << ": text height " << textHeight;
    }
}
