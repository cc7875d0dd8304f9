#pragma once

#include "params/parameterimage.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class CurveGeometry;

// The captions of the chart, set by its owner in the current language.
struct CurveChartTexts
{
    QString rpmAxis = QStringLiteral("rpm");
    QString advanceAxis = QStringLiteral("advance [°]");
    QString limiter = QStringLiteral("limiter");
    // The legend's name for the live dot, beside the recording's name.
    QString liveLegend = QStringLiteral("Unit (live)");
};

// The advance curve as a chart: the ten points as a line, the limiter as a
// vertical line, the live operating point with a fading trail of the last ten
// seconds, the lit curve row, and optionally a recorded ride: faintly behind
// the curve, and played back as a dot and trail of its own colour that the
// live frames never move (nor it them), named in a legend; and optionally a
// second set's curve, dashed, to compare with, also named in the legend.
// Points are dragged with the mouse; the chart only reports the edited image
// (pointDragged) and shows it when the owner hands it back through setImage,
// so every edit takes the owner's one path of capture, normalise and show.
class CurveChart : public QWidget
{
    Q_OBJECT

public:
    // Milliseconds of a monotonic clock; tests put their own in.
    using Clock = std::function<qint64()>;
    static constexpr qint64 kTrailMs = 10000;

    struct LiveSample
    {
        qint64 ms;
        int rpm;
        int advance;
    };

    explicit CurveChart(QWidget *parent = nullptr);
    ~CurveChart() override;

    void setTexts(const CurveChartTexts &texts);
    const CurveChartTexts &texts() const { return captions; }

    void setImage(const ParameterImage &image);
    const ParameterImage &image() const { return shown; }

    // A live frame's engine speed and actual advance; clearLive when the unit
    // stops answering.
    void setLivePoint(int rpm, int advance);
    void clearLive();
    // The samples of the last kTrailMs by the clock, oldest first.
    std::vector<LiveSample> liveTrail() const;

    void setHighlightedRow(std::optional<int> row);
    std::optional<int> highlightedRow() const { return litRow; }

    // A recorded ride: its samples with ms on the ride's own time (rising),
    // and its name for the legend. The position starts at the ride's start.
    // An empty ride is no recording.
    void setRecording(std::vector<LiveSample> ride, const QString &name);
    void clearRecording();
    bool hasRecording() const { return !ride.empty(); }
    // Where the playback stands, in ms of ride time; the recording's dot is
    // its last sample at or before it.
    void setPlaybackPosition(qint64 rideMs);
    qint64 playbackPosition() const { return ridePosition; }
    // The recording's samples of the kTrailMs of ride time up to the
    // position, oldest first; the last one is its dot.
    std::vector<LiveSample> playbackTrail() const;

    // Another set to compare with, drawn as a second, dashed curve and named
    // in the legend; clearComparison takes it away.
    void setComparison(const ParameterImage &image, const QString &name);
    void clearComparison();
    bool hasComparison() const { return compared.has_value(); }

    void setClock(Clock clock);

    // The plot rectangle (inside the axes) for a chart of this size.
    QRectF plotRect(const QSize &size) const;
    // Paints the whole chart at this size; the widget, the exports and the
    // benchmark all go through here.
    void paintChart(QPainter &painter, const QSize &size) const;

    // At the widget's size (or 753 x 500 before it has one). False when the
    // file cannot be written.
    bool exportPng(const QString &path) const;
    bool exportSvg(const QString &path) const;

    QSize sizeHint() const override { return {753, 500}; }

signals:
    // The image as it would be after the drag; the chart's own image is unchanged.
    void pointDragged(const ParameterImage &image);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    enum class DragAxis { Undecided, Speed, Advance };

    static constexpr std::size_t kFadeSteps = 10;
    using TrailDots = std::array<QImage, kFadeSteps>;
    static int trailAlpha(std::size_t step);
    static TrailDots makeTrailDots(QRgb colour);
    // The ride's samples of the playback trail as a range of `ride`.
    std::pair<std::size_t, std::size_t> playbackRange() const;
    void dropOldSamples();
    QSize exportSize() const;
    void paintGrid(QPainter &painter, const CurveGeometry &geometry) const;
    void paintCurve(QPainter &painter, const CurveGeometry &geometry) const;
    void paintRide(QPainter &painter, const CurveGeometry &geometry) const;
    void paintComparison(QPainter &painter, const CurveGeometry &geometry) const;
    void paintLive(QPainter &painter, const CurveGeometry &geometry) const;
    void paintLegend(QPainter &painter, const QRectF &plot) const;
    // Samples [first, last) as a trail fading with their age at `now`, the
    // last as the dot when it is no older than kTrailMs.
    template <typename It>
    void paintTrail(QPainter &painter, const CurveGeometry &geometry, It first, It last, qint64 now, QRgb colour,
                    const TrailDots &sprites) const;

    ParameterImage shown;
    CurveChartTexts captions;
    std::optional<int> litRow;
    std::deque<LiveSample> trail;
    std::vector<LiveSample> ride;
    QString rideName;
    std::optional<ParameterImage> compared;
    QString comparedName;
    qint64 ridePosition = 0;
    Clock clock;
    // Repaints while a trail fades out with no new frames coming.
    QTimer fadeTimer;
    TrailDots liveDots;
    TrailDots rideDots;
    // The whole ride's faint dots as one picture, made again when the plot
    // changes: a long ride is thousands of dots, too many to draw every frame.
    mutable QImage rideLayer;
    mutable QRectF rideLayerPlot;
    mutable int rideLayerRpmMax = -1;

    std::optional<int> draggedPoint;
    QPointF dragStart;
    DragAxis dragAxis = DragAxis::Undecided;
    std::optional<ParameterImage> lastDragged;
};
