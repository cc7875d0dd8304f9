#include "i18n/extracaptions.h"

#include "i18n/captiontables.h"
#include "i18n/language.h"

namespace {

using ExtraSet = std::array<ExtraCaption, 10>;

// "Choose device…" ends in a real ellipsis: it opens a dialog.
constexpr ExtraSet kEnglishItems{{
    {"MenuUndo", u"Undo", u"Undo|Take back the last change of the parameters"},
    {"MenuRedo", u"Redo", u"Redo|Make the change taken back again"},
    {"MenuChooseDevice", u"Choose device…",
     u"Choose device|Map a COM number to a serial device plugged in"},
    {"MenuCurveChart", u"Curve chart", u"Curve chart|Show the advance curve and the running engine as a chart"},
    {"MenuRecord", u"Record live data…", u"Record live data|Append every live-data frame to a CSV file"},
    {"MenuOpenRecording", u"Open recording…", u"Open recording|Play a recorded CSV file back in the chart"},
    {"MenuCompare", u"Compare with file…",
     u"Compare with file|Compare the parameters with those of a file, field by field and on the chart"},
    {"MenuShowDifferences", u"Show differences",
     u"Show differences|List the fields in which the unit differs after a failed verify"},
    {"MenuJournal", u"Journal…",
     u"Journal|List every set read from a unit or programmed into it, and open or compare one"},
    {"MenuReadBeforeProgramming", u"Read before programming",
     u"Read before programming|Keep the unit's set in the journal before every Program replaces it"},
}};
constexpr ExtraSet kGermanItems{{
    {"MenuUndo", u"Rückgängig", u"Rückgängig|Die letzte Änderung der Parameter zurücknehmen"},
    {"MenuRedo", u"Wiederholen", u"Wiederholen|Die zurückgenommene Änderung wiederherstellen"},
    {"MenuChooseDevice", u"Gerät wählen…",
     u"Gerät wählen|Einer COM-Nummer ein angeschlossenes serielles Gerät zuordnen"},
    {"MenuCurveChart", u"Zündkurve", u"Zündkurve|Die Zündkurve und den laufenden Motor als Diagramm zeigen"},
    {"MenuRecord", u"Messwerte aufzeichnen…", u"Messwerte aufzeichnen|Jeden Messwert-Rahmen an eine CSV-Datei anhängen"},
    {"MenuOpenRecording", u"Aufzeichnung öffnen…", u"Aufzeichnung öffnen|Eine aufgezeichnete CSV-Datei im Diagramm zeigen"},
    {"MenuCompare", u"Mit Datei vergleichen…",
     u"Mit Datei vergleichen|Die Parameter mit denen einer Datei vergleichen, Feld für Feld und im Diagramm"},
    {"MenuShowDifferences", u"Unterschiede zeigen",
     u"Unterschiede zeigen|Nach einem fehlgeschlagenen Vergleich die Felder zeigen, in denen die Zündbox abweicht"},
    {"MenuJournal", u"Journal…",
     u"Journal|Alle gelesenen und programmierten Kenndaten auflisten, öffnen oder vergleichen"},
    {"MenuReadBeforeProgramming", u"Vor dem Programmieren lesen",
     u"Vor dem Programmieren lesen|Die Kenndaten der Zündbox im Journal sichern, bevor das Programmieren sie ersetzt"},
}};
constexpr ExtraSet kCzechItems{{
    {"MenuUndo", u"Zpět", u"Zpět|Vrátit poslední změnu parametrů"},
    {"MenuRedo", u"Znovu", u"Znovu|Znovu provést vrácenou změnu"},
    {"MenuChooseDevice", u"Vybrat zařízení…",
     u"Vybrat zařízení|Přiřadit číslu COM připojené sériové zařízení"},
    {"MenuCurveChart", u"Graf křivky", u"Graf křivky|Zobrazit křivku předstihu a běžící motor v grafu"},
    {"MenuRecord", u"Zaznamenávat živá data…", u"Zaznamenávat živá data|Připisovat každý rámec živých dat do souboru CSV"},
    {"MenuOpenRecording", u"Otevřít záznam…", u"Otevřít záznam|Zobrazit zaznamenaný soubor CSV v grafu"},
    {"MenuCompare", u"Porovnat se souborem…",
     u"Porovnat se souborem|Porovnat parametry s parametry souboru, položku po položce i v grafu"},
    {"MenuShowDifferences", u"Zobrazit rozdíly",
     u"Zobrazit rozdíly|Po chybě verifikace vypsat položky, ve kterých se jednotka liší"},
    {"MenuJournal", u"Deník…",
     u"Deník|Vypsat všechny parametry přečtené z jednotky a naprogramované do ní, otevřít je nebo porovnat"},
    {"MenuReadBeforeProgramming", u"Číst před programováním",
     u"Číst před programováním|Uložit parametry jednotky do deníku dřív, než je programování přepíše"},
}};

constexpr DeviceChooserTexts kEnglishChooser{
    u"Choose device",
    {u"COM", u"Device", u"Description", u"Manufacturer", u"USB ID", u"Serial number", u"Stable name"},
    u"Map to:",
    u"OK",
    u"Cancel",
    u"No serial device found",
    u"Device path:",
};
constexpr DeviceChooserTexts kGermanChooser{
    u"Gerät wählen",
    {u"COM", u"Gerät", u"Beschreibung", u"Hersteller", u"USB-ID", u"Seriennummer", u"Fester Name"},
    u"Zuordnen zu:",
    u"OK",
    u"Abbrechen",
    u"Kein serielles Gerät gefunden",
    u"Gerätepfad:",
};
constexpr DeviceChooserTexts kCzechChooser{
    u"Vybrat zařízení",
    {u"COM", u"Zařízení", u"Popis", u"Výrobce", u"USB ID", u"Sériové číslo",
     u"Stálý název"},
    u"Přiřadit k:",
    u"OK",
    u"Zrušit",
    u"Nenalezeno žádné sériové zařízení",
    u"Cesta k zařízení:",
};

} // namespace

std::span<const ExtraCaption> extraCaptions(Language language)
{
    return inLanguage(language, kEnglishItems, kGermanItems, kCzechItems);
}

const DeviceChooserTexts &deviceChooserTexts(Language language)
{
    return inLanguage(language, kEnglishChooser, kGermanChooser, kCzechChooser);
}

namespace {

// A caption as its menu shows it: "&&" is one ampersand, a single one only
// marks the accelerator.
QString withoutAccelerator(const QString &caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && ++i == caption.size())
            break;
        shown += caption[i];
    }
    return shown;
}

} // namespace

QString chooseDeviceMenuPath(Language language)
{
    // French (2) has no set and shows the design texts, which are the English ones.
    std::span<const CaptionAssignment> set = captionSet(language);
    if (set.empty())
        set = captionSet(Language());
    QString menu = QStringLiteral("Com");
    for (const CaptionAssignment &row : set) {
        if (row.property == CaptionProperty::Caption && qstrcmp(row.objectName, "MenuCom") == 0)
            menu = withoutAccelerator(captionText(row));
    }
    QString item;
    for (const ExtraCaption &row : extraCaptions(language)) {
        if (qstrcmp(row.objectName, "MenuChooseDevice") == 0)
            item = extraText(row.caption);
    }
    return menu + QStringLiteral(" → ") + item;
}

namespace {

// Each sentence that names the menu item ends with it: its ellipsis needs no full stop.
constexpr PortAdviceTexts kEnglishAdvice{
    u"No unit answers on COM%1. Choose the adapter in %2",
    u"Plug the adapter in, or choose its device in %1",
    u"Your user may not open this device. Join the group dialout (sudo usermod -aG dialout $USER), "
    u"then log out and in again.",
    u"The device is in use by another program. Close that program, then try again.",
};
constexpr PortAdviceTexts kGermanAdvice{
    u"An COM%1 antwortet keine Zündbox. Den Adapter wählen Sie unter %2",
    u"Stecken Sie den Adapter ein, oder wählen Sie sein Gerät unter %1",
    u"Ihr Benutzer darf dieses Gerät nicht öffnen. Treten Sie der Gruppe dialout bei "
    u"(sudo usermod -aG dialout $USER), und melden Sie sich dann ab und wieder an.",
    u"Das Gerät wird von einem anderen Programm benutzt. Schließen Sie dieses Programm, und versuchen Sie es "
    u"dann erneut.",
};
constexpr PortAdviceTexts kCzechAdvice{
    u"Na COM%1 neodpovídá žádná jednotka. Převodník vyberte v nabídce %2",
    u"Připojte převodník, nebo vyberte jeho zařízení v nabídce %1",
    u"Váš uživatel nesmí toto zařízení otevřít. Přidejte ho do skupiny dialout "
    u"(sudo usermod -aG dialout $USER), pak se odhlaste a znovu přihlaste.",
    u"Zařízení používá jiný program. Zavřete ho a zkuste to znovu.",
};

} // namespace

const PortAdviceTexts &portAdviceTexts(Language language)
{
    return inLanguage(language, kEnglishAdvice, kGermanAdvice, kCzechAdvice);
}

const char16_t *journalNotKeptText(Language language)
{
    switch (language.index()) {
    case language::kGerman:
        return u"Das Journal wurde nicht geschrieben: %1";
    case language::kCzech:
        return u"Deník nebyl zapsán: %1";
    default:
        return u"The journal was not kept: %1";
    }
}

QString extraText(const char16_t *text)
{
    return text ? QString::fromUtf16(text) : QString();
}

namespace {

constexpr ChartTexts kEnglishChart{u"Curve chart",  u"rpm",           u"advance [°]",   u"limiter",
                                   u"Export PNG…", u"Export SVG…",   u"Recording: %1 rows",
                                   u"Recording stopped", u"Play",        u"Pause",
                                   u"Close recording",   u"Unit (live)"};
constexpr ChartTexts kGermanChart{u"Zündkurve",              u"U/min",                   u"Vorzündung [°]",
                                  u"Begrenzer",              u"Als PNG exportieren…",    u"Als SVG exportieren…",
                                  u"Aufzeichnung: %1 Zeilen", u"Aufzeichnung beendet",    u"Abspielen",
                                  u"Pause",                  u"Aufzeichnung schließen",  u"Zündbox (live)"};
constexpr ChartTexts kCzechChart{u"Graf křivky",       u"ot/min",          u"předstih [°]",
                                 u"omezovač",          u"Exportovat PNG…", u"Exportovat SVG…",
                                 u"Záznam: %1 řádků", u"Záznam zastaven",   u"Přehrát",
                                 u"Pozastavit",        u"Zavřít záznam",     u"Jednotka (živě)"};

} // namespace

namespace {

constexpr CompareTexts kEnglishCompare{u"Compare", u"Differences from the unit", u"Field", u"Screen",
                                       u"Difference", u"Unit"};
constexpr CompareTexts kGermanCompare{u"Vergleich", u"Unterschiede zur Zündbox", u"Feld", u"Bildschirm",
                                      u"Unterschied", u"Zündbox"};
constexpr CompareTexts kCzechCompare{u"Porovnání", u"Rozdíly proti jednotce", u"Položka", u"Obrazovka",
                                     u"Rozdíl", u"Jednotka"};

} // namespace

const CompareTexts &compareTexts(Language language)
{
    return inLanguage(language, kEnglishCompare, kGermanCompare, kCzechCompare);
}

const ChartTexts &chartTexts(Language language)
{
    return inLanguage(language, kEnglishChart, kGermanChart, kCzechChart);
}

namespace {

constexpr char16_t kEnglishHelp[] =
    u"Usage: torvo-tci [ENGLISH|CESKY|DEUTSCH]\n"
    u"       torvo-tci --help | --version\n"
    u"\n"
    u"Opens the window that reads, verifies and programs a Torvo TCI ignition unit\n"
    u"over a serial line and shows its live values.\n"
    u"\n"
    u"  ENGLISH, CESKY, DEUTSCH  language of the window for this run\n"
    u"  --help, -h               show this text\n"
    u"  --version                show the version\n"
    u"\n"
    u"Settings: %1\n"
    u"More: man torvo-tci, torvo-tci-cli --help\n";
constexpr char16_t kGermanHelp[] =
    u"Aufruf: torvo-tci [ENGLISH|CESKY|DEUTSCH]\n"
    u"        torvo-tci --help | --version\n"
    u"\n"
    u"Öffnet das Fenster, in dem eine Torvo TCI Zündbox über eine serielle Leitung\n"
    u"gelesen, verglichen und programmiert wird und das ihre Messwerte zeigt.\n"
    u"\n"
    u"  ENGLISH, CESKY, DEUTSCH  Sprache des Fensters für diesen Start\n"
    u"  --help, -h               diesen Text zeigen\n"
    u"  --version                die Version zeigen\n"
    u"\n"
    u"Einstellungen: %1\n"
    u"Mehr: man torvo-tci, torvo-tci-cli --help\n";
constexpr char16_t kCzechHelp[] =
    u"Použití: torvo-tci [ENGLISH|CESKY|DEUTSCH]\n"
    u"         torvo-tci --help | --version\n"
    u"\n"
    u"Otevře okno, kterým se jednotka zapalování Torvo TCI po sériové lince čte,\n"
    u"verifikuje a programuje a které ukazuje její živé hodnoty.\n"
    u"\n"
    u"  ENGLISH, CESKY, DEUTSCH  jazyk okna pro toto spuštění\n"
    u"  --help, -h               zobrazit tento text\n"
    u"  --version                zobrazit verzi\n"
    u"\n"
    u"Nastavení: %1\n"
    u"Více: man torvo-tci, torvo-tci-cli --help\n";

} // namespace

const char16_t *commandLineHelp(Language language)
{
    switch (language.index()) {
    case language::kGerman:
        return kGermanHelp;
    case language::kCzech:
        return kCzechHelp;
    default:
        return kEnglishHelp;
    }
}
