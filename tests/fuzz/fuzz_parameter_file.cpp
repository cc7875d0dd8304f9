// .ign files come from anywhere (mail, sticks, other versions of the tool):
// the reader must leave the image alone without a header, keep the bytes no
// file carries, take no value from a word with a sign or beyond 16 bits, and
// whatever it reads must survive the curve rules and a round trip through the
// writer.
#include "fuzzcheck.h"
#include "params/parameterfile.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace {

// A background no file produces, so that a byte written where none may be
// written shows up.
ParameterImage background(std::uint8_t seed)
{
    ParameterImage image;
    for (int i = 0; i < ParameterImage::kSize; ++i)
        image[i] = static_cast<std::uint8_t>(seed ^ (i * 37 + 11));
    return image;
}

bool isFileField(int i)
{
    return (i >= 0 && i <= 5) || (i >= ParameterImage::kRpmAdv && i < ParameterImage::kAdvance + ParameterImage::kPoints);
}

QByteArray imageHex(const ParameterImage &image)
{
    return hexOf(image.bytes.data(), image.bytes.size());
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The input's words, as runs of anything but white space.
std::vector<QByteArrayView> wordsOf(QByteArrayView input)
{
    std::vector<QByteArrayView> words;
    qsizetype p = 0;
    while (p < input.size()) {
        while (p < input.size() && isSpace(input[p]))
            ++p;
        const qsizetype start = p;
        while (p < input.size() && !isSpace(input[p]))
            ++p;
        if (p > start)
            words.push_back(input.sliced(start, p - start));
    }
    return words;
}

// The number a word starts with: its leading digits, when there is no sign in
// front and the value fits 16 bits. Only such numbers can reach a field.
std::optional<unsigned> numberOf(QByteArrayView word)
{
    unsigned value = 0;
    qsizetype p = 0;
    for (; p < word.size() && word[p] >= '0' && word[p] <= '9'; ++p) {
        value = value * 10 + static_cast<unsigned>(word[p] - '0');
        if (value > 0xFFFF)
            return std::nullopt;
    }
    return p > 0 ? std::optional<unsigned>(value) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const ParameterImage before = background(0x5A);

    ParameterImage image = before;
    const bool read = readParameterText(input, image);

    // The device reader sees the same text the same way.
    ParameterImage fromDevice = before;
    QBuffer buffer;
    buffer.setData(input);
    buffer.open(QIODevice::ReadOnly);
    fuzzRequire(ReadParameterFile(buffer, fromDevice) == read, "ReadParameterFile and readParameterText disagree");
    fuzzRequire(fromDevice == image, "ReadParameterFile and readParameterText read different images",
                imageHex(image) + "\n" + imageHex(fromDevice));

    if (!read) {
        fuzzRequire(image == before, "a file without header changed the image", imageHex(image));
        return 0;
    }
    // A header is a word ending in the header word (the digits of a number
    // read before it may stand in front), then a word that is 16.
    const std::vector<QByteArrayView> words = wordsOf(input);
    bool header = false;
    std::set<std::uint8_t> bytes, speeds; // what a number can leave in a field and in a curve speed
    for (std::size_t w = 0; w < words.size(); ++w) {
        header = header || (words[w].endsWith("KORVELIN_KEY") && w + 1 < words.size() && numberOf(words[w + 1]) == 16u);
        if (const std::optional<unsigned> n = numberOf(words[w])) {
            bytes.insert(static_cast<std::uint8_t>(*n));
            speeds.insert(static_cast<std::uint8_t>(*n / 100));
        }
    }
    fuzzRequire(header, "a header was found without a KORVELIN_KEY word and the number 16", input.left(200));
    for (int i = 0; i < ParameterImage::kSize; ++i) {
        if (!isFileField(i)) {
            fuzzRequire(image[i] == before[i], "a byte no file carries was changed", imageHex(image));
        } else if (image[i] != before[i]) {
            const bool speed = i >= ParameterImage::kRpmAdv && i < ParameterImage::kRpmAdv + ParameterImage::kPoints;
            fuzzRequire((speed ? speeds : bytes).count(image[i]) == 1,
                        "a field holds a value no unsigned 16-bit number of the file gives", imageHex(image));
        }
    }

    image.normaliseCurve();
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        const int rpm = image.rpmAdv(k);
        fuzzRequire(rpm >= ParameterImage::rpmLowerBound(k) && rpm <= ParameterImage::rpmUpperBound(k),
                    "a curve speed outside its point's bounds", imageHex(image));
        if (k > 0)
            fuzzRequire(rpm > image.rpmAdv(k - 1), "the curve does not rise", imageHex(image));
    }
    ParameterImage again = image;
    again.normaliseCurve();
    fuzzRequire(again == image, "normalising a normalised curve changed it", imageHex(image));

    // What the writer makes of it reads back as the same set, onto any background.
    const QByteArray text = parameterFileText(image);
    ParameterImage back = background(0xC3);
    fuzzRequire(readParameterText(text, back), "the writer's own text has no header", text);
    for (int i = 0; i < ParameterImage::kSize; ++i) {
        // The two flags are written as exactly 0 or 1: any other byte counts
        // as on wherever it is shown, so on and off is what must survive.
        const bool flag = i == ParameterImage::kRpm2 || i == ParameterImage::kBlokEnable;
        const bool same = flag ? (back[i] != 0) == (image[i] != 0) : back[i] == image[i];
        if (isFileField(i))
            fuzzRequire(same, "a field did not survive the round trip",
                        imageHex(image) + "\n" + imageHex(back) + "\n" + text);
    }
    return 0;
}
