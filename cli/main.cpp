// torvo-tci-cli: read, verify and program a unit and log its live data from a
// shell, through the same session, files and settings as the window.
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/exitcodes.h"

#include <QCoreApplication>

#include <cstdio>
#include <map>

namespace {

const char kUsage[] =
    "Usage: torvo-tci-cli [--port COMn|DEVICE] [--json] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  ports                     list the serial devices, their stable names and COM numbers\n"
    "  info                      the unit's identity, programming counter and live values\n"
    "  read [-o FILE.ign]        read the unit's set (and verify it); save it or print it\n"
    "  verify FILE.ign           exit 0 when the unit holds that set, else name what differs\n"
    "  program FILE.ign [--no-wait] [--loop]\n"
    "                            program the set, verify it, wait until the unit has stored it;\n"
    "                            --no-wait returns after the verify; --loop programs every unit\n"
    "                            that is plugged in, one after another, until Ctrl+C\n"
    "  live [--csv|--json] [--duration S] [-o FILE]\n"
    "                            one row per live-data frame (JSON: one object per line);\n"
    "                            -o writes the rows to FILE as they come\n"
    "\n"
    "Options:\n"
    "  --port COMn|DEVICE        the port; default: the window's port and [PORTS] mapping\n"
    "  --json                    machine-readable output\n"
    "  --help, --version\n"
    "\n"
    "Exit codes: 0 success, 1 usage, 2 port cannot be opened, 3 the unit's set differs,\n"
    "            4 no usable answer from the unit (none, garbled, or storing cut off),\n"
    "            5 protocol version mismatch, 6 file cannot be read or written\n";

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvo-tci-cli"));
    const cliargs::CommandLine line = cliargs::parseCommandLine(QCoreApplication::arguments().mid(1));
    switch (line.outcome) {
    case cliargs::CommandLine::Outcome::Help:
        std::fputs(kUsage, stdout);
        return kExitOk;
    case cliargs::CommandLine::Outcome::Version:
        std::printf("torvo-tci-cli %s\n", TORVO_VERSION);
        return kExitOk;
    case cliargs::CommandLine::Outcome::PortMissing:
        std::fputs("torvo-tci-cli: --port needs COMn or a device\n", stderr);
        return kExitUsage;
    case cliargs::CommandLine::Outcome::Run:
        break;
    }
    const CliOptions &options = line.options;
    const QString &command = line.command;

    const std::map<QString, int (*)(const CliOptions &)> commands{
        {QStringLiteral("ports"), commandPorts},   {QStringLiteral("info"), commandInfo},
        {QStringLiteral("read"), commandRead},     {QStringLiteral("verify"), commandVerify},
        {QStringLiteral("program"), commandProgram}, {QStringLiteral("live"), commandLive},
    };
    const auto found = commands.find(command);
    if (found == commands.end()) {
        if (command.isEmpty())
            std::fputs(kUsage, stderr);
        else
            std::fprintf(stderr, "torvo-tci-cli: no command \"%s\"; see torvo-tci-cli --help\n", qPrintable(command));
        return kExitUsage;
    }
    return found->second(options);
}
