#pragma once

#include "i18n/operationcaptions.h"
#include "link/frame.h"
#include "link/liveframe.h"
#include "link/telemetry.h"
#include "link/unitidentity.h"
#include "params/parameterimage.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class UiLanguage;

enum class TransferMode : std::uint8_t { Idle = 0, Programming = 1, Verifying = 2, Reading = 3 };

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

// What the status report shows: a caption on button face or red, and a
// progress gauge. The gauge's minimum is 0; a maximum of 0 is ignored, a lower
// maximum pulls the progress down with it and the progress stays within
// 0..maximum, so a storing count above its start reads as an empty gauge.
struct TransferStatus
{
    QString caption;
    bool red = false;
    bool visible = false;
    int gaugeMax = 1;
    int gaugeProgress = 0;
    bool gaugeVisible = false;

    friend bool operator==(const TransferStatus &, const TransferStatus &) = default;
};

// What the engine needs from its owner: the line, the image's own rules, and
// somewhere to report to. The engine owns no widgets and no timer.
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

    // The status report changed (called on every change, also to the same value).
    virtual void statusChanged(const TransferStatus &status) = 0;
    // Once a tick: whether "No Connection" is to be seen.
    virtual void connectionShown(bool shown) = 0;
    // No connection: a version warning from the last live frame is stale.
    virtual void liveVersionStale() = 0;
    // A read replaces the set, so it no longer comes from a file.
    virtual void readStarted() = 0;
    // The unit speaks another protocol version. A modal report: ticks go on
    // meanwhile and may re-enter the engine, which is already idle.
    virtual void versionMismatch(const QString &text, std::uint8_t unitVersion) = 0;

    // A new identity block is in the identity record; its texts are decoded.
    virtual void identityReceived(const IdentityTexts &texts) = 0;
    // A live-data frame was accepted.
    virtual void liveDataReceived(const LiveData &live) = 0;

    // The user's operation began (also a program after change).
    virtual void operationStarted(Operation) {}
    // The unit reports storing a programmed block: the share done, 0..100.
    virtual void storingProgress(int) {}
    // How the operation the user asked for ended: a read or a program counts
    // as succeeded only once its verify has.
    virtual void operationSucceeded(Operation) {}
    virtual void operationFailed(Operation) {}

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
    static constexpr std::uint8_t kStatusTicks = 200; // a report stays 200 ticks after its last change
    static constexpr std::uint8_t kSilenceLimit = 18; // "No Connection" after 18 ticks without a frame
    static constexpr int kSavingStart = kUnitSavingStart; // the unit counts its storing down from here

    // The image is the owner's: the engine reads it, and a read's block goes
    // into it through the host.
    TransferEngine(TransferHost &host, const ParameterImage &image, UnitIdentity &identity,
                   const UiLanguage &language);

    // The commands. Program and Verify expect the owner to have captured,
    // normalised and shown the image first.
    void startProgram();
    void startVerify();
    void startRead();
    // Programming after a committed edit: the same state as Program, but no
    // frame is sent here; the tick sends it when replyWaitTicks reaches 4.
    void startProgramAfterChange();

    // One 55 ms tick: poll, the mode's step, the status count-down, the
    // connection indicator, then the host's last step.
    void tick();

    // A frame from the poll: 0xB0 is live data, anything else a transfer reply.
    void handleFrame(const Frame &frame);

    // "No Connection" until the unit first answers (the state at start-up).
    void showNoConnection() { silence = kSilenceLimit; }
    // While the window is being printed the status and connection labels stay hidden.
    void setPrinting(bool on) { printingNow = on; }
    // New and Open take the report off the screen; a running display time
    // brings the caption back on the next tick, the gauge only with a new step.
    void hideStatus();
    // A notice in the status label that is no transfer's (the print date line):
    // on button face, shown for the report's time, without the gauge. Without
    // a caption the label keeps its text.
    void showNotice(const std::optional<QString> &caption);

    TransferMode transferMode() const { return mode; }
    std::uint8_t commandCode() const { return command; }
    std::uint8_t attemptCount() const { return attempts; }
    std::uint8_t replyWaitTicks() const { return replyWait; }
    std::uint8_t statusTicks() const { return statusTime; }
    std::uint8_t silenceTicks() const { return silence; }
    bool programDone() const { return programmed; }
    std::uint16_t savingCountdown() const { return saving; }
    bool printing() const { return printingNow; }
    bool noConnection() const { return silence >= kSilenceLimit; }
    const TransferStatus &status() const { return shown; }
    // Why the last operation ended without success (None after a success).
    TransferFailure lastFailure() const { return failure; }
    // The block of the last reply that differed from the one expected; what
    // the unit answered with when lastFailure() is Differed.
    const std::array<std::uint8_t, ParameterImage::kBlockSize> &differingBlock() const { return differing; }

private:
    friend struct TransferEngineTestAccess;

    void start(TransferMode newMode, std::uint8_t code, Operation operation);
    void sendTransferFrame();
    void showStartStatus(Operation operation);
    void handleReply(const Frame &frame);
    void handleLive(const Frame &frame);
    void storeIdentity(const Frame &frame);
    // The reply handler's rows, by mode and block.
    void replyReadIdentity(const Frame &frame);
    void replyReadBlock(const Frame &frame);
    void replyVerifyBlock(const Frame &frame);
    void replyProgramIdentity(const Frame &frame);
    void replyProgramEcho(const Frame &frame);
    void startVerifyStep();
    // A step begins: what its replies tell about a failure starts afresh.
    void beginStep();
    void rememberDiffering(const Frame &frame);
    void versionMismatch(std::uint8_t unitVersion);
    void fail();
    void stepOperation();
    void stepIdle();

    // The report, changed only through these so the host hears of every change.
    void setCaption(const QString &caption, bool red);
    void setStatusVisible(bool visible);
    void setGaugeMax(int max);
    void setGaugeProgress(int progress);
    void setGaugeVisible(bool visible);
    void report();

    TransferHost &host;
    const ParameterImage &image;
    UnitIdentity &identity;
    const UiLanguage &language;

    TransferMode mode = TransferMode::Idle;
    std::uint8_t command = 0;
    std::uint8_t attempts = 0;
    std::uint8_t replyWait = 0;
    std::uint8_t statusTime = 0;
    std::uint8_t silence = 0;
    bool programmed = false;
    std::uint16_t saving = 0;
    bool printingNow = false;
    // What the user asked for; the mode moves on to Verifying inside it.
    Operation operation = Operation::Program;
    TransferStatus shown;
    // The current step's replies so far, and the last operation's end.
    bool stepSawBadCheck = false;
    bool stepSawDiffering = false;
    TransferFailure failure = TransferFailure::None;
    std::array<std::uint8_t, ParameterImage::kBlockSize> differing{};
};
