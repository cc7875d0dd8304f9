#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

// The run-time texts, in the order the table keeps them. Count is not an
// entry; it sizes the table.
enum class Msg {
    MsgHelpFile,
    MsgProgramError,
    MsgVerifyError,
    MsgReadError,
    MsgProgramming,
    MsgVerify,
    MsgRead,
    MsgSaving,
    MsgVersionMismatch,
    MsgIgnFileVersionMismatch,
    MsgPrintDateTime,
    MsgComOpenError,
    MsgOpenFileError,
    MsgAskDefaults,
    MsgHelpFileOpenError,
    MsgAdvance,
    MsgStartSoftLimiter,
    MsgStartLimiter,
    MsgSoftLimiter,
    MsgLimiter,
    MsgGearShiftLight,
    MsgClutchMaster,
    MsgRetard,
    MsgMotorOff,
    MsgSecondAdvanceChart,
    MsgProgrammingCount,
    MsgYes,
    MsgNo,
    MsgPickup,
    MsgIsRunning,
    MsgNoSignal,
    MsgAcceleration,
    Count
};

// The message texts of the current language. Code that shows a message reads
// the entry by name and never looks at the language itself; the owner refills
// the table whenever the language changes. Every entry is empty until the
// first fill.
class MessageTable
{
public:
    static constexpr std::size_t kEntries = static_cast<std::size_t>(Msg::Count);
    // Columns of the table: 0 English, 1 German, 2 French, 3 Czech.
    static constexpr std::uint8_t kLanguages = 4;

    // Puts the texts of the given language into every entry. An index without
    // a column leaves every entry as it was.
    void fill(std::uint8_t languageIndex);

    // The current text of the entry; empty for Msg::Count or any value that
    // names no entry.
    const QString &text(Msg entry) const;

    // The entry's name as written in code, e.g. "MsgProgramError".
    static QString name(Msg entry);

    // MsgHelpFileOpenError as it would read for another file: the current
    // language's lead-in, the file, " !". The entry itself is this with the
    // text of MsgHelpFile. Empty until the first fill.
    QString helpFileOpenError(const QString &file) const;

private:
    std::array<QString, kEntries> texts;
    QString helpFileOpenErrorLeadIn;
};
