#include "i18n/language.h"

#include <array>

namespace {

// One row per language index: what the tool names or writes by language
// outside the caption sets and the message table. Null where a language has
// none.
struct LanguageRow
{
    const char *commandWord;      // the window's command-line word
    const char *manualFile;       // the manual under the manual folders
    std::u16string_view about;    // the About window's title
    std::u16string_view dateLead; // the printed page's date line, before the date
};

constexpr std::u16string_view kEnglishDateLead = u"Date and Time of printing:  ";

constexpr std::array<LanguageRow, language::kLastIndex + 1> kRows{{
    {"ENGLISH", "manual_en.html", u"About Torvo_TCI", kEnglishDateLead},
    // German prints the English date line: the German set has none of its own.
    {"DEUTSCH", "manual_de.html", u"Über Programm Torvo_TCI", kEnglishDateLead},
    // French is no menu's language: it has only the About title of its own.
    {nullptr, nullptr, u"Information Torvo_TCI", {}},
    {"CESKY", "manual_cs.html", u"O programu Torvo TCI", u"Datum a čas tisku:  "},
}};

const LanguageRow *rowOf(std::uint8_t index)
{
    return index < kRows.size() ? &kRows[index] : nullptr;
}

} // namespace

std::optional<Language> Language::fromCommandWord(QStringView word)
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (kRows[i].commandWord != nullptr && word == QLatin1String(kRows[i].commandWord))
            return Language(static_cast<std::uint8_t>(i));
    }
    return std::nullopt;
}

bool Language::inMenu() const
{
    const LanguageRow *row = rowOf(current);
    return row != nullptr && row->commandWord != nullptr;
}

std::optional<QString> Language::aboutCaption() const
{
    const LanguageRow *row = rowOf(current);
    if (row == nullptr)
        return std::nullopt;
    return toQString(row->about);
}

QString Language::manualFileName() const
{
    const LanguageRow *row = rowOf(current);
    return row != nullptr && row->manualFile != nullptr ? QString::fromLatin1(row->manualFile) : QString();
}

std::optional<QString> Language::printDateLead() const
{
    const LanguageRow *row = rowOf(current);
    if (row == nullptr || row->dateLead.empty())
        return std::nullopt;
    return toQString(row->dateLead);
}

std::optional<QString> Language::ignFileVersionMessage() const
{
    if (current == language::kFrench || current > language::kLastIndex)
        return std::nullopt;
    MessageTable table;
    table.fill(current);
    return table.text(Msg::MsgIgnFileVersionMismatch);
}
