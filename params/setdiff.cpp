#include "params/setdiff.h"

#include <algorithm>

std::vector<SetField> setFields(const ParameterImage &image)
{
    std::vector<SetField> fields;
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        fields.push_back({QStringLiteral("RPM point %1").arg(k + 1), image.rpmAdv(k) * 100});
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        fields.push_back({QStringLiteral("Advance point %1").arg(k + 1), image.advance(k)});
    fields.push_back({QStringLiteral("TOP 1,4"), image[ParameterImage::kTop14]});
    fields.push_back({QStringLiteral("TOP 2,3"), image[ParameterImage::kTop23]});
    fields.push_back({QStringLiteral("Base advance"), image[ParameterImage::kBaseAdv]});
    fields.push_back({QStringLiteral("Limiter"), image[ParameterImage::kLimiter] * 100});
    fields.push_back({QStringLiteral("Tachometer 2x"), image[ParameterImage::kRpm2] != 0 ? 1 : 0});
    fields.push_back({QStringLiteral("Blocking enable"), image[ParameterImage::kBlokEnable] != 0 ? 1 : 0});
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

namespace {

std::uint8_t bounded(int value, int low, int high)
{
    return static_cast<std::uint8_t>(std::clamp(value, low, high));
}

} // namespace

ParameterImage withFileFields(const ParameterImage &unit, const ParameterImage &file)
{
    ParameterImage merged = unit;
    for (int i = ParameterImage::kRpmAdv; i < ParameterImage::kAdvance + ParameterImage::kPoints; ++i)
        merged[i] = file[i];
    // Bounded the way the window's spinners bound a set they show and capture,
    // so the unit gets what the window would send for the same file.
    merged[ParameterImage::kTop14] = bounded(file[ParameterImage::kTop14], 2, 9);
    merged[ParameterImage::kTop23] = bounded(file[ParameterImage::kTop23], 2, 9);
    merged[ParameterImage::kBaseAdv] = bounded(file[ParameterImage::kBaseAdv], 0, 40);
    merged[ParameterImage::kLimiter] = bounded(file[ParameterImage::kLimiter], 9, 250);
    merged[ParameterImage::kRpm2] = file[ParameterImage::kRpm2] != 0 ? 1 : 0;
    merged[ParameterImage::kBlokEnable] = file[ParameterImage::kBlokEnable] != 0 ? 1 : 0;
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        merged.advance(k) = bounded(file.advance(k), 0, ParameterImage::kAdvanceMax);
    merged.normaliseCurve();
    return merged;
}
