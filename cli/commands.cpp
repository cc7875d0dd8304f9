#include "cli/commands.h"

#include "cli/arguments.h"
#include "cli/clisession.h"
#include "cli/exitcodes.h"
#include "cli/output.h"
#include "link/liverow.h"
#include "link/serialdevices.h"
#include "params/fields.h"
#include "params/parameterfile.h"
#include "params/regularfile.h"
#include "params/setdiff.h"
#include "session/journal.h"
#include "session/liverecorder.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

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

// What a command says, through the output: results on standard output, a
// failure as one line on standard error and, under --json, also as an
// object {"error": TEXT, "exit_code": N} on standard output.
class Reply
{
public:
    Reply(CliOutput &output, bool json) : out(output), json(json) {}

    void print(const QByteArray &bytes) { out.write(bytes); }
    void print(const QString &text) { out.write(text.toUtf8()); }
    void printJson(const QJsonValue &value)
    {
        print(value.isArray() ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                              : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented));
    }
    // One compact object on a line of its own: the bench's reports.
    void printJsonLine(const QJsonObject &object)
    {
        print(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    }
    // A line for the person at the terminal: on standard output, or on
    // standard error while standard output carries JSON.
    void say(const QString &text)
    {
        if (json)
            out.message(text.toUtf8() + '\n');
        else
            print(text + QLatin1Char('\n'));
    }

    // Reports a failure and returns its code.
    int fail(int code, const QString &text)
    {
        lastError = text;
        out.message("torvo-tci-cli: " + text.toUtf8() + '\n');
        if (json && !quietJson)
            printJsonLine(QJsonObject{{"error", text}, {"exit_code", code}});
        return code;
    }

    CliOutput &out;
    const bool json;
    // The bench reports each unit's failure in its own object instead.
    bool quietJson = false;
    QString lastError;
};

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

QString setTable(const ParameterImage &image)
{
    const auto value = [&image](ParamField field) { return fieldValue(image, fieldSpec(field)); };
    const auto onOff = [&value](ParamField field) { return QLatin1String(value(field) != 0 ? "on" : "off"); };
    QString text = QStringLiteral("point    rpm  advance\n");
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        text += QStringLiteral("%1  %2  %3\n").arg(k + 1, 5).arg(value(rpmField(k)), 5).arg(value(advanceField(k)), 5);
    text += QStringLiteral("base advance     %1\n").arg(value(ParamField::BaseAdv));
    text += QStringLiteral("limiter          %1 rpm\n").arg(value(ParamField::Limiter));
    text += QStringLiteral("TOP 1,4          %1\n").arg(value(ParamField::Top14));
    text += QStringLiteral("TOP 2,3          %1\n").arg(value(ParamField::Top23));
    text += QStringLiteral("tachometer 2x    %1\n").arg(onOff(ParamField::Rpm2));
    text += QStringLiteral("blocking enable  %1\n").arg(onOff(ParamField::BlokEnable));
    return text;
}

// Dates and times in ISO 8601 ("2004-03-03", "09:05:00"); null where the
// unit's block holds none a calendar knows.
QJsonValue isoDate(const QDate &date)
{
    return date.isValid() ? QJsonValue(date.toString(Qt::ISODate)) : QJsonValue();
}

QJsonValue isoTime(const QTime &time)
{
    return time.isValid() ? QJsonValue(time.toString(Qt::ISODate)) : QJsonValue();
}

QJsonObject identityJson(UnitSession &unit)
{
    const IdentityTexts &t = unit.identityTexts();
    return {{"name", t.versionText},
            {"date", isoDate(buildDate(unit.identity()))},
            {"time", isoTime(buildTime(unit.identity()))},
            {"protocol_version", unit.identity().version()}};
}

// Says why an operation failed, for the codes run() gives. differs says what
// the unit's answer differed from.
int reportOperation(Reply &r, int code, CliSession &s, const char *what, const QString &differs)
{
    const QString device = s.unit().lastOpenDevice();
    const QString doing = QLatin1String(what);
    if (code == kExitNoAnswer && s.unit().engine().lastFailure() == TransferFailure::BadCheck)
        return r.fail(code, QStringLiteral("%1: garbled replies from the unit on %2 (wrong check bytes)").arg(doing, device));
    if (code == kExitNoAnswer)
        return r.fail(code, QStringLiteral("%1: no answer from the unit on %2").arg(doing, device));
    if (code == kExitDiffers)
        return r.fail(code, QStringLiteral("%1: the unit answered, but its set differs from %2").arg(doing, differs));
    if (code == kExitVersion)
        return r.fail(code, QStringLiteral("%1: the unit speaks protocol version %2, this tool %3")
                                .arg(doing)
                                .arg(s.unit().identity().version())
                                .arg(kProtocolVersion));
    return code;
}

// Reads a parameter file: strictly (every field given, each within its
// control's range), or with lenient as the window's Open does. kExitOk or
// kExitFile after one line naming the file and, for a strict refusal, the
// line and the field.
int openSetFile(Reply &r, const QString &path, bool lenient, ParameterImage &image)
{
    QByteArray content;
    QString reason;
    switch (readParameterFileBytes(path, content, &reason)) {
    case OpenResult::Opened:
        break;
    case OpenResult::CannotOpen:
        return r.fail(kExitFile, QStringLiteral("cannot read %1: %2").arg(path, reason));
    case OpenResult::WrongVersion:
        return r.fail(kExitFile, QStringLiteral("%1: Unmatched version of *.ign file!").arg(path));
    }
    ParameterImage read = image;
    if (!readParameterText(content, read))
        return r.fail(kExitFile, QStringLiteral("%1: Unmatched version of *.ign file!").arg(path));
    if (!lenient) {
        if (const std::optional<ParameterFileProblem> problem = strictParameterProblem(content))
            return r.fail(kExitFile, QStringLiteral("%1, line %2: %3: %4 (--lenient reads it as the window does)")
                                         .arg(path)
                                         .arg(problem->line)
                                         .arg(problem->field, problem->text));
    }
    read.normaliseCurve();
    image = read;
    return kExitOk;
}

// An output that names a FIFO, a device or a folder is refused before the unit
// is asked: writing would hang or replace it. kExitOk or kExitFile.
int checkOutput(Reply &r, const QString &path)
{
    QString reason;
    if (path.isEmpty() || isRegularOrMissing(path, &reason))
        return kExitOk;
    return r.fail(kExitFile, QStringLiteral("cannot write %1: %2").arg(path, reason));
}

// Opens the port, or says why not: kExitOk or kExitPort.
int openPort(Reply &r, CliSession &s, const QString &port)
{
    const QString problem = s.open(port);
    return problem.isEmpty() ? kExitOk : r.fail(kExitPort, problem);
}

// The commands that keep a journal entry learn the programming counter first,
// as the window knows it from its live data: one live request, a few ticks
// at most. A unit that does not answer it leaves the counter unknown; the
// operation itself says what is wrong with the unit.
void learnCounter(CliSession &s)
{
    if (s.unit().journalFolder().isEmpty() || s.hasLive())
        return;
    s.unit().requestLiveData();
    s.waitFor([&] { return s.hasLive(); }, TransferEngine::kResendTicks);
}

// A read reads the set twice, the second time to verify the first.
const QString kReadDiffers = QStringLiteral("its first reading (it breaks the curve rules, or it changes)");

// Reads the unit's set, then programs the file's set over it and verifies it.
int programOnce(Reply &r, CliSession &s, const ParameterImage &fileSet)
{
    const int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(r, code, s, "read before programming", kReadDiffers);
    s.unit().document().restore(withFileFields(s.unit().image(), fileSet), QString(), QString());
    return reportOperation(r, s.run(&UnitSession::startProgram), s, "program", QStringLiteral("the set sent"));
}

// Live frames (about three a second) with the storing count standing still
// before a unit is taken as stuck.
constexpr int kStuckLiveFrames = 90;

// Follows the unit's storing through its live data, from the first frame after
// the verify, until a frame reports it done: kExitOk, or kExitNoAnswer after
// saying why. A unit that falls silent first (the connection lost, 18 ticks
// without a frame) may hold a half-stored set.
int waitForStoring(Reply &r, CliSession &s)
{
    enum class Storing { Done, CutOff, Stuck, Interrupted };
    const bool terminal = !r.json && r.out.isTerminal();
    const int lossesBefore = s.connectionLosses();
    int shown = -1, reached = 0, lastCount = -1, standing = 0, counted = s.liveCount();
    std::optional<Storing> end;
    s.waitFor([&] {
        if (s.interrupted())
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
        if (percent != shown && !r.json) {
            shown = percent;
            if (terminal) {
                const int bars = percent / 5;
                r.print("\rstoring [" + QByteArray(bars, '#') + QByteArray(20 - bars, '-') + "] "
                        + QByteArray::number(percent).rightJustified(3) + '%');
            } else {
                r.print(QStringLiteral("storing %1%\n").arg(percent));
            }
        }
        return false;
    });
    const Storing result = end.value_or(Storing::Interrupted);
    if (result == Storing::Done) {
        if (terminal)
            r.print("\rstoring [" + QByteArray(20, '#') + "] 100%\n");
        else if (!r.json)
            r.print(QByteArrayLiteral("storing done\n"));
        return kExitOk;
    }
    if (terminal && shown >= 0)
        r.print(QByteArrayLiteral("\n"));
    const QString device = s.unit().lastOpenDevice();
    if (result == Storing::CutOff)
        return r.fail(kExitNoAnswer,
                      QStringLiteral("storing cut off at %1%: the unit's live data stopped on %2; it may hold a "
                                     "half-stored set")
                          .arg(reached)
                          .arg(device));
    if (result == Storing::Stuck)
        return r.fail(kExitNoAnswer, QStringLiteral("storing stuck at %1%: the unit's live data on %2 show no progress")
                                         .arg(reached)
                                         .arg(device));
    return r.fail(kExitNoAnswer, QStringLiteral("storing not followed to its end: interrupted at %1%").arg(reached));
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

int commandPorts(Reply &r)
{
    const QStringList ports = readPortsSection(settingspaths::settingsFile()).values;
    const std::vector<SerialDevice> devices = listSerialDevices();
    QJsonArray list;
    QString text;
    for (const SerialDevice &d : devices) {
        const std::optional<int> com = comNumberOf(d, ports);
        const QString ids = d.vendorId && d.productId ? QStringLiteral("%1:%2")
                                                            .arg(*d.vendorId, 4, 16, QLatin1Char('0'))
                                                            .arg(*d.productId, 4, 16, QLatin1Char('0'))
                                                      : QString();
        QJsonObject o{{"path", d.path},          {"stable_path", d.stablePath}, {"description", d.description},
                      {"manufacturer", d.manufacturer}, {"usb_id", ids},        {"serial_number", d.serialNumber}};
        o.insert("com", com ? QJsonValue(QStringLiteral("COM%1").arg(*com)) : QJsonValue());
        list.append(o);
        text += d.path + (com ? QStringLiteral("  (COM%1)").arg(*com) : QString()) + QLatin1Char('\n');
        const std::pair<const char *, QString> lines[] = {{"stable name  ", d.stablePath},
                                                          {"description  ", d.description},
                                                          {"maker        ", d.manufacturer},
                                                          {"USB id       ", ids},
                                                          {"serial number", d.serialNumber}};
        for (const auto &[label, value] : lines) {
            if (!value.isEmpty())
                text += QStringLiteral("    %1 %2\n").arg(QLatin1String(label), value);
        }
    }
    if (r.json)
        r.printJson(list);
    else
        r.print(devices.empty() ? QStringLiteral("no serial devices found\n") : text);
    return kExitOk;
}

int commandInfo(Reply &r, const CliOptions &options, CliSession &s)
{
    if (const int code = openPort(r, s, options.port); code != kExitOk)
        return code;
    const int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(r, code, s, "info", kReadDiffers);
    s.unit().requestLiveData();
    // A live frame comes within a few ticks; 2 s of them is plenty.
    if (!s.waitFor([&] { return s.hasLive(); }, 2000 / UnitSession::kTickMs))
        return reportOperation(r, kExitNoAnswer, s, "live data", {});
    const LiveData &live = s.lastLive();
    const QDateTime now = QDateTime::currentDateTime();
    if (r.json) {
        QJsonObject o = identityJson(s.unit());
        o.insert("programming_count", live.programmingCount);
        o.insert("live", liverow::json(now, live));
        r.printJson(o);
        return kExitOk;
    }
    const IdentityTexts &t = s.unit().identityTexts();
    r.print(QStringLiteral("unit              %1\n").arg(printable(t.versionText)));
    r.print(QStringLiteral("built             %1 %2\n").arg(printable(t.dateText.trimmed()), printable(t.timeText)));
    r.print(QStringLiteral("protocol version  %1\n").arg(s.unit().identity().version()));
    r.print(QStringLiteral("programmed        %1 times\n").arg(live.programmingCount));
    r.print(QStringLiteral("engine speed      %1 rpm\n").arg(live.rpm));
    r.print(QStringLiteral("supply voltage    %1 V\n").arg(liveVoltageMillivolts(live.voltageRaw) / 1000.0, 0, 'f', 1));
    r.print(QStringLiteral("advance           %1 deg\n").arg(live.advance));
    r.print(QStringLiteral("blocking          %1\n").arg(live.blocking != 0 ? "on" : "off"));
    r.print(QStringLiteral("neutral switch    %1\n").arg(live.neutral == 0 ? "on" : "off"));
    r.print(QStringLiteral("side stand switch %1\n").arg(live.sideStand == 0 ? "on" : "off"));
    r.print(QStringLiteral("data error        %1\n").arg(live.dataError != 0 ? "yes" : "no"));
    return kExitOk;
}

int commandRead(Reply &r, const CliOptions &options, CliSession &s)
{
    if (const int code = checkOutput(r, options.output); code != kExitOk)
        return code;
    if (const int code = openPort(r, s, options.port); code != kExitOk)
        return code;
    learnCounter(s);
    const int code = s.run(&UnitSession::startRead);
    if (code != kExitOk)
        return reportOperation(r, code, s, "read", kReadDiffers);
    const ParameterImage &image = s.unit().image();
    if (!options.output.isEmpty()) {
        QString reason;
        if (!saveParameterFile(options.output, image, &reason))
            return r.fail(kExitFile, QStringLiteral("cannot write %1: %2").arg(options.output, reason));
    }
    if (r.json) {
        QJsonObject o = identityJson(s.unit());
        o.insert("set", setJson(image));
        r.printJson(o);
    } else if (options.output.isEmpty()) {
        r.print(setTable(image));
    }
    return kExitOk;
}

int commandVerify(Reply &r, const CliOptions &options, CliSession &s)
{
    ParameterImage fileSet;
    if (const int code = openSetFile(r, options.file, options.lenient, fileSet); code != kExitOk)
        return code;
    if (const int code = openPort(r, s, options.port); code != kExitOk)
        return code;
    learnCounter(s);
    // The read is this verify's means, not a read of its own: the journal
    // keeps one verify entry with the file's set, written by the session's
    // verify when the fields agree and here when it does not come to that.
    const QString journalFolder = s.unit().journalFolder();
    s.unit().setJournalFolder({});
    int code = s.run(&UnitSession::startRead);
    s.unit().setJournalFolder(journalFolder);
    const auto keepVerify = [&](const QString &result) {
        const ParameterImage sent = withFileFields(s.unit().image(), fileSet);
        s.unit().keepJournalEntry(QStringLiteral("verify"), result, &sent);
    };
    if (code != kExitOk && code != kExitDiffers)
        keepVerify(journalResult(false, s.unit().engine().lastFailure()));
    ParameterImage unitSet = s.unit().image();
    if (code == kExitDiffers) {
        // The unit answered the read's second reading with another block; that
        // block is the unit's to compare.
        const auto &answered = s.unit().engine().differingBlock();
        std::copy(answered.begin(), answered.end(), unitSet.bytes.begin());
    } else if (code != kExitOk) {
        return reportOperation(r, code, s, "read", kReadDiffers);
    }
    const ParameterImage wanted = withFileFields(unitSet, fileSet);
    const std::vector<SetDifference> differences = setDifferences(unitSet, wanted);
    if (!differences.empty() || code == kExitDiffers) {
        keepVerify(journalResult(false, TransferFailure::Differed));
        if (r.json) {
            QJsonArray list;
            for (const SetDifference &d : differences)
                list.append(QJsonObject{{"field", d.name}, {"unit", d.unit}, {"file", d.file}});
            r.printJson(QJsonObject{{"same", false}, {"differences", list}});
        } else {
            r.print(QStringLiteral("the unit's set differs from %1:\n").arg(options.file));
            for (const SetDifference &d : differences)
                r.print(QStringLiteral("  %1 unit %2   file %3\n").arg(d.name, -18).arg(d.unit, 6).arg(d.file, 6));
            if (differences.empty())
                r.print(QByteArrayLiteral("  (it reads back differently from one reading to the next)\n"));
        }
        return kExitDiffers;
    }
    // The same fields: confirm it the way the window's Verify does.
    s.unit().document().restore(wanted, QString(), QString());
    code = s.run(&UnitSession::startVerify);
    if (code != kExitOk)
        return reportOperation(r, code, s, "verify", options.file);
    if (r.json)
        r.printJson(QJsonObject{{"same", true}});
    else
        r.print(QStringLiteral("the unit holds the set of %1\n").arg(options.file));
    return kExitOk;
}

// The bench: every unit plugged in gets the set, until Ctrl+C. Each unit is
// named by its number in the run and, for a failure, the reason; the exit
// code is 0 only when every unit succeeded, else the last failure's.
int programLoop(Reply &r, const CliOptions &options, CliSession &s, const ParameterImage &fileSet)
{
    const InterruptCatcher catcher(s);
    r.quietJson = true;
    int programmed = 0, failed = 0, exitCode = kExitOk;
    while (!s.interrupted()) {
        r.say(QStringLiteral("waiting for a unit..."));
        s.waitFor([&] { return s.connected() || s.interrupted(); });
        if (s.interrupted())
            break;
        const int number = programmed + failed + 1;
        int code = programOnce(r, s, fileSet);
        if (code == kExitOk && !options.noWait)
            code = waitForStoring(r, s);
        const QString name = s.unit().identityTexts().versionText;
        if (code == kExitOk) {
            ++programmed;
            if (r.json)
                r.printJsonLine({{"unit", number}, {"programmed", true}, {"name", name}});
            else
                r.print(QStringLiteral("unit %1 programmed: %2\n").arg(number).arg(printable(name)));
        } else {
            ++failed;
            exitCode = code;
            if (r.json)
                r.printJsonLine({{"unit", number}, {"programmed", false}, {"error", r.lastError}, {"exit_code", code}});
            else
                r.print(QStringLiteral("unit %1 failed: %2\n").arg(number).arg(r.lastError));
        }
        r.say(QStringLiteral("unplug the unit"));
        // The next unit may answer within a tick or two of this one's going.
        const int losses = s.connectionLosses();
        s.waitFor([&] { return !s.connected() || s.connectionLosses() != losses || s.interrupted(); });
    }
    if (r.json)
        r.printJsonLine({{"programmed", programmed}, {"failed", failed}, {"exit_code", exitCode}});
    else
        r.print(QStringLiteral("%1 units programmed, %2 failed\n").arg(programmed).arg(failed));
    return exitCode;
}

int commandProgram(Reply &r, const CliOptions &options, CliSession &s)
{
    ParameterImage fileSet;
    if (const int code = openSetFile(r, options.file, options.lenient, fileSet); code != kExitOk)
        return code;
    if (const int code = openPort(r, s, options.port); code != kExitOk)
        return code;
    learnCounter(s);
    s.unit().showNoConnection();
    if (options.loop)
        return programLoop(r, options, s, fileSet);

    if (const int code = programOnce(r, s, fileSet); code != kExitOk)
        return code;
    if (!options.noWait) {
        if (const int code = waitForStoring(r, s); code != kExitOk)
            return code;
    }
    if (r.json)
        r.printJson(QJsonObject{{"programmed", true}, {"unit", identityJson(s.unit())}});
    else
        r.print(QStringLiteral("programmed %1\n").arg(printable(s.unit().identityTexts().versionText)));
    return kExitOk;
}

int commandLive(Reply &r, const CliOptions &options, CliSession &s)
{
    if (const int code = checkOutput(r, options.output); code != kExitOk)
        return code;
    const liverow::Format format = options.csv    ? liverow::Format::Csv
                                   : options.json ? liverow::Format::Json
                                                  : liverow::Format::Text;
    if (const int code = openPort(r, s, options.port); code != kExitOk)
        return code;
    // Rows reach the file as they come, so a log that is cut off (a hang-up,
    // a kill, a full disk) keeps what came before. CSV rows are held for at
    // most a second of their own time, as the window's recording holds them;
    // JSON and text rows are written one by one, as on standard output. An
    // existing log of the same form and columns is continued, anything else
    // refused.
    LiveRecorder recorder(format, format == liverow::Format::Csv ? LiveRecorder::kFlushIntervalMs : 0);
    if (!options.output.isEmpty()) {
        auto file = std::make_unique<LogFile>(options.output);
        if (!file->open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            return r.fail(kExitFile, QStringLiteral("cannot write %1: %2").arg(options.output, file->errorString()));
        if (!recorder.start(std::move(file), options.output))
            return r.fail(kExitFile, QStringLiteral("cannot write %1: %2").arg(options.output, recorder.error()));
    }

    QString writeError;
    auto writeRow = [&](const QByteArray &bytes) {
        if (writeError.isEmpty() && !r.out.write(bytes, &writeError) && writeError.isEmpty())
            writeError = QStringLiteral("the write was cut short");
    };
    if (!recorder.isRecording())
        writeRow(liverow::header(format));
    const InterruptCatcher catcher(s);
    QObject::connect(&s.unit(), &UnitSession::liveDataReceived, &s, [&](const LiveData &live) {
        if (!writeError.isEmpty())
            return;
        const QDateTime now = QDateTime::currentDateTime();
        if (!recorder.isRecording())
            writeRow(liverow::row(format, now, live));
        else if (!recorder.append(now, live))
            writeError = recorder.error();
    });
    bool timeUp = false;
    QTimer duration;
    // A QTimer counts at most about 24 days; a longer log takes further
    // rounds of it. What is left and the next round live as long as the
    // timer whose time-out uses them.
    qint64 leftMs = 0;
    const auto nextRound = [&] {
        const int round = static_cast<int>(std::min<qint64>(leftMs, INT_MAX));
        leftMs -= round;
        duration.start(round);
    };
    if (options.durationS >= 0) {
        leftMs = static_cast<qint64>(options.durationS * 1000);
        duration.setTimerType(Qt::PreciseTimer);
        duration.setSingleShot(true);
        QObject::connect(&duration, &QTimer::timeout, &s, [&] {
            if (leftMs > 0) {
                nextRound();
                return;
            }
            timeUp = true;
            s.wake();
        });
        nextRound();
    }
    s.waitFor([&] { return s.interrupted() || !writeError.isEmpty() || timeUp; });
    QObject::disconnect(&s.unit(), &UnitSession::liveDataReceived, &s, nullptr);
    if (!recorder.stop() && writeError.isEmpty())
        writeError = recorder.error();
    if (!writeError.isEmpty()) {
        if (!options.output.isEmpty())
            cutTornRow(options.output);
        const QString where = options.output.isEmpty() ? QStringLiteral("standard output") : options.output;
        return r.fail(kExitFile, QStringLiteral("cannot write %1: %2").arg(where, writeError));
    }
    return kExitOk;
}

// The journal's entries, newest first: a table, or under --json an array of
// objects (time, operation, result, firmware, counter, file, differing; file
// the whole path, and null for what an entry has not).
int commandJournal(Reply &r, const CliOptions &options)
{
    const Journal journal(Journal::defaultFolder());
    // A journal that is there but cannot be read is no empty journal.
    if (QFileInfo::exists(journal.indexPath())) {
        QFile index(journal.indexPath());
        QString reason;
        if (!openRegularFile(index, QIODevice::ReadOnly, &reason))
            return r.fail(kExitFile, QStringLiteral("cannot read %1: %2").arg(journal.indexPath(), reason));
    }
    std::vector<JournalEntry> entries = journal.entries();
    std::reverse(entries.begin(), entries.end());
    if (options.limit >= 0 && entries.size() > static_cast<std::size_t>(options.limit))
        entries.resize(static_cast<std::size_t>(options.limit));
    if (r.json) {
        QJsonArray list;
        for (const JournalEntry &e : entries) {
            bool numbered = false;
            const int counter = e.counter.toInt(&numbered);
            const QString file = journal.filePath(e);
            list.append(QJsonObject{{"time", journalTimeText(e.time)},
                                    {"operation", e.operation},
                                    {"result", e.result},
                                    {"firmware", e.firmware},
                                    {"counter", numbered ? QJsonValue(counter) : QJsonValue()},
                                    {"file", file.isEmpty() ? QJsonValue() : QJsonValue(file)},
                                    {"differing", e.differing >= 0 ? QJsonValue(e.differing) : QJsonValue()}});
        }
        r.printJson(list);
        return kExitOk;
    }
    if (entries.empty()) {
        r.print(QStringLiteral("no entries in %1\n").arg(QDir::toNativeSeparators(journal.folder())));
        return kExitOk;
    }
    const auto row = [](const QString &when, const QString &operation, const QString &result, const QString &counter,
                        const QString &differing, const QString &file, const QString &firmware) {
        return QStringLiteral("%1  %2  %3  %4  %5  %6  %7").arg(when, -25).arg(operation, -9).arg(result, -8)
                   .arg(counter, 7).arg(differing, 9).arg(file, -34).arg(firmware).trimmed()
               + QLatin1Char('\n');
    };
    r.print(row(QStringLiteral("time"), QStringLiteral("operation"), QStringLiteral("result"), QStringLiteral("counter"),
                QStringLiteral("differing"), QStringLiteral("file"), QStringLiteral("firmware")));
    for (const JournalEntry &e : entries)
        r.print(row(journalTimeText(e.time), e.operation, printable(e.result), printable(e.counter),
                    e.differing >= 0 ? QString::number(e.differing) : QStringLiteral("-"),
                    e.fileName.isEmpty() ? QStringLiteral("-") : printable(e.fileName), printable(e.firmware)));
    return kExitOk;
}

} // namespace

int runCommand(const CliOptions &options, CliSession &session, CliOutput &out)
{
    Reply r(out, options.json);
    // Read, verify and program keep the journal the window keeps;
    // a journal that cannot be written is one line and changes nothing else.
    const bool keepsJournal = options.command == QLatin1String("read") || options.command == QLatin1String("verify")
                              || options.command == QLatin1String("program");
    if (keepsJournal && !options.noJournal)
        session.unit().setJournalFolder(Journal::defaultFolder());
    QObject::connect(&session.unit(), &UnitSession::journalProblem, &session,
                     [&out](const QString &reason) { out.message("torvo-tci-cli: " + reason.toUtf8() + '\n'); });
    if (options.command == QLatin1String("journal"))
        return commandJournal(r, options);
    if (options.command == QLatin1String("ports"))
        return commandPorts(r);
    if (options.command == QLatin1String("info"))
        return commandInfo(r, options, session);
    if (options.command == QLatin1String("read"))
        return commandRead(r, options, session);
    if (options.command == QLatin1String("verify"))
        return commandVerify(r, options, session);
    if (options.command == QLatin1String("program"))
        return commandProgram(r, options, session);
    if (options.command == QLatin1String("live"))
        return commandLive(r, options, session);
    return r.fail(kExitUsage, QStringLiteral("no command \"%1\"; see torvo-tci-cli --help").arg(options.command));
}

int runCommandLine(const QStringList &arguments, CliSession &session, CliOutput &out)
{
    const CommandLine line = parseCommandLine(arguments);
    switch (line.outcome) {
    case CommandLine::Outcome::Help:
        out.write(usageText());
        return kExitOk;
    case CommandLine::Outcome::Version:
        out.write(QByteArrayLiteral("torvo-tci-cli " TORVO_VERSION "\n"));
        return kExitOk;
    case CommandLine::Outcome::Usage:
        // Nothing asked at all: what can be asked, then what is wrong.
        if (line.options.command.isEmpty() && arguments.isEmpty())
            out.message(usageText());
        return Reply(out, line.options.json)
            .fail(kExitUsage, QStringLiteral("%1; see torvo-tci-cli --help").arg(line.error));
    case CommandLine::Outcome::Run:
        break;
    }
    return runCommand(line.options, session, out);
}
