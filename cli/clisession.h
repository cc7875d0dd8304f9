#pragma once

#include "cli/exitcodes.h"
#include "session/unitsession.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

#include <signal.h>

class QSocketNotifier;

// The unit session as the command line drives it: ticked like the window's,
// and waited on through its signals in an event loop. Nothing is looked at on
// a timer of its own: a wait ends when the session reports what it waits for.
class CliSession : public QObject
{
    Q_OBJECT

public:
    // Uses the serial port unless a transport is given (tests give a scripted
    // one, and may tick faster than the window's 55 ms).
    explicit CliSession(std::unique_ptr<Transport> transport = nullptr, int tickMs = UnitSession::kTickMs);
    ~CliSession() override;

    UnitSession &unit() { return session; }

    // Opens the port as settings or --port say. Empty when it opened, else
    // one line naming the device and the reason (and what to do).
    QString open(const QString &portOption);

    // Runs an operation to its end: kExitOk, or as the engine saw the failure:
    // kExitDiffers (the unit answered with another block), kExitVersion, or
    // kExitNoAnswer (no reply, or only garbled ones).
    int run(void (UnitSession::*start)());

    // Runs the event loop until done() holds; true when it did. done() is
    // asked at the start and again each time the session reports something
    // a command waits for (a live frame, a connection change, an operation's
    // end, a lost port), on an interrupt and on wake(). With maxTicks > 0 the
    // wait gives up after that many ticks.
    bool waitFor(const std::function<bool()> &done, int maxTicks = 0);
    // Has a waiting done() asked again: a command's own timer ran out.
    void wake() { emit woken(); }

    // Ends the waits as Ctrl+C does; interrupted() stays true from then on.
    void interrupt();
    bool interrupted() const { return wasInterrupted; }

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

signals:
    void woken();

private:
    UnitSession session;
    QTimer ticker;
    LiveData live;
    int liveFrames = 0;
    bool isConnected = false;
    int losses = 0;
    bool wasInterrupted = false;
};

// While it lives, Ctrl+C (SIGINT), SIGTERM and a closed terminal (SIGHUP)
// interrupt the session instead of ending the process: the handler writes a
// byte into a pipe whose reading end the event loop watches. The handlers
// that were there before come back at its end.
class InterruptCatcher
{
public:
    explicit InterruptCatcher(CliSession &session);
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher &) = delete;
    InterruptCatcher &operator=(const InterruptCatcher &) = delete;

private:
    int fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    std::array<struct sigaction, 3> saved{};
};
