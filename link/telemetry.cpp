#include "link/telemetry.h"

#include "link/frame.h"

namespace {
// Voltage bands in millivolts: outside the outer band the supply is unusable
// (red), outside the inner one it is doubtful (yellow).
constexpr int kRedLow = 7000, kRedHigh = 17999;
constexpr int kYellowLow = 11000, kYellowHigh = 14999;
} // namespace

Shade liveVoltageShade(int millivolts)
{
    if (millivolts <= kRedLow || millivolts >= kRedHigh)
        return Shade::Red;
    if (millivolts <= kYellowLow || millivolts >= kYellowHigh)
        return Shade::Yellow;
    return Shade::ButtonFace;
}

QString versionMismatchText(const QString &message, int unitVersion)
{
    return message + QString::asprintf("  PC-%d, IGN-%d", int(kProtocolVersion), unitVersion);
}

LiveDisplay formatLiveData(const LiveData &live, std::uint8_t limiterByte,
                           const QString &versionMismatchMessage)
{
    LiveDisplay display;

    display.rpmText = QString::asprintf("RPM = %d ", int(live.rpm));
    display.rpmShade = live.speedWarningOn() ? Shade::Red : Shade::ButtonFace;
    // A limiter of 0 can only come from a unit's block or a file; the gauge
    // then stays empty instead of dividing by it.
    display.rpmGaugeProgress = limiterByte == 0 ? 0 : live.rpm / limiterByte;

    const int millivolts = live.millivolts();
    display.voltageShade = liveVoltageShade(millivolts);
    // Shown from a single-precision value: at a half step such as 12.35 V it
    // rounds up where a double would round down, and the read-out keeps that.
    const float volts = static_cast<float>(millivolts * 0.001);
    display.voltageText = QString::asprintf("U = %4.1f [V]", static_cast<double>(volts));

    if (live.blockingOn()) {
        display.blockingText = QStringLiteral("Blocking = ON");
        display.blockingShade = Shade::Red;
    } else {
        display.blockingText = QStringLiteral("Blocking = OFF");
        display.blockingShade = Shade::ButtonFace;
    }
    if (live.neutralOn()) {
        display.neutralText = QStringLiteral("Neutral sw. = ON");
        display.neutralShade = Shade::Aqua;
    } else {
        display.neutralText = QStringLiteral("Neutral sw. = OFF");
        display.neutralShade = Shade::ButtonFace;
    }
    if (live.sideStandOn()) {
        display.sideStandText = QStringLiteral("Side stand sw. = ON");
        display.sideStandShade = Shade::Lime;
    } else {
        display.sideStandText = QStringLiteral("Side stand sw. = OFF");
        display.sideStandShade = Shade::ButtonFace;
    }

    display.advanceText = QString::asprintf("ADVANCE = %d [\u00b0]", int(live.advance));

    display.versionMismatch = live.protocolVersion != kProtocolVersion;
    if (display.versionMismatch)
        display.versionText = versionMismatchText(versionMismatchMessage, live.protocolVersion);

    display.dataError = live.dataErrorSet();
    display.programmingCountText = QString::asprintf("Number of Programing= %d ", int(live.programmingCount));
    for (std::size_t i = 0; i < live.test.size(); ++i)
        display.testTexts[i] = QString::asprintf("Test%d = %d ", int(i) + 1, int(live.test[i]));

    return display;
}
