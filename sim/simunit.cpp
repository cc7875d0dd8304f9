#include "sim/simunit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "link/liverow.h"
#include "params/parameterimage.h"

SimUnit::SimUnit(const SimOptions &unitOptions, const ParameterBlock &initialBlock)
    : options(unitOptions)
    , identity(encodeIdentity(unitOptions.identity))
    , block(initialBlock)
    , programmingCount(static_cast<std::uint16_t>(unitOptions.programs))
{
    for (qsizetype i = 0; i < unitOptions.rawName.size() && i < 3; ++i)
        identity.bytes[static_cast<std::size_t>(UnitIdentity::kName + i)] = static_cast<std::uint8_t>(unitOptions.rawName[i]);
}

ParameterBlock SimUnit::defaultBlock()
{
    ParameterImage image;
    image.applyDefaults();
    ParameterBlock result{};
    std::copy_n(image.bytes.begin(), result.size(), result.begin());
    return result;
}

Frame SimUnit::blockReply(std::uint8_t code, const ParameterBlock &payload) const
{
    Frame frame{};
    frame[0] = code;
    std::copy(payload.begin(), payload.end(), frame.begin() + 1);
    sealFrame(frame);
    return frame;
}

std::optional<Frame> SimUnit::answer(const Frame &command, qint64 nowMs, bool *blockStored)
{
    *blockStored = false;
    const std::uint8_t code = command[0];
    switch (code) {
    case kCmdLiveData:
        return encodeLiveData(liveData(nowMs));
    case kCmdProgramBlock0:
    case kCmdReadBlock0:
        return blockReply(replyCodeFor(code), identity.bytes);
    case kCmdProgramBlock1: {
        std::copy_n(command.begin() + 1, block.size(), block.begin());
        *blockStored = true;
        ++programmingCount;
        savingCountdown = kSavingStart;
        ParameterBlock echo = block;
        if (options.corruptEcho)
            echo[0] = static_cast<std::uint8_t>(echo[0] + 1);
        return blockReply(replyCodeFor(code), echo);
    }
    case kCmdReadBlock1: {
        // The unit answers with what it holds, whatever payload the tool sent.
        ParameterBlock reply = block;
        if (options.wrongByte) {
            auto &byte = reply[static_cast<std::size_t>(*options.wrongByte)];
            byte = static_cast<std::uint8_t>(byte + 1);
        }
        return blockReply(replyCodeFor(code), reply);
    }
    default:
        return std::nullopt;
    }
}

int SimUnit::engineRpm(qint64 nowMs) const
{
    if (options.fixedRpm)
        return *options.fixedRpm;
    // Idle up to just below the limiter and back, smoothly, so a watching tool
    // sees every curve row light up in turn.
    const int limiterRpm = block[ParameterImage::kLimiter] * 100;
    const int top = std::max(kIdleRpm + 500, limiterRpm - 200);
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(nowMs % kSweepPeriodMs)
                         / static_cast<double>(kSweepPeriodMs);
    return kIdleRpm + static_cast<int>(std::lround((top - kIdleRpm) * (1.0 - std::cos(phase)) / 2.0));
}

int SimUnit::advanceAt(int rpm) const
{
    // Linear between curve points, flat beyond the first and the last.
    auto pointRpm = [this](int k) { return block[static_cast<std::size_t>(ParameterImage::kRpmAdv + k)] * 100; };
    auto pointAdvance = [this](int k) { return block[static_cast<std::size_t>(ParameterImage::kAdvance + k)]; };
    int curve = pointAdvance(ParameterImage::kPoints - 1);
    if (rpm <= pointRpm(0)) {
        curve = pointAdvance(0);
    } else {
        for (int k = 1; k < ParameterImage::kPoints; ++k) {
            if (rpm <= pointRpm(k)) {
                const int span = pointRpm(k) - pointRpm(k - 1);
                // A curve that is not increasing (only from a raw store file) takes the upper point.
                curve = span <= 0 ? pointAdvance(k)
                                  : pointAdvance(k - 1)
                                        + (pointAdvance(k) - pointAdvance(k - 1)) * (rpm - pointRpm(k - 1)) / span;
                break;
            }
        }
    }
    return std::clamp(curve + block[ParameterImage::kBaseAdv], 0, 255);
}

LiveData SimUnit::liveData(qint64 nowMs)
{
    LiveData data;
    const int rpm = engineRpm(nowMs);
    data.rpm = static_cast<std::uint16_t>(rpm);
    const int limiterRpm = block[ParameterImage::kLimiter] * 100;
    data.speedWarning = limiterRpm > 0 && rpm >= limiterRpm ? 1 : 0;
    data.advance = static_cast<std::uint8_t>(advanceAt(rpm));
    data.blocking = options.blocking ? 1 : 0;
    const int millivolts = options.voltageMv.value_or(
        kNominalMillivolts
        + static_cast<int>(std::lround(150.0 * std::sin(2.0 * std::numbers::pi * static_cast<double>(nowMs % 7000) / 7000.0))));
    data.voltageRaw = liveVoltageRaw(millivolts);
    data.programmingCount = programmingCount;
    // Test values: a frame counter, the speed in tens, seconds running, and
    // counters stepping at different rates, so every label visibly changes.
    ++liveFrames;
    data.test[0] = liveFrames;
    data.test[1] = static_cast<std::uint16_t>(rpm / 10);
    data.test[2] = static_cast<std::uint16_t>(nowMs / 1000);
    for (std::size_t i = 3; i < data.test.size(); ++i)
        data.test[i] = static_cast<std::uint16_t>(liveFrames * (i * 37 + 1));
    data.sideStand = options.sideStandOn ? 0 : 1;
    data.neutral = options.neutralOn ? 0 : 1;
    data.savingCountdown = static_cast<std::uint16_t>(savingCountdown);
    // Cut off as if the line went dead mid-storing: this frame is the last.
    if (options.silentAfterStoring && savingCountdown != 0
        && liverow::storingPercent(data.savingCountdown) >= *options.silentAfterStoring)
        wentSilent = true;
    savingCountdown = std::max(0, savingCountdown - kSavingStep);
    data.dataError = options.dataError ? 1 : 0;
    data.protocolVersion = static_cast<std::uint8_t>(options.liveVersion.value_or(options.identity.version));
    return data;
}
