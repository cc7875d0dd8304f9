#include "cli/commands.h"

#include "cli/arguments.h"
#include "cli/clisession.h"
#include "cli/exitcodes.h"
#include "link/liverow.h"
#include "link/serialdevices.h"
#include "params/fields.h"
#include "params/parameterfile.h"
#include "params/regularfile.h"
#include "params/setdiff.h"
#include "session/liverecorder.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

// Ctrl+C, a closed terminal (SIGHUP) or a kill end a loop or a live log
// cleanly; a signal handler can only set a flag.
volatile std::sig_atomic_t interrupted = 0;

void catchInterrupt()
{
    interrupted = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, [](int) { interrupted = 1; });
}

// A text from the unit as the terminal is to show it: control characters
// (ESC could rewrite the screen) and bytes the code page leaves undefined
// become '?'. JSON escapes them itself.
QString printable(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter)
            c = QLatin1Char('?');
    }
    return text;
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

// The set as the field table names it: a curve's points as arrays, the rest
// as single values, the flags as true or false.
QJsonObject setJson(const ParameterImage &image)
{
    QJsonObject set;
    for (const FieldSpec &spec : fieldTable()) {
        const int value = fieldValue(image, spec);
        const QJsonValue json = spec.flag ? QJsonValue(value != 0) : QJsonValue(value);
        const QString key = QString::fromLatin1(spec.jsonKey);
        if (spec.jsonIndex < 0) {
            set.insert(key, json);
        } else {
            QJsonArray points = set.value(key).toArray();
            points.append(json);
            set.insert(key, points);
        }
    }
    return set;
}

void printSetTable(const ParameterImage &image)
{
    const auto value = [&image](ParamField field) { return fieldValue(image, fieldSpec(field)); };
    const auto onOff = [&value](ParamField field) { return value(field) != 0 ? "on" : "off"; };
    std::printf("point    rpm  advance\n");
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        std::printf("%5d  %5d  %5d\n", k + 1, value(rpmField(k)), value(advanceField(k)));
    std::printf("base advance     %d\n", value(ParamField::BaseAdv));
    std::printf("limiter          %d rpm\n", value(ParamField::Limiter));
    std::printf("TOP 1,4          %d\n", value(ParamField::Top14));
    std::printf("TOP 2,3          %d\n", value(ParamField::Top23));
    std::printf("tachometer 2x    %s\n", onOff(ParamField::Rpm2));
    std::printf("blocking enable  %s\n", onOff(ParamField::BlokEnable));
}

QJsonObject identityJson(UnitSession &unit)
{
    const IdentityTexts &t = unit.identityTexts();
    return {{"name", t.versionText}, {"date", t.dateText.trimmed()}, {"time", t.timeText},
            {"protocol_version", unit.identity().version()}};
}

// Says why an operation failed, for the codes run() gives. differs says what
// the unit's answer differed from.
int reportOperation(int code, CliSession &s, const char *what, const QString &differs)
{
    const QString device = s.unit().lastOpenDevice();
    if (code == kExitNoAnswer && s.unit().engine().lastFailure() == TransferFailure::BadCheck)
        fail(QStringLiteral("%1: garbled replies from the unit on %2 (wrong check bytes)").arg(QLatin1String(what), device));
    else if (code == kExitNoAnswer)
        fail(QStringLiteral("%1: no answer from the unit on %2").arg(QLatin1String(what), device));
    else if (code == kExitDiffers)
        fail(QStringLiteral("%1: the unit answered, but its set differs from %2").arg(QLatin1String(what), differs));
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

// An output that names a FIFO, a device or a folder is refused before the unit
// is asked: writing would hang or replace it. kExitOk or kExitFile.
int checkOutput(const QString &path)
{
    QString reason;
    if (path.isEmpty() || isRegularOrMissing(path, &reason))
        return kExitOk;
    fail(QStringLiteral("cannot write %1: %2").arg(path, reason));
    return kExitFile;
}

using cliargs::parse;
using cliargs::Parsed;

int usage(const char *command)
{
    std::fprintf(stderr, "torvo-tci-cli: wrong arguments for %s; see torvo-tci-cli --help\n", command);
    return kExitUsage;
}

// A read reads the set twice, the second time to verify the first.
const QString kReadDiffers = QStringLiteral("its first reading (it breaks the curve rules, or it changes)");

// Reads the unit's set, then programs the file's set over it and verifies it.
int programOnce(CliSession &s, const ParameterImage &fileSet)
{
    int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(code, s, "read before programming", kReadDiffers);
    s.unit().document().restore(withFileFields(s.unit().image(), fileSet), QString(), QString());
    return reportOperation(s.run(&UnitSession::startProgram), s, "program", QStringLiteral("the set sent"));
}

enum class Storing { Done, CutOff, Stuck, Interrupted };

// Live frames (about three a second) with the storing count standing still
// before a unit is taken as stuck.
constexpr int kStuckLiveFrames = 90;

// Follows the unit's storing through its live data, from the first frame after
// the verify, until a frame reports it done. A unit that falls silent first
// (the connection lost, 18 ticks without a frame) may hold a half-stored set.
Storing waitForStoring(CliSession &s, bool json)
{
    const bool terminal = !json && ::isatty(STDOUT_FILENO);
    const int lossesBefore = s.connectionLosses();
    int shown = -1, reached = 0, lastCount = -1, standing = 0, counted = s.liveCount();
    std::optional<Storing> end;
    s.waitFor(
        [&] {
            if (interrupted)
                end = Storing::Interrupted;
            else if (!s.connected() || s.connectionLosses() != lossesBefore)
                end = Storing::CutOff;
            if (end || s.liveCount() == counted)
                return end.has_value();
            counted = s.liveCount();
            const int countdown = s.lastLive().savingCountdown;
            if (countdown == 0) {
                end = Storing::Done;
                return true;
            }
            standing = countdown == lastCount ? standing + 1 : 0;
            lastCount = countdown;
            if (standing >= kStuckLiveFrames) {
                end = Storing::Stuck;
                return true;
            }
            const int percent = liverow::storingPercent(static_cast<std::uint16_t>(countdown));
            reached = percent;
            if (percent != shown && !json) {
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
            return false;
        },
        INT_MAX);
    const Storing result = end.value_or(Storing::Interrupted);
    const int at = reached;
    if (result == Storing::Done) {
        if (terminal)
            std::printf("\rstoring [%s] 100%%\n", QByteArray(20, '#').constData());
        else if (!json)
            std::printf("storing done\n");
        std::fflush(stdout);
        return result;
    }
    if (terminal && shown >= 0)
        std::printf("\n");
    std::fflush(stdout);
    const QString device = s.unit().lastOpenDevice();
    if (result == Storing::CutOff)
        fail(QStringLiteral("storing cut off at %1%: the unit's live data stopped on %2; it may hold a half-stored set")
                 .arg(at)
                 .arg(device));
    else if (result == Storing::Stuck)
        fail(QStringLiteral("storing stuck at %1%: the unit's live data on %2 show no progress").arg(at).arg(device));
    else
        fail(QStringLiteral("storing not followed to its end: interrupted at %1%").arg(at));
    return result;
}

// The file a live log goes to. QFile takes a write the system cut short (a
// full disk, a size limit) for a success as far as it went, and gives no
// reason; this one writes on until the system refuses and says why.
class LogFile : public QFile
{
public:
    using QFile::QFile;

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        qint64 done = 0;
        while (done < length) {
            const auto n = ::write(handle(), data + done, static_cast<std::size_t>(length - done));
            if (n > 0) {
                done += n;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                setErrorString(QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO)));
                return -1;
            }
        }
        return done;
    }
};

// A write that failed part-way (a full disk) leaves half a row at the end;
// the file is cut back to its last whole row so that what is there reads.
void cutTornRow(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const qint64 size = file.size();
    const qint64 tail = std::min<qint64>(size, 4096);
    if (!file.seek(size - tail))
        return;
    const QByteArray end = file.read(tail);
    if (end.size() == tail && !end.endsWith('\n')) {
        const qsizetype lastLineEnd = end.lastIndexOf('\n');
        file.resize(size - tail + lastLineEnd + 1);
    }
}

} // namespace

int commandPorts(const CliOptions &options)
{
    if (!options.arguments.isEmpty())
        return usage("ports");
    const QStringList ports = readPortsSection(settingspaths::settingsFile()).values;
    QJsonArray list;
    for (const SerialDevice &d : listSerialDevices()) {
        const std::optional<int> com = comNumberOf(d, ports);
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
        return reportOperation(code, s, "info", kReadDiffers);
    s.unit().requestLiveData();
    if (!s.waitFor([&] { return s.hasLive(); }, 2000))
        return reportOperation(kExitNoAnswer, s, "live data", {});
    const LiveData &live = s.lastLive();
    const QDateTime now = QDateTime::currentDateTime();
    if (options.json) {
        QJsonObject o = identityJson(s.unit());
        o.insert("programming_count", live.programmingCount);
        o.insert("live", liverow::json(now, live));
        printJson(o);
    } else {
        const IdentityTexts &t = s.unit().identityTexts();
        std::printf("unit              %s\n", qPrintable(printable(t.versionText)));
        std::printf("built             %s %s\n", qPrintable(printable(t.dateText.trimmed())),
                    qPrintable(printable(t.timeText)));
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
    if (const int code = checkOutput(p.output); code != kExitOk)
        return code;
    CliSession s;
    if (!s.open(options.port))
        return kExitPort;
    const int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(code, s, "read", kReadDiffers);
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
    ParameterImage unitSet = s.unit().image();
    if (code == kExitDiffers) {
        // The unit answered the read's second reading with another block; that
        // block is the unit's to compare.
        const auto &answered = s.unit().engine().differingBlock();
        std::copy(answered.begin(), answered.end(), unitSet.bytes.begin());
    } else if (code != kExitOk) {
        return reportOperation(code, s, "read", kReadDiffers);
    }
    const ParameterImage wanted = withFileFields(unitSet, fileSet);
    const std::vector<SetDifference> differences = setDifferences(unitSet, wanted);
    if (!differences.empty() || code == kExitDiffers) {
        if (options.json) {
            QJsonArray list;
            for (const SetDifference &d : differences)
                list.append(QJsonObject{{"field", d.name}, {"unit", d.unit}, {"file", d.file}});
            printJson(QJsonObject{{"same", false}, {"differences", list}});
        } else {
            std::printf("the unit's set differs from %s:\n", qPrintable(p.file));
            for (const SetDifference &d : differences)
                std::printf("  %-18s unit %6d   file %6d\n", qPrintable(d.name), d.unit, d.file);
            if (differences.empty())
                std::printf("  (it reads back differently from one reading to the next)\n");
        }
        return kExitDiffers;
    }
    // The same fields: confirm it the way the window's Verify does.
    s.unit().document().restore(wanted, QString(), QString());
    code = s.run(&UnitSession::startVerify);
    if (code != kExitOk)
        return reportOperation(code, s, "verify", p.file);
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
        if (!noWait && waitForStoring(s, options.json) != Storing::Done)
            return kExitNoAnswer;
        if (options.json)
            printJson(QJsonObject{{"programmed", true}, {"unit", identityJson(s.unit())}});
        else
            std::printf("programmed %s\n", qPrintable(printable(s.unit().identityTexts().versionText)));
        return kExitOk;
    }

    // The bench: every unit plugged in gets the set, until Ctrl+C.
    catchInterrupt();
    int programmed = 0, failed = 0;
    while (!interrupted) {
        std::printf("waiting for a unit...\n");
        std::fflush(stdout);
        s.waitFor([&] { return s.connected() || interrupted; }, INT_MAX);
        if (interrupted)
            break;
        const bool done = programOnce(s, fileSet) == kExitOk && (noWait || waitForStoring(s, false) == Storing::Done);
        if (done) {
            ++programmed;
            std::printf("unit %d programmed: %s\n", programmed,
                        qPrintable(printable(s.unit().identityTexts().versionText)));
        } else {
            ++failed;
        }
        std::printf("unplug the unit\n");
        std::fflush(stdout);
        // The next unit may answer within a tick or two of this one's going.
        const int losses = s.connectionLosses();
        s.waitFor([&] { return !s.connected() || s.connectionLosses() != losses || interrupted; }, INT_MAX);
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
    if (const int code = checkOutput(p.output); code != kExitOk)
        return code;

    CliSession s;
    if (!s.open(options.port))
        return kExitPort;

    // Rows reach the file as they come, so a log that is cut off (a hang-up,
    // a kill, a full disk) keeps what came before. CSV goes through the
    // window's recorder: rows held for at most a second of their own time,
    // then written and flushed. JSON and text rows are written and flushed
    // one by one, as on standard output. The file is started anew.
    LiveRecorder recorder;
    std::unique_ptr<QFile> rowFile;
    const QString outputName = p.output.isEmpty() ? QStringLiteral("standard output") : p.output;
    if (!p.output.isEmpty()) {
        auto file = std::make_unique<LogFile>(p.output);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            fail(QStringLiteral("cannot write %1: %2").arg(p.output, file->errorString()));
            return kExitFile;
        }
        if (!csv) {
            rowFile = std::move(file);
        } else if (!recorder.start(std::move(file), p.output)) {
            fail(QStringLiteral("cannot write %1: %2").arg(p.output, recorder.error()));
            return kExitFile;
        }
    }
    QString writeError;
    auto writeBytes = [&](const QByteArray &bytes) {
        if (rowFile) {
            if (rowFile->write(bytes) != bytes.size())
                writeError = rowFile->errorString();
        } else if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout)
                       != static_cast<std::size_t>(bytes.size())
                   || std::fflush(stdout) != 0) {
            writeError = QString::fromLocal8Bit(std::strerror(errno));
        }
    };

    catchInterrupt();
    if (csv && !recorder.isRecording())
        writeBytes(liverow::csvHeader());
    QObject::connect(&s.unit(), &UnitSession::liveDataReceived, [&](const LiveData &live) {
        if (!writeError.isEmpty())
            return;
        const QDateTime now = QDateTime::currentDateTime();
        if (recorder.isRecording()) {
            if (!recorder.append(now, live))
                writeError = recorder.error();
        } else if (csv) {
            writeBytes(liverow::csvRow(now, live));
        } else if (json) {
            writeBytes(QJsonDocument(liverow::json(now, live)).toJson(QJsonDocument::Compact) + '\n');
        } else {
            writeBytes(liverow::text(now, live));
        }
    });
    const qint64 endMs = p.duration >= 0 ? static_cast<qint64>(p.duration * 1000) : -1;
    QElapsedTimer clock;
    clock.start();
    s.waitFor([&] { return interrupted || !writeError.isEmpty() || (endMs >= 0 && clock.elapsed() >= endMs); },
              INT_MAX);
    if (!recorder.stop() && writeError.isEmpty())
        writeError = recorder.error();
    if (!writeError.isEmpty()) {
        rowFile.reset();
        if (!p.output.isEmpty())
            cutTornRow(p.output);
        fail(QStringLiteral("cannot write %1: %2").arg(outputName, writeError));
        return kExitFile;
    }
    return kExitOk;
}
