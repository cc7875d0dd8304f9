// The window's side of the link to the unit: the serial port, the 55 ms tick,
// the transfer commands, the live read-outs and the language of the reports.
#include "app/tformhlav.h"

#include "i18n/language.h"
#include "link/portnames.h"
#include "link/receivepoll.h"
#include "link/serialtransport.h"
#include "link/telemetry.h"
#include "settings/settingspaths.h"
#include "ui_tformhlav.h"
#include "widgets/tcgauge.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>

namespace {

QColor shadeColour(Shade shade, const QPalette &palette)
{
    switch (shade) {
    case Shade::ButtonFace:
        return palette.color(QPalette::Button);
    case Shade::Red:
        return QColor(255, 0, 0);
    case Shade::Yellow:
        return QColor(255, 255, 0);
    case Shade::Aqua:
        return QColor(0, 255, 255);
    case Shade::Lime:
        return QColor(0, 255, 0);
    }
    return palette.color(QPalette::Button);
}

} // namespace

void TFormHlav::setTransport(std::unique_ptr<Transport> transport)
{
    if (port)
        port->close();
    port = std::move(transport);
}

// ---- The serial port

void TFormHlav::openPort()
{
    const QString device = portDeviceName(portNumber, settingspaths::settingsFile());
    if (device.isEmpty())
        return; // a port number outside 1..10 opens nothing and says nothing
    QString reason;
    if (port->open(device, &reason))
        return;
    // The text stays the same in every language; the system's reason (no such
    // device, permission denied) goes beside it, since the technician needs it.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QStringLiteral("Com opening error"), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ComOpeningErrorBox"));
    box.setInformativeText(QStringLiteral("%1: %2").arg(device, reason));
    box.exec();
}

void TFormHlav::closePort()
{
    port->close();
}

std::array<QAction *, 10> TFormHlav::comItems() const
{
    return {ui->MenuCom1, ui->MenuCom2, ui->MenuCom3, ui->MenuCom4, ui->MenuCom5,
            ui->MenuCom6, ui->MenuCom7, ui->MenuCom8, ui->MenuCom9, ui->MenuCom10};
}

void TFormHlav::checkComItem()
{
    // Exactly the item of portNumber carries the mark; none for a port outside 1..10.
    const auto items = comItems();
    for (int n = 1; n <= 10; ++n)
        items[n - 1]->setChecked(n == portNumber);
}

void TFormHlav::MenuCom1Click()
{
    const auto items = comItems();
    const auto *clicked = qobject_cast<QAction *>(sender());
    for (int n = 1; n <= 10; ++n) {
        if (items[n - 1] == clicked)
            portNumber = static_cast<std::uint8_t>(n);
    }
    checkComItem();
    // Also for the item already checked: a re-open is how a technician
    // recovers a port after replugging the adapter.
    closePort();
    openPort();
}

std::optional<Frame> TFormHlav::pollReceive()
{
    return ::pollReceive(*port);
}

void TFormHlav::sendFrame(const Frame &frame)
{
    port->send(frameToBytes(frame));
}

// ---- The tick and the transfer commands

void TFormHlav::Timer1Timer()
{
    engine.tick();
}

void TFormHlav::MenuProgramClick()
{
    CaptureControls();
    NormaliseImage();
    ShowImage();
    engine.startProgram();
}

void TFormHlav::MenuVerifyClick()
{
    CaptureControls();
    NormaliseImage();
    ShowImage();
    engine.startVerify();
}

void TFormHlav::MenuReadClick()
{
    engine.startRead();
}

// ---- What the engine shows

void TFormHlav::setStatusCaption(const QString &caption)
{
    setLabelText(ui->LabelHlaseni, caption);
}

void TFormHlav::setStatusRed(bool red)
{
    setBackground(ui->LabelHlaseni, red ? QColor(255, 0, 0) : palette().color(QPalette::Button));
}

void TFormHlav::setStatusVisible(bool visible)
{
    ui->LabelHlaseni->setVisible(visible);
}

int TFormHlav::gaugeMax() const
{
    return ui->CGaugeProgram->maxValue();
}

void TFormHlav::setGaugeMax(int max)
{
    ui->CGaugeProgram->setMaxValue(max);
}

int TFormHlav::gaugeProgress() const
{
    return ui->CGaugeProgram->progress();
}

void TFormHlav::setGaugeProgress(int progress)
{
    ui->CGaugeProgram->setProgress(progress);
}

void TFormHlav::setGaugeVisible(bool visible)
{
    ui->CGaugeProgram->setVisible(visible);
}

void TFormHlav::clearFileLabel()
{
    setLabelText(ui->LabelFile2, QString());
}

void TFormHlav::setConnectionVisible(bool visible)
{
    ui->LabelSpojeni->setVisible(visible);
}

void TFormHlav::hideVersionLabel()
{
    ui->LabelVersion->hide();
}

void TFormHlav::showVersionMismatch(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("VersionMismatchBox"));
    box.exec();
}

void TFormHlav::identityReceived(const IdentityTexts &texts)
{
    versionText = texts.versionText;
    dateText = texts.dateText;
    timeText = texts.timeText;
}

void TFormHlav::liveDataReceived(const LiveData &live)
{
    liveRpm = live.rpm;
    const LiveDisplay shown = formatLiveData(live, parameterImage[ParameterImage::kLimiter],
                                             messages.text(Msg::MsgVersionMismatch));
    const QPalette &pal = palette();
    setLabelText(ui->LabelRpm, shown.rpmText);
    setBackground(ui->LabelRpm, shadeColour(shown.rpmShade, pal));
    ui->CGaugeRpm->setProgress(shown.rpmGaugeProgress);

    // The colour band goes first, then the text.
    setBackground(ui->LabelNapeti, shadeColour(shown.voltageShade, pal));
    setLabelText(ui->LabelNapeti, shown.voltageText);

    // Blocking and the two switches matter only on a unit that may block.
    const bool blockingShown = ui->CheckBoxBlokEnable->isChecked();
    const struct
    {
        QLabel *label;
        const QString &text;
        Shade shade;
    } switches[] = {{ui->LabelBlocking, shown.blockingText, shown.blockingShade},
                    {ui->LabelNeutral, shown.neutralText, shown.neutralShade},
                    {ui->LabelSideStand, shown.sideStandText, shown.sideStandShade}};
    for (const auto &s : switches) {
        s.label->setVisible(blockingShown);
        setLabelText(s.label, s.text);
        setBackground(s.label, shadeColour(s.shade, pal));
    }

    setLabelText(ui->LabelAdvance, shown.advanceText);
    if (shown.versionMismatch) {
        setLabelText(ui->LabelVersion, shown.versionText);
        ui->LabelVersion->show();
    } else {
        ui->LabelVersion->hide();
    }
    ui->LabelEeDataErr->setVisible(shown.dataError);
    setLabelText(ui->LabelPocetProgramovani, shown.programmingCountText);
    const std::array<QLabel *, 8> tests{ui->LabelTest1, ui->LabelTest2, ui->LabelTest3,
                                        ui->LabelTest4, ui->LabelTest5, ui->LabelTest6,
                                        ui->LabelTest7, ui->LabelTest8};
    for (std::size_t i = 0; i < tests.size(); ++i)
        setLabelText(tests[i], shown.testTexts[i]);
}

// ---- Language

void TFormHlav::applyLanguage()
{
    switch (language::index()) {
    case language::kEnglish:
        MenuEnglishClick();
        break;
    case language::kGerman:
        MenuGermanClick();
        break;
    case language::kCzech:
        MenuCzechClick();
        break;
    default:
        break; // index 2 applies no set: design texts, an empty message table
    }
}

void TFormHlav::selectLanguage(std::uint8_t index)
{
    ui->MenuEnglish->setChecked(index == language::kEnglish);
    ui->MenuCzech->setChecked(index == language::kCzech);
    ui->MenuGerman->setChecked(index == language::kGerman);
    language::setIndex(index);
    messages.fill(index);
}

void TFormHlav::MenuEnglishClick()
{
    selectLanguage(language::kEnglish);
}

void TFormHlav::MenuCzechClick()
{
    selectLanguage(language::kCzech);
}

void TFormHlav::MenuGermanClick()
{
    selectLanguage(language::kGerman);
}
