#pragma once

#include "params/editingrules.h"
#include "params/fields.h"
#include "params/parameterfile.h"
#include "params/parameterimage.h"

#include <QObject>
#include <QString>

#include <bitset>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

// What happened to the set.
enum class SetAction {
    Edit,      // a control committed: an edit left, a spinner clicked, a check box released
    Capture,   // the controls taken without a commit: before Program, Verify, Save and close
    Point,     // one curve point's speed and advance
    Shift,     // Advance - or +
    Drag,      // a curve point dragged on the chart
    New,
    Open,
    Save,
    ReadStart, // a Read started: the set no longer comes from a file
    Read,      // the set read from the unit
    Undo,
    Redo,
    Flags,     // "All" or "Programming after change" changed
    Restore,   // the set of the last run, at start
    Normalise, // the transfer engine brought the curve into range
};

// One report per change of the document.
struct SetChange
{
    SetAction action = SetAction::Edit;
    // The action of the step taken back or done again by Undo and Redo; the
    // action itself otherwise.
    SetAction step = SetAction::Edit;
    std::bitset<kFieldCount> fields; // fields whose image byte changed
    bool otherBytes = false;         // a reserved or spare byte changed
    bool fileNameChanged = false;
    bool flagsChanged = false;
    bool recorded = false; // the action became a new step of the history
    // A committed edit: "Programming after change" runs its check, whether or
    // not the edit changed anything.
    bool committed = false;

    bool imageChanged() const { return fields.any() || otherBytes; }
    bool changed(ParamField field) const { return fields.test(static_cast<std::size_t>(fieldIndex(field))); }
};

// The parameter set being edited, widget-free: the 55-byte image, the file it
// came from, the "All" and "Programming after change" flags, and the undo
// history. Each user action is one operation that brings the set into range
// the way the window's controls do, and ends in one change report.
//
// Edits take values in the controls' units (rpm, degrees, tooth, 0/1). Every
// edit first bounds every field to what its control can show, since the
// window captures all its controls at each commit: a byte from a file or the
// unit outside a control's range (an advance of 70) is taken at the nearest
// end (60) by the next edit of any field. Then the edit's own change, then the
// curve rules. A value the control cannot hold is ignored, as a typed number
// out of range is: the field keeps what it showed.
//
// Opening a file and reading the unit only normalise the curve; the other
// bytes stay as they came until the next edit, Save or transfer bounds them.
//
// An action is a step of the history when it changes what the user sees: a
// control's value, a byte no control shows (a read's reserved bytes) or the
// file label. Bounding alone (a 70 taken as the 60 it showed) is no step.
class SetDocument : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHistoryLimit = 100;
    enum class Commit { Yes, No };

    explicit SetDocument(QObject *parent = nullptr);

    // The set. Its address stays the same for the document's life.
    const ParameterImage &image() const { return image_; }
    // The path of the file the set was last opened from or saved to (the
    // text of the file label); empty after New and from the start of a Read.
    const QString &fileName() const { return fileName_; }
    // The path last opened or saved, kept through New and Read; the file
    // dialogs propose it.
    const QString &rememberedFile() const { return remembered_; }
    bool all() const { return all_; }
    bool programAfterChange() const { return programAfterChange_; }

    // Start-up: the set of the last run (its curve normalised), its file label
    // and remembered file. Not a step; the history is cleared. A front end
    // with no editor of its own (the command line) hands its set over so too.
    void restore(const ParameterImage &image, const QString &fileName, const QString &rememberedFile);
    // The flags are settings of the editor, not part of the set: no step.
    void setAll(bool on);
    void setProgramAfterChange(bool on);

    // ---- Edits. Each is one step when it changes a byte.
    void setField(ParamField field, int value, Commit commit = Commit::Yes);
    void setPoint(int k, int rpm, int advance);
    // Every control at once, as the window captures them.
    void captureControls(const FieldValues &shown, Commit commit);
    // Advance - (delta -1) or + (+1), on the whole curve with "All" set,
    // otherwise on the highlighted point. Typed values the controls hold and
    // no edit has committed yet come along as one step with the shift.
    void shiftAdvance(int delta, const CurveHighlight &highlight, const FieldValues *typed = nullptr);
    // The curve of an image edited on the chart; its other bytes are not used.
    // A drag reports each move; the moves after the first continue its step
    // (while it is still the last one), so undo takes the whole drag back.
    void applyDrag(const ParameterImage &dragged, bool continuesDrag = false);

    // ---- Whole sets
    // The defaults into the named fields; the unit's reserved bytes, the
    // spare bytes and the remembered file stay, the file label is cleared.
    void newSet();
    // Reads a .ign file. Only on Opened does anything change: the fields the
    // file names, the curve normalised, the file label and remembered file.
    OpenResult open(const QString &path, QString *reason = nullptr);
    // Writes the set bounded and normalised as the controls show it, with
    // the typed values they hold, if given. On failure nothing changes; on
    // success the image becomes what was written (not a step: the screen
    // showed it so already, typed values included) and the path becomes the
    // file label and the remembered file.
    bool save(const QString &path, QString *reason = nullptr, const FieldValues *typed = nullptr);
    // A Read started: the file label is cleared (not a step). Undoing the
    // read's set brings the label back.
    void beginRead();
    // The unit's parameter block (up to 50 bytes) into bytes 0..49, the curve
    // normalised; the spare bytes stay and nothing else is bounded.
    void takeUnitSet(std::span<const std::uint8_t> block);
    // The engine's own normalisation during a transfer: not a step, reported
    // only when it changed a byte.
    void normalise();

    // ---- History
    bool canUndo() const { return !undoStack.empty(); }
    bool canRedo() const { return !redoStack.empty(); }
    std::optional<SetAction> undoAction() const;
    std::optional<SetAction> redoAction() const;
    // Undo and Redo restore the image and the file label of the step's other
    // side and report as a committed edit.
    void undo();
    void redo();
    void clearHistory();

signals:
    void changed(const SetChange &change);
    void undoRedoChanged(bool canUndo, bool canRedo);

private:
    struct State
    {
        ParameterImage image;
        QString fileName;
        SetAction action; // the step that leads away from (undo) or to (redo) this state
    };

    // The image as the controls capture it: every field bounded to what its
    // control shows, or taken from the typed values where the control holds one.
    ParameterImage captured(const FieldValues *typed) const;
    bool commitEdit(ParameterImage next, SetAction action, bool committed, bool record = true);
    // Puts the new image and file label in place and reports. A step is
    // recorded when record is set and something the user sees changed: a
    // control's value, a byte no control shows, or the file label. Returns
    // whether it was.
    bool apply(const ParameterImage &next, const QString &fileName, SetAction action, bool record,
               bool committed);
    SetChange compare(const ParameterImage &next, const QString &fileName, SetAction action) const;
    void pushUndo(State state);
    void returnTo(State state, SetAction how);
    void reportHistory(bool couldUndo, bool couldRedo);

    ParameterImage image_;
    QString fileName_;
    QString remembered_;
    bool all_ = false;
    bool programAfterChange_ = false;
    std::deque<State> undoStack;
    std::vector<State> redoStack;
    // The file label when a Read started, for the read's step to restore.
    std::optional<QString> labelAtReadStart;
    // The last step is a drag's, and the drag's further moves continue it.
    bool dragOpen = false;
};
