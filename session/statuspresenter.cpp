#include "session/statuspresenter.h"

#include "i18n/operationcaptions.h"

#include <algorithm>

namespace {

OperationCaption captionOf(Operation operation)
{
    switch (operation) {
    case Operation::Program:
        break;
    case Operation::Verify:
        return OperationCaption::Verify;
    case Operation::Read:
        return OperationCaption::Read;
    }
    return OperationCaption::Program;
}

// The red report of a step that ran out of sendings: a read or a program
// that reached its verify fails as a verify.
Msg failureMessage(Operation operation, TransferStep step)
{
    if (step == TransferStep::Verify)
        return Msg::MsgVerifyError;
    switch (operation) {
    case Operation::Program:
        return Msg::MsgProgramError;
    case Operation::Read:
        return Msg::MsgReadError;
    case Operation::Verify:
        break;
    }
    return Msg::MsgVerifyError;
}

const QString kOk = QStringLiteral(": OK");

} // namespace

StatusPresenter::StatusPresenter(const UiLanguage &language, QObject *parent)
    : QObject(parent), language(language)
{
}

void StatusPresenter::announce()
{
    emit statusChanged(shown);
}

void StatusPresenter::setGaugeMax(int max)
{
    if (max == 0)
        return;
    shown.gaugeMax = max;
    shown.gaugeProgress = std::clamp(shown.gaugeProgress, 0, std::max(0, max));
}

void StatusPresenter::setGaugeProgress(int progress)
{
    shown.gaugeProgress = std::clamp(progress, 0, std::max(0, shown.gaugeMax));
}

void StatusPresenter::showFor(const QString &caption, bool red)
{
    shown.caption = caption;
    shown.red = red;
    statusTime = kStatusTicks;
}

// ---- The engine's events -----------------------------------------------------------

void StatusPresenter::operationStarted(Operation operation)
{
    current = operation;
    // French and indices without a language keep the caption that was there.
    showFor(operationCaption(captionOf(operation), language).value_or(shown.caption), false);
    shown.visible = true;
    setGaugeProgress(0);
    shown.gaugeVisible = true;
    announce();
}

void StatusPresenter::stepStarted(TransferStep step)
{
    switch (step) {
    case TransferStep::Identity:
        return;
    case TransferStep::Block:
        // The unit identified itself: the gauge moves one step.
        setGaugeProgress(shown.gaugeProgress + 1);
        break;
    case TransferStep::Verify:
        // A Program reaches its verify once the unit has echoed its block.
        if (current == Operation::Program)
            programmed = true;
        showFor(language.text(Msg::MsgVerify) + QStringLiteral(":"), false);
        shown.visible = true;
        setGaugeProgress(0);
        break;
    }
    announce();
}

void StatusPresenter::operationSucceeded()
{
    setGaugeProgress(shown.gaugeMax);
    showFor(language.text(Msg::MsgVerify) + kOk, false);
    announce();
}

void StatusPresenter::operationFailed(TransferStep step, TransferFailure why)
{
    // Another version is reported by its box; the report vanishes after it.
    if (why == TransferFailure::Version)
        return;
    showFor(language.text(failureMessage(current, step)), true);
    programmed = false;
    announce();
}

void StatusPresenter::versionMismatchClosed()
{
    statusTime = 0;
}

void StatusPresenter::storingProgress(int percent)
{
    showFor(language.text(Msg::MsgSaving), false);
    setGaugeMax(100);
    setGaugeProgress(percent);
    announce();
}

void StatusPresenter::notStoring(bool programDone)
{
    setGaugeMax(1);
    if (programDone && programmed) {
        shown.caption = language.text(Msg::MsgProgramming) + kOk;
        setGaugeProgress(shown.gaugeMax);
    }
    announce();
}

void StatusPresenter::connectionChanged(bool nowConnected)
{
    connected = nowConnected;
}

void StatusPresenter::tick()
{
    if (statusTime > 0) {
        --statusTime;
        shown.visible = !printingNow;
    } else {
        shown.visible = false;
        shown.gaugeVisible = false;
        programmed = false;
    }
    announce();

    const bool noConnection = showsNoConnection();
    emit connectionShown(noConnection);
    if (noConnection)
        emit liveVersionStale();
}

// ---- What the window asks for ------------------------------------------------------

void StatusPresenter::hideStatus()
{
    shown.visible = false;
    shown.gaugeVisible = false;
    announce();
}

void StatusPresenter::showNotice(const std::optional<QString> &caption)
{
    shown.red = false;
    if (caption)
        shown.caption = *caption;
    statusTime = kStatusTicks;
    shown.visible = true;
    shown.gaugeVisible = false;
    announce();
}
