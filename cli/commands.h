#pragma once

#include "cli/arguments.h"

#include <QStringList>

class CliOutput;
class CliSession;

// torvo-tci-cli as a library: a command line run on a session (its port
// opened only by the commands that talk to the unit) with results and
// messages going to an output. Returns the exit code (cli/exitcodes.h). The
// program's main() is this over the serial port and the process's standard
// output; tests run it in process over a scripted unit.
int runCommandLine(const QStringList &arguments, CliSession &session, CliOutput &out);

// One command as parsed.
int runCommand(const CliOptions &options, CliSession &session, CliOutput &out);
