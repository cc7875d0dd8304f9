#include "i18n/journaltexts.h"

#include "i18n/language.h"

#include <utility>

namespace {

// "Journal" and "Deník" as the status bar's journal messages name it.
constexpr JournalTexts kEnglish{
    u"Journal",
    u"Filter: firmware, date, operation",
    {u"Time", u"Operation", u"Result", u"Firmware", u"Counter", u"Differing"},
    u"&Open",
    u"&Compare",
    u"Show &folder",
    u"read",
    u"program",
    u"verify",
    u"OK",
    u"no reply",
    u"garbled reply",
    u"differs",
    u"other version",
};
constexpr JournalTexts kGerman{
    u"Journal",
    u"Filter: Firmware, Datum, Vorgang",
    {u"Zeit", u"Vorgang", u"Ergebnis", u"Firmware", u"Zähler", u"Abweichend"},
    u"Ö&ffnen",
    u"&Vergleichen",
    u"&Ordner zeigen",
    u"Lesen",
    u"Programmieren",
    u"Vergleichen",
    u"OK",
    u"keine Antwort",
    u"gestörte Antwort",
    u"abweichend",
    u"andere Version",
};
constexpr JournalTexts kCzech{
    u"Deník",
    u"Filtr: firmware, datum, operace",
    {u"Čas", u"Operace", u"Výsledek", u"Firmware", u"Počítadlo", u"Rozdílů"},
    u"&Otevřít",
    u"&Porovnat",
    u"Zobrazit &složku",
    u"čtení",
    u"programování",
    u"verifikace",
    u"OK",
    u"bez odpovědi",
    u"porušená odpověď",
    u"liší se",
    u"jiná verze",
};

} // namespace

const JournalTexts &journalTexts(Language language)
{
    return inLanguage(language, kEnglish, kGerman, kCzech);
}

QString journalWord(const JournalTexts &texts, const QString &word)
{
    const std::pair<const char *, const char16_t *> words[] = {
        {"read", texts.read},       {"program", texts.program}, {"verify", texts.verify},
        {"ok", texts.ok},           {"no reply", texts.noReply}, {"garbled", texts.garbled},
        {"differs", texts.differs}, {"version", texts.version},
    };
    for (const auto &[stored, shown] : words) {
        if (word == QLatin1String(stored))
            return QString::fromUtf16(shown);
    }
    return word;
}
