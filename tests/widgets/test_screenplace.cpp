// Where a stored window place comes back: its whole title bar on a screen.
#include "widgets/screenplace.h"

#include <gtest/gtest.h>

namespace {

using screenplace::kTitleBarHeight;

// Two screens side by side as a scale factor of 1.5 shows them: the left one
// 1920 x 1080 pixels, the right one 1280 x 1024 starting at pixel 1920.
const QList<QRect> kScaledPair{QRect(0, 0, 1280, 720), QRect(1920, 0, 853, 683)};
const QList<QRect> kOne{QRect(0, 0, 1920, 1050)}; // a task bar along the bottom
const QList<QRect> kPanelOnTop{QRect(0, 28, 1280, 996)};
const QList<QRect> kSideBySide{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1280, 1024)};

} // namespace

TEST(ScreenPlace, TheTitleBarIsBroughtOntoTheNearestScreenByTheLeastMove)
{
    const struct
    {
        const char *what;
        QList<QRect> areas;
        QRect outer;
        QPoint expected;
    } cases[] = {
        {"already on the screen", kOne, {100, 50, 761, 822}, {100, 50}},
        {"title bar on the screen, the rest below it", kOne, {100, 1000, 761, 822}, {100, 1000}},
        {"one pixel too low for the title bar", kOne, {100, 1021, 761, 822}, {100, 1050 - kTitleBarHeight}},
        {"right edge off the screen", kOne, {1500, 50, 761, 822}, {1920 - 761, 50}},
        {"above the top", kOne, {-100, -400, 761, 822}, {0, 0}},
        {"under a panel along the top", kPanelOnTop, {40, 10, 761, 822}, {40, 28}},
        {"left screen at scale one, in the gap at 1.5", kScaledPair, {1300, 100, 761, 822}, {1920, 100}},
        {"nearer the left screen's edge", kScaledPair, {1000, 100, 761, 822}, {1280 - 761, 100}},
        {"off the right screen's bottom", kScaledPair, {2000, 900, 640, 480}, {2000, 683 - kTitleBarHeight}},
        {"across two screens side by side", kSideBySide, {1000, 100, 761, 822}, {1000, 100}},
        {"across two screens, above their top", kSideBySide, {1000, -5, 761, 822}, {1000, 0}},
        {"wider than the screen: its left end shows", kScaledPair, {-300, 100, 1500, 822}, {0, 100}},
        {"as far off as a settings file may hold", kOne, {1 << 24, -(1 << 24), 761, 822}, {1920 - 761, 0}},
        {"no screen at all", {}, {5000, 5000, 761, 822}, {5000, 5000}},
    };
    for (const auto &c : cases) {
        const QRect placed = screenplace::withTitleBarOn(c.outer, c.areas);
        EXPECT_EQ(placed.topLeft(), c.expected) << c.what;
        EXPECT_EQ(placed.size(), c.outer.size()) << c.what;
    }
}
