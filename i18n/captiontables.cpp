#include "i18n/captiontables.h"

#include "i18n/language.h"

#include <array>
#include <string_view>

namespace {

using enum CaptionTarget;
using enum CaptionProperty;

using CaptionSet = std::array<CaptionAssignment, kCaptionSetSize>;

// The three sets below are the product's own wording, kept character for
// character: double spaces, trailing spaces, typos and texts of one language in
// another's set included. Hints without "|" serve as tooltip and status text
// alike, even where the design-time hint had two parts. Objects not named here
// (the base-advance and TOP labels, the connection indicator, the Com items'
// captions, the Tools menu and its items) keep their design texts in every
// language.

constexpr CaptionSet kEnglish{{
    {"FormHlav", Window, Caption, u"Programming of \"Torvo TCI\" unit"},
    {"MenuFile", MenuItem, Caption, u"&File"},
    {"MenuNew", MenuItem, Caption, u"&New"},
    {"MenuOpen", MenuItem, Caption, u"&Open"},
    {"MenuSave", MenuItem, Caption, u"&Save"},
    {"MenuPrint", MenuItem, Caption, u"&Print"},
    {"MenuExit", MenuItem, Caption, u"E&xit"},
    {"MenuCom", MenuItem, Caption, u"&Com"},
    {"MenuDevice", MenuItem, Caption, u"&Device"},
    {"MenuRead", MenuItem, Caption, u"&Read"},
    {"MenuVerify", MenuItem, Caption, u"&Verify"},
    {"MenuProgram", MenuItem, Caption, u"&Program"},
    {"MenuLanguage", MenuItem, Caption, u"&Language"},
    {"MenuEnglish", MenuItem, Caption, u"&English"},
    {"MenuCzech", MenuItem, Caption, u"&Czech"},
    {"MenuGerman", MenuItem, Caption, u"&German"},
    {"MenuHelp", MenuItem, Caption, u"&Help"},
    {"MenuContens", MenuItem, Caption, u"&Contents..."},
    {"MenuAbout", MenuItem, Caption, u"&About..."},
    {"CheckBoxIgnAll", Control, Caption, u"All"},
    {"CheckBoxProgHned", Control, Caption, u"Programming after change"},
    {"Button1", Control, Caption, u"&Read"},
    {"BitBtn1", Control, Caption, u"&Program"},
    {"BitBtn2", Control, Caption, u"&Verify"},
    {"Label2", Control, Caption, u"Advance [°]"},
    {"LabelOmez2", Control, Caption, u"Limiter [rpm]"},
    {"CheckBoxBlokEnable", Control, Caption, u"Blocking enable"},
    {"CheckBoxRpm2Krat", Control, Caption, u"Tachometer 2x"},
    {"LabelFile1", Control, Caption, u"File:"},
    {"Label26", Control, Hint, u"Round per Minute|Speed - Round per Minute"},
    {"LabelVerze1", Control, Hint, u"Version of program in ignition"},
    {"LabelVerze2", Control, Hint, u"Date of program in ignition"},
    {"LabelVerze3", Control, Hint, u"Time of program in ignition"},
    {"SpeedButton5", Control, Hint, u"Open file with parametrs"},
    {"SpeedButton6", Control, Hint, u"Set default parametrs"},
    {"SpeedButton7", Control, Hint, u"Save parametrs to file"},
    {"SpeedButtonPrint", Control, Hint, u"Print parametrs"},
    {"BitBtn1", Control, Hint, u"Programing  set parametrs to ignition"},
    {"BitBtn2", Control, Hint, u"Compare set parametrs  with parametrs of ignition"},
    {"BitBtnAdvMinus", Control, Hint, u"Take off 1 degree of Advance"},
    {"BitBtnAdvPlus", Control, Hint, u"Add 1 degree of Advance"},
    {"Button1", Control, Hint, u"Reading parametrs from ignition"},
    {"MenuNew", MenuItem, Hint, u"Set default parameters "},
    {"MenuOpen", MenuItem, Hint, u"Open file with parameters "},
    {"MenuSave", MenuItem, Hint, u"Save parameters to file"},
    {"MenuPrint", MenuItem, Hint, u"Print parameters"},
    {"MenuExit", MenuItem, Hint, u"End of program"},
    {"MenuCom", MenuItem, Hint, u"Com|Set number of com"},
    {"MenuCom1", MenuItem, Hint, u"Set com 1"},
    {"MenuCom2", MenuItem, Hint, u"Set com 2"},
    {"MenuCom3", MenuItem, Hint, u"Set com 3"},
    {"MenuCom4", MenuItem, Hint, u"Set com 4"},
    {"MenuCom5", MenuItem, Hint, u"Set com 5"},
    {"MenuCom6", MenuItem, Hint, u"Set com 6"},
    {"MenuCom7", MenuItem, Hint, u"Set com 7"},
    {"MenuCom8", MenuItem, Hint, u"Set com 8"},
    {"MenuCom9", MenuItem, Hint, u"Set com 9"},
    {"MenuCom10", MenuItem, Hint, u"Set com 10"},
    {"MenuRead", MenuItem, Hint, u"Reading parameters from unit"},
    {"MenuVerify", MenuItem, Hint, u"Compare set parameters  with parameters of unit"},
    {"MenuProgram", MenuItem, Hint, u"Programing  set parameters to unit"},
    {"MenuLanguage", MenuItem, Hint, u"Language|Set English or Czech or German"},
    {"MenuEnglish", MenuItem, Hint, u"Set Englich menu"},
    {"MenuCzech", MenuItem, Hint, u"Nastavit české menu"},
    {"MenuGerman", MenuItem, Hint, u"Deutche Menü"},
    {"MenuHelp", MenuItem, Hint, u"Not available jet"},
    {"CheckBoxProgHned", Control, Hint, u"Programing at once after change"},
}};

constexpr CaptionSet kCzech{{
    {"FormHlav", Window, Caption, u"Programování jednotky \"Torvo TCI\""},
    {"MenuFile", MenuItem, Caption, u"&Soubor"},
    {"MenuNew", MenuItem, Caption, u"&Nový"},
    {"MenuOpen", MenuItem, Caption, u"&Otevřít"},
    {"MenuSave", MenuItem, Caption, u"&Uložit"},
    {"MenuPrint", MenuItem, Caption, u"&Tisk"},
    {"MenuExit", MenuItem, Caption, u"&Konec"},
    {"MenuCom", MenuItem, Caption, u"&Port"},
    {"MenuDevice", MenuItem, Caption, u"&Zapalování"},
    {"MenuRead", MenuItem, Caption, u"Čí&st"},
    {"MenuVerify", MenuItem, Caption, u"&Verifikace"},
    {"MenuProgram", MenuItem, Caption, u"&Programovat"},
    {"MenuLanguage", MenuItem, Caption, u"&Jazyk"},
    {"MenuEnglish", MenuItem, Caption, u"&Anglicky"},
    {"MenuCzech", MenuItem, Caption, u"Če&sky"},
    {"MenuGerman", MenuItem, Caption, u"&Německy"},
    {"MenuHelp", MenuItem, Caption, u"&Nápověda"},
    {"MenuContens", MenuItem, Caption, u"&Obsah..."},
    {"MenuAbout", MenuItem, Caption, u"&O programu..."},
    {"CheckBoxIgnAll", Control, Caption, u"Vše"},
    {"CheckBoxProgHned", Control, Caption, u"Programování po změně"},
    {"Button1", Control, Caption, u"Čí&st"},
    {"BitBtn1", Control, Caption, u"&Programovat"},
    {"BitBtn2", Control, Caption, u"&Verifikovat"},
    {"Label2", Control, Caption, u"Předstih [°]"},
    {"LabelOmez2", Control, Caption, u"Omezovač [rpm]"},
    {"CheckBoxBlokEnable", Control, Caption, u"Blokování povoleno"},
    {"CheckBoxRpm2Krat", Control, Caption, u"Otáčkoměr 2x"},
    {"LabelFile1", Control, Caption, u"Soubor:"},
    {"Label26", Control, Hint, u"Otáčky za minutu|Rychlost - Otáčky za minutu"},
    {"LabelVerze1", Control, Hint, u"Verze programu v zapalování"},
    {"LabelVerze2", Control, Hint, u"Datum zhotovení programu v zapalování"},
    {"LabelVerze3", Control, Hint, u"Čas zhotovení programu v zapalování"},
    {"SpeedButton5", Control, Hint, u"Otevření souboru s parametry"},
    {"SpeedButton6", Control, Hint, u"Nastavení výchozích parametrů"},
    {"SpeedButton7", Control, Hint, u"Uložení parametrů do souboru"},
    {"SpeedButtonPrint", Control, Hint, u"Tisk parametrů"},
    {"BitBtn1", Control, Hint, u"Programování nastavených parametrů do zapalování"},
    {"BitBtn2", Control, Hint, u"Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování"},
    {"BitBtnAdvMinus", Control, Hint, u"Zmenšení předstihu o 1 stupeň"},
    {"BitBtnAdvPlus", Control, Hint, u"Zvětšení předstihu o 1 stupeň"},
    {"Button1", Control, Hint, u"Čtení parametrů ze zapalování"},
    {"MenuNew", MenuItem, Hint, u"Nastavení výchozích parametrů"},
    {"MenuOpen", MenuItem, Hint, u"Otevření souboru s parametry"},
    {"MenuSave", MenuItem, Hint, u"Uložení parametrů do souboru"},
    {"MenuPrint", MenuItem, Hint, u"Tisk parametrů"},
    {"MenuExit", MenuItem, Hint, u"Ukončení programu"},
    {"MenuCom", MenuItem, Hint, u"Nastavení čísla serivého portu (Com) "},
    {"MenuCom1", MenuItem, Hint, u"Nastavení komunikace na port com 1"},
    {"MenuCom2", MenuItem, Hint, u"Nastavení komunikace na port com 2"},
    {"MenuCom3", MenuItem, Hint, u"Nastavení komunikace na port com 3"},
    {"MenuCom4", MenuItem, Hint, u"Nastavení komunikace na port com 4"},
    {"MenuCom5", MenuItem, Hint, u"Nastavení komunikace na port com 5"},
    {"MenuCom6", MenuItem, Hint, u"Nastavení komunikace na port com 6"},
    {"MenuCom7", MenuItem, Hint, u"Nastavení komunikace na port com 7"},
    {"MenuCom8", MenuItem, Hint, u"Nastavení komunikace na port com 8"},
    {"MenuCom9", MenuItem, Hint, u"Nastavení komunikace na port com 9"},
    {"MenuCom10", MenuItem, Hint, u"Nastavení komunikace na port com 10"},
    {"MenuRead", MenuItem, Hint, u"Čtení|Čtení parametrů z jednotky"},
    {"MenuVerify", MenuItem, Hint, u"Ověření|Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování"},
    {"MenuProgram", MenuItem, Hint, u"Programování jednotky|Programování nastavených parametrů do jednotky"},
    {"MenuLanguage", MenuItem, Hint, u"Nastavení jazyka na angličtinu, češtinu nebo němčinu"},
    {"MenuEnglish", MenuItem, Hint, u"Set Englich menu"},
    {"MenuCzech", MenuItem, Hint, u"Nastavit české menu"},
    {"MenuGerman", MenuItem, Hint, u"Deutche Menü"},
    {"MenuHelp", MenuItem, Hint, u"Není k dispozici"},
    {"CheckBoxProgHned", Control, Hint, u"Programování ihned po změně"},
}};

constexpr CaptionSet kGerman{{
    {"FormHlav", Window, Caption, u"Programmierung der \"Torvo TCI\" Zündbox"},
    {"MenuFile", MenuItem, Caption, u"&Datei"},
    {"MenuNew", MenuItem, Caption, u"&Neu"},
    {"MenuOpen", MenuItem, Caption, u"&Öffnen"},
    {"MenuSave", MenuItem, Caption, u"&Speichern"},
    {"MenuPrint", MenuItem, Caption, u"&Drucken"},
    {"MenuExit", MenuItem, Caption, u"&Beenden"},
    {"MenuCom", MenuItem, Caption, u"&ComPort"},
    {"MenuDevice", MenuItem, Caption, u"&Zündbox"},
    {"MenuRead", MenuItem, Caption, u"&Lesen"},
    {"MenuVerify", MenuItem, Caption, u"&Vergleichen"},
    {"MenuProgram", MenuItem, Caption, u"&Programmieren"},
    {"MenuLanguage", MenuItem, Caption, u"&Sprache"},
    {"MenuEnglish", MenuItem, Caption, u"Englisch"}, // no accelerator in this set
    {"MenuCzech", MenuItem, Caption, u"&Tschechisch"},
    {"MenuGerman", MenuItem, Caption, u"&Deutsch"},
    {"MenuHelp", MenuItem, Caption, u"&Hilfe"},
    {"MenuContens", MenuItem, Caption, u"&Inhalt..."},
    {"MenuAbout", MenuItem, Caption, u"&Über Programm..."},
    {"CheckBoxIgnAll", Control, Caption, u"Alles"},
    {"CheckBoxProgHned", Control, Caption, u"Programmieren nach Änderung"},
    {"Button1", Control, Caption, u"&Lesen"},
    {"BitBtn1", Control, Caption, u"&Programmieren"},
    {"BitBtn2", Control, Caption, u"&Vergleichen"},
    {"Label2", Control, Caption, u"Vorzündung [°]"},
    {"LabelOmez2", Control, Caption, u"Begrenzer [rpm]"},
    {"CheckBoxBlokEnable", Control, Caption, u"Blockierung zugelast"},
    {"CheckBoxRpm2Krat", Control, Caption, u"Drehzahl verdoppeln"},
    {"LabelFile1", Control, Caption, u"Datei:"},
    {"Label26", Control, Hint, u"Umdrehungen pro Minute"},
    {"LabelVerze1", Control, Hint, u"Version des Programms der Zündung"},
    {"LabelVerze2", Control, Hint, u"Datum des Programms der Zündung"},
    {"LabelVerze3", Control, Hint, u"Zeit des Programms der Zündung"},
    {"SpeedButton5", Control, Hint, u"öffnen Datei mit Kenndaten"},
    {"SpeedButton6", Control, Hint, u"neue Kenndatendatei erstellen"},
    {"SpeedButton7", Control, Hint, u"Kenndaten in Datei speichern"},
    {"SpeedButtonPrint", Control, Hint, u"Druck der Kenndaten"},
    {"BitBtn1", Control, Hint, u"Programmieren der Kenndaten auf die Zündbox"},
    {"BitBtn2", Control, Hint, u"Vergleich der Kenndaten mit Zündboxkenndaten"},
    {"BitBtnAdvMinus", Control, Hint, u"Vorzündung minus 1 Grad"},
    {"BitBtnAdvPlus", Control, Hint, u"Vorzündung plus 1 Grad"},
    {"Button1", Control, Hint, u"Lesen Kenndaten aus Zündbox"},
    {"MenuNew", MenuItem, Hint, u"Neue Kenndatendatei erstellen"},
    {"MenuOpen", MenuItem, Hint, u"öffnen Datei mit Kenndaten"},
    {"MenuSave", MenuItem, Hint, u"Kenndaten in Datei speichern"},
    {"MenuPrint", MenuItem, Hint, u"Druck der Kenndaten"},
    {"MenuExit", MenuItem, Hint, u"Speichern"}, // sic: the Exit item's German hint
    {"MenuCom", MenuItem, Hint, u"Com Port festlegen"},
    {"MenuCom1", MenuItem, Hint, u"Com 1 festzustellen"},
    {"MenuCom2", MenuItem, Hint, u"Com 2 festzustellen"},
    {"MenuCom3", MenuItem, Hint, u"Com 3 festzustellen"},
    {"MenuCom4", MenuItem, Hint, u"Com 4 festzustellen"},
    {"MenuCom5", MenuItem, Hint, u"Com 5 festzustellen"},
    {"MenuCom6", MenuItem, Hint, u"Com 6 festzustellen"},
    {"MenuCom7", MenuItem, Hint, u"Com 7 festzustellen"},
    {"MenuCom8", MenuItem, Hint, u"Com 8 festzustellen"},
    {"MenuCom9", MenuItem, Hint, u"Com 9 festzustellen"},
    {"MenuCom10", MenuItem, Hint, u"Com 10 festzustellen"},
    {"MenuRead", MenuItem, Hint, u"Lesen Kenndaten aus Zündbox"},
    {"MenuVerify", MenuItem, Hint, u"Vergleich der Kenndaten Programm mit Kenndaten der Zündbox"},
    {"MenuProgram", MenuItem, Hint, u"Programmieren der Kenndaten auf die Zündbox"},
    {"MenuLanguage", MenuItem, Hint, u"Sprache"},
    {"MenuEnglish", MenuItem, Hint, u"Set Englich menu"},
    {"MenuCzech", MenuItem, Hint, u"Nastavit české menu"},
    {"MenuGerman", MenuItem, Hint, u"Deutche Menü"},
    {"MenuHelp", MenuItem, Hint, u"Noch nicht verfügbar"},
    {"CheckBoxProgHned", Control, Hint, u"Programmmieren gleich after die Umänderung"},
}};

// The window applies any set over any other, so every set must reach the same
// objects in the same order; otherwise a text of the previous language would
// survive a switch.
constexpr bool sameRows(const CaptionSet &a, const CaptionSet &b)
{
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::string_view(a[i].objectName) != std::string_view(b[i].objectName)
            || a[i].target != b[i].target || a[i].property != b[i].property)
            return false;
    }
    return true;
}
static_assert(sameRows(kEnglish, kCzech), "the Czech set names other rows than the English one");
static_assert(sameRows(kEnglish, kGerman), "the German set names other rows than the English one");

} // namespace

std::span<const CaptionAssignment> captionSet(Language language)
{
    switch (language.index()) {
    case language::kEnglish:
        return kEnglish;
    case language::kGerman:
        return kGerman;
    case language::kCzech:
        return kCzech;
    default:
        // French has message texts but no caption set; other indices name no language.
        return {};
    }
}

QString captionText(const CaptionAssignment &assignment)
{
    if (assignment.text == nullptr)
        return {};
    return QString::fromUtf16(assignment.text);
}
