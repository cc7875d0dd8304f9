#include "cli/arguments.h"

namespace cliargs {

namespace {
// The longest live log, in seconds: a year.
constexpr double kMaxDurationS = 366.0 * 24 * 3600;
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
        const bool takesValue = a == QLatin1String("-o") || a == QLatin1String("--duration");
        if (takesValue && i + 1 >= arguments.size())
            return false;
        if (a == QLatin1String("-o")) {
            p.output = arguments[++i];
        } else if (a == QLatin1String("--duration")) {
            bool ok = false;
            p.duration = arguments[++i].toDouble(&ok);
            // Finite and within a year: inf, nan and 1e300 are no time to log for.
            if (!ok || !(p.duration >= 0 && p.duration <= kMaxDurationS) || !allowedFlags.contains(a))
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
