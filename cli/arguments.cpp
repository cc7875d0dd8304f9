#include "cli/arguments.h"

#include <QCommandLineParser>

namespace {

const char kUsage[] =
    "Usage: torvo-tci-cli [--port COMn|DEVICE] [--json] [--no-journal] COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  ports                     list the serial devices, their stable names and COM numbers\n"
    "  info                      the unit's identity, programming counter and live values\n"
    "  read [-o FILE.ign]        read the unit's set (and verify it); save it or print it\n"
    "  verify FILE.ign [--lenient]\n"
    "                            exit 0 when the unit holds that set, else name what differs\n"
    "  program FILE.ign [--no-wait] [--loop] [--lenient]\n"
    "                            program the set, verify it, wait until the unit has stored it;\n"
    "                            --no-wait returns after the verify; --loop programs every unit\n"
    "                            that is plugged in, one after another, until Ctrl+C, names\n"
    "                            each by its number, and exits 0 only if every one succeeded\n"
    "  live [--csv|--json] [--duration S] [-o FILE]\n"
    "                            one row per live-data frame (JSON: one object per line);\n"
    "                            -o adds the rows to FILE as they come\n"
    "  journal [--limit N]       the journal's entries, newest first: time, operation, result,\n"
    "                            counter, fields differing from the entry before, file, firmware\n"
    "\n"
    "Options:\n"
    "  --port COMn|DEVICE        the port; default: the window's port and [PORTS] mapping\n"
    "  --json                    machine-readable output; an error is also an object\n"
    "                            {\"error\": TEXT, \"exit_code\": N} on standard output\n"
    "  --no-journal              keep no journal entry this time; read, verify and program\n"
    "                            otherwise keep the set and a row in the journal folder beside\n"
    "                            the window's settings, as the window does\n"
    "  --lenient                 read FILE.ign as the window's Open does; without it a file\n"
    "                            that lacks a field or holds one out of range is refused\n"
    "  --help, --version\n"
    "\n"
    "Exit codes: 0 success, 1 usage, 2 port cannot be opened, 3 the unit's set differs,\n"
    "            4 no usable answer from the unit (none, garbled, or storing cut off),\n"
    "            5 protocol version mismatch, 6 file cannot be read or written (or a\n"
    "            parameter file lacks a field or holds one out of range)\n";

// What each command takes besides the global options.
struct CommandRule
{
    const char *name;
    bool file;           // one parameter file, and it must be there
    QStringList options; // the option names it accepts
};

const CommandRule *ruleOf(const QString &command)
{
    static const CommandRule rules[] = {
        {"ports", false, {}},
        {"info", false, {}},
        {"read", false, {QStringLiteral("o")}},
        {"verify", true, {QStringLiteral("lenient")}},
        {"program", true, {QStringLiteral("no-wait"), QStringLiteral("loop"), QStringLiteral("lenient")}},
        {"live", false, {QStringLiteral("csv"), QStringLiteral("duration"), QStringLiteral("o")}},
        {"journal", false, {QStringLiteral("limit")}},
    };
    for (const CommandRule &rule : rules) {
        if (command == QLatin1String(rule.name))
            return &rule;
    }
    return nullptr;
}

// An option as it is typed: -o, --duration.
QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

CommandLine usage(CommandLine line, const QString &error)
{
    line.outcome = CommandLine::Outcome::Usage;
    line.error = error;
    return line;
}

} // namespace

QByteArray usageText()
{
    return QByteArray(kUsage);
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("COMn|DEVICE"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption output(QStringLiteral("o"), {}, QStringLiteral("FILE"));
    const QCommandLineOption csv(QStringLiteral("csv"));
    const QCommandLineOption duration(QStringLiteral("duration"), {}, QStringLiteral("S"));
    const QCommandLineOption noWait(QStringLiteral("no-wait"));
    const QCommandLineOption loop(QStringLiteral("loop"));
    const QCommandLineOption lenient(QStringLiteral("lenient"));
    const QCommandLineOption noJournal(QStringLiteral("no-journal"));
    const QCommandLineOption limit(QStringLiteral("limit"), {}, QStringLiteral("N"));
    parser.addOptions({help, version, port, json, output, csv, duration, noWait, loop, lenient, noJournal, limit});
    const bool parsed = parser.parse(QStringList{QStringLiteral("torvo-tci-cli")} + arguments);

    CommandLine line;
    CliOptions &o = line.options;
    // Known even when something else is wrong: a usage error under --json is
    // an object too.
    o.json = parser.isSet(json);
    if (parser.isSet(help)) {
        line.outcome = CommandLine::Outcome::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.outcome = CommandLine::Outcome::Version;
        return line;
    }
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usage(line, QStringLiteral("unknown option %1").arg(dashed(unknown.first())));
        // The one other fault: an option that takes a value came last.
        const QString last = arguments.isEmpty() ? QString() : arguments.last();
        if (last == QLatin1String("--port"))
            return usage(line, QStringLiteral("--port needs COMn or a device"));
        if (last == QLatin1String("-o"))
            return usage(line, QStringLiteral("-o needs a file"));
        if (last == QLatin1String("--duration"))
            return usage(line, QStringLiteral("--duration needs a number of seconds"));
        if (last == QLatin1String("--limit"))
            return usage(line, QStringLiteral("--limit needs a number of entries"));
        QString text = parser.errorText();
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        return usage(line, text.isEmpty() ? text : text.front().toLower() + text.mid(1));
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage(line, QStringLiteral("no command given"));
    o.command = positional.first();
    const CommandRule *rule = ruleOf(o.command);
    if (!rule)
        return usage(line, QStringLiteral("no command \"%1\"").arg(o.command));
    for (const QString &name : parser.optionNames()) {
        const bool global = name == QLatin1String("port") || name == QLatin1String("json")
                            || name == QLatin1String("no-journal");
        if (!global && !rule->options.contains(name))
            return usage(line, QStringLiteral("%1 takes no option %2").arg(o.command, dashed(name)));
    }
    if (rule->file && (positional.size() < 2 || positional.at(1).isEmpty()))
        return usage(line, QStringLiteral("%1 needs a parameter file").arg(o.command));
    if (positional.size() > (rule->file ? 2 : 1))
        return usage(line, QStringLiteral("%1 takes %2, not also \"%3\"")
                               .arg(o.command, rule->file ? QStringLiteral("one file") : QStringLiteral("no file"),
                                    positional.at(rule->file ? 2 : 1)));

    o.port = parser.value(port);
    o.file = rule->file ? positional.at(1) : QString();
    o.output = parser.value(output);
    o.csv = parser.isSet(csv);
    o.noWait = parser.isSet(noWait);
    o.loop = parser.isSet(loop);
    o.lenient = parser.isSet(lenient);
    o.noJournal = parser.isSet(noJournal);
    if (parser.isSet(limit)) {
        bool ok = false;
        const QString text = parser.value(limit);
        o.limit = text.toInt(&ok);
        if (!ok || o.limit < 0)
            return usage(line, QStringLiteral("--limit takes a number of entries, not \"%1\"").arg(text));
    }
    if (parser.isSet(port) && o.port.isEmpty())
        return usage(line, QStringLiteral("--port needs COMn or a device"));
    if (parser.isSet(output) && o.output.isEmpty())
        return usage(line, QStringLiteral("-o needs a file"));
    if (parser.isSet(duration)) {
        bool ok = false;
        const QString text = parser.value(duration);
        o.durationS = text.toDouble(&ok);
        // Finite and within a year: inf, nan and 1e300 are no time to log for.
        if (!ok || !(o.durationS >= 0 && o.durationS <= kMaxDurationS))
            return usage(line, QStringLiteral("--duration takes a number of seconds from 0 to a year, not \"%1\"")
                                   .arg(text));
    }
    if (o.csv && o.json && o.command == QLatin1String("live"))
        return usage(line, QStringLiteral("--csv and --json cannot go together"));
    line.outcome = CommandLine::Outcome::Run;
    return line;
}
