#pragma once

#include "link/transferengine.h"
#include "link/unitidentity.h"
#include "params/parameterimage.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// One entry of the journal: a row of journal.csv and, when the operation had
// a set, the .ign file in the journal's folder that holds it.
struct JournalEntry
{
    QDateTime time;     // local time
    QString operation;  // "read", "program" or "verify"
    QString result;     // "ok", or a short word: "no reply", "garbled", "differs", "version"
    QString firmware;   // the unit's name, number and build date as the window shows them
    QString counter;    // the programming counter of the last live data; empty if unknown
    QString fileName;   // the entry's .ign in the journal's folder; empty when it has no set
    int differing = -1; // fields differing from the previous entry with a set; -1 if none

    friend bool operator==(const JournalEntry &, const JournalEntry &) = default;
};

// The journal of a workshop's reads, programs and verifies: a folder holding
// journal.csv (a header row, then one row per entry, oldest first) and the
// sets as .ign files, written exactly as Save writes them, named by time so
// that they sort by it ("2026-12-09T07-31-05_read.ign").
//
// Each row is one line (control characters in the texts become spaces).
// An entry is written whole or not at all: the set's file first (through a
// temporary file renamed into place), then its row, appended in one write.
// The row is what makes an entry; a file without a row is none. A set equal
// to the previous entry's gets a row naming the previous file and no file of
// its own. A journal that cannot be written says why and changes nothing else.
class Journal
{
public:
    static constexpr char kIndexName[] = "journal.csv";

    explicit Journal(QString folder);

    // <settings folder>/journal, where the window and the command line keep it.
    static QString defaultFolder();

    QString folder() const { return folder_; }
    QString indexPath() const;

    // Every entry of journal.csv, oldest first. A garbled row, or a last row
    // cut off before its line end, is skipped; a missing journal has none.
    std::vector<JournalEntry> entries() const;
    // The entry's .ign file; empty when the entry has none.
    QString filePath(const JournalEntry &entry) const;

    // Keeps an entry: its time, operation, result, firmware and counter as
    // given, and the set when there is one (bounded and normalised as Save
    // writes it). The file name and the differing count are worked out here.
    // Returns the entry as kept, or nothing with the reason.
    std::optional<JournalEntry> keep(JournalEntry entry, const ParameterImage *set, QString *reason = nullptr);

    // ---- For tests: where a write can be cut short.
    enum class Step {
        Folder,  // before the folder is made
        File,    // before the set's file is saved
        Row,     // the file is in place, the row not yet written
        HalfRow, // half of the row's bytes are written
    };
    enum class Cut {
        None, // go on
        Fail, // the step fails: the journal tidies up and returns the reason
        Kill, // the process dies here: everything is left as it is
    };
    using StepHook = std::function<Cut(Step)>;
    void setStepHook(StepHook hook) { stepHook = std::move(hook); }

private:
    Cut cut(Step step) const;
    // The newest entry that names a file, read from the end of journal.csv.
    std::optional<JournalEntry> lastEntryWithFile() const;

    QString folder_;
    StepHook stepHook;
};

// What the firmware column holds: the identity's name, build date and time as
// the window's labels show them, joined by spaces.
QString journalFirmware(const IdentityTexts &texts);

// The result column's word for how an operation ended: "ok", or why it
// failed as far as the unit's replies tell ("no reply", "garbled",
// "differs", "version").
QString journalResult(bool succeeded, TransferFailure why);

// A time as the journal writes it: local, ISO 8601, with the offset from UTC
// (2026-12-09T07:31:05+01:00), so a row stays exact across summer time.
QString journalTimeText(const QDateTime &time);
