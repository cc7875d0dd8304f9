// The built-in pictures: formats and sizes as stored, and the see-through handling of
// the logo and the tool-bar glyphs, checked pixel by pixel against the stored bitmaps.
#include "widgets/pictures.h"

#include <QFile>
#include <QImageReader>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 le32(const QByteArray &bytes, int offset)
{
    if (offset < 0 || offset + 4 > bytes.size())
        return 0xFFFFFFFFu;
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(bytes[offset + i]);
    return v;
}

quint16 le16(const QByteArray &bytes, int offset)
{
    if (offset < 0 || offset + 2 > bytes.size())
        return 0xFFFFu;
    return quint16(quint8(bytes[offset]) | (quint8(bytes[offset + 1]) << 8));
}

// Header facts of a Windows bitmap file.
struct BmpHeader {
    bool magic = false;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int coloursUsed = 0;
};

BmpHeader bmpHeader(const QByteArray &bytes)
{
    BmpHeader h;
    h.magic = bytes.startsWith("BM");
    h.width = int(le32(bytes, 18));
    h.height = int(le32(bytes, 22));
    h.bitsPerPixel = le16(bytes, 28);
    h.coloursUsed = int(le32(bytes, 46));
    return h;
}

QRgb opaque(QRgb c)
{
    return c | 0xFF000000u;
}

// Every pixel whose stored colour is the key must be fully clear, every other one
// opaque and of its stored colour. Reports the first mismatch.
::testing::AssertionResult matchesKeyed(const QImage &shown, const QImage &stored, QRgb key)
{
    if (shown.size() != stored.size())
        return ::testing::AssertionFailure() << "size " << shown.width() << "x" << shown.height() << ", stored "
                                             << stored.width() << "x" << stored.height();
    const QImage argb = shown.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < stored.height(); ++y) {
        for (int x = 0; x < stored.width(); ++x) {
            const QRgb want = opaque(stored.pixel(x, y));
            const QRgb got = argb.pixel(x, y);
            if (want == key && qAlpha(got) != 0)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " has the key colour but alpha " << qAlpha(got);
            if (want != key && got != want)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " expected #"
                                                     << QString::number(want, 16).toStdString() << " opaque, got #"
                                                     << QString::number(got, 16).toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

int countOpaque(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            n += qAlpha(argb.pixel(x, y)) == 255 ? 1 : 0;
    return n;
}

} // namespace

TEST(PicturesWheel, DecodesThroughTheJpegPluginAtItsDrawnSize)
{
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("jpeg"))
        << "the JPEG image plugin is not available";
    const QByteArray bytes = resourceBytes(QStringLiteral(":/pictures/wheel.jpg"));
    ASSERT_GE(bytes.size(), 3);
    EXPECT_EQ(bytes.left(3), QByteArray("\xFF\xD8\xFF", 3)) << "not a JPEG stream";

    const QImage wheel = pictures::wheel();
    ASSERT_FALSE(wheel.isNull()) << "the JPEG did not decode";
    EXPECT_EQ(wheel.width(), 200);
    EXPECT_EQ(wheel.height(), 267);
    EXPECT_FALSE(wheel.allGray()) << "the drawing should be in colour";
}

TEST(PicturesWheel, BackgroundIsButtonFaceGrey)
{
    const QImage wheel = pictures::wheel();
    ASSERT_FALSE(wheel.isNull());
    // Corners are plain background; JPEG may move a value by a few steps.
    const QPoint corners[] = {{0, 0}, {199, 0}, {0, 266}, {199, 266}};
    for (const QPoint &p : corners) {
        const QRgb c = wheel.pixel(p);
        EXPECT_NEAR(qRed(c), 240, 4) << "at " << p.x() << "," << p.y();
        EXPECT_NEAR(qGreen(c), 240, 4) << "at " << p.x() << "," << p.y();
        EXPECT_NEAR(qBlue(c), 240, 4) << "at " << p.x() << "," << p.y();
    }
}

TEST(PicturesLogo, StoredAs24BitBitmapOf161By82)
{
    const BmpHeader h = bmpHeader(resourceBytes(QStringLiteral(":/pictures/logo.bmp")));
    EXPECT_TRUE(h.magic);
    EXPECT_EQ(h.width, 161);
    EXPECT_EQ(h.height, 82);
    EXPECT_EQ(h.bitsPerPixel, 24);
}

TEST(PicturesLogo, BackgroundColourIsClearAndTheRestOpaque)
{
    const QImage stored(QStringLiteral(":/pictures/logo.bmp"));
    ASSERT_FALSE(stored.isNull());
    const QPixmap logo = pictures::logo();
    ASSERT_EQ(logo.size(), QSize(161, 82));
    const QImage shown = logo.toImage();
    EXPECT_EQ(qAlpha(shown.pixel(0, 81)), 0) << "bottom-left pixel must be clear";
    EXPECT_TRUE(matchesKeyed(shown, stored, opaque(stored.pixel(0, 81))));
    const int opaquePixels = countOpaque(shown);
    EXPECT_GT(opaquePixels, 161 * 82 / 10) << "the logo should have a visible drawing";
    EXPECT_LT(opaquePixels, 161 * 82) << "the logo should have a clear background";
}

class PicturesGlyph : public ::testing::TestWithParam<const char *> {};

TEST_P(PicturesGlyph, StoredAsSixteenColourSheetOfTwoGlyphs)
{
    const QString name = QString::fromLatin1(GetParam());
    const QString path = QStringLiteral(":/pictures/glyph_%1.bmp").arg(name);
    const BmpHeader h = bmpHeader(resourceBytes(path));
    EXPECT_TRUE(h.magic) << path.toStdString();
    EXPECT_EQ(h.width, 32) << path.toStdString();
    EXPECT_EQ(h.height, 16) << path.toStdString();
    EXPECT_EQ(h.bitsPerPixel, 4) << path.toStdString();
    EXPECT_LE(h.coloursUsed, 16) << path.toStdString();

    const QImage stored(path);
    ASSERT_FALSE(stored.isNull()) << path.toStdString();
    QSet<QRgb> colours;
    for (int y = 0; y < stored.height(); ++y)
        for (int x = 0; x < stored.width(); ++x)
            colours.insert(opaque(stored.pixel(x, y)));
    EXPECT_LE(colours.size(), 16) << path.toStdString();
}

TEST_P(PicturesGlyph, NormalAndGreyedHalvesWithKeyColourClear)
{
    const QString name = QString::fromLatin1(GetParam());
    const QImage stored(QStringLiteral(":/pictures/glyph_%1.bmp").arg(name));
    ASSERT_EQ(stored.size(), QSize(32, 16)) << name.toStdString();
    const QRgb key = opaque(stored.pixel(0, 15));

    const QIcon icon = pictures::glyph(name);
    ASSERT_FALSE(icon.isNull()) << name.toStdString();
    const QPixmap normal = icon.pixmap(QSize(16, 16), QIcon::Normal);
    const QPixmap greyed = icon.pixmap(QSize(16, 16), QIcon::Disabled);
    ASSERT_EQ(normal.size(), QSize(16, 16)) << name.toStdString();
    ASSERT_EQ(greyed.size(), QSize(16, 16)) << name.toStdString();

    const QImage normalImage = normal.toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage greyedImage = greyed.toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(normalImage.pixel(0, 15)), 0) << name.toStdString() << ": normal corner";
    EXPECT_EQ(qAlpha(greyedImage.pixel(0, 15)), 0) << name.toStdString() << ": greyed corner";
    EXPECT_GT(countOpaque(normalImage), 0) << name.toStdString() << ": normal glyph is empty";
    EXPECT_GT(countOpaque(greyedImage), 0) << name.toStdString() << ": greyed glyph is empty";

    // The greyed picture must be the sheet's right half, not one made up by the icon engine.
    EXPECT_TRUE(matchesKeyed(normalImage, stored.copy(0, 0, 16, 16), key)) << name.toStdString() << ": normal";
    EXPECT_TRUE(matchesKeyed(greyedImage, stored.copy(16, 0, 16, 16), key)) << name.toStdString() << ": greyed";
    EXPECT_NE(normalImage, greyedImage) << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Pictures, PicturesGlyph, ::testing::Values("new", "open", "save", "print"),
                         [](const ::testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

TEST(PicturesGlyphNames, UnknownNamesGiveNoIcon)
{
    for (const char *name : {"", "New", "close", "glyph_new", "new "}) {
        EXPECT_TRUE(pictures::glyph(QString::fromLatin1(name)).isNull()) << "name \"" << name << "\"";
    }
}

TEST(PicturesAppIcon, ThirtyTwoSquareOfSixteenColours)
{
    const QIcon icon = pictures::appIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    const QImage image = icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));

    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            colours.insert(qAlpha(image.pixel(x, y)) == 0 ? 0u : image.pixel(x, y));
    EXPECT_LE(colours.size(), 16) << "clear counts as one of the sixteen";
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "round icon: corners are clear";
    EXPECT_EQ(qAlpha(image.pixel(16, 16)), 255) << "round icon: the middle is drawn";
}
