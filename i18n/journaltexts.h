#pragma once

#include "i18n/language.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

// The journal's window (Tools -> Journal…) in one language.
inline constexpr std::size_t kJournalColumns = 6;

struct JournalTexts
{
    const char16_t *title;
    const char16_t *filter; // the filter field's placeholder
    std::array<const char16_t *, kJournalColumns> columns; // time, operation, result, firmware, counter, differing
    const char16_t *open;
    const char16_t *compare;
    const char16_t *showFolder;
    // The journal's own words for an operation and its result, as the list shows them.
    const char16_t *read;
    const char16_t *program;
    const char16_t *verify;
    const char16_t *ok;
    const char16_t *noReply;
    const char16_t *garbled;
    const char16_t *differs;
    const char16_t *version;
};

// The journal window's texts in a language; English for French and an index
// that is no language.
const JournalTexts &journalTexts(Language language);

// An operation or result word of journal.csv ("read", "no reply", ...) in the
// texts' language; a word it does not know is shown as it is.
QString journalWord(const JournalTexts &texts, const QString &word);
