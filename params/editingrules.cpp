#include "params/editingrules.h"

CurveHighlight HighlightCurveRow(std::uint16_t liveRpm, const ParameterImage &image)
{
    const int r = liveRpm / 100;
    int k = 0;
    while (k < ParameterImage::kPoints && image.rpmAdv(k) <= r)
        ++k;

    CurveHighlight h;
    if (k == 0)
        return h; // slower than point 1, a stopped engine included
    h.noRowHighlighted = false;
    if (k == ParameterImage::kPoints) {
        h.highlightedRow = ParameterImage::kPoints - 1;
        return h;
    }
    // r lies at or above point k - 1 and below point k; midway counts as nearer the lower one.
    const bool lowerIsNearer = image.rpmAdv(k - 1) + image.rpmAdv(k) >= 2 * r;
    h.highlightedRow = static_cast<std::uint8_t>(lowerIsNearer ? k - 1 : k);
    return h;
}

namespace {

// One degree in the given direction within 0..60. A byte above 60 (only
// possible before the controls bounded it) is lowered but never raised, so it
// cannot wrap past 255.
bool shiftPoint(ParameterImage &image, int k, int delta)
{
    std::uint8_t &advance = image.advance(k);
    if (delta < 0 && advance > 0) {
        --advance;
        return true;
    }
    if (delta > 0 && advance < ParameterImage::kAdvanceMax) {
        ++advance;
        return true;
    }
    return false;
}

} // namespace

bool shiftAdvance(ParameterImage &image, int delta, bool all, const CurveHighlight &h)
{
    if (all) {
        bool changed = false;
        for (int k = 0; k < ParameterImage::kPoints; ++k)
            changed = shiftPoint(image, k, delta) || changed;
        return changed;
    }
    if (h.noRowHighlighted || h.highlightedRow >= ParameterImage::kPoints)
        return false;
    return shiftPoint(image, h.highlightedRow, delta);
}

bool ProgramAfterChange::check(bool boxTicked, const ParameterImage &image)
{
    if (!boxTicked) {
        armed = false;
        return false;
    }
    const bool force = !armed;
    armed = true;
    const bool changed = image != lastSent;
    lastSent = image;
    return changed || force;
}
