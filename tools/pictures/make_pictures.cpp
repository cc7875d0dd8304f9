// Draws the program's pictures: the maker's logo, the trigger-wheel drawing, the four
// tool-bar glyphs and the application icon, and writes them into the folder named on the
// command line. Nothing here depends on the time or on chance, so a rerun on the same
// machine (same Qt, same fonts) gives the same files.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>
#include <QtMath>

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// 96 pixels per inch, written into every file that stores a resolution.
constexpr int kDotsPerMeter = 3780;

// ---------------------------------------------------------------------------------------
// The classic 16-colour VGA palette; glyphs and the icon use nothing else.

constexpr std::array<QRgb, 16> kVga = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};
constexpr int kOlive = 3;
constexpr int kNavy = 4;
constexpr int kSilver = 7;
constexpr int kGrey = 8;
constexpr int kRed = 9;
constexpr int kYellow = 11;
constexpr int kBlue = 12;
// Fuchsia appears in no drawing, so it can serve as the see-through colour.
constexpr int kKey = 13;
constexpr int kWhite = 15;
constexpr int kBlack = 0;

// Letters used in the pixel drawings below.
int paletteIndexOf(char c)
{
    switch (c) {
    case '.': return kKey;
    case 'K': return kBlack;
    case 'M': return 1;  // maroon
    case 'E': return 2;  // green
    case 'O': return kOlive;
    case 'N': return kNavy;
    case 'P': return 5;  // purple
    case 'T': return 6;  // teal
    case 'S': return kSilver;
    case 'G': return kGrey;
    case 'R': return kRed;
    case 'L': return 10; // lime
    case 'Y': return kYellow;
    case 'B': return kBlue;
    case 'A': return 14; // aqua
    case 'W': return kWhite;
    }
    return -1;
}

// An image of palette indices, row by row from the top.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    IndexedPicture(int w, int h, std::uint8_t fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
    std::uint8_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void set(int x, int y, std::uint8_t v) { pixels[size_t(y) * size_t(width) + size_t(x)] = v; }
};

// ---------------------------------------------------------------------------------------
// Little-endian writers for the two Windows formats Qt cannot write at 4 bits per pixel.

void putU16(QByteArray &out, unsigned v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void putU32(QByteArray &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// BITMAPINFOHEADER, the 16-entry palette and the 4-bit rows, bottom row first.
// storedHeight differs from picture.height only for icons, whose header counts the mask too.
void appendDib4(QByteArray &out, const IndexedPicture &picture, int storedHeight, int extraBytes)
{
    const int rowBytes = ((picture.width * 4 + 31) / 32) * 4;
    putU32(out, 40);
    putU32(out, std::uint32_t(picture.width));
    putU32(out, std::uint32_t(storedHeight));
    putU16(out, 1);  // planes
    putU16(out, 4);  // bits per pixel
    putU32(out, 0);  // no compression
    putU32(out, std::uint32_t(rowBytes * picture.height + extraBytes));
    putU32(out, kDotsPerMeter);
    putU32(out, kDotsPerMeter);
    putU32(out, 16); // colours used
    putU32(out, 0);  // all colours important
    for (QRgb c : kVga) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < picture.width; ++x) {
            const int shift = (x % 2 == 0) ? 4 : 0;
            row[x / 2] = char(std::uint8_t(row[x / 2]) | (picture.at(x, y) << shift));
        }
        out.append(row);
    }
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeBmp4(const QString &path, const IndexedPicture &picture)
{
    const int rowBytes = ((picture.width * 4 + 31) / 32) * 4;
    const std::uint32_t pixelOffset = 14 + 40 + 16 * 4;
    QByteArray out;
    out.append("BM");
    putU32(out, pixelOffset + std::uint32_t(rowBytes * picture.height));
    putU32(out, 0);
    putU32(out, pixelOffset);
    appendDib4(out, picture, picture.height, 0);
    return writeFile(path, out);
}

// One 4-bit image with its AND mask; key-coloured pixels become see-through.
bool writeIco4(const QString &path, const IndexedPicture &picture)
{
    const int andRowBytes = ((picture.width + 31) / 32) * 4;
    const int andBytes = andRowBytes * picture.height;
    IndexedPicture colours = picture;
    for (auto &p : colours.pixels)
        if (p == kKey)
            p = kBlack; // Windows ORs the colour into the screen where the mask is set.

    QByteArray dib;
    appendDib4(dib, colours, picture.height * 2, andBytes);
    for (int y = picture.height - 1; y >= 0; --y) {
        QByteArray row(andRowBytes, '\0');
        for (int x = 0; x < picture.width; ++x)
            if (picture.at(x, y) == kKey)
                row[x / 8] = char(std::uint8_t(row[x / 8]) | (0x80 >> (x % 8)));
        dib.append(row);
    }

    QByteArray out;
    putU16(out, 0);
    putU16(out, 1); // icon
    putU16(out, 1); // one image
    out.append(char(picture.width));
    out.append(char(picture.height));
    out.append(char(16)); // colours
    out.append(char(0));
    putU16(out, 1);
    putU16(out, 4);
    putU32(out, std::uint32_t(dib.size()));
    putU32(out, 6 + 16);
    out.append(dib);
    return writeFile(path, out);
}

bool writeWithQt(const QImage &image, const QString &path, const char *format, int quality = -1)
{
    QImageWriter writer(path, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Fonts: named families so reruns pick the same faces; a substitute is reported, not hidden.

QFont namedFont(const QString &family, int pixelSize, int weight, bool italic = false)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    const QFontInfo info(font);
    if (info.family() != family)
        std::fprintf(stderr, "warning: font \"%s\" not found, using \"%s\"\n", qPrintable(family),
                     qPrintable(info.family()));
    return font;
}

// The largest pixel size up to maxPixels at which text fits into width.
QFont fittedFont(const QString &family, int weight, bool italic, const QString &text, double width, int maxPixels)
{
    QFont font = namedFont(family, maxPixels, weight, italic);
    for (int size = maxPixels; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetricsF(font).horizontalAdvance(text) <= width)
            break;
    }
    return font;
}

// ---------------------------------------------------------------------------------------
// Tool-bar glyphs: 16 x 16 pixel drawings, and the greyed variant made the classic way
// (dark parts as a grey shape over a white copy shifted one pixel down and right).

using GlyphRows = std::array<const char *, 16>;

const GlyphRows kGlyphNew = {
    "................",
    "..KKKKKKKK......",
    "..KWWWWWWKK.....",
    "..KWWWWWWKSK....",
    "..KWWWWWWKSSK...",
    "..KWWWWWWKKKKK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KWWWWWWWWWWK..",
    "..KKKKKKKKKKKK..",
    "................",
};

const GlyphRows kGlyphOpen = {
    "................",
    "................",
    "................",
    ".KKKK...........",
    "KOOOOK..........",
    "KOOOOOKKKKKKK...",
    "KOOOOOOOOOOOK...",
    "KOOOOOOOOOOOK...",
    "KOOOOKKKKKKKKKKK",
    "KOOOKWYYYYYYYYK.",
    "KOOKYYYYYYYYYK..",
    "KOKYYYYYYYYYK...",
    "KKYYYYYYYYYK....",
    "KKKKKKKKKKKK....",
    "................",
    "................",
};

const GlyphRows kGlyphSave = {
    "................",
    ".KKKKKKKKKKKKK..",
    ".KNNSSSSSSSSNNK.",
    ".KNNSSSNNSSSNNK.",
    ".KNNSSSNNSSSNNK.",
    ".KNNSSSSSSSSNNK.",
    ".KNNNNNNNNNNNNK.",
    ".KNNNNNNNNNNNNK.",
    ".KNWWWWWWWWWWNK.",
    ".KNWWWWWWWWWWNK.",
    ".KNWSSSSSSSSWNK.",
    ".KNWWWWWWWWWWNK.",
    ".KNWSSSSSSSSWNK.",
    ".KNWWWWWWWWWWNK.",
    ".KKKKKKKKKKKKKK.",
    "................",
};

const GlyphRows kGlyphPrint = {
    "................",
    "....KKKKKKKK....",
    "....KWWWWWWK....",
    "....KWWWWWWK....",
    "....KWWWWWWK....",
    "..KKKKKKKKKKKK..",
    ".KSSSSSSSSSSSSK.",
    ".KSSSSSSSSSLSSK.",
    ".KSSSSSSSSSSSSK.",
    ".KGGKKKKKKKKGGK.",
    ".KKKKKKKKKKKKKK.",
    "...KWWWWWWWWK...",
    "...KWSSSSSSWK...",
    "...KWWWWWWWWK...",
    "...KKKKKKKKKK...",
    "................",
};

bool isDarkForGreying(int index)
{
    return qGray(kVga[size_t(index)]) < 160;
}

bool makeGlyphBitmap(const QString &path, const GlyphRows &rows)
{
    IndexedPicture sheet(32, 16, kKey);
    for (int y = 0; y < 16; ++y) {
        if (std::char_traits<char>::length(rows[size_t(y)]) != 16) {
            std::fprintf(stderr, "%s: row %d is not 16 pixels wide\n", qPrintable(path), y);
            return false;
        }
        for (int x = 0; x < 16; ++x) {
            const int index = paletteIndexOf(rows[size_t(y)][x]);
            if (index < 0) {
                std::fprintf(stderr, "%s: unknown colour letter at %d,%d\n", qPrintable(path), x, y);
                return false;
            }
            sheet.set(x, y, std::uint8_t(index));
        }
    }
    if (sheet.at(0, 15) != kKey) {
        std::fprintf(stderr, "%s: the bottom-left pixel must be the see-through colour\n", qPrintable(path));
        return false;
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (sheet.at(x, y) != kKey && isDarkForGreying(sheet.at(x, y)) && x + 1 < 16 && y + 1 < 16)
                sheet.set(16 + x + 1, y + 1, kWhite);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (sheet.at(x, y) != kKey && isDarkForGreying(sheet.at(x, y)))
                sheet.set(16 + x, y, kGrey);
    return writeBmp4(path, sheet);
}

// ---------------------------------------------------------------------------------------
// Application icon: a spark on a dark disc, drawn without smoothing in palette colours only.

bool makeIcon(const QString &icoPath, const QString &pngPath)
{
    QImage canvas(32, 32, QImage::Format_ARGB32);
    canvas.fill(kVga[kKey]);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(QColor(kVga[kBlack]), 1));
        p.setBrush(QColor(kVga[kRed]));
        p.drawEllipse(QRect(1, 1, 29, 29));
        p.setBrush(QColor(kVga[kNavy]));
        p.drawEllipse(QRect(4, 4, 23, 23));

        // The spark: a zig-zag bolt from top right to bottom left.
        const QPolygon bolt({QPoint(18, 5), QPoint(9, 17), QPoint(14, 17), QPoint(11, 27), QPoint(22, 13),
                             QPoint(17, 13), QPoint(21, 5)});
        p.setPen(QPen(QColor(kVga[kBlack]), 1));
        p.setBrush(QColor(kVga[kYellow]));
        p.drawPolygon(bolt);
        p.setPen(QPen(QColor(kVga[kWhite]), 1));
        p.drawLine(QPoint(18, 7), QPoint(12, 15));
    }

    IndexedPicture icon(32, 32, kKey);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = canvas.pixel(x, y) | 0xFF000000u;
            int found = -1;
            for (int i = 0; i < 16; ++i)
                if (kVga[size_t(i)] == c)
                    found = i;
            if (found < 0) {
                std::fprintf(stderr, "icon: pixel %d,%d is not a palette colour\n", x, y);
                return false;
            }
            icon.set(x, y, std::uint8_t(found));
        }
    }

    QImage png(32, 32, QImage::Format_Indexed8);
    QList<QRgb> table(kVga.begin(), kVga.end());
    table[kKey] = qRgba(0, 0, 0, 0);
    png.setColorTable(table);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            png.setPixel(x, y, icon.at(x, y));
    png.setDotsPerMeterX(kDotsPerMeter);
    png.setDotsPerMeterY(kDotsPerMeter);
    return writeIco4(icoPath, icon) && writeWithQt(png, pngPath, "png");
}

// ---------------------------------------------------------------------------------------
// Desktop icons: the same spark on its disc, drawn smooth in full colour at the sizes a
// desktop menu asks for.

bool makeDesktopIcons(const QDir &folder)
{
    if (!QDir().mkpath(folder.path()))
        return false;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        QImage canvas(size, size, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        {
            QPainter p(&canvas);
            p.setRenderHint(QPainter::Antialiasing, true);
            // Designed on the 32-pixel grid of the program's own icon.
            p.scale(size / 32.0, size / 32.0);
            p.setPen(QPen(QColor(kVga[kBlack]), 1));
            p.setBrush(QColor(kVga[kRed]));
            p.drawEllipse(QRectF(1, 1, 30, 30));
            p.setBrush(QColor(kVga[kNavy]));
            p.drawEllipse(QRectF(4, 4, 24, 24));
            const QPolygonF bolt({QPointF(18, 5), QPointF(9, 17), QPointF(14, 17), QPointF(11, 27),
                                  QPointF(22, 13), QPointF(17, 13), QPointF(21, 5)});
            p.setBrush(QColor(kVga[kYellow]));
            p.drawPolygon(bolt);
        }
        const QString path = folder.filePath(QStringLiteral("torvo-tci-%1.png").arg(size));
        if (!writeWithQt(canvas, path, "png"))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Maker's logo, 161 x 82. The background is pure white and nothing else in the drawing is,
// so the program can make exactly that colour see-through.

QPainterPath boltPath(const QPointF &origin, double scale)
{
    const std::array<QPointF, 7> points = {QPointF(9, 0),   QPointF(0, 16),  QPointF(6, 16), QPointF(2, 30),
                                           QPointF(15, 11), QPointF(9, 11), QPointF(13, 0)};
    QPainterPath path;
    path.moveTo(origin + points[0] * scale);
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(origin + points[i] * scale);
    path.closeSubpath();
    return path;
}

bool makeLogo(const QString &path)
{
    QImage logo(161, 82, QImage::Format_RGB32);
    logo.fill(qRgb(255, 255, 255));
    logo.setDotsPerMeterX(kDotsPerMeter);
    logo.setDotsPerMeterY(kDotsPerMeter);

    const QColor navy(24, 38, 86);
    const QColor red(206, 32, 41);
    const QColor amber(255, 186, 20);
    const QColor nearWhite(250, 250, 250);

    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Emblem: a navy disc with a red ring and an amber spark.
    const QPointF centre(28.5, 40.5);
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawEllipse(centre, 25.0, 25.0);
    p.setBrush(navy);
    p.drawEllipse(centre, 21.5, 21.5);
    QPainterPath bolt = boltPath(QPointF(0, 0), 1.2);
    bolt.translate(centre - bolt.boundingRect().center());
    p.setBrush(amber);
    p.setPen(QPen(nearWhite, 1.2));
    p.drawPath(bolt);

    // Word mark, as large as fits between the emblem and the right margin.
    const QRectF wordBox(59, 14, 97, 32);
    QFont word = fittedFont("DejaVu Sans", QFont::Black, true, "TORVO", wordBox.width(), 30);
    p.setFont(word);
    p.setPen(navy);
    p.drawText(QPointF(wordBox.left(), 40), "TORVO");

    // A red stroke under the word, thinning to the right, like a spark's trail.
    QPainterPath trail;
    trail.moveTo(59, 46);
    trail.lineTo(156, 44.5);
    trail.lineTo(156, 45.5);
    trail.lineTo(59, 49.5);
    trail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawPath(trail);

    // Product tag.
    const QRectF tag(112, 55, 44, 18);
    p.setBrush(red);
    p.drawRoundedRect(tag, 4, 4);
    p.setFont(namedFont("DejaVu Sans", 13, QFont::Bold));
    p.setPen(nearWhite);
    p.drawText(tag, Qt::AlignCenter, "TCI");

    QFont small = fittedFont("DejaVu Sans", QFont::Bold, false, "IGNITION", 49, 10);
    p.setFont(small);
    p.setPen(navy);
    p.drawText(QRectF(59, 55, 52, 18), Qt::AlignVCenter | Qt::AlignLeft, "IGNITION");
    p.end();

    if (logo.pixel(0, logo.height() - 1) != qRgb(255, 255, 255)) {
        std::fprintf(stderr, "logo: the bottom-left pixel must stay background\n");
        return false;
    }
    return writeWithQt(logo, path, "bmp");
}

// ---------------------------------------------------------------------------------------
// Trigger wheel, 200 x 267, on the button-face grey.

// Angles in degrees, counter-clockwise from the right-hand side, as the drawing shows them.
constexpr std::array<double, 9> kToothAngles = {180, 225, 270, 300, 330, 0, 30, 60, 90};

QPointF polar(const QPointF &centre, double radius, double degrees)
{
    const double r = qDegreesToRadians(degrees);
    return {centre.x() + radius * std::cos(r), centre.y() - radius * std::sin(r)};
}

bool makeWheel(const QString &path)
{
    QImage wheel(200, 267, QImage::Format_RGB32);
    wheel.fill(qRgb(240, 240, 240));
    wheel.setDotsPerMeterX(kDotsPerMeter);
    wheel.setDotsPerMeterY(kDotsPerMeter);

    const QPointF centre(100, 150);
    const double rim = 72;      // disc edge between the teeth
    const double tip = 84;      // tooth tips
    const double halfTooth = 6; // degrees either side of a tooth's centre line
    const double numberRadius = 58;

    const QColor outline(40, 44, 52);
    const QColor steelLight(214, 218, 224);
    const QColor steelDark(150, 156, 166);
    const QColor ink(16, 32, 96);
    const QColor red(200, 24, 32);

    QPainter p(&wheel);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Disc with its teeth as one outline.
    QPainterPath disc;
    disc.addEllipse(centre, rim, rim);
    for (double a : kToothAngles) {
        QPainterPath tooth;
        tooth.moveTo(polar(centre, rim - 2, a - halfTooth - 1));
        tooth.lineTo(polar(centre, tip, a - halfTooth + 1));
        tooth.lineTo(polar(centre, tip, a + halfTooth - 1));
        tooth.lineTo(polar(centre, rim - 2, a + halfTooth + 1));
        tooth.closeSubpath();
        disc = disc.united(tooth);
    }
    QRadialGradient shade(centre + QPointF(-25, -30), tip * 1.6);
    shade.setColorAt(0, steelLight);
    shade.setColorAt(1, steelDark);
    p.setBrush(shade);
    p.setPen(QPen(outline, 1.6));
    p.drawPath(disc);

    // A face ring inside the rim keeps the numbers on a calm background.
    p.setBrush(QColor(232, 234, 238));
    p.setPen(QPen(QColor(120, 126, 136), 1.0));
    p.drawEllipse(centre, rim - 24, rim - 24);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, rim - 5, rim - 5);

    // Hub with its bore and keyway.
    p.setBrush(steelDark);
    p.setPen(QPen(outline, 1.4));
    p.drawEllipse(centre, 19.0, 19.0);
    p.setBrush(QColor(240, 240, 240));
    QPainterPath bore;
    bore.addEllipse(centre, 8.0, 8.0);
    bore.addRect(QRectF(centre.x() - 2.5, centre.y() - 11, 5, 4));
    p.drawPath(bore.simplified());

    // Tooth numbers on the face, each under its tooth.
    p.setFont(namedFont("DejaVu Sans", 13, QFont::Bold));
    p.setPen(ink);
    for (size_t i = 0; i < kToothAngles.size(); ++i) {
        const QPointF at = polar(centre, numberRadius, kToothAngles[i]);
        p.drawText(QRectF(at.x() - 10, at.y() - 9, 20, 18), Qt::AlignCenter, QString::number(i + 1));
    }

    // Pick-up above tooth 9: a sensor body with its pole piece towards the tooth.
    const double sensorBottom = centre.y() - tip - 4;
    const QRectF body(centre.x() - 9, sensorBottom - 24, 18, 20);
    p.setPen(QPen(outline, 1.2));
    QLinearGradient bodyShade(body.topLeft(), body.topRight());
    bodyShade.setColorAt(0, QColor(70, 74, 84));
    bodyShade.setColorAt(0.45, QColor(120, 126, 138));
    bodyShade.setColorAt(1, QColor(50, 54, 62));
    p.setBrush(bodyShade);
    p.drawRoundedRect(body, 2, 2);
    p.setBrush(QColor(196, 120, 40));
    p.drawRect(QRectF(centre.x() - 4, sensorBottom - 4, 8, 4));
    // Its cable, leaving to the right.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outline, 2.4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath cable;
    cable.moveTo(body.right(), body.top() + 6);
    cable.cubicTo(body.right() + 12, body.top() + 6, body.right() + 16, body.top() - 2, body.right() + 30,
                  body.top() - 4);
    p.drawPath(cable);

    p.setFont(namedFont("DejaVu Sans", 11, QFont::Bold));
    p.setPen(QColor(20, 20, 20));
    p.drawText(QRectF(centre.x() - 90, body.top() + 2, 78, 16), Qt::AlignRight | Qt::AlignVCenter, "PICK UP");

    // Sense of rotation: an arc over the top, left to right, ending in an arrow head.
    const QPointF arcCentre(centre.x(), centre.y() + 40);
    const double arcRadius = centre.y() + 40 - 16;
    const double from = 118, to = 62;
    QPainterPath arc;
    arc.moveTo(polar(arcCentre, arcRadius, from));
    arc.arcTo(QRectF(arcCentre.x() - arcRadius, arcCentre.y() - arcRadius, 2 * arcRadius, 2 * arcRadius), from,
              to - from);
    p.setPen(QPen(red, 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);
    const QPointF end = polar(arcCentre, arcRadius, to);
    const double r = qDegreesToRadians(to);
    const QPointF forward(std::sin(r), std::cos(r)); // clockwise tangent on screen
    const QPointF side(forward.y(), -forward.x());
    QPolygonF head;
    head << end + forward * 9 << end + side * 5.5 << end - side * 5.5;
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawPolygon(head);
    p.end();

    return writeWithQt(wheel, path, "jpeg", 95);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_pictures <output folder>\n");
        return 2;
    }
    const QDir out(args.at(1));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    const bool ok = makeLogo(out.filePath("logo.bmp")) && makeWheel(out.filePath("wheel.jpg"))
                    && makeGlyphBitmap(out.filePath("glyph_new.bmp"), kGlyphNew)
                    && makeGlyphBitmap(out.filePath("glyph_open.bmp"), kGlyphOpen)
                    && makeGlyphBitmap(out.filePath("glyph_save.bmp"), kGlyphSave)
                    && makeGlyphBitmap(out.filePath("glyph_print.bmp"), kGlyphPrint)
                    && makeIcon(out.filePath("torvo-tci.ico"), out.filePath("icon32.png"))
                    && makeDesktopIcons(QDir(out.filePath("icons")));
    return ok ? 0 : 1;
}
