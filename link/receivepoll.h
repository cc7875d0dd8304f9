#pragma once

#include <optional>

#include "link/frame.h"
#include "link/transport.h"

// What one tick takes from the line. The unit sends whole frames and the tick
// comes every 55 ms, so:
// - fewer than 52 bytes waiting means a frame still on its way: nothing is
//   read, the bytes stay queued for the next tick;
// - more than 1024 waiting is a backlog: 1000 are read, the rest is left for
//   later ticks;
// - otherwise everything waiting is read.
// The first 52 bytes read are the frame; the rest of that read is dropped, as
// the unit never has more than one answer outstanding.
constexpr qint64 kPollBacklog = 1024;
constexpr qint64 kPollBacklogRead = 1000;

std::optional<Frame> pollReceive(Transport &transport);
