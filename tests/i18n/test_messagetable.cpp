// Tests of the run-time message table.
#include "i18n/messagetable.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

namespace {

constexpr std::uint8_t kEnglish = 0;
constexpr std::uint8_t kGerman = 1;
constexpr std::uint8_t kFrench = 2;
constexpr std::uint8_t kCzech = 3;
constexpr std::array<std::uint8_t, 4> kAllLanguages{kEnglish, kGerman, kFrench, kCzech};

const char *languageName(std::uint8_t language)
{
    switch (language) {
    case kEnglish:
        return "English";
    case kGerman:
        return "German";
    case kFrench:
        return "French";
    case kCzech:
        return "Czech";
    }
    return "?";
}

std::string show(const QString &text)
{
    return "\"" + text.toStdString() + "\"";
}

Msg entryAt(std::size_t index)
{
    return static_cast<Msg>(index);
}

// The expected texts, written out as UTF-8 in their final form: the help
// file's error text appears here fully composed, name included, so the
// composition in fill() is checked rather than repeated.
struct ExpectedRow
{
    Msg entry;
    const char *name;
    std::array<const char8_t *, 4> texts;
};

const std::array<ExpectedRow, 32> kExpected{{
    {Msg::MsgHelpFile, "MsgHelpFile", {u8"Torvo_TCI_en.pdf", u8"Torvo_TCI_en.pdf", u8"Torvo_TCI_en.pdf", u8"Torvo_TCI_en.pdf"}},
    {Msg::MsgProgramError, "MsgProgramError", {u8"Program error!", u8"Programmierfehler!", u8"Erreur de programmation!", u8"Chyba programování"}},
    {Msg::MsgVerifyError, "MsgVerifyError", {u8"Verify error!", u8"Vergleichsfehler", u8"Verifier erreur!", u8"Chyba verifikace!"}},
    {Msg::MsgReadError, "MsgReadError", {u8"Read error!", u8"Lesefehler", u8"Lire erreur!", u8"Chyba čtení!"}},
    {Msg::MsgProgramming, "MsgProgramming", {u8"Programing", u8"Programmieren", u8"Programmer", u8"Programování"}},
    {Msg::MsgVerify, "MsgVerify", {u8"Verify", u8"Vergleichen", u8"Vérifier", u8"Verifikace"}},
    {Msg::MsgRead, "MsgRead", {u8"Read", u8"Lesen", u8"Lire", u8"Čtení"}},
    {Msg::MsgSaving, "MsgSaving", {u8"Saving:", u8"Speichern:", u8"Mémorisation", u8"Ukládání:"}},
    {Msg::MsgVersionMismatch, "MsgVersionMismatch", {u8"Unmatched version of PC and Ignition programs!", u8"Programm der Zündung ist nicht kompatibel mit dem Programm am PC!", u8"Programme du boitier d´alumage non compatible avec programme PC!", u8"Neshodné verze proramu v PC a zapalování!"}},
    {Msg::MsgIgnFileVersionMismatch, "MsgIgnFileVersionMismatch", {u8"Unmatched version of *.ign file!", u8"Datei *.ign ist nicht kompatiebel!", u8"Programme du fichier non compatible avec programme PC!", u8"Neshodná verze souboru *.ign!"}},
    {Msg::MsgPrintDateTime, "MsgPrintDateTime", {u8"Date and time of printing:  ", u8"Zeitpunkt des Ausdruckes   ", u8"Date et heur de l´imprimé:   ", u8"Datum a čas tisku:  "}},
    {Msg::MsgComOpenError, "MsgComOpenError", {u8"Com opening error!", u8"Falscher COM-Anschlußes!", u8"Erreur connections PC!", u8"Chyba při otevírání portu Com!"}},
    {Msg::MsgOpenFileError, "MsgOpenFileError", {u8"Open file error!", u8"Fehler beim öffnen der Datei!", u8"Erreur ouvertur fichier!", u8"Chyba při otevírání souboru!"}},
    {Msg::MsgAskDefaults, "MsgAskDefaults", {u8"Do you want default setting?", u8"Wollen Sie Standardeinstellungen öffnen?", u8"Voulez vous la programation de base?", u8"Chcete nastavit základní hodnoty?"}},
    {Msg::MsgHelpFileOpenError, "MsgHelpFileOpenError", {u8"Error by opening file Torvo_TCI_en.pdf !", u8"Fehler beim öffnen der Datei Torvo_TCI_en.pdf !", u8"Erreur à l´ouvertur du Fichier Torvo_TCI_en.pdf !", u8"Chyba při otevírání souboru Torvo_TCI_en.pdf !"}},
    {Msg::MsgAdvance, "MsgAdvance", {u8"Advance", u8"Vorzündung", u8"Avance", u8"Předstih"}},
    {Msg::MsgStartSoftLimiter, "MsgStartSoftLimiter", {u8"Start soft limiter", u8"Startsoftbegrenzer", u8"Limitateur départ mou", u8"Startovací měkký omezovač"}},
    {Msg::MsgStartLimiter, "MsgStartLimiter", {u8"Start limiter", u8"Startbegrenzer", u8"Limitateur départ", u8"Startovací omezovač"}},
    {Msg::MsgSoftLimiter, "MsgSoftLimiter", {u8"Soft limiter", u8"Soft begrenzer", u8"Limitateur mou", u8"Měkký omezovač"}},
    {Msg::MsgLimiter, "MsgLimiter", {u8"Limiter", u8"Begrenzer", u8"Limitateur", u8"Omezovač"}},
    {Msg::MsgGearShiftLight, "MsgGearShiftLight", {u8"Gear shift light", u8"Schaltblitz", u8"Retard à l´allumage", u8"Kontrolka řazení"}},
    {Msg::MsgClutchMaster, "MsgClutchMaster", {u8"Clutch master", u8"Schaltautomat", u8"Clutch master", u8"Clutch master"}},
    {Msg::MsgRetard, "MsgRetard", {u8"Retard", u8"Spätzündung", u8"Retard d´allumage", u8"Snížení předstihu"}},
    {Msg::MsgMotorOff, "MsgMotorOff", {u8"Motor off", u8"Motor off", u8"Blocage", u8"Blokování"}},
    {Msg::MsgSecondAdvanceChart, "MsgSecondAdvanceChart", {u8"2nd advance chart ", u8"2.Vorzündung mappe", u8"2nd advance chart ", u8"2. mapa předstihu"}},
    {Msg::MsgProgrammingCount, "MsgProgrammingCount", {u8"Number of Programing= ", u8"Programmierungsanzahl= ", u8"Nombre de programmations= ", u8"Počet programování= "}},
    {Msg::MsgYes, "MsgYes", {u8"YES", u8"JA", u8"Oui", u8"ANO"}},
    {Msg::MsgNo, "MsgNo", {u8"NO", u8"NEIN", u8"Non", u8"NE"}},
    {Msg::MsgPickup, "MsgPickup", {u8"Pick-up (CPS)", u8"Geber(CPS)", u8"Capteur(CPS)", u8"Snímač (CPS)"}},
    {Msg::MsgIsRunning, "MsgIsRunning", {u8" is running", u8" läuft", u8" fonctionne", u8" pracuje"}},
    {Msg::MsgNoSignal, "MsgNoSignal", {u8" no signal", u8" kein Signal", u8" pas de signal", u8" bez signálu"}},
    {Msg::MsgAcceleration, "MsgAcceleration", {u8"Acceleration", u8"Beschleunigung", u8"Accélération", u8"Zrychlení"}},
}};

QString expectedText(std::size_t row, std::uint8_t language)
{
    return QString::fromUtf8(kExpected[row].texts[language]);
}

} // namespace

TEST(MessageTable, EveryEntryIsEmptyBeforeTheFirstFill)
{
    const MessageTable table;
    for (std::size_t i = 0; i < MessageTable::kEntries; ++i)
        EXPECT_TRUE(table.text(entryAt(i)).isEmpty())
            << MessageTable::name(entryAt(i)).toStdString() << " holds " << show(table.text(entryAt(i)));
}

// Hand-picked texts, spelled with escapes so that they do not depend on how
// the source files are encoded: spaces at either end, U+00B4 used as an
// apostrophe, English words in other columns and the composed help-file error.
struct Sample
{
    std::uint8_t language;
    Msg entry;
    const char16_t *expected;
};

void PrintTo(const Sample &sample, std::ostream *out)
{
    *out << languageName(sample.language) << " " << MessageTable::name(sample.entry).toStdString();
}

std::string sampleName(const ::testing::TestParamInfo<Sample> &info)
{
    return std::string(languageName(info.param.language)) + "_" + MessageTable::name(info.param.entry).toStdString();
}

class MessageTableSample : public ::testing::TestWithParam<Sample>
{
};

TEST_P(MessageTableSample, HoldsTheExactText)
{
    const Sample &sample = GetParam();
    MessageTable table;
    table.fill(sample.language);
    const QString expected = QString::fromUtf16(sample.expected);
    EXPECT_EQ(table.text(sample.entry), expected)
        << languageName(sample.language) << " " << MessageTable::name(sample.entry).toStdString()
        << ": expected " << show(expected) << ", got " << show(table.text(sample.entry));
}

INSTANTIATE_TEST_SUITE_P(
    MessageTable, MessageTableSample,
    ::testing::Values(
        // English
        Sample{kEnglish, Msg::MsgHelpFile, u"Torvo_TCI_en.pdf"},
        Sample{kEnglish, Msg::MsgProgramError, u"Program error!"},
        Sample{kEnglish, Msg::MsgProgramming, u"Programing"},
        Sample{kEnglish, Msg::MsgVerify, u"Verify"},
        Sample{kEnglish, Msg::MsgSaving, u"Saving:"},
        Sample{kEnglish, Msg::MsgVersionMismatch, u"Unmatched version of PC and Ignition programs!"},
        Sample{kEnglish, Msg::MsgPrintDateTime, u"Date and time of printing:  "},
        Sample{kEnglish, Msg::MsgHelpFileOpenError, u"Error by opening file Torvo_TCI_en.pdf !"},
        Sample{kEnglish, Msg::MsgSecondAdvanceChart, u"2nd advance chart "},
        Sample{kEnglish, Msg::MsgProgrammingCount, u"Number of Programing= "},
        Sample{kEnglish, Msg::MsgIsRunning, u" is running"},
        Sample{kEnglish, Msg::MsgNoSignal, u" no signal"},
        Sample{kEnglish, Msg::MsgAcceleration, u"Acceleration"},
        // German
        Sample{kGerman, Msg::MsgHelpFile, u"Torvo_TCI_en.pdf"},
        Sample{kGerman, Msg::MsgVerifyError, u"Vergleichsfehler"},
        Sample{kGerman, Msg::MsgVersionMismatch,
               u"Programm der Z\u00FCndung ist nicht kompatibel mit dem Programm am PC!"},
        Sample{kGerman, Msg::MsgIgnFileVersionMismatch, u"Datei *.ign ist nicht kompatiebel!"},
        Sample{kGerman, Msg::MsgPrintDateTime, u"Zeitpunkt des Ausdruckes   "},
        Sample{kGerman, Msg::MsgComOpenError, u"Falscher COM-Anschlu\u00DFes!"},
        Sample{kGerman, Msg::MsgHelpFileOpenError, u"Fehler beim \u00F6ffnen der Datei Torvo_TCI_en.pdf !"},
        Sample{kGerman, Msg::MsgMotorOff, u"Motor off"},
        Sample{kGerman, Msg::MsgSecondAdvanceChart, u"2.Vorz\u00FCndung mappe"},
        Sample{kGerman, Msg::MsgIsRunning, u" l\u00E4uft"},
        Sample{kGerman, Msg::MsgNoSignal, u" kein Signal"},
        // French
        Sample{kFrench, Msg::MsgVerify, u"V\u00E9rifier"},
        Sample{kFrench, Msg::MsgVersionMismatch,
               u"Programme du boitier d\u00B4alumage non compatible avec programme PC!"},
        Sample{kFrench, Msg::MsgPrintDateTime, u"Date et heur de l\u00B4imprim\u00E9:   "},
        Sample{kFrench, Msg::MsgHelpFileOpenError,
               u"Erreur \u00E0 l\u00B4ouvertur du Fichier Torvo_TCI_en.pdf !"},
        Sample{kFrench, Msg::MsgGearShiftLight, u"Retard \u00E0 l\u00B4allumage"},
        Sample{kFrench, Msg::MsgClutchMaster, u"Clutch master"},
        Sample{kFrench, Msg::MsgSecondAdvanceChart, u"2nd advance chart "},
        Sample{kFrench, Msg::MsgYes, u"Oui"},
        Sample{kFrench, Msg::MsgNoSignal, u" pas de signal"},
        // Czech
        Sample{kCzech, Msg::MsgHelpFile, u"Torvo_TCI_en.pdf"},
        Sample{kCzech, Msg::MsgProgramError, u"Chyba programov\u00E1n\u00ED"},
        Sample{kCzech, Msg::MsgReadError, u"Chyba \u010Dten\u00ED!"},
        Sample{kCzech, Msg::MsgVersionMismatch, u"Neshodn\u00E9 verze proramu v PC a zapalov\u00E1n\u00ED!"},
        Sample{kCzech, Msg::MsgPrintDateTime, u"Datum a \u010Das tisku:  "},
        Sample{kCzech, Msg::MsgHelpFileOpenError,
               u"Chyba p\u0159i otev\u00EDr\u00E1n\u00ED souboru Torvo_TCI_en.pdf !"},
        Sample{kCzech, Msg::MsgClutchMaster, u"Clutch master"},
        Sample{kCzech, Msg::MsgSecondAdvanceChart, u"2. mapa p\u0159edstihu"},
        Sample{kCzech, Msg::MsgProgrammingCount, u"Po\u010Det programov\u00E1n\u00ED= "},
        Sample{kCzech, Msg::MsgIsRunning, u" pracuje"},
        Sample{kCzech, Msg::MsgNoSignal, u" bez sign\u00E1lu"}),
    sampleName);

TEST(MessageTable, EveryTextOfEveryLanguage)
{
    for (const std::uint8_t language : kAllLanguages) {
        MessageTable table;
        table.fill(language);
        for (std::size_t i = 0; i < kExpected.size(); ++i) {
            const QString expected = expectedText(i, language);
            EXPECT_EQ(table.text(kExpected[i].entry), expected)
                << languageName(language) << " " << kExpected[i].name << ": expected " << show(expected)
                << ", got " << show(table.text(kExpected[i].entry));
        }
    }
}

TEST(MessageTable, EntriesFollowTheTableOrderAndHaveTheirNames)
{
    ASSERT_EQ(kExpected.size(), MessageTable::kEntries);
    for (std::size_t i = 0; i < kExpected.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(kExpected[i].entry), i) << kExpected[i].name;
        EXPECT_EQ(MessageTable::name(kExpected[i].entry), QString::fromLatin1(kExpected[i].name));
    }
}

TEST(MessageTable, EveryEntryHoldsTextAfterEachFill)
{
    MessageTable table;
    for (const std::uint8_t language : kAllLanguages) {
        table.fill(language);
        for (std::size_t i = 0; i < MessageTable::kEntries; ++i)
            EXPECT_FALSE(table.text(entryAt(i)).isEmpty())
                << languageName(language) << " " << MessageTable::name(entryAt(i)).toStdString();
    }
}

TEST(MessageTable, GermanThenEnglishRestoresEveryEnglishText)
{
    MessageTable table;
    table.fill(kGerman);
    ASSERT_EQ(table.text(Msg::MsgProgramError), QStringLiteral("Programmierfehler!"));
    table.fill(kEnglish);
    for (std::size_t i = 0; i < kExpected.size(); ++i)
        EXPECT_EQ(table.text(kExpected[i].entry), expectedText(i, kEnglish))
            << kExpected[i].name << " after German then English: got " << show(table.text(kExpected[i].entry));
    // The composed entry must not keep the German lead-in or grow on refill.
    EXPECT_EQ(table.text(Msg::MsgHelpFileOpenError), QStringLiteral("Error by opening file Torvo_TCI_en.pdf !"));
}

TEST(MessageTable, FillingTheCurrentLanguageAgainGivesTheSameTexts)
{
    for (const std::uint8_t language : kAllLanguages) {
        MessageTable once;
        once.fill(language);
        MessageTable twice;
        twice.fill(language);
        twice.fill(language);
        for (std::size_t i = 0; i < MessageTable::kEntries; ++i)
            EXPECT_EQ(twice.text(entryAt(i)), once.text(entryAt(i)))
                << languageName(language) << " " << MessageTable::name(entryAt(i)).toStdString()
                << ": once " << show(once.text(entryAt(i))) << ", twice " << show(twice.text(entryAt(i)));
    }
}

TEST(MessageTable, IndexWithoutAColumnChangesNothing)
{
    MessageTable fresh;
    fresh.fill(4);
    fresh.fill(255);
    for (std::size_t i = 0; i < MessageTable::kEntries; ++i)
        EXPECT_TRUE(fresh.text(entryAt(i)).isEmpty()) << MessageTable::name(entryAt(i)).toStdString();

    MessageTable czech;
    czech.fill(kCzech);
    for (const std::uint8_t index : {std::uint8_t{4}, std::uint8_t{5}, std::uint8_t{128}, std::uint8_t{255}}) {
        czech.fill(index);
        for (std::size_t i = 0; i < kExpected.size(); ++i)
            EXPECT_EQ(czech.text(kExpected[i].entry), expectedText(i, kCzech))
                << "after fill(" << int(index) << ") " << kExpected[i].name << ": got "
                << show(czech.text(kExpected[i].entry));
    }
}

TEST(MessageTable, ValueNamingNoEntryReadsAsEmpty)
{
    MessageTable table;
    table.fill(kEnglish);
    EXPECT_TRUE(table.text(Msg::Count).isEmpty());
    EXPECT_TRUE(table.text(static_cast<Msg>(-1)).isEmpty());
    EXPECT_TRUE(table.text(static_cast<Msg>(1000)).isEmpty());
}
