// What the status label, the progress gauge and "No Connection" show, tick
// by tick, as the session's presenter makes them of the engine's reports: a
// session over a line in memory, with a scripted unit at its other end.
#include "session/unitsession.h"
#include "support/fake_transport.h"
#include "support/scripted_unit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Puts the presenter into a state a test starts from, as earlier reports would have.
struct StatusPresenterTestAccess
{
    static StatusReport &report(StatusPresenter &p) { return p.shown; }
    static std::uint8_t &statusTicks(StatusPresenter &p) { return p.statusTime; }
};

namespace {

using Texts = std::vector<std::string>;

// One report in a line: caption, colour, label, gauge.
std::string describe(const StatusReport &r)
{
    std::string text = r.caption.toStdString();
    if (r.red)
        text += " on red";
    if (!r.visible)
        text += " (hidden)";
    text += " | gauge " + std::to_string(r.gaugeProgress) + "/" + std::to_string(r.gaugeMax);
    if (!r.gaugeVisible)
        text += " (hidden)";
    return text;
}

struct CaptionChange
{
    int tick;
    std::string text;
    friend bool operator==(const CaptionChange &, const CaptionChange &) = default;
};

class StatusTest : public ::testing::Test
{
protected:
    StatusTest() { reset(); }

    // A new session and unit, for each case of a table.
    void reset()
    {
        unit = ScriptedUnit{};
        tickNumber = 0;
        shown = StatusReport{};
        captions.clear();
        noConnection = false;
        everConnected = false;
        staleVersions = 0;
        auto owned = std::make_unique<FakeTransport>();
        port = owned.get();
        port->unit = &unit;
        session = std::make_unique<UnitSession>(std::move(owned));
        session->openPort();
        session->language().select(language::kEnglish);
        session->showNoConnection();
        session->document().newSet();
        std::copy(session->image().bytes.begin(), session->image().bytes.begin() + 50, unit.stored.begin());

        // What a view sees: the reports as they are sent.
        StatusPresenter &status = session->status();
        QObject::connect(&status, &StatusPresenter::statusChanged, [this](const StatusReport &r) {
            shown = r;
            if (captions.empty() || captions.back().text != r.caption.toStdString())
                captions.push_back({tickNumber, r.caption.toStdString()});
        });
        QObject::connect(&status, &StatusPresenter::connectionShown, [this](bool on) {
            noConnection = on;
            everConnected = everConnected || !on;
        });
        QObject::connect(&status, &StatusPresenter::liveVersionStale, [this] { ++staleVersions; });
    }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            ++tickNumber;
            session->tick();
        }
    }
    void tickTo(int last) { ticks(last - tickNumber); }
    StatusPresenter &status() { return session->status(); }

    ScriptedUnit unit;
    FakeTransport *port = nullptr;
    std::unique_ptr<UnitSession> session;
    int tickNumber = 0;
    StatusReport shown;
    std::vector<CaptionChange> captions; // consecutive repeats folded
    bool noConnection = false;
    bool everConnected = false;
    int staleVersions = 0;
};

using Start = std::function<void(UnitSession &)>;
const Start kProgram = [](UnitSession &s) { s.startProgram(); };
const Start kVerify = [](UnitSession &s) { s.startVerify(); };
const Start kRead = [](UnitSession &s) { s.startRead(); };
const Start kProgramAfterChange = [](UnitSession &s) { s.startProgramAfterChange(); };

} // namespace

// ---- Operations that succeed -----------------------------------------------------------

TEST_F(StatusTest, EachOperationShowsItsCourseTickByTick)
{
    struct Case
    {
        const char *name;
        Start start;
        Texts everyTick; // from the start command on
    };
    const Case cases[] = {
        {"Program", kProgram,
         {"Program device: | gauge 0/1", "Program device: | gauge 1/1", "Verify: | gauge 0/1",
          "Programing: OK | gauge 1/1"}},
        {"Read", kRead,
         {"Read device: | gauge 0/1", "Read device: | gauge 1/1", "Verify: | gauge 0/1", "Verify: OK | gauge 1/1"}},
        {"Verify", kVerify, {"Verify device: | gauge 0/1", "Verify: OK | gauge 1/1"}},
        // The tick sends its first frame when the wait reaches 4.
        {"Program after change", kProgramAfterChange,
         {"Program device: | gauge 0/1", "Program device: | gauge 0/1", "Program device: | gauge 0/1",
          "Program device: | gauge 0/1", "Program device: | gauge 0/1", "Program device: | gauge 1/1",
          "Verify: | gauge 0/1", "Programing: OK | gauge 1/1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        c.start(*session);
        Texts seen{describe(shown)};
        while (seen.size() < c.everyTick.size()) {
            ticks(1);
            seen.push_back(describe(shown));
        }
        EXPECT_EQ(seen, c.everyTick);
        EXPECT_EQ(shown, status().report());
        EXPECT_EQ(status().statusTicks(), 199);
        ticks(10);
        EXPECT_EQ(describe(shown), c.everyTick.back()) << "the report stays";
    }
}

TEST_F(StatusTest, AProgramsReportFollowsTheStoringAndVanishes200TicksAfterItsLastChange)
{
    session->startProgram();
    ticks(3);
    EXPECT_EQ(captions, (std::vector<CaptionChange>{
                            {0, "Program device:"}, {2, "Verify:"}, {3, "Verify: OK"}, {3, "Programing: OK"}}))
        << "the idle step runs in the tick whose poll ended the verify";

    // The unit stores for a while: its live data reports the countdown.
    unit.live.savingCountdown = 55;
    ticks(5); // request on tick 7, answer polled on tick 8
    EXPECT_EQ(describe(shown), "Saving: | gauge 50/100");
    EXPECT_EQ(captions.back(), (CaptionChange{8, "Saving:"}));

    unit.live.savingCountdown = 0;
    ticks(6); // request on tick 13, answer polled on tick 14
    EXPECT_EQ(describe(shown), "Programing: OK | gauge 1/1");

    // "Saving:" last reset the display time on tick 13: 200 ticks later all is gone.
    tickTo(212);
    EXPECT_EQ(describe(shown), "Programing: OK | gauge 1/1");
    EXPECT_TRUE(status().programDone());
    ticks(1);
    EXPECT_EQ(describe(shown), "Programing: OK (hidden) | gauge 1/1 (hidden)");
    EXPECT_FALSE(status().programDone());
    ticks(20);
    EXPECT_FALSE(shown.visible) << "the programming is not reported again";
    EXPECT_TRUE(session->engine().programDone()) << "though the unit still holds the programmed block";
}

// ---- Failures --------------------------------------------------------------------------

TEST_F(StatusTest, EveryFailureIsShownOnRedFor200Ticks)
{
    struct Case
    {
        const char *name;
        std::function<void(ScriptedUnit &)> unitFault;
        Start start;
        int failTick;
        const char *error;
        bool silent;
    };
    const auto silentUnit = [](ScriptedUnit &u) { u.connected = false; };
    const Case cases[] = {
        // 5 sendings 4 ticks apart: 1.1 s after the first.
        {"silent, Program", silentUnit, kProgram, 20, "Program error!", true},
        {"silent, Verify", silentUnit, kVerify, 20, "Verify error!", true},
        {"silent, Read", silentUnit, kRead, 20, "Read error!", true},
        // 4 sendings, the first on tick 4.
        {"silent, program after change", silentUnit, kProgramAfterChange, 20, "Program error!", true},
        {"no echo of block 1", [](ScriptedUnit &u) { u.answersEcho = false; }, kProgram, 20, "Program error!", false},
        {"echo differs", [](ScriptedUnit &u) { u.echoCorruptAt = 7; }, kProgram, 20, "Program error!", false},
        {"stored block differs", [](ScriptedUnit &u) { u.storedCorruptAt = 30; }, kVerify, 20, "Verify error!",
         false},
        // Normalising pushes point 4 above point 3: the read fails as a verify.
        {"read of a block the curve rules change", [](ScriptedUnit &u) { u.stored[14] = 0; }, kRead, 21,
         "Verify error!", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        c.unitFault(unit);
        c.start(*session);
        tickTo(c.failTick - 1);
        EXPECT_FALSE(shown.red);
        EXPECT_NE(shown.caption.toStdString(), c.error);
        ticks(1);
        EXPECT_EQ(shown.caption.toStdString(), c.error);
        EXPECT_TRUE(shown.red);
        EXPECT_EQ(status().statusTicks(), 199) << "set to 200, then counted once in the same tick";
        // Shown for 11 s: visible through 199 more ticks, gone on the 200th.
        tickTo(c.failTick + 199);
        EXPECT_EQ(shown.caption.toStdString(), c.error);
        EXPECT_TRUE(shown.red);
        EXPECT_TRUE(shown.visible);
        ticks(1);
        EXPECT_FALSE(shown.visible);
        EXPECT_FALSE(shown.gaugeVisible);
        EXPECT_EQ(everConnected, !c.silent) << "\"No Connection\" stays throughout with a silent unit";
    }
}

TEST_F(StatusTest, AnotherVersionShowsItsBoxAndTheReportVanishesAfterIt)
{
    struct Case
    {
        const char *name;
        std::uint8_t language;
        Start start;
        const char *box;
    };
    const Case cases[] = {
        {"Program", language::kEnglish, kProgram, "Unmatched version of PC and Ignition programs!  PC-16, IGN-15"},
        {"Read, in German", language::kGerman, kRead,
         "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!  PC-16, IGN-15"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        unit.setVersion(15);
        session->language().select(c.language);
        Texts boxes;
        // The box's own message loop keeps ticking the session.
        QObject::connect(session.get(), &UnitSession::versionMismatch, [&](const QString &text, int) {
            boxes.push_back(text.toStdString());
            ticks(1);
            EXPECT_GT(status().statusTicks(), 0) << "still counting while the box is open";
            EXPECT_TRUE(shown.visible);
        });
        c.start(*session);
        ticks(1);
        EXPECT_EQ(boxes, Texts{c.box});
        EXPECT_EQ(status().statusTicks(), 0);
        ticks(1);
        EXPECT_FALSE(shown.visible);
        EXPECT_FALSE(shown.gaugeVisible);
        ticks(30);
        EXPECT_FALSE(shown.visible);
    }
}

TEST_F(StatusTest, WhatFollowsASuccessfulProgramReportsItsOwnResult)
{
    struct Case
    {
        const char *name;
        std::function<void()> then;
        int ticks;
        const char *report; // then 10 ticks later still
    };
    const Case cases[] = {
        {"a program that fails", [&] { unit.connected = false; session->startProgram(); }, 20,
         "Program error! on red | gauge 0/1"},
        {"a read", [&] { session->startRead(); }, 8, "Verify: OK | gauge 1/1"},
        {"a verify", [&] { session->startVerify(); }, 3, "Verify: OK | gauge 1/1"},
        // The version box ends the report: the earlier success is worded in the
        // tick it closes in, and vanishes with it.
        {"a program the unit answers in another version", [&] { unit.setVersion(15); session->startProgram(); },
         1, "Programing: OK (hidden) | gauge 1/1 (hidden)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        session->startProgram();
        ticks(3);
        ASSERT_EQ(describe(shown), "Programing: OK | gauge 1/1");
        c.then();
        ticks(c.ticks);
        EXPECT_EQ(describe(shown), c.report);
        EXPECT_FALSE(session->engine().programDone() && status().programDone())
            << "the earlier success is forgotten";
        ticks(10);
        EXPECT_EQ(describe(shown), c.report);
    }
}

// ---- The unit's storing ----------------------------------------------------------------

TEST_F(StatusTest, StoringIsReportedOnceNoOperationRuns)
{
    // The live answer to an earlier request arrives a tick ahead of the verify's.
    port->unit = nullptr;
    LiveData live = ScriptedUnit::defaultLive();
    live.savingCountdown = 7;
    session->startVerify();
    port->queue(encodeLiveData(live));
    ticks(1);
    EXPECT_EQ(describe(shown), "Verify device: | gauge 0/1") << "no storing report while an operation runs";
    port->queue(*unit.answer(port->sent.back()));
    ticks(1);
    EXPECT_EQ(captions, (std::vector<CaptionChange>{{0, "Verify device:"}, {2, "Verify: OK"}, {2, "Saving:"}}))
        << "once idle, the same tick reports the storing the live frame announced";
    EXPECT_EQ(describe(shown), "Saving: | gauge 93/100");
}

TEST_F(StatusTest, StoringGaugeFollowsTheCountdown)
{
    struct Case
    {
        std::uint16_t countdown;
        int progress;
    };
    // 100 * (110 - n) / 110, truncated; above 110 negative, clamped by the gauge.
    const Case cases[] = {{110, 0}, {109, 0}, {55, 50}, {1, 99}, {111, 0}, {200, 0}, {65535, 0}};
    port->unit = nullptr; // only the frames queued here arrive
    for (const Case &c : cases) {
        SCOPED_TRACE("countdown " + std::to_string(c.countdown));
        // Start from a half-full gauge so that a clamp to 0 is visible.
        StatusPresenterTestAccess::report(status()).gaugeMax = 100;
        StatusPresenterTestAccess::report(status()).gaugeProgress = 50;
        LiveData live = ScriptedUnit::defaultLive();
        live.savingCountdown = c.countdown;
        port->queue(encodeLiveData(live));
        ticks(1);
        // No operation showed the gauge, so it stays hidden.
        EXPECT_EQ(describe(shown), "Saving: | gauge " + std::to_string(c.progress) + "/100 (hidden)");
        EXPECT_EQ(status().statusTicks(), 199);
    }
}

// ---- "No Connection", printing, and the start captions -----------------------------------

TEST_F(StatusTest, NoConnectionEighteenTicksAfterTheLastFrameAndNeitherLabelWhilePrinting)
{
    ticks(7); // the first live request (tick 6) is answered on tick 7
    EXPECT_FALSE(noConnection);
    unit.connected = false;
    staleVersions = 0;
    tickTo(24);
    EXPECT_FALSE(noConnection);
    EXPECT_EQ(staleVersions, 0);
    ticks(1);
    EXPECT_TRUE(noConnection) << "18 ticks after the tick of the last accepted frame";
    EXPECT_EQ(staleVersions, 1);
    ticks(4);
    EXPECT_EQ(staleVersions, 5) << "the version warning is stale on every tick the indicator shows";

    // An accepted live frame clears the indicator on the tick it arrives.
    port->queue(encodeLiveData(ScriptedUnit::defaultLive()));
    ticks(1);
    EXPECT_FALSE(noConnection);
    ticks(17);
    EXPECT_FALSE(noConnection);
    ticks(1);
    EXPECT_TRUE(noConnection);
    EXPECT_EQ(staleVersions, 6);

    // While printing, neither the indicator nor the status label shows, and
    // the version warning is left as it is.
    StatusPresenterTestAccess::report(status()).caption = QStringLiteral("x");
    StatusPresenterTestAccess::statusTicks(status()) = 50;
    status().setPrinting(true);
    ticks(3);
    EXPECT_FALSE(noConnection);
    EXPECT_FALSE(shown.visible);
    EXPECT_EQ(staleVersions, 6);
    EXPECT_EQ(status().statusTicks(), 47) << "the display time still runs";
    status().setPrinting(false);
    ticks(1);
    EXPECT_TRUE(noConnection);
    EXPECT_TRUE(shown.visible);
}

TEST_F(StatusTest, StartCaptionFollowsTheLanguageAndFrenchKeepsTheOldOne)
{
    struct Case
    {
        std::uint8_t language;
        const char16_t *program;
        const char16_t *verify;
        const char16_t *read;
    };
    const Case cases[] = {
        {0, u"Program device:", u"Verify device:", u"Read device:"},
        {1, u"Programmieren:", u"Vergleichen:", u"Lesen:"},
        {3, u"Programování:", u"Verifikace:", u"Čtení:"},
        {2, u"earlier", u"earlier", u"earlier"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("language " + std::to_string(c.language));
        session->language().setIndex(c.language);
        const std::pair<Start, const char16_t *> starts[] = {
            {kProgram, c.program}, {kVerify, c.verify}, {kRead, c.read}, {kProgramAfterChange, c.program}};
        for (const auto &[start, expected] : starts) {
            StatusPresenterTestAccess::report(status()) = {QStringLiteral("earlier"), true, false, 1, 1, false};
            StatusPresenterTestAccess::statusTicks(status()) = 0;
            start(*session);
            EXPECT_EQ(shown.caption.toStdString(), QString::fromUtf16(expected).toStdString());
            EXPECT_FALSE(shown.red);
            EXPECT_EQ(status().statusTicks(), 200);
            EXPECT_TRUE(shown.visible);
            EXPECT_TRUE(shown.gaugeVisible);
            EXPECT_EQ(shown.gaugeProgress, 0);
        }
    }
}
