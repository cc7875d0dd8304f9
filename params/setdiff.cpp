#include "params/setdiff.h"

#include "params/fields.h"

std::vector<SetField> setFields(const ParameterImage &image)
{
    std::vector<SetField> fields;
    for (const FieldSpec &spec : fieldTable())
        fields.push_back({spec.name, fieldValue(image, spec)});
    return fields;
}

std::vector<SetDifference> setDifferences(const ParameterImage &unit, const ParameterImage &file)
{
    const std::vector<SetField> a = setFields(unit);
    const std::vector<SetField> b = setFields(file);
    std::vector<SetDifference> differences;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].value != b[i].value)
            differences.push_back({a[i].name, a[i].value, b[i].value});
    }
    return differences;
}

ParameterImage withFileFields(const ParameterImage &unit, const ParameterImage &file)
{
    ParameterImage merged = unit;
    for (const FieldSpec &spec : fieldTable())
        merged[spec.byte] = file[spec.byte];
    // Bounded the way the window's controls bound a set they show and capture,
    // so the unit gets what the window would send for the same file.
    merged = boundedToControls(merged);
    merged.normaliseCurve();
    return merged;
}
