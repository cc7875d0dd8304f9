// The printed page: the date line by language and the picture's place.
#include "params/printpage.h"

#include <gtest/gtest.h>

TEST(PrintPage, TheDateLineIsEnglishAlsoForGermanAndCzechForCzech)
{
    const QDateTime when(QDate(2026, 3, 7), QTime(9, 5, 4));
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QString enDate = english.toString(when.date(), QLocale::ShortFormat);
    const QString enTime = english.toString(when.time(), QLocale::LongFormat);
    const struct
    {
        std::uint8_t language;
        const QLocale &locale;
        std::optional<QString> expected;
    } cases[] = {
        {0, english, "Date and Time of printing:  " + enDate + "    " + enTime},
        {1, english, "Date and Time of printing:  " + enDate + "    " + enTime},
        {3, czech,
         QString::fromUtf8("Datum a čas tisku:  ") + czech.toString(when.date(), QLocale::ShortFormat) + "    "
             + czech.toString(when.time(), QLocale::LongFormat)},
        {2, english, std::nullopt},
        {7, english, std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<QString> line = printDateLine(c.language, when, c.locale);
        EXPECT_EQ(line.has_value(), c.expected.has_value()) << "language " << int(c.language);
        if (line && c.expected) {
            EXPECT_EQ(line->toStdString(), c.expected->toStdString()) << "language " << int(c.language);
        }
    }
    // Two spaces after the lead, four between date and time.
    EXPECT_TRUE(printDateLine(0, when, english)->startsWith("Date and Time of printing:  " + enDate + "    "));
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
