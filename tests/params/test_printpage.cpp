// The printed page: the date line by language and the picture's place.
#include "i18n/language.h"
#include "params/printpage.h"

#include <gtest/gtest.h>

TEST(PrintPage, TheDateLineIsEnglishAlsoForGermanAndCzechForCzechWithoutTheTimeZone)
{
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 4));
    const struct
    {
        std::uint8_t language;
        QLocale locale;
        std::optional<QString> expected;
    } cases[] = {
        {0, QLocale(QLocale::English, QLocale::UnitedStates), "Date and Time of printing:  3/7/26    9:05:04 AM"},
        {1, QLocale(QLocale::German, QLocale::Germany), "Date and Time of printing:  07.03.26    09:05:04"},
        {3, QLocale(QLocale::Czech, QLocale::CzechRepublic), QString::fromUtf8("Datum a čas tisku:  07.03.26    9:05:04")},
        // The zone in brackets, in front, and among quoted text of the format.
        {0, QLocale(QLocale::Spanish, QLocale::Spain), "Date and Time of printing:  7/3/26    9:05:04"},
        {0, QLocale(QLocale::Chinese, QLocale::China), "Date and Time of printing:  2026/3/7    09:05:04"},
        {0, QLocale(QLocale::French, QLocale::Canada), "Date and Time of printing:  2026-03-07    09 h 05 min 04 s"},
        {2, QLocale(QLocale::English, QLocale::UnitedStates), std::nullopt},
        {7, QLocale(QLocale::English, QLocale::UnitedStates), std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<QString> line = printDateLine(Language(c.language).printDateLead(), when, c.locale);
        EXPECT_EQ(line.has_value(), c.expected.has_value()) << "language " << int(c.language);
        if (line && c.expected) {
            EXPECT_EQ(line->toStdString(), c.expected->toStdString()) << c.locale.name().toStdString();
        }
    }
}

TEST(PrintPage, ThePictureFillsThePageByItsLimitingSide)
{
    const struct
    {
        QSize picture, page;
        QRect expected;
    } cases[] = {
        // A portrait page: the width limits; height = 768 * 4800 / 753 (truncated).
        {{753, 768}, {4800, 6800}, {0, 0, 4800, 4895}},
        // A landscape page: the height limits; width = 753 * 4800 / 768.
        {{753, 768}, {6800, 4800}, {0, 0, 4706, 4800}},
        // Exactly the page's shape: the width rule gives the page width, not less.
        {{100, 200}, {300, 600}, {0, 0, 300, 600}},
        {{0, 768}, {4800, 6800}, {}},
        {{753, 768}, {0, 0}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(printedPictureRect(c.picture, c.page), c.expected)
            << c.picture.width() << "x" << c.picture.height() << " on " << c.page.width() << "x"
            << c.page.height();
}
