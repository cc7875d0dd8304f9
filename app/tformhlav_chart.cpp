// The curve chart and the recording of live data: Tools -> Curve chart (F6),
// Record live data..., Open recording... The chart is one more view of the
// session; an edit made on it takes the edits' own path.
#include "app/tformhlav.h"

#include "app/chartwindow.h"
#include "app/handlerguard.h"
#include "i18n/extracaptions.h"
#include "session/liverecorder.h"
#include "session/recordingreader.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"
#include "ui_tformhlav.h"
#include "widgets/screenplace.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>

#include <cstdio>

namespace {

constexpr char kChartSection[] = "CHART";

} // namespace

void TFormHlav::bindChart()
{
    connect(ui->MenuCurveChart, &QAction::triggered, this, guarded([this] { MenuCurveChartClick(); }));
    connect(ui->MenuRecord, &QAction::triggered, this, guarded([this] { MenuRecordClick(); }));
    connect(ui->MenuOpenRecording, &QAction::triggered, this, guarded([this] { MenuOpenRecordingClick(); }));
    connect(&unit, &UnitSession::liveDataReceived, this, [this](const LiveData &live) {
        if (chartWindow)
            chartWindow->chart()->setLivePoint(live.rpm, live.advance);
        if (recorder && recorder->isRecording())
            recordRow(live);
    });
    connect(&unit, &UnitSession::connectionChanged, this, [this](bool connected) {
        if (!connected && chartWindow)
            chartWindow->chart()->clearLive();
    });
    connect(&unit, &UnitSession::ticked, this, [this] {
        if (!chartWindow)
            return;
        const CurveHighlight &h = unit.curveHighlight();
        chartWindow->chart()->setHighlightedRow(h.noRowHighlighted ? std::nullopt
                                                                   : std::optional<int>(h.highlightedRow));
    });
}

ChartWindow *TFormHlav::ensureChartWindow()
{
    if (chartWindow)
        return chartWindow;
    chartWindow = new ChartWindow(this);
    chartWindow->setTexts(chartTexts(unit.language().index()));
    const QRect stored = readWindowPlace(settingspaths::settingsFile(), kChartSection, QRect());
    // A place left on a monitor unplugged since would hide the window. The
    // place kept is the inner one: the frame and title bar lie around it.
    if (stored.width() > 0 && stored.height() > 0 && screenplace::onAnyScreen(stored)) {
        const QMargins frame(screenplace::kFrameWidth / 2, screenplace::kTitleBarHeight, screenplace::kFrameWidth / 2,
                             screenplace::kFrameWidth / 2);
        const QRect outer = screenplace::withTitleBarOnScreen(stored + frame);
        chartWindow->setGeometry(outer - frame);
    }
    chartWindow->chart()->setImage(unit.image());
    connect(chartWindow->chart(), &CurveChart::pointDragged, this,
            guarded([this](const ParameterImage &edited) { chartEdited(edited); }));
    return chartWindow;
}

void TFormHlav::MenuCurveChartClick()
{
    ChartWindow *window = ensureChartWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

void TFormHlav::chartEdited(const ParameterImage &edited)
{
    // Only the curve comes from the chart; the rest of the set stays the session's.
    ParameterImage &image = unit.image();
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        image.rpmAdv(k) = edited.rpmAdv(k);
        image.advance(k) = edited.advance(k);
    }
    // Into the controls, then through the edits' path: capture, normalise,
    // show and the programming-after-change check.
    ShowImage();
    CaptureControls();
    CommitEdit();
}

void TFormHlav::saveChartPlace()
{
    if (!chartWindow)
        return;
    QString reason;
    if (!writeWindowPlace(settingspaths::settingsFile(), kChartSection, chartWindow->geometry(), &reason))
        std::fprintf(stderr, "Torvo_TCI: chart place not saved: %s\n", qPrintable(reason));
}

// ---- Recording

QString TFormHlav::chooseCsv(bool forSaving)
{
    QFileDialog dialog(this);
    dialog.setObjectName(forSaving ? QStringLiteral("RecordDialog") : QStringLiteral("OpenRecordingDialog"));
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilters({QStringLiteral("CSV (*.csv)"), QStringLiteral("All Files (*.*)")});
    // Appending to a recording is how it is meant to be used: no overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    return chooseFile(&dialog);
}

void TFormHlav::MenuRecordClick()
{
    if (!recorder)
        recorder = std::make_unique<LiveRecorder>();
    if (recorder->isRecording()) {
        stopRecording();
        return;
    }
    const QString path = chooseCsv(true);
    if (path.isEmpty() || !recorder->start(path)) {
        ui->MenuRecord->setChecked(false);
        if (!path.isEmpty())
            showRecordingError();
        return;
    }
    ui->MenuRecord->setChecked(true);
    ui->StatusBar1->showMessage(extraText(chartTexts(unit.language().index()).recordingRows).arg(0));
}

void TFormHlav::recordRow(const LiveData &live)
{
    if (!recorder->append(QDateTime::currentDateTime(), live)) {
        ui->MenuRecord->setChecked(false);
        showRecordingError();
        return;
    }
    ui->StatusBar1->showMessage(extraText(chartTexts(unit.language().index()).recordingRows).arg(recorder->rows()));
}

void TFormHlav::stopRecording()
{
    ui->MenuRecord->setChecked(false);
    if (!recorder || !recorder->isRecording())
        return;
    const bool written = recorder->stop();
    ui->StatusBar1->showMessage(extraText(chartTexts(unit.language().index()).recordingStopped));
    if (!written)
        showRecordingError();
}

void TFormHlav::showRecordingError()
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    extraText(chartTexts(unit.language().index()).recordingStopped), QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("RecordingErrorBox"));
    box.setInformativeText(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(recorder->fileName()),
                                                       recorder->error()));
    box.exec();
}

void TFormHlav::MenuOpenRecordingClick()
{
    const QString path = chooseCsv(false);
    if (path.isEmpty())
        return;
    const Recording recording = readRecording(path);
    if (recording.error != RecordingError::None) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                        QStringLiteral("Open file error"), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("RecordingOpenErrorBox"));
        box.setInformativeText(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                           describeRecordingError(recording)));
        box.exec();
        return;
    }
    // The legend names the ride by its file, beside the live unit.
    ensureChartWindow()->play(recording, QFileInfo(path).fileName());
    MenuCurveChartClick();
}
