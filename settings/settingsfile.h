#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>

// What the tool keeps in Torvo_TCI.ini between runs: the window's bounds, the
// port and language, the file label, the last parameter file and the "All"
// box, and Tools -> Read before programming. Section FORM_HLAV holds Left,
// Top, Height, Width, ComPort, Language, File and IniDir; section IGNITION
// holds CheckBoxIgnAll->Checked and MenuReadBeforeProgramming->Checked.
struct StoredSettings
{
    int left = 0;
    int top = 0;
    int height = 0;
    int width = 0;
    std::uint8_t comPort = 0;
    std::uint8_t language = 0;
    QString file;
    QString iniDir;
    bool ignAll = false;
    bool readBeforeProgramming = false;

    friend bool operator==(const StoredSettings &, const StoredSettings &) = default;
};

// Longest text value taken from the file; longer ones are cut there.
inline constexpr int kMaxSettingsText = 2047;

// Reads every key with the matching member of defaults as its default. An
// integer is decimal, or hexadecimal after "0x" or "$", with an optional sign,
// and must fit an int; anything else gives the default. ComPort and Language
// keep the low 8 bits of what is read (259 gives 3); bounding them is left to
// start-up. A key given twice counts the first time, as the private-profile
// functions read it. A missing or unreadable file or section gives the
// defaults; only the first MiB of a file is looked at. A path that names
// something there but no readable regular file (a folder, a FIFO, a device)
// gives the defaults too, and *reason, when given, then says why.
StoredSettings readSettings(const QString &iniPath, const StoredSettings &defaults, QString *reason = nullptr);

// Writes every key, integers in decimal, into the file, creating the file and
// its folder when missing. Every other section, key, comment and blank line of
// an existing file keeps its bytes and its place, and so do the keys already
// there (only their values change); see setIniValues. The old file is replaced
// only once the new one is completely written.
//
// Text values are stored up to their first line break, without white space at
// either end, since a line of the file cannot carry more.
//
// Returns false, leaving the file as it was, when it cannot be read (it would
// lose the user's sections), is no regular file, is larger than 1 MiB (not a
// settings file), holds NUL bytes or is UTF-16 or UTF-32 text (the edit would
// lose part of it), or cannot be written; *reason then says why, naming the
// file. A symbolic link to the file is written through and stays a link.
bool writeSettings(const QString &iniPath, const StoredSettings &values, QString *reason = nullptr);

// The [PORTS] section, where the technician or the device chooser maps a COM
// number to a device (COM1=/dev/ttyUSB0). Read and written here only, by the
// same rules as the other keys: names without case, and of a key given twice
// the first counts, which is also the line writePortMapping changes.
struct PortsSection
{
    static constexpr int kComCount = 10;
    // COM1..COM10's values, index n - 1: the text after "=" without white
    // space around it; empty where the key is missing.
    QStringList values = QStringList(kComCount);
    // The section holds a key, of any name: something has been mapped.
    bool anyKey = false;

    // COM n's value; empty for a number outside 1..10.
    QString value(int comNumber) const { return values.value(comNumber - 1); }
};

// Reads the [PORTS] section. A missing or unreadable file, or a path that names
// no regular file (a folder, a FIFO, a device), has an empty section, without
// a word: the mapping is an optional convenience. Only the first MiB is read,
// as for the settings: the device chooser looks up every second, and a stray
// huge file must not be loaded each time.
PortsSection readPortsSection(const QString &iniPath);

// Maps COM n (1..10) to a device in the [PORTS] section: writes that one key
// at once and keeps every other line of the file as it is. The file and its
// folder are created when missing.
bool writePortMapping(const QString &iniPath, int comNumber, const QString &device, QString *reason = nullptr);

// The place and size of one of the tool's other windows, kept in a section of
// its own (Left, Top, Width, Height); what is missing or unusable keeps the
// default's value.
QRect readWindowPlace(const QString &iniPath, const char *section, const QRect &defaults);
bool writeWindowPlace(const QString &iniPath, const char *section, const QRect &place, QString *reason = nullptr);

// The File menu's recent parameter files, newest first, kept in the [RECENT]
// section as File1..File8. The section's lines are never removed: a shorter
// list leaves the keys past its end empty, and empty keys are skipped.
inline constexpr int kMaxRecentFiles = 8;

// The list with path put on top: the same absolute path given before moves up
// rather than being listed twice, and what falls past kMaxRecentFiles is dropped.
QStringList withRecentFile(const QStringList &recent, const QString &path);

// The stored list, newest first; at most kMaxRecentFiles, without duplicates.
QStringList readRecentFiles(const QString &iniPath);
bool writeRecentFiles(const QString &iniPath, const QStringList &recent, QString *reason = nullptr);
