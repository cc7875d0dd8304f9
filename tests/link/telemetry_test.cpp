#include <gtest/gtest.h>

#include "link/telemetry.h"

namespace {

const char *shadeName(Shade shade)
{
    switch (shade) {
    case Shade::ButtonFace:
        return "ButtonFace";
    case Shade::Red:
        return "Red";
    case Shade::Yellow:
        return "Yellow";
    case Shade::Aqua:
        return "Aqua";
    case Shade::Lime:
        return "Lime";
    }
    return "?";
}

// A frame as a running unit sends it: engine turning, switches open, versions matching.
LiveData runningUnit()
{
    LiveData live;
    live.rpm = 3500;
    live.advance = 27;
    live.voltageRaw = 1666;
    live.sideStand = 1;
    live.neutral = 1;
    live.protocolVersion = 16;
    return live;
}

const QString kMismatch = QStringLiteral("Unmatched version of PC and Ignition programs!");

} // namespace

TEST(TelemetryVoltage, TextAndShadeFromRawValue)
{
    struct Case
    {
        std::uint16_t raw;
        const char *text;
        Shade shade;
    };
    // Millivolts come in steps of 11 from 800, so the nearest values either
    // side of each band edge are used here; the exact edges are checked below.
    const Case cases[] = {
        {1666, "U = 12.0 [V]", Shade::ButtonFace}, // 11987 mV
        {1000, "U =  7.5 [V]", Shade::Yellow},     // 7510 mV, padded to four characters
        {0, "U =  0.8 [V]", Shade::Red},           // 800 mV
        {922, "U =  7.0 [V]", Shade::Red},         // 6993 mV
        {924, "U =  7.0 [V]", Shade::Yellow},      // 7004 mV
        {1518, "U = 11.0 [V]", Shade::Yellow},     // 10997 mV
        {1519, "U = 11.0 [V]", Shade::ButtonFace}, // 11008 mV
        {2112, "U = 15.0 [V]", Shade::ButtonFace}, // 14990 mV
        {2114, "U = 15.0 [V]", Shade::Yellow},     // 15001 mV
        {2559, "U = 18.0 [V]", Shade::Yellow},     // 17993 mV
        {2560, "U = 18.0 [V]", Shade::Red},        // 18004 mV
        // 12350 mV: single precision holds 12.35 as 12.3500004, so it rounds up.
        {1719, "U = 12.4 [V]", Shade::ButtonFace},
        {65535, "U = 441.2 [V]", Shade::Red},      // the largest raw value, not clamped
    };
    for (const Case &c : cases) {
        LiveData live = runningUnit();
        live.voltageRaw = c.raw;
        const LiveDisplay shown = formatLiveData(live, 70, kMismatch);
        EXPECT_EQ(shown.voltageText.toStdString(), c.text) << "raw " << c.raw;
        EXPECT_EQ(shown.voltageShade, c.shade)
            << "raw " << c.raw << ": expected " << shadeName(c.shade) << ", got " << shadeName(shown.voltageShade);
    }
}

TEST(TelemetryVoltage, BandEdgesInMillivolts)
{
    const std::pair<int, Shade> cases[] = {
        {7000, Shade::Red},         {7001, Shade::Yellow},  {11000, Shade::Yellow},
        {11001, Shade::ButtonFace}, {14998, Shade::ButtonFace}, {14999, Shade::Yellow},
        {17998, Shade::Yellow},     {17999, Shade::Red},    {0, Shade::Red},
    };
    for (const auto &[millivolts, expected] : cases) {
        const Shade shade = liveVoltageShade(millivolts);
        EXPECT_EQ(shade, expected) << millivolts << " mV: expected " << shadeName(expected) << ", got "
                                   << shadeName(shade);
    }
}

TEST(TelemetryRpm, TextShadeAndGauge)
{
    struct Case
    {
        std::uint16_t rpm;
        std::uint8_t warning;
        std::uint8_t limiter;
        const char *text;
        Shade shade;
        int gauge;
    };
    const Case cases[] = {
        {3500, 0, 70, "RPM = 3500 ", Shade::ButtonFace, 50},
        {3500, 1, 70, "RPM = 3500 ", Shade::Red, 50},
        {3569, 0, 70, "RPM = 3569 ", Shade::ButtonFace, 50}, // integer division
        {12000, 200, 100, "RPM = 12000 ", Shade::Red, 120},   // beyond the limiter: the gauge clamps
        {0, 0, 70, "RPM = 0 ", Shade::ButtonFace, 0},
        {3500, 0, 0, "RPM = 3500 ", Shade::ButtonFace, 0},   // a limiter of 0 is not divided by
        {65535, 0, 1, "RPM = 65535 ", Shade::ButtonFace, 65535},
    };
    for (const Case &c : cases) {
        LiveData live = runningUnit();
        live.rpm = c.rpm;
        live.speedWarning = c.warning;
        const LiveDisplay shown = formatLiveData(live, c.limiter, kMismatch);
        const std::string where = "rpm " + std::to_string(c.rpm) + " warning " + std::to_string(c.warning)
                                  + " limiter " + std::to_string(c.limiter);
        EXPECT_EQ(shown.rpmText.toStdString(), c.text) << where;
        EXPECT_EQ(shown.rpmShade, c.shade) << where << ": got " << shadeName(shown.rpmShade);
        EXPECT_EQ(shown.rpmGaugeProgress, c.gauge) << where;
    }
}

TEST(TelemetrySwitches, TextsAndShades)
{
    struct Case
    {
        std::uint8_t value;
        const char *blocking;
        Shade blockingShade;
        const char *neutral;
        Shade neutralShade;
        const char *sideStand;
        Shade sideStandShade;
    };
    // Blocking is active when set; the two switches are on when their byte is 0.
    const Case cases[] = {
        {0, "Blocking = OFF", Shade::ButtonFace, "Neutral sw. = ON", Shade::Aqua, "Side stand sw. = ON", Shade::Lime},
        {1, "Blocking = ON", Shade::Red, "Neutral sw. = OFF", Shade::ButtonFace, "Side stand sw. = OFF",
         Shade::ButtonFace},
        {0x80, "Blocking = ON", Shade::Red, "Neutral sw. = OFF", Shade::ButtonFace, "Side stand sw. = OFF",
         Shade::ButtonFace},
    };
    for (const Case &c : cases) {
        LiveData live = runningUnit();
        live.blocking = c.value;
        live.neutral = c.value;
        live.sideStand = c.value;
        const LiveDisplay shown = formatLiveData(live, 70, kMismatch);
        const std::string where = "byte value " + std::to_string(c.value);
        EXPECT_EQ(shown.blockingText.toStdString(), c.blocking) << where;
        EXPECT_EQ(shown.blockingShade, c.blockingShade) << where << ": got " << shadeName(shown.blockingShade);
        EXPECT_EQ(shown.neutralText.toStdString(), c.neutral) << where;
        EXPECT_EQ(shown.neutralShade, c.neutralShade) << where << ": got " << shadeName(shown.neutralShade);
        EXPECT_EQ(shown.sideStandText.toStdString(), c.sideStand) << where;
        EXPECT_EQ(shown.sideStandShade, c.sideStandShade) << where << ": got " << shadeName(shown.sideStandShade);
    }
}

TEST(TelemetrySwitches, EachSwitchReadsItsOwnByte)
{
    LiveData live = runningUnit();
    live.blocking = 0;
    live.neutral = 0;
    live.sideStand = 1;
    const LiveDisplay shown = formatLiveData(live, 70, kMismatch);
    EXPECT_EQ(shown.blockingText, QStringLiteral("Blocking = OFF"));
    EXPECT_EQ(shown.neutralText, QStringLiteral("Neutral sw. = ON"));
    EXPECT_EQ(shown.sideStandText, QStringLiteral("Side stand sw. = OFF"));
}

TEST(TelemetryVersion, MismatchTextUntilTheVersionsAgree)
{
    // The message table's English warning; the session hands over the current language's.
    const QString message = QStringLiteral("Unmatched version of PC and Ignition programs!");
    LiveData live = runningUnit();

    live.protocolVersion = 15;
    LiveDisplay shown = formatLiveData(live, 70, message);
    EXPECT_TRUE(shown.versionMismatch);
    EXPECT_EQ(shown.versionText.toStdString(), "Unmatched version of PC and Ignition programs!  PC-16, IGN-15");

    live.protocolVersion = 16;
    shown = formatLiveData(live, 70, message);
    EXPECT_FALSE(shown.versionMismatch);
    EXPECT_TRUE(shown.versionText.isEmpty()) << shown.versionText.toStdString();

    live.protocolVersion = 255;
    shown = formatLiveData(live, 70, QStringLiteral("X"));
    EXPECT_TRUE(shown.versionMismatch);
    EXPECT_EQ(shown.versionText.toStdString(), "X  PC-16, IGN-255");
}

TEST(TelemetryCounters, AdvanceDataErrorProgrammingsAndTests)
{
    LiveData live = runningUnit();
    live.advance = 27;
    live.dataError = 0;
    live.programmingCount = 258;
    live.test = {1, 0, 65535, 4, 5, 600, 7, 8000};
    LiveDisplay shown = formatLiveData(live, 70, kMismatch);
    EXPECT_EQ(shown.advanceText, QString::fromUtf8("ADVANCE = 27 [\xC2\xB0]"));
    EXPECT_FALSE(shown.dataError);
    EXPECT_EQ(shown.programmingCountText.toStdString(), "Number of Programing= 258 ");
    const char *expectedTests[] = {"Test1 = 1 ",    "Test2 = 0 ", "Test3 = 65535 ", "Test4 = 4 ",
                                   "Test5 = 5 ",    "Test6 = 600 ", "Test7 = 7 ",   "Test8 = 8000 "};
    for (std::size_t i = 0; i < shown.testTexts.size(); ++i)
        EXPECT_EQ(shown.testTexts[i].toStdString(), expectedTests[i]) << "test value " << i + 1;

    live.advance = 0;
    live.dataError = 3;
    shown = formatLiveData(live, 70, kMismatch);
    EXPECT_EQ(shown.advanceText, QString::fromUtf8("ADVANCE = 0 [\xC2\xB0]"));
    EXPECT_TRUE(shown.dataError);
}
