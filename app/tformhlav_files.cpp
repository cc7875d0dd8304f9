// Parameter files: the Save and Open commands with their dialogs and messages.
#include "app/tformhlav.h"

#include "params/parameterfile.h"
#include "ui_tformhlav.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
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

void TFormHlav::rememberParameterFile(const QString &path)
{
    setLabelText(ui->LabelFile2, path);
    lastParameterFile = path;
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
    // The file holds the normalised set that the screen then shows. Nothing
    // is shown before the file is saved: a save that fails leaves the image
    // and the screen as they were.
    const ParameterImage before = unit.image();
    CaptureControls();
    NormaliseImage();
    // Written beside the old file and moved over it only when complete, so a
    // full disk or a pulled stick never costs the technician the file they had.
    QString reason;
    if (!saveParameterFile(path, unit.image(), &reason)) {
        unit.image() = before;
        showFileError(path, reason);
        return;
    }
    ShowImage();
    rememberParameterFile(path);
    setDialogFileNames(path, saveDialogFile);
}

void TFormHlav::MenuOpenClick()
{
    const QString path = chooseFile(OpenDialog1().get());
    if (!path.isEmpty()) {
        QString reason;
        switch (openParameterFile(path, unit.image(), &reason)) {
        case OpenResult::Opened:
            NormaliseImage();
            ShowImage();
            rememberParameterFile(path);
            setDialogFileNames(openDialogFile, path);
            break;
        case OpenResult::CannotOpen:
            showFileError(path, reason);
            break;
        case OpenResult::WrongVersion:
            // The image and the screen stay as they were.
            if (const std::optional<QString> text = unit.language().ignFileVersionMessage()) {
                QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), *text,
                                QMessageBox::Ok, this);
                box.setObjectName(QStringLiteral("IgnVersionBox"));
                box.exec();
            }
            break;
        }
    }
    unit.hideStatus();
}
