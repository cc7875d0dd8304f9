#include "link/unitidentity.h"

#include "link/codepage1250.h"

namespace {
constexpr std::array<const char *, 12> kMonthAbbreviations{
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QChar digit(int value)
{
    return QChar(static_cast<char16_t>('0' + value));
}

std::uint8_t low8(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

// The firmware's texts are zero-terminated 8-bit strings in the maker's
// Central European code page: a zero byte ends the text wherever it stands.
QString textUpToZero(const std::uint8_t *bytes, int maxLength)
{
    int length = 0;
    while (length < maxLength && bytes[length] != 0)
        ++length;
    return fromCp1250(reinterpret_cast<const char *>(bytes), length);
}
} // namespace

std::uint8_t monthCode(int month)
{
    if (month < 1 || month > 12)
        return 0;
    int sum = 0;
    for (const char *c = kMonthAbbreviations[static_cast<std::size_t>(month - 1)]; *c != 0; ++c)
        sum += static_cast<unsigned char>(*c);
    return low8(sum);
}

int monthFromCode(std::uint8_t code)
{
    for (int month = 1; month <= 12; ++month) {
        if (monthCode(month) == code)
            return month;
    }
    return 0;
}

IdentityTexts decodeIdentity(const UnitIdentity &identity)
{
    const auto &b = identity.bytes;
    IdentityTexts texts;

    std::array<std::uint8_t, 5> shortVersion{b[UnitIdentity::kName], b[UnitIdentity::kName + 1],
                                             b[UnitIdentity::kName + 2],
                                             low8('0' + b[UnitIdentity::kNumber] / 10),
                                             low8('0' + b[UnitIdentity::kNumber] % 10)};
    texts.versionText = textUpToZero(shortVersion.data(), static_cast<int>(shortVersion.size()));

    const int day = b[UnitIdentity::kDay];
    // An unknown month code reads as "00"; months 1..9 have a blank tens digit.
    const int month = monthFromCode(b[UnitIdentity::kMonthCode]);
    const QChar monthTens = month == 0 ? QChar('0') : (month >= 10 ? QChar('1') : QChar(' '));
    const QChar monthUnits = digit(month % 10);
    const int year = b[UnitIdentity::kYear];
    texts.dateText = QString() + (day < 10 ? QChar(' ') : digit(day / 10)) + digit(day % 10)
                     + QChar('.') + monthTens + monthUnits + QChar('.') + QChar('2') + QChar('0')
                     + digit(year / 10) + digit(year % 10);

    const int hour = b[UnitIdentity::kHour];
    const int minute = b[UnitIdentity::kMinute];
    texts.timeText = QString() + digit(hour / 10) + digit(hour % 10) + QChar(':')
                     + digit(minute / 10) + digit(minute % 10);

    // The long name replaces the short version text when the unit has one.
    if (b[UnitIdentity::kLongName] != 0)
        texts.versionText = textUpToZero(&b[UnitIdentity::kLongName], UnitIdentity::kLongNameLength);
    return texts;
}

QDate buildDate(const UnitIdentity &identity)
{
    const auto &b = identity.bytes;
    return QDate(2000 + b[UnitIdentity::kYear], monthFromCode(b[UnitIdentity::kMonthCode]), b[UnitIdentity::kDay]);
}

QTime buildTime(const UnitIdentity &identity)
{
    return QTime(identity.bytes[UnitIdentity::kHour], identity.bytes[UnitIdentity::kMinute]);
}

UnitIdentity encodeIdentity(const IdentityFields &fields)
{
    UnitIdentity identity;
    auto &b = identity.bytes;
    const QByteArray name = toCp1250(fields.name).left(3).leftJustified(3, ' ');
    for (int i = 0; i < 3; ++i)
        b[static_cast<std::size_t>(UnitIdentity::kName + i)] = static_cast<std::uint8_t>(name[i]);
    b[UnitIdentity::kNumber] = low8(fields.number);
    b[UnitIdentity::kDay] = low8(fields.day);
    b[UnitIdentity::kMonthCode] = monthCode(fields.month);
    b[UnitIdentity::kYear] = low8(fields.year - 2000);
    b[UnitIdentity::kHour] = low8(fields.hour);
    b[UnitIdentity::kMinute] = low8(fields.minute);
    b[UnitIdentity::kVersion] = low8(fields.version);
    const QByteArray longName = toCp1250(fields.longName).left(UnitIdentity::kLongNameLength);
    for (int i = 0; i < longName.size(); ++i)
        b[static_cast<std::size_t>(UnitIdentity::kLongName + i)] = static_cast<std::uint8_t>(longName[i]);
    return identity;
}
