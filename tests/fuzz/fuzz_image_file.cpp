// _Torvo_TCI.ini is read at every start; a damaged one must give a prefix of
// its numbers and nothing else. The reader is checked against a plain model:
// white-space separated words, the first 55 of them taken while they are
// unsigned decimal numbers, low 8 bits kept, and only the first 64 KiB seen.
#include "fuzzcheck.h"
#include "settings/imagefile.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

constexpr std::size_t kLookedAt = 64 * 1024;

std::unique_ptr<ScratchFolder> scratch;

bool isWordSeparator(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

ParameterImage expectedImage(std::string_view text, ParameterImage image)
{
    const bool cut = text.size() > kLookedAt;
    text = text.substr(0, kLookedAt);
    if (cut) {
        // The word the limit runs into is not whole.
        while (!text.empty() && !isWordSeparator(text.back()))
            text.remove_suffix(1);
    }
    int index = 0;
    std::size_t p = 0;
    while (index < ParameterImage::kSize) {
        while (p < text.size() && isWordSeparator(text[p]))
            ++p;
        const std::size_t begin = p;
        while (p < text.size() && !isWordSeparator(text[p]))
            ++p;
        const std::string_view word = text.substr(begin, p - begin);
        if (word.empty())
            break;
        unsigned value = 0;
        for (char c : word) {
            if (c < '0' || c > '9')
                return image;
            value = (value * 10 + static_cast<unsigned>(c - '0')) % 256;
        }
        image[index++] = static_cast<std::uint8_t>(value);
    }
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    scratch = std::make_unique<ScratchFolder>();
    return scratch->valid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString path = scratch->path(QStringLiteral("_Torvo_TCI.ini"));
    if (!writeScratchFile(path, input))
        fuzzFail("cannot write the scratch file");

    ParameterImage before;
    for (int i = 0; i < ParameterImage::kSize; ++i)
        before[i] = static_cast<std::uint8_t>(0xA5 ^ (i * 13));
    ParameterImage image = before;
    fuzzRequire(readImageFile(path, image), "an existing image file counts as unreadable");

    const ParameterImage expected =
        expectedImage(std::string_view(input.constData(), static_cast<std::size_t>(input.size())), before);
    fuzzRequire(image == expected, "the image file was read differently from its numbers",
                "read:     " + hexOf(image.bytes.data(), image.bytes.size()) + "\nexpected: "
                    + hexOf(expected.bytes.data(), expected.bytes.size()));
    return 0;
}
