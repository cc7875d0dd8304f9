#include <QByteArray>
#include <gtest/gtest.h>

#include "link/unitidentity.h"

namespace {
struct Bytes
{
    std::uint8_t name[3] = {'T', 'C', 'I'};
    std::uint8_t number = 7;
    std::uint8_t day = 25, monthCode = 25, year = 3, hour = 16, minute = 21;
    QByteArray longName; // written from byte 16 on
};

UnitIdentity identityOf(const Bytes &b)
{
    UnitIdentity id;
    id.bytes[0] = b.name[0];
    id.bytes[1] = b.name[1];
    id.bytes[2] = b.name[2];
    id.bytes[3] = b.number;
    id.bytes[4] = b.day;
    id.bytes[5] = b.monthCode;
    id.bytes[6] = b.year;
    id.bytes[7] = b.hour;
    id.bytes[8] = b.minute;
    id.bytes[10] = 16;
    for (int i = 0; i < b.longName.size() && 16 + i < 50; ++i)
        id.bytes[static_cast<std::size_t>(16 + i)] = static_cast<std::uint8_t>(b.longName[i]);
    return id;
}

std::string quoted(const QString &text)
{
    return "\"" + text.toStdString() + "\"";
}
} // namespace

TEST(IdentityTexts, BuildsVersionDateAndTime)
{
    struct Case
    {
        const char *what;
        Bytes bytes;
        const char *version, *date, *time;
    };
    auto with = [](auto change) {
        Bytes b;
        change(b);
        return b;
    };
    const Case cases[] = {
        {"25 January 2003, 16:21", Bytes{}, "TCI07", "25. 1.2003", "16:21"},
        {"3 March 2004, 09:05",
         with([](Bytes &b) { b.day = 3, b.monthCode = 32, b.year = 4, b.hour = 9, b.minute = 5; }),
         "TCI07", " 3. 3.2004", "09:05"},
        {"day 10 has its tens digit", with([](Bytes &b) { b.day = 10; }), "TCI07", "10. 1.2003", "16:21"},
        {"31 December 2099, 23:59",
         with([](Bytes &b) { b.day = 31, b.monthCode = 12, b.year = 99, b.hour = 23, b.minute = 59; }),
         "TCI07", "31.12.2099", "23:59"},
        {"program number 42", with([](Bytes &b) { b.number = 42; }), "TCI42", "25. 1.2003", "16:21"},
        // Digits are '0' plus the quotient: 100 and more run past '9'.
        {"program number 100", with([](Bytes &b) { b.number = 100; }), "TCI:0", "25. 1.2003", "16:21"},
        {"program number 123", with([](Bytes &b) { b.number = 123; }), "TCI<3", "25. 1.2003", "16:21"},
        {"program number 255", with([](Bytes &b) { b.number = 255; }), "TCII5", "25. 1.2003", "16:21"},
        {"out-of-range year, hour and minute",
         with([](Bytes &b) { b.year = 123, b.hour = 30, b.minute = 75; }), "TCI07", "25. 1.20<3", "30:75"},
        {"day 255", with([](Bytes &b) { b.day = 255; }), "TCI07", "I5. 1.2003", "16:21"},
        {"unknown month code 0", with([](Bytes &b) { b.monthCode = 0; }), "TCI07", "25.00.2003", "16:21"},
        {"unknown month code 26", with([](Bytes &b) { b.monthCode = 26; }), "TCI07", "25.00.2003", "16:21"},
        {"unknown month code 255", with([](Bytes &b) { b.monthCode = 255; }), "TCI07", "25.00.2003", "16:21"},
        // The texts are zero-terminated: a zero name byte ends the version text.
        {"zero second name byte", with([](Bytes &b) { b.name[1] = 0; }), "T", "25. 1.2003", "16:21"},
        {"zero first name byte", with([](Bytes &b) { b.name[0] = 0; }), "", "25. 1.2003", "16:21"},
        {"long name replaces the version", with([](Bytes &b) { b.longName = "Racing 2T v3"; }), "Racing 2T v3",
         "25. 1.2003", "16:21"},
        {"long name of 30 characters without a terminator",
         with([](Bytes &b) { b.longName = QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"); }),
         "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "25. 1.2003", "16:21"},
        {"long name ends at its first zero",
         with([](Bytes &b) { b.longName = QByteArray("Short\0Hidden", 12); }), "Short", "25. 1.2003", "16:21"},
        {"byte 16 zero: no long name even with text behind it",
         with([](Bytes &b) { b.longName = QByteArray("\0Hidden", 7); }), "TCI07", "25. 1.2003", "16:21"},
    };
    for (const Case &c : cases) {
        const IdentityTexts texts = decodeIdentity(identityOf(c.bytes));
        EXPECT_EQ(texts.versionText, QString::fromLatin1(c.version))
            << c.what << ": version " << quoted(texts.versionText) << ", expected \"" << c.version << "\"";
        EXPECT_EQ(texts.dateText, QString::fromLatin1(c.date))
            << c.what << ": date " << quoted(texts.dateText) << ", expected \"" << c.date << "\"";
        EXPECT_EQ(texts.timeText, QString::fromLatin1(c.time))
            << c.what << ": time " << quoted(texts.timeText) << ", expected \"" << c.time << "\"";
    }
}

// The build date and time as a calendar reads them, for ISO 8601 output;
// what no calendar has stays invalid rather than becoming another day.
TEST(IdentityBuild, DateAndTimeAsACalendarReadsThem)
{
    const struct
    {
        const char *what;
        Bytes bytes;
        const char *date, *time; // ISO 8601; empty: invalid
    } cases[] = {
        {"25 January 2003, 16:21", Bytes{}, "2003-01-25", "16:21"},
        {"31 December 2099, 23:59", Bytes{{'T', 'C', 'I'}, 7, 31, 12, 99, 23, 59, {}}, "2099-12-31", "23:59"},
        {"31 February", Bytes{{'T', 'C', 'I'}, 7, 31, monthCode(2), 3, 0, 0, {}}, "", "00:00"},
        {"day 0, hour 24", Bytes{{'T', 'C', 'I'}, 7, 0, 25, 3, 24, 0, {}}, "", ""},
        {"an unknown month code, minute 60", Bytes{{'T', 'C', 'I'}, 7, 1, 0, 3, 12, 60, {}}, "", ""},
    };
    for (const auto &c : cases) {
        const UnitIdentity id = identityOf(c.bytes);
        EXPECT_EQ(buildDate(id).toString(Qt::ISODate).toStdString(), c.date) << c.what;
        EXPECT_EQ(buildTime(id).toString(QStringLiteral("HH:mm")).toStdString(), c.time) << c.what;
    }
}

TEST(IdentityTexts, AnAllZeroBlockGivesAnEmptyVersion)
{
    const IdentityTexts texts = decodeIdentity(UnitIdentity{});
    EXPECT_EQ(texts.versionText, QString());
    EXPECT_EQ(texts.dateText, QStringLiteral(" 0.00.2000"));
    EXPECT_EQ(texts.timeText, QStringLiteral("00:00"));
}

TEST(IdentityMonths, EveryMonthCodeReadsAsItsMonth)
{
    struct Case
    {
        int month;
        std::uint8_t code;
        const char *shown;
    };
    const Case cases[] = {{1, 25, " 1"},  {2, 13, " 2"},  {3, 32, " 3"},  {4, 35, " 4"},
                          {5, 39, " 5"},  {6, 45, " 6"},  {7, 43, " 7"},  {8, 29, " 8"},
                          {9, 40, " 9"},  {10, 38, "10"}, {11, 51, "11"}, {12, 12, "12"}};
    for (const Case &c : cases) {
        EXPECT_EQ(monthCode(c.month), c.code) << "month " << c.month;
        EXPECT_EQ(monthFromCode(c.code), c.month) << "code " << int(c.code);
        Bytes b;
        b.day = 1;
        b.monthCode = c.code;
        b.year = 0;
        const QString expected = QStringLiteral(" 1.%1.2000").arg(QString::fromLatin1(c.shown));
        const QString date = decodeIdentity(identityOf(b)).dateText;
        EXPECT_EQ(date, expected) << "code " << int(c.code) << ": " << quoted(date);
    }
    for (int month : {0, 13, -1})
        EXPECT_EQ(monthCode(month), 0) << "month " << month;
    EXPECT_EQ(monthFromCode(0), 0);
    EXPECT_EQ(monthFromCode(26), 0);
}

TEST(IdentityEncode, FieldsGoToTheirBytes)
{
    IdentityFields fields;
    fields.name = QStringLiteral("ABC");
    fields.number = 42;
    fields.day = 25;
    fields.month = 1;
    fields.year = 2003;
    fields.hour = 16;
    fields.minute = 21;
    fields.version = 16;
    fields.longName = QStringLiteral("XY");
    //                 A B C  42 25 Jan  3 16 21  - 16
    const QByteArray expected = QByteArray::fromHex("4142432a19190310150010" "0000000000" "5859")
                                    .leftJustified(50, '\0');
    const UnitIdentity identity = encodeIdentity(fields);
    const QByteArray actual(reinterpret_cast<const char *>(identity.bytes.data()), 50);
    EXPECT_EQ(actual.toHex().toStdString(), expected.toHex().toStdString());
}

TEST(IdentityEncode, ShortNamesArePaddedAndLongNamesCut)
{
    IdentityFields fields;
    fields.name = QStringLiteral("A");
    fields.longName = QString(40, QLatin1Char('L'));
    fields.month = 12;
    const UnitIdentity identity = encodeIdentity(fields);
    EXPECT_EQ(identity.bytes[0], 'A');
    EXPECT_EQ(identity.bytes[1], ' ');
    EXPECT_EQ(identity.bytes[2], ' ');
    EXPECT_EQ(identity.bytes[5], 12);
    EXPECT_EQ(identity.bytes[45], 'L');
    EXPECT_EQ(identity.bytes[46], 0) << "the long name must stop at 30 characters";
}

// The unit writes its names in the Central European Windows code page; the
// bytes below are that code page's, written out by hand.
TEST(IdentityTexts, NamesAreReadInCodePage1250)
{
    struct Case
    {
        const char *what;
        Bytes bytes;
        const char16_t *version;
    };
    auto with = [](auto change) {
        Bytes b;
        change(b);
        return b;
    };
    const Case cases[] = {
        {"long name with Czech letters",
         // "Řízení č. 2 – Škoda" : R caron, i acute, c caron, en dash, S caron
         with([](Bytes &b) { b.longName = QByteArray("\xD8\xED" "zen\xED \xE8. 2 \x96 \x8A" "koda"); }),
         u"\u0158\u00EDzen\u00ED \u010D. 2 \u2013 \u0160koda"},
        {"long name with e, r, s, z carons and u ring",
         with([](Bytes &b) { b.longName = QByteArray("\xEC\xF8\x9A\x9E\xF9\x8E"); }),
         u"\u011B\u0159\u0161\u017E\u016F\u017D"},
        {"short name in the code page", with([](Bytes &b) { b.name[0] = 0xC8, b.name[1] = 0xE8, b.name[2] = 0x8A; }),
         u"\u010C\u010D\u016007"},
        {"undefined byte shows as a replacement mark",
         with([](Bytes &b) { b.longName = QByteArray("A\x81Z"); }), u"A\uFFFDZ"},
    };
    for (const Case &c : cases) {
        const QString expected = QString::fromUtf16(c.version);
        const QString actual = decodeIdentity(identityOf(c.bytes)).versionText;
        EXPECT_EQ(actual, expected) << c.what << ": version " << quoted(actual) << ", expected "
                                    << quoted(expected);
    }
}

TEST(IdentityEncode, NamesAreWrittenInCodePage1250)
{
    IdentityFields fields;
    fields.name = QStringLiteral("Č\u00F1š"); // n tilde has no byte in the code page
    fields.longName = QStringLiteral("Předstih žluť");
    const UnitIdentity identity = encodeIdentity(fields);
    const QByteArray name(reinterpret_cast<const char *>(identity.bytes.data()), 3);
    const QByteArray longName(reinterpret_cast<const char *>(identity.bytes.data()) + 16, 14);
    EXPECT_EQ(name.toHex(' ').toStdString(), QByteArray("\xC8?\x9A").toHex(' ').toStdString());
    EXPECT_EQ(longName.toHex(' ').toStdString(),
              QByteArray("P\xF8" "edstih \x9Elu\x9D\0", 14).toHex(' ').toStdString());
}

TEST(IdentityEncode, CzechNamesSurviveTheRoundTrip)
{
    IdentityFields fields;
    fields.name = QStringLiteral("ŘŠČ");
    fields.longName = QStringLiteral("Závodní mapa č. 3 – ěščřžýáíéů");
    ASSERT_LE(fields.longName.size(), UnitIdentity::kLongNameLength);
    const IdentityTexts texts = decodeIdentity(encodeIdentity(fields));
    EXPECT_EQ(texts.versionText, fields.longName) << quoted(texts.versionText);
    fields.longName.clear();
    EXPECT_EQ(decodeIdentity(encodeIdentity(fields)).versionText, QStringLiteral("ŘŠČ00"));
}
