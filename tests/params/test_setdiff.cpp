// A file's set against the unit's: what is merged and what is named as differing.
#include "params/setdiff.h"

#include <gtest/gtest.h>

TEST(SetDiff, AFileSetKeepsTheUnitsOwnBytesAndIsBoundedLikeTheControls)
{
    ParameterImage unit;
    unit.applyDefaults();
    for (int i : {6, 7, 8, 9, 30, 45, 49, 50, 54})
        unit[i] = static_cast<std::uint8_t>(100 + i);
    ParameterImage file;
    file.applyDefaults();
    file[ParameterImage::kRpm2] = 2;          // any non-zero is on
    file[ParameterImage::kLimiter] = 3;       // below the limiter's 900 rpm
    file[ParameterImage::kTop14] = 12;        // no tooth 12
    file.advance(4) = 70;                     // above 60 degrees
    file.rpmAdv(3) = 20;                      // below point 3: pushed up

    const ParameterImage merged = withFileFields(unit, file);
    for (int i : {6, 7, 8, 9, 30, 45, 49, 50, 54})
        EXPECT_EQ(merged[i], unit[i]) << "byte " << i;
    EXPECT_EQ(merged[ParameterImage::kRpm2], 1);
    EXPECT_EQ(merged[ParameterImage::kLimiter], 9);
    EXPECT_EQ(merged[ParameterImage::kTop14], 9);
    EXPECT_EQ(merged.advance(4), 60);
    EXPECT_EQ(merged.rpmAdv(3), 31);

    const std::vector<SetDifference> diff = setDifferences(unit, merged);
    std::vector<std::string> named;
    for (const SetDifference &d : diff)
        named.push_back(d.name.toStdString() + " " + std::to_string(d.unit) + "->" + std::to_string(d.file));
    EXPECT_EQ(named, (std::vector<std::string>{"RPM point 4 4000->3100", "Advance point 5 33->60", "TOP 1,4 3->9",
                                               "Limiter 7000->900"}));
    EXPECT_TRUE(setDifferences(merged, merged).empty());
}
