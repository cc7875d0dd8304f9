#include "i18n/extracaptions.h"

#include "i18n/language.h"

namespace {

using ExtraSet = std::array<ExtraCaption, 1>;

// "Choose device…" ends in a real ellipsis: it opens a dialog.
constexpr ExtraSet kEnglishItems{{
    {"MenuChooseDevice", u"Choose device…",
     u"Choose device|Map a COM number to a serial device plugged in"},
}};
constexpr ExtraSet kGermanItems{{
    {"MenuChooseDevice", u"Gerät wählen…",
     u"Gerät wählen|Einer COM-Nummer ein angeschlossenes serielles Gerät zuordnen"},
}};
constexpr ExtraSet kCzechItems{{
    {"MenuChooseDevice", u"Vybrat zařízení…",
     u"Vybrat zařízení|Přiřadit číslu COM připojené sériové zařízení"},
}};

constexpr DeviceChooserTexts kEnglishChooser{
    u"Choose device",
    {u"COM", u"Device", u"Description", u"Manufacturer", u"USB ID", u"Serial number", u"Stable name"},
    u"Map to:",
    u"OK",
    u"Cancel",
    u"No serial device found",
};
constexpr DeviceChooserTexts kGermanChooser{
    u"Gerät wählen",
    {u"COM", u"Gerät", u"Beschreibung", u"Hersteller", u"USB-ID", u"Seriennummer", u"Fester Name"},
    u"Zuordnen zu:",
    u"OK",
    u"Abbrechen",
    u"Kein serielles Gerät gefunden",
};
constexpr DeviceChooserTexts kCzechChooser{
    u"Vybrat zařízení",
    {u"COM", u"Zařízení", u"Popis", u"Výrobce", u"USB ID", u"Sériové číslo",
     u"Stálý název"},
    u"Přiřadit k:",
    u"OK",
    u"Zrušit",
    u"Nenalezeno žádné sériové zařízení",
};

} // namespace

std::span<const ExtraCaption> extraCaptions(std::uint8_t languageIndex)
{
    switch (languageIndex) {
    case language::kGerman:
        return kGermanItems;
    case language::kCzech:
        return kCzechItems;
    default:
        return kEnglishItems;
    }
}

const DeviceChooserTexts &deviceChooserTexts(std::uint8_t languageIndex)
{
    switch (languageIndex) {
    case language::kGerman:
        return kGermanChooser;
    case language::kCzech:
        return kCzechChooser;
    default:
        return kEnglishChooser;
    }
}

QString extraText(const char16_t *text)
{
    return text ? QString::fromUtf16(text) : QString();
}
