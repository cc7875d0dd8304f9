// torvo-tci-cli: read, verify and program a unit and log its live data from a
// shell, through the same session, files and settings as the window. The
// commands are in cli_lib; this runs them over the serial port and the
// process's standard output.
#include "cli/clisession.h"
#include "cli/commands.h"
#include "cli/output.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvo-tci-cli"));
    CliSession session;
    StdOutput out;
    return runCommandLine(QCoreApplication::arguments().mid(1), session, out);
}
