// The curve-row highlight, the advance shift and the "Programming after change" check.
#include "params/editingrules.h"

#include <array>
#include <gtest/gtest.h>
#include <string>

namespace {

using Curve = std::array<int, ParameterImage::kPoints>;

ParameterImage withAdvances(const Curve &advances)
{
    ParameterImage image;
    image.applyDefaults();
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        image.advance(k) = static_cast<std::uint8_t>(advances[static_cast<std::size_t>(k)]);
    return image;
}

std::string show(const CurveHighlight &h)
{
    return h.noRowHighlighted ? "none" : "row " + std::to_string(h.highlightedRow);
}

std::string advancesOf(const ParameterImage &image)
{
    std::string s;
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        s += std::to_string(image.advance(k)) + ' ';
    return s;
}

CurveHighlight row(int r)
{
    return CurveHighlight{false, static_cast<std::uint8_t>(r)};
}

const CurveHighlight kNone{};

} // namespace

TEST(EditingRulesHighlight, NearestCurvePointOfTheLiveSpeed)
{
    ParameterImage defaults; // points at 1000, 2000 ... 10000 rpm
    defaults.applyDefaults();
    ParameterImage high = defaults;
    high.rpmAdv(0) = 25;
    high.normaliseCurve(); // 2500, 3000, 3100, 4000 ... rpm

    const struct
    {
        const char *what;
        const ParameterImage &image;
        int rpm;
        CurveHighlight want;
    } cases[] = {
        {"stopped engine", defaults, 0, kNone},
        {"1 rpm below point 1", defaults, 999, kNone},
        {"equal to point 1", defaults, 1000, row(0)},
        {"exactly midway between 2000 and 3000 goes to the lower", defaults, 2500, row(1)},
        {"the remainder below 100 rpm is dropped", defaults, 2599, row(1)},
        {"nearer 3000", defaults, 2600, row(2)},
        {"just above point 9 stays on it", defaults, 9400, row(8)},
        {"nearer point 10", defaults, 9999, row(9)},
        {"at point 10", defaults, 10000, row(9)},
        {"far above point 10", defaults, 65535, row(9)},
        {"below a raised point 1", high, 2499, kNone},
        {"at a raised point 1", high, 2500, row(0)},
    };
    for (const auto &c : cases) {
        const CurveHighlight h = HighlightCurveRow(static_cast<std::uint16_t>(c.rpm), c.image);
        EXPECT_EQ(show(h), show(c.want)) << c.what << ", live " << c.rpm << " rpm";
    }
}

TEST(EditingRulesAdvance, ShiftsTheCurveOrTheHighlightedPointWithinZeroAndSixty)
{
    const struct
    {
        const char *what;
        Curve before;
        int delta;
        bool all;
        CurveHighlight h;
        Curve after;
        bool changed;
    } cases[] = {
        {"All: minus leaves the 0", {0, 5, 10, 15, 20, 25, 30, 35, 40, 60}, -1, true, kNone,
         {0, 4, 9, 14, 19, 24, 29, 34, 39, 59}, true},
        {"All: plus leaves the 60", {60, 5, 10, 15, 20, 25, 30, 35, 40, 59}, +1, true, row(3),
         {60, 6, 11, 16, 21, 26, 31, 36, 41, 60}, true},
        {"All: minus at all zero", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, -1, true, row(0),
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
        {"All: plus at all 60", {60, 60, 60, 60, 60, 60, 60, 60, 60, 60}, +1, true, kNone,
         {60, 60, 60, 60, 60, 60, 60, 60, 60, 60}, false},
        {"one point: plus", {5, 15, 20, 25, 33, 33, 33, 33, 33, 33}, +1, false, row(3),
         {5, 15, 20, 26, 33, 33, 33, 33, 33, 33}, true},
        {"one point: minus on row 10", {5, 15, 20, 25, 33, 33, 33, 33, 33, 33}, -1, false, row(9),
         {5, 15, 20, 25, 33, 33, 33, 33, 33, 32}, true},
        {"one point: plus at 60", {5, 15, 20, 60, 33, 33, 33, 33, 33, 33}, +1, false, row(3),
         {5, 15, 20, 60, 33, 33, 33, 33, 33, 33}, false},
        {"one point: minus at 0", {0, 15, 20, 25, 33, 33, 33, 33, 33, 33}, -1, false, row(0),
         {0, 15, 20, 25, 33, 33, 33, 33, 33, 33}, false},
        {"no row highlighted: nothing changes", {5, 15, 20, 25, 33, 33, 33, 33, 33, 33}, +1, false, kNone,
         {5, 15, 20, 25, 33, 33, 33, 33, 33, 33}, false},
        {"an unbounded 70 is lowered but never raised", {70, 15, 20, 25, 33, 33, 33, 33, 33, 255}, +1, true,
         kNone, {70, 16, 21, 26, 34, 34, 34, 34, 34, 255}, true},
        {"an unbounded 255 is lowered", {70, 15, 20, 25, 33, 33, 33, 33, 33, 255}, -1, false, row(9),
         {70, 15, 20, 25, 33, 33, 33, 33, 33, 254}, true},
    };
    for (const auto &c : cases) {
        ParameterImage image = withAdvances(c.before);
        image[7] = 0x5A;
        ParameterImage expected = withAdvances(c.after);
        expected[7] = 0x5A;
        const bool changed = shiftAdvance(image, c.delta, c.all, c.h);
        EXPECT_EQ(changed, c.changed) << c.what;
        EXPECT_EQ(advancesOf(image), advancesOf(expected)) << c.what << "\n  before: " << advancesOf(withAdvances(c.before));
        EXPECT_EQ(image, expected) << c.what << ": a byte other than the advances changed";
    }
}

TEST(EditingRulesProgramAfterChange, ForcesOnTickThenProgramsOnlyChanges)
{
    ParameterImage image;
    image.applyDefaults();
    ProgramAfterChange check;

    const struct
    {
        const char *what;
        bool ticked;
        int changeByte; // -1: image left as it is
        bool program;
    } steps[] = {
        {"unticked at start", false, -1, false},
        {"first check after ticking", true, -1, true},
        {"no change", true, -1, false},
        {"a spare byte", true, 50, true},
        {"the last spare byte", true, 54, true},
        {"a reserved byte", true, 6, true},
        {"a curve advance", true, 29, true},
        {"no change again", true, -1, false},
        {"unticked with a change", false, 20, false},
        {"still unticked", false, -1, false},
        {"ticked again", true, -1, true},
        {"no change after it", true, -1, false},
        {"unticked without change", false, -1, false},
        {"ticked on an image equal to the one last seen", true, -1, true},
    };
    for (const auto &s : steps) {
        if (s.changeByte >= 0)
            ++image[s.changeByte];
        const ParameterImage lastBefore = check.lastSentImage();
        EXPECT_EQ(check.check(s.ticked, image), s.program) << s.what;
        EXPECT_EQ(check.autoProgramArmed(), s.ticked) << s.what;
        EXPECT_EQ(check.lastSentImage(), s.ticked ? image : lastBefore) << s.what;
    }
}

TEST(EditingRulesProgramAfterChange, AnyOfTheFiftyFiveBytesCounts)
{
    ParameterImage image;
    ProgramAfterChange check;
    ASSERT_TRUE(check.check(true, image)) << "ticking forces a program";
    ASSERT_FALSE(check.check(true, image));
    for (int i = 0; i < ParameterImage::kSize; ++i) {
        image[i] = static_cast<std::uint8_t>(image[i] ^ 0x80);
        EXPECT_TRUE(check.check(true, image)) << "byte " << i;
        EXPECT_FALSE(check.check(true, image)) << "byte " << i << " again";
    }
}
