// The commands run in process, as cli_lib runs them for torvo-tci-cli, over a
// scripted unit on a port in memory: every exit code with its one line (and
// its JSON object), the strict reading of parameter files, files the tool
// may and may not write, and live logs that continue a recording.
#include "cli/clisession.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "link/liveframe.h"
#include "link/liverow.h"
#include "params/parameterfile.h"
#include "params/setdiff.h"
#include "support/fake_transport.h"
#include "support/file_kinds.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

class MemoryOutput : public CliOutput
{
public:
    bool write(QByteArrayView bytes, QString *) override
    {
        out += bytes;
        return true;
    }
    void message(QByteArrayView bytes) override { err += bytes; }
    bool isTerminal() const override { return false; }
    QByteArray out, err;
};

struct Result
{
    int code = -1;
    QByteArray out, err;
    std::vector<Frame> sent; // what went to the unit
};

ParameterImage defaults()
{
    ParameterImage image;
    image.applyDefaults();
    return image;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CliCommands : public ::testing::Test
{
protected:
    CliCommands() { resetUnit(); }

    // A unit that answers and holds the default set.
    void resetUnit()
    {
        unit = ScriptedUnit();
        const ParameterImage set = defaults();
        std::copy(set.bytes.begin(), set.bytes.begin() + 50, unit.stored.begin());
    }

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }

    // Runs a command line on a session over the scripted unit, ticking every
    // millisecond; prepare may watch the session before it starts.
    Result run(const QStringList &arguments, const std::function<void(CliSession &)> &prepare = {},
               std::unique_ptr<FakeTransport> transport = std::make_unique<FakeTransport>())
    {
        transport->unit = &unit;
        FakeTransport *line = transport.get();
        CliSession session(std::move(transport), 1);
        if (prepare)
            prepare(session);
        MemoryOutput out;
        const int code = runCommandLine(QStringList{"--port", "/dev/ttyFAKE"} + arguments, session, out);
        return {code, out.out, out.err, line->sent};
    }

    // Ends a live log after n frames, as Ctrl+C would.
    static std::function<void(CliSession &)> interruptAfter(int frames)
    {
        return [frames](CliSession &s) {
            QObject::connect(&s.unit(), &UnitSession::liveDataReceived, &s, [&s, frames] {
                if (s.liveCount() >= frames)
                    s.interrupt();
            });
        };
    }

    QTemporaryDir dir;
    ScriptedUnit unit;
};

// Flips the last byte of every reply: a check that never holds.
class GarblingTransport : public FakeTransport
{
public:
    void send(const QByteArray &bytes) override
    {
        const qsizetype before = incoming.size();
        FakeTransport::send(bytes);
        if (incoming.size() > before)
            incoming[incoming.size() - 1] = static_cast<char>(incoming.back() ^ 0x01);
    }
};

} // namespace

TEST_F(CliCommands, UsageErrorsSayWhatIsWrong)
{
    const struct
    {
        QStringList arguments;
        const char *says;
    } cases[] = {
        {{"frobnicate"}, "no command \"frobnicate\""},
        {{"read", "--bogus"}, "unknown option --bogus"},
        {{"read", "--loop"}, "read takes no option --loop"},
        {{"verify"}, "verify needs a parameter file"},
        {{"verify", "a.ign", "b.ign"}, "verify takes one file, not also \"b.ign\""},
        {{"live", "--csv", "--json"}, "--csv and --json cannot go together"},
        {{"live", "-o"}, "-o needs a file"},
        {{"live", "--duration"}, "--duration needs a number of seconds"},
        // A duration is a finite time: the others would run for ever or overflow.
        {{"live", "--duration", "inf"}, "--duration takes a number of seconds from 0 to a year, not \"inf\""},
        {{"live", "--duration", "nan"}, "not \"nan\""},
        {{"live", "--duration", "1e300"}, "not \"1e300\""},
        {{"live", "--duration", "-1"}, "not \"-1\""},
        {{"live", "--duration", "abc"}, "not \"abc\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Result text = run(c.arguments);
        EXPECT_EQ(text.code, 1);
        EXPECT_TRUE(text.err.startsWith("torvo-tci-cli: ") && text.err.contains(c.says) && text.err.count('\n') == 1)
            << text.err.constData();
        EXPECT_EQ(text.out.isEmpty(), !c.arguments.contains("--json")) << text.out.constData();
        EXPECT_TRUE(text.sent.empty()) << "the unit is not asked";
        const Result json = run(QStringList{"--json"} + c.arguments);
        const QJsonObject error = QJsonDocument::fromJson(json.out).object();
        EXPECT_EQ(error.value("exit_code").toInt(), 1) << json.out.constData();
        EXPECT_TRUE(error.value("error").toString().contains(QString::fromUtf8(c.says))) << json.out.constData();
    }
    const Result help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("--lenient")) << help.out.constData();
    const Result version = run({"read", "--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("torvo-tci-cli ")) << version.out.constData();
}

// Without --lenient a file that leaves a field out or holds one beyond its
// control is refused before the unit is asked; with it the file reads as the
// window's Open reads it.
TEST_F(CliCommands, ParameterFilesAreReadStrictlyUnlessLenient)
{
    const QByteArray whole = parameterFileText(defaults());
    QByteArray outOfRange = whole;
    outOfRange.replace("LIMITER        70", "LIMITER      7000");
    const struct
    {
        const char *what;
        QByteArray text;
        const char *says; // after the file's name; empty: read
    } cases[] = {
        {"a whole file", whole, ""},
        {"a header and nothing else", "KORVELIN_KEY 16\r\n", ", line 1: RPM point 1: the file has no RPM_ADV line"},
        {"a limiter in rpm", outOfRange, ", line 7: Limiter: 700000 rpm (LIMITER 7000) is outside 900..25000 rpm"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = writeFile(path("set.ign"), c.text);
        for (const char *command : {"verify", "program"}) {
            SCOPED_TRACE(command);
            const QStringList arguments{command, file, "--no-wait"};
            const Result strict = run(command == QLatin1String("verify") ? arguments.mid(0, 2) : arguments);
            if (*c.says) {
                EXPECT_EQ(strict.code, 6);
                EXPECT_TRUE(strict.err.startsWith("torvo-tci-cli: " + file.toUtf8() + c.says)) << strict.err.constData();
                EXPECT_EQ(strict.err.count('\n'), 1) << strict.err.constData();
                EXPECT_TRUE(strict.sent.empty()) << "the unit is not asked";
            } else {
                EXPECT_EQ(strict.code, 0) << strict.err.constData();
            }
        }
    }
    // Leniently the header alone programs what the window would: the
    // tolerant reader's fields over the unit's own.
    const QString file = writeFile(path("set.ign"), "KORVELIN_KEY 16\r\n");
    const Result lenient = run({"program", file, "--no-wait", "--lenient"});
    EXPECT_EQ(lenient.code, 0) << lenient.err.constData();
    ParameterImage window;
    ASSERT_EQ(openParameterFile(file, window), OpenResult::Opened);
    const ParameterImage held = [&] {
        ParameterImage image;
        std::copy(unit.stored.begin(), unit.stored.end(), image.bytes.begin());
        return image;
    }();
    EXPECT_EQ(held.bytes, withFileFields(defaults(), window).bytes);
}

TEST_F(CliCommands, FaultsGiveTheirExitCodesOnOneLineAndAsJson)
{
    writeFile(path("set.ign"), parameterFileText(defaults()));
    writeFile(path("foreign.ign"), "KORVELIN_KEY 15\n");
    ParameterImage other = defaults();
    other[ParameterImage::kLimiter] = 95;
    writeFile(path("other.ign"), parameterFileText(other));
    const int limiter = defaults()[ParameterImage::kLimiter] * 100;
    const struct
    {
        const char *what;
        std::function<void(ScriptedUnit &)> fault;
        QStringList arguments;
        int code;
        QByteArray err; // in the one line on stderr; empty: none
        QByteArray out; // in standard output, spaces simplified
        bool garbled = false;
    } cases[] = {
        {"a silent unit", [](ScriptedUnit &u) { u.connected = false; }, {"read"}, 4, "no answer from the unit", {}},
        {"a unit whose replies are garbled", {}, {"read"}, 4, "garbled replies", {}, true},
        {"another protocol version", [](ScriptedUnit &u) { u.setVersion(15); }, {"info"}, 5, "protocol version 15", {}},
        {"a unit that echoes another block", [](ScriptedUnit &u) { u.echoCorruptAt = 3; },
         {"program", path("set.ign"), "--no-wait"}, 3, "differs from the set sent", {}},
        {"a unit that reads back another block", [](ScriptedUnit &u) { u.storedCorruptAt = 3; },
         {"program", path("set.ign"), "--no-wait"}, 3, "differs", {}},
        {"a verify against another limiter", {}, {"verify", path("other.ign")}, 3, {},
         QStringLiteral("Limiter unit %1 file 9500").arg(limiter).toUtf8()},
        {"an output that cannot be written", {}, {"read", "-o", path("set.ign") + "/x.ign"}, 6, "cannot write", {}},
        {"a file of another version", {}, {"verify", path("foreign.ign")}, 6, "Unmatched version", {}},
        {"a file that is not there", {}, {"program", path("missing.ign")}, 6, "cannot read", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool json : {false, true}) {
            resetUnit();
            if (c.fault)
                c.fault(unit);
            const QStringList arguments = (json ? QStringList{"--json"} : QStringList{}) + c.arguments;
            const Result r = c.garbled ? run(arguments, {}, std::make_unique<GarblingTransport>()) : run(arguments);
            EXPECT_EQ(r.code, c.code) << r.err.constData();
            EXPECT_EQ(r.err.count('\n'), c.err.isEmpty() ? 0 : 1) << "one clear line: " << r.err.constData();
            EXPECT_TRUE(r.err.contains(c.err)) << r.err.constData();
            if (!json) {
                EXPECT_TRUE(r.out.simplified().contains(c.out)) << r.out.constData();
            } else if (!c.err.isEmpty()) {
                const QJsonObject error = QJsonDocument::fromJson(r.out).object();
                EXPECT_EQ(error.value("exit_code").toInt(), c.code) << r.out.constData();
                EXPECT_EQ("torvo-tci-cli: " + error.value("error").toString().toUtf8() + "\n", r.err);
            }
        }
    }
}

// Storing is followed through the live data until the unit says it is done;
// a unit that falls silent on the way may hold half a set: exit 4.
TEST_F(CliCommands, ProgramFollowsTheStoringToItsEnd)
{
    const QString file = writeFile(path("set.ign"), parameterFileText(defaults()));
    for (const bool cutOff : {false, true}) {
        SCOPED_TRACE(cutOff ? "cut off" : "to its end");
        resetUnit();
        const Result r = run({"program", file}, [&](CliSession &s) {
            QObject::connect(&s.unit(), &UnitSession::operationSucceeded, &s, [&](Operation done) {
                if (done == Operation::Program)
                    unit.live.savingCountdown = static_cast<std::uint16_t>(kUnitSavingStart * 6 / 10);
            });
            QObject::connect(&s.unit(), &UnitSession::liveDataReceived, &s, [&](const LiveData &live) {
                if (live.savingCountdown == 0)
                    return;
                if (cutOff)
                    unit.connected = false;
                else
                    unit.live.savingCountdown = 0;
            });
        });
        EXPECT_EQ(r.code, cutOff ? 4 : 0) << r.err.constData();
        EXPECT_TRUE(r.out.contains("storing 40%")) << r.out.constData();
        EXPECT_EQ(r.out.contains("storing done"), !cutOff) << r.out.constData();
        EXPECT_EQ(r.err.contains("storing cut off at 40%"), cutOff) << r.err.constData();
    }
}

// Every path the tool reads or writes, over each kind of thing it may name:
// a FIFO, a device or a folder is refused with exit 6 and one line, and left
// as it was (run as root, "read -o /dev/null" replaced /dev/null); a link
// is written through.
TEST_F(CliCommands, FilesAndLinksAreUsedAndAnythingElseIsExitSix)
{
    const struct
    {
        const char *what;
        QStringList arguments; // the path goes last
        QByteArray before;
        bool writes;
        QByteArray lead; // what a written file starts with
    } commands[] = {
        {"read -o", {"read", "-o"}, "old", true, "KORVELIN_KEY"},
        {"live -o", {"live", "--csv", "--duration", "0", "-o"}, "", true, "time,rpm,"},
        {"verify", {"verify"}, parameterFileText(defaults()), false, {}},
    };
    int n = 0;
    for (const auto &c : commands) {
        for (const FileKind kind : kFileKinds) {
            SCOPED_TRACE(std::string(c.what) + " on a " + kindName(kind));
            const QString file = path(QStringLiteral("file%1").arg(++n));
            ASSERT_TRUE(makeFileKind(file, kind, c.before));
            const Result r = run(c.arguments + QStringList{file});
            const bool used = isUsable(kind) || (c.writes && kind == FileKind::Missing);
            EXPECT_EQ(r.code, used ? 0 : 6) << r.err.constData();
            if (!used) {
                EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
                EXPECT_EQ(whatIsAt(file), untouched(kind, file));
            } else if (c.writes) {
                const std::string lead = (kind == FileKind::LinkToRegular
                                              ? "link to " + QFileInfo(file).fileName().toStdString() + ".target: "
                                              : std::string())
                                         + "file: " + c.lead.toStdString();
                EXPECT_EQ(whatIsAt(file).substr(0, lead.size()), lead);
            }
        }
    }
}

// info and read as a script reads them: the unit's texts cannot steer the
// terminal, and dates and times in JSON are ISO 8601.
TEST_F(CliCommands, InfoShowsTheUnitSafelyAndDatesInIso8601)
{
    unit.identity.name = QStringLiteral("\x1b\r\x07");
    const Result text = run({"info"});
    ASSERT_EQ(text.code, 0) << text.err.constData();
    EXPECT_TRUE(text.out.contains("unit              ???07\n")) << text.out.constData();
    for (char byte : text.out)
        EXPECT_TRUE(byte == '\n' || static_cast<unsigned char>(byte) >= 0x20) << int(byte);
    for (const char *command : {"info", "read"}) {
        const Result json = run({"--json", command});
        ASSERT_EQ(json.code, 0) << json.err.constData();
        const QJsonObject o = QJsonDocument::fromJson(json.out).object();
        EXPECT_EQ(o.value("name").toString(), QStringLiteral("\x1b\r\x07" "07")) << command;
        EXPECT_EQ(o.value("date").toString(), "2004-03-03") << command;
        EXPECT_EQ(o.value("time").toString(), "09:05:00") << command;
    }
}

// live writes one row per frame, and -o continues a recording of the same
// form and columns, as the window's recording does; anything else is
// refused with exit 6 and left as it was.
TEST_F(CliCommands, LiveContinuesALogOfTheSameColumnsOnly)
{
    const QByteArray header = "time,rpm,voltage_v,advance_deg,blocking,neutral,side_stand,storing_percent,data_error\n";
    const QByteArray csvRow = "2026-01-02T10:00:00.000,1500,13.8,12,0,1,1,0,0\n";
    const QByteArray jsonRow = liverow::row(liverow::Format::Json, QDateTime::currentDateTime(), LiveData{});
    const struct
    {
        const char *what;
        QStringList format;
        QByteArray before;
        int code;
    } cases[] = {
        {"a new CSV log", {"--csv"}, {}, 0},
        {"a CSV log continued", {"--csv"}, header + csvRow, 0},
        {"a CSV log cut off inside a row", {"--csv"}, header + csvRow.left(20), 0},
        {"a JSON log continued", {"--json"}, jsonRow, 0},
        {"a text log over a CSV one", {}, header + csvRow, 6},
        {"a CSV log over other columns", {"--csv"}, "time,rpm\n1,2\n", 6},
        {"a JSON log over a CSV one", {"--json"}, header, 6},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = path("ride.log");
        QFile::remove(file);
        if (!c.before.isEmpty())
            writeFile(file, c.before);
        const Result r = run(QStringList{"live", "-o", file} + c.format, interruptAfter(3));
        EXPECT_EQ(r.code, c.code) << r.err.constData();
        const QByteArray after = readFile(file);
        if (c.code != 0) {
            EXPECT_EQ(after, c.before);
            EXPECT_TRUE(r.err.contains("something else than a live-data recording")) << r.err.constData();
            continue;
        }
        EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
        const QList<QByteArray> rows = after.trimmed().split('\n');
        const bool csv = c.format.contains("--csv");
        const qsizetype kept = c.before.count('\n') + (c.before.endsWith('\n') || c.before.isEmpty() ? 0 : 1);
        EXPECT_TRUE(after.startsWith(c.before)) << after.constData();
        EXPECT_EQ(rows.size(), std::max<qsizetype>(kept, csv ? 1 : 0) + 3) << after.constData();
        for (qsizetype i = std::max<qsizetype>(kept, csv ? 1 : 0); i < rows.size(); ++i) {
            const bool whole = csv ? rows[i].count(',') == 8 : QJsonDocument::fromJson(rows[i]).isObject();
            EXPECT_TRUE(whole) << rows[i].constData();
        }
    }
    // On standard output: the header once, then a row a frame.
    const Result out = run({"live", "--csv"}, interruptAfter(2));
    EXPECT_EQ(out.code, 0);
    EXPECT_TRUE(out.out.startsWith(header)) << out.out.constData();
    EXPECT_EQ(out.out.count('\n'), 3) << out.out.constData();
}

TEST_F(CliCommands, PortsListsTheDevicesAsJson)
{
    const Result ports = run({"--json", "ports"});
    ASSERT_EQ(ports.code, 0) << ports.err.constData();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(ports.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << ports.out.constData();
    EXPECT_TRUE(doc.isArray());
    for (const QJsonValue &device : doc.array())
        EXPECT_TRUE(device.toObject().value("path").toString().startsWith("/dev/")) << ports.out.constData();
}

// The bench under --json: one object a unit, by its number, a failure with
// its reason and code; after Ctrl+C a summary, and the exit code of the
// failure since not every unit took the set.
TEST_F(CliCommands, TheBenchLoopReportsEveryUnitAndFailsWhenOneFailed)
{
    const QString file = writeFile(path("set.ign"), parameterFileText(defaults()));
    int unplugged = 0;
    const Result r = run({"--json", "program", file, "--loop", "--no-wait"}, [&](CliSession &s) {
        const auto unplug = [&](Operation done) {
            if (done == Operation::Program)
                unit.connected = false;
        };
        QObject::connect(&s.unit(), &UnitSession::operationSucceeded, &s, unplug);
        QObject::connect(&s.unit(), &UnitSession::operationFailed, &s, unplug);
        QObject::connect(&s.unit(), &UnitSession::connectionChanged, &s, [&](bool connected) {
            if (connected)
                return;
            if (++unplugged == 2) {
                s.interrupt();
                return;
            }
            // The next unit echoes another block than it was sent.
            unit.connected = true;
            unit.echoCorruptAt = 3;
        });
    });
    EXPECT_EQ(r.code, 3) << r.err.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << r.out.constData();
    const QJsonObject first = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(first.value("unit").toInt(), 1);
    EXPECT_TRUE(first.value("programmed").toBool());
    EXPECT_EQ(first.value("name").toString(), "TCI07");
    const QJsonObject second = QJsonDocument::fromJson(lines[1]).object();
    EXPECT_EQ(second.value("unit").toInt(), 2);
    EXPECT_FALSE(second.value("programmed").toBool());
    EXPECT_EQ(second.value("exit_code").toInt(), 3);
    EXPECT_TRUE(second.value("error").toString().contains("differs from the set sent")) << lines[1].constData();
    const QJsonObject summary = QJsonDocument::fromJson(lines[2]).object();
    EXPECT_EQ(summary.value("programmed").toInt(), 1);
    EXPECT_EQ(summary.value("failed").toInt(), 1);
    EXPECT_EQ(summary.value("exit_code").toInt(), 3);
    EXPECT_TRUE(r.err.contains("waiting for a unit...")) << "the prompts stay off the JSON";
}

// Read, program and verify keep the window's journal, --no-journal keeps
// nothing, and journal lists it newest first; a journal that cannot be
// written is one line on standard error and changes no exit code.
TEST_F(CliCommands, TheJournalKeepsWhatTheCommandsDidAndListsIt)
{
    const QByteArray home = qgetenv("TORVO_TCI_HOME");
    qputenv("TORVO_TCI_HOME", QFile::encodeName(path("home")));
    const auto restoreHome = qScopeGuard([&] { qputenv("TORVO_TCI_HOME", home); });
    ASSERT_TRUE(QDir().mkpath(path("home")));
    const QString set = writeFile(path("set.ign"), parameterFileText(defaults()));
    unit.live.programmingCount = 17;

    for (const QStringList &arguments : {QStringList{"read"}, QStringList{"program", set, "--no-wait"},
                                         QStringList{"verify", set}, QStringList{"--no-journal", "read"}}) {
        const Result r = run(arguments);
        ASSERT_EQ(r.code, 0) << r.err.constData();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    }
    const Result all = run({"journal", "--json"});
    ASSERT_EQ(all.code, 0);
    const QJsonArray entries = QJsonDocument::fromJson(all.out).array();
    QStringList operations;
    for (const QJsonValue &e : entries) {
        operations << e["operation"].toString();
        EXPECT_EQ(e["result"].toString(), "ok");
        EXPECT_EQ(e["counter"].toInt(-1), 17);
        EXPECT_TRUE(e["firmware"].toString().startsWith("TCI07"));
        EXPECT_TRUE(QDateTime::fromString(e["time"].toString(), Qt::ISODate).isValid());
        EXPECT_EQ(readFile(e["file"].toString()), parameterFileText(defaults()));
        EXPECT_EQ(e["differing"].toInt(-1), operations.size() == entries.size() ? -1 : 0);
    }
    EXPECT_EQ(operations, (QStringList{"verify", "program", "read", "read"}));
    EXPECT_EQ(QDir(path("home/journal")).entryList({"*.ign"}).size(), 1) << "one set, one file";
    EXPECT_EQ(QJsonDocument::fromJson(run({"journal", "--json", "--limit", "2"}).out).array(),
              QJsonArray::fromVariantList(entries.toVariantList().mid(0, 2)));
    const Result table = run({"journal", "--limit", "1"});
    EXPECT_EQ(table.out.count('\n'), 2) << table.out.constData();
    EXPECT_TRUE(table.out.contains("verify")) << table.out.constData();

    // A file where the journal's folder belongs.
    ASSERT_TRUE(QDir(path("home/journal")).removeRecursively());
    writeFile(path("home/journal"), "mine");
    for (const bool json : {false, true}) {
        const Result r = run(json ? QStringList{"--json", "read"} : QStringList{"read"});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.err.startsWith("torvo-tci-cli: The journal was not kept:")) << r.err.constData();
        if (json) {
            EXPECT_TRUE(QJsonDocument::fromJson(r.out).object().contains("set"));
        }
    }
    EXPECT_EQ(readFile(path("home/journal")), "mine");
    ASSERT_TRUE(QFile::remove(path("home/journal")));
    ASSERT_TRUE(QDir().mkpath(path("home/journal")));
    ASSERT_TRUE(makeFileKind(path("home/journal/journal.csv"), FileKind::Fifo));
    EXPECT_EQ(run({"journal"}).code, 6) << "a journal that cannot be read is no empty one";
    EXPECT_EQ(run({"journal", "--limit", "x"}).code, 1);
    EXPECT_EQ(run({"read", "--limit", "3"}).code, 1);
}
