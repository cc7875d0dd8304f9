// The two connection reports side by side, tick by tick, while a unit
// answers and then falls silent: the session's connectionChanged (the
// engine's connection watch) and the presenter's connectionShown (what
// "No Connection" shows every tick) must agree on the tick, so a listener of
// either sees "No Connection" come on at the same tick.
#include "session/unitsession.h"
#include "support/fake_transport.h"
#include "support/scripted_unit.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ConnectionSignals, ChangeAndShownAgreeWhenTheUnitFallsSilentAndComesBack)
{
    auto transport = std::make_unique<FakeTransport>();
    ScriptedUnit unit;
    transport->unit = &unit;
    UnitSession session(std::move(transport));
    ASSERT_EQ(session.openPort(), UnitSession::OpenResult::Opened);
    session.showNoConnection();

    int tick = 0;
    int lastLive = -1;
    std::vector<int> shownOn;   // ticks at which "No Connection" came on screen
    std::vector<int> shownOff;  // ... and went off
    std::vector<int> lost;      // connectionChanged(false)
    std::vector<int> regained;  // connectionChanged(true)
    bool shownBefore = true;
    QObject::connect(&session, &UnitSession::liveDataReceived, [&](const LiveData &) { lastLive = tick; });
    QObject::connect(&session.status(), &StatusPresenter::connectionShown, [&](bool shown) {
        if (shown != shownBefore)
            (shown ? shownOn : shownOff).push_back(tick);
        shownBefore = shown;
    });
    QObject::connect(&session, &UnitSession::connectionChanged,
                     [&](bool connected) { (connected ? regained : lost).push_back(tick); });

    // The unit answers for a while, then falls silent after a live frame.
    for (; tick < 30; ++tick)
        session.tick();
    while (lastLive != tick - 1) {
        session.tick();
        ++tick;
    }
    const int silentFrom = tick;
    unit.connected = false;
    for (; tick < silentFrom + 30; ++tick)
        session.tick();
    unit.connected = true;
    for (; tick < silentFrom + 50; ++tick)
        session.tick();

    ASSERT_EQ(regained.size(), 2u) << "first answer, and the answer after the silence";
    ASSERT_EQ(shownOff.size(), 2u);
    EXPECT_EQ(regained, shownOff);
    ASSERT_EQ(lost.size(), 1u);
    ASSERT_EQ(shownOn.size(), 1u);
    // The indicator comes on 18 ticks after the tick of the last frame.
    EXPECT_EQ(shownOn[0] - (silentFrom - 1), 18);
    EXPECT_EQ(lost, shownOn);
}
