#include "params/fields.h"

#include <algorithm>

namespace {

constexpr std::array<std::uint8_t, ParameterImage::kPoints> kDefaultRpm{10, 20, 30, 40, 50,
                                                                        60, 70, 80, 90, 100};
constexpr std::array<std::uint8_t, ParameterImage::kPoints> kDefaultAdvance{5,  15, 20, 25, 33,
                                                                            33, 33, 33, 33, 33};

constexpr std::array<const char *, ParameterImage::kPoints> kRpmSpinners{
    "UpDownRpmAdv1", "UpDownRpmAdv2", "UpDownRpmAdv3", "UpDownRpmAdv4", "UpDownRpmAdv5",
    "UpDownRpmAdv6", "UpDownRpmAdv7", "UpDownRpmAdv8", "UpDownRpmAdv9", "UpDownRpmAdv10"};
constexpr std::array<const char *, ParameterImage::kPoints> kAdvanceSpinners{
    "UpDown50", "UpDown51", "UpDown52", "UpDown53", "UpDown54",
    "UpDown55", "UpDown56", "UpDown57", "UpDown58", "UpDown59"};

// A spinner field: byte, scale, range and step in the control's unit,
// grouping, default byte, control, file word, place and scale, JSON key and
// place, name, unit.
FieldSpec spinner(ParamField field, int byte, int scale, int minimum, int maximum, int increment, bool grouped,
                  std::uint8_t defaultByte, const char *control, const char *fileWord, int fileIndex,
                  int fileScale, const char *jsonKey, int jsonIndex, const QString &name, const char *unit)
{
    return {field,       byte,    scale,    minimum,   maximum,  increment, grouped, false,    defaultByte,
            control,     fileWord, fileIndex, fileScale, jsonKey, jsonIndex, name,   unit};
}

FieldSpec checkBox(ParamField field, int byte, const char *control, const char *fileWord, const char *jsonKey,
                   const QString &name)
{
    return {field, byte, 1, 0, 1, 1, false, true, 1, control, fileWord, 0, 1, jsonKey, -1, name, ""};
}

std::array<FieldSpec, kFieldCount> makeTable()
{
    using P = ParamField;
    using I = ParameterImage;
    std::array<FieldSpec, kFieldCount> table{};
    for (int k = 0; k < I::kPoints; ++k) {
        const auto i = static_cast<std::size_t>(k);
        // Point 1's spinner starts one below 200 rpm: 199 is captured as 1 and
        // normalised to 2; the others cannot go below 300.
        table[i] = spinner(rpmField(k), I::kRpmAdv + k, 100, k == 0 ? 199 : 300, 20100, 100, true, kDefaultRpm[i],
                           kRpmSpinners[i], "RPM_ADV", k, 100, "rpm", k,
                           QStringLiteral("RPM point %1").arg(k + 1), "rpm");
        table[i + I::kPoints] = spinner(advanceField(k), I::kAdvance + k, 1, 0, I::kAdvanceMax, 1, false,
                                        kDefaultAdvance[i], kAdvanceSpinners[i], "ADVANCE", k, 1, "advance_deg", k,
                                        QStringLiteral("Advance point %1").arg(k + 1), "deg");
    }
    const std::array named{
        spinner(P::Top14, I::kTop14, 1, 2, 9, 1, true, 3, "UpDownPalec13", "TOP", 0, 1, "top_1_4", -1,
                QStringLiteral("TOP 1,4"), ""),
        spinner(P::Top23, I::kTop23, 1, 2, 9, 1, true, 9, "UpDownPalec24", "TOP", 1, 1, "top_2_3", -1,
                QStringLiteral("TOP 2,3"), ""),
        spinner(P::BaseAdv, I::kBaseAdv, 1, 0, 40, 1, true, 5, "UpDownBaseAdv", "BASE_ADV", 0, 1,
                "base_advance_deg", -1, QStringLiteral("Base advance"), "deg"),
        // The limiter's minimum 999 stands for the byte 9 (900 rpm): shown as
        // 999, captured back as 9. The file holds it in hundreds, unlike the
        // curve speeds.
        spinner(P::Limiter, I::kLimiter, 100, 999, 25000, 100, true, 70, "UpDownOmez2", "LIMITER", 0, 1,
                "limiter_rpm", -1, QStringLiteral("Limiter"), "rpm"),
        checkBox(P::Rpm2, I::kRpm2, "CheckBoxRpm2Krat", "RPM2", "tachometer_2x", QStringLiteral("Tachometer 2x")),
        checkBox(P::BlokEnable, I::kBlokEnable, "CheckBoxBlokEnable", "BLOK_ENABLE", "blocking_enable",
                 QStringLiteral("Blocking enable")),
    };
    for (const FieldSpec &spec : named)
        table[static_cast<std::size_t>(fieldIndex(spec.field))] = spec;
    return table;
}

} // namespace

const std::array<FieldSpec, kFieldCount> &fieldTable()
{
    static const std::array<FieldSpec, kFieldCount> table = makeTable();
    return table;
}

const FieldSpec &fieldSpec(ParamField field)
{
    return fieldTable()[static_cast<std::size_t>(fieldIndex(field))];
}

int fieldValue(const ParameterImage &image, const FieldSpec &spec)
{
    const int byte = image[spec.byte];
    if (spec.flag)
        return byte != 0 ? 1 : 0;
    return byte * spec.scale;
}

int shownValue(const ParameterImage &image, const FieldSpec &spec)
{
    return std::clamp(fieldValue(image, spec), spec.minimum, spec.maximum);
}

FieldValues shownValues(const ParameterImage &image)
{
    FieldValues values{};
    for (const FieldSpec &spec : fieldTable())
        values[static_cast<std::size_t>(fieldIndex(spec.field))] = shownValue(image, spec);
    return values;
}

bool acceptsValue(const FieldSpec &spec, int value)
{
    return spec.flag || (value >= spec.minimum && value <= spec.maximum);
}

int lowestByte(const FieldSpec &spec)
{
    return capturedByte(spec, spec.minimum);
}

int highestByte(const FieldSpec &spec)
{
    return capturedByte(spec, spec.maximum);
}

std::uint8_t capturedByte(const FieldSpec &spec, int value)
{
    if (spec.flag)
        return value != 0 ? 1 : 0;
    // Within the control's range the quotient fits a byte (25000 / 100 = 250);
    // the clamp keeps a caller's stray value from wrapping.
    return static_cast<std::uint8_t>(std::clamp(value / spec.scale, 0, 255));
}

ParameterImage boundedToControls(const ParameterImage &image)
{
    ParameterImage bounded = image;
    for (const FieldSpec &spec : fieldTable())
        bounded[spec.byte] = capturedByte(spec, shownValue(image, spec));
    return bounded;
}
