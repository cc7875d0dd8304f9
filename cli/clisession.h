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

    // Runs an operation to its end: kExitOk, kExitNoAnswer or kExitVersion.
    int run(void (UnitSession::*start)());

    // Runs the event loop until done() holds or the time is up; true when it held.
    bool waitFor(const std::function<bool()> &done, int timeoutMs);

    // Live data seen since the session opened, newest last.
    bool hasLive() const { return liveFrames > 0; }
    const LiveData &lastLive() const { return live; }

private:
    UnitSession session;
    QTimer ticker;
    LiveData live;
    int liveFrames = 0;
};
