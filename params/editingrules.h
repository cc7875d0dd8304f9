#pragma once

#include "params/parameterimage.h"

#include <cstdint>

// The rules behind the curve editor's controls, free of any control: the row
// highlight that follows the live engine speed, the one-degree advance shift
// and the "Programming after change" check.

// Which curve row the live engine speed is nearest to.
struct CurveHighlight
{
    bool noRowHighlighted = true;
    std::uint8_t highlightedRow = 0; // 0..9, meaningful only with a row highlighted
};

// The speed is compared in whole hundreds of rpm with the remainder dropped.
// Below point 1 no row is highlighted; at or above point 10 it is row 9;
// otherwise the nearer of the two surrounding points, the lower one when the
// speed lies exactly midway.
CurveHighlight HighlightCurveRow(std::uint16_t liveRpm, const ParameterImage &image);

// Advance - (delta -1) or + (delta +1) by one degree, on the whole curve when
// all is set, otherwise on the highlighted point only (none without a
// highlighted row). Points already at 0 or 60 degrees stay there while the
// others move. Returns whether any byte changed; the caller commits the edit
// either way.
bool shiftAdvance(ParameterImage &image, int delta, bool all, const CurveHighlight &h);

// The "Programming after change" check run at the end of every committed edit.
class ProgramAfterChange
{
public:
    // Returns true when a program operation must start: on the first check
    // after the box was ticked, whatever the image, and afterwards whenever
    // any of the 55 image bytes differs from the image last seen, which then
    // becomes the one last seen. With the box unticked it only disarms and
    // keeps the image last seen.
    bool check(bool boxTicked, const ParameterImage &image);

    const ParameterImage &lastSentImage() const { return lastSent; }
    bool autoProgramArmed() const { return armed; }

private:
    ParameterImage lastSent; // all zero until the first check with the box ticked
    bool armed = false;
};
