// Pixels of TCGauge's off-screen rendering, checked against hand-worked layouts.
#include "widgets/tcgauge.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr QRgb kBlack = 0x000000;
constexpr QRgb kWhite = 0xffffff;
constexpr QRgb kAqua = 0x00ffff;
constexpr QRgb kRed = 0xff0000;
constexpr QRgb kYellow = 0xffff00;

QRgb at(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xffffffu;
}

std::string hex(QRgb rgb)
{
    return QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')).toStdString();
}

std::string point(int x, int y)
{
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

struct Layer
{
    QRect rect;
    QRgb color;
};

struct BarCase
{
    const char *name;
    TCGaugeKind kind;
    TCGaugeBorderStyle border;
    QSize size;
    int max;
    int progress;
    std::vector<Layer> expected;  // painted in order over an undefined image
};

constexpr auto kH = TCGaugeKind::gkHorizontalBar;
constexpr auto kV = TCGaugeKind::gkVerticalBar;
constexpr auto kSingle = TCGaugeBorderStyle::bsSingle;
constexpr auto kNone = TCGaugeBorderStyle::bsNone;

// Layouts for an aqua-on-white gauge without text. In a 100 x 100 gauge with
// a border the paint rectangle is x, y = 1..98 and W = H = 99; without one it
// is 0..99 and W = H = 101.
const std::vector<BarCase> kBarCases = {
    {"horizontal, border, 0%", kH, kSingle, {100, 100}, 100, 0,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kWhite}}},
    {"horizontal, border, 100%", kH, kSingle, {100, 100}, 100, 100,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kAqua}}},
    // f = 50 * 99 / 100 = 49, filled up to x = 49 exclusive.
    {"horizontal, border, 50%", kH, kSingle, {100, 100}, 100, 50,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kWhite}, {{1, 1, 48, 98}, kAqua}}},
    {"horizontal, no border, 0%", kH, kNone, {100, 100}, 100, 0, {{{0, 0, 100, 100}, kWhite}}},
    // f = 50 * 101 / 100 = 50.
    {"horizontal, no border, 50%", kH, kNone, {100, 100}, 100, 50,
     {{{0, 0, 100, 100}, kWhite}, {{0, 0, 50, 100}, kAqua}}},
    {"horizontal, no border, 100%", kH, kNone, {100, 100}, 100, 100, {{{0, 0, 100, 100}, kAqua}}},
    // The transfer gauge's shape: W = 208, f = 104; H = 16.
    {"horizontal 209x17, border, 50%", kH, kSingle, {209, 17}, 100, 50,
     {{{0, 0, 209, 17}, kBlack}, {{1, 1, 207, 15}, kWhite}, {{1, 1, 103, 15}, kAqua}}},
    {"horizontal 209x17, maximum 1, progress 1", kH, kSingle, {209, 17}, 1, 1,
     {{{0, 0, 209, 17}, kBlack}, {{1, 1, 207, 15}, kAqua}}},
    {"horizontal, empty range", kH, kSingle, {100, 100}, 0, 0,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kWhite}}},
    {"vertical, border, 0%", kV, kSingle, {100, 100}, 100, 0,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kWhite}}},
    // f = 99 is cut to 98: from y = 1 to 99.
    {"vertical, border, 100%", kV, kSingle, {100, 100}, 100, 100,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kAqua}}},
    // f = 49: from y = 50 to 99.
    {"vertical, border, 50%", kV, kSingle, {100, 100}, 100, 50,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kWhite}, {{1, 50, 98, 49}, kAqua}}},
    // f = 101 is cut to 100: from y = 1, the top row stays empty.
    {"vertical, no border, 100%", kV, kNone, {100, 100}, 100, 100,
     {{{0, 0, 100, 100}, kWhite}, {{0, 1, 100, 99}, kAqua}}},
    // f = 1 fills from y = 100, below the control: nothing shows yet.
    {"vertical, no border, 1%", kV, kNone, {100, 100}, 100, 1, {{{0, 0, 100, 100}, kWhite}}},
    {"vertical, no border, 2%", kV, kNone, {100, 100}, 100, 2,
     {{{0, 0, 100, 100}, kWhite}, {{0, 99, 100, 1}, kAqua}}},
    // H = 16, f = 8: rows 8..15, up to x = 208 exclusive.
    {"vertical 209x17, border, 50%", kV, kSingle, {209, 17}, 100, 50,
     {{{0, 0, 209, 17}, kBlack}, {{1, 1, 207, 15}, kWhite}, {{1, 8, 207, 8}, kAqua}}},
    {"text kind, border", TCGaugeKind::gkText, kSingle, {100, 100}, 100, 70,
     {{{0, 0, 100, 100}, kBlack}, {{1, 1, 98, 98}, kWhite}}},
    {"text kind, no border", TCGaugeKind::gkText, kNone, {100, 100}, 100, 70,
     {{{0, 0, 100, 100}, kWhite}}},
};

// Compares every pixel and reports the first few that differ.
void expectLayout(const QImage &image, const std::vector<Layer> &layers, const std::string &name)
{
    ASSERT_FALSE(image.isNull()) << name;
    int mismatches = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            QRgb expected = 0x1000000;  // no layer covers it: a fault in the table
            for (const Layer &layer : layers) {
                if (layer.rect.contains(x, y)) {
                    expected = layer.color;
                }
            }
            const QRgb actual = at(image, x, y);
            if (actual != expected && ++mismatches <= 5) {
                ADD_FAILURE() << name << ": pixel " << point(x, y) << " expected " << hex(expected)
                              << ", actual " << hex(actual);
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << name << ": pixels differing";
}

void setUp(TCGauge &gauge, TCGaugeKind kind, TCGaugeBorderStyle border, QSize size)
{
    gauge.resize(size);
    gauge.setKind(kind);
    gauge.setBorderStyle(border);
    gauge.setForeColor(QColor(0, 255, 255));
    gauge.setBackColor(Qt::white);
}

TEST(TCGaugePaint, BarsAndFramesTable)
{
    for (const BarCase &c : kBarCases) {
        TCGauge gauge;
        setUp(gauge, c.kind, c.border, c.size);
        gauge.setShowText(false);
        if (c.max == 0) {
            gauge.setMinValue(100);  // an empty range, 100..100
        } else {
            gauge.setMaxValue(c.max);
        }
        gauge.setProgress(c.progress);
        expectLayout(gauge.renderImage(), c.expected, c.name);
    }
}

TEST(TCGaugePaint, NoBorderUsesAnotherBackColourEverywhere)
{
    TCGauge gauge;
    gauge.setKind(TCGaugeKind::gkText);
    gauge.setBorderStyle(TCGaugeBorderStyle::bsNone);
    gauge.setBackColor(QColor(255, 255, 0));
    gauge.setShowText(false);
    expectLayout(gauge.renderImage(), {{{0, 0, 100, 100}, kYellow}}, "yellow text gauge");
}

// Where the text drawing changed pixels, and how.
struct TextChanges
{
    QImage mask;  // white where the pixel changed
    QRect bounds;
    int count = 0;
    int notInverted = 0;
};

TextChanges compareWithoutText(TCGauge &gauge)
{
    gauge.setShowText(false);
    const QImage plain = gauge.renderImage();
    gauge.setShowText(true);
    const QImage text = gauge.renderImage();
    TextChanges changes;
    changes.mask = QImage(plain.size(), QImage::Format_RGB32);
    changes.mask.fill(Qt::black);
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb before = at(plain, x, y);
            const QRgb after = at(text, x, y);
            if (before != after) {
                ++changes.count;
                changes.mask.setPixel(x, y, 0xffffffffu);
                changes.bounds |= QRect(x, y, 1, 1);
                if (after != (before ^ 0xffffffu)) {
                    ++changes.notInverted;
                }
            }
        }
    }
    return changes;
}

class TCGaugeText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QFontDatabase::families().isEmpty()) {
            GTEST_SKIP() << "no fonts installed";
        }
    }

    static QFont textFont(int pixelSize)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(pixelSize);
        return font;
    }
};

TEST_F(TCGaugeText, InvertsWhatLiesUnderTheLetters)
{
    TCGauge gauge;
    setUp(gauge, kH, kSingle, {100, 100});
    gauge.setFont(textFont(16));
    gauge.setProgress(50);  // bar up to x = 48, white from x = 49

    const TextChanges changes = compareWithoutText(gauge);
    EXPECT_GT(changes.count, 30);
    EXPECT_EQ(changes.notInverted, 0) << "pixels neither kept nor inverted";

    // The letters' cell is centred on the 98 x 98 paint rectangle but placed
    // from the image origin: its top-left corner is at X, Y below.
    QFont font = gauge.font();
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const int x0 = (98 - metrics.horizontalAdvance(QStringLiteral("50%")) + 1) / 2;
    const int y0 = (98 - metrics.height() + 1) / 2;
    QImage letters(100, 100, QImage::Format_RGB32);
    letters.fill(Qt::black);
    {
        QPainter painter(&letters);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(x0, y0 + metrics.ascent(), QStringLiteral("50%"));
    }
    int misplaced = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            misplaced += at(letters, x, y) != at(changes.mask, x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(misplaced, 0) << "pixels differing from \"50%\" drawn with its cell at "
                            << point(x0, y0) << "; changed pixels span x "
                            << changes.bounds.left() << ".." << changes.bounds.right() << ", y "
                            << changes.bounds.top() << ".." << changes.bounds.bottom();

    const QImage image = gauge.renderImage();
    int red = 0;
    int black = 0;
    gauge.setShowText(false);
    const QImage plain = gauge.renderImage();
    for (int y = changes.bounds.top(); y <= changes.bounds.bottom(); ++y) {
        for (int x = changes.bounds.left(); x <= changes.bounds.right(); ++x) {
            if (at(image, x, y) == at(plain, x, y)) {
                continue;
            }
            const QRgb expected = x < 49 ? kRed : kBlack;
            EXPECT_EQ(hex(at(image, x, y)), hex(expected)) << "text pixel " << point(x, y);
            ++(x < 49 ? red : black);
        }
    }
    EXPECT_GT(red, 0) << "no letter pixel over the aqua bar";
    EXPECT_GT(black, 0) << "no letter pixel over the white part";
}

TEST_F(TCGaugeText, ClippedToThePaintRectangle)
{
    TCGauge gauge;
    setUp(gauge, kH, kSingle, {209, 17});
    gauge.setFont(textFont(40));  // far taller than the control
    gauge.setProgress(88);
    const TextChanges changes = compareWithoutText(gauge);
    EXPECT_GT(changes.count, 0);
    EXPECT_TRUE(QRect(1, 1, 207, 15).contains(changes.bounds))
        << "text reached the frame: changed pixels span x " << changes.bounds.left() << ".."
        << changes.bounds.right() << ", y " << changes.bounds.top() << ".."
        << changes.bounds.bottom();
}

TEST_F(TCGaugeText, TransferGaugeWithMaximumOne)
{
    TCGauge gauge;
    setUp(gauge, kH, kSingle, {209, 17});
    gauge.setFont(textFont(12));
    gauge.setMaxValue(1);

    gauge.setProgress(0);
    EXPECT_EQ(gauge.percentText(), QStringLiteral("0%"));
    const TextChanges empty = compareWithoutText(gauge);
    const QImage emptyImage = gauge.renderImage();

    gauge.setProgress(1);
    EXPECT_EQ(gauge.percentText(), QStringLiteral("100%"));
    const TextChanges full = compareWithoutText(gauge);
    const QImage fullImage = gauge.renderImage();

    ASSERT_GT(empty.count, 0);
    ASSERT_GT(full.count, 0);
    EXPECT_GT(full.bounds.width(), empty.bounds.width()) << "\"100%\" is wider than \"0%\"";
    for (int y = 1; y < 16; ++y) {
        for (int x = 1; x < 208; ++x) {
            const QRgb e = at(emptyImage, x, y);
            const QRgb f = at(fullImage, x, y);
            EXPECT_TRUE(e == kWhite || e == kBlack) << "0%: " << point(x, y) << " " << hex(e);
            EXPECT_TRUE(f == kAqua || f == kRed) << "100%: " << point(x, y) << " " << hex(f);
        }
    }
}

struct Probe
{
    int x;
    int y;
    QRgb color;
};

struct DialCase
{
    const char *name;
    TCGaugeKind kind;
    TCGaugeBorderStyle border;
    int percent;
    std::vector<Probe> probes;
};

// Aqua on white, surround (the parent's window colour) yellow, 100 x 100.
const std::vector<DialCase> kDialCases = {
    {"pie 0%", TCGaugeKind::gkPie, kSingle, 0,
     {{0, 0, kBlack}, {99, 50, kBlack}, {3, 3, kYellow}, {96, 96, kYellow}, {50, 50, kWhite},
      {50, 10, kWhite}}},
    {"pie 25%", TCGaugeKind::gkPie, kSingle, 25,
     {{70, 30, kAqua}, {30, 30, kWhite}, {30, 70, kWhite}, {70, 70, kWhite}, {3, 3, kYellow}}},
    {"pie 50%", TCGaugeKind::gkPie, kSingle, 50,
     {{75, 50, kAqua}, {60, 80, kAqua}, {60, 20, kAqua}, {25, 50, kWhite}, {40, 80, kWhite}}},
    {"pie 75%", TCGaugeKind::gkPie, kSingle, 75,
     {{30, 70, kAqua}, {70, 70, kAqua}, {30, 30, kWhite}, {96, 3, kYellow}}},
    {"pie 100%", TCGaugeKind::gkPie, kNone, 100,
     {{30, 30, kAqua}, {70, 70, kAqua}, {50, 50, kAqua}, {0, 0, kYellow}, {99, 99, kYellow}}},
    // The dial: upper half of an ellipse centred on the bottom edge.
    {"needle 0%", TCGaugeKind::gkNeedle, kNone, 0,
     {{2, 2, kYellow}, {97, 2, kYellow}, {50, 50, kWhite}, {20, 80, kWhite}, {80, 80, kWhite}}},
    // Straight up from (50, 99) to (50, 0).
    {"needle 50%", TCGaugeKind::gkNeedle, kNone, 50,
     {{50, 10, kAqua}, {50, 50, kAqua}, {50, 90, kAqua}, {45, 50, kWhite}, {55, 50, kWhite}}},
    // The base line runs along y = B = 99, the bottom frame row, from x = 1
    // up to 100 exclusive, so a coloured needle gauge has a coloured bottom edge.
    {"needle with border", TCGaugeKind::gkNeedle, kSingle, 0,
     {{0, 99, kBlack}, {1, 99, kAqua}, {50, 99, kAqua}, {99, 99, kAqua}, {50, 0, kBlack},
      {0, 50, kBlack}, {99, 50, kBlack}}},
};

TEST(TCGaugePaint, PieAndNeedleProbes)
{
    for (const DialCase &c : kDialCases) {
        QWidget parent;
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, QColor(255, 255, 0));
        parent.setPalette(palette);
        TCGauge gauge(&parent);
        setUp(gauge, c.kind, c.border, {100, 100});
        gauge.setShowText(false);
        gauge.setProgress(c.percent);
        const QImage image = gauge.renderImage();
        for (const Probe &p : c.probes) {
            EXPECT_EQ(hex(at(image, p.x, p.y)), hex(p.color)) << c.name << " at " << point(p.x, p.y);
        }
    }
}

// The sector grows from twelve o'clock and at 100 % covers the whole disc.
TEST(TCGaugePaint, FullPieCoversTheEmptyDisc)
{
    for (const TCGaugeBorderStyle border : {kSingle, kNone}) {
        TCGauge gauge;
        setUp(gauge, TCGaugeKind::gkPie, border, {100, 100});
        gauge.setShowText(false);
        const QImage empty = gauge.renderImage();
        gauge.setProgress(99);
        const QImage almost = gauge.renderImage();
        gauge.setProgress(100);
        const QImage full = gauge.renderImage();
        int disc = 0;
        int uncovered = 0;
        int leftAt99 = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (at(empty, x, y) == kWhite) {
                    ++disc;
                    uncovered += at(full, x, y) != kAqua ? 1 : 0;
                    leftAt99 += at(almost, x, y) == kWhite ? 1 : 0;
                }
            }
        }
        const std::string name = border == kSingle ? "border" : "no border";
        EXPECT_GT(disc, 5000) << name;
        EXPECT_EQ(uncovered, 0) << name << ": disc pixels not filled at 100%";
        EXPECT_GT(leftAt99, 0) << name << ": 99% leaves a sliver left of twelve o'clock";
        EXPECT_LT(leftAt99, disc / 50) << name;
    }
}

TEST(TCGaugePaint, DegenerateSizesRenderWithoutFault)
{
    const std::vector<QSize> sizes = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {1, 40}, {40, 1}, {5, 300}};
    const std::vector<TCGaugeKind> kinds = {TCGaugeKind::gkText, kH, kV, TCGaugeKind::gkPie,
                                            TCGaugeKind::gkNeedle};
    for (const QSize &size : sizes) {
        for (const TCGaugeKind kind : kinds) {
            for (const TCGaugeBorderStyle border : {kSingle, kNone}) {
                for (const int progress : {0, 50, 100}) {
                    TCGauge gauge;
                    setUp(gauge, kind, border, size);
                    gauge.setProgress(progress);
                    const QImage image = gauge.renderImage();
                    EXPECT_EQ(image.size(), size)
                        << size.width() << "x" << size.height() << " kind " << int(kind)
                        << " progress " << progress;
                }
            }
        }
    }
}

}  // namespace
