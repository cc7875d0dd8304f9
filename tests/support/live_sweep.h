#pragma once

#include "link/liveframe.h"

#include <cstdint>

// Live values that change on every answer, as a running engine's do: the
// speed sweeps, the voltage and advance wander, the switches and warnings
// flicker, and now and then the unit reports storing a block. Every label of
// a view gets new text over and over, so whatever a label update keeps
// behind would pile up.
inline LiveData sweptLive(int step)
{
    LiveData live;
    live.protocolVersion = 16;
    live.rpm = static_cast<std::uint16_t>(800 + (step * 37) % 14000);
    live.advance = static_cast<std::uint8_t>(step % 61);
    live.voltageRaw = static_cast<std::uint16_t>(1500 + (step * 13) % 900);
    live.blocking = static_cast<std::uint8_t>((step / 50) % 2);
    live.speedWarning = static_cast<std::uint8_t>((step / 70) % 2);
    live.sideStand = static_cast<std::uint8_t>((step / 30) % 2);
    live.neutral = static_cast<std::uint8_t>((step / 40) % 2);
    live.dataError = static_cast<std::uint8_t>((step / 300) % 2);
    live.programmingCount = static_cast<std::uint16_t>(step / 100);
    for (std::size_t i = 0; i < live.test.size(); ++i)
        live.test[i] = static_cast<std::uint16_t>(step * (i + 1));
    // A storing count-down of 110..1 in every 1,000 answers.
    const int inThousand = step % 1000;
    live.savingCountdown = static_cast<std::uint16_t>(inThousand < kUnitSavingStart ? kUnitSavingStart - inThousand : 0);
    return live;
}
