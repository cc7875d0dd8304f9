#pragma once

#include "i18n/operationcaptions.h"
#include "link/frame.h"
#include "link/liveframe.h"
#include "link/telemetry.h"
#include "link/unitidentity.h"
#include "params/parameterimage.h"

#include <QString>
#include <cstdint>
#include <optional>

class MessageTable;

enum class TransferMode : std::uint8_t { Idle = 0, Programming = 1, Verifying = 2, Reading = 3 };

// Everything the transfer engine needs of the window that hosts it. The engine
// owns no widgets and no timer: the window's 55 ms tick calls tick(), and the
// window carries out these requests on its controls.
class TransferHost
{
public:
    virtual ~TransferHost() = default;

    // The line: the receive poll of one tick, and sending one frame.
    virtual std::optional<Frame> pollReceive() = 0;
    virtual void sendFrame(const Frame &frame) = 0;

    // The parameter image's own operations (the window's NormaliseImage and ShowImage).
    virtual void normaliseImage() = 0;
    virtual void showImage() = 0;

    // The status label.
    virtual void setStatusCaption(const QString &caption) = 0;
    virtual void setStatusRed(bool red) = 0; // red on error, button face otherwise
    virtual void setStatusVisible(bool visible) = 0;

    // The progress gauge, which keeps its progress within 0..max and ignores a max of 0.
    virtual int gaugeMax() const = 0;
    virtual void setGaugeMax(int max) = 0;
    virtual int gaugeProgress() const = 0;
    virtual void setGaugeProgress(int progress) = 0;
    virtual void setGaugeVisible(bool visible) = 0;

    // The file-name label: a read replaces the set, so it no longer comes from a file.
    virtual void clearFileLabel() = 0;

    // "No Connection" and the live version warning.
    virtual void setConnectionVisible(bool visible) = 0;
    virtual void hideVersionLabel() = 0;

    // A modal message box; returns when the user has closed it. Ticks go on
    // meanwhile and may re-enter the engine.
    virtual void showVersionMismatch(const QString &text) = 0;

    // A new identity block is in the engine's identity record; its texts are decoded.
    virtual void identityReceived(const IdentityTexts &texts) = 0;
    // A live-data frame was accepted; the window shows its values.
    virtual void liveDataReceived(const LiveData &live) = 0;
    // The last step of every tick: the curve row of the live engine speed.
    virtual void highlightCurveRow() = 0;
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
    static constexpr int kSavingStart = 110;          // the unit counts its storing down from 110

    TransferEngine(TransferHost &host, ParameterImage &image, UnitIdentity &identity,
                   const MessageTable &messages);

    // The commands. Program and Verify expect the window to have captured,
    // normalised and shown the image first.
    void startProgram();
    void startVerify();
    void startRead();
    // Programming after a committed edit: the same state as Program, but no
    // frame is sent here; the tick sends it when replyWaitTicks reaches 4.
    void startProgramAfterChange();

    // One 55 ms tick: poll, the mode's step, the status count-down, the
    // connection indicator, the curve-row highlight.
    void tick();

    // A frame from the poll: 0xB0 is live data, anything else a transfer reply.
    void handleFrame(const Frame &frame);

    // The transfer state, as the window owns it.
    TransferMode transferMode = TransferMode::Idle;
    std::uint8_t commandCode = 0;
    std::uint8_t attemptCount = 0;
    std::uint8_t replyWaitTicks = 0;
    std::uint8_t statusTicks = 0;
    std::uint8_t silenceTicks = 0;
    bool programDone = false;
    std::uint16_t savingCountdown = 0;
    // Set while the window is being printed: the status and connection labels stay hidden.
    bool printing = false;

private:
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
    void versionMismatch(std::uint8_t unitVersion);
    void fail();
    void stepOperation();
    void stepIdle();

    TransferHost &host;
    ParameterImage &image;
    UnitIdentity &identity;
    const MessageTable &messages;
};

// versionMismatchText() is declared in link/telemetry.h: the live read-out
// shows the same text in its version label.
