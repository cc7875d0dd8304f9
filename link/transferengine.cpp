#include "link/transferengine.h"

#include <algorithm>

namespace {

bool payloadMatchesImage(const Frame &frame, const ParameterImage &image)
{
    return std::equal(frame.begin() + 1, frame.begin() + 1 + ParameterImage::kBlockSize,
                      image.bytes.begin());
}

} // namespace

TransferEngine::TransferEngine(TransferHost &host, const ParameterImage &image, UnitIdentity &identity)
    : host(host), image(image), identity(identity)
{
}

// ---- Start commands ----------------------------------------------------------

void TransferEngine::start(TransferMode newMode, std::uint8_t code, Operation started)
{
    aside = false;
    mode = newMode;
    command = code;
    attempts = 1;
    current = started;
    failure = TransferFailure::None;
    beginStep();
    host.operationStarted(started);
}

void TransferEngine::startProgram()
{
    start(TransferMode::Programming, kCmdProgramBlock0, Operation::Program);
    sendTransferFrame();
}

void TransferEngine::startVerify()
{
    // A verify reports its own result: the programming report of an earlier
    // Program would otherwise replace "Verify: OK" for the rest of its
    // display time (a read forgets it on every tick for the same reason).
    programmed = false;
    start(TransferMode::Verifying, kCmdReadBlock1, Operation::Verify);
    sendTransferFrame();
}

void TransferEngine::startRead()
{
    start(TransferMode::Reading, kCmdReadBlock0, Operation::Read);
    sendTransferFrame();
    host.readStarted();
}

void TransferEngine::startProgramReadingFirst()
{
    start(TransferMode::Reading, kCmdReadBlock0, Operation::Read);
    aside = true;
    sendTransferFrame();
}

void TransferEngine::startProgramAfterChange()
{
    start(TransferMode::Programming, kCmdProgramBlock0, Operation::Program);
    // No frame here and replyWaitTicks left running: the tick sends block 0
    // as the step's second attempt once the wait reaches the resend count,
    // 1 to 4 ticks from now. Edits committed in quick succession thus
    // restart the operation without sending a frame each.
    programmed = false;
}

// ---- The tick --------------------------------------------------------------------

void TransferEngine::tick()
{
    // 1. The poll; replies are handled before this tick's own step, so a reply
    //    that starts a new step is followed at once by that step's first wait
    //    count. Each frame passes the accept rules on its own: after a reply
    //    that moved the step on, a second reply of the same poll must answer
    //    the new command.
    for (const Frame &frame : host.pollReceive())
        handleFrame(frame);

    // 2. The mode's step.
    switch (mode) {
    case TransferMode::Programming:
    case TransferMode::Verifying:
    case TransferMode::Reading:
        stepOperation();
        break;
    case TransferMode::Idle:
        stepIdle();
        break;
    }

    // 3. The connection watch.
    watchConnection();

    // 4. The owner's last step (the report's display time, the curve row of
    //    the live engine speed).
    host.tickDone();
}

void TransferEngine::watchConnection()
{
    const bool now = silence < kSilenceLimit;
    if (now)
        ++silence;
    if (now != connected) {
        connected = now;
        host.connectionChanged(now);
    }
}

void TransferEngine::stepOperation()
{
    // A read never programs, so no programming success may be reported after it.
    if (mode == TransferMode::Reading)
        programmed = false;

    ++replyWait;
    // At or above, not only at: a program after change starts with whatever
    // count the idle live-data requests left behind.
    if (replyWait < kResendTicks)
        return;
    replyWait = 0;
    ++attempts;
    if (attempts <= kMaxSendings)
        sendTransferFrame();
    else
        fail();
}

void TransferEngine::beginStep()
{
    stepSawBadCheck = false;
    stepSawDiffering = false;
}

TransferStep TransferEngine::step() const
{
    if (mode == TransferMode::Verifying)
        return TransferStep::Verify;
    return blockNumber(command) == 0 ? TransferStep::Identity : TransferStep::Block;
}

void TransferEngine::fail()
{
    failure = stepSawDiffering ? TransferFailure::Differed
              : stepSawBadCheck ? TransferFailure::BadCheck
                                : TransferFailure::NoReply;
    const TransferStep failed = step();
    mode = TransferMode::Idle;
    aside = false;
    programmed = false;
    host.operationFailed(current, failed, failure);
}

void TransferEngine::stepIdle()
{
    ++replyWait;
    if (replyWait >= kLiveDataTicks) {
        // Not a step of an operation: an unanswered request is never resent,
        // the next one simply follows.
        replyWait = 0;
        host.sendFrame(liveDataRequest());
    }

    if (saving != 0)
        host.storingProgress(unitStoringPercent(saving));
    else
        host.notStoring(programmed);
}

void TransferEngine::sendTransferFrame()
{
    replyWait = 0;
    host.sendFrame(transferFrame(command, mode == TransferMode::Reading, aside ? asideSet : image));
    host.attemptSent(step(), attempts);
}

// ---- Received frames -------------------------------------------------------------

void TransferEngine::handleFrame(const Frame &frame)
{
    // A bad check byte during an operation is remembered, to tell a garbled
    // line from a silent one when the step fails.
    if (mode != TransferMode::Idle && !frameCheckValid(frame))
        stepSawBadCheck = true;
    if (frame[0] == kReplyLiveData) {
        handleLive(frame);
        return;
    }
    // A wrong code, a bad check byte or a reply while idle changes nothing,
    // not even the connection watch; the step's resends cover it.
    if (acceptTransferReply(frame.data(), mode != TransferMode::Idle, command))
        handleReply(frame);
}

void TransferEngine::handleLive(const Frame &frame)
{
    if (!acceptLiveFrame(frame.data()))
        return;
    silence = 0;
    const LiveData live = decodeLiveData(frame);
    host.liveDataReceived(live);
    saving = live.savingCountdown;
}

void TransferEngine::handleReply(const Frame &frame)
{
    silence = 0;
    const bool block0 = blockNumber(command) == 0;
    switch (mode) {
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
    startBlockStep(kCmdReadBlock1);
}

void TransferEngine::replyReadBlock(const Frame &frame)
{
    if (aside) {
        // Normalised as the image would be, so the read-back compares the same.
        asideSet = image;
        std::copy(frame.begin() + 1, frame.begin() + 1 + ParameterImage::kBlockSize, asideSet.bytes.begin());
        asideSet.normaliseCurve();
        startVerifyStep();
        return;
    }
    host.unitBlockArrived(std::span<const std::uint8_t>(frame).subspan(1, ParameterImage::kBlockSize));
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
    if (!payloadMatchesImage(frame, aside ? asideSet : image)) {
        rememberDiffering(frame);
        return;
    }
    mode = TransferMode::Idle;
    if (aside) {
        // The program's first frame asks for the identity only; the set read
        // is handed on after it, still before the block that replaces it.
        const ParameterImage kept = asideSet;
        startProgram();
        host.asideReadSucceeded(kept);
        return;
    }
    host.operationSucceeded(current);
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
    startBlockStep(kCmdProgramBlock1);
}

void TransferEngine::replyProgramEcho(const Frame &frame)
{
    if (!payloadMatchesImage(frame, image)) {
        rememberDiffering(frame);
        return;
    }
    programmed = true;
    startVerifyStep();
}

void TransferEngine::rememberDiffering(const Frame &frame)
{
    stepSawDiffering = true;
    std::copy(frame.begin() + 1, frame.begin() + 1 + ParameterImage::kBlockSize, differing.begin());
}

void TransferEngine::startBlockStep(std::uint8_t code)
{
    command = code;
    attempts = 1;
    beginStep();
    host.stepStarted(TransferStep::Block);
    sendTransferFrame();
}

void TransferEngine::startVerifyStep()
{
    mode = TransferMode::Verifying;
    command = kCmdReadBlock1;
    attempts = 1;
    beginStep();
    host.stepStarted(TransferStep::Verify);
    sendTransferFrame();
}

void TransferEngine::versionMismatch(std::uint8_t unitVersion)
{
    const bool reading = mode == TransferMode::Reading && !aside;
    mode = TransferMode::Idle;
    aside = false;
    failure = TransferFailure::Version;
    if (reading) {
        host.normaliseImage();
        host.showImage();
    }
    host.operationFailed(current, TransferStep::Identity, failure);
    // The report is modal: ticks keep running inside it, already idle.
    host.versionMismatch(unitVersion);
}
