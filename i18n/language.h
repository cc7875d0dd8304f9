#pragma once

#include "i18n/messagetable.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
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

// One language of the tool, by its index. Every text and name that differs by
// language and is not a caption set or a message table entry is asked of it,
// so that no other library switches on a language index.
class Language
{
public:
    constexpr Language() = default;
    constexpr explicit Language(std::uint8_t index) : current(index) {}
    constexpr std::uint8_t index() const { return current; }

    // The window's command-line word that picks a language (ENGLISH, CESKY,
    // DEUTSCH, as written); nothing for any other word.
    static std::optional<Language> fromCommandWord(QStringView word);
    // Whether the Language menu offers it: English, German and Czech. Only
    // these apply a caption set; French and any other index keep the design texts.
    bool inMenu() const;
    // The About window's title; nothing for an index that is no language.
    std::optional<QString> aboutCaption() const;
    // The manual's file name (manual_en.html, ...); empty where there is none,
    // as for French.
    QString manualFileName() const;
    // The lead of the printed page's date line; German prints the English one.
    // Nothing where no date line is printed: French, or an index that is no language.
    std::optional<QString> printDateLead() const;
    // What Open says of a .ign file without the version header: the message
    // table's MsgIgnFileVersionMismatch. Nothing in French, which says nothing.
    std::optional<QString> ignFileVersionMessage() const;

    friend constexpr bool operator==(Language, Language) = default;

protected:
    std::uint8_t current = language::kEnglish;
};

// Of a text kept in English, German and Czech, the one in this language.
// French and an index that is no language take the English one: their
// windows show the design texts, which are the English ones.
template <class T>
constexpr const T &inLanguage(Language lang, const T &english, const T &german, const T &czech)
{
    switch (lang.index()) {
    case language::kGerman:
        return german;
    case language::kCzech:
        return czech;
    default:
        return english;
    }
}

// The language of the user interface and the run-time texts that go with it:
// one value per session, handed to whoever shows text. The index and the table
// can differ: a stored index 2 selects French for the texts chosen by index,
// while the message table stays empty until the user picks a language.
class UiLanguage : public Language
{
public:
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
    MessageTable table;
};

// A table text kept as UTF-16 in the program, as a QString.
inline QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
