#pragma once

#include <vector>

#include "link/frame.h"
#include "link/transport.h"

// What one tick takes from the line. The unit sends whole frames and the tick
// comes every 55 ms, so:
// - fewer than 52 bytes waiting means a frame still on its way: nothing is
//   read, the bytes stay queued for the next tick;
// - more than 1024 waiting is a backlog: 1000 are read, the rest is left for
//   later ticks;
// - otherwise everything waiting is read.
// Every whole frame of a read is handed on, in the order it came: a live-data
// answer and a transfer answer can arrive within one tick, and the second must
// not wait for a resend. Bytes after the last whole frame of a read are
// dropped (60 bytes are one frame and 8 dropped bytes).
constexpr qint64 kPollBacklog = 1024;
constexpr qint64 kPollBacklogRead = 1000;

std::vector<Frame> pollFrames(Transport &transport);
