#pragma once

#include <deque>
#include <random>

#include <QByteArray>
#include <QElapsedTimer>

#include "sim/blockstore.h"
#include "sim/frameassembler.h"
#include "sim/framelog.h"
#include "sim/ptyport.h"
#include "sim/simunit.h"

// The simulator's one loop: poll() on the terminal's master and on a stop
// descriptor, cut what arrives into frames, let the unit answer, and write the
// answers out when due, with the line faults the options ask for.
class SimServer
{
public:
    // How long after a reply --noise puts its garbage on the line: after the
    // tool has read the reply, well before its next request.
    static constexpr qint64 kNoiseAfterMs = 25;
    static constexpr qint64 kSplitPauseMs = 5;
    // Without a frame for this long no tool is talking, and a stale exclusive
    // mark left by one that died is lifted.
    static constexpr qint64 kIdleReleaseMs = 1000;
    static constexpr std::size_t kMaxPending = 4096;

    SimServer(const SimOptions &options, SimUnit &unit, PtyPort &pty, FrameLog &log,
              const BlockStore &store);

    // Runs until stopFd becomes readable; returns the exit code.
    int run(int stopFd);

private:
    struct Pending
    {
        qint64 dueMs;
        QByteArray bytes;
    };

    qint64 nowMs() const { return clock.elapsed(); }
    double stampMs() const { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }
    void handleFrame(const Frame &frame, bool checkValid);
    void schedule(qint64 dueMs, QByteArray bytes);
    void writeDue();
    void readMaster();
    int pollTimeout() const;

    const SimOptions &options;
    SimUnit &unit;
    PtyPort &pty;
    FrameLog &log;
    const BlockStore &store;
    FrameAssembler assembler;
    QElapsedTimer clock;
    std::deque<Pending> pending;
    std::mt19937 random{20240601u};
    long long replies = 0;
    qint64 lastFrameMs = 0;
    bool exclusiveReleased = true;
    qint64 rearmRetryMs = -1;
};
