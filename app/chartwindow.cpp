#include "app/chartwindow.h"

#include "app/handlerguard.h"
#include "i18n/extracaptions.h"
#include "session/unitsession.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// A playback frame: the time text moves in tenths, the dot at each sample.
constexpr int kReplayFrameMs = 40;

} // namespace

ChartWindow::ChartWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ChartWindow"));
    curve = new CurveChart(this);
    curve->setObjectName(QStringLiteral("CurveChart"));
    png = new QPushButton(this);
    png->setObjectName(QStringLiteral("ExportPng"));
    svg = new QPushButton(this);
    svg->setObjectName(QStringLiteral("ExportSvg"));
    playbackBar = new QWidget(this);
    playbackBar->setObjectName(QStringLiteral("PlaybackBar"));
    playButton = new QPushButton(playbackBar);
    playButton->setObjectName(QStringLiteral("PlaybackPlay"));
    pauseButton = new QPushButton(playbackBar);
    pauseButton->setObjectName(QStringLiteral("PlaybackPause"));
    slider = new QSlider(Qt::Horizontal, playbackBar);
    slider->setObjectName(QStringLiteral("PlaybackPosition"));
    // Ride milliseconds: an arrow key steps a second, Page Up/Down ten.
    slider->setSingleStep(1000);
    slider->setPageStep(10000);
    timeLabel = new QLabel(playbackBar);
    timeLabel->setObjectName(QStringLiteral("PlaybackTime"));
    closeButton = new QPushButton(playbackBar);
    closeButton->setObjectName(QStringLiteral("PlaybackClose"));
    auto *bar = new QHBoxLayout(playbackBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(playButton);
    bar->addWidget(pauseButton);
    bar->addWidget(slider, 1);
    bar->addWidget(timeLabel);
    bar->addWidget(closeButton);
    playbackBar->hide();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(png);
    buttons->addWidget(svg);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(curve, 1);
    layout->addWidget(playbackBar);
    layout->addLayout(buttons);
    resize(753, 540);
    connect(png, &QPushButton::clicked, this, [this] { exportTo(false); });
    connect(svg, &QPushButton::clicked, this, [this] { exportTo(true); });
    connect(playButton, &QPushButton::clicked, this, [this] { startPlaying(); });
    connect(pauseButton, &QPushButton::clicked, this, [this] { pause(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { closeRecording(); });
    // Only the user moves the slider with signals on: a drag or a key puts
    // the dot there, and a playing ride goes on from there.
    connect(slider, &QSlider::valueChanged, this, [this](int value) {
        showPosition(value);
        anchorClock = clock();
        anchorRide = value;
    });
    setTexts(chartTexts(Language()));
    QElapsedTimer started;
    started.start();
    clock = [started] { return started.elapsed(); };
    replay.setInterval(kReplayFrameMs);
    connect(&replay, &QTimer::timeout, this, [this] { playbackStep(); });
}

void ChartWindow::follow(UnitSession &session)
{
    SetDocument &document = session.document();
    curve->setImage(document.image());
    connect(&document, &SetDocument::changed, this, [this, &document](const SetChange &change) {
        if (change.imageChanged() || change.action == SetAction::Drag)
            curve->setImage(document.image());
    });
    connect(&session, &UnitSession::liveDataReceived, this,
            [this](const LiveData &live) { curve->setLivePoint(live.rpm, live.advance); });
    connect(&session, &UnitSession::connectionChanged, this, [this](bool connected) {
        if (!connected)
            curve->clearLive();
    });
    connect(&session, &UnitSession::ticked, this, [this, &session] {
        const CurveHighlight &h = session.curveHighlight();
        curve->setHighlightedRow(h.noRowHighlighted ? std::nullopt : std::optional<int>(h.highlightedRow));
    });
    // A drag is one step: its first move begins it, the others continue it.
    curve->installEventFilter(this);
    connect(curve, &CurveChart::pointDragged, this, guarded([this, &document](const ParameterImage &dragged) {
        document.applyDrag(dragged, dragging);
        dragging = true;
    }));
}

bool ChartWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == curve && event->type() == QEvent::MouseButtonPress)
        dragging = false;
    return QWidget::eventFilter(watched, event);
}

void ChartWindow::setClock(CurveChart::Clock newClock)
{
    clock = newClock;
    curve->setClock(std::move(newClock));
}

void ChartWindow::play(const Recording &recording, const QString &name)
{
    const std::vector<qint64> times = rideTimes(recording.samples);
    std::vector<CurveChart::LiveSample> ride;
    ride.reserve(times.size());
    for (std::size_t i = 0; i < times.size(); ++i)
        ride.push_back({times[i], recording.samples[i].rpm, recording.samples[i].advance});
    // The slider counts in int milliseconds: over 24 days of riding is cut there.
    rideLength = times.empty() ? 0 : std::min<qint64>(times.back(), std::numeric_limits<int>::max());
    curve->setRecording(std::move(ride), name);
    if (!curve->hasRecording()) {
        closeRecording();
        return;
    }
    {
        const QSignalBlocker quiet(slider);
        slider->setRange(0, int(rideLength));
    }
    // Room for the longest time this ride shows, so the bar does not jump.
    const QString longest = rideTimeText(rideLength);
    timeLabel->setMinimumWidth(timeLabel->fontMetrics().horizontalAdvance(longest + QStringLiteral(" / ") + longest));
    playbackBar->show();
    showPosition(0);
    running = false;
    startPlaying();
}

void ChartWindow::closeRecording()
{
    pause();
    curve->clearRecording();
    rideLength = 0;
    playbackBar->hide();
}

void ChartWindow::startPlaying()
{
    if (!curve->hasRecording())
        return;
    if (curve->playbackPosition() >= rideLength)
        showPosition(0);
    anchorClock = clock();
    anchorRide = curve->playbackPosition();
    running = true;
    replay.start();
    showButtons();
}

void ChartWindow::pause()
{
    playbackStep();
    running = false;
    replay.stop();
    showButtons();
}

void ChartWindow::playbackStep()
{
    if (!running)
        return;
    if (slider->isSliderDown()) {
        // Held by the mouse: the ride waits where the slider is.
        anchorClock = clock();
        anchorRide = slider->value();
        return;
    }
    qint64 at = anchorRide + (clock() - anchorClock);
    if (at >= rideLength) {
        at = rideLength;
        running = false;
        replay.stop();
        showButtons();
    }
    showPosition(at);
}

void ChartWindow::showPosition(qint64 rideMs)
{
    rideMs = std::clamp<qint64>(rideMs, 0, rideLength);
    curve->setPlaybackPosition(rideMs);
    if (slider->value() != rideMs) {
        const QSignalBlocker quiet(slider);
        slider->setValue(int(rideMs));
    }
    timeLabel->setText(QStringLiteral("%1 / %2").arg(rideTimeText(rideMs), rideTimeText(rideLength)));
}

void ChartWindow::showButtons()
{
    playButton->setEnabled(!running);
    pauseButton->setEnabled(running);
}

void ChartWindow::hideEvent(QHideEvent *event)
{
    // A ride nobody watches does not run on.
    if (running)
        pause();
    QWidget::hideEvent(event);
}

void ChartWindow::setTexts(const ChartTexts &texts)
{
    setWindowTitle(extraText(texts.title));
    png->setText(extraText(texts.exportPng));
    svg->setText(extraText(texts.exportSvg));
    playButton->setText(extraText(texts.play));
    pauseButton->setText(extraText(texts.pause));
    closeButton->setText(extraText(texts.closeRecording));
    curve->setTexts({extraText(texts.rpmAxis), extraText(texts.advanceAxis), extraText(texts.limiter),
                     extraText(texts.liveLegend)});
}

void ChartWindow::exportTo(bool asSvg)
{
    const QString filter = asSvg ? QStringLiteral("SVG (*.svg)") : QStringLiteral("PNG (*.png)");
    QString path = choosePath ? choosePath(filter) : QFileDialog::getSaveFileName(this, windowTitle(), QString(), filter);
    if (path.isEmpty())
        return;
    const QString suffix = asSvg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    if (!(asSvg ? curve->exportSvg(path) : curve->exportPng(path))) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                        QStringLiteral("Open file error"), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("ExportErrorBox"));
        box.setInformativeText(QDir::toNativeSeparators(path));
        box.exec();
    }
}
