#include "cli/commands.h"

#include "cli/arguments.h"
#include "cli/clisession.h"
#include "cli/exitcodes.h"
#include "link/liverow.h"
#include "link/serialdevices.h"
#include "params/parameterfile.h"
#include "params/setdiff.h"
#include "settings/settingspaths.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <QElapsedTimer>

#include <climits>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Ctrl+C ends a loop or a live log cleanly; a signal handler can only set a flag.
volatile std::sig_atomic_t interrupted = 0;

void catchInterrupt()
{
    interrupted = 0;
    std::signal(SIGINT, [](int) { interrupted = 1; });
    std::signal(SIGTERM, [](int) { interrupted = 1; });
}

void printJson(const QJsonValue &value)
{
    const QByteArray text = value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                                            : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
}

void fail(const QString &text)
{
    std::fprintf(stderr, "torvo-tci-cli: %s\n", qPrintable(text));
}

QJsonObject setJson(const ParameterImage &image)
{
    QJsonArray rpm, advance;
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        rpm.append(image.rpmAdv(k) * 100);
        advance.append(image.advance(k));
    }
    return {{"rpm", rpm},
            {"advance_deg", advance},
            {"top_1_4", image[ParameterImage::kTop14]},
            {"top_2_3", image[ParameterImage::kTop23]},
            {"base_advance_deg", image[ParameterImage::kBaseAdv]},
            {"limiter_rpm", image[ParameterImage::kLimiter] * 100},
            {"tachometer_2x", image[ParameterImage::kRpm2] != 0},
            {"blocking_enable", image[ParameterImage::kBlokEnable] != 0}};
}

void printSetTable(const ParameterImage &image)
{
    std::printf("point    rpm  advance\n");
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        std::printf("%5d  %5d  %5d\n", k + 1, image.rpmAdv(k) * 100, image.advance(k));
    std::printf("base advance     %d\n", image[ParameterImage::kBaseAdv]);
    std::printf("limiter          %d rpm\n", image[ParameterImage::kLimiter] * 100);
    std::printf("TOP 1,4          %d\n", image[ParameterImage::kTop14]);
    std::printf("TOP 2,3          %d\n", image[ParameterImage::kTop23]);
    std::printf("tachometer 2x    %s\n", image[ParameterImage::kRpm2] != 0 ? "on" : "off");
    std::printf("blocking enable  %s\n", image[ParameterImage::kBlokEnable] != 0 ? "on" : "off");
}

QJsonObject identityJson(UnitSession &unit)
{
    const IdentityTexts &t = unit.identityTexts();
    return {{"name", t.versionText}, {"date", t.dateText.trimmed()}, {"time", t.timeText},
            {"protocol_version", unit.identity().version()}};
}

// Says why an operation failed, for the codes run() gives.
int reportOperation(int code, CliSession &s, const char *what)
{
    if (code == kExitNoAnswer)
        fail(QStringLiteral("%1: no answer from the unit on %2").arg(QLatin1String(what), s.unit().lastOpenDevice()));
    else if (code == kExitVersion)
        fail(QStringLiteral("%1: the unit speaks protocol version %2, this tool %3")
                 .arg(QLatin1String(what))
                 .arg(s.unit().identity().version())
                 .arg(kProtocolVersion));
    return code;
}

// Reads a parameter file as Open does; kExitOk or kExitFile.
int openSetFile(const QString &path, ParameterImage &image)
{
    QString reason;
    switch (openParameterFile(path, image, &reason)) {
    case OpenResult::Opened:
        return kExitOk;
    case OpenResult::CannotOpen:
        fail(QStringLiteral("cannot read %1: %2").arg(path, reason));
        return kExitFile;
    case OpenResult::WrongVersion:
        fail(QStringLiteral("%1: Unmatched version of *.ign file!").arg(path));
        return kExitFile;
    }
    return kExitFile;
}

using cliargs::parse;
using cliargs::Parsed;

int usage(const char *command)
{
    std::fprintf(stderr, "torvo-tci-cli: wrong arguments for %s; see torvo-tci-cli --help\n", command);
    return kExitUsage;
}

// Reads the unit's set, then programs the file's set over it and verifies it.
int programOnce(CliSession &s, const ParameterImage &fileSet)
{
    int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(code, s, "read before programming");
    s.unit().image() = withFileFields(s.unit().image(), fileSet);
    return reportOperation(s.run(&UnitSession::startProgram), s, "program");
}

// Follows the unit's storing until it reports it done.
void waitForStoring(CliSession &s, bool json)
{
    const bool terminal = !json && ::isatty(STDOUT_FILENO);
    auto storing = [&] { return s.unit().engine().savingCountdown() != 0; };
    // The unit reports storing in its next live data; one that never does has
    // nothing to wait for.
    if (!s.waitFor(storing, 2000))
        return;
    int shown = -1;
    s.waitFor(
        [&] {
            const int percent = liverow::storingPercent(s.unit().engine().savingCountdown());
            if (storing() && percent != shown && !json) {
                shown = percent;
                if (terminal) {
                    const int bars = percent / 5;
                    std::printf("\rstoring [%s%s] %3d%%", QByteArray(bars, '#').constData(),
                                QByteArray(20 - bars, '-').constData(), percent);
                } else {
                    std::printf("storing %d%%\n", percent);
                }
                std::fflush(stdout);
            }
            return !storing() || interrupted;
        },
        30000);
    if (terminal)
        std::printf("\rstoring [%s] 100%%\n", QByteArray(20, '#').constData());
    else if (!json)
        std::printf("storing done\n");
}

} // namespace

int commandPorts(const CliOptions &options)
{
    if (!options.arguments.isEmpty())
        return usage("ports");
    const QString ini = settingspaths::settingsFile();
    QJsonArray list;
    for (const SerialDevice &d : listSerialDevices()) {
        const std::optional<int> com = comNumberOf(d, ini);
        const QString ids = d.vendorId && d.productId
                                ? QStringLiteral("%1:%2").arg(*d.vendorId, 4, 16, QLatin1Char('0')).arg(*d.productId, 4, 16, QLatin1Char('0'))
                                : QString();
        if (options.json) {
            QJsonObject o{{"path", d.path},          {"stable_path", d.stablePath}, {"description", d.description},
                          {"manufacturer", d.manufacturer}, {"usb_id", ids},        {"serial_number", d.serialNumber}};
            o.insert("com", com ? QJsonValue(QStringLiteral("COM%1").arg(*com)) : QJsonValue());
            list.append(o);
        } else {
            std::printf("%s%s\n", qPrintable(d.path), com ? qPrintable(QStringLiteral("  (COM%1)").arg(*com)) : "");
            if (!d.stablePath.isEmpty())
                std::printf("    stable name   %s\n", qPrintable(d.stablePath));
            if (!d.description.isEmpty())
                std::printf("    description   %s\n", qPrintable(d.description));
            if (!d.manufacturer.isEmpty())
                std::printf("    maker         %s\n", qPrintable(d.manufacturer));
            if (!ids.isEmpty())
                std::printf("    USB id        %s\n", qPrintable(ids));
            if (!d.serialNumber.isEmpty())
                std::printf("    serial number %s\n", qPrintable(d.serialNumber));
        }
    }
    if (options.json)
        printJson(list);
    else if (list.isEmpty() && listSerialDevices().empty())
        std::printf("no serial devices found\n");
    return kExitOk;
}

int commandInfo(const CliOptions &options)
{
    if (!options.arguments.isEmpty())
        return usage("info");
    CliSession s;
    if (!s.open(options.port))
        return kExitPort;
    const int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(code, s, "info");
    s.unit().requestLiveData();
    if (!s.waitFor([&] { return s.hasLive(); }, 2000))
        return reportOperation(kExitNoAnswer, s, "live data");
    const LiveData &live = s.lastLive();
    const QDateTime now = QDateTime::currentDateTime();
    if (options.json) {
        QJsonObject o = identityJson(s.unit());
        o.insert("programming_count", live.programmingCount);
        o.insert("live", liverow::json(now, live));
        printJson(o);
    } else {
        const IdentityTexts &t = s.unit().identityTexts();
        std::printf("unit              %s\n", qPrintable(t.versionText));
        std::printf("built             %s %s\n", qPrintable(t.dateText.trimmed()), qPrintable(t.timeText));
        std::printf("protocol version  %d\n", s.unit().identity().version());
        std::printf("programmed        %d times\n", live.programmingCount);
        std::printf("engine speed      %d rpm\n", live.rpm);
        std::printf("supply voltage    %.1f V\n", liveVoltageMillivolts(live.voltageRaw) / 1000.0);
        std::printf("advance           %d deg\n", live.advance);
        std::printf("blocking          %s\n", live.blocking != 0 ? "on" : "off");
        std::printf("neutral switch    %s\n", live.neutral == 0 ? "on" : "off");
        std::printf("side stand switch %s\n", live.sideStand == 0 ? "on" : "off");
        std::printf("data error        %s\n", live.dataError != 0 ? "yes" : "no");
    }
    return kExitOk;
}

int commandRead(const CliOptions &options)
{
    Parsed p;
    if (!parse(options.arguments, {}, false, p))
        return usage("read");
    CliSession s;
    if (!s.open(options.port))
        return kExitPort;
    const int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(code, s, "read");
    const ParameterImage &image = s.unit().image();
    if (!p.output.isEmpty()) {
        QString reason;
        if (!saveParameterFile(p.output, image, &reason)) {
            fail(QStringLiteral("cannot write %1: %2").arg(p.output, reason));
            return kExitFile;
        }
    }
    if (options.json) {
        QJsonObject o = identityJson(s.unit());
        o.insert("set", setJson(image));
        printJson(o);
    } else if (p.output.isEmpty()) {
        printSetTable(image);
    }
    return kExitOk;
}

int commandVerify(const CliOptions &options)
{
    Parsed p;
    if (!parse(options.arguments, {}, true, p) || !p.output.isEmpty())
        return usage("verify");
    ParameterImage fileSet;
    if (const int code = openSetFile(p.file, fileSet); code != kExitOk)
        return code;
    CliSession s;
    if (!s.open(options.port))
        return kExitPort;
    int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(code, s, "read");
    const ParameterImage unitSet = s.unit().image();
    const ParameterImage wanted = withFileFields(unitSet, fileSet);
    const std::vector<SetDifference> differences = setDifferences(unitSet, wanted);
    if (!differences.empty()) {
        if (options.json) {
            QJsonArray list;
            for (const SetDifference &d : differences)
                list.append(QJsonObject{{"field", d.name}, {"unit", d.unit}, {"file", d.file}});
            printJson(QJsonObject{{"same", false}, {"differences", list}});
        } else {
            std::printf("the unit's set differs from %s:\n", qPrintable(p.file));
            for (const SetDifference &d : differences)
                std::printf("  %-18s unit %6d   file %6d\n", qPrintable(d.name), d.unit, d.file);
        }
        return kExitDiffers;
    }
    // The same fields: confirm it the way the window's Verify does.
    s.unit().image() = wanted;
    code = s.run(&UnitSession::startVerify);
    if (code != kExitOk)
        return reportOperation(code, s, "verify");
    if (options.json)
        printJson(QJsonObject{{"same", true}});
    else
        std::printf("the unit holds the set of %s\n", qPrintable(p.file));
    return kExitOk;
}

int commandProgram(const CliOptions &options)
{
    Parsed p;
    if (!parse(options.arguments, {QStringLiteral("--no-wait"), QStringLiteral("--loop")}, true, p)
        || !p.output.isEmpty())
        return usage("program");
    const bool noWait = p.flags.contains(QStringLiteral("--no-wait"));
    const bool loop = p.flags.contains(QStringLiteral("--loop"));
    ParameterImage fileSet;
    if (const int code = openSetFile(p.file, fileSet); code != kExitOk)
        return code;
    CliSession s;
    if (!s.open(options.port))
        return kExitPort;
    s.unit().showNoConnection();

    if (!loop) {
        const int code = programOnce(s, fileSet);
        if (code != kExitOk)
            return code;
        if (!noWait)
            waitForStoring(s, options.json);
        if (options.json)
            printJson(QJsonObject{{"programmed", true}, {"unit", identityJson(s.unit())}});
        else
            std::printf("programmed %s\n", qPrintable(s.unit().identityTexts().versionText));
        return kExitOk;
    }

    // The bench: every unit plugged in gets the set, until Ctrl+C.
    catchInterrupt();
    int programmed = 0, failed = 0;
    while (!interrupted) {
        std::printf("waiting for a unit...\n");
        std::fflush(stdout);
        s.waitFor([&] { return !s.unit().engine().noConnection() || interrupted; }, INT_MAX);
        if (interrupted)
            break;
        const int code = programOnce(s, fileSet);
        if (code == kExitOk) {
            if (!noWait)
                waitForStoring(s, false);
            ++programmed;
            std::printf("unit %d programmed: %s\n", programmed, qPrintable(s.unit().identityTexts().versionText));
        } else {
            ++failed;
        }
        std::printf("unplug the unit\n");
        std::fflush(stdout);
        s.waitFor([&] { return s.unit().engine().noConnection() || interrupted; }, INT_MAX);
    }
    std::printf("%d units programmed, %d failed\n", programmed, failed);
    return kExitOk;
}

int commandLive(const CliOptions &options)
{
    Parsed p;
    if (!parse(options.arguments, {QStringLiteral("--csv"), QStringLiteral("--json"), QStringLiteral("--duration")},
               false, p))
        return usage("live");
    const bool csv = p.flags.contains(QStringLiteral("--csv"));
    const bool json = options.json || p.flags.contains(QStringLiteral("--json"));
    if (csv && json)
        return usage("live");

    // A file is written whole when the log ends, or not at all.
    QSaveFile file(p.output);
    if (!p.output.isEmpty() && !file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1: %2").arg(p.output, file.errorString()));
        return kExitFile;
    }
    auto write = [&](const QByteArray &bytes) {
        if (p.output.isEmpty()) {
            std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
            std::fflush(stdout);
        } else {
            file.write(bytes);
        }
    };

    CliSession s;
    if (!s.open(options.port))
        return kExitPort;
    catchInterrupt();
    if (csv)
        write(liverow::csvHeader());
    QObject::connect(&s.unit(), &UnitSession::liveDataReceived, [&](const LiveData &live) {
        const QDateTime now = QDateTime::currentDateTime();
        if (csv)
            write(liverow::csvRow(now, live));
        else if (json)
            write(QJsonDocument(liverow::json(now, live)).toJson(QJsonDocument::Compact) + '\n');
        else
            write(liverow::text(now, live));
    });
    const qint64 endMs = p.duration >= 0 ? static_cast<qint64>(p.duration * 1000) : -1;
    QElapsedTimer clock;
    clock.start();
    s.waitFor([&] { return interrupted || (endMs >= 0 && clock.elapsed() >= endMs); }, INT_MAX);
    if (!p.output.isEmpty() && !file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(p.output, file.errorString()));
        return kExitFile;
    }
    return kExitOk;
}
