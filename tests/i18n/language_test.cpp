// What differs by language outside the caption sets and the message table:
// each language's row, and the indices that are no language.
#include "i18n/language.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(Language, EachLanguageNamesItsOwnTexts)
{
    const std::optional<QString> none;
    const struct
    {
        std::uint8_t index;
        const char *word; // its command-line word, or nullptr
        std::optional<QString> about;
        const char *manual;
        std::optional<QString> dateLead;
        std::optional<QString> ignVersion;
    } cases[] = {
        {0, "ENGLISH", "About Torvo_TCI", "manual_en.html", "Date and Time of printing:  ",
         "Unmatched version of *.ign file!"},
        // German prints the English date line; its Open says what the message table says.
        {1, "DEUTSCH", QString::fromUtf8("Über Programm Torvo_TCI"), "manual_de.html", "Date and Time of printing:  ",
         "Datei *.ign ist nicht kompatiebel!"},
        {2, nullptr, "Information Torvo_TCI", "", none, none},
        {3, "CESKY", "O programu Torvo TCI", "manual_cs.html", QString::fromUtf8("Datum a čas tisku:  "),
         QString::fromUtf8("Neshodná verze souboru *.ign!")},
        {4, nullptr, none, "", none, none},
        {255, nullptr, none, "", none, none},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.index));
        const Language language(c.index);
        EXPECT_EQ(language.inMenu(), c.word != nullptr);
        if (c.word) {
            EXPECT_EQ(Language::fromCommandWord(QString::fromLatin1(c.word)), language);
        }
        EXPECT_EQ(language.aboutCaption(), c.about);
        EXPECT_EQ(language.manualFileName().toStdString(), c.manual);
        EXPECT_EQ(language.printDateLead(), c.dateLead);
        EXPECT_EQ(language.ignFileVersionMessage(), c.ignVersion);
    }
    // The words are written as they are: no other spelling picks a language.
    for (const char *word : {"english", "Cesky", "FRANCAIS", "ENGLISH ", ""})
        EXPECT_FALSE(Language::fromCommandWord(QString::fromLatin1(word))) << word;
}

} // namespace
