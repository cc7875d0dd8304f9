#pragma once

#include "cli/exitcodes.h"
#include "session/unitsession.h"

#include <QTimer>

#include <functional>

// The unit session as the command line drives it: the same 55 ms precise
// tick as the window, and waiting for an operation's end in an event loop.
class CliSession
{
public:
    CliSession();

    UnitSession &unit() { return session; }

    // Opens the port as settings or --port say; on failure prints one line
    // naming the device and the reason (and what to do) and returns false.
    bool open(const QString &portOption);

    // Runs an operation to its end: kExitOk, or as the engine saw the failure:
    // kExitDiffers (the unit answered with another block), kExitVersion, or
    // kExitNoAnswer (no reply, or only garbled ones).
    int run(void (UnitSession::*start)());

    // Runs the event loop until done() holds after a tick of the session, or
    // the time is up; true when it held. Nothing is polled between ticks.
    bool waitFor(const std::function<bool()> &done, int timeoutMs);

    // Live data seen since the session opened, newest last.
    bool hasLive() const { return liveFrames > 0; }
    int liveCount() const { return liveFrames; }
    const LiveData &lastLive() const { return live; }

    // The connection as the window shows it: lost after the engine's 18
    // ticks without a frame from the unit. A loss can be short (a unit
    // swapped within a tick or two), so waiting for one counts losses
    // rather than looking at the state.
    bool connected() const { return isConnected; }
    int connectionLosses() const { return losses; }

private:
    UnitSession session;
    QTimer ticker;
    LiveData live;
    int liveFrames = 0;
    bool isConnected = false;
    int losses = 0;
};
