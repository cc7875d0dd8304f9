#pragma once

#include "params/parameterimage.h"

#include <QPointF>
#include <QRectF>

#include <array>
#include <optional>

// Where the advance curve sits on a chart: the ten points in engine speed
// (rpm) and advance (degrees), the limiter, the axes, and the mapping between
// those values and the pixels of a plot rectangle. No widgets here, so the
// mapping and the dragging rules can be checked without painting.
class CurveGeometry
{
public:
    static constexpr int kAdvanceAxisMax = ParameterImage::kAdvanceMax;
    static constexpr int kAdvanceGridStep = 10;
    // A point counts as under the mouse within this many pixels of its centre.
    static constexpr double kHitRadius = 6.0;

    CurveGeometry(const ParameterImage &image, const QRectF &plot);

    // Point k (0-based) as (rpm, degrees).
    static QPointF curvePoint(const ParameterImage &image, int k);
    static int limiterRpm(const ParameterImage &image);
    // The top of the rpm axis: the next whole thousand strictly above both the
    // last curve point and the limiter, so neither sits on the chart's edge.
    static int rpmAxisMax(const ParameterImage &image);
    // Spacing of the rpm grid lines for an axis top: at most about ten lines.
    static int rpmGridStep(int axisMax);

    int rpmMax() const { return axisMax; }
    const QRectF &plot() const { return area; }

    // Data (rpm, degrees) to a pixel of the plot rectangle, and back. The
    // advance axis grows upwards.
    QPointF toPixel(QPointF rpmAdvance) const;
    QPointF toData(QPointF pixel) const;
    QPointF pointPixel(int k) const;
    double limiterX() const;

    // The curve point nearest to the pixel within kHitRadius; the lower point
    // wins a tie.
    std::optional<int> pointAt(QPointF pixel) const;

private:
    std::array<QPointF, ParameterImage::kPoints> points{};
    int limiter = 0;
    int axisMax = 1000;
    QRectF area;
};

// Point k moved to (newRpm, newAdvance): the speed is rounded to whole hundreds
// of rpm and the advance to whole degrees within 0..60, then the curve rules
// apply, so a point dragged onto or past a neighbour's speed pushes the later
// point up (or is itself held one step above the earlier one).
ParameterImage dragPoint(const ParameterImage &image, int k, double newRpm, double newAdvance);
