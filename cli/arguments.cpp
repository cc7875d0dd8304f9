#include "cli/arguments.h"

namespace cliargs {

namespace {
// The live log counts the duration in milliseconds of a qint64.
constexpr double kLongestDurationS = 9.2e15;
} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.outcome = CommandLine::Outcome::Help;
            return line;
        }
        if (arg == QLatin1String("--version")) {
            line.outcome = CommandLine::Outcome::Version;
            return line;
        }
        if (arg == QLatin1String("--json")) {
            line.options.json = true;
        } else if (arg == QLatin1String("--port")) {
            if (i + 1 == arguments.size()) {
                line.outcome = CommandLine::Outcome::PortMissing;
                return line;
            }
            line.options.port = arguments[++i];
        } else if (line.command.isEmpty() && !arg.startsWith(QLatin1Char('-'))) {
            line.command = arg;
        } else {
            line.options.arguments << arg;
        }
    }
    return line;
}

bool parse(const QStringList &arguments, const QStringList &allowedFlags, bool wantsFile, Parsed &p)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("-o") && i + 1 < arguments.size()) {
            p.output = arguments[++i];
        } else if (a == QLatin1String("--duration")) {
            // Never a flag of its own: without a number it is a usage error.
            if (i + 1 == arguments.size())
                return false;
            bool ok = false;
            p.duration = arguments[++i].toDouble(&ok);
            // Not a number and infinity are no durations.
            if (!ok || !(p.duration >= 0 && p.duration <= kLongestDurationS) || !allowedFlags.contains(a))
                return false;
        } else if (allowedFlags.contains(a)) {
            p.flags << a;
        } else if (wantsFile && p.file.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            p.file = a;
        } else {
            return false;
        }
    }
    return !wantsFile || !p.file.isEmpty();
}

} // namespace cliargs
