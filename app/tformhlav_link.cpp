// The window's side of the link to the unit: the Com menu, the 55 ms tick,
// the transfer commands, and what the session reports, shown on the controls.
#include "app/tformhlav.h"

#include "i18n/extracaptions.h"
#include "link/portopenproblem.h"
#include "link/telemetry.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"
#include "ui_tformhlav.h"
#include "widgets/devicechooser.h"
#include "widgets/tcgauge.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

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

void TFormHlav::bindSession()
{
    // Direct connections: the session reports from inside the tick or a
    // command, and the window shows it before the next step runs.
    // The status label, the progress gauge and "No Connection" show what the
    // presenter makes of the engine's reports.
    const StatusPresenter *status = &unit.status();
    connect(status, &StatusPresenter::statusChanged, this, &TFormHlav::showStatus);
    connect(status, &StatusPresenter::connectionShown, this,
            [this](bool shown) { ui->LabelSpojeni->setVisible(shown); });
    connect(status, &StatusPresenter::liveVersionStale, this, [this] { ui->LabelVersion->hide(); });
    connect(&unit, &UnitSession::versionMismatch, this,
            [this](const QString &text, int) { showVersionMismatch(text); });
    connect(&unit, &UnitSession::liveDataReceived, this, &TFormHlav::showLiveData);
    connect(&unit, &UnitSession::portLost, this, &TFormHlav::showPortLost);
    connect(&unit, &UnitSession::portRestored, this, &TFormHlav::showPortRestored);
    connect(&unit, &UnitSession::ticked, this, [this] { highlightCurveRow(); });
    connect(&unit, &UnitSession::connectionChanged, this, [this](bool connected) {
        if (connected)
            unitAnswered = true;
    });
}

// ---- The serial port

void TFormHlav::openPort()
{
    if (unit.openPort() == UnitSession::OpenResult::Failed)
        showComOpeningError();
}

void TFormHlav::showComOpeningError()
{
    // The text stays the same in every language; the system's reason (no such
    // device, permission denied) goes beside it, since the technician needs it,
    // and what to do about it follows in the window's language.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QStringLiteral("Com opening error"), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ComOpeningErrorBox"));
    box.setInformativeText(comOpeningDetails(unit.lastOpenDevice(), unit.lastOpenError(), unit.language()));
    box.exec();
}

namespace {

// A device that is there but kept closed (by the user's rights, or by another
// program holding it) is the right device: the box says what to do about it.
bool thereButClosed(const QString &device, const QString &reason)
{
    const PortOpenProblem problem = portOpenProblem(device, reason);
    return problem == PortOpenProblem::NoAccess || problem == PortOpenProblem::InUse;
}

} // namespace

QString TFormHlav::comOpeningDetails(const QString &device, const QString &reason, Language language)
{
    // The port refuses a user outside the device's group and a device that
    // another program holds with the same kind of reason ("Permission denied",
    // "Permission error while locking the device"); the device's own rights
    // tell them apart. Any other reason means nothing answers at that name.
    const PortAdviceTexts &advice = portAdviceTexts(language);
    QString what;
    switch (portOpenProblem(device, reason)) {
    case PortOpenProblem::InUse:
        what = extraText(advice.inUse);
        break;
    case PortOpenProblem::NoAccess:
        what = extraText(advice.noRight);
        break;
    case PortOpenProblem::Missing:
    case PortOpenProblem::Other:
        what = extraText(advice.notThere).arg(chooseDeviceMenuPath(language));
        break;
    }
    return QStringLiteral("%1: %2\n\n%3").arg(device, reason, what);
}

void TFormHlav::closePort()
{
    unit.closePort();
}

std::array<QAction *, 10> TFormHlav::comItems() const
{
    return {ui->MenuCom1, ui->MenuCom2, ui->MenuCom3, ui->MenuCom4, ui->MenuCom5,
            ui->MenuCom6, ui->MenuCom7, ui->MenuCom8, ui->MenuCom9, ui->MenuCom10};
}

std::array<QLabel *, 8> TFormHlav::testLabels() const
{
    return {ui->LabelTest1, ui->LabelTest2, ui->LabelTest3, ui->LabelTest4,
            ui->LabelTest5, ui->LabelTest6, ui->LabelTest7, ui->LabelTest8};
}

void TFormHlav::checkComItem()
{
    // Exactly the item of the port number carries the mark; none for a port outside 1..10.
    const auto items = comItems();
    for (int n = 1; n <= 10; ++n)
        items[n - 1]->setChecked(n == unit.portNumber());
}

void TFormHlav::MenuCom1Click()
{
    const auto items = comItems();
    const auto *clicked = qobject_cast<QAction *>(sender());
    for (int n = 1; n <= 10; ++n) {
        if (items[n - 1] == clicked)
            unit.setPortNumber(static_cast<std::uint8_t>(n));
    }
    checkComItem();
    // Also for the item already checked: a re-open is how a technician
    // recovers a port after replugging the adapter.
    closePort();
    openPort();
}

void TFormHlav::MenuChooseDeviceClick()
{
    DeviceChooser dialog(deviceLister, settingspaths::settingsFile(), unit.portNumber(), unit.language(),
                         this);
    const bool accepted = deviceChooserRunner ? deviceChooserRunner(dialog) : dialog.exec() == QDialog::Accepted;
    // A listed device comes as its stable by-id name where it has one: that
    // survives the adapter moving to another USB socket or being enumerated
    // in another order.
    if (accepted && !dialog.chosenPath().isEmpty())
        mapPort(dialog.chosenCom(), dialog.chosenPath());
}

bool TFormHlav::mapPort(int comNumber, const QString &device)
{
    // The device is tried before it is kept: a name nothing answers at (a
    // typing error, an adapter not plugged in) would otherwise be refused at
    // every start. A device only the user's rights or another program keep
    // closed is kept all the same, since the box says what to do, and then it
    // opens.
    closePort();
    const bool opened = unit.openPortOn(device) == UnitSession::OpenResult::Opened;
    if (!opened && !thereButClosed(device, unit.lastOpenError())) {
        showComOpeningError();
        unit.openPort();
        return false;
    }
    // Written at once rather than at close: the mapping is the user's own
    // section, and start-up opens the port through it.
    QString reason;
    if (!writePortMapping(settingspaths::settingsFile(), comNumber, device, &reason)) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), reason, QMessageBox::Ok,
                        this);
        box.setObjectName(QStringLiteral("PortMappingErrorBox"));
        box.exec();
        // Nothing kept: COM n stands for what it stood for, and that is open again.
        closePort();
        unit.openPort();
        return false;
    }
    unit.setPortNumber(static_cast<std::uint8_t>(comNumber));
    checkComItem();
    if (!opened)
        showComOpeningError();
    return true;
}

void TFormHlav::showPortLost(const QString &device, const QString &reason)
{
    ui->StatusBar1->showMessage(
        QStringLiteral("COM%1 (%2) lost: %3. Waiting for it to come back...")
            .arg(unit.portNumber())
            .arg(device, reason));
}

void TFormHlav::showPortRestored(const QString &device)
{
    ui->StatusBar1->showMessage(QStringLiteral("COM%1 (%2) is back.").arg(unit.portNumber()).arg(device));
}

// ---- The tick and the transfer commands

void TFormHlav::Timer1Timer()
{
    unit.tick();
    if (ticksSinceStart < kFirstRunHintTicks && ++ticksSinceStart == kFirstRunHintTicks)
        showFirstRunHint();
}

void TFormHlav::showFirstRunHint()
{
    // A first run, most likely: nothing mapped, and nothing answers on the
    // port start-up opened. Said once; the menus' hints take the bar after it.
    if (unitAnswered || readPortsSection(settingspaths::settingsFile()).anyKey)
        return;
    const Language language = unit.language();
    ui->StatusBar1->showMessage(extraText(portAdviceTexts(language).firstRun)
                                    .arg(unit.portNumber())
                                    .arg(chooseDeviceMenuPath(language)));
}

void TFormHlav::MenuProgramClick()
{
    // The capture's report shows what it took and bounded.
    CaptureControls();
    NormaliseImage();
    unit.startProgram();
}

void TFormHlav::MenuVerifyClick()
{
    CaptureControls();
    NormaliseImage();
    unit.startVerify();
}

void TFormHlav::MenuReadClick()
{
    unit.startRead();
}

// ---- What the session reports

void TFormHlav::showStatus(const StatusReport &status)
{
    setLabelText(ui->LabelHlaseni, status.caption);
    setBackground(ui->LabelHlaseni, status.red ? QColor(255, 0, 0) : palette().color(QPalette::Button));
    ui->LabelHlaseni->setVisible(status.visible);
    // The maximum first, so the gauge never clamps the new progress to the old maximum.
    if (ui->CGaugeProgram->maxValue() != status.gaugeMax)
        ui->CGaugeProgram->setMaxValue(status.gaugeMax);
    ui->CGaugeProgram->setProgress(status.gaugeProgress);
    ui->CGaugeProgram->setVisible(status.gaugeVisible);
}

void TFormHlav::showVersionMismatch(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("VersionMismatchBox"));
    box.exec();
}

void TFormHlav::showLiveData(const LiveData &live)
{
    const LiveDisplay shown = formatLiveData(live, unit.image()[ParameterImage::kLimiter],
                                             unit.language().text(Msg::MsgVersionMismatch));
    const QPalette &pal = palette();
    setLabelText(ui->LabelRpm, shown.rpmText);
    setBackground(ui->LabelRpm, shadeColour(shown.rpmShade, pal));
    ui->CGaugeRpm->setProgress(shown.rpmGaugeProgress);

    // The colour band goes first, then the text.
    setBackground(ui->LabelNapeti, shadeColour(shown.voltageShade, pal));
    setLabelText(ui->LabelNapeti, shown.voltageText);

    // Blocking and the two switches matter only on a unit that may block.
    const bool blockingShown = unit.image()[ParameterImage::kBlokEnable] != 0;
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
    const auto tests = testLabels();
    for (std::size_t i = 0; i < tests.size(); ++i)
        setLabelText(tests[i], shown.testTexts[i]);
}
