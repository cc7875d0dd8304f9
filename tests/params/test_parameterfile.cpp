// The .ign file: exact layout written, the tolerant word reader, and the
// file-level open and save.
#include "params/parameterfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>
#include <sys/resource.h>

namespace {

using Curve = std::array<int, ParameterImage::kPoints>;
using Head = std::array<int, 6>; // Top14, Top23, BaseAdv, Limiter, Rpm2, BlokEnable

// Written out by hand, field by field: 12-character keyword fields, numbers
// right-aligned in 5 with one space after, flags with none.
const std::string kDefaultFile = "KORVELIN_KEY   16 \r\n"
                                 "\r\n"
                                 "RPM_ADV      1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 \r\n"
                                 "ADVANCE         5    15    20    25    33    33    33    33    33    33 \r\n"
                                 "TOP             3     9 \r\n"
                                 "BASE_ADV        5 \r\n"
                                 "LIMITER        70 \r\n"
                                 "RPM2            1\r\n"
                                 "BLOK_ENABLE     1";

const Curve kDefaultRpm{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
const Curve kDefaultAdvance{5, 15, 20, 25, 33, 33, 33, 33, 33, 33};
const Head kDefaultHead{3, 9, 5, 70, 1, 1};

// Every byte of the image a read starts from: a field still holding it was not touched.
constexpr int kU = 238;
const Curve kUntouchedCurve{kU, kU, kU, kU, kU, kU, kU, kU, kU, kU};

ParameterImage imageOf(const Head &head, const Curve &rpm, const Curve &advance, std::uint8_t otherBytes = 0)
{
    ParameterImage image;
    image.bytes.fill(otherBytes);
    for (int i = 0; i < 6; ++i)
        image[i] = static_cast<std::uint8_t>(head[static_cast<std::size_t>(i)]);
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        image.rpmAdv(k) = static_cast<std::uint8_t>(rpm[static_cast<std::size_t>(k)]);
        image.advance(k) = static_cast<std::uint8_t>(advance[static_cast<std::size_t>(k)]);
    }
    return image;
}

std::string fields(const ParameterImage &image)
{
    std::string s = "head";
    for (int i = 0; i < 6; ++i)
        s += ' ' + std::to_string(image[i]);
    s += " | rpm";
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        s += ' ' + std::to_string(image.rpmAdv(k));
    s += " | advance";
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        s += ' ' + std::to_string(image.advance(k));
    return s;
}

std::string shown(const std::string &text)
{
    std::string s;
    for (char c : text.substr(0, 90))
        s += (c >= 32 && c < 127) ? std::string(1, c) : c == '\n' ? "\\n" : c == '\r' ? "\\r" : "?";
    return text.size() > 90 ? s + "... (" + std::to_string(text.size()) + " bytes)" : s;
}

ParameterImage startImage()
{
    ParameterImage image;
    image.bytes.fill(kU);
    return image;
}

std::string binaryBlob(std::size_t size)
{
    std::string blob(size, '\0');
    std::uint32_t x = 12345;
    for (char &c : blob) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return blob;
}

bool writeFile(const QString &path, const std::string &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
           && file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

std::string readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

} // namespace

TEST(ParameterFileWriter, WritesTheNineLinesExactly)
{
    ParameterImage defaults;
    defaults.applyDefaults();
    ParameterImage other = imageOf({2, 8, 40, 250, 0, 0}, {5, 15, 25, 40, 60, 80, 100, 125, 150, 200},
                                   {0, 1, 10, 20, 30, 40, 50, 58, 59, 60});
    other[6] = 0x31; // reserved and spare bytes never reach the file
    other[49] = 0x32;
    other[54] = 0x33;
    ParameterImage oddFlags = defaults;
    oddFlags[ParameterImage::kRpm2] = 2;
    oddFlags[ParameterImage::kBlokEnable] = 255;

    const struct
    {
        const char *what;
        ParameterImage image;
        std::string expected;
    } cases[] = {
        {"default set", defaults, kDefaultFile},
        {"flags off, limiter 250, speeds up to 20000", other,
         "KORVELIN_KEY   16 \r\n"
         "\r\n"
         "RPM_ADV       500  1500  2500  4000  6000  8000 10000 12500 15000 20000 \r\n"
         "ADVANCE         0     1    10    20    30    40    50    58    59    60 \r\n"
         "TOP             2     8 \r\n"
         "BASE_ADV       40 \r\n"
         "LIMITER       250 \r\n"
         "RPM2            0\r\n"
         "BLOK_ENABLE     0"},
        {"any non-zero flag is written as 1", oddFlags, kDefaultFile},
    };
    for (const auto &c : cases) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteParameterFile(buffer, c.image);
        const std::string actual = buffer.data().toStdString();
        EXPECT_EQ(actual, c.expected) << c.what << "\n  image: " << fields(c.image);
    }
    // 256 characters of text and eight CR LF line ends.
    EXPECT_EQ(kDefaultFile.size(), 256u + 16u);
}

struct ReadCase
{
    const char *what;
    std::string text;
    bool found;
    Head head{kU, kU, kU, kU, kU, kU};
    Curve rpm = kUntouchedCurve;
    Curve advance = kUntouchedCurve;
    std::optional<Curve> normalisedRpm{}; // where the opened file's curve is worth spelling out
};

void PrintTo(const ReadCase &c, std::ostream *out)
{
    *out << c.what;
}

class ParameterFileReader : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(ParameterFileReader, ReadsWordsTolerantly)
{
    const ReadCase &c = GetParam();
    const ParameterImage start = startImage();
    ParameterImage image = start;
    QBuffer buffer;
    buffer.setData(QByteArray(c.text.data(), static_cast<qsizetype>(c.text.size())));
    buffer.open(QIODevice::ReadOnly);

    const bool found = ReadParameterFile(buffer, image);

    const ParameterImage expected = c.found ? imageOf(c.head, c.rpm, c.advance, kU) : start;
    EXPECT_EQ(found, c.found) << c.what << "\n  input: " << shown(c.text);
    EXPECT_EQ(fields(image), fields(expected)) << c.what << "\n  input: " << shown(c.text);
    EXPECT_EQ(image, expected) << c.what << ": a reserved or spare byte was touched";

    // The same through a file: the image changes only on success, and then with its curve ordered.
    QTemporaryDir dir;
    const QString path = dir.filePath("case.ign");
    ASSERT_TRUE(writeFile(path, c.text));
    ParameterImage opened = start;
    const OpenResult result = openParameterFile(path, opened);
    EXPECT_EQ(result, c.found ? OpenResult::Opened : OpenResult::WrongVersion) << c.what;
    if (!c.found) {
        EXPECT_EQ(opened, start) << c.what;
        return;
    }
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        EXPECT_GE(opened.rpmAdv(k), ParameterImage::rpmLowerBound(k)) << c.what << ", point " << k + 1;
        EXPECT_LE(opened.rpmAdv(k), ParameterImage::rpmUpperBound(k)) << c.what << ", point " << k + 1;
        if (k > 0) {
            EXPECT_LT(opened.rpmAdv(k - 1), opened.rpmAdv(k)) << c.what << ", point " << k + 1;
        }
    }
    if (c.normalisedRpm) {
        EXPECT_EQ(fields(opened), fields(imageOf(c.head, *c.normalisedRpm, c.advance))) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParameterFileReader,
    ::testing::Values(
        ReadCase{"the default file", kDefaultFile, true, kDefaultHead, kDefaultRpm, kDefaultAdvance},
        ReadCase{"lines reordered, blank lines and tabs",
                 "KORVELIN_KEY\t16\n\n\n\tBLOK_ENABLE\t0\nTOP 4\t8\r\n\r\nADVANCE\t1 2 3 4 5 6 7 8 9 10\n"
                 "LIMITER 80\nRPM_ADV 1100 2100 3100 4100 5100 6100 7100 8100 9100 9900\nBASE_ADV 7\nRPM2 0\n\n",
                 true, Head{4, 8, 7, 80, 0, 0}, Curve{11, 21, 31, 41, 51, 61, 71, 81, 91, 99},
                 Curve{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        ReadCase{"everything on one line",
                 "KORVELIN_KEY 16 RPM_ADV 1000 2000 3000 4000 5000 6000 7000 8000 9000 10000 ADVANCE 5 15 "
                 "20 25 33 33 33 33 33 33 TOP 3 9 BASE_ADV 5 LIMITER 70 RPM2 1 BLOK_ENABLE 1",
                 true, kDefaultHead, kDefaultRpm, kDefaultAdvance},
        ReadCase{"a header with 15 then one with 16: read from the second",
                 "KORVELIN_KEY 15\nLIMITER 99\nKORVELIN_KEY 16\nBASE_ADV 12", true,
                 Head{kU, kU, 12, kU, kU, kU}},
        ReadCase{"only a header with 15", "KORVELIN_KEY  15 \r\n\r\nLIMITER 99", false},
        ReadCase{"header in lower case", "korvelin_key 16\nLIMITER 99", false},
        ReadCase{"header word glued to its number", "KORVELIN_KEY16\nLIMITER 99", false},
        ReadCase{"header without a number, then another keyword", "KORVELIN_KEY\nLIMITER 16", false},
        ReadCase{"a header word right before a header", "KORVELIN_KEY KORVELIN_KEY 16 TOP 4 5", true,
                 Head{4, 5, kU, kU, kU, kU}},
        ReadCase{"empty file", "", false},
        ReadCase{"white space only", " \r\n\t\n", false},
        ReadCase{"a short RPM_ADV line repeats its last number",
                 "KORVELIN_KEY 16\nRPM_ADV 1000 2000\nADVANCE 1 2 3 4 5 6 7 8 9 10", true,
                 Head{kU, kU, kU, kU, kU, kU}, Curve{10, 20, 20, 20, 20, 20, 20, 20, 20, 20},
                 Curve{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, Curve{10, 20, 21, 22, 23, 24, 25, 26, 27, 28}},
        ReadCase{"LIMITER 15000 keeps the low byte", "KORVELIN_KEY 16\nLIMITER 15000", true,
                 Head{kU, kU, kU, 152, kU, kU}},
        ReadCase{"123 rpm as point 1 reads as 1",
                 "KORVELIN_KEY 16\nRPM_ADV 123 2000 3000 4000 5000 6000 7000 8000 9000 10000", true,
                 Head{kU, kU, kU, kU, kU, kU}, Curve{1, 20, 30, 40, 50, 60, 70, 80, 90, 100}, kUntouchedCurve,
                 Curve{2, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
        ReadCase{"values missing right after the header take its 16",
                 "KORVELIN_KEY 16\nLIMITER\nBASE_ADV\nRPM_ADV\nADVANCE", true, Head{kU, kU, 16, 16, kU, kU},
                 Curve{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Curve{16, 16, 16, 16, 16, 16, 16, 16, 16, 16}},
        ReadCase{"junk words, COMMENT 5 and numbers left over are skipped",
                 "garbage 7 KORVELIN_KEY 16\nCOMMENT 5\nfoo bar 77\nTOP 4 5 6 7\nBASE_ADV 9 10 Limiter 3", true,
                 Head{4, 5, 9, kU, kU, kU}},
        ReadCase{"the last occurrence of a keyword wins",
                 "KORVELIN_KEY 16 LIMITER 80 TOP 2 3 LIMITER 90 TOP 7", true, Head{7, 7, kU, 90, kU, kU}},
        ReadCase{"numbers beyond 16 bits and signed ones are no numbers: the last number read stands in",
                 "KORVELIN_KEY 16\nLIMITER 65791\nBASE_ADV 4294967596\nTOP 65536 "
                 "12345678901234567890123456789012345678901234567890\nRPM_ADV 65535 +2000 -5\nADVANCE 7 -0",
                 true, Head{16, 16, 16, 16, kU, kU}, Curve{143, 143, 143, 143, 143, 143, 143, 143, 143, 143},
                 Curve{7, 7, 7, 7, 7, 7, 7, 7, 7, 7}},
        ReadCase{"a lone sign is no number", "KORVELIN_KEY 16 LIMITER - 5 BASE_ADV +x", true,
                 Head{kU, kU, 16, 16, kU, kU}},
        ReadCase{"words glued to digits: the digits are read, the rest is the next word",
                 "KORVELIN_KEY 16abc\nLIMITER 12abc\nADVANCE 1 2 3x 4\nTOP 4TOP 5 6", true,
                 Head{5, 6, kU, 12, kU, kU}, kUntouchedCurve, Curve{1, 2, 3, 3, 3, 3, 3, 3, 3, 3}},
        ReadCase{"overlong words, one of them starting with the header word",
                 std::string(300, 'W') + " KORVELIN_KEY" + std::string(5000, 'X') + " 16 " +
                     std::string(1 << 20, 'Y') + " KORVELIN_KEY 16 " + std::string(1 << 20, '7') + " LIMITER 90",
                 true, Head{kU, kU, kU, 90, kU, kU}},
        ReadCase{"an overlong number as a field's value, leading zeros",
                 "KORVELIN_KEY 16 LIMITER " + std::string(1 << 20, '9') + " BASE_ADV " + std::string(1 << 20, '0') +
                     "3",
                 true, Head{kU, kU, 3, 16, kU, kU}},
        ReadCase{"a 200 KB binary blob", binaryBlob(200 * 1024), false},
        ReadCase{"a header followed by a 200 KB binary blob", "KORVELIN_KEY 16 " + binaryBlob(200 * 1024),
                 true}));

// No file this tool writes holds a sign or a number beyond 16 bits; read as
// formatted input reads them, "ADVANCE -5" became 251 degrees and
// "KORVELIN_KEY 65552" version 16. Such a word is no number wherever a number
// is read: a field takes the last number read (here the header's 16), and a
// header followed by one is no header.
TEST(ParameterFileReader, SignedAndOverflowingWordsAreNoNumbers)
{
    const std::string words[] = {"-5", "+5", "-0", "+16", "65536", "65552", "70000abc", "18446744073709551617",
                                 std::string(40, '9')};
    const struct
    {
        const char *keyword;
        std::vector<int> bytes;
        int stored; // what 16 becomes in those bytes
    } keywords[] = {
        {"RPM_ADV", {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 0},
        {"ADVANCE", {20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, 16},
        {"TOP", {0, 1}, 16},
        {"BASE_ADV", {2}, 16},
        {"LIMITER", {3}, 16},
        {"RPM2", {4}, 16},
        {"BLOK_ENABLE", {5}, 16},
    };
    for (const std::string &word : words) {
        ParameterImage image = startImage();
        EXPECT_FALSE(readParameterText(QByteArray::fromStdString("KORVELIN_KEY " + word + "\nLIMITER 9"), image))
            << "header followed by " << word;
        EXPECT_TRUE(readParameterText(QByteArray::fromStdString("KORVELIN_KEY " + word + " KORVELIN_KEY 16 TOP 4 5"),
                                      image))
            << "a later header after " << word;
        for (const auto &k : keywords) {
            std::string text = std::string("KORVELIN_KEY 16\n") + k.keyword;
            for (std::size_t i = 0; i < k.bytes.size(); ++i)
                text += ' ' + word;
            ParameterImage expected = startImage();
            for (int b : k.bytes)
                expected[b] = static_cast<std::uint8_t>(k.stored);
            ParameterImage read = startImage();
            ASSERT_TRUE(readParameterText(QByteArray::fromStdString(text), read)) << text;
            EXPECT_EQ(fields(read), fields(expected)) << text;
        }
    }
}

// The command line's strict reading names the first field, in file order,
// that a file leaves out or holds beyond what its control can hold; the
// tolerant reader would have taken the last number read or a wrapped byte.
TEST(ParameterFileStrict, NamesTheLineAndTheFieldOfWhatIsMissingOrOutOfRange)
{
    const auto replaced = [](const std::string &from, const std::string &to) {
        std::string text = kDefaultFile;
        return text.replace(text.find(from), from.size(), to);
    };
    const struct
    {
        const char *what;
        std::string text;
        std::optional<ParameterFileProblem> problem;
    } cases[] = {
        {"the file the writer writes", kDefaultFile, std::nullopt},
        {"a header and nothing else", "KORVELIN_KEY 16\r\n",
         ParameterFileProblem{1, "RPM point 1", "the file has no RPM_ADV line"}},
        {"no LIMITER line", replaced("LIMITER        70 \r\n", ""),
         ParameterFileProblem{8, "Limiter", "the file has no LIMITER line"}},
        {"nine speeds", replaced(" 10000 ", ""), ParameterFileProblem{3, "RPM point 10", "no number for it on the RPM_ADV line"}},
        {"a number beyond 16 bits", replaced("  5000 ", " 70000 "),
         ParameterFileProblem{3, "RPM point 5", "no number for it on the RPM_ADV line"}},
        {"a speed below its control", replaced("  2000 ", "   250 "),
         ParameterFileProblem{3, "RPM point 2", "250 rpm is outside 300..20100 rpm"}},
        {"an advance beyond 60", replaced("   20    25", "   75    25"),
         ParameterFileProblem{4, "Advance point 3", "75 deg is outside 0..60 deg"}},
        {"a limiter in rpm instead of hundreds", replaced("LIMITER        70", "LIMITER      7000"),
         ParameterFileProblem{7, "Limiter", "700000 rpm (LIMITER 7000) is outside 900..25000 rpm"}},
        {"the lowest limiter", replaced("LIMITER        70", "LIMITER         9"), std::nullopt},
        {"a flag of 2", replaced("RPM2            1", "RPM2            2"),
         ParameterFileProblem{8, "Tachometer 2x", "2 is outside 0..1"}},
        {"a field given twice, the last one whole", kDefaultFile + "\r\nLIMITER 999 LIMITER 90", std::nullopt},
        {"no header: the tolerant reader's refusal", "LIMITER 70", std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<ParameterFileProblem> problem = strictParameterProblem(QByteArray::fromStdString(c.text));
        EXPECT_EQ(problem.has_value(), c.problem.has_value()) << c.what;
        if (problem && c.problem) {
            EXPECT_EQ(problem->line, c.problem->line) << c.what;
            EXPECT_EQ(problem->field.toStdString(), c.problem->field.toStdString()) << c.what;
            EXPECT_EQ(problem->text.toStdString(), c.problem->text.toStdString()) << c.what;
        }
    }
}

TEST(ParameterFileOpen, RefusesWhatCannotBeReadAndKeepsTheImage)
{
    QTemporaryDir dir;
    const QString oversized = dir.filePath("big.ign");
    {
        QFile file(oversized);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(kDefaultFile + " "));
        ASSERT_TRUE(file.resize(kMaxParameterFileBytes + 1)); // a valid file padded beyond the limit
    }
    const struct
    {
        const char *what;
        QString path;
        OpenResult want;
    } cases[] = {
        {"a file beyond the size limit", oversized, OpenResult::WrongVersion},
    };
    for (const auto &c : cases) {
        ParameterImage image = startImage();
        QString reason;
        EXPECT_EQ(openParameterFile(c.path, image, &reason), c.want) << c.what;
        EXPECT_FALSE(reason.isEmpty()) << c.what;
        EXPECT_EQ(image, startImage()) << c.what;
    }
}

TEST(ParameterFileSave, RoundTripGivesBackTheNamedFields)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("set.ign");
    ParameterImage saved = imageOf({2, 8, 40, 250, 0, 1}, {2, 15, 25, 40, 60, 80, 100, 125, 150, 200},
                                   {0, 1, 10, 20, 30, 40, 50, 58, 59, 60});
    saved[7] = 99;
    QString reason;
    ASSERT_TRUE(saveParameterFile(path, saved, &reason)) << reason.toStdString();

    ParameterImage opened = startImage();
    ASSERT_EQ(openParameterFile(path, opened), OpenResult::Opened);
    EXPECT_EQ(fields(opened), fields(saved));
    EXPECT_EQ(opened[7], kU) << "a reserved byte travelled through the file";
}

namespace {

// Lowers the largest file size this process may write, as a full disk would
// stop a write part-way; restored on leaving the scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = bytes;
        applied = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    bool applied = false;

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

} // namespace

TEST(ParameterFileSave, AFailedSaveLeavesTheEarlierFileIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("set.ign");
    const std::string earlier = "KORVELIN_KEY 16 LIMITER 90";
    ASSERT_TRUE(writeFile(path, earlier));
    ParameterImage image;
    image.applyDefaults();

    // A write that stops part-way, as on a full disk.
    {
        FileSizeLimit limit(40);
        ASSERT_TRUE(limit.applied);
        QString reason;
        EXPECT_FALSE(saveParameterFile(path, image, &reason));
        EXPECT_FALSE(reason.isEmpty());
    }
    EXPECT_EQ(readFile(path), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"set.ign"}) << "a temporary was left behind";

    // A folder that is a regular file: cannot be created, for any user.
    QString reason;
    EXPECT_FALSE(saveParameterFile(path + "/x.ign", image, &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(readFile(path), earlier);
}
