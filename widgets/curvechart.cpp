#include "widgets/curvechart.h"

#include "params/curvegeometry.h"

#include <QFontMetricsF>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEngine>
#include <QSvgGenerator>

#include <algorithm>
#include <array>
#include <optional>
#include <chrono>
#include <cmath>

namespace {

constexpr QRgb kBackground = 0xffffff;
constexpr QRgb kGrid = 0xdcdcdc;
constexpr QRgb kAxis = 0x000000;
constexpr QRgb kCurve = 0x0040c0;
constexpr QRgb kLimiter = 0xd00000;
constexpr QRgb kLive = 0xff8000;
constexpr QRgb kHighlight = 0x00a000;
constexpr QRgb kRecording = 0x9090c8;
// The played-back recording's dot and trail: apart from the live orange, the
// curve's blue, the limiter's red and the lit row's green.
constexpr QRgb kPlayback = 0xa000c0;
constexpr QRgb kLegendFrame = 0xa0a0a0;
// The compared set's dashed curve: apart from all the colours above.
constexpr QRgb kCompared = 0x008c8c;

constexpr int kFadeRepaintMs = 200;
// A drag decides between speed and advance once the mouse has moved this far.
constexpr double kDragDecidePixels = 4.0;

QColor withAlpha(QRgb rgb, int alpha)
{
    QColor c = QColor::fromRgb(rgb);
    c.setAlpha(std::clamp(alpha, 0, 255));
    return c;
}

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

CurveChart::CurveChart(QWidget *parent)
    : QWidget(parent), clock(&monotonicMs), liveDots(makeTrailDots(kLive)), rideDots(makeTrailDots(kPlayback))
{
    shown.applyDefaults();
    setMinimumSize(240, 160);
    fadeTimer.setInterval(kFadeRepaintMs);
    connect(&fadeTimer, &QTimer::timeout, this, [this] {
        dropOldSamples();
        update();
    });
}

CurveChart::~CurveChart() = default;

int CurveChart::trailAlpha(std::size_t step)
{
    return 220 - static_cast<int>(200 * step / kFadeSteps);
}

CurveChart::TrailDots CurveChart::makeTrailDots(QRgb colour)
{
    TrailDots dots;
    for (std::size_t step = 0; step < kFadeSteps; ++step) {
        QImage &sprite = dots[step];
        sprite = QImage(6, 6, QImage::Format_ARGB32_Premultiplied);
        sprite.fill(Qt::transparent);
        QPainter painter(&sprite);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(colour, trailAlpha(step)));
        painter.drawEllipse(QPointF(3, 3), 2.5, 2.5);
    }
    return dots;
}

void CurveChart::setTexts(const CurveChartTexts &texts)
{
    captions = texts;
    update();
}

void CurveChart::setImage(const ParameterImage &image)
{
    shown = image;
    lastDragged.reset();
    update();
}

void CurveChart::setLivePoint(int rpm, int advance)
{
    trail.push_back({clock(), rpm, advance});
    dropOldSamples();
    if (!fadeTimer.isActive())
        fadeTimer.start();
    update();
}

void CurveChart::clearLive()
{
    trail.clear();
    fadeTimer.stop();
    update();
}

void CurveChart::dropOldSamples()
{
    const qint64 now = clock();
    while (!trail.empty() && now - trail.front().ms > kTrailMs)
        trail.pop_front();
    if (trail.empty())
        fadeTimer.stop();
}

std::vector<CurveChart::LiveSample> CurveChart::liveTrail() const
{
    const qint64 now = clock();
    std::vector<LiveSample> recent;
    for (const LiveSample &s : trail) {
        if (now - s.ms <= kTrailMs)
            recent.push_back(s);
    }
    return recent;
}

void CurveChart::setHighlightedRow(std::optional<int> row)
{
    if (row && (*row < 0 || *row >= ParameterImage::kPoints))
        row.reset();
    litRow = row;
    update();
}

void CurveChart::setRecording(std::vector<LiveSample> samples, const QString &name)
{
    ride = std::move(samples);
    rideName = ride.empty() ? QString() : name;
    ridePosition = 0;
    rideLayer = QImage();
    update();
}

void CurveChart::clearRecording()
{
    setRecording({}, QString());
}

void CurveChart::setPlaybackPosition(qint64 rideMs)
{
    if (rideMs == ridePosition)
        return;
    const auto before = playbackRange();
    ridePosition = rideMs;
    // Playback steps many times between two samples; only a new sample in
    // the trail changes the picture.
    if (playbackRange() != before)
        update();
}

std::pair<std::size_t, std::size_t> CurveChart::playbackRange() const
{
    const auto byTime = [](const LiveSample &s, qint64 ms) { return s.ms < ms; };
    const auto first = std::lower_bound(ride.begin(), ride.end(), ridePosition - kTrailMs, byTime);
    const auto last = std::upper_bound(ride.begin(), ride.end(), ridePosition,
                                       [](qint64 ms, const LiveSample &s) { return ms < s.ms; });
    return {std::size_t(first - ride.begin()), std::size_t(std::max(first, last) - ride.begin())};
}

std::vector<CurveChart::LiveSample> CurveChart::playbackTrail() const
{
    const auto [first, last] = playbackRange();
    return {ride.begin() + std::ptrdiff_t(first), ride.begin() + std::ptrdiff_t(last)};
}

void CurveChart::setClock(Clock newClock)
{
    clock = newClock ? std::move(newClock) : Clock(&monotonicMs);
}

QRectF CurveChart::plotRect(const QSize &size) const
{
    const QFontMetricsF fm(font());
    const double left = fm.horizontalAdvance(QStringLiteral("60")) + fm.height() + 14;
    const double right = fm.horizontalAdvance(QStringLiteral("20000")) / 2 + 8;
    const double top = fm.height() + 8;
    const double bottom = 2 * fm.height() + 12;
    return QRectF(left, top, std::max(1.0, size.width() - left - right),
                  std::max(1.0, size.height() - top - bottom));
}

void CurveChart::paintChart(QPainter &painter, const QSize &size) const
{
    painter.save();
    painter.setFont(font());
    painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgb(kBackground));
    const CurveGeometry geometry(shown, plotRect(size));
    paintGrid(painter, geometry);
    paintCurve(painter, geometry);
    if (!ride.empty()) {
        const auto [first, last] = playbackRange();
        paintTrail(painter, geometry, ride.begin() + std::ptrdiff_t(first), ride.begin() + std::ptrdiff_t(last),
                   ridePosition, kPlayback, rideDots);
    }
    paintLive(painter, geometry);
    if (!ride.empty() || compared)
        paintLegend(painter, geometry.plot());
    painter.restore();
}

void CurveChart::paintGrid(QPainter &painter, const CurveGeometry &geometry) const
{
    const QRectF plot = geometry.plot();
    const QFontMetricsF fm(painter.font());
    painter.setRenderHint(QPainter::Antialiasing, false);

    const int step = CurveGeometry::rpmGridStep(geometry.rpmMax());
    for (int rpm = 0; rpm <= geometry.rpmMax(); rpm += step) {
        const double x = std::round(geometry.toPixel({double(rpm), 0}).x());
        painter.setPen(QColor::fromRgb(kGrid));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(QColor::fromRgb(kAxis));
        const QString label = QString::number(rpm);
        painter.drawText(QPointF(x - fm.horizontalAdvance(label) / 2, plot.bottom() + 4 + fm.ascent()), label);
    }
    for (int deg = 0; deg <= CurveGeometry::kAdvanceAxisMax; deg += CurveGeometry::kAdvanceGridStep) {
        const double y = std::round(geometry.toPixel({0, double(deg)}).y());
        painter.setPen(QColor::fromRgb(kGrid));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(QColor::fromRgb(kAxis));
        const QString label = QString::number(deg);
        painter.drawText(QPointF(plot.left() - 4 - fm.horizontalAdvance(label), y + fm.ascent() / 2 - 1), label);
    }

    painter.setPen(QColor::fromRgb(kAxis));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());

    // Axis titles: the speed under its labels, the advance turned up the left side.
    const double titleWidth = fm.horizontalAdvance(captions.rpmAxis);
    painter.drawText(QPointF(plot.center().x() - titleWidth / 2, plot.bottom() + 8 + fm.height() + fm.ascent()),
                     captions.rpmAxis);
    painter.save();
    painter.translate(4 + fm.ascent(), plot.center().y() + fm.horizontalAdvance(captions.advanceAxis) / 2);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), captions.advanceAxis);
    painter.restore();

    // The limiter: one whole pixel column, its caption above the plot.
    const double lx = std::round(geometry.limiterX());
    if (lx >= plot.left() && lx <= plot.right()) {
        painter.setPen(QPen(QColor::fromRgb(kLimiter), 1));
        painter.drawLine(QPointF(lx, plot.top()), QPointF(lx, plot.bottom()));
        const double w = fm.horizontalAdvance(captions.limiter);
        const double tx = std::clamp(lx - w / 2, 0.0, std::max(0.0, plot.right() + 8 - w));
        painter.drawText(QPointF(tx, plot.top() - 4 - fm.descent()), captions.limiter);
    }
}

void CurveChart::paintCurve(QPainter &painter, const CurveGeometry &geometry) const
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.save();
    painter.setClipRect(geometry.plot().adjusted(-6, -6, 6, 6));

    paintRide(painter, geometry);
    paintComparison(painter, geometry);

    QPolygonF line;
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        line << geometry.pointPixel(k);
    painter.setPen(QPen(QColor::fromRgb(kCurve), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);

    painter.setBrush(QColor::fromRgb(kBackground));
    for (const QPointF &p : line)
        painter.drawEllipse(p, 3.5, 3.5);
    if (litRow) {
        painter.setPen(QPen(QColor::fromRgb(kHighlight), 2));
        painter.setBrush(QColor::fromRgb(kHighlight));
        painter.drawEllipse(geometry.pointPixel(*litRow), 5, 5);
    }
    painter.restore();
}

void CurveChart::paintComparison(QPainter &painter, const CurveGeometry &geometry) const
{
    if (!compared)
        return;
    // On the shown set's axes: a point beyond them is clipped at the plot's edge.
    QPolygonF line;
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        line << geometry.toPixel(CurveGeometry::curvePoint(*compared, k));
    painter.setPen(QPen(QColor::fromRgb(kCompared), 2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
}

void CurveChart::paintRide(QPainter &painter, const CurveGeometry &geometry) const
{
    if (ride.empty())
        return;
    const auto drawDots = [&](QPainter &onto) {
        onto.setRenderHint(QPainter::Antialiasing, true);
        onto.setPen(Qt::NoPen);
        onto.setBrush(withAlpha(kRecording, 110));
        for (const LiveSample &s : ride)
            onto.drawEllipse(geometry.toPixel({double(s.rpm), double(s.advance)}), 1.5, 1.5);
    };
    const bool rasterTarget = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    if (!rasterTarget) {
        drawDots(painter);
        return;
    }
    const QRectF area = geometry.plot().adjusted(-6, -6, 6, 6);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (rideLayer.isNull() || rideLayerPlot != geometry.plot() || rideLayerRpmMax != geometry.rpmMax() ||
        rideLayer.devicePixelRatioF() != ratio) {
        rideLayer = QImage((area.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        rideLayer.setDevicePixelRatio(ratio);
        rideLayer.fill(Qt::transparent);
        QPainter layer(&rideLayer);
        layer.translate(-area.topLeft());
        drawDots(layer);
        rideLayerPlot = geometry.plot();
        rideLayerRpmMax = geometry.rpmMax();
    }
    painter.drawImage(area.topLeft(), rideLayer);
}

void CurveChart::paintLive(QPainter &painter, const CurveGeometry &geometry) const
{
    paintTrail(painter, geometry, trail.begin(), trail.end(), clock(), kLive, liveDots);
}

template <typename It>
void CurveChart::paintTrail(QPainter &painter, const CurveGeometry &geometry, It first, It last, qint64 now,
                            QRgb colour, const TrailDots &sprites) const
{
    if (first == last)
        return;
    painter.save();
    painter.setClipRect(geometry.plot().adjusted(-8, -8, 8, 8));
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Older samples fade towards the background in kFadeSteps steps; one
    // line and one set of dots per step keeps a full trail cheap to draw.
    std::array<QPolygonF, kFadeSteps> lines;
    std::array<QPolygonF, kFadeSteps> dots;
    std::optional<std::size_t> previousStep;
    QPointF previous;
    for (It it = first; it != last; ++it) {
        const LiveSample &s = *it;
        const qint64 age = now - s.ms;
        if (age > kTrailMs || age < 0) {
            previousStep.reset();
            continue;
        }
        const auto step = static_cast<std::size_t>(std::min<qint64>(kFadeSteps - 1, age * kFadeSteps / kTrailMs));
        const QPointF p = geometry.toPixel({double(s.rpm), double(s.advance)});
        if (previousStep) {
            // A segment takes the step of its older end; a break in a step's
            // polyline is made by starting a new one.
            QPolygonF &line = lines[*previousStep];
            if (line.isEmpty() || line.back() != previous) {
                if (!line.isEmpty())
                    line << QPointF(qQNaN(), qQNaN());
                line << previous;
            }
            line << p;
        }
        dots[step] << p;
        previousStep = step;
        previous = p;
    }
    // Dots are small pictures stamped on a raster target (far cheaper than
    // round shapes); an SVG gets real circles.
    const bool rasterTarget = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster;
    for (std::size_t step = 0; step < kFadeSteps; ++step) {
        const QColor faded = withAlpha(colour, trailAlpha(step));
        // Each run between breaks is its own polyline.
        const QPolygonF &line = lines[step];
        qsizetype from = 0;
        QPen thin(faded, 1);
        thin.setCosmetic(true);
        painter.setPen(thin);
        for (qsizetype i = 0; i <= line.size(); ++i) {
            if (i == line.size() || std::isnan(line[i].x())) {
                if (i - from >= 2)
                    painter.drawPolyline(line.constData() + from, int(i - from));
                from = i + 1;
            }
        }
        if (rasterTarget) {
            const QImage &sprite = sprites[step];
            const QPointF half(sprite.width() / 2.0, sprite.height() / 2.0);
            for (const QPointF &p : dots[step])
                painter.drawImage(p - half, sprite);
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(faded);
            for (const QPointF &p : dots[step])
                painter.drawEllipse(p, 2.5, 2.5);
        }
    }
    const LiveSample &head = *std::prev(last);
    if (now - head.ms <= kTrailMs && now >= head.ms) {
        painter.setPen(QPen(QColor::fromRgb(kAxis), 1.5));
        painter.setBrush(QColor::fromRgb(colour));
        painter.drawEllipse(geometry.toPixel({double(head.rpm), double(head.advance)}), 6, 6);
    }
    painter.restore();
}

void CurveChart::paintLegend(QPainter &painter, const QRectF &plot) const
{
    // In the plot's top left corner, where a curve rising to the right leaves room.
    const QFontMetricsF fm(painter.font());
    const auto elided = [&](const QString &text) {
        return fm.elidedText(text, Qt::ElideMiddle, std::max(40.0, plot.width() * 0.4));
    };
    // A swatch of the dot's colour, or a dashed stroke for the compared curve.
    struct Entry
    {
        QRgb colour;
        QString text;
        bool dashed;
    };
    std::vector<Entry> entries;
    if (!ride.empty()) {
        entries.push_back({kLive, captions.liveLegend, false});
        entries.push_back({kPlayback, elided(rideName), false});
    }
    if (compared)
        entries.push_back({kCompared, elided(comparedName), true});
    const double swatch = 12;
    const double gap = 6;
    const double row = std::max(fm.height(), swatch) + 2;
    double textWidth = 0;
    for (const Entry &entry : entries)
        textWidth = std::max(textWidth, fm.horizontalAdvance(entry.text));
    const QRectF box(plot.left() + 8, plot.top() + 8, gap + swatch + gap + textWidth + gap,
                     gap + row * double(entries.size()) + gap - 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QColor::fromRgb(kLegendFrame));
    painter.setBrush(withAlpha(kBackground, 235));
    painter.drawRect(box);
    painter.setRenderHint(QPainter::Antialiasing, true);
    double y = box.top() + gap;
    for (const auto &[colour, text, dashed] : entries) {
        const QPointF centre(box.left() + gap + swatch / 2, y + row / 2 - 1);
        if (dashed) {
            painter.setPen(QPen(QColor::fromRgb(colour), 2, Qt::DashLine));
            painter.drawLine(QPointF(centre.x() - swatch / 2, centre.y()), QPointF(centre.x() + swatch / 2, centre.y()));
        } else {
            painter.setPen(QPen(QColor::fromRgb(kAxis), 1.5));
            painter.setBrush(QColor::fromRgb(colour));
            painter.drawEllipse(centre, swatch / 2 - 1, swatch / 2 - 1);
        }
        painter.setPen(QColor::fromRgb(kAxis));
        painter.drawText(QPointF(box.left() + gap + swatch + gap, centre.y() - fm.height() / 2 + fm.ascent()), text);
        y += row;
    }
    painter.restore();
}

void CurveChart::setComparison(const ParameterImage &image, const QString &name)
{
    compared = image;
    comparedName = name;
    update();
}

void CurveChart::clearComparison()
{
    compared.reset();
    comparedName.clear();
    update();
}

void CurveChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintChart(painter, size());
}

QSize CurveChart::exportSize() const
{
    return testAttribute(Qt::WA_Resized) || isVisible() ? size() : sizeHint();
}

bool CurveChart::exportPng(const QString &path) const
{
    QImage picture(exportSize(), QImage::Format_RGB32);
    QPainter painter(&picture);
    paintChart(painter, picture.size());
    painter.end();
    return picture.save(path, "PNG");
}

bool CurveChart::exportSvg(const QString &path) const
{
    const QSize size = exportSize();
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QStringLiteral("Advance curve"));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    paintChart(painter, size);
    return painter.end();
}

void CurveChart::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const CurveGeometry geometry(shown, plotRect(size()));
    draggedPoint = geometry.pointAt(event->position());
    dragStart = event->position();
    dragAxis = DragAxis::Undecided;
    lastDragged.reset();
}

void CurveChart::mouseMoveEvent(QMouseEvent *event)
{
    if (!draggedPoint)
        return QWidget::mouseMoveEvent(event);
    const QPointF moved = event->position() - dragStart;
    if (dragAxis == DragAxis::Undecided) {
        if (std::hypot(moved.x(), moved.y()) < kDragDecidePixels)
            return;
        // One direction per drag: a vertical drag that wanders a pixel sideways
        // must not change the point's speed, nor the other way round.
        dragAxis = std::abs(moved.x()) > std::abs(moved.y()) ? DragAxis::Speed : DragAxis::Advance;
    }
    const CurveGeometry geometry(shown, plotRect(size()));
    const QPointF pixel = geometry.pointPixel(*draggedPoint);
    const QPointF target = geometry.toData(dragAxis == DragAxis::Speed ? QPointF(event->position().x(), pixel.y())
                                                                       : QPointF(pixel.x(), event->position().y()));
    const ParameterImage edited = dragPoint(shown, *draggedPoint, target.x(), target.y());
    if (edited == shown || edited == lastDragged)
        return;
    lastDragged = edited;
    emit pointDragged(edited);
}

void CurveChart::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    draggedPoint.reset();
    lastDragged.reset();
}
