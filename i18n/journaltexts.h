#pragma once

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

// The journal window's texts by the language indices of the caption sets
// (English 0, German 1, Czech 3); English for any other.
const JournalTexts &journalTexts(std::uint8_t languageIndex);

// An operation or result word of journal.csv ("read", "no reply", ...) in the
// texts' language; a word it does not know is shown as it is.
QString journalWord(const JournalTexts &texts, const QString &word);
