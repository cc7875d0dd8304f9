#pragma once

#include "cli/commands.h"

#include <QString>
#include <QStringList>

// Taking the command line apart, kept apart from what the commands do so that
// it can be exercised on its own.
namespace cliargs {

// The global options, the command and what follows it. --help, -h, --version,
// --json and --port are global wherever they stand (a --port takes the next
// argument whatever it is; the last one counts); the first argument left that
// does not start with "-" is the command; everything else, in order, is the
// command's.
struct CommandLine
{
    enum class Outcome {
        Run,
        Help,        // --help or -h came first
        Version,     // --version came first
        PortMissing, // --port was the last argument
    };
    Outcome outcome = Outcome::Run;
    CliOptions options;
    QString command;
};

CommandLine parseCommandLine(const QStringList &arguments);

// A command's own arguments: "-o FILE", the given flags, "--duration S" when
// it is among them (a number of seconds from 0 to a year), and one file when
// wanted. False on anything else: an option without its value, or a wanted
// file missing.
struct Parsed
{
    QString output;
    QString file;
    QStringList flags;
    double duration = -1;
};

bool parse(const QStringList &arguments, const QStringList &allowedFlags, bool wantsFile, Parsed &p);

} // namespace cliargs
