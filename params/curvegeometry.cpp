#include "params/curvegeometry.h"

#include "params/fields.h"

#include <algorithm>
#include <cmath>
#include <limits>

CurveGeometry::CurveGeometry(const ParameterImage &image, const QRectF &plot)
    : limiter(limiterRpm(image)), axisMax(rpmAxisMax(image)), area(plot)
{
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        points[static_cast<std::size_t>(k)] = curvePoint(image, k);
}

QPointF CurveGeometry::curvePoint(const ParameterImage &image, int k)
{
    return {image.rpmAdv(k) * 100.0, static_cast<double>(image.advance(k))};
}

int CurveGeometry::limiterRpm(const ParameterImage &image)
{
    return image[ParameterImage::kLimiter] * 100;
}

int CurveGeometry::rpmAxisMax(const ParameterImage &image)
{
    const int highest = std::max(image.rpmAdv(ParameterImage::kPoints - 1) * 100, limiterRpm(image));
    return (highest / 1000 + 1) * 1000;
}

int CurveGeometry::rpmGridStep(int axisMax)
{
    for (const int step : {1000, 2000, 5000}) {
        if (axisMax / step <= 10)
            return step;
    }
    return 10000;
}

QPointF CurveGeometry::toPixel(QPointF rpmAdvance) const
{
    const double x = area.left() + rpmAdvance.x() / axisMax * area.width();
    const double y = area.bottom() - rpmAdvance.y() / kAdvanceAxisMax * area.height();
    return {x, y};
}

QPointF CurveGeometry::toData(QPointF pixel) const
{
    if (area.width() <= 0 || area.height() <= 0)
        return {0, 0};
    const double rpm = (pixel.x() - area.left()) / area.width() * axisMax;
    const double advance = (area.bottom() - pixel.y()) / area.height() * kAdvanceAxisMax;
    return {rpm, advance};
}

QPointF CurveGeometry::pointPixel(int k) const
{
    return toPixel(points[static_cast<std::size_t>(k)]);
}

double CurveGeometry::limiterX() const
{
    return toPixel({static_cast<double>(limiter), 0}).x();
}

std::optional<int> CurveGeometry::pointAt(QPointF pixel) const
{
    std::optional<int> best;
    double bestDistance = std::numeric_limits<double>::max();
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        const QPointF d = pointPixel(k) - pixel;
        const double distance = std::hypot(d.x(), d.y());
        if (distance <= kHitRadius && distance < bestDistance) {
            best = k;
            bestDistance = distance;
        }
    }
    return best;
}

ParameterImage dragPoint(const ParameterImage &image, int k, double newRpm, double newAdvance)
{
    ParameterImage result = image;
    if (k < 0 || k >= ParameterImage::kPoints)
        return result;
    // NaN from a degenerate plot must not reach the integer conversion.
    const double hundreds = std::isfinite(newRpm) ? std::round(newRpm / 100.0) : image.rpmAdv(k);
    const double degrees = std::isfinite(newAdvance) ? std::round(newAdvance) : image.advance(k);
    // Held within the point's spinners' ranges, as an edit would be; the
    // curve's own rules then order the speeds.
    const FieldSpec &speed = fieldSpec(rpmField(k));
    const FieldSpec &advance = fieldSpec(advanceField(k));
    const auto byteWithin = [](double value, const FieldSpec &spec) {
        return static_cast<std::uint8_t>(std::clamp(value, static_cast<double>(capturedByte(spec, spec.minimum)),
                                                    static_cast<double>(capturedByte(spec, spec.maximum))));
    };
    result.rpmAdv(k) = byteWithin(hundreds, speed);
    result.advance(k) = byteWithin(degrees, advance);
    result.normaliseCurve();
    return result;
}
