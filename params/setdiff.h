#pragma once

#include "params/parameterimage.h"

#include <QString>

#include <vector>

// The named fields of a parameter set as a technician reads them, and where
// two sets differ, point by point.
struct SetField
{
    QString name;  // "RPM point 3", "Advance point 3", "Limiter", ...
    int value = 0; // in the unit a technician uses: rpm, degrees, tooth, 0/1
};

// The fields in the order of the parameter file: the ten points' speeds and
// advances, the teeth, base advance, limiter (rpm) and the two flags.
std::vector<SetField> setFields(const ParameterImage &image);

struct SetDifference
{
    QString name;
    int unit = 0; // what the unit holds
    int file = 0; // what the file asks for
};

// The fields whose values differ, in field order.
std::vector<SetDifference> setDifferences(const ParameterImage &unit, const ParameterImage &file);

// The named fields of `file` put into a copy of `unit`, bounded as the
// window's controls bound them and with the curve normalised: the unit's
// reserved bytes 6..9 and 30..49 and the spare bytes stay as the unit has
// them, since a parameter file does not carry them.
ParameterImage withFileFields(const ParameterImage &unit, const ParameterImage &file);
