#pragma once

#include "params/parameterimage.h"

#include <QString>

#include <array>
#include <cstdint>

// Every field of the parameter set a technician edits, in one table: where it
// lives in the image, how its control shows it (scale, range, step), its
// default, and its names in the .ign file, in the command line's JSON and in
// reports. The order is the parameter file's: the ten curve speeds, the ten
// advances, TOP 1,4, TOP 2,3, base advance, limiter and the two flags.

enum class ParamField : std::uint8_t {
    FirstRpm = 0,      // RPM point 1; points 2..10 follow
    FirstAdvance = 10, // Advance point 1; points 2..10 follow
    Top14 = 20,
    Top23,
    BaseAdv,
    Limiter,
    Rpm2,       // "Tachometer 2x"
    BlokEnable, // "Blocking enable"
};

inline constexpr int kFieldCount = 26;

constexpr int fieldIndex(ParamField field) { return static_cast<int>(field); }
constexpr ParamField rpmField(int k) { return static_cast<ParamField>(fieldIndex(ParamField::FirstRpm) + k); }
constexpr ParamField advanceField(int k)
{
    return static_cast<ParamField>(fieldIndex(ParamField::FirstAdvance) + k);
}

struct FieldSpec
{
    ParamField field;
    int byte;  // offset in the image
    int scale; // the control shows byte × scale: 100 for the speeds and the limiter
    // The control's range and step in its own unit (rpm, degrees, tooth). A
    // spinner keeps its position within them; a check box is 0..1.
    int minimum;
    int maximum;
    int increment;
    bool grouped; // the edit shows thousands grouping from 1000 on
    bool flag;    // a check box: any non-zero byte shows ticked and is taken back as 1
    std::uint8_t defaultByte;
    const char *control;  // the window's spinner or check box
    const char *fileWord; // keyword of the field's .ign line
    int fileIndex;        // its place among that line's numbers
    int fileScale;        // the file holds byte × fileScale: speeds in rpm, the limiter in hundreds
    const char *jsonKey;  // key in the command line's JSON set
    int jsonIndex;        // place in that key's array; -1 for a single value
    QString name;         // "RPM point 3", "TOP 1,4", "Limiter", ...
    const char *unit;     // of the control's value: "rpm", "deg", or "" (teeth, flags)
};

const std::array<FieldSpec, kFieldCount> &fieldTable();
const FieldSpec &fieldSpec(ParamField field);

// Values in the controls' units (rpm, degrees, tooth, 0/1), one per field in
// table order.
using FieldValues = std::array<int, kFieldCount>;

// The field's value as the image holds it, in the control's unit and not
// bounded: a speed byte of 0 is 0 rpm, a flag is 0 or 1.
int fieldValue(const ParameterImage &image, const FieldSpec &spec);
// What the control shows for the image's byte: a byte outside the control's
// range shows at the nearest end (an advance of 70 as 60, a limiter of 9 as 999).
int shownValue(const ParameterImage &image, const FieldSpec &spec);
FieldValues shownValues(const ParameterImage &image);
// Whether the control can hold the value; a check box takes any value.
bool acceptsValue(const FieldSpec &spec, int value);
// The bytes a control captures, lowest and highest: its range's ends taken
// in whole steps of the scale (the limiter's 999 is the byte 9, 900 rpm; the
// first speed's 199 is 1), 0 and 1 for a check box.
int lowestByte(const FieldSpec &spec);
int highestByte(const FieldSpec &spec);
// The byte a control value is captured as: speeds and the limiter in whole
// hundreds with the remainder dropped (2550 rpm is 25), a flag as 0 or 1.
std::uint8_t capturedByte(const FieldSpec &spec, int value);

// The image as the controls show it and capture it back: every field's byte
// replaced by the capture of its shown value (an advance of 70 becomes 60, a
// limiter of 0 becomes 9, a flag of 2 becomes 1). The curve is not normalised
// here, and the reserved and spare bytes stay as they are.
ParameterImage boundedToControls(const ParameterImage &image);
