#pragma once

#include <array>
#include <cstdint>

#include <QDate>
#include <QString>
#include <QTime>

// The unit's identity block: the 50 payload bytes of a 0x80 or 0xC0 reply.
struct UnitIdentity
{
    static constexpr int kSize = 50;
    static constexpr int kName = 0;        // 3 characters
    static constexpr int kNumber = 3;      // program number, 0..99
    static constexpr int kDay = 4;
    static constexpr int kMonthCode = 5;   // see monthCode()
    static constexpr int kYear = 6;        // year - 2000
    static constexpr int kHour = 7;
    static constexpr int kMinute = 8;
    static constexpr int kVersion = 10;    // protocol version
    static constexpr int kLongName = 16;   // up to 30 characters, used when byte 16 != 0
    static constexpr int kLongNameLength = 30;

    std::array<std::uint8_t, kSize> bytes{};

    std::uint8_t version() const { return bytes[kVersion]; }

    friend bool operator==(const UnitIdentity &, const UnitIdentity &) = default;
};

// The three texts shown under the curve: program version, build date, build time.
struct IdentityTexts
{
    QString versionText, dateText, timeText;

    friend bool operator==(const IdentityTexts &, const IdentityTexts &) = default;
};

// Builds the texts digit by digit as the unit's firmware expects them to be
// read: each digit is '0' plus a quotient or remainder, so values beyond the
// documented ranges give characters after '9' rather than being clamped. The
// name bytes are text in code page 1250, the one the unit's maker writes in.
IdentityTexts decodeIdentity(const UnitIdentity &identity);

// The build date and time the block holds, as a calendar reads them (for
// ISO 8601 in the command line's JSON); invalid where no calendar has them:
// an unknown month code, day 0 or 31 February, hour 24 or minute 60.
QDate buildDate(const UnitIdentity &identity);
QTime buildTime(const UnitIdentity &identity);

// The unit's month code: the low byte of the sum of the character codes of the
// month's English three-letter abbreviation (Jan = 74 + 97 + 110 = 281 -> 25).
// Month 1..12; anything else gives 0, which no month uses.
std::uint8_t monthCode(int month);
// The month 1..12 of a code, 0 for a code no month has.
int monthFromCode(std::uint8_t code);

// What a unit puts into its identity block, for the simulated unit.
struct IdentityFields
{
    QString name;       // first 3 characters used, padded with blanks
    int number = 0;     // program number
    int day = 1;
    int month = 1;      // 1..12
    int year = 2000;    // full year; stored as year - 2000
    int hour = 0;
    int minute = 0;
    int version = 16;   // protocol version
    QString longName;   // empty: none; else up to 30 characters
};

// Numbers are stored as their low 8 bits; characters in code page 1250, as the
// unit keeps them, with '?' for a character that code page lacks.
UnitIdentity encodeIdentity(const IdentityFields &fields);
