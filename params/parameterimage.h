#pragma once

#include <array>
#include <cstdint>

// The parameter set as the unit stores it. Bytes 0..49 travel verbatim as the
// payload of block 1; bytes 50..54 are the tool's spare bytes, saved with the
// image but never sent or shown. Speeds are held in hundreds of rpm, angles in
// whole degrees.
class ParameterImage
{
public:
    static constexpr int kSize = 55;
    static constexpr int kBlockSize = 50;
    static constexpr int kPoints = 10;

    // Byte offsets of the named fields.
    static constexpr int kTop14 = 0;
    static constexpr int kTop23 = 1;
    static constexpr int kBaseAdv = 2;
    static constexpr int kLimiter = 3;
    static constexpr int kRpm2 = 4;
    static constexpr int kBlokEnable = 5;
    static constexpr int kRpmAdv = 10;   // 10 curve speeds, rpm / 100
    static constexpr int kAdvance = 20;  // 10 curve advances, degrees

    // Bounds of curve point k (0-based) after normalisation, in hundreds of rpm.
    static constexpr int rpmLowerBound(int k) { return k + 2; }
    static constexpr int rpmUpperBound(int k) { return k + 191; }
    static constexpr int kAdvanceMax = 60;

    std::array<std::uint8_t, kSize> bytes{};

    std::uint8_t &operator[](int i) { return bytes[static_cast<std::size_t>(i)]; }
    std::uint8_t operator[](int i) const { return bytes[static_cast<std::size_t>(i)]; }

    std::uint8_t &rpmAdv(int k) { return (*this)[kRpmAdv + k]; }
    std::uint8_t rpmAdv(int k) const { return (*this)[kRpmAdv + k]; }
    std::uint8_t &advance(int k) { return (*this)[kAdvance + k]; }
    std::uint8_t advance(int k) const { return (*this)[kAdvance + k]; }

    // Puts the default set into bytes 0..5 and 10..29; the unit's reserved
    // bytes and the spare bytes are left alone.
    void applyDefaults();

    // Keeps every curve speed within its point's bounds and strictly
    // increasing: a point that collides with or falls below its predecessor is
    // pushed one step (100 rpm) above it, the earlier point never moves.
    void normaliseCurve();

    friend bool operator==(const ParameterImage &, const ParameterImage &) = default;
};

// The two settings values that start-up and close bound together with the
// curve: a language index above 3 becomes English, a port above 10 becomes 1.
void normaliseLanguageAndPort(std::uint8_t &languageIndex, std::uint8_t &portNumber);
