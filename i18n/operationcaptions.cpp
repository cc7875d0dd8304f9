#include "i18n/operationcaptions.h"

#include "i18n/language.h"

#include <array>
#include <string_view>

namespace {

struct CaptionRow
{
    OperationCaption operation;
    std::u16string_view english, german, czech;
};

constexpr std::array<CaptionRow, 3> kRows{{
    {OperationCaption::Program, u"Program device:", u"Programmieren:", u"Programování:"},
    {OperationCaption::Verify, u"Verify device:", u"Vergleichen:", u"Verifikace:"},
    {OperationCaption::Read, u"Read device:", u"Lesen:", u"Čtení:"},
}};

} // namespace

std::optional<QString> operationCaption(OperationCaption operation, Language language)
{
    for (const CaptionRow &row : kRows) {
        if (row.operation != operation)
            continue;
        switch (language.index()) {
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
