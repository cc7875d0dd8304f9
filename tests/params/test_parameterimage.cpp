// The parameter image's defaults and the normalisation of the curve speeds.
#include "params/parameterimage.h"

#include <array>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

using Curve = std::array<int, ParameterImage::kPoints>;

ParameterImage withCurve(const Curve &speeds)
{
    ParameterImage image;
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        image.rpmAdv(k) = static_cast<std::uint8_t>(speeds[static_cast<std::size_t>(k)]);
    return image;
}

std::string show(const Curve &c)
{
    std::string s;
    for (int v : c)
        s += std::to_string(v) + ' ';
    return s;
}

Curve curveOf(const ParameterImage &image)
{
    Curve c{};
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        c[static_cast<std::size_t>(k)] = image.rpmAdv(k);
    return c;
}

} // namespace

TEST(ParameterImageDefaults, FillTheNamedFieldsAndLeaveTheUnitsBytesAlone)
{
    ParameterImage image;
    for (int i = 0; i < ParameterImage::kSize; ++i)
        image[i] = static_cast<std::uint8_t>(200 + (i % 50));
    const ParameterImage before = image;
    image.applyDefaults();

    const std::array<int, 6> head{3, 9, 5, 70, 1, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image[i], head[static_cast<std::size_t>(i)]) << "byte " << i;
    EXPECT_EQ(curveOf(image), (Curve{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    const std::array<int, 10> advance{5, 15, 20, 25, 33, 33, 33, 33, 33, 33};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(image.advance(k), advance[static_cast<std::size_t>(k)]) << "point " << k + 1;
    for (int i : {6, 7, 8, 9, 30, 41, 49, 50, 54})
        EXPECT_EQ(image[i], before[i]) << "reserved or spare byte " << i << " was touched";
}

struct CurveCase
{
    const char *what;
    Curve in;
    Curve out;
};

void PrintTo(const CurveCase &c, std::ostream *out)
{
    *out << c.what;
}

class ParameterImageNormalise : public ::testing::TestWithParam<CurveCase>
{
};

TEST_P(ParameterImageNormalise, OrdersAndBoundsTheCurveSpeeds)
{
    const CurveCase &c = GetParam();
    ParameterImage image = withCurve(c.in);
    image[ParameterImage::kAdvance] = 70; // nothing but the speeds is touched
    image[ParameterImage::kLimiter] = 0;
    image.normaliseCurve();
    EXPECT_EQ(curveOf(image), c.out) << c.what << "\n  in:       " << show(c.in)
                                     << "\n  expected: " << show(c.out)
                                     << "\n  actual:   " << show(curveOf(image));
    EXPECT_EQ(image[ParameterImage::kAdvance], 70);
    EXPECT_EQ(image[ParameterImage::kLimiter], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParameterImageNormalise,
    ::testing::Values(
        CurveCase{"the default curve stands", {10, 20, 30, 40, 50, 60, 70, 80, 90, 100},
                  {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
        CurveCase{"all points equal are spread 100 rpm apart", {10, 10, 10, 10, 10, 10, 10, 10, 10, 10},
                  {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
        CurveCase{"all at 20000 rpm fall to each point's own ceiling",
                  {200, 200, 200, 200, 200, 200, 200, 200, 200, 200},
                  {191, 192, 193, 194, 195, 196, 197, 198, 199, 200}},
        CurveCase{"descending speeds from a file climb from the first point",
                  {90, 80, 70, 60, 50, 40, 30, 20, 10, 0}, {90, 91, 92, 93, 94, 95, 96, 97, 98, 99}},
        CurveCase{"point 1 at 199 rpm is captured as 1 and raised to 200 rpm",
                  {1, 20, 30, 40, 50, 60, 70, 80, 90, 100}, {2, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
        CurveCase{"point 10 at 20100 rpm is lowered to 20000 rpm",
                  {10, 20, 30, 40, 50, 60, 70, 80, 90, 201}, {10, 20, 30, 40, 50, 60, 70, 80, 90, 200}},
        CurveCase{"all zero takes every point's floor", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                  {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        CurveCase{"bytes at 255 never wrap past the ceiling",
                  {255, 255, 255, 255, 255, 255, 255, 255, 255, 255},
                  {191, 192, 193, 194, 195, 196, 197, 198, 199, 200}},
        CurveCase{"one point below its predecessor is pushed just above it",
                  {10, 20, 30, 25, 50, 60, 70, 80, 90, 100}, {10, 20, 30, 31, 50, 60, 70, 80, 90, 100}},
        CurveCase{"a push cascades while later points collide",
                  {10, 20, 30, 30, 31, 32, 70, 80, 90, 100}, {10, 20, 30, 31, 32, 33, 70, 80, 90, 100}},
        CurveCase{"a high first point drags the rest up to the ceiling",
                  {191, 10, 10, 10, 10, 10, 10, 10, 10, 10},
                  {191, 192, 193, 194, 195, 196, 197, 198, 199, 200}}));

TEST(ParameterImageNormalise, IsIdempotent)
{
    ParameterImage image = withCurve({90, 5, 255, 0, 77, 77, 3, 150, 149, 1});
    image.normaliseCurve();
    const ParameterImage once = image;
    image.normaliseCurve();
    EXPECT_EQ(image, once);
    for (int k = 1; k < 10; ++k)
        EXPECT_LT(image.rpmAdv(k - 1), image.rpmAdv(k)) << "point " << k + 1;
}

TEST(ParameterImageNormalise, BoundsLanguageAndPort)
{
    const struct
    {
        int language, port, wantLanguage, wantPort;
    } cases[] = {{0, 1, 0, 1}, {3, 10, 3, 10}, {4, 11, 0, 1}, {7, 12, 0, 1},
                 {2, 0, 2, 0}, {255, 255, 0, 1}};
    for (const auto &c : cases) {
        std::uint8_t language = static_cast<std::uint8_t>(c.language);
        std::uint8_t port = static_cast<std::uint8_t>(c.port);
        normaliseLanguageAndPort(language, port);
        EXPECT_EQ(language, c.wantLanguage) << "language " << c.language;
        EXPECT_EQ(port, c.wantPort) << "port " << c.port;
    }
}
