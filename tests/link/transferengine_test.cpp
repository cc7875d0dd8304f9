#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/transferengine.h"
#include "support/scripted_unit.h"

// Puts the engine into a state a test starts from, as earlier ticks would have.
struct TransferEngineTestAccess
{
    static std::uint8_t &replyWaitTicks(TransferEngine &e) { return e.replyWait; }
    static std::uint8_t &silenceTicks(TransferEngine &e) { return e.silence; }
    static bool &programDone(TransferEngine &e) { return e.programmed; }
};

namespace {

struct SentFrame
{
    int tick;
    Frame frame;
};

const char *name(Operation operation)
{
    switch (operation) {
    case Operation::Program:
        return "Program";
    case Operation::Verify:
        return "Verify";
    case Operation::Read:
        return "Read";
    }
    return "?";
}

const char *name(TransferStep step)
{
    switch (step) {
    case TransferStep::Identity:
        return "Identity";
    case TransferStep::Block:
        return "Block";
    case TransferStep::Verify:
        return "Verify";
    }
    return "?";
}

const char *name(TransferFailure failure)
{
    switch (failure) {
    case TransferFailure::None:
        return "None";
    case TransferFailure::NoReply:
        return "NoReply";
    case TransferFailure::BadCheck:
        return "BadCheck";
    case TransferFailure::Differed:
        return "Differed";
    case TransferFailure::Version:
        return "Version";
    }
    return "?";
}

// The engine's owner: a line to a scripted unit, and a record of the events.
class FakeHost : public TransferHost
{
public:
    explicit FakeHost(ParameterImage &image) : image(image)
    {
        // "TCI42", no build date or time.
        unit.identity = IdentityFields{};
        unit.identity.name = QStringLiteral("TCI");
        unit.identity.number = 42;
        unit.identity.day = 0;
        unit.identity.month = 0;
    }

    ParameterImage &image;
    ScriptedUnit unit;
    bool garbleReplies = false; // every reply arrives with a wrong check byte
    int tickNumber = 0;

    std::deque<Frame> incoming; // one frame per poll, or all of them
    bool allAtOnce = false;
    std::vector<SentFrame> sent;

    // The operation's course, "<tick> <event>": started, step, succeeded, failed.
    std::vector<std::string> course;
    std::vector<std::string> attempts; // "<tick> <step> <attempt>"
    // The last idle tick's storing report: -1 for "not storing".
    int idleTick = -1;
    int storing = -1;
    bool idleProgramDone = false;
    std::vector<std::string> connection; // "<tick> up" / "<tick> down"

    int fileLabelClears = 0;
    int normalisations = 0;
    int shows = 0;
    int highlights = 0;
    std::vector<int> boxes; // the unit versions reported
    std::function<void()> whileBoxOpen;
    std::vector<IdentityTexts> identities;
    std::vector<LiveData> lives;

    std::vector<Frame> pollReceive() override
    {
        if (allAtOnce) {
            std::vector<Frame> all(incoming.begin(), incoming.end());
            incoming.clear();
            return all;
        }
        if (incoming.empty())
            return {};
        const Frame frame = incoming.front();
        incoming.pop_front();
        return {frame};
    }
    void sendFrame(const Frame &frame) override
    {
        sent.push_back({tickNumber, frame});
        if (std::optional<Frame> reply = unit.answer(frame)) {
            if (garbleReplies)
                (*reply)[51] ^= 0x01;
            incoming.push_back(*reply);
        }
    }
    void unitBlockArrived(std::span<const std::uint8_t> block) override
    {
        std::copy(block.begin(), block.end(), image.bytes.begin());
    }
    void normaliseImage() override
    {
        ++normalisations;
        image.normaliseCurve();
    }
    void showImage() override { ++shows; }
    void readStarted() override { ++fileLabelClears; }
    void identityReceived(const IdentityTexts &texts) override { identities.push_back(texts); }
    void liveDataReceived(const LiveData &live) override { lives.push_back(live); }
    void operationStarted(Operation o) override { log(std::string("started ") + name(o)); }
    void stepStarted(TransferStep step) override { log(std::string("step ") + name(step)); }
    void attemptSent(TransferStep step, int attempt) override
    {
        attempts.push_back(std::to_string(tickNumber) + " " + name(step) + " " + std::to_string(attempt));
    }
    void operationSucceeded(Operation o) override { log(std::string("succeeded ") + name(o)); }
    void operationFailed(Operation o, TransferStep step, TransferFailure why) override
    {
        log(std::string("failed ") + name(o) + " " + name(step) + " " + name(why));
    }
    void versionMismatch(std::uint8_t unitVersion) override
    {
        boxes.push_back(unitVersion);
        if (whileBoxOpen)
            whileBoxOpen();
    }
    void storingProgress(int percent) override
    {
        idleTick = tickNumber;
        storing = percent;
    }
    void notStoring(bool programDone) override
    {
        idleTick = tickNumber;
        storing = -1;
        idleProgramDone = programDone;
    }
    void connectionChanged(bool up) override
    {
        connection.push_back(std::to_string(tickNumber) + (up ? " up" : " down"));
    }
    void tickDone() override { ++highlights; }

    // Frames with the given code, by the tick they were sent on.
    std::vector<int> sendTicks(std::uint8_t code) const
    {
        std::vector<int> ticks;
        for (const SentFrame &s : sent) {
            if (s.frame[0] == code)
                ticks.push_back(s.tick);
        }
        return ticks;
    }

private:
    void log(const std::string &event) { course.push_back(std::to_string(tickNumber) + " " + event); }
};

Frame frameWith(std::uint8_t code, const std::array<std::uint8_t, 50> &payload)
{
    Frame frame{};
    frame[0] = code;
    std::copy(payload.begin(), payload.end(), frame.begin() + 1);
    sealFrame(frame);
    return frame;
}

// A valid curve: speeds rising from 10 to 100 hundreds, advances 5..14.
std::array<std::uint8_t, 50> validBlock(std::uint8_t seed)
{
    std::array<std::uint8_t, 50> block{};
    for (int i = 0; i < 50; ++i)
        block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seed + i);
    for (int k = 0; k < 10; ++k) {
        block[static_cast<std::size_t>(10 + k)] = static_cast<std::uint8_t>(10 * (k + 1));
        block[static_cast<std::size_t>(20 + k)] = static_cast<std::uint8_t>(5 + k);
    }
    block[3] = 70;
    return block;
}

std::string ticksText(const std::vector<int> &ticks)
{
    std::string text;
    for (int t : ticks)
        text += std::to_string(t) + " ";
    return text;
}


class TransferEngineTest : public ::testing::Test
{
protected:
    TransferEngineTest()
    {
        const auto block = validBlock(1);
        std::copy(block.begin(), block.end(), image.bytes.begin());
        image[50] = 0xA5; // a spare byte, never part of a transfer
        host.unit.stored = validBlock(100);
        TransferEngineTestAccess::silenceTicks(engine) = 18;
    }

    void runTicks(int count)
    {
        for (int i = 0; i < count; ++i) {
            ++host.tickNumber;
            engine.tick();
        }
    }

    std::array<std::uint8_t, 50> imageBlock() const
    {
        std::array<std::uint8_t, 50> block{};
        std::copy(image.bytes.begin(), image.bytes.begin() + 50, block.begin());
        return block;
    }

    ParameterImage image;
    UnitIdentity identity;
    FakeHost host{image};
    TransferEngine engine{host, image, identity};
};

using Ticks = std::vector<int>;
using Texts = std::vector<std::string>;

} // namespace

// ---- Successful operations ---------------------------------------------------------

TEST_F(TransferEngineTest, ProgramAgainstAnsweringUnitVerifiesAndFollowsTheStoring)
{
    engine.startProgram();
    EXPECT_EQ(host.course, Texts{"0 started Program"});
    // The first frame is 0x00, fifty zeros, 0xFF, sent at once.
    ASSERT_EQ(host.sent.size(), 1u);
    Frame block0{};
    block0[51] = 0xFF;
    EXPECT_EQ(host.sent[0].frame, block0);

    runTicks(1); // 0x80 identity -> 0x01 with the image
    EXPECT_EQ(identity.bytes[0], 'T');
    EXPECT_EQ(identity.version(), 16);
    ASSERT_EQ(host.identities.size(), 1u);
    EXPECT_EQ(host.identities[0].versionText.toStdString(), "TCI42");
    EXPECT_EQ(host.course.back(), "1 step Block");
    EXPECT_EQ(host.normalisations, 1);
    EXPECT_EQ(host.sendTicks(0x01), Ticks{1});

    runTicks(1); // 0x81 echo -> 0x41 with the image
    EXPECT_TRUE(engine.programDone());
    EXPECT_EQ(engine.transferMode(), TransferMode::Verifying);
    EXPECT_EQ(host.course.back(), "2 step Verify");
    ASSERT_EQ(host.sendTicks(0x41), Ticks{2});
    EXPECT_EQ(host.unit.stored, imageBlock()) << "the unit was programmed with image bytes 0..49";
    // The verify request carries the image.
    EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.begin() + 50, host.sent.back().frame.begin() + 1));

    runTicks(1); // 0xC1 equal -> success, and the same tick's idle step reports the programming
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.course, (Texts{"0 started Program", "1 step Block", "2 step Verify", "3 succeeded Program"}));
    EXPECT_EQ(host.attempts, (Texts{"0 Identity 1", "1 Block 1", "2 Verify 1"}));
    EXPECT_EQ(host.idleTick, 3) << "the idle step runs in the tick whose poll ended the verify";
    EXPECT_EQ(host.storing, -1);
    EXPECT_TRUE(host.idleProgramDone);
    EXPECT_EQ(engine.lastFailure(), TransferFailure::None);

    // The unit stores for a while: its live data reports the countdown.
    host.unit.live.savingCountdown = 55;
    runTicks(4); // the live request goes out on tick 7 (six ticks after the last send on tick 2)
    EXPECT_EQ(host.sendTicks(0x30), Ticks{7});
    runTicks(1);
    EXPECT_EQ(engine.savingCountdown(), 55);
    EXPECT_EQ(host.idleTick, 8);
    EXPECT_EQ(host.storing, 50);

    host.unit.live.savingCountdown = 0;
    runTicks(6); // request on tick 13, reply polled on tick 14
    EXPECT_EQ(host.idleTick, 14);
    EXPECT_EQ(host.storing, -1);
    EXPECT_TRUE(host.idleProgramDone) << "only a read, a verify or a failure forgets the programming";
    EXPECT_EQ(host.course.size(), 4u);
}

TEST_F(TransferEngineTest, ReadStoresTheUnitsBlockAndVerifiesIt)
{
    const auto unitBlock = host.unit.stored;
    engine.startRead();
    EXPECT_EQ(host.fileLabelClears, 1);
    runTicks(3);

    // Read block 0 and block 1 carry no payload; the verify carries the block just read.
    ASSERT_EQ(host.sent.size(), 3u);
    Frame read0{}, read1{};
    read0[0] = 0x40;
    read0[51] = 0xBF;
    read1[0] = 0x41;
    read1[51] = 0xBE;
    EXPECT_EQ(host.sent[0].frame, read0);
    EXPECT_EQ(host.sent[1].frame, read1);
    EXPECT_EQ(host.sent[1].tick, 1);
    EXPECT_EQ(host.sent[2].tick, 2);
    EXPECT_TRUE(std::equal(unitBlock.begin(), unitBlock.end(), host.sent[2].frame.begin() + 1));

    EXPECT_EQ(imageBlock(), unitBlock);
    EXPECT_EQ(image[50], 0xA5) << "spare bytes are not part of the block";
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.course, (Texts{"0 started Read", "1 step Block", "2 step Verify", "3 succeeded Read"}));
    EXPECT_FALSE(engine.programDone());
    EXPECT_FALSE(host.idleProgramDone);
}

TEST_F(TransferEngineTest, VerifyOfEqualBlockSucceedsInOneExchange)
{
    host.unit.stored = imageBlock();
    engine.startVerify();
    EXPECT_EQ(host.fileLabelClears, 0);
    ASSERT_EQ(engine.silenceTicks(), 18);
    runTicks(1);
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.course, (Texts{"0 started Verify", "1 succeeded Verify"}));
    EXPECT_EQ(engine.silenceTicks(), 1) << "an accepted reply counts as a sign of life";
    EXPECT_EQ(host.connection, Texts{"1 up"});
    EXPECT_EQ(host.sendTicks(0x41), Ticks{0});
}

// ---- Failures ---------------------------------------------------------------------------

TEST_F(TransferEngineTest, SilentUnitFailsAfterFiveSendingsFourTicksApart)
{
    struct Case
    {
        const char *name;
        std::function<void(TransferEngine &)> start;
        std::uint8_t code;
        const char *failed;
    };
    const Case cases[] = {
        {"Program", [](TransferEngine &e) { e.startProgram(); }, 0x00, "20 failed Program Identity NoReply"},
        {"Verify", [](TransferEngine &e) { e.startVerify(); }, 0x41, "20 failed Verify Verify NoReply"},
        {"Read", [](TransferEngine &e) { e.startRead(); }, 0x40, "20 failed Read Identity NoReply"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ParameterImage img = image;
        UnitIdentity id;
        FakeHost silent(img);
        silent.unit.connected = false;
        TransferEngine e(silent, img, id);
        TransferEngineTestAccess::silenceTicks(e) = 18;
        c.start(e);
        auto tickTo = [&](int last) {
            while (silent.tickNumber < last) {
                ++silent.tickNumber;
                e.tick();
            }
        };
        tickTo(19);
        EXPECT_EQ(silent.sendTicks(c.code), (Ticks{0, 4, 8, 12, 16})) << ticksText(silent.sendTicks(c.code));
        EXPECT_NE(e.transferMode(), TransferMode::Idle);
        EXPECT_EQ(silent.course.size(), 1u);
        tickTo(20); // 1.1 s after the first sending
        EXPECT_EQ(e.transferMode(), TransferMode::Idle);
        EXPECT_EQ(silent.course.back(), c.failed);
        EXPECT_EQ(e.lastFailure(), TransferFailure::NoReply);
        EXPECT_EQ(silent.sendTicks(c.code).size(), 5u);
        const std::string step = c.code == 0x41 ? " Verify " : " Identity ";
        EXPECT_EQ(silent.attempts, (Texts{"0" + step + "1", "4" + step + "2", "8" + step + "3", "12" + step + "4",
                                          "16" + step + "5"}));
        EXPECT_TRUE(silent.connection.empty()) << "no connection throughout";
        // Back to live data: requests every 6 ticks from the failing tick on.
        tickTo(220);
        const Ticks live = silent.sendTicks(0x30);
        ASSERT_FALSE(live.empty());
        EXPECT_EQ(live.front(), 26);
        EXPECT_EQ(silent.course.size(), 2u);
    }
}

TEST_F(TransferEngineTest, WrongRepliesToBlock1EndInAFailureThatNamesTheCause)
{
    struct Case
    {
        const char *name;
        bool answersEcho;
        int echoCorruptAt;
        int storedCorruptAt;
        bool garbled;
        bool verify; // start a verify instead of a program
        std::uint8_t resentCode;
        Ticks sendings;
        int failTick;
        const char *failed;
    };
    const Case cases[] = {
        // Block 1 goes out inside tick 1's poll, and that tick already counts its first wait.
        {"no echo of block 1", false, -1, -1, false, false, 0x01, {1, 4, 8, 12, 16}, 20, "failed Program Block NoReply"},
        {"echo differs in byte 7", true, 7, -1, false, false, 0x01, {1, 4, 8, 12, 16}, 20,
         "failed Program Block Differed"},
        {"echo differs in byte 49", true, 49, -1, false, false, 0x01, {1, 4, 8, 12, 16}, 20,
         "failed Program Block Differed"},
        {"stored block differs in byte 0", true, -1, 0, false, true, 0x41, {0, 4, 8, 12, 16}, 20,
         "failed Verify Verify Differed"},
        {"stored block differs in byte 30", true, -1, 30, false, true, 0x41, {0, 4, 8, 12, 16}, 20,
         "failed Verify Verify Differed"},
        {"stored block garbled on the line", true, -1, -1, true, true, 0x41, {0, 4, 8, 12, 16}, 20,
         "failed Verify Verify BadCheck"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ParameterImage img = image;
        UnitIdentity id;
        FakeHost h(img);
        h.unit.answersEcho = c.answersEcho;
        h.unit.echoCorruptAt = c.echoCorruptAt;
        h.unit.storedCorruptAt = c.storedCorruptAt;
        h.garbleReplies = c.garbled;
        std::copy(img.bytes.begin(), img.bytes.begin() + 50, h.unit.stored.begin());
        TransferEngine e(h, img, id);
        if (c.verify)
            e.startVerify();
        else
            e.startProgram();
        while (h.tickNumber < c.failTick - 1) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_NE(e.transferMode(), TransferMode::Idle);
        ++h.tickNumber;
        e.tick();
        EXPECT_EQ(h.sendTicks(c.resentCode), c.sendings) << ticksText(h.sendTicks(c.resentCode));
        EXPECT_EQ(e.transferMode(), TransferMode::Idle);
        EXPECT_EQ(h.course.back(), std::to_string(c.failTick) + " " + c.failed);
        EXPECT_FALSE(e.programDone());
        if (!c.verify) {
            EXPECT_TRUE(h.sendTicks(0x41).empty()) << "no verify after a wrong echo";
        }
        // What the unit answered with, for the command line to name.
        const int corrupt = std::max(c.echoCorruptAt, c.storedCorruptAt);
        if (corrupt >= 0) {
            auto answered = e.differingBlock();
            answered[static_cast<std::size_t>(corrupt)] ^= 0x01;
            EXPECT_TRUE(std::equal(answered.begin(), answered.end(), img.bytes.begin()));
        }
        // Nothing more happens: no later idle tick reports anything of it.
        const std::size_t events = h.course.size();
        for (int i = 0; i < 20; ++i) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_EQ(h.course.size(), events);
    }
}

TEST_F(TransferEngineTest, ReadOfCurveBreakingNormalisationEndsInVerifyError)
{
    // Point 4 lies below point 3: normalising pushes it (and point 5) up.
    auto unitBlock = validBlock(100);
    unitBlock[14] = 20;
    host.unit.stored = unitBlock;
    engine.startRead();
    runTicks(2);
    EXPECT_EQ(engine.transferMode(), TransferMode::Verifying);
    EXPECT_EQ(image.rpmAdv(3), 40);
    EXPECT_EQ(image.rpmAdv(4), 41) << "the image holds the normalised curve";
    runTicks(18);
    EXPECT_EQ(host.sendTicks(0x41), (Ticks{1, 2, 5, 9, 13, 17})) << ticksText(host.sendTicks(0x41));
    EXPECT_EQ(engine.transferMode(), TransferMode::Verifying);
    runTicks(1);
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.course.back(), "21 failed Read Verify Differed") << "a read that got its block fails as a verify";
    auto expected = unitBlock;
    expected[14] = 41;
    EXPECT_EQ(imageBlock(), expected) << "the image keeps what the read stored";
}

TEST_F(TransferEngineTest, VersionMismatchStopsReadAndProgramWithNothingWritten)
{
    for (const bool program : {false, true}) {
        SCOPED_TRACE(program ? "Program" : "Read");
        ParameterImage img = image;
        const ParameterImage before = img;
        UnitIdentity id;
        FakeHost h(img);
        h.unit.setVersion(15);
        const auto unitBefore = h.unit.stored;
        TransferEngine e(h, img, id);
        std::vector<TransferMode> modesInBox;
        // The box's own message loop keeps ticking the engine.
        h.whileBoxOpen = [&] {
            modesInBox.push_back(e.transferMode());
            ++h.tickNumber;
            e.tick();
            modesInBox.push_back(e.transferMode());
        };
        if (program)
            e.startProgram();
        else
            e.startRead();
        ++h.tickNumber;
        e.tick();
        EXPECT_EQ(h.boxes, std::vector<int>{15});
        EXPECT_EQ(h.course.back(), program ? "1 failed Program Identity Version" : "1 failed Read Identity Version")
            << "the failure comes before the box";
        EXPECT_EQ(e.lastFailure(), TransferFailure::Version);
        EXPECT_EQ(modesInBox, (std::vector<TransferMode>{TransferMode::Idle, TransferMode::Idle}));
        EXPECT_EQ(e.transferMode(), TransferMode::Idle);
        EXPECT_EQ(id.version(), 15) << "the identity is kept";
        EXPECT_EQ(h.identities.size(), 1u);
        EXPECT_EQ(h.normalisations, 1);
        EXPECT_EQ(h.shows, 1);
        for (int i = 0; i < 30; ++i) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_TRUE(h.sendTicks(0x01).empty());
        EXPECT_TRUE(h.sendTicks(0x41).empty());
        EXPECT_EQ(img, before);
        EXPECT_EQ(h.unit.stored, unitBefore);
        EXPECT_EQ(h.boxes.size(), 1u);
    }
}

TEST_F(TransferEngineTest, WhatFollowsASuccessfulProgramDecidesWhetherItStaysDone)
{
    struct Case
    {
        const char *name;
        std::function<void()> then;
        int ticks; // after which it is decided
        bool done;
    };
    const Case cases[] = {
        {"a program that fails", [&] { host.unit.connected = false; engine.startProgram(); }, 20, false},
        {"a read, from its first tick", [&] { engine.startRead(); }, 1, false},
        {"a verify", [&] { engine.startVerify(); }, 0, false},
        {"a program after change", [&] { engine.startProgramAfterChange(); }, 0, false},
        {"idle ticks", [] {}, 30, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        host.unit.connected = true;
        engine.startProgram();
        runTicks(3);
        ASSERT_TRUE(engine.programDone());
        c.then();
        runTicks(c.ticks);
        EXPECT_EQ(engine.programDone(), c.done);
        runTicks(30);
    }
    EXPECT_TRUE(host.idleProgramDone) << "idle ticks hand it on";
}

// ---- Frames the engine must not act on -------------------------------------------------------

TEST_F(TransferEngineTest, BadOrUnexpectedFramesAreDroppedWithoutEffect)
{
    std::array<std::uint8_t, 50> identityPayload{};
    identityPayload[10] = 16;
    Frame badCheck = frameWith(0xC0, identityPayload);
    badCheck[51] ^= 0x01;
    Frame badPayload = frameWith(0xC0, identityPayload);
    badPayload[20] ^= 0x40; // check byte no longer fits
    Frame liveBadCheck = encodeLiveData(LiveData{});
    liveBadCheck[51] ^= 0x80;

    struct Case
    {
        const char *name;
        Frame frame;
        bool idle; // no operation running
    };
    const Case cases[] = {
        {"identity with bad check byte", badCheck, false},
        {"identity with a corrupted payload byte", badPayload, false},
        {"0xC1 while 0x40 is outstanding", frameWith(0xC1, validBlock(1)), false},
        {"0x80 while 0x40 is outstanding", frameWith(0x80, identityPayload), false},
        {"the command code itself", frameWith(0x40, identityPayload), false},
        {"live data with bad check byte", liveBadCheck, false},
        {"identity while idle", frameWith(0xC0, identityPayload), true},
        {"live data with bad check byte while idle", liveBadCheck, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ParameterImage img = image;
        const ParameterImage before = img;
        UnitIdentity id;
        FakeHost h(img);
        h.unit.connected = false;
        TransferEngine e(h, img, id);
        if (!c.idle)
            e.startRead();
        TransferEngineTestAccess::silenceTicks(e) = 10;
        const TransferMode mode = e.transferMode();
        const std::uint8_t code = e.commandCode();
        h.incoming.push_back(c.frame);
        ++h.tickNumber;
        e.tick();
        EXPECT_EQ(e.silenceTicks(), 11) << "the connection watch kept counting";
        EXPECT_EQ(e.transferMode(), mode);
        EXPECT_EQ(e.commandCode(), code);
        EXPECT_EQ(e.attemptCount(), c.idle ? 0 : 1);
        EXPECT_TRUE(h.identities.empty());
        EXPECT_TRUE(h.lives.empty());
        EXPECT_EQ(id, UnitIdentity{});
        EXPECT_EQ(img, before);
    }
}

TEST_F(TransferEngineTest, LiveFrameInTheMiddleOfATransferIsDecodedAndLeavesItAlone)
{
    host.unit.stored = imageBlock();
    LiveData live;
    live.rpm = 4321;
    live.voltageRaw = 1666;
    live.savingCountdown = 7;
    live.protocolVersion = 16;
    engine.startVerify();
    // The live reply to an earlier request arrives ahead of the verify's answer.
    host.incoming.push_front(encodeLiveData(live));
    TransferEngineTestAccess::silenceTicks(engine) = 12;
    runTicks(1);
    ASSERT_EQ(host.lives.size(), 1u);
    EXPECT_EQ(host.lives[0].rpm, 4321);
    EXPECT_EQ(engine.savingCountdown(), 7);
    EXPECT_EQ(engine.silenceTicks(), 1) << "reset by the live frame, then counted";
    EXPECT_EQ(engine.transferMode(), TransferMode::Verifying);
    EXPECT_EQ(engine.attemptCount(), 1);
    EXPECT_EQ(engine.replyWaitTicks(), 1);
    EXPECT_EQ(host.idleTick, -1) << "no storing report while an operation runs";
    runTicks(1);
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.course.back(), "2 succeeded Verify");
    EXPECT_EQ(host.idleTick, 2) << "once idle, the same tick reports the storing the live frame announced";
    EXPECT_EQ(host.storing, 93);
}

// ---- Idle behaviour ------------------------------------------------------------------------

TEST_F(TransferEngineTest, LiveDataRequestedEverySixIdleTicksAndNeverRetried)
{
    for (const bool answering : {false, true}) {
        SCOPED_TRACE(answering ? "unit answering" : "unit silent");
        ParameterImage img = image;
        UnitIdentity id;
        FakeHost h(img);
        h.unit.connected = answering;
        TransferEngine e(h, img, id);
        for (int i = 0; i < 31; ++i) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_EQ(h.sent.size(), 5u);
        EXPECT_EQ(h.sendTicks(0x30), (Ticks{6, 12, 18, 24, 30})) << ticksText(h.sendTicks(0x30));
        Frame request{};
        request[0] = 0x30;
        request[51] = 0xCF;
        for (const SentFrame &s : h.sent)
            EXPECT_EQ(s.frame, request) << "tick " << s.tick;
        EXPECT_EQ(h.lives.size(), answering ? 5u : 0u);
        EXPECT_EQ(h.highlights, 31);
    }
}

TEST_F(TransferEngineTest, ConnectionGoesDownAfterEighteenSilentTicksAndUpWithTheNextFrame)
{
    host.unit.connected = false;
    TransferEngineTestAccess::silenceTicks(engine) = 0;
    runTicks(18);
    EXPECT_EQ(host.connection, Texts{"1 up"}) << "a watch that starts counting from 0 counts as up";
    runTicks(1);
    EXPECT_EQ(host.connection.back(), "19 down");
    EXPECT_TRUE(engine.noConnection());

    // An accepted live frame brings it up on the tick it arrives.
    runTicks(4);
    host.incoming.push_back(encodeLiveData(LiveData{}));
    runTicks(1);
    EXPECT_EQ(host.connection.back(), "24 up");
    runTicks(18);
    EXPECT_EQ(host.connection, (Texts{"1 up", "19 down", "24 up", "42 down"}))
        << "18 ticks after the tick of the last accepted frame";
}

TEST_F(TransferEngineTest, StoringProgressFollowsTheCountdown)
{
    struct Case
    {
        std::uint16_t countdown;
        int percent;
    };
    // 100 * (110 - n) / 110, truncated; above 110 it would be negative: 0.
    const Case cases[] = {{110, 0}, {109, 0}, {55, 50}, {1, 99}, {111, 0}, {200, 0}, {65535, 0}};
    host.unit.connected = false; // only the frames queued here arrive
    for (const Case &c : cases) {
        LiveData live;
        live.savingCountdown = c.countdown;
        live.protocolVersion = 16;
        host.incoming.push_back(encodeLiveData(live));
        runTicks(1);
        EXPECT_EQ(host.idleTick, host.tickNumber);
        EXPECT_EQ(host.storing, c.percent) << "countdown " << c.countdown;
    }
}

// ---- Program after change, and commands replacing each other ------------------------------------

TEST_F(TransferEngineTest, ProgramAfterChangeSendsOnTheTickTheWaitReachesFour)
{
    struct Case
    {
        std::uint8_t waitBefore; // what the idle live-data requests left
        int firstTick;
    };
    const Case cases[] = {{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 1}, {5, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE("replyWaitTicks " + std::to_string(c.waitBefore));
        ParameterImage img = image;
        UnitIdentity id;
        FakeHost h(img);
        h.unit.connected = false;
        TransferEngine e(h, img, id);
        TransferEngineTestAccess::programDone(e) = true;
        TransferEngineTestAccess::replyWaitTicks(e) = c.waitBefore;
        e.startProgramAfterChange();
        EXPECT_TRUE(h.sent.empty()) << "no frame from the command itself";
        EXPECT_EQ(e.replyWaitTicks(), c.waitBefore);
        EXPECT_EQ(e.transferMode(), TransferMode::Programming);
        EXPECT_EQ(e.commandCode(), 0x00);
        EXPECT_EQ(e.attemptCount(), 1);
        EXPECT_FALSE(e.programDone());
        EXPECT_EQ(h.course, Texts{"0 started Program"});

        const int f = c.firstTick;
        while (h.tickNumber < f + 15) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_EQ(h.sendTicks(0x00), (Ticks{f, f + 4, f + 8, f + 12})) << ticksText(h.sendTicks(0x00));
        EXPECT_EQ(h.attempts.front(), std::to_string(f) + " Identity 2") << "its first sending counts as the second";
        EXPECT_EQ(e.transferMode(), TransferMode::Programming);
        ++h.tickNumber;
        e.tick();
        EXPECT_EQ(e.transferMode(), TransferMode::Idle) << "four sendings, then the error";
        EXPECT_EQ(h.course.back(), std::to_string(f + 16) + " failed Program Identity NoReply");
        EXPECT_EQ(h.sendTicks(0x00).size(), 4u);
    }
}

TEST_F(TransferEngineTest, ProgramAfterChangeThenRunsLikeAProgram)
{
    TransferEngineTestAccess::replyWaitTicks(engine) = 2;
    engine.startProgramAfterChange();
    runTicks(5);
    EXPECT_EQ(host.sendTicks(0x00), Ticks{2});
    EXPECT_EQ(host.sendTicks(0x01), Ticks{3});
    EXPECT_EQ(host.sendTicks(0x41), Ticks{4});
    EXPECT_EQ(host.course, (Texts{"0 started Program", "3 step Block", "4 step Verify", "5 succeeded Program"}));
    EXPECT_TRUE(host.idleProgramDone);
    EXPECT_EQ(host.unit.stored, imageBlock());
}

TEST_F(TransferEngineTest, NewCommandReplacesTheRunningOne)
{
    host.unit.connected = false;
    engine.startProgram();
    runTicks(6); // block 0 sent on ticks 0 and 4
    engine.startRead();
    EXPECT_EQ(engine.transferMode(), TransferMode::Reading);
    EXPECT_EQ(engine.operation(), Operation::Read);
    EXPECT_EQ(engine.commandCode(), 0x40);
    EXPECT_EQ(engine.attemptCount(), 1);
    EXPECT_EQ(engine.replyWaitTicks(), 0);
    runTicks(20);
    EXPECT_EQ(host.sendTicks(0x00), (Ticks{0, 4}));
    EXPECT_EQ(host.sendTicks(0x40), (Ticks{6, 10, 14, 18, 22}));
    EXPECT_EQ(host.course, (Texts{"0 started Program", "6 started Read", "26 failed Read Identity NoReply"}));
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);

    // A reply to the abandoned command no longer counts.
    host.unit.connected = true;
    engine.startVerify();
    host.incoming.push_front(frameWith(0x80, {}));
    TransferEngineTestAccess::silenceTicks(engine) = 5;
    runTicks(1);
    EXPECT_TRUE(host.identities.empty());
    EXPECT_EQ(engine.silenceTicks(), 6);
}

TEST_F(TransferEngineTest, ALiveFrameAndAReplyInOnePollAreBothHandled)
{
    // The live answer to an earlier request and the verify's answer arrive
    // within the same 55 ms: the verify ends in this tick, not after a resend.
    host.unit.stored = imageBlock();
    host.allAtOnce = true;
    LiveData live;
    live.rpm = 2222;
    live.protocolVersion = 16;
    engine.startVerify();
    host.incoming.push_front(encodeLiveData(live));
    runTicks(1);
    ASSERT_EQ(host.lives.size(), 1u);
    EXPECT_EQ(host.lives[0].rpm, 2222);
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.course.back(), "1 succeeded Verify");
    EXPECT_EQ(host.sendTicks(0x41), Ticks{0}) << "no resend was needed";

    // A stale reply ahead of the right one is dropped on its own and does not
    // cost the right one.
    engine.startRead();
    Frame stale{};
    stale[0] = 0xC1;
    sealFrame(stale);
    host.incoming.push_front(stale);
    runTicks(1);
    EXPECT_EQ(engine.commandCode(), 0x41) << "the identity behind the stale frame was taken";
}
