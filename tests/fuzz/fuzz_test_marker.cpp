// test_varnek.txt switches the test values on. The reader is checked against
// a plain tokenizer over the same first 4 MiB: on exactly when one whole
// white-space separated word is TEST_ENABLE.
#include "fuzzcheck.h"
#include "settings/testmodemarker.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace {

constexpr std::size_t kReadLimit = std::size_t(4) << 20;

std::unique_ptr<ScratchFolder> scratch;

bool markerExpected(std::string_view text)
{
    // A word running into the limit is cut, so it is no word.
    const bool whole = text.size() <= kReadLimit;
    text = text.substr(0, kReadLimit);
    std::size_t p = 0;
    while (p < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[p]))) {
            ++p;
            continue;
        }
        const std::size_t begin = p;
        while (p < text.size() && !std::isspace(static_cast<unsigned char>(text[p])))
            ++p;
        const bool lastAndCut = p == text.size() && !whole;
        if (!lastAndCut && text.substr(begin, p - begin) == "TEST_ENABLE")
            return true;
    }
    return false;
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
    const QString path = scratch->path(QStringLiteral("test_varnek.txt"));
    if (!writeScratchFile(path, input))
        fuzzFail("cannot write the scratch file");
    const bool expected = markerExpected(std::string_view(input.constData(), static_cast<std::size_t>(input.size())));
    const bool read = readTestModeMarker(path);
    fuzzRequire(read == expected, read ? "test mode on without the word" : "test mode off despite the word");
    return 0;
}
