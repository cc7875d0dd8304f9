#include "params/parameterfile.h"

#include "params/fields.h"
#include "params/filesave.h"
#include "params/regularfile.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace {

constexpr int kKeywordField = 12;
constexpr int kNumberField = 5;
constexpr QByteArrayView kLineEnd = "\r\n";

constexpr std::string_view kHeader = "KORVELIN_KEY";
constexpr std::string_view kRpmAdv = "RPM_ADV";
constexpr std::string_view kAdvance = "ADVANCE";
constexpr std::string_view kTop = "TOP";
constexpr std::string_view kBaseAdv = "BASE_ADV";
constexpr std::string_view kLimiter = "LIMITER";
constexpr std::string_view kRpm2 = "RPM2";
constexpr std::string_view kBlokEnable = "BLOK_ENABLE";

void appendKeyword(QByteArray &out, std::string_view keyword)
{
    out += QByteArray(keyword.data(), static_cast<qsizetype>(keyword.size()))
               .leftJustified(kKeywordField, ' ');
}

void appendNumber(QByteArray &out, unsigned value, int width = kNumberField)
{
    out += QByteArray::number(value).rightJustified(width, ' ');
}

// A keyword line of numbers, each followed by one space.
void appendNumbersLine(QByteArray &out, std::string_view keyword, std::span<const unsigned> values)
{
    appendKeyword(out, keyword);
    for (unsigned value : values) {
        appendNumber(out, value);
        out += ' ';
    }
    out += kLineEnd;
}

// The C locale's white space, as formatted input knows it.
constexpr bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Walks the text as formatted input does: words are runs of anything but
// white space, and a number is read from the front of the next word, leaving
// whatever follows its digits to be read as the next word. Words are views
// into the text, so a word of any length costs no storage.
class WordScanner
{
public:
    explicit WordScanner(QByteArrayView text) : pos(text.data()), end(text.data() + text.size()) {}

    // The line (1-based) of the next word, once white space before it is passed.
    int line()
    {
        skipSpace();
        return lineNumber;
    }
    // The line of the last word or number taken.
    int lastWordLine() const { return lastLine; }

    // The next word, or nothing at the end of the text.
    std::optional<std::string_view> nextWord()
    {
        skipSpace();
        if (pos == end)
            return std::nullopt;
        const char *start = pos;
        lastLine = lineNumber;
        while (pos != end && !isSpace(*pos))
            ++pos;
        return std::string_view(start, static_cast<std::size_t>(pos - start));
    }

    // An unsigned decimal number at the front of the next word. A sign in
    // front, or a value beyond 16 bits, makes the word no number: a file this
    // tool writes never holds one, and formatted input would turn "-5" or
    // "65552" into an extreme angle, a limiter of 25,000 rpm or a file
    // version of 16. When the next word is no number (or the text has
    // ended), the number is left as it was and no word is consumed.
    bool readNumber(std::uint16_t &number)
    {
        skipSpace();
        const char *p = pos;
        if (p == end || !isDigit(*p))
            return false;
        std::uint32_t value = 0;
        for (; p != end && isDigit(*p); ++p) {
            value = value * 10u + static_cast<std::uint32_t>(*p - '0');
            if (value > 0xFFFFu)
                return false;
        }
        number = static_cast<std::uint16_t>(value);
        pos = p;
        lastLine = lineNumber;
        return true;
    }

private:
    void skipSpace()
    {
        for (; pos != end && isSpace(*pos); ++pos) {
            if (*pos == '\n')
                ++lineNumber;
        }
    }

    const char *pos;
    const char *end;
    int lineNumber = 1;
    int lastLine = 1;
};

// The header every reading looks for first: a "KORVELIN_KEY" word followed by
// the number 16; words before it, and headers of other versions, are passed over.
bool seekHeader(WordScanner &scanner)
{
    std::uint16_t number = 0;
    while (const auto word = scanner.nextWord()) {
        if (*word == kHeader && scanner.readNumber(number) && number == kParameterFileVersion)
            return true;
    }
    return false;
}

// One number variable serves the whole file: a read that fails hands the
// field the variable's current value, so a short line repeats its last number.
class FieldReader
{
public:
    explicit FieldReader(QByteArrayView text) : scanner(text) {}

    bool findHeader()
    {
        if (!seekHeader(scanner))
            return false;
        number = static_cast<std::uint16_t>(kParameterFileVersion);
        return true;
    }

    void readBody(ParameterImage &image)
    {
        while (const auto word = scanner.nextWord()) {
            if (*word == kRpmAdv) {
                for (int k = 0; k < ParameterImage::kPoints; ++k)
                    image.rpmAdv(k) = lowByte(next() / 100u);
            } else if (*word == kAdvance) {
                for (int k = 0; k < ParameterImage::kPoints; ++k)
                    image.advance(k) = lowByte(next());
            } else if (*word == kTop) {
                image[ParameterImage::kTop14] = lowByte(next());
                image[ParameterImage::kTop23] = lowByte(next());
            } else if (*word == kBaseAdv) {
                image[ParameterImage::kBaseAdv] = lowByte(next());
            } else if (*word == kLimiter) {
                image[ParameterImage::kLimiter] = lowByte(next());
            } else if (*word == kRpm2) {
                image[ParameterImage::kRpm2] = lowByte(next());
            } else if (*word == kBlokEnable) {
                image[ParameterImage::kBlokEnable] = lowByte(next());
            }
        }
    }

private:
    static std::uint8_t lowByte(unsigned value) { return static_cast<std::uint8_t>(value & 0xFFu); }

    unsigned next()
    {
        scanner.readNumber(number);
        return number;
    }

    WordScanner scanner;
    std::uint16_t number = 0;
};

// Reads at most limit + 1 bytes, so an oversized file (or an endless device)
// is recognised without being read whole.
bool readAtMost(QIODevice &in, qint64 limit, QByteArray &content)
{
    constexpr qint64 kChunk = 64 * 1024;
    if (!in.isSequential()) {
        if (in.size() - in.pos() > limit)
            return false;
        content.reserve(static_cast<qsizetype>(in.size() - in.pos()));
    }
    while (content.size() <= limit) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty())
            return true;
        content += chunk;
    }
    return false;
}

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

} // namespace

QByteArray parameterFileText(const ParameterImage &image)
{
    std::array<unsigned, ParameterImage::kPoints> speeds{};
    std::array<unsigned, ParameterImage::kPoints> advances{};
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        speeds[static_cast<std::size_t>(k)] = image.rpmAdv(k) * 100u;
        advances[static_cast<std::size_t>(k)] = image.advance(k);
    }
    const std::array<unsigned, 2> tops{image[ParameterImage::kTop14], image[ParameterImage::kTop23]};
    const unsigned baseAdv = image[ParameterImage::kBaseAdv];
    const unsigned limiter = image[ParameterImage::kLimiter];

    QByteArray out;
    out.reserve(300);
    appendKeyword(out, kHeader);
    out += "  ";
    appendNumber(out, kParameterFileVersion, 3);
    out += ' ';
    out += kLineEnd;
    out += kLineEnd; // the empty second line
    appendNumbersLine(out, kRpmAdv, speeds);
    appendNumbersLine(out, kAdvance, advances);
    appendNumbersLine(out, kTop, tops);
    appendNumbersLine(out, kBaseAdv, {&baseAdv, 1});
    // The limiter stays in hundreds of rpm, unlike the curve speeds.
    appendNumbersLine(out, kLimiter, {&limiter, 1});
    // The flags are written as 0 or 1 with no space after them; the last line
    // has no line end.
    appendKeyword(out, kRpm2);
    appendNumber(out, image[ParameterImage::kRpm2] != 0 ? 1u : 0u);
    out += kLineEnd;
    appendKeyword(out, kBlokEnable);
    appendNumber(out, image[ParameterImage::kBlokEnable] != 0 ? 1u : 0u);
    return out;
}

void WriteParameterFile(QIODevice &out, const ParameterImage &image)
{
    out.write(parameterFileText(image));
}

bool readParameterText(QByteArrayView text, ParameterImage &image)
{
    FieldReader reader(text);
    if (!reader.findHeader())
        return false;
    reader.readBody(image);
    return true;
}

bool ReadParameterFile(QIODevice &in, ParameterImage &image)
{
    return readParameterText(in.readAll(), image);
}

std::optional<ParameterFileProblem> strictParameterProblem(QByteArrayView text)
{
    WordScanner scanner(text);
    if (!seekHeader(scanner))
        return std::nullopt;
    // Each field as the last of its keyword lines gives it: the number, or
    // none, and where.
    struct Given
    {
        bool keyword = false;
        std::optional<std::uint16_t> number;
        int line = 0;
    };
    std::array<Given, kFieldCount> given{};
    const auto &table = fieldTable();
    while (const auto word = scanner.nextWord()) {
        const int keywordLine = scanner.line();
        // The keyword's fields in the order of their numbers on its line.
        for (int place = 0; place < ParameterImage::kPoints; ++place) {
            const auto spec = std::find_if(table.begin(), table.end(), [&](const FieldSpec &f) {
                return *word == f.fileWord && f.fileIndex == place;
            });
            if (spec == table.end())
                break;
            Given &g = given[static_cast<std::size_t>(fieldIndex(spec->field))];
            g.keyword = true;
            g.line = scanner.line();
            std::uint16_t number = 0;
            if (scanner.readNumber(number)) {
                g.number = number;
            } else {
                g.number.reset();
                g.line = keywordLine;
            }
        }
    }
    const int lastLine = scanner.lastWordLine();
    for (const FieldSpec &spec : table) {
        const Given &g = given[static_cast<std::size_t>(fieldIndex(spec.field))];
        const QString word = QString::fromLatin1(spec.fileWord);
        if (!g.keyword)
            return ParameterFileProblem{lastLine, spec.name, QStringLiteral("the file has no %1 line").arg(word)};
        if (!g.number)
            return ParameterFileProblem{g.line, spec.name, QStringLiteral("no number for it on the %1 line").arg(word)};
        const int byte = *g.number / spec.fileScale;
        if (byte >= lowestByte(spec) && byte <= highestByte(spec))
            continue;
        // In the control's unit; the file's own number too where it differs.
        const QString unit = *spec.unit ? QStringLiteral(" ") + QLatin1String(spec.unit) : QString();
        const int value = *g.number * spec.scale / spec.fileScale;
        const QString asWritten =
            value != *g.number ? QStringLiteral(" (%1 %2)").arg(word).arg(*g.number) : QString();
        return ParameterFileProblem{g.line, spec.name,
                                    QStringLiteral("%1%2%3 is outside %4..%5%2")
                                        .arg(value)
                                        .arg(unit, asWritten)
                                        .arg(lowestByte(spec) * spec.scale)
                                        .arg(highestByte(spec) * spec.scale)};
    }
    return std::nullopt;
}

OpenResult readParameterFileBytes(const QString &path, QByteArray &content, QString *reason)
{
    QFile file(path);
    if (!openRegularFile(file, QIODevice::ReadOnly, reason))
        return OpenResult::CannotOpen;
    // A parameter file is a few hundred bytes. Anything beyond the limit is
    // not one of ours: it is refused as having no header instead of being
    // read whole into memory.
    content.clear();
    if (!readAtMost(file, kMaxParameterFileBytes, content)) {
        setReason(reason, QStringLiteral("file larger than %1 bytes").arg(kMaxParameterFileBytes));
        return OpenResult::WrongVersion;
    }
    return OpenResult::Opened;
}

OpenResult openParameterFile(const QString &path, ParameterImage &image, QString *reason)
{
    QByteArray content;
    if (const OpenResult result = readParameterFileBytes(path, content, reason); result != OpenResult::Opened)
        return result;
    ParameterImage read = image;
    if (!readParameterText(content, read)) {
        setReason(reason, QStringLiteral("no KORVELIN_KEY %1 header").arg(kParameterFileVersion));
        return OpenResult::WrongVersion;
    }
    read.normaliseCurve();
    image = read;
    return OpenResult::Opened;
}

bool saveParameterFile(const QString &path, const ParameterImage &image, QString *reason)
{
    return saveFileContents(path, parameterFileText(image), reason);
}
