#pragma once

// Range, step and design position of each spinner of the parameter controls.
// The spinners bound what can be entered; the image's own bounds on the curve
// speeds are applied by ParameterImage::normaliseCurve.
struct SpinnerRange
{
    int minimum;
    int maximum;
    int increment;
    int designPosition;
    bool thousands; // writes its position with the locale's thousands grouping
};

namespace limits {
// Curve point 1 can be entered down to 199 (captured as 1, normalised to 200 rpm).
inline constexpr SpinnerRange kRpmPoint1{199, 20100, 100, 1000, true};
// Points 2..10; their design positions are 2000, 3000 ... 10000.
inline constexpr SpinnerRange rpmPoint(int k)
{
    return k == 0 ? kRpmPoint1 : SpinnerRange{300, 20100, 100, (k + 1) * 1000, true};
}
inline constexpr SpinnerRange kAdvance{0, 60, 1, 20, false};
inline constexpr SpinnerRange kBaseAdv{0, 40, 1, 40, true};
// 999 stands for the image value 9 (900 rpm): shown as 999, captured back as 9.
inline constexpr SpinnerRange kLimiter{999, 25000, 100, 15000, true};
inline constexpr SpinnerRange kTop14{2, 9, 1, 3, true};
inline constexpr SpinnerRange kTop23{2, 9, 1, 9, true};
} // namespace limits
