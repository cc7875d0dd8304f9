#include "link/transferengine.h"

#include "i18n/language.h"
#include "i18n/messagetable.h"
#include "i18n/operationcaptions.h"

#include <algorithm>

namespace {

// The red report of a step that ran out of sendings, by the mode that failed.
Msg failureMessage(TransferMode mode)
{
    switch (mode) {
    case TransferMode::Programming:
        return Msg::MsgProgramError;
    case TransferMode::Verifying:
        return Msg::MsgVerifyError;
    case TransferMode::Reading:
        return Msg::MsgReadError;
    case TransferMode::Idle:
        break;
    }
    // Idle never fails; Count reads as the empty text.
    return Msg::Count;
}

bool payloadMatchesImage(const Frame &frame, const ParameterImage &image)
{
    return std::equal(frame.begin() + 1, frame.begin() + 1 + ParameterImage::kBlockSize,
                      image.bytes.begin());
}

} // namespace

TransferEngine::TransferEngine(TransferHost &host, ParameterImage &image, UnitIdentity &identity,
                               const MessageTable &messages)
    : host(host), image(image), identity(identity), messages(messages)
{
}

// ---- Start commands ----------------------------------------------------------

void TransferEngine::startProgram()
{
    transferMode = TransferMode::Programming;
    commandCode = kCmdProgramBlock0;
    attemptCount = 1;
    sendTransferFrame();
    showStartStatus(Operation::Program);
}

void TransferEngine::startVerify()
{
    // A verify reports its own result: the programming report of an earlier
    // Program would otherwise replace "Verify: OK" for the rest of its 200
    // ticks (a read forgets it on every tick for the same reason).
    programDone = false;
    transferMode = TransferMode::Verifying;
    commandCode = kCmdReadBlock1;
    attemptCount = 1;
    sendTransferFrame();
    showStartStatus(Operation::Verify);
}

void TransferEngine::startRead()
{
    transferMode = TransferMode::Reading;
    commandCode = kCmdReadBlock0;
    attemptCount = 1;
    sendTransferFrame();
    showStartStatus(Operation::Read);
    // The set on screen now comes from the unit, no longer from a file.
    host.clearFileLabel();
}

void TransferEngine::startProgramAfterChange()
{
    transferMode = TransferMode::Programming;
    commandCode = kCmdProgramBlock0;
    attemptCount = 1;
    // No frame here and replyWaitTicks left running: the tick sends block 0
    // as the step's second attempt once the wait reaches the resend count,
    // 1 to 4 ticks from now. Edits committed in quick succession thus
    // restart the operation without sending a frame each.
    showStartStatus(Operation::Program);
    programDone = false;
}

void TransferEngine::showStartStatus(Operation operation)
{
    host.setStatusRed(false);
    if (const std::optional<QString> caption = operationCaption(operation, language::index()))
        host.setStatusCaption(*caption);
    statusTicks = kStatusTicks;
    host.setStatusVisible(true);
    host.setGaugeProgress(0);
    host.setGaugeVisible(true);
}

// ---- The tick --------------------------------------------------------------------

void TransferEngine::tick()
{
    // 1. The poll; a reply is handled before this tick's own step, so a reply
    //    that starts a new step is followed at once by that step's first wait count.
    if (const std::optional<Frame> frame = host.pollReceive())
        handleFrame(*frame);

    // 2. The mode's step.
    switch (transferMode) {
    case TransferMode::Programming:
    case TransferMode::Verifying:
    case TransferMode::Reading:
        stepOperation();
        break;
    case TransferMode::Idle:
        stepIdle();
        break;
    }

    // 3. The status display counts down its time on screen.
    if (statusTicks > 0) {
        --statusTicks;
        host.setStatusVisible(!printing);
    } else {
        host.setStatusVisible(false);
        host.setGaugeVisible(false);
        programDone = false;
    }

    // 4. The connection indicator.
    if (silenceTicks < kSilenceLimit) {
        ++silenceTicks;
        host.setConnectionVisible(false);
    } else {
        host.setConnectionVisible(!printing);
        // A version warning from the last live frame is stale without a connection.
        if (!printing)
            host.hideVersionLabel();
    }

    // 5. The curve row of the live engine speed.
    host.highlightCurveRow();
}

void TransferEngine::stepOperation()
{
    // A read never programs, so no programming success may be reported after it.
    if (transferMode == TransferMode::Reading)
        programDone = false;

    ++replyWaitTicks;
    // At or above, not only at: a program after change starts with whatever
    // count the idle live-data requests left behind.
    if (replyWaitTicks < kResendTicks)
        return;
    replyWaitTicks = 0;
    ++attemptCount;
    if (attemptCount <= kMaxSendings)
        sendTransferFrame();
    else
        fail();
}

void TransferEngine::fail()
{
    host.setStatusRed(true);
    host.setStatusCaption(messages.text(failureMessage(transferMode)));
    statusTicks = kStatusTicks;
    transferMode = TransferMode::Idle;
    programDone = false;
}

void TransferEngine::stepIdle()
{
    ++replyWaitTicks;
    if (replyWaitTicks >= kLiveDataTicks) {
        // Not a step of an operation: an unanswered request is never resent,
        // the next one simply follows.
        replyWaitTicks = 0;
        host.sendFrame(liveDataRequest());
    }

    if (savingCountdown != 0) {
        host.setStatusRed(false);
        host.setStatusCaption(messages.text(Msg::MsgSaving));
        statusTicks = kStatusTicks;
        host.setGaugeMax(100);
        // Signed on purpose: a count above the start gives a negative value,
        // which the gauge clamps to its minimum.
        host.setGaugeProgress(100 * (kSavingStart - static_cast<int>(savingCountdown)) / kSavingStart);
    } else {
        host.setGaugeMax(1);
        if (programDone) {
            host.setStatusCaption(messages.text(Msg::MsgProgramming) + QStringLiteral(": OK"));
            host.setGaugeProgress(host.gaugeMax());
        }
    }
}

void TransferEngine::sendTransferFrame()
{
    replyWaitTicks = 0;
    host.sendFrame(transferFrame(commandCode, transferMode == TransferMode::Reading, image));
}

// ---- Received frames -------------------------------------------------------------

void TransferEngine::handleFrame(const Frame &frame)
{
    if (frame[0] == kReplyLiveData) {
        handleLive(frame);
        return;
    }
    // A wrong code, a bad check byte or a reply while idle changes nothing,
    // not even the connection watch; the step's resends cover it.
    if (acceptTransferReply(frame.data(), transferMode != TransferMode::Idle, commandCode))
        handleReply(frame);
}

void TransferEngine::handleLive(const Frame &frame)
{
    if (!acceptLiveFrame(frame.data()))
        return;
    silenceTicks = 0;
    const LiveData live = decodeLiveData(frame);
    host.liveDataReceived(live);
    savingCountdown = live.savingCountdown;
}

void TransferEngine::handleReply(const Frame &frame)
{
    silenceTicks = 0;
    const bool block0 = blockNumber(commandCode) == 0;
    switch (transferMode) {
    case TransferMode::Reading:
        if (block0)
            replyReadIdentity(frame);
        else
            replyReadBlock(frame);
        break;
    case TransferMode::Verifying:
        // A verify only ever asks for block 1.
        if (!block0)
            replyVerifyBlock(frame);
        break;
    case TransferMode::Programming:
        if (block0)
            replyProgramIdentity(frame);
        else
            replyProgramEcho(frame);
        break;
    case TransferMode::Idle:
        break;
    }
}

void TransferEngine::storeIdentity(const Frame &frame)
{
    std::copy(frame.begin() + 1, frame.begin() + 1 + UnitIdentity::kSize, identity.bytes.begin());
    host.identityReceived(decodeIdentity(identity));
}

void TransferEngine::replyReadIdentity(const Frame &frame)
{
    storeIdentity(frame);
    if (identity.version() != kProtocolVersion) {
        versionMismatch(identity.version());
        return;
    }
    host.setGaugeProgress(host.gaugeProgress() + 1);
    commandCode = kCmdReadBlock1;
    attemptCount = 1;
    sendTransferFrame();
}

void TransferEngine::replyReadBlock(const Frame &frame)
{
    std::copy(frame.begin() + 1, frame.begin() + 1 + ParameterImage::kBlockSize, image.bytes.begin());
    // The verify that follows compares the unit's block with the normalised
    // image, so a block that breaks the curve rules ends in a verify error.
    host.normaliseImage();
    host.showImage();
    startVerifyStep();
}

void TransferEngine::replyVerifyBlock(const Frame &frame)
{
    // A different block is dropped like a missing reply; the resends end in
    // the verify error if the unit keeps differing.
    if (!payloadMatchesImage(frame, image))
        return;
    host.setGaugeProgress(host.gaugeMax());
    host.setStatusRed(false);
    host.setStatusCaption(messages.text(Msg::MsgVerify) + QStringLiteral(": OK"));
    statusTicks = kStatusTicks;
    transferMode = TransferMode::Idle;
}

void TransferEngine::replyProgramIdentity(const Frame &frame)
{
    storeIdentity(frame);
    host.normaliseImage();
    host.showImage();
    if (identity.version() != kProtocolVersion) {
        versionMismatch(identity.version());
        return;
    }
    host.setGaugeProgress(host.gaugeProgress() + 1);
    commandCode = kCmdProgramBlock1;
    attemptCount = 1;
    sendTransferFrame();
}

void TransferEngine::replyProgramEcho(const Frame &frame)
{
    if (!payloadMatchesImage(frame, image))
        return;
    programDone = true;
    startVerifyStep();
}

void TransferEngine::startVerifyStep()
{
    transferMode = TransferMode::Verifying;
    commandCode = kCmdReadBlock1;
    attemptCount = 1;
    sendTransferFrame();
    host.setStatusRed(false);
    host.setStatusCaption(messages.text(Msg::MsgVerify) + QStringLiteral(":"));
    statusTicks = kStatusTicks;
    host.setStatusVisible(true);
    host.setGaugeProgress(0);
}

void TransferEngine::versionMismatch(std::uint8_t unitVersion)
{
    const bool reading = transferMode == TransferMode::Reading;
    transferMode = TransferMode::Idle;
    if (reading) {
        host.normaliseImage();
        host.showImage();
    }
    // The box is modal: ticks keep running inside it, already idle.
    host.showVersionMismatch(versionMismatchText(messages.text(Msg::MsgVersionMismatch), unitVersion));
    statusTicks = 0;
}
