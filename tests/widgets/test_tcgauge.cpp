// Range rules, percentage arithmetic, repainting and accessibility of TCGauge.
#include "widgets/tcgauge.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

// Reaches any state with maxValue != 0 through the public setters alone.
void setState(TCGauge &gauge, int min, int max, int progress)
{
    gauge.setMaxValue(INT_MAX);
    gauge.setMinValue(min);
    gauge.setMaxValue(max);
    gauge.setProgress(progress);
}

struct State
{
    int min;
    int max;
    int progress;
};

std::string describe(const State &s)
{
    return "min " + std::to_string(s.min) + ", max " + std::to_string(s.max) + ", progress "
           + std::to_string(s.progress);
}

enum class Op { SetMin, SetMax, SetProgress, Add };

struct SetterCase
{
    const char *name;
    State start;
    Op op;
    int argument;
    State expected;
    const char *error;  // nullptr: the call must not throw
};

const std::vector<SetterCase> kSetterCases = {
    {"max 0 is ignored", {0, 100, 50}, Op::SetMax, 0, {0, 100, 50}, nullptr},
    {"max 0 ignored with negative min", {-10, 5, 5}, Op::SetMax, 0, {-10, 5, 5}, nullptr},
    {"max below min 0", {0, 100, 50}, Op::SetMax, -1, {0, 100, 50},
     "Value must be between 1 and 2147483647"},
    {"max below negative min", {-10, 100, 50}, Op::SetMax, -20, {-10, 100, 50},
     "Value must be between -9 and 2147483647"},
    {"max equal to min", {10, 100, 50}, Op::SetMax, 10, {10, 10, 10}, nullptr},
    {"max below progress lowers it", {0, 100, 80}, Op::SetMax, 50, {0, 50, 50}, nullptr},
    {"max above progress keeps it", {0, 100, 30}, Op::SetMax, 50, {0, 50, 30}, nullptr},
    {"max raised", {0, 100, 30}, Op::SetMax, 1000, {0, 1000, 30}, nullptr},
    {"min above max", {0, 100, 50}, Op::SetMin, 101, {0, 100, 50},
     "Value must be between -2147483647 and 99"},
    {"min above negative max", {-50, -20, -30}, Op::SetMin, 0, {-50, -20, -30},
     "Value must be between -2147483647 and -21"},
    {"min equal to max", {0, 100, 50}, Op::SetMin, 100, {100, 100, 100}, nullptr},
    {"min above progress raises it", {0, 100, 20}, Op::SetMin, 30, {30, 100, 30}, nullptr},
    {"min below progress keeps it", {0, 100, 50}, Op::SetMin, 30, {30, 100, 50}, nullptr},
    {"min lowered", {0, 100, 50}, Op::SetMin, INT_MIN, {INT_MIN, 100, 50}, nullptr},
    // The bound in the message is 32-bit arithmetic, as the stored values are.
    {"min above the lowest max", {INT_MIN, INT_MIN, INT_MIN}, Op::SetMin, 0,
     {INT_MIN, INT_MIN, INT_MIN}, "Value must be between -2147483647 and 2147483647"},
    {"progress inside", {0, 100, 0}, Op::SetProgress, 42, {0, 100, 42}, nullptr},
    {"progress above max", {0, 100, 0}, Op::SetProgress, 101, {0, 100, 100}, nullptr},
    {"progress far above max", {0, 100, 0}, Op::SetProgress, INT_MAX, {0, 100, 100}, nullptr},
    {"progress below min", {-5, 100, 50}, Op::SetProgress, -6, {-5, 100, -5}, nullptr},
    {"progress far below min", {0, 100, 50}, Op::SetProgress, INT_MIN, {0, 100, 0}, nullptr},
    {"add forward", {0, 100, 50}, Op::Add, 30, {0, 100, 80}, nullptr},
    {"add past max", {0, 100, 50}, Op::Add, 100, {0, 100, 100}, nullptr},
    {"add backward past min", {0, 100, 50}, Op::Add, -80, {0, 100, 0}, nullptr},
    {"add saturates instead of wrapping", {0, INT_MAX, INT_MAX - 1}, Op::Add, INT_MAX,
     {0, INT_MAX, INT_MAX}, nullptr},
    {"subtract saturates instead of wrapping", {INT_MIN, -1, INT_MIN + 1}, Op::Add, INT_MIN,
     {INT_MIN, -1, INT_MIN}, nullptr},
};

void apply(TCGauge &gauge, Op op, int argument)
{
    switch (op) {
    case Op::SetMin:
        gauge.setMinValue(argument);
        return;
    case Op::SetMax:
        gauge.setMaxValue(argument);
        return;
    case Op::SetProgress:
        gauge.setProgress(argument);
        return;
    case Op::Add:
        gauge.AddProgress(argument);
        return;
    }
}

TEST(TCGaugeSetters, NewGaugeDefaults)
{
    QWidget parent;
    QFont parentFont(QStringLiteral("DejaVu Sans"), 13);
    parent.setFont(parentFont);
    TCGauge gauge(&parent);
    EXPECT_EQ(gauge.minValue(), 0);
    EXPECT_EQ(gauge.maxValue(), 100);
    EXPECT_EQ(gauge.progress(), 0);
    EXPECT_EQ(gauge.kind(), TCGaugeKind::gkHorizontalBar);
    EXPECT_TRUE(gauge.showText());
    EXPECT_EQ(gauge.borderStyle(), TCGaugeBorderStyle::bsSingle);
    EXPECT_EQ(gauge.foreColor(), QColor(Qt::black));
    EXPECT_EQ(gauge.backColor(), QColor(Qt::white));
    EXPECT_EQ(gauge.size(), QSize(100, 100));
    EXPECT_TRUE(gauge.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(gauge.font(), parentFont);
    EXPECT_EQ(int(TCGaugeKind::gkText), 0);
    EXPECT_EQ(int(TCGaugeKind::gkNeedle), 4);
}

TEST(TCGaugeSetters, RangeRulesTable)
{
    for (const SetterCase &c : kSetterCases) {
        TCGauge gauge;
        setState(gauge, c.start.min, c.start.max, c.start.progress);
        ASSERT_EQ(gauge.minValue(), c.start.min) << c.name;
        ASSERT_EQ(gauge.maxValue(), c.start.max) << c.name;
        ASSERT_EQ(gauge.progress(), c.start.progress) << c.name;

        std::optional<std::string> error;
        try {
            apply(gauge, c.op, c.argument);
        } catch (const GaugeError &e) {
            error = e.what();
        }
        const State actual{gauge.minValue(), gauge.maxValue(), gauge.progress()};
        const std::string context = std::string(c.name) + ": from " + describe(c.start)
                                    + " with argument " + std::to_string(c.argument);
        if (c.error == nullptr) {
            EXPECT_FALSE(error.has_value()) << context << " threw \"" << error.value_or("") << '"';
        } else {
            EXPECT_EQ(error.value_or("<no error>"), c.error) << context;
        }
        EXPECT_TRUE(actual.min == c.expected.min && actual.max == c.expected.max
                    && actual.progress == c.expected.progress)
            << context << "\n  expected " << describe(c.expected) << "\n  actual   "
            << describe(actual);
    }
}

// Forms set these by name, so they must be reachable through the meta-object.
TEST(TCGaugeSetters, PropertiesWorkByName)
{
    TCGauge gauge;
    EXPECT_TRUE(gauge.setProperty("kind", QVariant::fromValue(TCGaugeKind::gkPie)));
    EXPECT_TRUE(gauge.setProperty("borderStyle", QVariant::fromValue(TCGaugeBorderStyle::bsNone)));
    EXPECT_TRUE(gauge.setProperty("showText", false));
    EXPECT_TRUE(gauge.setProperty("foreColor", QColor(255, 0, 255)));
    EXPECT_TRUE(gauge.setProperty("backColor", QColor(0, 255, 0)));
    EXPECT_TRUE(gauge.setProperty("minValue", 0));
    EXPECT_TRUE(gauge.setProperty("maxValue", 3));
    EXPECT_TRUE(gauge.setProperty("progress", 2));
    EXPECT_EQ(gauge.kind(), TCGaugeKind::gkPie);
    EXPECT_EQ(gauge.borderStyle(), TCGaugeBorderStyle::bsNone);
    EXPECT_FALSE(gauge.showText());
    EXPECT_EQ(gauge.foreColor(), QColor(255, 0, 255));
    EXPECT_EQ(gauge.backColor(), QColor(0, 255, 0));
    EXPECT_EQ(gauge.maxValue(), 3);
    EXPECT_EQ(gauge.progress(), 2);
    EXPECT_EQ(gauge.property("percentDone").toInt(), 66);
}

struct PercentCase
{
    State state;
    int percent;
};

TEST(TCGaugePercent, ExactAndRoundedDownTable)
{
    const std::vector<PercentCase> cases = {
        {{0, 100, 0}, 0},
        {{0, 100, 50}, 50},
        {{0, 100, 100}, 100},
        {{0, 3, 1}, 33},
        {{0, 3, 2}, 66},
        {{0, 1, 0}, 0},
        {{0, 1, 1}, 100},
        {{10, 10, 10}, 0},
        {{-200, -100, -150}, 50},
        {{-7, -1, -5}, 33},
        {{0, 1000, 9}, 0},
        {{0, 1000, 10}, 1},
        {{0, 2147483647, 2147483646}, 99},
        {{0, 2147483647, 21474837}, 1},
        {{-2147483647, 2147483647, 0}, 50},
        {{-2147483647, 2147483647, -2147483646}, 0},
        {{-2147483647, 2147483647, 2147483647}, 100},
        {{INT_MIN, 2147483647, 2147483646}, 99},
        {{INT_MIN, 2147483647, -1}, 49},
        {{INT_MIN, INT_MIN, INT_MIN}, 0},
    };
    for (const PercentCase &c : cases) {
        TCGauge gauge;
        setState(gauge, c.state.min, c.state.max, c.state.progress);
        ASSERT_EQ(gauge.progress(), c.state.progress) << describe(c.state);
        EXPECT_EQ(gauge.PercentDone(), c.percent) << describe(c.state);
        EXPECT_EQ(gauge.percentText(), QString::number(c.percent) + '%') << describe(c.state);
    }
}

// A gauge that counts how often it is painted.
class CountingGauge : public TCGauge
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++paints;
        TCGauge::paintEvent(event);
    }
};

class TCGaugeRepaint : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gauge.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
        QCoreApplication::processEvents();
    }

    // Paints caused by one call; setters paint synchronously, so no event
    // processing is needed in between.
    template <typename F>
    int paintsDuring(F &&call)
    {
        const int before = gauge.paints;
        call();
        return gauge.paints - before;
    }

    CountingGauge gauge;
};

TEST_F(TCGaugeRepaint, ProgressPaintsOnlyWhenThePercentageChanges)
{
    gauge.setMaxValue(1000);
    EXPECT_EQ(paintsDuring([&] { gauge.setProgress(5); }), 0) << "0% -> 0%";
    EXPECT_EQ(paintsDuring([&] { gauge.setProgress(9); }), 0) << "0% -> 0%";
    EXPECT_EQ(paintsDuring([&] { gauge.setProgress(10); }), 1) << "0% -> 1%";
    EXPECT_EQ(paintsDuring([&] { gauge.setProgress(10); }), 0) << "unchanged value";
    EXPECT_EQ(paintsDuring([&] { gauge.setProgress(5000); }), 1) << "clamped to 100%";
    EXPECT_EQ(paintsDuring([&] { gauge.setProgress(6000); }), 0) << "clamps to the same value";
}

TEST_F(TCGaugeRepaint, RangeSetters)
{
    EXPECT_EQ(paintsDuring([&] { gauge.setMaxValue(100); }), 1) << "same maximum still paints";
    EXPECT_EQ(paintsDuring([&] { gauge.setMaxValue(0); }), 0) << "ignored maximum";
    EXPECT_EQ(paintsDuring([&] { gauge.setMinValue(0); }), 0) << "same minimum";
    EXPECT_EQ(paintsDuring([&] { gauge.setMinValue(10); }), 1) << "new minimum";
    EXPECT_EQ(paintsDuring([&] {
                  EXPECT_THROW(gauge.setMinValue(200), GaugeError);
              }),
              0)
        << "rejected minimum";
    EXPECT_EQ(paintsDuring([&] { EXPECT_THROW(gauge.setMaxValue(5), GaugeError); }), 0)
        << "rejected maximum";
}

TEST_F(TCGaugeRepaint, AddProgressAlwaysPaints)
{
    EXPECT_EQ(paintsDuring([&] { gauge.AddProgress(0); }), 1);
    gauge.setProgress(100);
    EXPECT_EQ(paintsDuring([&] { gauge.AddProgress(5); }), 1) << "already at the maximum";
}

TEST_F(TCGaugeRepaint, AppearanceSettersPaintOnlyOnChange)
{
    EXPECT_EQ(paintsDuring([&] { gauge.setKind(TCGaugeKind::gkHorizontalBar); }), 0);
    EXPECT_EQ(paintsDuring([&] { gauge.setKind(TCGaugeKind::gkPie); }), 1);
    EXPECT_EQ(paintsDuring([&] { gauge.setShowText(true); }), 0);
    EXPECT_EQ(paintsDuring([&] { gauge.setShowText(false); }), 1);
    EXPECT_EQ(paintsDuring([&] { gauge.setBorderStyle(TCGaugeBorderStyle::bsSingle); }), 0);
    EXPECT_EQ(paintsDuring([&] { gauge.setBorderStyle(TCGaugeBorderStyle::bsNone); }), 1);
    EXPECT_EQ(paintsDuring([&] { gauge.setForeColor(Qt::black); }), 0);
    EXPECT_EQ(paintsDuring([&] { gauge.setForeColor(QColor(0, 255, 255)); }), 1);
    EXPECT_EQ(paintsDuring([&] { gauge.setBackColor(Qt::white); }), 0);
    EXPECT_EQ(paintsDuring([&] { gauge.setBackColor(QColor(255, 255, 0)); }), 1);
}

// The screen gets exactly the pixels renderImage produces.
TEST_F(TCGaugeRepaint, PaintEventCopiesTheRenderedImage)
{
    gauge.setForeColor(QColor(0, 255, 255));
    gauge.setProgress(37);
    const QImage onScreen = gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(onScreen, gauge.renderImage());
}

TEST(TCGaugeAccessible, ReportsValueRangeAndText)
{
    TCGauge gauge;
    gauge.setMaxValue(200);
    gauge.setProgress(100);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&gauge);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ProgressBar);
    QAccessibleValueInterface *value = iface->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 100);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 200);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("50%"));
    gauge.setProgress(150);
    EXPECT_EQ(value->currentValue().toInt(), 150);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("75%"));
    value->setCurrentValue(10);
    EXPECT_EQ(gauge.progress(), 150) << "assistive tools cannot move the gauge";
}

}  // namespace
