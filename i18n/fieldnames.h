#pragma once

#include "i18n/language.h"

#include <QString>

#include <cstdint>

// The names of the set's fields and their values' units as a technician
// reads them in one language: the comparison's table shows them. The field
// table (params) keeps one name per field for reports and files; the window
// asks here for the one of its language.
struct FieldNameTexts
{
    const char16_t *rpmPoint;     // %1: the curve point, 1..10
    const char16_t *advancePoint; // %1: the curve point, 1..10
    const char16_t *top14;
    const char16_t *top23;
    const char16_t *baseAdvance;
    const char16_t *limiter;
    const char16_t *tachometer2x;
    const char16_t *blockingEnable;
    const char16_t *rpmValue;     // %1: a speed in rpm, signed for a difference
    const char16_t *degreeValue;  // %1: an advance in degrees
};

// The names in a language; English for French and an index that is no language.
const FieldNameTexts &fieldNameTexts(Language language);
