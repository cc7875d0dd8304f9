#pragma once

#include "link/frame.h"
#include "link/liveframe.h"
#include "link/telemetry.h"
#include "link/unitidentity.h"
#include "params/parameterimage.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

enum class TransferMode : std::uint8_t { Idle = 0, Programming = 1, Verifying = 2, Reading = 3 };

// What the user asked of the unit (a program after change is a Program).
enum class Operation { Program, Verify, Read };

// The steps an operation goes through. Program and Read begin with the
// unit's identity (block 0), then send or fetch the parameter block (block 1),
// then read it back to compare; Verify is the comparison alone.
enum class TransferStep : std::uint8_t { Identity, Block, Verify };

// Why the last operation failed, as far as the replies to its last step tell.
// The window's report is the same for all ("Verify error!" and its kin); the
// command line names the cause.
enum class TransferFailure : std::uint8_t {
    None = 0,     // no operation has failed yet, or the last one succeeded
    NoReply,      // no reply to any of the step's sendings
    BadCheck,     // replies came, but only with wrong check bytes
    Differed,     // the unit answered with a block other than the one expected
    Version,      // the unit speaks another protocol version
};

// What the engine needs from its owner: the line, the image's own rules, and
// someone to tell what happens. The engine owns no widgets, no timer and no
// texts: its reports are events of the transfer, and what the user sees of
// them (captions, colours, how long) is its owner's business.
class TransferHost
{
public:
    virtual ~TransferHost() = default;

    // The receive poll of one tick (every whole frame it read, in order), and
    // sending one frame.
    virtual std::vector<Frame> pollReceive() = 0;
    virtual void sendFrame(const Frame &frame) = 0;

    // The unit's parameter block arrived in a read's reply: the owner puts it
    // into the image the engine was given (bytes 0..49).
    virtual void unitBlockArrived(std::span<const std::uint8_t> block) = 0;
    // A block from the unit is in the image, or the unit identified itself:
    // the owner brings the image into range, then shows it.
    virtual void normaliseImage() = 0;
    virtual void showImage() = 0;

    // A read replaces the set, so it no longer comes from a file.
    virtual void readStarted() = 0;
    // A read before programming took the unit's set aside (normalised, never
    // into the image) and its verify read-back agreed. The Program has just
    // started (its identity frame sent); the set is the owner's to keep
    // before the Program's block replaces it at a later tick.
    virtual void asideReadSucceeded(const ParameterImage & /*set*/) {}
    // A new identity block is in the identity record; its texts are decoded.
    virtual void identityReceived(const IdentityTexts &texts) = 0;
    // A live-data frame was accepted.
    virtual void liveDataReceived(const LiveData &live) = 0;

    // ---- The operation's course, in the order it happens.
    // The user's operation began (also a program after change); it replaces
    // any that was running.
    virtual void operationStarted(Operation) {}
    // The operation moved on to its next step (never its first).
    virtual void stepStarted(TransferStep) {}
    // The current step's frame went out: attempt 1 when the step begins, up
    // to kMaxSendings. A program after change sends its first as attempt 2.
    virtual void attemptSent(TransferStep, int /*attempt*/) {}
    // How the operation the user asked for ended: a read or a program counts
    // as succeeded only once its verify has. A failure names the step it
    // failed in and why; for another protocol version, versionMismatch follows.
    virtual void operationSucceeded(Operation) {}
    virtual void operationFailed(Operation, TransferStep, TransferFailure) {}
    // The unit speaks another protocol version. A modal report: ticks go on
    // meanwhile and may re-enter the engine, which is already idle.
    virtual void versionMismatch(std::uint8_t unitVersion) = 0;

    // ---- Once a tick while no operation runs, what the unit last said about
    // storing a programmed block: the share done, 0..100, while it stores;
    // otherwise whether a Program's block was taken by the unit (cleared by a
    // read, a verify, a program after change and a failure).
    virtual void storingProgress(int) {}
    virtual void notStoring(bool /*programDone*/) {}

    // ---- The connection: up when a frame was accepted within the last 18
    // ticks. Reported on a change, at the tick's connection step; down to
    // begin with, so the first tick with a connection reports it.
    virtual void connectionChanged(bool /*connected*/) {}

    // The last step of every tick.
    virtual void tickDone() = 0;
};

// The read / verify / program state machine and the connection watch.
//
// Every step runs inside tick(), inside the reply handler called from the
// tick's poll, or inside a start command. Time is counted in ticks only, so
// tests drive it tick by tick.
class TransferEngine
{
public:
    static constexpr std::uint8_t kResendTicks = 4;   // a step's frame is resent after 4 silent ticks
    static constexpr std::uint8_t kMaxSendings = 5;   // ... up to 5 sendings, then the step fails
    static constexpr std::uint8_t kLiveDataTicks = 6; // live data is requested every 6 idle ticks
    static constexpr std::uint8_t kSilenceLimit = 18; // no connection after 18 ticks without a frame
    static constexpr int kSavingStart = kUnitSavingStart; // the unit counts its storing down from here

    // The image is the owner's: the engine reads it, and a read's block goes
    // into it through the host.
    TransferEngine(TransferHost &host, const ParameterImage &image, UnitIdentity &identity);

    // The commands. Program and Verify expect the owner to have captured,
    // normalised and shown the image first.
    void startProgram();
    void startVerify();
    void startRead();
    // A Program that first reads the unit's set aside: the same frames as a
    // Read (identity, block, verify read-back compared with the block just
    // read), its start, steps and sendings reported as a Read's, but the
    // block goes neither into the image nor to the screen. Once its verify
    // agrees, the Program starts as startProgram() starts it (no success is
    // reported for the read) and asideReadSucceeded follows. A failed read
    // ends there, reported as a Read's failure, and nothing is programmed.
    void startProgramReadingFirst();
    // Programming after a committed edit: the same state as Program, but no
    // frame is sent here; the tick sends it when replyWaitTicks reaches 4.
    void startProgramAfterChange();

    // One 55 ms tick: poll, the mode's step, the connection watch, then the
    // host's last step.
    void tick();

    // A frame from the poll: 0xB0 is live data, anything else a transfer reply.
    void handleFrame(const Frame &frame);

    // No connection until the unit first answers (the state at start-up).
    void showNoConnection() { silence = kSilenceLimit; }

    TransferMode transferMode() const { return mode; }
    // The operation last started; the mode moves on to Verifying inside it.
    Operation operation() const { return current; }
    // A read before programming is running.
    bool readingAside() const { return aside; }
    std::uint8_t commandCode() const { return command; }
    std::uint8_t attemptCount() const { return attempts; }
    std::uint8_t replyWaitTicks() const { return replyWait; }
    std::uint8_t silenceTicks() const { return silence; }
    // The unit took the last Program's block; a read, a verify, a program
    // after change or a failure clears it.
    bool programDone() const { return programmed; }
    std::uint16_t savingCountdown() const { return saving; }
    bool noConnection() const { return silence >= kSilenceLimit; }
    // Why the last operation ended without success (None after a success).
    TransferFailure lastFailure() const { return failure; }
    // The block of the last reply that differed from the one expected; what
    // the unit answered with when lastFailure() is Differed.
    const std::array<std::uint8_t, ParameterImage::kBlockSize> &differingBlock() const { return differing; }

private:
    friend struct TransferEngineTestAccess;

    void start(TransferMode newMode, std::uint8_t code, Operation operation);
    void sendTransferFrame();
    void handleReply(const Frame &frame);
    void handleLive(const Frame &frame);
    void storeIdentity(const Frame &frame);
    // The reply handler's rows, by mode and block.
    void replyReadIdentity(const Frame &frame);
    void replyReadBlock(const Frame &frame);
    void replyVerifyBlock(const Frame &frame);
    void replyProgramIdentity(const Frame &frame);
    void replyProgramEcho(const Frame &frame);
    void startBlockStep(std::uint8_t code);
    void startVerifyStep();
    // A step begins: what its replies tell about a failure starts afresh.
    void beginStep();
    TransferStep step() const;
    void rememberDiffering(const Frame &frame);
    void versionMismatch(std::uint8_t unitVersion);
    void fail();
    void stepOperation();
    void stepIdle();
    void watchConnection();

    TransferHost &host;
    const ParameterImage &image;
    UnitIdentity &identity;

    TransferMode mode = TransferMode::Idle;
    std::uint8_t command = 0;
    std::uint8_t attempts = 0;
    std::uint8_t replyWait = 0;
    std::uint8_t silence = 0;
    bool connected = false; // as last reported to the host
    bool programmed = false;
    std::uint16_t saving = 0;
    // What the user asked for; the mode moves on to Verifying inside it.
    Operation current = Operation::Program;
    // The current step's replies so far, and the last operation's end.
    bool stepSawBadCheck = false;
    bool stepSawDiffering = false;
    TransferFailure failure = TransferFailure::None;
    std::array<std::uint8_t, ParameterImage::kBlockSize> differing{};
    // A read before programming: its block, normalised, stands in for the
    // image in its verify step.
    bool aside = false;
    ParameterImage asideSet;
};
