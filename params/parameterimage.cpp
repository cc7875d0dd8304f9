#include "params/parameterimage.h"

namespace {
constexpr std::array<std::uint8_t, ParameterImage::kPoints> kDefaultRpm{10, 20, 30, 40, 50,
                                                                        60, 70, 80, 90, 100};
constexpr std::array<std::uint8_t, ParameterImage::kPoints> kDefaultAdvance{5,  15, 20, 25, 33,
                                                                            33, 33, 33, 33, 33};
} // namespace

void ParameterImage::applyDefaults()
{
    (*this)[kTop14] = 3;
    (*this)[kTop23] = 9;
    (*this)[kBaseAdv] = 5;
    (*this)[kLimiter] = 70;
    (*this)[kRpm2] = 1;
    (*this)[kBlokEnable] = 1;
    for (int k = 0; k < kPoints; ++k) {
        rpmAdv(k) = kDefaultRpm[static_cast<std::size_t>(k)];
        advance(k) = kDefaultAdvance[static_cast<std::size_t>(k)];
    }
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
