#pragma once

#include <optional>

#include "link/frame.h"
#include "link/liveframe.h"
#include "link/unitidentity.h"
#include "sim/blockstore.h"
#include "sim/simoptions.h"

// What the simulated unit answers, without any input or output: one reply per
// known command, the running engine behind the live data, the stored block and
// the storing progress after a program. Line faults (delays, drops, noise) are
// the server's; faults in the reply contents are here.
class SimUnit
{
public:
    static constexpr int kIdleRpm = 1200;
    static constexpr qint64 kSweepPeriodMs = 20000;
    static constexpr int kNominalMillivolts = 13800;
    static constexpr int kSavingStart = kUnitSavingStart;
    static constexpr int kSavingStep = 22; // 110 down to 0 over five live frames

    SimUnit(const SimOptions &options, const ParameterBlock &initialBlock);

    // The block a fresh unit holds: the tool's default set, reserved bytes zero.
    static ParameterBlock defaultBlock();

    // The reply to a command frame whose check byte was valid; nothing for a
    // code the unit does not know. blockStored is set when a program changed
    // the stored block.
    std::optional<Frame> answer(const Frame &command, qint64 nowMs, bool *blockStored);

    const ParameterBlock &storedBlock() const { return block; }
    // The unit has stopped answering (--silent-after-storing).
    bool silenced() const { return wentSilent; }
    LiveData liveData(qint64 nowMs);
    int engineRpm(qint64 nowMs) const;
    int advanceAt(int rpm) const;

private:
    Frame blockReply(std::uint8_t code, const ParameterBlock &payload) const;

    SimOptions options;
    UnitIdentity identity;
    ParameterBlock block;
    std::uint16_t programmingCount;
    int savingCountdown = 0;
    std::uint16_t liveFrames = 0;
    bool wentSilent = false;
};
