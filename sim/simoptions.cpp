#include "sim/simoptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {
struct Problem
{
    QString text;
};

int intValue(const QCommandLineParser &parser, const QString &name, int minimum, int maximum)
{
    const QString text = parser.value(name);
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        throw Problem{QStringLiteral("--%1 wants a number from %2 to %3, not \"%4\"")
                          .arg(name).arg(minimum).arg(maximum).arg(text)};
    return value;
}

bool flagValue(const QCommandLineParser &parser, const QString &name)
{
    return intValue(parser, name, 0, 1) == 1;
}

void parseDate(const QString &text, IdentityFields &identity)
{
    const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const int day = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int month = match.hasMatch() ? match.captured(2).toInt() : 0;
    const int year = match.hasMatch() ? match.captured(3).toInt() : 0;
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 2000 || year > 2255)
        throw Problem{QStringLiteral("--date wants DD.MM.YYYY (year 2000 to 2255), not \"%1\"").arg(text)};
    identity.day = day;
    identity.month = month;
    identity.year = year;
}

void parseTime(const QString &text, IdentityFields &identity)
{
    const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const int hour = match.hasMatch() ? match.captured(1).toInt() : -1;
    const int minute = match.hasMatch() ? match.captured(2).toInt() : -1;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        throw Problem{QStringLiteral("--time wants HH:MM, not \"%1\"").arg(text)};
    identity.hour = hour;
    identity.minute = minute;
}
} // namespace

SimOptionsResult parseSimOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated ignition unit on a pseudo-terminal. The first line on standard output is\n"
        "the terminal's device path; open it with the tool. Ctrl+C ends the simulation."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this list of options."));
    parser.addOption(help);
    const QList<QCommandLineOption> options{
        {QStringLiteral("name"), QStringLiteral("Identity: 3-character program name (default TCI)."), QStringLiteral("ABC")},
        {QStringLiteral("name-hex"), QStringLiteral("Identity: the name's 1 to 3 bytes in hex, sent as they are (1b0d07)."), QStringLiteral("HEX")},
        {QStringLiteral("number"), QStringLiteral("Identity: program number, 0 to 255 (default 7)."), QStringLiteral("N")},
        {QStringLiteral("date"), QStringLiteral("Identity: build date (default 14.03.2023)."), QStringLiteral("DD.MM.YYYY")},
        {QStringLiteral("time"), QStringLiteral("Identity: build time (default 10:42)."), QStringLiteral("HH:MM")},
        {QStringLiteral("version"), QStringLiteral("Protocol version in identity and live data (default 16)."), QStringLiteral("N")},
        {QStringLiteral("long-name"), QStringLiteral("Identity: long program name, up to 30 characters."), QStringLiteral("TEXT")},
        {QStringLiteral("store"), QStringLiteral("Keep the parameter block in FILE between runs."), QStringLiteral("FILE")},
        {QStringLiteral("rpm"), QStringLiteral("Fixed engine speed instead of the 20 s sweep."), QStringLiteral("N")},
        {QStringLiteral("voltage-mv"), QStringLiteral("Fixed supply voltage in mV instead of about 13.8 V."), QStringLiteral("N")},
        {QStringLiteral("blocking"), QStringLiteral("Blocking active (1) or not (0, default)."), QStringLiteral("0|1")},
        {QStringLiteral("neutral"), QStringLiteral("Neutral switch on (1) or off (0, default)."), QStringLiteral("0|1")},
        {QStringLiteral("side-stand"), QStringLiteral("Side-stand switch on (1) or off (0, default)."), QStringLiteral("0|1")},
        {QStringLiteral("data-error"), QStringLiteral("Report faulty stored parameters (1) or not (0)."), QStringLiteral("0|1")},
        {QStringLiteral("programs"), QStringLiteral("Initial number of programmings (default 0)."), QStringLiteral("N")},
        {QStringLiteral("silent"), QStringLiteral("Fault: never answer.")},
        {QStringLiteral("silent-after-storing"), QStringLiteral("Fault: never answer again once live data reported storing at PERCENT (0-99)."), QStringLiteral("PERCENT")},
        {QStringLiteral("live-version"), QStringLiteral("Fault: this protocol version in live data only."), QStringLiteral("N")},
        {QStringLiteral("corrupt-echo"), QStringLiteral("Fault: echo a programmed block with byte 0 changed.")},
        {QStringLiteral("wrong-byte"), QStringLiteral("Fault: block byte N (0-49) differs in every 0xC1 reply."), QStringLiteral("N")},
        {QStringLiteral("delay"), QStringLiteral("Fault: answer MS milliseconds late."), QStringLiteral("MS")},
        {QStringLiteral("drop-every"), QStringLiteral("Fault: leave every Nth reply out."), QStringLiteral("N")},
        {QStringLiteral("bad-check"), QStringLiteral("Fault: replies carry a wrong check byte.")},
        {QStringLiteral("split"), QStringLiteral("Fault: write each reply in two parts, 5 ms apart.")},
        {QStringLiteral("noise"), QStringLiteral("Fault: garbage bytes between replies now and then.")},
        {QStringLiteral("log"), QStringLiteral("Log one line per received frame to FILE."), QStringLiteral("FILE")},
        {QStringLiteral("verbose"), QStringLiteral("Log one line per received frame to stderr.")},
    };
    parser.addOptions(options);

    SimOptionsResult result;
    if (!parser.parse(arguments)) {
        result.outcome = SimOptionsResult::Outcome::Error;
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.outcome = SimOptionsResult::Outcome::Help;
        result.text = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.outcome = SimOptionsResult::Outcome::Error;
        result.text = QStringLiteral("Unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return result;
    }

    SimOptions &o = result.options;
    o.identity.name = QStringLiteral("TCI");
    o.identity.number = 7;
    o.identity.day = 14;
    o.identity.month = 3;
    o.identity.year = 2023;
    o.identity.hour = 10;
    o.identity.minute = 42;
    o.identity.version = 16;
    try {
        if (parser.isSet(QStringLiteral("name"))) {
            o.identity.name = parser.value(QStringLiteral("name"));
            if (o.identity.name.size() > 3 || o.identity.name.toLatin1() != o.identity.name.toUtf8())
                throw Problem{QStringLiteral("--name wants up to 3 plain characters")};
        }
        if (parser.isSet(QStringLiteral("name-hex"))) {
            const QString hex = parser.value(QStringLiteral("name-hex"));
            const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
            if (bytes.isEmpty() || bytes.size() > 3 || bytes.toHex() != hex.toLatin1().toLower())
                throw Problem{QStringLiteral("--name-hex wants 1 to 3 bytes in hex, not \"%1\"").arg(hex)};
            o.rawName = bytes;
        }
        if (parser.isSet(QStringLiteral("number")))
            o.identity.number = intValue(parser, QStringLiteral("number"), 0, 255);
        if (parser.isSet(QStringLiteral("date")))
            parseDate(parser.value(QStringLiteral("date")), o.identity);
        if (parser.isSet(QStringLiteral("time")))
            parseTime(parser.value(QStringLiteral("time")), o.identity);
        if (parser.isSet(QStringLiteral("version")))
            o.identity.version = intValue(parser, QStringLiteral("version"), 0, 255);
        if (parser.isSet(QStringLiteral("long-name"))) {
            o.identity.longName = parser.value(QStringLiteral("long-name"));
            if (o.identity.longName.size() > UnitIdentity::kLongNameLength
                || o.identity.longName.toLatin1() != o.identity.longName.toUtf8())
                throw Problem{QStringLiteral("--long-name wants up to 30 plain characters")};
        }
        o.storePath = parser.value(QStringLiteral("store"));
        if (parser.isSet(QStringLiteral("rpm")))
            o.fixedRpm = intValue(parser, QStringLiteral("rpm"), 0, 65535);
        if (parser.isSet(QStringLiteral("voltage-mv")))
            o.voltageMv = intValue(parser, QStringLiteral("voltage-mv"), 0, 40000);
        if (parser.isSet(QStringLiteral("blocking")))
            o.blocking = flagValue(parser, QStringLiteral("blocking"));
        if (parser.isSet(QStringLiteral("neutral")))
            o.neutralOn = flagValue(parser, QStringLiteral("neutral"));
        if (parser.isSet(QStringLiteral("side-stand")))
            o.sideStandOn = flagValue(parser, QStringLiteral("side-stand"));
        if (parser.isSet(QStringLiteral("data-error")))
            o.dataError = flagValue(parser, QStringLiteral("data-error"));
        if (parser.isSet(QStringLiteral("programs")))
            o.programs = intValue(parser, QStringLiteral("programs"), 0, 65535);
        o.silent = parser.isSet(QStringLiteral("silent"));
        if (parser.isSet(QStringLiteral("silent-after-storing")))
            o.silentAfterStoring = intValue(parser, QStringLiteral("silent-after-storing"), 0, 99);
        if (parser.isSet(QStringLiteral("live-version")))
            o.liveVersion = intValue(parser, QStringLiteral("live-version"), 0, 255);
        o.corruptEcho = parser.isSet(QStringLiteral("corrupt-echo"));
        if (parser.isSet(QStringLiteral("wrong-byte")))
            o.wrongByte = intValue(parser, QStringLiteral("wrong-byte"), 0, 49);
        if (parser.isSet(QStringLiteral("delay")))
            o.delayMs = intValue(parser, QStringLiteral("delay"), 0, 60000);
        if (parser.isSet(QStringLiteral("drop-every")))
            o.dropEvery = intValue(parser, QStringLiteral("drop-every"), 1, 1000000);
        o.badCheck = parser.isSet(QStringLiteral("bad-check"));
        o.split = parser.isSet(QStringLiteral("split"));
        o.noise = parser.isSet(QStringLiteral("noise"));
        o.logPath = parser.value(QStringLiteral("log"));
        o.verbose = parser.isSet(QStringLiteral("verbose"));
    } catch (const Problem &problem) {
        result.outcome = SimOptionsResult::Outcome::Error;
        result.text = problem.text;
    }
    return result;
}
