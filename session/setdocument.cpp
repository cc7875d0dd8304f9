#include "session/setdocument.h"

#include <algorithm>

SetDocument::SetDocument(QObject *parent) : QObject(parent) {}

// ---- State outside the history

void SetDocument::restore(const ParameterImage &image, const QString &fileName, const QString &rememberedFile)
{
    ParameterImage next = image;
    next.normaliseCurve();
    remembered_ = rememberedFile;
    labelAtReadStart.reset();
    clearHistory();
    apply(next, fileName, SetAction::Restore, false, false);
}

void SetDocument::setAll(bool on)
{
    if (all_ == on)
        return;
    all_ = on;
    SetChange change;
    change.action = change.step = SetAction::Flags;
    change.flagsChanged = true;
    emit changed(change);
}

void SetDocument::setProgramAfterChange(bool on)
{
    if (programAfterChange_ == on)
        return;
    programAfterChange_ = on;
    SetChange change;
    change.action = change.step = SetAction::Flags;
    change.flagsChanged = true;
    emit changed(change);
}

// ---- Edits

void SetDocument::setField(ParamField field, int value, Commit commit)
{
    const int index = fieldIndex(field);
    if (index < 0 || index >= kFieldCount)
        return;
    // The window captures every control at a commit, so the other fields are
    // taken as their controls show them.
    ParameterImage next = boundedToControls(image_);
    const FieldSpec &spec = fieldSpec(field);
    if (acceptsValue(spec, value))
        next[spec.byte] = capturedByte(spec, value);
    const bool committed = commit == Commit::Yes;
    commitEdit(next, committed ? SetAction::Edit : SetAction::Capture, committed);
}

void SetDocument::setPoint(int k, int rpm, int advance)
{
    if (k < 0 || k >= ParameterImage::kPoints)
        return;
    ParameterImage next = boundedToControls(image_);
    const FieldSpec &speed = fieldSpec(rpmField(k));
    if (acceptsValue(speed, rpm))
        next[speed.byte] = capturedByte(speed, rpm);
    const FieldSpec &angle = fieldSpec(advanceField(k));
    if (acceptsValue(angle, advance))
        next[angle.byte] = capturedByte(angle, advance);
    commitEdit(next, SetAction::Point, true);
}

void SetDocument::captureControls(const FieldValues &shown, Commit commit)
{
    const bool committed = commit == Commit::Yes;
    commitEdit(captured(&shown), committed ? SetAction::Edit : SetAction::Capture, committed);
}

ParameterImage SetDocument::captured(const FieldValues *typed) const
{
    ParameterImage next = boundedToControls(image_);
    if (!typed)
        return next;
    for (const FieldSpec &spec : fieldTable()) {
        const int value = (*typed)[static_cast<std::size_t>(fieldIndex(spec.field))];
        if (acceptsValue(spec, value))
            next[spec.byte] = capturedByte(spec, value);
    }
    return next;
}

void SetDocument::shiftAdvance(int delta, const CurveHighlight &highlight, const FieldValues *typed)
{
    // Captured and normalised before the shift, so the highlighted point is
    // moved from the value it shows.
    ParameterImage next = captured(typed);
    next.normaliseCurve();
    ::shiftAdvance(next, delta, all_, highlight);
    commitEdit(next, SetAction::Shift, true);
}

void SetDocument::applyDrag(const ParameterImage &dragged, bool continuesDrag)
{
    // Only the curve comes from the chart; the rest of the set stays ours.
    ParameterImage next = image_;
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        next.rpmAdv(k) = dragged.rpmAdv(k);
        next.advance(k) = dragged.advance(k);
    }
    // A further move keeps the step the drag began with, so that the step
    // still goes back to the set from before the drag.
    const bool continues = continuesDrag && dragOpen;
    const bool recorded = commitEdit(boundedToControls(next), SetAction::Drag, true, !continues);
    dragOpen = continues || recorded;
}

bool SetDocument::commitEdit(ParameterImage next, SetAction action, bool committed, bool record)
{
    next.normaliseCurve();
    return apply(next, fileName_, action, record, committed);
}

// ---- Whole sets

void SetDocument::newSet()
{
    ParameterImage next = image_;
    next.applyDefaults();
    apply(next, QString(), SetAction::New, true, false);
}

OpenResult SetDocument::open(const QString &path, QString *reason)
{
    ParameterImage next = image_;
    const OpenResult result = openParameterFile(path, next, reason);
    if (result != OpenResult::Opened)
        return result;
    remembered_ = path;
    apply(next, path, SetAction::Open, true, false);
    return result;
}

bool SetDocument::save(const QString &path, QString *reason, const FieldValues *typed)
{
    ParameterImage next = captured(typed);
    next.normaliseCurve();
    if (!saveParameterFile(path, next, reason))
        return false;
    remembered_ = path;
    labelAtReadStart.reset();
    // Not a step: the controls already showed the bounded values, so an undo
    // that brought back the out-of-range bytes would show nothing.
    apply(next, path, SetAction::Save, false, false);
    return true;
}

void SetDocument::beginRead()
{
    if (!labelAtReadStart)
        labelAtReadStart = fileName_;
    apply(image_, QString(), SetAction::ReadStart, false, false);
}

void SetDocument::takeUnitSet(std::span<const std::uint8_t> block)
{
    ParameterImage next = image_;
    const std::size_t n = std::min<std::size_t>(block.size(), ParameterImage::kBlockSize);
    std::copy_n(block.begin(), n, next.bytes.begin());
    next.normaliseCurve();
    apply(next, fileName_, SetAction::Read, true, false);
}

void SetDocument::normalise()
{
    ParameterImage next = image_;
    next.normaliseCurve();
    if (next != image_)
        apply(next, fileName_, SetAction::Normalise, false, false);
}

// ---- History

std::optional<SetAction> SetDocument::undoAction() const
{
    if (undoStack.empty())
        return std::nullopt;
    return undoStack.back().action;
}

std::optional<SetAction> SetDocument::redoAction() const
{
    if (redoStack.empty())
        return std::nullopt;
    return redoStack.back().action;
}

void SetDocument::undo()
{
    if (undoStack.empty())
        return;
    const bool couldRedo = canRedo();
    dragOpen = false;
    State back = std::move(undoStack.back());
    undoStack.pop_back();
    redoStack.push_back({image_, fileName_, back.action});
    returnTo(std::move(back), SetAction::Undo);
    reportHistory(true, couldRedo);
}

void SetDocument::redo()
{
    if (redoStack.empty())
        return;
    const bool couldUndo = canUndo();
    dragOpen = false;
    State forward = std::move(redoStack.back());
    redoStack.pop_back();
    pushUndo({image_, fileName_, forward.action});
    returnTo(std::move(forward), SetAction::Redo);
    reportHistory(couldUndo, true);
}

void SetDocument::returnTo(State state, SetAction how)
{
    // A step taken back or made again is a committed change of the set,
    // reported as the step it was.
    SetChange change = compare(state.image, state.fileName, how);
    change.step = state.action;
    change.committed = true;
    image_ = std::move(state.image);
    fileName_ = std::move(state.fileName);
    labelAtReadStart.reset();
    emit changed(change);
}

void SetDocument::clearHistory()
{
    const bool couldUndo = canUndo();
    const bool couldRedo = canRedo();
    undoStack.clear();
    redoStack.clear();
    reportHistory(couldUndo, couldRedo);
}

// ---- Helpers

bool SetDocument::apply(const ParameterImage &next, const QString &fileName, SetAction action, bool record,
                        bool committed)
{
    dragOpen = false;
    SetChange change = compare(next, fileName, action);
    change.committed = committed;
    const bool couldUndo = canUndo();
    const bool couldRedo = canRedo();
    if (record) {
        // A read's step goes back to the label the set had before the read
        // started, not to the empty label of the read in progress.
        const QString before =
            action == SetAction::Read && labelAtReadStart ? *labelAtReadStart : fileName_;
        labelAtReadStart.reset();
        // Bounding alone is no step: the controls showed the bounded values
        // already, and an undo that brought back a 70 they show as 60 would
        // seem to do nothing.
        const bool seen = shownValues(next) != shownValues(image_) || change.otherBytes || fileName != before;
        if (seen) {
            pushUndo({image_, before, action});
            redoStack.clear();
            change.recorded = true;
        }
    }
    image_ = next;
    fileName_ = fileName;
    emit changed(change);
    reportHistory(couldUndo, couldRedo);
    return change.recorded;
}

SetChange SetDocument::compare(const ParameterImage &next, const QString &fileName, SetAction action) const
{
    SetChange change;
    change.action = change.step = action;
    std::array<bool, ParameterImage::kSize> isField{};
    for (const FieldSpec &spec : fieldTable()) {
        isField[static_cast<std::size_t>(spec.byte)] = true;
        if (next[spec.byte] != image_[spec.byte])
            change.fields.set(static_cast<std::size_t>(fieldIndex(spec.field)));
    }
    for (int i = 0; i < ParameterImage::kSize; ++i) {
        if (!isField[static_cast<std::size_t>(i)] && next[i] != image_[i])
            change.otherBytes = true;
    }
    change.fileNameChanged = fileName != fileName_;
    return change;
}

void SetDocument::pushUndo(State state)
{
    undoStack.push_back(std::move(state));
    while (undoStack.size() > static_cast<std::size_t>(kHistoryLimit))
        undoStack.pop_front();
}

void SetDocument::reportHistory(bool couldUndo, bool couldRedo)
{
    if (couldUndo != canUndo() || couldRedo != canRedo())
        emit undoRedoChanged(canUndo(), canRedo());
}
