#include "i18n/messagetable.h"

#include "i18n/language.h"

#include <string_view>

namespace {

struct MessageRow
{
    Msg entry;
    std::array<std::u16string_view, MessageTable::kLanguages> texts;
};

// One row per entry, columns English, German, French, Czech. The texts are the
// product's own wording and are kept character for character, odd spellings,
// English words in other columns and edge spaces included: several entries are
// written directly behind or in front of other text. The MsgHelpFileOpenError
// row holds only the lead-in; fill() completes it with the help file's name.
constexpr std::array<MessageRow, MessageTable::kEntries> kRows{{
    {Msg::MsgHelpFile, {u"Torvo_TCI_en.pdf", u"Torvo_TCI_en.pdf", u"Torvo_TCI_en.pdf", u"Torvo_TCI_en.pdf"}},
    {Msg::MsgProgramError, {u"Program error!", u"Programmierfehler!", u"Erreur de programmation!", u"Chyba programování"}},
    {Msg::MsgVerifyError, {u"Verify error!", u"Vergleichsfehler", u"Verifier erreur!", u"Chyba verifikace!"}},
    {Msg::MsgReadError, {u"Read error!", u"Lesefehler", u"Lire erreur!", u"Chyba čtení!"}},
    {Msg::MsgProgramming, {u"Programing", u"Programmieren", u"Programmer", u"Programování"}},
    {Msg::MsgVerify, {u"Verify", u"Vergleichen", u"Vérifier", u"Verifikace"}},
    {Msg::MsgRead, {u"Read", u"Lesen", u"Lire", u"Čtení"}},
    {Msg::MsgSaving, {u"Saving:", u"Speichern:", u"Mémorisation", u"Ukládání:"}},
    {Msg::MsgVersionMismatch, {u"Unmatched version of PC and Ignition programs!", u"Programm der Zündung ist nicht kompatibel mit dem Programm am PC!", u"Programme du boitier d´alumage non compatible avec programme PC!", u"Neshodné verze proramu v PC a zapalování!"}},
    {Msg::MsgIgnFileVersionMismatch, {u"Unmatched version of *.ign file!", u"Datei *.ign ist nicht kompatiebel!", u"Programme du fichier non compatible avec programme PC!", u"Neshodná verze souboru *.ign!"}},
    {Msg::MsgPrintDateTime, {u"Date and time of printing:  ", u"Zeitpunkt des Ausdruckes   ", u"Date et heur de l´imprimé:   ", u"Datum a čas tisku:  "}},
    {Msg::MsgComOpenError, {u"Com opening error!", u"Falscher COM-Anschlußes!", u"Erreur connections PC!", u"Chyba při otevírání portu Com!"}},
    {Msg::MsgOpenFileError, {u"Open file error!", u"Fehler beim öffnen der Datei!", u"Erreur ouvertur fichier!", u"Chyba při otevírání souboru!"}},
    {Msg::MsgAskDefaults, {u"Do you want default setting?", u"Wollen Sie Standardeinstellungen öffnen?", u"Voulez vous la programation de base?", u"Chcete nastavit základní hodnoty?"}},
    {Msg::MsgHelpFileOpenError, {u"Error by opening file ", u"Fehler beim öffnen der Datei ", u"Erreur à l´ouvertur du Fichier ", u"Chyba při otevírání souboru "}},
    {Msg::MsgAdvance, {u"Advance", u"Vorzündung", u"Avance", u"Předstih"}},
    {Msg::MsgStartSoftLimiter, {u"Start soft limiter", u"Startsoftbegrenzer", u"Limitateur départ mou", u"Startovací měkký omezovač"}},
    {Msg::MsgStartLimiter, {u"Start limiter", u"Startbegrenzer", u"Limitateur départ", u"Startovací omezovač"}},
    {Msg::MsgSoftLimiter, {u"Soft limiter", u"Soft begrenzer", u"Limitateur mou", u"Měkký omezovač"}},
    {Msg::MsgLimiter, {u"Limiter", u"Begrenzer", u"Limitateur", u"Omezovač"}},
    {Msg::MsgGearShiftLight, {u"Gear shift light", u"Schaltblitz", u"Retard à l´allumage", u"Kontrolka řazení"}},
    {Msg::MsgClutchMaster, {u"Clutch master", u"Schaltautomat", u"Clutch master", u"Clutch master"}},
    {Msg::MsgRetard, {u"Retard", u"Spätzündung", u"Retard d´allumage", u"Snížení předstihu"}},
    {Msg::MsgMotorOff, {u"Motor off", u"Motor off", u"Blocage", u"Blokování"}},
    {Msg::MsgSecondAdvanceChart, {u"2nd advance chart ", u"2.Vorzündung mappe", u"2nd advance chart ", u"2. mapa předstihu"}},
    {Msg::MsgProgrammingCount, {u"Number of Programing= ", u"Programmierungsanzahl= ", u"Nombre de programmations= ", u"Počet programování= "}},
    {Msg::MsgYes, {u"YES", u"JA", u"Oui", u"ANO"}},
    {Msg::MsgNo, {u"NO", u"NEIN", u"Non", u"NE"}},
    {Msg::MsgPickup, {u"Pick-up (CPS)", u"Geber(CPS)", u"Capteur(CPS)", u"Snímač (CPS)"}},
    {Msg::MsgIsRunning, {u" is running", u" läuft", u" fonctionne", u" pracuje"}},
    {Msg::MsgNoSignal, {u" no signal", u" kein Signal", u" pas de signal", u" bez signálu"}},
    {Msg::MsgAcceleration, {u"Acceleration", u"Beschleunigung", u"Accélération", u"Zrychlení"}},
}};

constexpr std::u16string_view kHelpFileOpenErrorTail = u" !";

constexpr bool rowsFollowEntryOrder()
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<std::size_t>(kRows[i].entry) != i)
            return false;
    }
    return true;
}
static_assert(rowsFollowEntryOrder(), "every entry has exactly one row, in entry order");

// The error text names the help file, so the file's row must be filled first.
static_assert(Msg::MsgHelpFile < Msg::MsgHelpFileOpenError);

const QString kNoText;

} // namespace

void MessageTable::fill(std::uint8_t languageIndex)
{
    if (languageIndex >= kLanguages)
        return;
    for (std::size_t i = 0; i < kEntries; ++i) {
        const std::u16string_view text = kRows[i].texts[languageIndex];
        if (kRows[i].entry == Msg::MsgHelpFileOpenError) {
            helpFileOpenErrorLeadIn = toQString(text);
            texts[i] = helpFileOpenError(texts[static_cast<std::size_t>(Msg::MsgHelpFile)]);
        } else {
            texts[i] = toQString(text);
        }
    }
}

QString MessageTable::helpFileOpenError(const QString &file) const
{
    if (helpFileOpenErrorLeadIn.isEmpty())
        return {};
    return helpFileOpenErrorLeadIn + file + toQString(kHelpFileOpenErrorTail);
}

const QString &MessageTable::text(Msg entry) const
{
    const auto index = static_cast<std::size_t>(entry);
    // Also guards against a value cast from an out-of-range integer.
    if (index >= kEntries)
        return kNoText;
    return texts[index];
}

QString MessageTable::name(Msg entry)
{
    switch (entry) {
    case Msg::MsgHelpFile:
        return QStringLiteral("MsgHelpFile");
    case Msg::MsgProgramError:
        return QStringLiteral("MsgProgramError");
    case Msg::MsgVerifyError:
        return QStringLiteral("MsgVerifyError");
    case Msg::MsgReadError:
        return QStringLiteral("MsgReadError");
    case Msg::MsgProgramming:
        return QStringLiteral("MsgProgramming");
    case Msg::MsgVerify:
        return QStringLiteral("MsgVerify");
    case Msg::MsgRead:
        return QStringLiteral("MsgRead");
    case Msg::MsgSaving:
        return QStringLiteral("MsgSaving");
    case Msg::MsgVersionMismatch:
        return QStringLiteral("MsgVersionMismatch");
    case Msg::MsgIgnFileVersionMismatch:
        return QStringLiteral("MsgIgnFileVersionMismatch");
    case Msg::MsgPrintDateTime:
        return QStringLiteral("MsgPrintDateTime");
    case Msg::MsgComOpenError:
        return QStringLiteral("MsgComOpenError");
    case Msg::MsgOpenFileError:
        return QStringLiteral("MsgOpenFileError");
    case Msg::MsgAskDefaults:
        return QStringLiteral("MsgAskDefaults");
    case Msg::MsgHelpFileOpenError:
        return QStringLiteral("MsgHelpFileOpenError");
    case Msg::MsgAdvance:
        return QStringLiteral("MsgAdvance");
    case Msg::MsgStartSoftLimiter:
        return QStringLiteral("MsgStartSoftLimiter");
    case Msg::MsgStartLimiter:
        return QStringLiteral("MsgStartLimiter");
    case Msg::MsgSoftLimiter:
        return QStringLiteral("MsgSoftLimiter");
    case Msg::MsgLimiter:
        return QStringLiteral("MsgLimiter");
    case Msg::MsgGearShiftLight:
        return QStringLiteral("MsgGearShiftLight");
    case Msg::MsgClutchMaster:
        return QStringLiteral("MsgClutchMaster");
    case Msg::MsgRetard:
        return QStringLiteral("MsgRetard");
    case Msg::MsgMotorOff:
        return QStringLiteral("MsgMotorOff");
    case Msg::MsgSecondAdvanceChart:
        return QStringLiteral("MsgSecondAdvanceChart");
    case Msg::MsgProgrammingCount:
        return QStringLiteral("MsgProgrammingCount");
    case Msg::MsgYes:
        return QStringLiteral("MsgYes");
    case Msg::MsgNo:
        return QStringLiteral("MsgNo");
    case Msg::MsgPickup:
        return QStringLiteral("MsgPickup");
    case Msg::MsgIsRunning:
        return QStringLiteral("MsgIsRunning");
    case Msg::MsgNoSignal:
        return QStringLiteral("MsgNoSignal");
    case Msg::MsgAcceleration:
        return QStringLiteral("MsgAcceleration");
    case Msg::Count:
        return QStringLiteral("Count");
    }
    return QStringLiteral("Msg(%1)").arg(static_cast<int>(entry));
}
