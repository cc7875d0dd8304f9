// Parameter files: the Save and Open commands with their dialogs and messages.
#include "app/tformhlav.h"

#include "params/parameterfile.h"
#include "ui_tformhlav.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

const QString kIgnFilter = QStringLiteral("Ignition Parametrs(*.ign)");

} // namespace

QString TFormHlav::chooseFile(QFileDialog *dialog)
{
    if (fileChooser)
        return fileChooser(dialog);
    if (dialog->exec() != QDialog::Accepted)
        return {};
    return dialog->selectedFiles().value(0);
}

void TFormHlav::showFileError(const QString &path, const QString &reason)
{
    // The same English text in every language; the file and the system's
    // reason go beside it, since that is what the technician can act on.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QStringLiteral("Open file error"), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("OpenFileErrorBox"));
    box.setInformativeText(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
    box.exec();
}

void TFormHlav::MenuSaveClick()
{
    const QString path = [this] {
        const std::unique_ptr<QFileDialog> dialog = SaveDialog1();
        dialog->selectNameFilter(kIgnFilter);
        return chooseFile(dialog.get());
    }();
    if (path.isEmpty())
        return;
    // The file holds the normalised set, with the input the controls hold,
    // that the screen then shows. Written beside the old file and moved over
    // it only when complete, so a full disk or a pulled stick never costs the
    // technician the file they had; a save that fails leaves the set and the
    // screen as they were.
    const FieldSet pending = pendingInput();
    const FieldValues typed = typedValues();
    QString reason;
    if (!unit.document().save(path, &reason, &typed)) {
        showFileError(path, reason);
        return;
    }
    showFields(pending);
    setDialogFileNames(path, saveDialogFile);
    noteRecentFile(path);
}

void TFormHlav::showIgnVersionBox()
{
    if (const std::optional<QString> text = unit.language().ignFileVersionMessage()) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), *text, QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("IgnVersionBox"));
        box.exec();
    }
}

void TFormHlav::MenuOpenClick()
{
    const QString path = chooseFile(OpenDialog1().get());
    if (!path.isEmpty())
        openIgnFile(path);
    unit.status().hideStatus();
}

bool TFormHlav::openIgnFile(const QString &path)
{
    QString reason;
    switch (unit.document().open(path, &reason)) {
    case OpenResult::Opened:
        setDialogFileNames(openDialogFile, path);
        noteRecentFile(path);
        return true;
    case OpenResult::CannotOpen:
        showFileError(path, reason);
        break;
    case OpenResult::WrongVersion:
        // The set and the screen stay as they were.
        showIgnVersionBox();
        break;
    }
    return false;
}
