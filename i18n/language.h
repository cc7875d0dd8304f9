#pragma once

#include "i18n/messagetable.h"

#include <QString>

#include <cstdint>
#include <string_view>

// Language indices: 0 English, 1 German, 2 French (no menu offers it; it only
// selects the French column of the message table and the French About title),
// 3 Czech.
namespace language {

inline constexpr std::uint8_t kEnglish = 0;
inline constexpr std::uint8_t kGerman = 1;
inline constexpr std::uint8_t kFrench = 2;
inline constexpr std::uint8_t kCzech = 3;
// Indices above this are not languages; start-up and close bring them back to English.
inline constexpr std::uint8_t kLastIndex = kCzech;

} // namespace language

// The language of the user interface and the run-time texts that go with it:
// one value per session, handed to whoever shows text. The index and the table
// can differ: a stored index 2 selects French for the texts chosen by index,
// while the message table stays empty until the user picks a language.
class UiLanguage
{
public:
    std::uint8_t index() const { return current; }
    // The index alone (from the settings or the command line); the table stays.
    void setIndex(std::uint8_t value) { current = value; }
    // A language chosen for the interface: the index and a refilled table.
    void select(std::uint8_t value)
    {
        current = value;
        table.fill(value);
    }
    const QString &text(Msg entry) const { return table.text(entry); }
    const MessageTable &messages() const { return table; }

private:
    std::uint8_t current = language::kEnglish;
    MessageTable table;
};

// A table text kept as UTF-16 in the program, as a QString.
inline QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
