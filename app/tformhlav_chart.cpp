// The curve chart and the recording of live data: Tools -> Curve chart (F6),
// Record live data..., Open recording... The chart and the recorder are views
// of the session of their own; the window makes them and says how they go.
#include "app/tformhlav.h"

#include "app/chartwindow.h"
#include "app/handlerguard.h"
#include "i18n/extracaptions.h"
#include "session/liverecorder.h"
#include "session/recordingreader.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"
#include "ui_tformhlav.h"

#include <QAction>
#include <QApplication>
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
}

ChartWindow *TFormHlav::ensureChartWindow()
{
    if (chartWindow)
        return chartWindow;
    chartWindow = new ChartWindow(this);
    chartWindow->setTexts(chartTexts(unit.language()));
    restoreWindowPlace(chartWindow, kChartSection);
    chartWindow->follow(unit);
    // A drag on the chart is a step of the set like any edit.
    shareUndoKeys(chartWindow);
    showComparisonOnChart();
    return chartWindow;
}

void TFormHlav::MenuCurveChartClick()
{
    ChartWindow *window = ensureChartWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

void TFormHlav::saveChartPlace()
{
    if (chartWindow)
        saveWindowPlace(chartWindow, kChartSection);
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
    if (!recorder) {
        // The recorder follows the session itself; the window only says how it goes.
        recorder = std::make_unique<LiveRecorder>();
        recorder->follow(unit);
        connect(recorder.get(), &LiveRecorder::rowRecorded, this, &TFormHlav::showRecordedRows);
        connect(recorder.get(), &LiveRecorder::failed, this, guarded([this] { recordingFailed(); }));
    }
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
    ui->StatusBar1->showMessage(extraText(chartTexts(unit.language()).recordingRows).arg(0));
}

void TFormHlav::showRecordedRows(qint64 rows)
{
    ui->StatusBar1->showMessage(extraText(chartTexts(unit.language()).recordingRows).arg(rows));
}

void TFormHlav::recordingFailed()
{
    ui->MenuRecord->setChecked(false);
    showRecordingError();
}

void TFormHlav::stopRecording()
{
    ui->MenuRecord->setChecked(false);
    if (!recorder || !recorder->isRecording())
        return;
    const bool written = recorder->stop();
    ui->StatusBar1->showMessage(extraText(chartTexts(unit.language()).recordingStopped));
    if (!written)
        showRecordingError();
}

void TFormHlav::showRecordingError()
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    extraText(chartTexts(unit.language()).recordingStopped), QMessageBox::Ok, this);
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
