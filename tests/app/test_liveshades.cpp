// The colour of every live read-out on the window, for each state a frame can put it in.
#include "unit_window_fixture.h"

#include <QCheckBox>
#include <functional>
#include <optional>
#include <string>

namespace {

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
const QColor kLime(0, 255, 0);

struct ShadeCase
{
    const char *name;
    std::function<void(LiveData &)> set;
    const char *label;
    const char *text;
    std::optional<QColor> colour; // none: the button face
};

std::string rgb(const QColor &c)
{
    return "(" + std::to_string(c.red()) + ", " + std::to_string(c.green()) + ", " + std::to_string(c.blue()) + ")";
}

// Raw converter values around each voltage band edge: millivolts are
// raw x 5000 / 8184 (truncated) x 11 + 800.
const ShadeCase kShadeCases[] = {
    {"speed warning", [](LiveData &l) { l.rpm = 7000; l.speedWarning = 1; }, "LabelRpm", "RPM = 7000 ", kRed},
    {"no speed warning", [](LiveData &l) { l.rpm = 6900; l.speedWarning = 0; }, "LabelRpm", "RPM = 6900 ", {}},
    {"raw 0 = 800 mV", [](LiveData &l) { l.voltageRaw = 0; }, "LabelNapeti", "U =  0.8 [V]", kRed},
    {"raw 923 = 6993 mV", [](LiveData &l) { l.voltageRaw = 923; }, "LabelNapeti", "U =  7.0 [V]", kRed},
    {"raw 924 = 7004 mV", [](LiveData &l) { l.voltageRaw = 924; }, "LabelNapeti", "U =  7.0 [V]", kYellow},
    {"raw 1518 = 10997 mV", [](LiveData &l) { l.voltageRaw = 1518; }, "LabelNapeti", "U = 11.0 [V]", kYellow},
    {"raw 1519 = 11008 mV", [](LiveData &l) { l.voltageRaw = 1519; }, "LabelNapeti", "U = 11.0 [V]", {}},
    {"raw 1666 = 11987 mV", [](LiveData &l) { l.voltageRaw = 1666; }, "LabelNapeti", "U = 12.0 [V]", {}},
    {"raw 2113 = 14990 mV", [](LiveData &l) { l.voltageRaw = 2113; }, "LabelNapeti", "U = 15.0 [V]", {}},
    {"raw 2114 = 15001 mV", [](LiveData &l) { l.voltageRaw = 2114; }, "LabelNapeti", "U = 15.0 [V]", kYellow},
    {"raw 2559 = 17993 mV", [](LiveData &l) { l.voltageRaw = 2559; }, "LabelNapeti", "U = 18.0 [V]", kYellow},
    {"raw 2560 = 18004 mV", [](LiveData &l) { l.voltageRaw = 2560; }, "LabelNapeti", "U = 18.0 [V]", kRed},
    {"blocking", [](LiveData &l) { l.blocking = 1; }, "LabelBlocking", "Blocking = ON", kRed},
    {"not blocking", [](LiveData &l) { l.blocking = 0; }, "LabelBlocking", "Blocking = OFF", {}},
    {"neutral switch on", [](LiveData &l) { l.neutral = 0; }, "LabelNeutral", "Neutral sw. = ON", kAqua},
    {"neutral switch off", [](LiveData &l) { l.neutral = 1; }, "LabelNeutral", "Neutral sw. = OFF", {}},
    {"side stand switch on", [](LiveData &l) { l.sideStand = 0; }, "LabelSideStand", "Side stand sw. = ON", kLime},
    {"side stand switch off", [](LiveData &l) { l.sideStand = 1; }, "LabelSideStand", "Side stand sw. = OFF", {}},
};

// A frame in which every read-out is in the state opposite to the case's, so
// that each case has to change its label's colour.
LiveData opposite(const ShadeCase &c)
{
    LiveData live;
    live.protocolVersion = 16;
    live.rpm = 3000;
    live.voltageRaw = 1666;
    live.blocking = 0;
    live.neutral = 1;
    live.sideStand = 1;
    if (!c.colour) {
        live.speedWarning = 1;
        live.voltageRaw = 0;
        live.blocking = 1;
        live.neutral = 0;
        live.sideStand = 0;
    }
    return live;
}

} // namespace

class LiveShadeTest : public UnitWindowTest
{};

TEST_F(LiveShadeTest, EveryReadOutTakesTheColourOfItsState)
{
    start();
    control<QCheckBox>("CheckBoxBlokEnable")->setChecked(true);
    for (const ShadeCase &c : kShadeCases) {
        SCOPED_TRACE(c.name);
        unit.live = opposite(c);
        ASSERT_TRUE(tickUntilLiveFrame());
        c.set(unit.live);
        ASSERT_TRUE(tickUntilLiveFrame());
        const QColor expected = c.colour.value_or(buttonFace());
        EXPECT_EQ(label(c.label), c.text) << c.label;
        EXPECT_EQ(background(c.label), expected)
            << c.label << ": expected " << rgb(expected) << ", shown " << rgb(background(c.label));
    }
}
