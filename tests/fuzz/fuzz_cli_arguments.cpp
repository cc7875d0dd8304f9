// torvo-tci-cli's command line, taken apart as the program takes it: the
// input is the arguments, separated by NUL bytes. Whatever they are, the line
// is run only as one of the six commands with what that command takes, every
// value comes from an argument that was given, a duration is one the live
// log can count to, a refusal says what is wrong, and a line that runs reads
// the same when written out again in its plain form.
#include "cli/arguments.h"
#include "fuzzcheck.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

QByteArray shown(const QStringList &arguments)
{
    QByteArray text;
    for (const QString &a : arguments)
        text += "[" + a.toUtf8() + "] ";
    return text;
}

bool sameOptions(const CliOptions &a, const CliOptions &b)
{
    return a.command == b.command && a.port == b.port && a.json == b.json && a.file == b.file
           && a.output == b.output && a.csv == b.csv && a.durationS == b.durationS && a.noWait == b.noWait
           && a.loop == b.loop && a.lenient == b.lenient;
}

// Whether some argument carries the value: as itself or at the end of an
// option written together with it ("--port=X", "-oX").
bool given(const QStringList &arguments, const QString &value)
{
    for (const QString &a : arguments) {
        if (a.endsWith(value))
            return true;
    }
    return false;
}

void checkRun(const QStringList &arguments, const CliOptions &o)
{
    const QByteArray detail = shown(arguments);
    const auto is = [&](const char *command) { return o.command == QLatin1String(command); };
    fuzzRequire(is("ports") || is("info") || is("read") || is("verify") || is("program") || is("live"),
                "a command that does not exist", detail);
    fuzzRequire(arguments.contains(o.command), "a command nobody gave", detail);
    fuzzRequire((is("verify") || is("program")) == !o.file.isEmpty(), "a file where none is wanted, or none where one is",
                detail);
    fuzzRequire(o.file.isEmpty() || arguments.contains(o.file), "a file nobody named", detail);
    fuzzRequire(o.port.isEmpty() || given(arguments, o.port), "a port nobody named", detail);
    fuzzRequire(o.output.isEmpty() || ((is("read") || is("live")) && given(arguments, o.output)),
                "an output nobody named, or one the command does not write", detail);
    fuzzRequire(!o.csv || is("live"), "--csv outside live", detail);
    fuzzRequire(!(o.csv && o.json && is("live")), "a live log in CSV and JSON at once", detail);
    fuzzRequire(!(o.noWait || o.loop) || is("program"), "a program option outside program", detail);
    fuzzRequire(!o.lenient || is("verify") || is("program"), "--lenient where no file is read", detail);
    if (o.durationS != -1) {
        // The live log counts the duration in milliseconds of a qint64.
        fuzzRequire(is("live"), "a duration outside live", detail);
        fuzzRequire(std::isfinite(o.durationS) && o.durationS >= 0 && o.durationS <= kMaxDurationS
                        && o.durationS * 1000 < static_cast<double>(std::numeric_limits<qint64>::max()),
                    "a duration the live log cannot count to", detail + " gives " + QByteArray::number(o.durationS));
    }

    // The plain form: values joined to their options, flags, the command,
    // and the file after "--" so that it may start with "-".
    QStringList plain;
    if (o.json)
        plain << QStringLiteral("--json");
    if (!o.port.isEmpty())
        plain << QStringLiteral("--port=") + o.port;
    if (!o.output.isEmpty())
        plain << QStringLiteral("-o") << o.output;
    if (o.csv)
        plain << QStringLiteral("--csv");
    if (o.noWait)
        plain << QStringLiteral("--no-wait");
    if (o.loop)
        plain << QStringLiteral("--loop");
    if (o.lenient)
        plain << QStringLiteral("--lenient");
    if (o.durationS != -1)
        plain << QStringLiteral("--duration=") + QString::number(o.durationS, 'g', 17);
    plain << QStringLiteral("--") << o.command;
    if (!o.file.isEmpty())
        plain << o.file;
    const CommandLine again = parseCommandLine(plain);
    fuzzRequire(again.outcome == CommandLine::Outcome::Run && sameOptions(again.options, o),
                "the plain form reads otherwise", detail + "\nplain: " + shown(plain) + " " + again.error.toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QStringList arguments;
    if (!input.isEmpty()) {
        for (const QByteArray &part : input.split('\0'))
            arguments << QString::fromUtf8(part);
    }
    const CommandLine line = parseCommandLine(arguments);
    const QByteArray detail = shown(arguments);
    const auto anyArgument = [&](auto test) {
        for (const QString &a : arguments) {
            if (test(a))
                return true;
        }
        return false;
    };
    switch (line.outcome) {
    case CommandLine::Outcome::Help:
        // --help, -h or --h, or h among other short options (-vh).
        fuzzRequire(anyArgument([](const QString &a) {
                        return a.startsWith(QLatin1Char('-')) && a.contains(QLatin1Char('h'));
                    }),
                    "help without --help or -h", detail);
        return 0;
    case CommandLine::Outcome::Version:
        fuzzRequire(anyArgument([](const QString &a) { return a.startsWith(QLatin1String("--version")); }),
                    "version without --version", detail);
        return 0;
    case CommandLine::Outcome::Usage:
        fuzzRequire(!line.error.isEmpty(), "a refusal that does not say what is wrong", detail);
        return 0;
    case CommandLine::Outcome::Run:
        checkRun(arguments, line.options);
        return 0;
    }
    return 0;
}
