// How a spinner reads a typed number and writes its position.
#include "params/spinnertext.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase
{
    const char *text; // UTF-8
    int minimum, maximum;
    int expected; // -1: not taken
};

void expectParses(const QLocale &locale, const ParseCase &c)
{
    const auto got = parseSpinnerText(QString::fromUtf8(c.text), c.minimum, c.maximum, locale);
    const int actual = got ? *got : -1;
    EXPECT_EQ(actual, c.expected) << "locale " << locale.name().toStdString() << ", text \"" << c.text
                                  << "\", range " << c.minimum << ".." << c.maximum;
}

} // namespace

TEST(SpinnerTextParse, CommaGroupedLocale)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    ASSERT_EQ(english.groupSeparator(), ",");
    const ParseCase cases[] = {
        {"15000", 999, 25000, 15000},  {"15,000", 999, 25000, 15000}, {"15,500", 999, 25000, 15500},
        {"1,0,0,0", 199, 20100, 1000}, {"  2550 ", 199, 20100, 2550}, {"999", 999, 25000, 999},
        {"998", 999, 25000, -1},       {"25001", 999, 25000, -1},    {"25,100", 999, 25000, -1},
        {"", 0, 60, -1},               {"   ", 0, 60, -1},           {"12abc", 0, 60, -1},
        {"1.5", 0, 60, -1},            {"-1", 0, 60, -1},            {"+5", 0, 60, 5},
        {"0", 0, 60, 0},               {"60", 0, 60, 60},            {"61", 0, 60, -1},
        {"99999999999999999999", 0, 60, -1}, {"1 000", 199, 20100, -1}, {"-", 0, 60, -1},
        {"٣", 0, 60, -1}, // a non-ASCII digit is junk, not a number
    };
    for (const ParseCase &c : cases)
        expectParses(english, c);
}

TEST(SpinnerTextParse, NonBreakingSpaceGroupedLocale)
{
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    ASSERT_EQ(czech.groupSeparator(), QString(QChar(0x00A0)));
    const ParseCase cases[] = {
        {"15\u00A0500", 999, 25000, 15500}, // as the spinner writes it
        {"15 500", 999, 25000, 15500},      // as a technician types it
        {"1\u202F000", 199, 20100, 1000},   // narrow no-break space
        {"15,500", 999, 25000, -1},         // a comma is this locale's decimal point
        {"20\u00A0100", 199, 20100, 20100}, {"20\u00A0200", 199, 20100, -1},
        {"abc", 0, 60, -1},                 {"", 0, 60, -1},
    };
    for (const ParseCase &c : cases)
        expectParses(czech, c);
}

TEST(SpinnerTextParse, DotGroupedLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    ASSERT_EQ(german.groupSeparator(), ".");
    for (const ParseCase &c : {ParseCase{"7.000", 999, 25000, 7000}, ParseCase{"7000", 999, 25000, 7000},
                               ParseCase{"7,000", 999, 25000, -1}})
        expectParses(german, c);
}

TEST(SpinnerTextFormat, GroupsFromOneThousandOnOnlyWhenAsked)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    const struct
    {
        int position;
        bool thousands;
        const QLocale *locale;
        QString expected;
    } cases[] = {
        {999, true, &english, "999"},
        {1000, true, &english, "1,000"},
        {20100, true, &english, "20,100"},
        {15000, true, &czech, QString("15") + QChar(0x00A0) + "000"},
        {1000, false, &english, "1000"},
        {60, false, &english, "60"},
        {0, true, &english, "0"},
        {-1200, true, &english, "-1,200"},
        {32767, true, &english, "32,767"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatSpinnerText(c.position, c.thousands, *c.locale), c.expected)
            << c.position << (c.thousands ? " grouped" : " plain") << " in "
            << c.locale->name().toStdString();
}
