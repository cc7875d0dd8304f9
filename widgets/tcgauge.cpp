#include "widgets/tcgauge.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace {

constexpr int kFullCircle16 = 360 * 16;  // QPainter angles are sixteenths of a degree

// The error texts report the bound arithmetic in 32 bits, as the stored
// values are; wrapping (defined in C++20) keeps an extreme bound from being
// undefined behaviour.
int wrapped(qint64 value)
{
    return static_cast<int>(static_cast<std::uint32_t>(value));
}

std::string rangeMessage(int low, int high)
{
    return QStringLiteral("Value must be between %1 and %2").arg(low).arg(high).toStdString();
}

// Rectangles here are given by two corners with the right and bottom edge
// excluded; an empty or inverted one fills nothing.
void fillEdges(QPainter &painter, int x1, int y1, int x2, int y2, const QColor &color)
{
    if (x2 > x1 && y2 > y1) {
        painter.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), color);
    }
}

// The outline of a shape whose box is (x1, y1)-(x2, y2) with the right and
// bottom edge excluded: a 1-pixel pen in QPainter covers one pixel more than
// the rectangle it strokes.
QRectF outlineBox(int x1, int y1, int x2, int y2)
{
    return QRectF(x1, y1, x2 - x1 - 1, y2 - y1 - 1);
}

// Angle in sixteenths of a degree, counter-clockwise from three o'clock, of the
// radial from the box's centre through point (x, y).
int radialAngle16(const QRectF &box, qreal x, qreal y)
{
    const QPointF centre = box.center();
    const qreal degrees = std::atan2(centre.y() - y, x - centre.x()) * 180.0 / std::numbers::pi;
    return qRound(degrees * 16.0);
}

// A pie sector running counter-clockwise from the radial through `from` to the
// radial through `to`; when both radials coincide the whole ellipse is drawn.
void drawSector(QPainter &painter, const QRectF &box, QPointF from, QPointF to)
{
    const int start = radialAngle16(box, from.x(), from.y());
    int span = radialAngle16(box, to.x(), to.y()) - start;
    while (span <= 0) {
        span += kFullCircle16;
    }
    if (span >= kFullCircle16) {
        // A full-circle pie is rasterised a little differently from the
        // ellipse it closes; drawing the ellipse covers exactly its pixels.
        painter.drawEllipse(box);
    } else {
        painter.drawPie(box, start, span);
    }
}

// A line from (x1, y1) towards (x2, y2) that leaves out its end point, the
// way pen movements on the control's canvas join up without doubling a pixel.
void drawLineExclusive(QPainter &painter, int x1, int y1, int x2, int y2)
{
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    QPolygon points;
    int x = x1;
    int y = y1;
    while (x != x2 || y != y2) {
        points << QPoint(x, y);
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += sx;
        }
        if (doubled <= dx) {
            error += dx;
            y += sy;
        }
    }
    painter.drawPoints(points);
}

// XOR of the colour channels; the alpha byte of an RGB32 pixel stays 0xff.
void xorInto(QImage &work, const QImage &overlay)
{
    for (int y = 0; y < work.height(); ++y) {
        auto *target = reinterpret_cast<QRgb *>(work.scanLine(y));
        const auto *source = reinterpret_cast<const QRgb *>(overlay.constScanLine(y));
        for (int x = 0; x < work.width(); ++x) {
            target[x] ^= source[x] & 0x00ffffffu;
        }
    }
}

QImage blackImage(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// Lets screen readers and other assistive tools read the gauge like a progress
// bar: its value, its range and the percentage it shows.
class TCGaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit TCGaugeAccessible(TCGauge *gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface *>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value) {
            return gauge()->percentText();
        }
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return gauge()->progress(); }
    // The gauge is an indicator driven by the program; a user cannot move it.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return gauge()->maxValue(); }
    QVariant minimumValue() const override { return gauge()->minValue(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    TCGauge *gauge() const { return static_cast<TCGauge *>(widget()); }
};

QAccessibleInterface *gaugeAccessibleFactory(const QString &className, QObject *object)
{
    if (object != nullptr && object->isWidgetType()
        && className == QLatin1String(TCGauge::staticMetaObject.className())) {
        return new TCGaugeAccessible(static_cast<TCGauge *>(object));
    }
    return nullptr;
}

// Runs when the application object is created. It lives in this file so that
// any program using the gauge, which links this object file, gets it too.
void registerGaugeAccessible()
{
    QAccessible::installFactory(gaugeAccessibleFactory);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(registerGaugeAccessible)

TCGauge::TCGauge(QWidget *parent) : QWidget(parent)
{
    // Every pixel comes from renderImage, so Qt need not clear the background.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

int TCGauge::PercentDone() const
{
    const qint64 range = qint64(maxValue_) - minValue_;
    if (range == 0) {
        return 0;
    }
    // 64 bits hold 100 times any 32-bit distance.
    const qint64 numerator = (qint64(progress_) - minValue_) * 100;
    qint64 quotient = numerator / range;
    if ((numerator % range != 0) && ((numerator < 0) != (range < 0))) {
        --quotient;  // round down, not toward zero
    }
    return static_cast<int>(quotient);
}

QString TCGauge::percentText() const
{
    return QString::number(PercentDone()) + QLatin1Char('%');
}

void TCGauge::setMinValue(int value)
{
    if (value == minValue_) {
        return;
    }
    if (value > maxValue_) {
        throw GaugeError(rangeMessage(-2147483647, wrapped(qint64(maxValue_) - 1)));
    }
    minValue_ = value;
    if (progress_ < value) {
        storeProgress(value);
    }
    repaint();
}

void TCGauge::setMaxValue(int value)
{
    // A zero maximum is ignored outright, whatever the minimum.
    if (value == 0) {
        return;
    }
    if (value < minValue_) {
        throw GaugeError(rangeMessage(wrapped(qint64(minValue_) + 1), 2147483647));
    }
    maxValue_ = value;
    if (progress_ > value) {
        storeProgress(value);
    }
    // Also when the maximum is unchanged: setting it is a request to redraw.
    repaint();
}

void TCGauge::setProgress(int value)
{
    const int before = PercentDone();
    const int clamped = qBound(minValue_, value, maxValue_);
    if (clamped == progress_) {
        return;
    }
    storeProgress(clamped);
    if (PercentDone() != before) {
        repaint();
    }
}

void TCGauge::AddProgress(int delta)
{
    // Summed in 64 bits so a large step saturates at the bound instead of
    // wrapping around to the other end of the range.
    const qint64 target = std::clamp(qint64(progress_) + delta, qint64(minValue_), qint64(maxValue_));
    setProgress(static_cast<int>(target));
    repaint();
}

void TCGauge::storeProgress(int value)
{
    progress_ = value;
    QAccessibleValueChangeEvent event(this, value);
    QAccessible::updateAccessibility(&event);
}

void TCGauge::setKind(TCGaugeKind value)
{
    if (value != kind_) {
        kind_ = value;
        repaint();
    }
}

void TCGauge::setShowText(bool value)
{
    if (value != showText_) {
        showText_ = value;
        repaint();
    }
}

void TCGauge::setBorderStyle(TCGaugeBorderStyle value)
{
    if (value != borderStyle_) {
        borderStyle_ = value;
        repaint();
    }
}

void TCGauge::setForeColor(const QColor &value)
{
    if (value != foreColor_) {
        foreColor_ = value;
        repaint();
    }
}

void TCGauge::setBackColor(const QColor &value)
{
    if (value != backColor_) {
        backColor_ = value;
        repaint();
    }
}

void TCGauge::paintEvent(QPaintEvent *)
{
    const QImage image = renderImage();
    if (!image.isNull()) {
        QPainter painter(this);
        painter.drawImage(0, 0, image);
    }
}

TCGauge::Edges TCGauge::paintEdges() const
{
    Edges edges{0, 0, width(), height()};
    if (borderStyle_ == TCGaugeBorderStyle::bsSingle) {
        edges = Edges{1, 1, width() - 1, height() - 1};
    }
    return edges;
}

QImage TCGauge::renderImage() const
{
    if (width() <= 0 || height() <= 0) {
        return QImage();
    }
    // The work image starts black, so the frame left around the paint
    // rectangle by a single border is black too.
    QImage work = blackImage(size());
    const Edges edges = paintEdges();
    QImage overlay = blackImage(size());
    drawKind(overlay, edges);
    xorInto(work, overlay);
    if (showText_) {
        drawPercentText(work, edges);
    }
    return work;
}

void TCGauge::drawKind(QImage &overlay, const Edges &edges) const
{
    switch (kind_) {
    case TCGaugeKind::gkText: {
        QPainter painter(&overlay);
        fillEdges(painter, edges.left, edges.top, edges.right, edges.bottom, backColor_);
        return;
    }
    case TCGaugeKind::gkHorizontalBar:
    case TCGaugeKind::gkVerticalBar:
        drawBar(overlay, edges);
        return;
    case TCGaugeKind::gkPie:
        drawPie(overlay, edges);
        return;
    case TCGaugeKind::gkNeedle:
        drawNeedle(overlay, edges);
        return;
    }
}

void TCGauge::drawBar(QImage &overlay, const Edges &edges) const
{
    QPainter painter(&overlay);
    fillEdges(painter, edges.left, edges.top, edges.right, edges.bottom, backColor_);
    // W and H are one more than the paint rectangle's size, and the bars are
    // measured from the image origin rather than from the paint rectangle: with
    // a border a full bar then ends exactly on the frame, without one the
    // vertical bar stops a row short of the top.
    const qint64 w = edges.right - edges.left + 1;
    const qint64 h = edges.bottom - edges.top + 1;
    const qint64 percent = PercentDone();
    if (kind_ == TCGaugeKind::gkHorizontalBar) {
        const qint64 f = std::min(percent * w / 100, w);
        if (f > 0) {
            fillEdges(painter, edges.left, edges.top, int(f), int(h), foreColor_);
        }
    } else {
        qint64 f = percent * h / 100;
        if (f >= h) {
            f = h - 1;
        }
        fillEdges(painter, edges.left, int(h - f), int(w), int(h), foreColor_);
    }
}

// The pie and the needle are drawn in the box inside the border; a single
// border leaves one more pixel of box on each axis than the edges span.
std::pair<int, int> TCGauge::dialSize(const Edges &edges) const
{
    const int extra = borderStyle_ == TCGaugeBorderStyle::bsSingle ? 1 : 0;
    return {edges.right - edges.left + extra, edges.bottom - edges.top + extra};
}

void TCGauge::clearDial(QPainter &painter, const Edges &edges) const
{
    fillEdges(painter, edges.left, edges.top, edges.right, edges.bottom, palette().color(QPalette::Window));
}

void TCGauge::drawPie(QImage &overlay, const Edges &edges) const
{
    const auto [w, h] = dialSize(edges);
    QPainter painter(&overlay);
    clearDial(painter, edges);
    if (w - edges.left < 2 || h - edges.top < 2) {
        return;  // too small for an ellipse
    }
    const QRectF box = outlineBox(edges.left, edges.top, w, h);
    painter.setPen(QPen(foreColor_, 1));
    painter.setBrush(backColor_);
    painter.drawEllipse(box);
    const int percent = PercentDone();
    if (percent > 0) {
        painter.setBrush(foreColor_);
        const long double mx = w / 2;
        const long double my = h / 2;
        // Extended precision lands the start of a 100 % sector exactly on
        // twelve o'clock, which closes the disc.
        const long double a = (percent * 0.02L + 0.5L) * std::numbers::pi_v<long double>;
        const QPointF start(double(std::floor((1 - std::cos(a)) * mx)),
                            double(std::floor((1 - std::sin(a)) * my)));
        drawSector(painter, box, start, QPointF(double(mx), 0.0));
    }
}

void TCGauge::drawNeedle(QImage &overlay, const Edges &edges) const
{
    const auto [w, h] = dialSize(edges);
    QPainter painter(&overlay);
    clearDial(painter, edges);
    painter.setPen(QPen(foreColor_, 1));
    painter.setBrush(backColor_);
    // The dial is the upper half of an ellipse twice the control's height,
    // centred on the bottom edge.
    if (w - edges.left >= 2 && 2 * h - 1 - edges.top >= 2) {
        const QRectF box = outlineBox(edges.left, edges.top, w, 2 * h - 1);
        drawSector(painter, box, QPointF(edges.left + w, edges.bottom - 1),
                   QPointF(edges.left, edges.bottom - 1));
    }
    drawLineExclusive(painter, edges.left, edges.bottom, edges.left + w, edges.bottom);
    const int percent = PercentDone();
    if (percent > 0) {
        const long double c = width() / 2;
        const long double a = percent * 0.01L * std::numbers::pi_v<long double>;
        const int tipX = int(std::floor((1 - std::cos(a)) * c));
        const int tipY = int(std::floor((1 - std::sin(a)) * (edges.bottom - 1)));
        drawLineExclusive(painter, int(c), edges.bottom - 1, tipX, tipY);
    }
}

void TCGauge::drawPercentText(QImage &work, const Edges &edges) const
{
    const int clipWidth = edges.right - edges.left;
    const int clipHeight = edges.bottom - edges.top;
    if (clipWidth <= 0 || clipHeight <= 0) {
        return;
    }
    const QString text = percentText();
    // Whole-pixel letters: a partly covered edge pixel has no sensible XOR.
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(textFont);
    // Centred on the paint rectangle's size but placed from the image origin,
    // so with a border the text sits half a pixel up and to the left.
    const int x = (clipWidth - metrics.horizontalAdvance(text) + 1) / 2;
    const int y = (clipHeight - metrics.height() + 1) / 2;

    QImage overlay = blackImage(work.size());
    {
        QPainter painter(&overlay);
        painter.setFont(textFont);
        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        painter.setClipRect(QRect(edges.left, edges.top, clipWidth, clipHeight));
        painter.drawText(x, y + metrics.ascent(), text);
    }
    xorInto(work, overlay);
}
