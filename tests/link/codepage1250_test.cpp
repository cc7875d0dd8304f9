// Tests of the code page 1250 conversion the unit's texts go through.
#include "link/codepage1250.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string hex(const QByteArray &bytes)
{
    return bytes.toHex(' ').toStdString();
}

std::string codePoints(const QString &text)
{
    std::string out;
    for (const QChar c : text)
        out += QStringLiteral("U+%1 ").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper().toStdString();
    return out;
}

QString decodeByte(unsigned byte)
{
    const char c = static_cast<char>(byte);
    return fromCp1250(&c, 1);
}

bool isUndefined(unsigned byte)
{
    return byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98;
}

} // namespace

TEST(Cp1250Decode, SingleBytes)
{
    struct Case
    {
        unsigned byte;
        char16_t expected;
        const char *what;
    };
    const Case cases[] = {
        {0x00, 0x0000, "zero stays a character"},
        {0x41, 0x0041, "A"},
        {0x7F, 0x007F, "last ASCII byte"},
        {0x80, 0x20AC, "euro sign"},
        {0x8A, 0x0160, "S caron"},
        {0x8E, 0x017D, "Z caron"},
        {0x9A, 0x0161, "s caron"},
        {0x9E, 0x017E, "z caron"},
        {0xBE, 0x013E, "l caron (not z caron, as in ISO 8859-2)"},
        {0xA0, 0x00A0, "no-break space"},
        {0xB0, 0x00B0, "degree sign"},
        {0xC8, 0x010C, "C caron"},
        {0xD8, 0x0158, "R caron"},
        {0xD9, 0x016E, "U ring"},
        {0xE1, 0x00E1, "a acute"},
        {0xE8, 0x010D, "c caron"},
        {0xEC, 0x011B, "e caron"},
        {0xED, 0x00ED, "i acute"},
        {0xF8, 0x0159, "r caron"},
        {0xF9, 0x016F, "u ring"},
        {0xFD, 0x00FD, "y acute"},
        {0xFF, 0x02D9, "dot above"},
        {0x81, 0xFFFD, "undefined"},
        {0x83, 0xFFFD, "undefined"},
        {0x88, 0xFFFD, "undefined"},
        {0x90, 0xFFFD, "undefined"},
        {0x98, 0xFFFD, "undefined"},
    };
    for (const Case &c : cases) {
        const QString decoded = decodeByte(c.byte);
        const QString expected(QChar(c.expected));
        EXPECT_EQ(decoded, expected) << "byte 0x" << std::hex << c.byte << " (" << c.what << "): expected "
                                     << codePoints(expected) << "got " << codePoints(decoded);
    }
}

TEST(Cp1250Decode, WholeUpperHalf)
{
    // Sixteen bytes to a line, written as the characters a Czech code chart
    // shows; the invisible ones and the undefined places as escapes.
    const char16_t *const rows[] = {
        u"\u20AC\uFFFD\u201A\uFFFD\u201E\u2026\u2020\u2021\uFFFD\u2030Š‹ŚŤŽŹ",
        u"\uFFFD\u2018\u2019\u201C\u201D\u2022\u2013\u2014\uFFFD\u2122š›śťžź",
        u"\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬\u00AD®Ż",
        u"°±˛ł´µ¶·¸ąş»Ľ˝ľż",
        u"ŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎ",
        u"ĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢß",
        u"ŕáâăäĺćçčéęëěíîď",
        u"đńňóôőö÷řůúűüýţ˙",
    };
    for (int row = 0; row < 8; ++row) {
        QByteArray bytes;
        for (int i = 0; i < 16; ++i)
            bytes.append(static_cast<char>(0x80 + row * 16 + i));
        const QString expected = QString::fromUtf16(rows[row]);
        ASSERT_EQ(expected.size(), 16) << "row " << row << " of the test itself";
        const QString decoded = fromCp1250(bytes.constData(), bytes.size());
        EXPECT_EQ(decoded, expected) << "bytes " << hex(bytes) << "\nexpected " << codePoints(expected)
                                     << "\ngot      " << codePoints(decoded);
    }
}

TEST(Cp1250Decode, LengthsAndNullInput)
{
    EXPECT_TRUE(fromCp1250(nullptr, 5).isEmpty());
    EXPECT_TRUE(fromCp1250("abc", 0).isEmpty());
    EXPECT_TRUE(fromCp1250("abc", -1).isEmpty());
    EXPECT_EQ(fromCp1250("abc", 2), QStringLiteral("ab"));
    // Zero bytes are not terminators here: the caller decides where text ends.
    const QString withZero = fromCp1250("a\0b", 3);
    EXPECT_EQ(withZero.size(), 3);
    EXPECT_EQ(withZero.at(1).unicode(), 0);
}

TEST(Cp1250Encode, TextsToHandWrittenBytes)
{
    struct Case
    {
        const char16_t *text;
        QByteArray expected;
        const char *what;
    };
    const Case cases[] = {
        {u"TCI 07", QByteArray("TCI 07"), "ASCII unchanged"},
        {u"\u010Cten\u00ED", QByteArray("\xC8ten\xED"), "Cteni"},
        {u"P\u0159edstih \u017E\u017D\u0161\u0160", QByteArray("P\xF8" "edstih \x9E\x8E\x9A\x8A"), "carons"},
        {u"\u011B\u016F\u013E", QByteArray("\xEC\xF9\xBE"), "e caron, u ring, l caron"},
        {u"\u20AC \u00B0", QByteArray("\x80 \xB0"), "euro and degree"},
        {u"\u00F1\u00E0", QByteArray("??"), "Latin-1 letters the code page lacks"},
        {u"\u65E5\u03A9", QByteArray("??"), "other scripts"},
        {u"\uFFFD", QByteArray("?"), "replacement character has no byte"},
        {u"\u0081", QByteArray("?"), "C1 control has no byte"},
        {u"a\U0001F600b", QByteArray("a?b"), "surrogate pair is one character"},
        {u"a\xD800" u"b", QByteArray("a?b"), "lone high surrogate"},
        {u"a\xDC00", QByteArray("a?"), "lone low surrogate"},
    };
    for (const Case &c : cases) {
        const QByteArray actual = toCp1250(QString::fromUtf16(c.text));
        EXPECT_EQ(actual, c.expected) << c.what << ": expected " << hex(c.expected) << ", got " << hex(actual);
    }
}

TEST(Cp1250RoundTrip, EveryDefinedByteComesBack)
{
    for (unsigned byte = 0x00; byte <= 0xFF; ++byte) {
        const QString decoded = decodeByte(byte);
        const QByteArray encoded = toCp1250(decoded);
        const QByteArray expected = isUndefined(byte) ? QByteArray("?") : QByteArray(1, static_cast<char>(byte));
        EXPECT_EQ(encoded, expected) << "byte 0x" << std::hex << byte << " decoded as " << codePoints(decoded)
                                     << "encoded as " << hex(encoded);
    }
}
