// The test-mode marker: the exact word, anywhere in the file.
#include "scratch.h"

#include "settings/testmodemarker.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct MarkerCase
{
    const char *what;
    std::string text;
    bool enabled;
};

void PrintTo(const MarkerCase &c, std::ostream *out)
{
    *out << c.what;
}

class TestModeMarker : public ::testing::TestWithParam<MarkerCase>
{
};

TEST_P(TestModeMarker, IsOnOnlyForTheExactWord)
{
    const MarkerCase &c = GetParam();
    Scratch scratch;
    const QString path = scratch.write(QStringLiteral("test_varnek.txt"), QByteArray::fromStdString(c.text));
    EXPECT_EQ(readTestModeMarker(path), c.enabled) << "file: " << c.text.substr(0, 80);
}

const std::string kMegabyteWord(1000000, 'W');

INSTANTIATE_TEST_SUITE_P(
    Files, TestModeMarker,
    ::testing::Values(MarkerCase{"the word alone", "TEST_ENABLE", true},
                      MarkerCase{"among other words and white space", "one\ttwo\r\nTEST_ENABLE\vthree\n", true},
                      MarkerCase{"after a 1 MB word", kMegabyteWord + " TEST_ENABLE", true},
                      MarkerCase{"in small letters", "test_enable", false},
                      MarkerCase{"a digit appended", "TEST_ENABLE1", false},
                      MarkerCase{"a digit in front", "1TEST_ENABLE", false},
                      MarkerCase{"at the start of a 1 MB word", "TEST_ENABLE" + kMegabyteWord, false},
                      MarkerCase{"at the end of a 1 MB word", kMegabyteWord + "TEST_ENABLE", false},
                      MarkerCase{"at the end of a 256-character word", std::string(245, 'W') + "TEST_ENABLE", false},
                      MarkerCase{"empty file", "", false}));

} // namespace
