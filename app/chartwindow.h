#pragma once

#include "session/recordingreader.h"
#include "widgets/curvechart.h"

#include <QTimer>
#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QSlider;
class UnitSession;
struct ChartTexts;

// The curve chart's own window: non-modal, resizable, with its two exports
// and, while a recording is open, its playback controls. The main window owns
// it; its chart is a view of the session: it shows the set as the document
// reports it, the live engine and the lit row as the session reports them,
// and hands its drags to the document.
class ChartWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ChartWindow(QWidget *parent = nullptr);

    // Shows the session's set and unit from now on, and edits its set.
    void follow(UnitSession &session);

    CurveChart *chart() const { return curve; }
    void setTexts(const ChartTexts &texts);

    // How an export file is chosen (a save dialog by default); tests answer it.
    using PathChooser = std::function<QString(const QString &filter)>;
    void setPathChooser(PathChooser chooser) { choosePath = std::move(chooser); }

    // The clock of the playback and of the chart's live trail; tests put
    // their own in.
    void setClock(CurveChart::Clock clock);

    // Opens a recorded ride (in place of one open before) under this name and
    // plays it from its start at the pace it was recorded, beside the live
    // dot. At its end it stops; Play then starts it again from the start.
    void play(const Recording &recording, const QString &name);
    // Removes the recording's dot, trail and legend entry and its controls.
    void closeRecording();
    bool playing() const { return running; }
    // One frame of playback: moves the recording's dot to where the clock
    // says the ride is. The replay timer calls it; tests call it after moving
    // their clock.
    void playbackStep();

    QPushButton *pngButton() const { return png; }
    QPushButton *svgButton() const { return svg; }

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void exportTo(bool asSvg);
    void startPlaying();
    void pause();
    void showPosition(qint64 rideMs);
    void showButtons();

    CurveChart *curve = nullptr;
    QPushButton *png = nullptr;
    QPushButton *svg = nullptr;
    QWidget *playbackBar = nullptr;
    QPushButton *playButton = nullptr;
    QPushButton *pauseButton = nullptr;
    QPushButton *closeButton = nullptr;
    QSlider *slider = nullptr;
    QLabel *timeLabel = nullptr;
    PathChooser choosePath;
    CurveChart::Clock clock;
    qint64 rideLength = 0;
    bool running = false;
    // Playing, the ride stands at anchorRide + (clock() - anchorClock).
    qint64 anchorClock = 0;
    qint64 anchorRide = 0;
    QTimer replay;
    // A drag of the chart's has reported a move since the mouse went down.
    bool dragging = false;
};
