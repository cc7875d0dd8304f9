#pragma once

#include <array>
#include <cstdint>

#include "link/frame.h"

// The supply voltage in millivolts as the tool shows it: the raw value scaled
// to the converter's 5000 mV over 8184 steps, times the divider of 11, plus
// the 800 mV the input diode drops (integer steps, truncating).
int liveVoltageMillivolts(std::uint16_t raw);
// The smallest raw value that the tool shows as millivolts (rounded down to
// its 11 mV steps); clamped to the 16-bit range. For the simulated unit.
std::uint16_t liveVoltageRaw(int millivolts);

// A unit that stores a programmed block counts its storing progress down from
// this value to 0; the tool shows the share done.
inline constexpr int kUnitSavingStart = 110;

// The share of the unit's storing done for a storing count, 0..100; 0 while
// it is not storing (count 0). A count above the start is 0 %.
int unitStoringPercent(std::uint16_t savingCountdown);

// The unit's live-data reply (code 0xB0). Offsets are frame offsets; 16-bit
// values are little-endian. The bytes the tool ignores (4, 6, 8, 31..46) are
// sent as zeros and not kept.
struct LiveData
{
    std::uint16_t rpm = 0;              // 1..2
    std::uint8_t speedWarning = 0;      // 3, non-zero when set
    std::uint8_t advance = 0;           // 5, degrees
    std::uint8_t blocking = 0;          // 7, non-zero while blocking
    std::uint16_t voltageRaw = 0;       // 9..10, raw converter value
    std::uint16_t programmingCount = 0; // 11..12
    std::array<std::uint16_t, 8> test{}; // 13..28
    std::uint8_t sideStand = 0;         // 29, 0 means the switch is on
    std::uint8_t neutral = 0;           // 30, 0 means the switch is on
    std::uint16_t savingCountdown = 0;  // 47..48, non-zero while the unit stores
    std::uint8_t dataError = 0;         // 49, non-zero when the stored set is faulty
    std::uint8_t protocolVersion = 0;   // 50

    // What the bytes mean, decoded here only. The two switches pull their
    // line to 0 when closed, so 0 means on.
    bool neutralOn() const { return neutral == 0; }
    bool sideStandOn() const { return sideStand == 0; }
    bool blockingOn() const { return blocking != 0; }
    bool speedWarningOn() const { return speedWarning != 0; }
    bool dataErrorSet() const { return dataError != 0; }
    int millivolts() const { return liveVoltageMillivolts(voltageRaw); }
    double volts() const { return millivolts() / 1000.0; }
    bool storing() const { return savingCountdown != 0; }
    int storingPercent() const { return unitStoringPercent(savingCountdown); }

    friend bool operator==(const LiveData &, const LiveData &) = default;
};

namespace liveoffset {
inline constexpr int kRpm = 1;
inline constexpr int kSpeedWarning = 3;
inline constexpr int kAdvance = 5;
inline constexpr int kBlocking = 7;
inline constexpr int kVoltage = 9;
inline constexpr int kProgrammingCount = 11;
inline constexpr int kTest = 13;
inline constexpr int kSideStand = 29;
inline constexpr int kNeutral = 30;
inline constexpr int kSavingCountdown = 47;
inline constexpr int kDataError = 49;
inline constexpr int kVersion = 50;
} // namespace liveoffset

// Reads the fields; the code and check byte are the caller's business.
LiveData decodeLiveData(const Frame &frame);
// A complete 0xB0 frame with its check byte.
Frame encodeLiveData(const LiveData &data);
