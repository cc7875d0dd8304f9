// torvo-tci-cli's command line, taken apart as main() and the commands take
// it: the input is the arguments, separated by NUL bytes. Whatever they are,
// every argument lands in exactly one place, the result reads the same when
// written out again in its plain form, and a command accepts only what it
// knows, with a duration the live log can count to.
#include "cli/arguments.h"
#include "fuzzcheck.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

using cliargs::CommandLine;
using cliargs::Parsed;

QByteArray shown(const QStringList &arguments)
{
    QByteArray text;
    for (const QString &a : arguments)
        text += "[" + a.toUtf8() + "] ";
    return text;
}

bool isSubsequence(const QStringList &part, const QStringList &whole)
{
    qsizetype at = 0;
    for (const QString &p : part) {
        while (at < whole.size() && whole[at] != p)
            ++at;
        if (at == whole.size())
            return false;
        ++at;
    }
    return true;
}

bool sameLine(const CommandLine &a, const CommandLine &b)
{
    return a.outcome == b.outcome && a.command == b.command && a.options.port == b.options.port
           && a.options.json == b.options.json && a.options.arguments == b.options.arguments;
}

bool sameParsed(const Parsed &a, const Parsed &b)
{
    return a.output == b.output && a.file == b.file && a.flags == b.flags && a.duration == b.duration;
}

void checkCommandLine(const QStringList &arguments)
{
    const CommandLine line = cliargs::parseCommandLine(arguments);
    const QByteArray detail = shown(arguments);
    const auto given = [&](const char *a) { return arguments.contains(QLatin1String(a)); };
    switch (line.outcome) {
    case CommandLine::Outcome::Help:
        fuzzRequire(given("--help") || given("-h"), "help without --help", detail);
        return;
    case CommandLine::Outcome::Version:
        fuzzRequire(given("--version"), "version without --version", detail);
        return;
    case CommandLine::Outcome::PortMissing:
        fuzzRequire(arguments.last() == QLatin1String("--port"), "a port missing that was not", detail);
        return;
    case CommandLine::Outcome::Run:
        break;
    }
    for (const char *global : {"--help", "-h", "--version", "--json", "--port"})
        fuzzRequire(!line.options.arguments.contains(QLatin1String(global)), "a global option went to the command",
                    detail);
    fuzzRequire(!line.command.startsWith(QLatin1Char('-')), "an option taken for the command", detail);
    fuzzRequire(line.command.isEmpty() || arguments.contains(line.command), "a command nobody gave", detail);
    fuzzRequire(isSubsequence(line.options.arguments, arguments), "the command's arguments are not the ones given",
                detail);
    fuzzRequire(!line.options.json || given("--json"), "--json nobody gave", detail);
    fuzzRequire(arguments.size() >= line.options.arguments.size() + (line.command.isEmpty() ? 0 : 1)
                                        + (line.options.port.isEmpty() ? 0 : 2) + (line.options.json ? 1 : 0),
                "an argument counted twice", detail);

    QStringList plain;
    if (line.options.json)
        plain << QStringLiteral("--json");
    if (!line.options.port.isEmpty())
        plain << QStringLiteral("--port") << line.options.port;
    if (!line.command.isEmpty())
        plain << line.command;
    plain << line.options.arguments;
    fuzzRequire(sameLine(cliargs::parseCommandLine(plain), line), "the plain form reads otherwise",
                detail + "\nplain: " + shown(plain));
}

struct CommandRule
{
    QStringList flags;
    bool wantsFile;
};

void checkCommand(const QStringList &arguments, const CommandRule &rule)
{
    Parsed p;
    if (!cliargs::parse(arguments, rule.flags, rule.wantsFile, p))
        return;
    const QByteArray detail = shown(arguments) + " with " + shown(rule.flags);
    for (const QString &flag : p.flags)
        fuzzRequire(rule.flags.contains(flag) && arguments.contains(flag), "a flag nobody allowed or gave", detail);
    fuzzRequire(rule.wantsFile == !p.file.isEmpty(), "a file where none is wanted, or none where one is", detail);
    fuzzRequire(p.file.isEmpty() || (arguments.contains(p.file) && !p.file.startsWith(QLatin1Char('-'))),
                "a file nobody named", detail);
    fuzzRequire(p.output.isEmpty() || isSubsequence({QStringLiteral("-o"), p.output}, arguments),
                "an output nobody named", detail);
    if (p.duration != -1) {
        // The live log counts the duration in milliseconds of a qint64.
        fuzzRequire(rule.flags.contains(QStringLiteral("--duration")), "a duration where none is allowed", detail);
        fuzzRequire(std::isfinite(p.duration) && p.duration >= 0
                        && p.duration * 1000 < static_cast<double>(std::numeric_limits<qint64>::max()),
                    "a duration the live log cannot count to", detail + " gives " + QByteArray::number(p.duration));
    }

    QStringList plain;
    if (!p.output.isEmpty())
        plain << QStringLiteral("-o") << p.output;
    plain << p.flags;
    if (p.duration != -1)
        plain << QStringLiteral("--duration") << QString::number(p.duration, 'g', 17);
    if (!p.file.isEmpty())
        plain << p.file;
    Parsed again;
    fuzzRequire(cliargs::parse(plain, rule.flags, rule.wantsFile, again) && sameParsed(again, p),
                "the plain form reads otherwise", detail + "\nplain: " + shown(plain));
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
    checkCommandLine(arguments);

    // The rules of read, verify, program and live.
    static const std::array<CommandRule, 4> rules{{
        {{}, false},
        {{}, true},
        {{QStringLiteral("--no-wait"), QStringLiteral("--loop")}, true},
        {{QStringLiteral("--csv"), QStringLiteral("--json"), QStringLiteral("--duration")}, false},
    }};
    const QStringList commandArguments = cliargs::parseCommandLine(arguments).options.arguments;
    for (const CommandRule &rule : rules)
        checkCommand(commandArguments, rule);
    return 0;
}
