#include "link/liveframe.h"

#include <algorithm>

namespace {
std::uint16_t read16(const Frame &frame, int offset)
{
    return static_cast<std::uint16_t>(frame[static_cast<std::size_t>(offset)]
                                      | frame[static_cast<std::size_t>(offset + 1)] << 8);
}

void write16(Frame &frame, int offset, std::uint16_t value)
{
    frame[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value & 0xFF);
    frame[static_cast<std::size_t>(offset + 1)] = static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t byteAt(const Frame &frame, int offset)
{
    return frame[static_cast<std::size_t>(offset)];
}

constexpr int kConverterMillivolts = 5000;
constexpr int kConverterSteps = 8184;
constexpr int kDivider = 11;
constexpr int kDiodeDrop = 800;
} // namespace

LiveData decodeLiveData(const Frame &frame)
{
    using namespace liveoffset;
    LiveData data;
    data.rpm = read16(frame, kRpm);
    data.speedWarning = byteAt(frame, kSpeedWarning);
    data.advance = byteAt(frame, kAdvance);
    data.blocking = byteAt(frame, kBlocking);
    data.voltageRaw = read16(frame, kVoltage);
    data.programmingCount = read16(frame, kProgrammingCount);
    for (std::size_t i = 0; i < data.test.size(); ++i)
        data.test[i] = read16(frame, kTest + 2 * static_cast<int>(i));
    data.sideStand = byteAt(frame, kSideStand);
    data.neutral = byteAt(frame, kNeutral);
    data.savingCountdown = read16(frame, kSavingCountdown);
    data.dataError = byteAt(frame, kDataError);
    data.protocolVersion = byteAt(frame, kVersion);
    return data;
}

Frame encodeLiveData(const LiveData &data)
{
    using namespace liveoffset;
    Frame frame{};
    frame[0] = kReplyLiveData;
    write16(frame, kRpm, data.rpm);
    frame[kSpeedWarning] = data.speedWarning;
    frame[kAdvance] = data.advance;
    frame[kBlocking] = data.blocking;
    write16(frame, kVoltage, data.voltageRaw);
    write16(frame, kProgrammingCount, data.programmingCount);
    for (std::size_t i = 0; i < data.test.size(); ++i)
        write16(frame, kTest + 2 * static_cast<int>(i), data.test[i]);
    frame[kSideStand] = data.sideStand;
    frame[kNeutral] = data.neutral;
    write16(frame, kSavingCountdown, data.savingCountdown);
    frame[kDataError] = data.dataError;
    frame[kVersion] = data.protocolVersion;
    sealFrame(frame);
    return frame;
}

int liveVoltageMillivolts(std::uint16_t raw)
{
    const int t = raw * kConverterMillivolts / kConverterSteps;
    return t * kDivider + kDiodeDrop;
}

std::uint16_t liveVoltageRaw(int millivolts)
{
    const int t = std::max(0, millivolts - kDiodeDrop) / kDivider;
    // Rounding up makes the tool's truncating division land on t again.
    const long long raw =
        (static_cast<long long>(t) * kConverterSteps + kConverterMillivolts - 1) / kConverterMillivolts;
    return static_cast<std::uint16_t>(std::min<long long>(raw, 0xFFFF));
}

int unitStoringPercent(std::uint16_t savingCountdown)
{
    if (savingCountdown == 0)
        return 0;
    // The same share the status gauge shows, clamped as the gauge clamps it.
    const int percent = 100 * (kUnitSavingStart - static_cast<int>(savingCountdown)) / kUnitSavingStart;
    return std::clamp(percent, 0, 100);
}
