#pragma once

#include "session/recordingreader.h"
#include "widgets/curvechart.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <vector>

class QPushButton;
struct ChartTexts;

// The curve chart's own window: non-modal, resizable, with its two exports.
// The main window owns it and feeds its chart.
class ChartWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ChartWindow(QWidget *parent = nullptr);

    CurveChart *chart() const { return curve; }
    void setTexts(const ChartTexts &texts);

    // How an export file is chosen (a save dialog by default); tests answer it.
    using PathChooser = std::function<QString(const QString &filter)>;
    void setPathChooser(PathChooser chooser) { choosePath = std::move(chooser); }

    // Plays a recorded ride back: its points stay behind the curve, and the
    // dot runs through them at the pace they were recorded.
    void play(const Recording &recording);
    bool playing() const { return replay.isActive(); }
    // Shows every sample recorded up to this many milliseconds into the ride;
    // the replay timer calls it, tests call it directly.
    void showReplayAt(qint64 rideMs);

    QPushButton *pngButton() const { return png; }
    QPushButton *svgButton() const { return svg; }

private:
    void exportTo(bool asSvg);

    CurveChart *curve = nullptr;
    QPushButton *png = nullptr;
    QPushButton *svg = nullptr;
    PathChooser choosePath;
    std::vector<RecordedSample> ride;
    std::size_t rideNext = 0;
    QTimer replay;
    QElapsedTimer replayClock;
};
