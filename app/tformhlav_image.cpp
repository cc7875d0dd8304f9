// The parameter image between the window's controls and its byte form.
#include "app/tformhlav.h"

#include "app/chartwindow.h"
#include "ui_tformhlav.h"
#include "widgets/tcgauge.h"

#include <QCheckBox>
#include <QLabel>

void TFormHlav::ApplyDefaults()
{
    unit.image().applyDefaults();
}

void TFormHlav::CaptureControls()
{
    // Each spinner takes its edit's text first, so typed numbers enter here.
    ParameterImage &image = unit.image();
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        image.rpmAdv(k) = static_cast<std::uint8_t>(RpmSpinners[k]->position() / 100);
        image.advance(k) = static_cast<std::uint8_t>(AdvanceSpinners[k]->position());
    }
    image[ParameterImage::kTop14] = static_cast<std::uint8_t>(ui->UpDownPalec13->position());
    image[ParameterImage::kTop23] = static_cast<std::uint8_t>(ui->UpDownPalec24->position());
    image[ParameterImage::kBaseAdv] = static_cast<std::uint8_t>(ui->UpDownBaseAdv->position());
    image[ParameterImage::kLimiter] = static_cast<std::uint8_t>(ui->UpDownOmez2->position() / 100);
    image[ParameterImage::kRpm2] = ui->CheckBoxRpm2Krat->isChecked() ? 1 : 0;
    image[ParameterImage::kBlokEnable] = ui->CheckBoxBlokEnable->isChecked() ? 1 : 0;
}

void TFormHlav::NormaliseImage()
{
    unit.normalise();
}

void TFormHlav::ShowImage()
{
    // A spinner keeps its position within its range, so a byte outside it is
    // shown at the nearest end; the image keeps the byte until the next capture.
    const ParameterImage &image = unit.image();
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        RpmSpinners[k]->setPosition(image.rpmAdv(k) * 100);
        AdvanceSpinners[k]->setPosition(image.advance(k));
    }
    const IdentityTexts &identity = unit.identityTexts();
    setLabelText(ui->LabelVerze1, identity.versionText);
    setLabelText(ui->LabelVerze2, identity.dateText);
    setLabelText(ui->LabelVerze3, identity.timeText);
    ui->UpDownPalec13->setPosition(image[ParameterImage::kTop14]);
    ui->UpDownPalec24->setPosition(image[ParameterImage::kTop23]);
    ui->UpDownBaseAdv->setPosition(image[ParameterImage::kBaseAdv]);
    ui->UpDownOmez2->setPosition(image[ParameterImage::kLimiter] * 100);
    ui->CheckBoxRpm2Krat->setChecked(image[ParameterImage::kRpm2] != 0);
    ui->CheckBoxBlokEnable->setChecked(image[ParameterImage::kBlokEnable] != 0);
    if (chartWindow)
        chartWindow->chart()->setImage(image);
}

void TFormHlav::CommitEdit()
{
    NormaliseImage();
    ShowImage();
    unit.programAfterChange(ui->CheckBoxProgHned->isChecked());
}

void TFormHlav::MenuNewClick()
{
    // No question: the defaults replace the shown set at once. The unit's
    // reserved bytes and the remembered file name stay.
    ApplyDefaults();
    ShowImage();
    unit.hideStatus();
    setLabelText(ui->LabelFile2, QString());
}

void TFormHlav::EditExit(QObject *)
{
    CaptureControls();
    CommitEdit();
}

void TFormHlav::UpDownClick(UpDown *, UpDown::Button)
{
    CaptureControls();
    CommitEdit();
}

void TFormHlav::CheckBoxProgHnedMouseUp(QObject *)
{
    CaptureControls();
    CommitEdit();
}

void TFormHlav::CheckBoxProgHnedClick()
{
    // Red while every edit goes straight into the unit. A check box fills its
    // background in its own role (the button face), and only with auto fill
    // on; unticked it shows the button face it stands on.
    QCheckBox *box = ui->CheckBoxProgHned;
    const bool ticked = box->isChecked();
    QPalette pal = box->palette();
    pal.setColor(box->backgroundRole(), ticked ? QColor(255, 0, 0) : palette().color(QPalette::Button));
    box->setPalette(pal);
    box->setAutoFillBackground(ticked);
}
