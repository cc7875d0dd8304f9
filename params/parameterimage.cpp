#include "params/parameterimage.h"

#include "params/fields.h"

void ParameterImage::applyDefaults()
{
    // The defaults are the field table's, so the file, the controls and the
    // comparison of sets all start from the same set.
    for (const FieldSpec &spec : fieldTable())
        (*this)[spec.byte] = spec.defaultByte;
}

void ParameterImage::normaliseCurve()
{
    for (int k = 0; k < kPoints; ++k) {
        if (rpmAdv(k) < rpmLowerBound(k))
            rpmAdv(k) = static_cast<std::uint8_t>(rpmLowerBound(k));
        if (rpmAdv(k) > rpmUpperBound(k))
            rpmAdv(k) = static_cast<std::uint8_t>(rpmUpperBound(k));
    }
    // The first pass caps point k at k + 191, so pushing each point one above
    // its predecessor never leaves that bound (nor overflows a byte).
    for (int k = 1; k < kPoints; ++k) {
        if (rpmAdv(k) <= rpmAdv(k - 1))
            rpmAdv(k) = static_cast<std::uint8_t>(rpmAdv(k - 1) + 1);
    }
}

void normaliseLanguageAndPort(std::uint8_t &languageIndex, std::uint8_t &portNumber)
{
    if (languageIndex > 3)
        languageIndex = 0;
    if (portNumber > 10)
        portNumber = 1;
}
