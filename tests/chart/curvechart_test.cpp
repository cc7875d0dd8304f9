// The chart's painted pixels, its live trail under a test clock, and dragging
// with the mouse.
#include "params/curvegeometry.h"
#include "widgets/curvechart.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr QRgb kCurve = 0x0040c0;
constexpr QRgb kLimiter = 0xd00000;
constexpr QRgb kLive = 0xff8000;
constexpr QSize kSize(753, 500);

ParameterImage defaults()
{
    ParameterImage image;
    image.applyDefaults();
    return image;
}

QImage paint(const CurveChart &chart)
{
    QImage image(kSize, QImage::Format_RGB32);
    QPainter painter(&image);
    chart.paintChart(painter, kSize);
    return image;
}

std::string hex(QRgb rgb)
{
    return QStringLiteral("%1").arg(rgb & 0xffffffu, 6, 16, QLatin1Char('0')).toStdString();
}

int distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

TEST(CurveChart, CurveLineAndLimiterColumnArePainted)
{
    CurveChart chart;
    chart.setImage(defaults());
    const QImage image = paint(chart);
    const CurveGeometry geometry(defaults(), chart.plotRect(kSize));

    struct Case
    {
        const char *what;
        QPointF data; // rpm, degrees
        int tolerance;
    };
    // Level runs are covered whole by the 2 px pen; a slope is blended at its edge.
    const std::vector<Case> onTheLine{
        {"level run 5000..6000 rpm at 33 deg", {5500, 33}, 0},
        {"level run 8000..9000 rpm at 33 deg", {8500, 33}, 0},
        {"slope 1000..2000 rpm, 5..15 deg", {1500, 10}, 0x50},
        {"slope 3000..4000 rpm, 20..25 deg", {3500, 22.5}, 0x50},
    };
    for (const Case &c : onTheLine) {
        const QPointF p = geometry.toPixel(c.data);
        const QRgb actual = image.pixel(int(std::floor(p.x())), int(std::floor(p.y())));
        EXPECT_LE(distance(actual, kCurve), c.tolerance)
            << c.what << " at pixel (" << int(p.x()) << ", " << int(p.y()) << "): expected " << hex(kCurve)
            << ", got " << hex(actual);
        const QRgb off = image.pixel(int(std::floor(p.x())), int(std::floor(p.y())) - 8);
        EXPECT_GT(distance(off, kCurve), 0x80) << c.what << ": 8 px above the line is " << hex(off);
    }

    const int column = int(std::round(geometry.limiterX()));
    const QRectF plot = geometry.plot();
    for (const double share : {0.05, 0.25, 0.75, 0.95}) {
        const int y = int(plot.top() + share * plot.height());
        EXPECT_EQ(image.pixel(column, y) & 0xffffffu, kLimiter)
            << "limiter column " << column << " at y " << y << ": got " << hex(image.pixel(column, y));
        for (const int side : {column - 1, column + 1})
            EXPECT_NE(image.pixel(side, y) & 0xffffffu, kLimiter) << "column " << side << " at y " << y;
    }
}

TEST(CurveChart, LiveTrailKeepsTenSecondsByItsClock)
{
    qint64 now = 0;
    CurveChart chart;
    chart.setClock([&now] { return now; });
    chart.setImage(defaults());

    struct Step
    {
        qint64 at;
        std::optional<int> rpm; // a frame at this time, or only the clock moving
        std::vector<qint64> expectedTimes;
    };
    const std::vector<Step> steps{
        {0, 3000, {0}},
        {3000, 4000, {0, 3000}},
        {10000, 5000, {0, 3000, 10000}},
        {10001, std::nullopt, {3000, 10000}},
        {15000, 6000, {10000, 15000}},
        {25001, std::nullopt, {}},
    };
    for (const Step &s : steps) {
        now = s.at;
        if (s.rpm)
            chart.setLivePoint(*s.rpm, 20);
        std::vector<qint64> times;
        for (const CurveChart::LiveSample &sample : chart.liveTrail())
            times.push_back(sample.ms);
        EXPECT_EQ(times, s.expectedTimes) << "at " << s.at << " ms";
    }
}

TEST(CurveChart, LiveDotIsPaintedAndGoneAfterTenSeconds)
{
    qint64 now = 1000;
    CurveChart chart;
    chart.setClock([&now] { return now; });
    chart.setImage(defaults());
    chart.setLivePoint(4500, 45);
    const CurveGeometry geometry(defaults(), chart.plotRect(kSize));
    const QPointF dot = geometry.toPixel({4500, 45});
    const int x = int(dot.x());
    const int y = int(dot.y());

    EXPECT_LE(distance(paint(chart).pixel(x, y), kLive), 0x10) << "fresh dot: " << hex(paint(chart).pixel(x, y));
    now += 9000;
    EXPECT_LE(distance(paint(chart).pixel(x, y), kLive), 0x10) << "9 s old dot: " << hex(paint(chart).pixel(x, y));
    now += 1001;
    EXPECT_GT(distance(paint(chart).pixel(x, y), kLive), 0x40) << "10 s old dot: " << hex(paint(chart).pixel(x, y));
}

TEST(CurveChart, LitRowIsMarked)
{
    constexpr QRgb kLit = 0x00a000;
    CurveChart chart;
    chart.setImage(defaults());
    const CurveGeometry geometry(defaults(), chart.plotRect(kSize));
    struct Case
    {
        std::optional<int> lit;
        int point;
        bool expectedLit;
    };
    const std::vector<Case> cases{{3, 3, true}, {3, 4, false}, {std::nullopt, 3, false}, {9, 9, true}, {10, 9, false}};
    for (const Case &c : cases) {
        chart.setHighlightedRow(c.lit);
        const QPointF p = geometry.pointPixel(c.point);
        const QRgb actual = paint(chart).pixel(int(p.x()), int(p.y()));
        EXPECT_EQ((actual & 0xffffffu) == kLit, c.expectedLit)
            << "lit row " << (c.lit ? std::to_string(*c.lit) : "none") << ", point " << c.point << ": " << hex(actual);
    }
}

TEST(CurveChart, ARecordingPlaysBesideTheLiveDotInItsOwnColourAndLegend)
{
    constexpr QRgb kPlayback = 0xa000c0;
    qint64 now = 50000;
    CurveChart chart;
    chart.setClock([&now] { return now; });
    chart.setImage(defaults());
    chart.setLivePoint(4500, 45);
    const std::vector<CurveChart::LiveSample> ride{{0, 6300, 41}, {1000, 7300, 51}, {2000, 8300, 46}};
    chart.setRecording(ride, QStringLiteral("ride.csv"));

    const auto at = [&](const QImage &image, QSize size, int rpm, int advance) {
        const QPointF p = CurveGeometry(defaults(), chart.plotRect(size)).toPixel({double(rpm), double(advance)});
        return image.pixel(int(p.x()), int(p.y()));
    };
    const auto count = [](const QImage &image, QRect area, QRgb colour) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += distance(image.pixel(x, y), colour) <= 0x10;
        return n;
    };
    const CurveGeometry geometry(defaults(), chart.plotRect(kSize));
    const QRect legendCorner(chart.plotRect(kSize).toRect().topLeft(), QSize(60, 60));

    struct Step
    {
        qint64 position;
        int headIndex;  // the sample that is the recording's dot
    };
    for (const Step &step : std::vector<Step>{{0, 0}, {999, 0}, {1000, 1}, {2500, 2}, {1500, 1}}) {
        chart.setPlaybackPosition(step.position);
        const QImage image = paint(chart);
        for (int i = 0; i < int(ride.size()); ++i) {
            // The dot is a disc of its colour; a trail dot is small and faded.
            const QPointF p = geometry.toPixel({double(ride[i].rpm), double(ride[i].advance)});
            const int solid = count(image, QRect(p.toPoint() - QPoint(6, 6), QSize(13, 13)), kPlayback);
            if (i == step.headIndex) {
                EXPECT_GT(solid, 60) << "at " << step.position << " ms, the dot is sample " << i;
            } else {
                EXPECT_LT(solid, 20) << "at " << step.position << " ms, sample " << i << " is no dot";
            }
            if (i > step.headIndex) {
                EXPECT_GT(distance(image.pixel(p.toPoint()), QColor(Qt::white).rgb()), 0x10)
                    << "at " << step.position << " ms, sample " << i << " not reached is a faint dot";
            }
        }
        EXPECT_LE(distance(at(image, kSize, 4500, 45), kLive), 0x10) << "live dot at " << step.position << " ms";
        EXPECT_GT(count(image, legendCorner, kPlayback), 10) << "legend swatch at " << step.position << " ms";
        EXPECT_GT(count(image, legendCorner, kLive), 10) << "legend swatch at " << step.position << " ms";
        ASSERT_EQ(chart.liveTrail().size(), 1u);
    }

    // Live frames and playback never move each other.
    chart.setLivePoint(3300, 52);
    EXPECT_EQ(chart.playbackTrail().back().rpm, 7300);
    chart.setPlaybackPosition(2000);
    ASSERT_EQ(chart.liveTrail().size(), 2u);
    EXPECT_EQ(chart.liveTrail().back().rpm, 3300);

    // The ride's faint dots follow the plot when the size changes.
    const QSize small(600, 400);
    QImage smaller(small, QImage::Format_RGB32);
    chart.setPlaybackPosition(0);
    {
        QPainter painter(&smaller);
        chart.paintChart(painter, small);
    }
    EXPECT_GT(distance(at(smaller, small, 8300, 46), QColor(Qt::white).rgb()), 0x10) << "faint dot at 600 x 400";

    chart.clearRecording();
    const QImage cleared = paint(chart);
    EXPECT_TRUE(chart.playbackTrail().empty());
    EXPECT_EQ(count(cleared, cleared.rect(), kPlayback), 0) << "the recording's dot, trail and swatch are gone";
    EXPECT_EQ(count(cleared, legendCorner, kLive), 0) << "no legend without a recording";
    EXPECT_EQ(at(cleared, kSize, 8300, 46) & 0xffffffu, 0xffffffu) << "no faint dot";
    EXPECT_LE(distance(at(cleared, kSize, 3300, 52), kLive), 0x10) << "the live dot stays";
}

void mouse(CurveChart &chart, QEvent::Type type, QPointF at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, chart.mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &event);
}

TEST(CurveChart, DraggingReportsTheEditedImageAndKeepsItsOwn)
{
    struct Case
    {
        const char *what;
        int k;
        QPointF to;    // data point the mouse ends on
        QPointF wobble; // pixels added across the drag's direction
        int expectedRpm3, expectedRpm4, expectedAdvance3;
    };
    const std::vector<Case> cases{
        {"up to 40 deg", 3, {4000, 40}, {0, 0}, 40, 50, 40},
        {"up with a sideways wobble", 3, {4000, 40}, {6, 0}, 40, 50, 40},
        {"down past 0", 3, {4000, -10}, {0, 0}, 40, 50, 0},
        {"right past point 4", 3, {5500, 25}, {0, 3}, 55, 56, 25},
    };
    for (const Case &c : cases) {
        CurveChart chart;
        chart.resize(kSize);
        chart.setImage(defaults());
        QSignalSpy dragged(&chart, &CurveChart::pointDragged);
        const CurveGeometry geometry(defaults(), chart.plotRect(kSize));
        const QPointF from = geometry.pointPixel(c.k);
        const QPointF to = geometry.toPixel(c.to) + c.wobble;
        mouse(chart, QEvent::MouseButtonPress, from);
        mouse(chart, QEvent::MouseMove, (from + to) / 2);
        mouse(chart, QEvent::MouseMove, to);
        mouse(chart, QEvent::MouseButtonRelease, to);

        ASSERT_FALSE(dragged.isEmpty()) << c.what << ": no image reported";
        const auto last = dragged.back().at(0).value<ParameterImage>();
        EXPECT_EQ(last.rpmAdv(3), c.expectedRpm3) << c.what;
        EXPECT_EQ(last.rpmAdv(4), c.expectedRpm4) << c.what;
        EXPECT_EQ(last.advance(3), c.expectedAdvance3) << c.what;
        EXPECT_EQ(chart.image(), defaults()) << c.what << ": the chart changed its own image";
    }
}

TEST(CurveChart, PressingBesideThePointsDragsNothing)
{
    CurveChart chart;
    chart.resize(kSize);
    chart.setImage(defaults());
    QSignalSpy dragged(&chart, &CurveChart::pointDragged);
    const QPointF empty = chart.plotRect(kSize).center() + QPointF(0, 80);
    mouse(chart, QEvent::MouseButtonPress, empty);
    mouse(chart, QEvent::MouseMove, empty + QPointF(0, -60));
    mouse(chart, QEvent::MouseButtonRelease, empty + QPointF(0, -60));
    EXPECT_TRUE(dragged.isEmpty());
}

TEST(CurveChart, ExportsPngAndSvg)
{
    QTemporaryDir dir;
    CurveChart chart;
    chart.resize(kSize);
    chart.setImage(defaults());
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    const QString svg = dir.filePath(QStringLiteral("chart.svg"));
    ASSERT_TRUE(chart.exportPng(png));
    ASSERT_TRUE(chart.exportSvg(svg));
    EXPECT_EQ(QImage(png).size(), kSize);
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QByteArray text = svgFile.readAll();
    EXPECT_TRUE(text.contains("<svg")) << text.left(200).toStdString();
    EXPECT_TRUE(text.contains("viewBox=\"0 0 753 500\"")) << text.left(400).toStdString();
    EXPECT_FALSE(chart.exportPng(dir.filePath(QStringLiteral("no/such/folder/chart.png"))));
}

} // namespace
