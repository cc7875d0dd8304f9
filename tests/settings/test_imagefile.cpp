// The parameter image kept between runs: what a read takes from the file and
// the exact text a save writes.
#include "scratch.h"

#include "settings/imagefile.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

namespace {

// The default set, with the unit's reserved and the spare bytes marked so
// that a byte a read should leave alone shows when it is touched.
ParameterImage startImage()
{
    ParameterImage image;
    for (int i = 0; i < ParameterImage::kSize; ++i)
        image[i] = 77;
    image.applyDefaults();
    return image;
}

std::string numbers(int from, int count)
{
    std::string text;
    for (int n = from; n < from + count; ++n)
        text += std::to_string(n) + (n % 7 == 0 ? "\r\n" : " ");
    return text;
}

struct ReadCase
{
    const char *what;
    std::string text;
    std::map<int, int> changed; // byte -> value; every other byte keeps its start value
};

void PrintTo(const ReadCase &c, std::ostream *out)
{
    *out << c.what;
}

class ImageFileRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(ImageFileRead, TakesNumbersUntilTheFirstThatIsNot)
{
    const ReadCase &c = GetParam();
    Scratch scratch;
    const QString path = scratch.write(QStringLiteral("_Torvo_TCI.ini"), QByteArray::fromStdString(c.text));
    ParameterImage image = startImage();
    ASSERT_TRUE(readImageFile(path, image));
    ParameterImage expected = startImage();
    for (const auto &[index, value] : c.changed)
        expected[index] = static_cast<std::uint8_t>(value);
    for (int i = 0; i < ParameterImage::kSize; ++i)
        EXPECT_EQ(int(image[i]), int(expected[i])) << "byte " << i << ", file: " << c.text.substr(0, 80);
}

std::map<int, int> counting(int from, int count)
{
    std::map<int, int> bytes;
    for (int i = 0; i < count; ++i)
        bytes[i] = from + i;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImageFileRead,
    ::testing::Values(
        ReadCase{"low 8 bits, the rest untouched", "300 5", {{0, 44}, {1, 5}}},
        ReadCase{"any white space between", "\t1\r\n2\v3\f 4\n\n5 ", counting(1, 5)},
        ReadCase{"only the first 55 of 60", numbers(1, 60), counting(1, 55)},
        ReadCase{"a word stops the read", "7 8 x 9", {{0, 7}, {1, 8}}},
        ReadCase{"a number glued to a word stops the read", "7 8x 9", {{0, 7}}},
        ReadCase{"no signs", "-1 5", {}},
        ReadCase{"a number too long for any integer", "99999999999999999999999 1", {{0, 255}, {1, 1}}},
        ReadCase{"empty file", "", {}},
        ReadCase{"a word longer than what is read", std::string(1 << 20, '1'), {}},
        ReadCase{"numbers beyond the first 64 KiB", "1 2" + std::string(70000, ' ') + "3", {{0, 1}, {1, 2}}}));

TEST(ImageFileWrite, DefaultSetIsWrittenInSixLines)
{
    Scratch scratch;
    const QString path = scratch.write(QStringLiteral("_Torvo_TCI.ini"), QByteArray(5000, 'x'));
    ParameterImage image;
    image.applyDefaults();
    image[54] = 255;
    QString reason;
    ASSERT_TRUE(writeImageFile(path, image, &reason)) << reason.toStdString();
    EXPECT_EQ(Scratch::read(path),
              "    3     9     5    70     1     1     0     0     0     0 \r\n"
              "   10    20    30    40    50    60    70    80    90   100 \r\n"
              "    5    15    20    25    33    33    33    33    33    33 \r\n"
              "    0     0     0     0     0     0     0     0     0     0 \r\n"
              "    0     0     0     0     0     0     0     0     0     0 \r\n"
              "    0     0     0     0   255 ");

    ParameterImage back = startImage();
    ASSERT_TRUE(readImageFile(path, back));
    EXPECT_EQ(back, image);
}

TEST(ImageFileWrite, FailureLeavesTheFileInTheWayAndSaysWhy)
{
    Scratch scratch;
    const QString blocker = scratch.write(QStringLiteral("blocker"), "not a folder");
    const QString path = blocker + QStringLiteral("/_Torvo_TCI.ini");
    QString reason;
    EXPECT_FALSE(writeImageFile(path, startImage(), &reason));
    EXPECT_TRUE(reason.contains(path)) << reason.toStdString();
    EXPECT_EQ(Scratch::read(blocker), "not a folder");
}

} // namespace
