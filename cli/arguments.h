#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a torvo-tci-cli command line asks for.
struct CliOptions
{
    QString command;       // ports, info, read, verify, program, live or journal
    QString port;          // --port COMn or a device path; empty: as the window's settings say
    bool json = false;     // --json: machine-readable output (for live: one object per row)
    QString file;          // the parameter file of verify and program
    QString output;        // -o FILE of read and live
    bool csv = false;      // live --csv
    double durationS = -1; // live --duration S; negative: until Ctrl+C
    bool noWait = false;   // program --no-wait
    bool loop = false;     // program --loop
    bool lenient = false;  // verify, program --lenient: the file read as the window's Open reads it
    bool noJournal = false; // --no-journal: read, verify and program keep no journal entry
    int limit = -1;         // journal --limit N: the newest N entries; negative: all
};

// The command line taken apart (by QCommandLineParser), and nothing done yet.
struct CommandLine
{
    enum class Outcome {
        Run,
        Help,    // --help or -h anywhere
        Version, // --version anywhere
        Usage,   // wrong use; error says what is wrong
    };
    Outcome outcome = Outcome::Usage;
    CliOptions options;
    // For Usage: what is wrong, e.g. "unknown option --bogus"; "no command
    // given" when there is none at all.
    QString error;
};

// The arguments after the program's name. Global options (--port, --json,
// --no-journal, --help, --version) may stand anywhere; the first argument that is no
// option is the command, the next one its file. Each command takes only its
// own options; an option given twice counts with its last value; "--" ends
// the options, for a file whose name starts with "-". Prints nothing and
// ends nothing: the caller acts on the outcome.
CommandLine parseCommandLine(const QStringList &arguments);

// What --help prints.
QByteArray usageText();

// The longest live log, in seconds: a year.
inline constexpr double kMaxDurationS = 366.0 * 24 * 3600;
