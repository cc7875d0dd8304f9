#include "i18n/operationcaptions.h"

#include "i18n/language.h"

#include <array>
#include <string_view>

namespace {

struct CaptionRow
{
    Operation operation;
    std::u16string_view english, german, czech;
};

constexpr std::array<CaptionRow, 3> kRows{{
    {Operation::Program, u"Program device:", u"Programmieren:", u"Programování:"},
    {Operation::Verify, u"Verify device:", u"Vergleichen:", u"Verifikace:"},
    {Operation::Read, u"Read device:", u"Lesen:", u"Čtení:"},
}};

} // namespace

std::optional<QString> operationCaption(Operation operation, std::uint8_t languageIndex)
{
    for (const CaptionRow &row : kRows) {
        if (row.operation != operation)
            continue;
        switch (languageIndex) {
        case language::kEnglish:
            return toQString(row.english);
        case language::kGerman:
            return toQString(row.german);
        case language::kCzech:
            return toQString(row.czech);
        }
        // French and indices without a language: the caption stays as it was.
        return std::nullopt;
    }
    return std::nullopt;
}
