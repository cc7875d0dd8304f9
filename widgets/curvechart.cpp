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
    : QWidget(parent), clock(&monotonicMs)
{
    shown.applyDefaults();
    makeTrailDots();
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

void CurveChart::makeTrailDots()
{
    for (std::size_t step = 0; step < kFadeSteps; ++step) {
        QImage &sprite = trailDots[step];
        sprite = QImage(6, 6, QImage::Format_ARGB32_Premultiplied);
        sprite.fill(Qt::transparent);
        QPainter painter(&sprite);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(kLive, trailAlpha(step)));
        painter.drawEllipse(QPointF(3, 3), 2.5, 2.5);
    }
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

void CurveChart::setRecording(std::vector<QPointF> rpmAdvance)
{
    recording = std::move(rpmAdvance);
    update();
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
    paintLive(painter, geometry);
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

    if (!recording.empty()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(kRecording, 110));
        for (const QPointF &p : recording)
            painter.drawEllipse(geometry.toPixel(p), 1.5, 1.5);
    }

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

void CurveChart::paintLive(QPainter &painter, const CurveGeometry &geometry) const
{
    if (trail.empty())
        return;
    const qint64 now = clock();
    painter.save();
    painter.setClipRect(geometry.plot().adjusted(-8, -8, 8, 8));
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Older samples fade towards the background in kFadeSteps steps; one
    // line and one set of dots per step keeps a full trail cheap to draw.
    std::array<QPolygonF, kFadeSteps> lines;
    std::array<QPolygonF, kFadeSteps> dots;
    std::optional<std::size_t> previousStep;
    QPointF previous;
    for (const LiveSample &s : trail) {
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
        const QColor colour = withAlpha(kLive, trailAlpha(step));
        // Each run between breaks is its own polyline.
        const QPolygonF &line = lines[step];
        qsizetype from = 0;
        QPen thin(colour, 1);
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
            const QImage &sprite = trailDots[step];
            const QPointF half(sprite.width() / 2.0, sprite.height() / 2.0);
            for (const QPointF &p : dots[step])
                painter.drawImage(p - half, sprite);
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            for (const QPointF &p : dots[step])
                painter.drawEllipse(p, 2.5, 2.5);
        }
    }
    const LiveSample &last = trail.back();
    if (now - last.ms <= kTrailMs && now >= last.ms) {
        painter.setPen(QPen(QColor::fromRgb(kAxis), 1.5));
        painter.setBrush(QColor::fromRgb(kLive));
        painter.drawEllipse(geometry.toPixel({double(last.rpm), double(last.advance)}), 6, 6);
    }
    painter.restore();
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
