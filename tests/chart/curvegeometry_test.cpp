// The chart's mapping between the parameter image and the plot, and the
// dragging rules, against hand-worked values.
#include "params/curvegeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ParameterImage defaults()
{
    ParameterImage image;
    image.applyDefaults(); // 1000..10000 rpm; 5,15,20,25,33.. degrees; limiter 7000
    return image;
}

// 11000 rpm over 1100 px (10 rpm a pixel), 60 degrees over 600 px (10 px a
// degree), origin at (50, 620).
const QRectF kPlot(50, 20, 1100, 600);

std::string text(QPointF p)
{
    return "(" + std::to_string(p.x()) + ", " + std::to_string(p.y()) + ")";
}

TEST(CurveGeometry, AxisTopIsTheNextThousandAboveLastPointAndLimiter)
{
    struct Case
    {
        int lastPoint, limiter, expected;
    };
    const std::vector<Case> cases{
        {100, 70, 11000}, {100, 100, 11000}, {95, 0, 10000}, {95, 99, 10000}, {20, 255, 26000}, {0, 0, 1000},
    };
    for (const Case &c : cases) {
        ParameterImage image = defaults();
        image.rpmAdv(9) = static_cast<std::uint8_t>(c.lastPoint);
        image[ParameterImage::kLimiter] = static_cast<std::uint8_t>(c.limiter);
        EXPECT_EQ(CurveGeometry::rpmAxisMax(image), c.expected)
            << "last point " << c.lastPoint << "00 rpm, limiter " << c.limiter << "00 rpm";
    }
}

TEST(CurveGeometry, PointsAndLimiterLandOnTheirPixels)
{
    const CurveGeometry geometry(defaults(), kPlot);
    struct Case
    {
        int k;
        QPointF expected;
    };
    const std::vector<Case> cases{{0, {150, 570}}, {3, {450, 370}}, {9, {1050, 290}}};
    for (const Case &c : cases) {
        const QPointF actual = geometry.pointPixel(c.k);
        EXPECT_NEAR(actual.x(), c.expected.x(), 1e-9) << "point " << c.k << ": expected " << text(c.expected)
                                                     << ", got " << text(actual);
        EXPECT_NEAR(actual.y(), c.expected.y(), 1e-9) << "point " << c.k << ": expected " << text(c.expected)
                                                     << ", got " << text(actual);
    }
    EXPECT_DOUBLE_EQ(geometry.limiterX(), 750.0);
}

TEST(CurveGeometry, PixelAndDataRoundTrip)
{
    const CurveGeometry geometry(defaults(), kPlot);
    const std::vector<std::pair<QPointF, QPointF>> cases{
        {{50, 620}, {0, 0}},          {{1150, 20}, {11000, 60}},   {{600, 320}, {5500, 30}},
        {{50.5, 619.5}, {5, 0.05}},   {{1150, 620}, {11000, 0}},   {{40, 630}, {-100, -1}},
    };
    for (const auto &[pixel, data] : cases) {
        const QPointF toData = geometry.toData(pixel);
        EXPECT_NEAR(toData.x(), data.x(), 1e-9) << "pixel " << text(pixel) << ": expected " << text(data)
                                               << ", got " << text(toData);
        EXPECT_NEAR(toData.y(), data.y(), 1e-9) << "pixel " << text(pixel) << ": expected " << text(data)
                                               << ", got " << text(toData);
        const QPointF back = geometry.toPixel(toData);
        EXPECT_NEAR(back.x(), pixel.x(), 1e-9) << "round trip of " << text(pixel) << " gave " << text(back);
        EXPECT_NEAR(back.y(), pixel.y(), 1e-9) << "round trip of " << text(pixel) << " gave " << text(back);
    }
}

TEST(CurveGeometry, HitTestFindsThePointWithinItsRadius)
{
    const CurveGeometry geometry(defaults(), kPlot);
    struct Case
    {
        QPointF pixel;
        std::optional<int> expected;
    };
    // Point 3 is at (450, 370), point 4 at (550, 290).
    const std::vector<Case> cases{
        {{450, 370}, 3}, {{453, 374}, 3}, {{456, 370}, 3}, {{455, 375}, std::nullopt},
        {{500, 330}, std::nullopt}, {{549, 291}, 4}, {{0, 0}, std::nullopt},
    };
    for (const Case &c : cases) {
        const std::optional<int> actual = geometry.pointAt(c.pixel);
        EXPECT_EQ(actual, c.expected) << "pixel " << text(c.pixel) << ": expected "
                                      << (c.expected ? std::to_string(*c.expected) : "none") << ", got "
                                      << (actual ? std::to_string(*actual) : "none");
    }
}

TEST(CurveGeometry, DraggingRoundsClampsAndFollowsTheCurveRules)
{
    struct Case
    {
        const char *what;
        int k;
        double rpm, advance;
        std::vector<int> expectedRpm;     // hundreds, all ten points
        std::vector<int> expectedAdvance; // degrees, all ten points
    };
    const std::vector<int> rpm0{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    const std::vector<int> adv0{5, 15, 20, 25, 33, 33, 33, 33, 33, 33};
    const std::vector<Case> cases{
        {"up to 12.4 degrees", 0, 1000, 12.4, rpm0, {12, 15, 20, 25, 33, 33, 33, 33, 33, 33}},
        {"below 0 degrees", 0, 1000, -5, rpm0, {0, 15, 20, 25, 33, 33, 33, 33, 33, 33}},
        {"above 60 degrees", 9, 10000, 75, rpm0, {5, 15, 20, 25, 33, 33, 33, 33, 33, 60}},
        {"onto 60 exactly", 4, 5000, 59.6, rpm0, {5, 15, 20, 25, 60, 33, 33, 33, 33, 33}},
        {"3449 rpm rounds down", 2, 3449, 20, {10, 20, 34, 40, 50, 60, 70, 80, 90, 100}, adv0},
        {"3450 rpm rounds up", 2, 3450, 20, {10, 20, 35, 40, 50, 60, 70, 80, 90, 100}, adv0},
        {"below the previous point", 2, 1000, 20, {10, 20, 21, 40, 50, 60, 70, 80, 90, 100}, adv0},
        {"onto the next point", 2, 4000, 20, {10, 20, 40, 41, 50, 60, 70, 80, 90, 100}, adv0},
        {"past two points", 2, 5600, 20, {10, 20, 56, 57, 58, 60, 70, 80, 90, 100}, adv0},
        {"to 0 rpm", 0, 0, 5, {2, 20, 30, 40, 50, 60, 70, 80, 90, 100}, adv0},
        {"far right", 9, 30000, 33, {10, 20, 30, 40, 50, 60, 70, 80, 90, 200}, adv0},
        {"no such point", 10, 5000, 10, rpm0, adv0},
    };
    for (const Case &c : cases) {
        const ParameterImage dragged = dragPoint(defaults(), c.k, c.rpm, c.advance);
        std::vector<int> rpm, advance;
        for (int k = 0; k < ParameterImage::kPoints; ++k) {
            rpm.push_back(dragged.rpmAdv(k));
            advance.push_back(dragged.advance(k));
        }
        EXPECT_EQ(rpm, c.expectedRpm) << c.what << ": point " << c.k << " to " << c.rpm << " rpm";
        EXPECT_EQ(advance, c.expectedAdvance) << c.what << ": point " << c.k << " to " << c.advance << " deg";
    }
}

} // namespace
