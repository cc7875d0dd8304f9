#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <vector>

#include "i18n/language.h"
#include "link/transferengine.h"
#include "support/scripted_unit.h"

// Puts the engine into a state a test starts from, as earlier ticks would have.
struct TransferEngineTestAccess
{
    static std::uint8_t &replyWaitTicks(TransferEngine &e) { return e.replyWait; }
    static std::uint8_t &statusTicks(TransferEngine &e) { return e.statusTime; }
    static std::uint8_t &silenceTicks(TransferEngine &e) { return e.silence; }
    static bool &programDone(TransferEngine &e) { return e.programmed; }
    static TransferStatus &status(TransferEngine &e) { return e.shown; }
};

namespace {

struct SentFrame
{
    int tick;
    Frame frame;
};

struct CaptionChange
{
    int tick;
    QString text;
};

// The engine's owner: a line to a scripted unit, and a record of the reports.
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
    int tickNumber = 0;

    std::deque<Frame> incoming; // one frame per poll, or all of them
    bool allAtOnce = false;
    std::vector<SentFrame> sent;

    QString caption;
    bool red = false;
    bool statusVisible = false;
    std::vector<CaptionChange> captions; // consecutive repeats folded

    int max = 1;
    int progress = 0;
    bool gaugeVisible = false;

    bool connectionVisible = true;
    int versionHides = 0;
    int fileLabelClears = 0;
    int normalisations = 0;
    int shows = 0;
    int highlights = 0;
    std::vector<QString> boxes;
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
        if (const std::optional<Frame> reply = unit.answer(frame))
            incoming.push_back(*reply);
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
    void statusChanged(const TransferStatus &status) override
    {
        caption = status.caption;
        red = status.red;
        statusVisible = status.visible;
        max = status.gaugeMax;
        progress = status.gaugeProgress;
        gaugeVisible = status.gaugeVisible;
        record();
    }
    void readStarted() override { ++fileLabelClears; }
    void connectionShown(bool visible) override { connectionVisible = visible; }
    void liveVersionStale() override { ++versionHides; }
    void versionMismatch(const QString &text, std::uint8_t) override
    {
        boxes.push_back(text);
        if (whileBoxOpen)
            whileBoxOpen();
    }
    void identityReceived(const IdentityTexts &texts) override { identities.push_back(texts); }
    void liveDataReceived(const LiveData &live) override { lives.push_back(live); }
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
    std::vector<std::string> captionTexts() const
    {
        std::vector<std::string> texts;
        for (const CaptionChange &c : captions)
            texts.push_back(c.text.toStdString());
        return texts;
    }

private:
    void record()
    {
        if (!captions.empty() && captions.back().text == caption)
            return;
        captions.push_back({tickNumber, caption});
    }
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
        lang.select(0);
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
    UiLanguage lang;
    FakeHost host{image};
    TransferEngine engine{host, image, identity, lang};
};

using Ticks = std::vector<int>;

} // namespace

// ---- Successful operations ---------------------------------------------------------

TEST_F(TransferEngineTest, ProgramAgainstAnsweringUnitVerifiesReportsStoringAndVanishes)
{
    engine.startProgram();
    EXPECT_EQ(host.caption.toStdString(), "Program device:");
    EXPECT_TRUE(host.statusVisible);
    EXPECT_TRUE(host.gaugeVisible);
    EXPECT_EQ(host.progress, 0);
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
    EXPECT_EQ(host.progress, 1) << "the gauge moves one step with the identity";
    EXPECT_EQ(host.normalisations, 1);
    EXPECT_EQ(host.sendTicks(0x01), Ticks{1});

    runTicks(1); // 0x81 echo -> 0x41 with the image
    EXPECT_TRUE(engine.programDone());
    EXPECT_EQ(engine.transferMode(), TransferMode::Verifying);
    EXPECT_EQ(host.caption.toStdString(), "Verify:");
    EXPECT_EQ(host.progress, 0);
    ASSERT_EQ(host.sendTicks(0x41), Ticks{2});
    EXPECT_EQ(host.unit.stored, imageBlock()) << "the unit was programmed with image bytes 0..49";
    // The verify request carries the image.
    EXPECT_TRUE(std::equal(image.bytes.begin(), image.bytes.begin() + 50, host.sent.back().frame.begin() + 1));

    runTicks(1); // 0xC1 equal -> success, and the same tick's idle step reports programming
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.captionTexts(),
              (std::vector<std::string>{"Program device:", "Verify:", "Verify: OK", "Programing: OK"}));
    ASSERT_EQ(host.captions.size(), 4u);
    EXPECT_EQ(host.captions[2].tick, 3);
    EXPECT_EQ(host.captions[3].tick, 3) << "the idle step runs in the tick whose poll ended the verify";
    EXPECT_EQ(host.max, 1);
    EXPECT_EQ(host.progress, 1) << "full gauge";
    EXPECT_FALSE(host.red);

    // The unit stores for a while: its live data reports the countdown.
    host.unit.live.savingCountdown = 55;
    runTicks(4); // the live request goes out on tick 7 (six ticks after the last send on tick 2)
    EXPECT_EQ(host.sendTicks(0x30), Ticks{7});
    runTicks(1);
    EXPECT_EQ(engine.savingCountdown(), 55);
    EXPECT_EQ(host.caption.toStdString(), "Saving:");
    EXPECT_EQ(host.max, 100);
    EXPECT_EQ(host.progress, 50);

    host.unit.live.savingCountdown = 0;
    runTicks(6); // request on tick 13, reply polled on tick 14
    EXPECT_EQ(host.caption.toStdString(), "Programing: OK");
    EXPECT_EQ(host.max, 1);
    EXPECT_EQ(host.progress, 1);
    EXPECT_EQ(host.captionTexts().back(), "Programing: OK");

    // "Saving:" last reset the display time on tick 13: 200 ticks later all is gone.
    runTicks(198);
    ASSERT_EQ(host.tickNumber, 212);
    EXPECT_TRUE(host.statusVisible);
    EXPECT_TRUE(host.gaugeVisible);
    EXPECT_TRUE(engine.programDone());
    runTicks(1);
    EXPECT_FALSE(host.statusVisible);
    EXPECT_FALSE(host.gaugeVisible);
    EXPECT_FALSE(engine.programDone());
}

TEST_F(TransferEngineTest, ReadStoresTheUnitsBlockAndVerifiesIt)
{
    const auto unitBlock = host.unit.stored;
    engine.startRead();
    EXPECT_EQ(host.fileLabelClears, 1);
    EXPECT_EQ(host.caption.toStdString(), "Read device:");
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
    EXPECT_EQ(host.captionTexts(), (std::vector<std::string>{"Read device:", "Verify:", "Verify: OK"}));
    EXPECT_FALSE(host.red);
    EXPECT_FALSE(engine.programDone());
    EXPECT_EQ(host.progress, host.max);
}

TEST_F(TransferEngineTest, VerifyOfEqualBlockSucceedsInOneExchange)
{
    host.unit.stored = imageBlock();
    engine.startVerify();
    EXPECT_EQ(host.caption.toStdString(), "Verify device:");
    EXPECT_EQ(host.fileLabelClears, 0);
    ASSERT_EQ(engine.silenceTicks(), 18);
    runTicks(1);
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.captionTexts(), (std::vector<std::string>{"Verify device:", "Verify: OK"}));
    EXPECT_EQ(engine.silenceTicks(), 1) << "an accepted reply counts as a sign of life";
    EXPECT_FALSE(host.connectionVisible);
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
        const char *error;
    };
    const Case cases[] = {
        {"Program", [](TransferEngine &e) { e.startProgram(); }, 0x00, "Program error!"},
        {"Verify", [](TransferEngine &e) { e.startVerify(); }, 0x41, "Verify error!"},
        {"Read", [](TransferEngine &e) { e.startRead(); }, 0x40, "Read error!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ParameterImage img = image;
        UnitIdentity id;
        FakeHost silent(img);
        silent.unit.connected = false;
        TransferEngine e(silent, img, id, lang);
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
        EXPECT_FALSE(silent.red);
        tickTo(20); // 1.1 s after the first sending
        EXPECT_EQ(e.transferMode(), TransferMode::Idle);
        EXPECT_EQ(silent.caption.toStdString(), c.error);
        EXPECT_TRUE(silent.red);
        EXPECT_EQ(e.statusTicks(), 199) << "set to 200, then counted once in the same tick";
        EXPECT_EQ(silent.sendTicks(c.code).size(), 5u);
        EXPECT_TRUE(silent.connectionVisible) << "No Connection stays throughout";
        // Shown for 11 s: visible through tick 219, gone on tick 220.
        tickTo(219);
        EXPECT_TRUE(silent.statusVisible);
        EXPECT_TRUE(silent.red);
        tickTo(220);
        EXPECT_FALSE(silent.statusVisible);
        EXPECT_FALSE(silent.gaugeVisible);
        // Back to live data: requests every 6 ticks from the failing tick on.
        const Ticks live = silent.sendTicks(0x30);
        ASSERT_FALSE(live.empty());
        EXPECT_EQ(live.front(), 26);
    }
}

TEST_F(TransferEngineTest, WrongRepliesToBlock1EndInProgramOrVerifyError)
{
    struct Case
    {
        const char *name;
        bool answersEcho;
        int echoCorruptAt;
        int storedCorruptAt;
        bool verify; // start a verify instead of a program
        std::uint8_t resentCode;
        Ticks sendings;
        int failTick;
        const char *error;
    };
    const Case cases[] = {
        // Block 1 goes out inside tick 1's poll, and that tick already counts its first wait.
        {"no echo of block 1", false, -1, -1, false, 0x01, {1, 4, 8, 12, 16}, 20, "Program error!"},
        {"echo differs in byte 7", true, 7, -1, false, 0x01, {1, 4, 8, 12, 16}, 20, "Program error!"},
        {"echo differs in byte 49", true, 49, -1, false, 0x01, {1, 4, 8, 12, 16}, 20, "Program error!"},
        {"stored block differs in byte 0", true, -1, 0, true, 0x41, {0, 4, 8, 12, 16}, 20, "Verify error!"},
        {"stored block differs in byte 30", true, -1, 30, true, 0x41, {0, 4, 8, 12, 16}, 20, "Verify error!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ParameterImage img = image;
        UnitIdentity id;
        FakeHost h(img);
        h.unit.answersEcho = c.answersEcho;
        h.unit.echoCorruptAt = c.echoCorruptAt;
        h.unit.storedCorruptAt = c.storedCorruptAt;
        std::copy(img.bytes.begin(), img.bytes.begin() + 50, h.unit.stored.begin());
        TransferEngine e(h, img, id, lang);
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
        EXPECT_EQ(h.caption.toStdString(), c.error);
        EXPECT_TRUE(h.red);
        EXPECT_FALSE(e.programDone());
        if (!c.verify) {
            EXPECT_TRUE(h.sendTicks(0x41).empty()) << "no verify after a wrong echo";
        }
        // The report stays: no later idle tick replaces it.
        for (int i = 0; i < 20; ++i) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_EQ(h.caption.toStdString(), c.error);
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
    EXPECT_EQ(host.caption.toStdString(), "Verify error!") << "a read that got its block fails as a verify";
    EXPECT_TRUE(host.red);
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
        TransferEngine e(h, img, id, lang);
        std::vector<TransferMode> modesInBox;
        // The box's own message loop keeps ticking the engine.
        h.whileBoxOpen = [&] {
            modesInBox.push_back(e.transferMode());
            ++h.tickNumber;
            e.tick();
            modesInBox.push_back(e.transferMode());
            EXPECT_GT(e.statusTicks(), 0) << "still counting while the box is open";
        };
        if (program)
            e.startProgram();
        else
            e.startRead();
        ++h.tickNumber;
        e.tick();
        ASSERT_EQ(h.boxes.size(), 1u);
        EXPECT_EQ(h.boxes[0].toStdString(), "Unmatched version of PC and Ignition programs!  PC-16, IGN-15");
        EXPECT_EQ(modesInBox, (std::vector<TransferMode>{TransferMode::Idle, TransferMode::Idle}));
        EXPECT_EQ(e.transferMode(), TransferMode::Idle);
        EXPECT_EQ(e.statusTicks(), 0);
        EXPECT_EQ(id.version(), 15) << "the identity is kept";
        EXPECT_EQ(h.identities.size(), 1u);
        EXPECT_EQ(h.normalisations, 1);
        EXPECT_EQ(h.shows, 1);
        for (int i = 0; i < 30; ++i) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_FALSE(h.statusVisible);
        EXPECT_FALSE(h.gaugeVisible);
        EXPECT_TRUE(h.sendTicks(0x01).empty());
        EXPECT_TRUE(h.sendTicks(0x41).empty());
        EXPECT_EQ(img, before);
        EXPECT_EQ(h.unit.stored, unitBefore);
        EXPECT_EQ(h.boxes.size(), 1u);
    }
}

TEST_F(TransferEngineTest, ProgramFailingAfterEarlierSuccessForgetsTheSuccess)
{
    engine.startProgram();
    runTicks(3);
    ASSERT_EQ(host.caption.toStdString(), "Programing: OK");
    host.unit.connected = false;
    engine.startProgram();
    runTicks(20);
    EXPECT_EQ(host.caption.toStdString(), "Program error!");
    EXPECT_FALSE(engine.programDone());
    runTicks(10);
    EXPECT_EQ(host.caption.toStdString(), "Program error!");
    EXPECT_TRUE(host.red);
}

TEST_F(TransferEngineTest, ReadRightAfterProgramReportsOnlyItsVerify)
{
    engine.startProgram();
    runTicks(3);
    ASSERT_TRUE(engine.programDone());
    engine.startRead();
    runTicks(3);
    EXPECT_FALSE(engine.programDone()) << "a read forgets the programming";
    runTicks(5);
    EXPECT_EQ(host.caption.toStdString(), "Verify: OK");
}

TEST_F(TransferEngineTest, VerifyRightAfterProgramReportsItsOwnResult)
{
    engine.startProgram();
    runTicks(3);
    ASSERT_EQ(host.caption.toStdString(), "Programing: OK");
    engine.startVerify();
    EXPECT_FALSE(engine.programDone());
    runTicks(3);
    EXPECT_EQ(host.caption.toStdString(), "Verify: OK");
    runTicks(10);
    EXPECT_EQ(host.caption.toStdString(), "Verify: OK");
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
        TransferEngine e(h, img, id, lang);
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
    EXPECT_EQ(host.caption.toStdString(), "Verify device:") << "no storing report while an operation runs";
    runTicks(1);
    EXPECT_EQ(engine.transferMode(), TransferMode::Idle);
    EXPECT_EQ(host.captionTexts(), (std::vector<std::string>{"Verify device:", "Verify: OK", "Saving:"}))
        << "once idle, the same tick reports the storing the live frame announced";
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
        TransferEngine e(h, img, id, lang);
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

TEST_F(TransferEngineTest, NoConnectionAfterEighteenSilentTicksHiddenByNextFrame)
{
    host.unit.connected = false;
    TransferEngineTestAccess::silenceTicks(engine) = 0;
    runTicks(18);
    EXPECT_FALSE(host.connectionVisible);
    EXPECT_EQ(host.versionHides, 0);
    runTicks(1);
    EXPECT_TRUE(host.connectionVisible) << "tick 19";
    EXPECT_EQ(host.versionHides, 1);
    runTicks(4);
    EXPECT_EQ(host.versionHides, 5) << "the version label is hidden on every tick the indicator shows";

    // An accepted live frame clears the indicator on the tick it arrives.
    host.incoming.push_back(encodeLiveData(LiveData{}));
    runTicks(1);
    EXPECT_FALSE(host.connectionVisible);
    runTicks(17);
    EXPECT_FALSE(host.connectionVisible);
    runTicks(1);
    EXPECT_TRUE(host.connectionVisible) << "18 ticks after the tick of the last accepted frame";
    EXPECT_EQ(host.versionHides, 6);

    // While printing, neither the indicator nor the status label shows, and the
    // version label is left as it is.
    TransferEngineTestAccess::status(engine).caption = QStringLiteral("x");
    TransferEngineTestAccess::statusTicks(engine) = 50;
    engine.setPrinting(true);
    runTicks(3);
    EXPECT_FALSE(host.connectionVisible);
    EXPECT_FALSE(host.statusVisible);
    EXPECT_EQ(host.versionHides, 6);
    EXPECT_EQ(engine.statusTicks(), 47) << "the display time still runs";
    engine.setPrinting(false);
    runTicks(1);
    EXPECT_TRUE(host.connectionVisible);
    EXPECT_TRUE(host.statusVisible);
}

TEST_F(TransferEngineTest, StoringProgressGaugeFollowsTheCountdown)
{
    struct Case
    {
        std::uint16_t countdown;
        int progress;
    };
    // 100 * (110 - n) / 110, truncated; above 110 negative, clamped by the gauge.
    const Case cases[] = {{110, 0}, {109, 0}, {55, 50}, {1, 99}, {111, 0}, {200, 0}, {65535, 0}};
    for (const Case &c : cases) {
        host.unit.connected = false; // only the frames queued here arrive
    // Start from a half-full gauge so that a clamp to 0 is visible.
        TransferEngineTestAccess::status(engine).gaugeMax = 100;
        TransferEngineTestAccess::status(engine).gaugeProgress = 50;
        LiveData live;
        live.savingCountdown = c.countdown;
        live.protocolVersion = 16;
        host.incoming.push_back(encodeLiveData(live));
        runTicks(1);
        EXPECT_EQ(host.caption.toStdString(), "Saving:") << "countdown " << c.countdown;
        EXPECT_EQ(host.max, 100) << "countdown " << c.countdown;
        EXPECT_EQ(host.progress, c.progress) << "countdown " << c.countdown;
        EXPECT_EQ(engine.statusTicks(), 199);
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
        TransferEngine e(h, img, id, lang);
        TransferEngineTestAccess::status(e).caption = QStringLiteral("earlier");
        TransferEngineTestAccess::status(e).red = true;
        TransferEngineTestAccess::programDone(e) = true;
        TransferEngineTestAccess::replyWaitTicks(e) = c.waitBefore;
        e.startProgramAfterChange();
        EXPECT_TRUE(h.sent.empty()) << "no frame from the command itself";
        EXPECT_EQ(e.replyWaitTicks(), c.waitBefore);
        EXPECT_EQ(e.transferMode(), TransferMode::Programming);
        EXPECT_EQ(e.commandCode(), 0x00);
        EXPECT_EQ(e.attemptCount(), 1);
        EXPECT_FALSE(e.programDone());
        EXPECT_EQ(h.caption.toStdString(), "Program device:");
        EXPECT_FALSE(h.red);
        EXPECT_EQ(e.statusTicks(), 200);
        EXPECT_TRUE(h.statusVisible);
        EXPECT_TRUE(h.gaugeVisible);

        const int f = c.firstTick;
        while (h.tickNumber < f + 15) {
            ++h.tickNumber;
            e.tick();
        }
        EXPECT_EQ(h.sendTicks(0x00), (Ticks{f, f + 4, f + 8, f + 12})) << ticksText(h.sendTicks(0x00));
        EXPECT_EQ(e.transferMode(), TransferMode::Programming);
        ++h.tickNumber;
        e.tick();
        EXPECT_EQ(e.transferMode(), TransferMode::Idle) << "four sendings, then the error";
        EXPECT_EQ(h.caption.toStdString(), "Program error!");
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
    EXPECT_EQ(host.captionTexts(),
              (std::vector<std::string>{"Program device:", "Verify:", "Verify: OK", "Programing: OK"}));
    EXPECT_EQ(host.unit.stored, imageBlock());
}

TEST_F(TransferEngineTest, NewCommandReplacesTheRunningOne)
{
    host.unit.connected = false;
    engine.startProgram();
    runTicks(6); // block 0 sent on ticks 0 and 4
    engine.startRead();
    EXPECT_EQ(engine.transferMode(), TransferMode::Reading);
    EXPECT_EQ(engine.commandCode(), 0x40);
    EXPECT_EQ(engine.attemptCount(), 1);
    EXPECT_EQ(engine.replyWaitTicks(), 0);
    EXPECT_EQ(host.caption.toStdString(), "Read device:");
    runTicks(20);
    EXPECT_EQ(host.sendTicks(0x00), (Ticks{0, 4}));
    EXPECT_EQ(host.sendTicks(0x40), (Ticks{6, 10, 14, 18, 22}));
    EXPECT_EQ(host.caption.toStdString(), "Read error!");
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

TEST_F(TransferEngineTest, StartCaptionFollowsTheLanguageAndFrenchKeepsTheOldOne)
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
        lang.setIndex(c.language);
        const std::pair<std::function<void()>, const char16_t *> starts[] = {
            {[&] { engine.startProgram(); }, c.program},
            {[&] { engine.startVerify(); }, c.verify},
            {[&] { engine.startRead(); }, c.read},
            {[&] { engine.startProgramAfterChange(); }, c.program},
        };
        for (const auto &[start, expected] : starts) {
            TransferEngineTestAccess::status(engine).caption = QStringLiteral("earlier");
            TransferEngineTestAccess::status(engine).red = true;
            TransferEngineTestAccess::statusTicks(engine) = 0;
            start();
            EXPECT_EQ(host.caption.toStdString(), QString::fromUtf16(expected).toStdString());
            EXPECT_FALSE(host.red);
            EXPECT_EQ(engine.statusTicks(), 200);
            EXPECT_TRUE(host.statusVisible);
        }
    }
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
    EXPECT_EQ(host.caption.toStdString(), "Verify: OK");
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
