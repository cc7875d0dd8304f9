#pragma once

#include "link/liveframe.h"

#include <QString>

#include <array>
#include <cstdint>

// Background colours of the live read-outs; the window maps them onto its palette.
enum class Shade { ButtonFace, Red, Yellow, Aqua, Lime };

// What one live-data frame puts on the window, ready to be copied onto the
// labels and the engine-speed gauge.
struct LiveDisplay
{
    QString rpmText;
    Shade rpmShade = Shade::ButtonFace;
    int rpmGaugeProgress = 0;
    QString advanceText;
    QString voltageText;
    Shade voltageShade = Shade::ButtonFace;
    QString blockingText;
    Shade blockingShade = Shade::ButtonFace;
    QString neutralText;
    Shade neutralShade = Shade::ButtonFace;
    QString sideStandText;
    Shade sideStandShade = Shade::ButtonFace;
    bool versionMismatch = false;
    QString versionText;          // empty when the versions match
    bool dataError = false;
    QString programmingCountText;
    std::array<QString, 8> testTexts;
};

// Formats a live frame. limiterByte is the image's limiter in hundreds of rpm;
// the engine-speed gauge shows the speed as a share of it. The mismatch
// message is the message table's current warning text.
LiveDisplay formatLiveData(const LiveData &live, std::uint8_t limiterByte,
                           const QString &versionMismatchMessage);

// The background of the voltage read-out for a supply of the given millivolts.
Shade liveVoltageShade(int millivolts);

// The mismatch text: the message table's warning, then "  PC-16, IGN-<unit's version>".
QString versionMismatchText(const QString &message, int unitVersion);
