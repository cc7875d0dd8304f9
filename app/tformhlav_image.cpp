// The set on the window: its controls are a view of the session's document.
// They show what the document's reports say changed, and hand the user's
// input to the document, one operation per action.
#include "app/tformhlav.h"

#include "app/handlerguard.h"
#include "params/spinnertext.h"
#include "ui_tformhlav.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

void TFormHlav::bindFieldControls()
{
    // Each field's control, named by the field table, which also gives the
    // spinners their range, step and grouping.
    for (const FieldSpec &spec : fieldTable()) {
        FieldControl &c = fieldControls[static_cast<std::size_t>(fieldIndex(spec.field))];
        const QString name = QLatin1String(spec.control);
        if (spec.flag) {
            c.box = ui->ClientArea->findChild<QCheckBox *>(name);
            continue;
        }
        c.spinner = ui->ClientArea->findChild<UpDown *>(name);
        c.edit = c.spinner->associate();
        c.spinner->setRange(spec.minimum, spec.maximum);
        c.spinner->setIncrement(spec.increment);
        c.spinner->setThousands(spec.grouped);
    }
}

std::optional<ParamField> TFormHlav::fieldOf(const QObject *control) const
{
    for (const FieldSpec &spec : fieldTable()) {
        const FieldControl &c = fieldControls[static_cast<std::size_t>(fieldIndex(spec.field))];
        if (control && (control == c.edit || control == c.spinner || control == c.box))
            return spec.field;
    }
    return std::nullopt;
}

TFormHlav::FieldSet TFormHlav::pendingInput() const
{
    // Input is what a control holds other than the set's value as the window
    // shows it: text typed into an edit and not yet committed, or a tick the
    // keyboard changed (which commits nothing by itself).
    FieldSet pending;
    const ParameterImage &image = unit.image();
    for (const FieldSpec &spec : fieldTable()) {
        const FieldControl &c = fieldControls[static_cast<std::size_t>(fieldIndex(spec.field))];
        const int shown = shownValue(image, spec);
        const bool differs = spec.flag ? c.box->isChecked() != (shown != 0)
                                       : c.edit->text() != formatSpinnerText(shown, spec.grouped);
        pending.set(static_cast<std::size_t>(fieldIndex(spec.field)), differs);
    }
    return pending;
}

FieldValues TFormHlav::typedValues()
{
    // Each spinner takes its edit's text first, so typed numbers enter here;
    // text that is no number in range leaves the value the spinner had.
    FieldValues values{};
    for (const FieldSpec &spec : fieldTable()) {
        const FieldControl &c = fieldControls[static_cast<std::size_t>(fieldIndex(spec.field))];
        values[static_cast<std::size_t>(fieldIndex(spec.field))] =
            spec.flag ? (c.box->isChecked() ? 1 : 0) : c.spinner->position();
    }
    return values;
}

void TFormHlav::showFields(FieldSet fields)
{
    // A spinner keeps its position within its range, so a byte outside it is
    // shown at the nearest end; the set keeps the byte until the next capture.
    const ParameterImage &image = unit.image();
    for (const FieldSpec &spec : fieldTable()) {
        const auto i = static_cast<std::size_t>(fieldIndex(spec.field));
        if (!fields.test(i))
            continue;
        if (spec.flag)
            fieldControls[i].box->setChecked(fieldValue(image, spec) != 0);
        else
            fieldControls[i].spinner->setPosition(fieldValue(image, spec));
    }
}

void TFormHlav::showIdentity()
{
    const IdentityTexts &identity = unit.identityTexts();
    setLabelText(ui->LabelVerze1, identity.versionText);
    setLabelText(ui->LabelVerze2, identity.dateText);
    setLabelText(ui->LabelVerze3, identity.timeText);
}

void TFormHlav::showChange(const SetChange &change)
{
    if (change.action == SetAction::Flags) {
        ui->CheckBoxIgnAll->setChecked(unit.document().all());
        ui->CheckBoxProgHned->setChecked(unit.document().programAfterChange());
        CheckBoxProgHnedClick();
        return;
    }
    FieldSet fields = change.fields;
    switch (change.action) {
    case SetAction::New:
    case SetAction::Open:
    case SetAction::Read:
    case SetAction::Undo:
    case SetAction::Redo:
    case SetAction::Restore: {
        // A whole set: every control shows it, except a field being typed
        // into whose own value stayed: the typing is the technician's.
        fields.set();
        const std::optional<ParamField> typing = fieldOf(focusWidget());
        if (typing) {
            const auto i = static_cast<std::size_t>(fieldIndex(*typing));
            if (!change.fields.test(i) && pendingInput().test(i))
                fields.reset(i);
        }
        break;
    }
    default:
        break;
    }
    showFields(fields);
    // The unit's identity shows with the set, as it always has; a read's
    // start and the engine's own normalising show nothing of it.
    if (change.action != SetAction::ReadStart && change.action != SetAction::Normalise)
        showIdentity();
    if (change.fileNameChanged || change.action == SetAction::Restore)
        setLabelText(ui->LabelFile2, unit.document().fileName());
}

void TFormHlav::ApplyDefaults()
{
    ParameterImage image = unit.image();
    image.applyDefaults();
    unit.document().restore(image, unit.document().fileName(), unit.document().rememberedFile());
}

void TFormHlav::CaptureControls()
{
    // The input the controls hold, taken without a commit (Program, Verify,
    // close), and shown as taken.
    const FieldSet pending = pendingInput();
    unit.document().captureControls(typedValues(), SetDocument::Commit::No);
    showFields(pending);
}

void TFormHlav::NormaliseImage()
{
    unit.normalise();
}

void TFormHlav::ShowImage()
{
    showFields(FieldSet().set());
    showIdentity();
}

void TFormHlav::CommitEdit(std::optional<ParamField> field)
{
    // One committed step: the field's own input alone, or with whatever input
    // other controls hold (text typed before a spinner of another field was
    // clicked, a tick changed from the keyboard), as the controls are read
    // together. The document normalises; its report shows the changes, and
    // the session's "Programming after change" check follows.
    FieldSet pending = pendingInput();
    const FieldValues typed = typedValues();
    if (field)
        pending.set(static_cast<std::size_t>(fieldIndex(*field)));
    FieldSet others = pending;
    if (field)
        others.reset(static_cast<std::size_t>(fieldIndex(*field)));
    if (field && others.none())
        unit.document().setField(*field, typed[static_cast<std::size_t>(fieldIndex(*field))]);
    else
        unit.document().captureControls(typed, SetDocument::Commit::Yes);
    // What was taken shows as taken: grouped, bounded, or back to the value
    // kept when the text was no number in range.
    showFields(pending);
}

void TFormHlav::MenuNewClick()
{
    // No question: the defaults replace the shown set at once. The unit's
    // reserved bytes and the remembered file name stay.
    unit.document().newSet();
    unit.status().hideStatus();
}

void TFormHlav::EditExit(QObject *sender)
{
    CommitEdit(fieldOf(sender));
}

void TFormHlav::UpDownClick(UpDown *sender, UpDown::Button)
{
    CommitEdit(fieldOf(sender));
}

void TFormHlav::CheckBoxProgHnedMouseUp(QObject *sender)
{
    // The two flags commit their own field; "Programming after change" none.
    CommitEdit(fieldOf(sender));
}

void TFormHlav::CheckBoxProgHnedClick()
{
    // Red while every edit goes straight into the unit. A check box fills its
    // background in its own role (the button face), and only with auto fill
    // on; unticked it shows the button face it stands on.
    QCheckBox *box = ui->CheckBoxProgHned;
    const bool ticked = unit.document().programAfterChange();
    QPalette pal = box->palette();
    pal.setColor(box->backgroundRole(), ticked ? QColor(255, 0, 0) : palette().color(QPalette::Button));
    box->setPalette(pal);
    box->setAutoFillBackground(ticked);
}

void TFormHlav::MenuUndoClick()
{
    unit.document().undo();
}

void TFormHlav::MenuRedoClick()
{
    unit.document().redo();
}

void TFormHlav::shareUndoKeys(QWidget *window)
{
    // Undo and Redo answer their keys in the windows that show the set too,
    // not only in this one, whose menu holds them.
    window->addActions({ui->MenuUndo, ui->MenuRedo});
}

void TFormHlav::bindDocument()
{
    SetDocument &document = unit.document();
    connect(&document, &SetDocument::changed, this, guarded([this](const SetChange &c) { showChange(c); }));
    connect(&document, &SetDocument::undoRedoChanged, this, [this](bool canUndo, bool canRedo) {
        ui->MenuUndo->setEnabled(canUndo);
        ui->MenuRedo->setEnabled(canRedo);
    });
    // The two editor flags are the document's; their boxes set them.
    connect(ui->CheckBoxIgnAll, &QCheckBox::toggled, this,
            guarded([this](bool on) { unit.document().setAll(on); }));
    connect(ui->CheckBoxProgHned, &QCheckBox::toggled, this,
            guarded([this](bool on) { unit.document().setProgramAfterChange(on); }));
    // The engine's own points of showing the set: the identity with it.
    connect(&unit, &UnitSession::imageShown, this, [this] { showIdentity(); });
}

bool TFormHlav::leavesUndoKeyToWindow(QLineEdit *edit, const QKeyEvent *key) const
{
    const QKeySequence pressed(key->keyCombination());
    const auto isKey = [&pressed](const QAction *action) { return action->shortcuts().contains(pressed); };
    // With typing not yet committed the edit takes its own undo; a field
    // whose text is as the window last wrote it (after Tab, say) has nothing
    // of its own to take back, and the key means the set's last step.
    return (isKey(ui->MenuUndo) && !edit->isUndoAvailable()) || (isKey(ui->MenuRedo) && !edit->isRedoAvailable());
}
