#pragma once

#include <QStringList>

// The sub-commands. Each returns an exit code (cli/exitcodes.h).
struct CliOptions
{
    QString port;      // --port COMn or a device path; empty: as the window's settings say
    bool json = false; // machine-readable output
    QStringList arguments; // what follows the sub-command
};

int commandPorts(const CliOptions &options);
int commandInfo(const CliOptions &options);
int commandRead(const CliOptions &options);
int commandVerify(const CliOptions &options);
int commandProgram(const CliOptions &options);
int commandLive(const CliOptions &options);
