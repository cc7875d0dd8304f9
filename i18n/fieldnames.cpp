#include "i18n/fieldnames.h"

#include "i18n/language.h"

namespace {

// The window's own captions name these fields too ("Begrenzer", "Otáčkoměr
// 2x", ...); the table uses the same words. The TOP teeth keep their design
// name in every language, as their labels do.
constexpr FieldNameTexts kEnglish{u"RPM point %1", u"Advance point %1", u"TOP 1,4", u"TOP 2,3",
                                  u"Base advance",  u"Limiter",          u"Tachometer 2x",
                                  u"Blocking enable", u"%1 rpm",         u"%1 deg"};
constexpr FieldNameTexts kGerman{u"Drehzahl Punkt %1", u"Vorzündung Punkt %1", u"TOP 1,4", u"TOP 2,3",
                                 u"Grundvorzündung",   u"Begrenzer",           u"Drehzahl verdoppeln",
                                 u"Blockierung zugelassen", u"%1 U/min",       u"%1°"};
constexpr FieldNameTexts kCzech{u"Otáčky bod %1",   u"Předstih bod %1", u"TOP 1,4", u"TOP 2,3",
                                u"Základní předstih", u"Omezovač",      u"Otáčkoměr 2x",
                                u"Blokování povoleno", u"%1 ot/min",    u"%1°"};

} // namespace

const FieldNameTexts &fieldNameTexts(Language language)
{
    return inLanguage(language, kEnglish, kGerman, kCzech);
}
