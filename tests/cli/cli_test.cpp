// torvo-tci-cli as a script uses it: every sub-command against the simulated
// unit, its fault knobs, and the exit codes.
#include "support/simulator_process.h"

#include "params/parameterfile.h"
#include "support/file_kinds.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

namespace {

struct Result
{
    int code = -1;
    QByteArray out, err;
};

// Starts the command line tool with a settings folder of the test's own, and
// system texts in English.
void startCli(QProcess &process, const QString &home, const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVO_TCI_HOME", home);
    env.insert("LC_ALL", "C");
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TORVO_CLI_PATH), arguments);
}

// Runs the command line tool to its end.
Result cli(const QString &home, const QStringList &arguments)
{
    QProcess process;
    startCli(process, home, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

ParameterImage defaults()
{
    ParameterImage image;
    image.applyDefaults();
    return image;
}

// The simulator's store: the 50 numbers of the block it holds.
QString storeText(const ParameterImage &image)
{
    QString text;
    for (int i = 0; i < 50; ++i)
        text += QString::number(image[i]) + (i % 10 == 9 ? "\n" : " ");
    return text;
}

class CliTest : public ::testing::Test
{
protected:
    QString path(const char *name) const { return QDir(dir.path()).filePath(name); }
    Result run(const QStringList &arguments) { return cli(dir.path(), arguments); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliTest, UsageHelpAndVersion)
{
    EXPECT_EQ(run({}).code, 1);
    EXPECT_EQ(run({"frobnicate"}).code, 1);
    EXPECT_EQ(run({"read", "--bogus"}).code, 1);
    EXPECT_EQ(run({"verify"}).code, 1) << "verify needs a file";
    // A duration is a finite time: the others would run for ever or overflow.
    for (const char *duration : {"inf", "nan", "-inf", "1e300", "-1", "abc", ""})
        EXPECT_EQ(run({"live", "--duration", duration}).code, 1) << duration;
    EXPECT_EQ(run({"live", "--duration"}).code, 1) << "--duration needs a time";
    EXPECT_EQ(run({"live", "-o"}).code, 1) << "-o needs a file";
    const Result help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("5 protocol version mismatch")) << help.out.constData();
    const Result version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("torvo-tci-cli "));
}

TEST_F(CliTest, PortsListsTheDevicesAsJson)
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

TEST_F(CliTest, LinksNeitherWidgetsNorGui)
{
    QProcess readelf;
    readelf.start("readelf", {"-d", QStringLiteral(TORVO_CLI_PATH)});
    if (!readelf.waitForFinished(20000) || readelf.exitCode() != 0)
        GTEST_SKIP() << "readelf is not available";
    const QByteArray needed = readelf.readAllStandardOutput();
    EXPECT_TRUE(needed.contains("libQt6Core")) << needed.constData();
    EXPECT_FALSE(needed.contains("libQt6Gui")) << needed.constData();
    EXPECT_FALSE(needed.contains("libQt6Widgets")) << needed.constData();
}

TEST_F(CliTest, ReadVerifyProgramAndInfoAgainstTheUnit)
{
    const QString store = writeFile(path("unit.txt"), storeText(defaults()).toUtf8());
    SimulatorProcess sim;
    START_SIMULATOR(sim, "--store", store, "--name", "ABC", "--number", "42");

    // read -o writes what Save writes.
    const Result read = run({"--port", sim.pty, "read", "-o", path("unit.ign")});
    ASSERT_EQ(read.code, 0) << read.err.constData();
    QFile saved(path("unit.ign"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), parameterFileText(defaults()));

    // The same set verifies; another is named point by point, exit 3.
    EXPECT_EQ(run({"--port", sim.pty, "verify", path("unit.ign")}).code, 0);
    ParameterImage other = defaults();
    other.advance(2) = 27;
    other[ParameterImage::kLimiter] = 95;
    writeFile(path("other.ign"), parameterFileText(other));
    const Result differs = run({"--port", sim.pty, "--json", "verify", path("other.ign")});
    ASSERT_EQ(differs.code, 3) << differs.err.constData();
    const QJsonArray list = QJsonDocument::fromJson(differs.out).object().value("differences").toArray();
    ASSERT_EQ(list.size(), 2) << differs.out.constData();
    EXPECT_EQ(list[0].toObject().value("field").toString(), "Advance point 3");
    EXPECT_EQ(list[0].toObject().value("unit").toInt(), 20);
    EXPECT_EQ(list[0].toObject().value("file").toInt(), 27);
    EXPECT_EQ(list[1].toObject().value("field").toString(), "Limiter");
    const Result differsText = run({"--port", sim.pty, "verify", path("other.ign")});
    EXPECT_EQ(differsText.code, 3);
    EXPECT_TRUE(differsText.out.simplified().contains("Advance point 3 unit 20 file 27")) << differsText.out.constData();

    // Program it, and the unit holds it.
    const Result program = run({"--port", sim.pty, "program", path("other.ign"), "--no-wait"});
    ASSERT_EQ(program.code, 0) << program.err.constData();
    EXPECT_EQ(run({"--port", sim.pty, "verify", path("other.ign")}).code, 0);
    QFile held(store);
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(held.readAll()), storeText(other));

    // Without --no-wait it follows the storing to its end.
    const Result waited = run({"--port", sim.pty, "program", path("unit.ign")});
    ASSERT_EQ(waited.code, 0) << waited.err.constData();
    EXPECT_TRUE(waited.out.contains("storing done")) << waited.out.constData();

    const Result info = run({"--port", sim.pty, "--json", "info"});
    ASSERT_EQ(info.code, 0) << info.err.constData();
    const QJsonObject unit = QJsonDocument::fromJson(info.out).object();
    EXPECT_EQ(unit.value("name").toString(), "ABC42");
    EXPECT_EQ(unit.value("protocol_version").toInt(), 16);
    EXPECT_EQ(unit.value("programming_count").toInt(), 2);
    EXPECT_TRUE(unit.value("live").toObject().contains("rpm"));
}

TEST_F(CliTest, FaultsGiveTheirExitCodes)
{
    writeFile(path("set.ign"), parameterFileText(defaults()));
    writeFile(path("foreign.ign"), "KORVELIN_KEY 15\n");
    // Half stored: the curve's last five speeds are still an older, lower set.
    ParameterImage halfStored = defaults();
    for (int k = 5; k < ParameterImage::kPoints; ++k)
        halfStored.rpmAdv(k) = static_cast<std::uint8_t>(5 * k);
    const QString halfStore = writeFile(path("half.txt"), storeText(halfStored).toUtf8());
    const int limiter = defaults()[ParameterImage::kLimiter] * 100;
    const QByteArray wrongLimiter = QStringLiteral("Limiter unit %1 file %2").arg(limiter + 100).arg(limiter).toUtf8();
    const struct
    {
        const char *what;
        QStringList simulator;
        QStringList arguments;
        int code;
        QByteArray err; // in the one line on stderr
        QByteArray out; // in standard output, spaces simplified
    } cases[] = {
        {"a silent unit", {"--silent"}, {"read"}, 4, "no answer from the unit", {}},
        {"a unit whose replies are garbled", {"--bad-check"}, {"read"}, 4, "garbled replies", {}},
        {"another protocol version", {"--version", "15"}, {"info"}, 5, "protocol version 15", {}},
        {"a unit that echoes another block", {"--corrupt-echo"}, {"program", path("set.ign"), "--no-wait"}, 3,
         "differs from the set sent", {}},
        {"a unit that reads back another block", {"--wrong-byte", "3"}, {"program", path("set.ign"), "--no-wait"}, 3,
         "differs from the set sent", {}},
        {"a verify against a unit that holds another limiter", {"--wrong-byte", "3"}, {"verify", path("set.ign")}, 3,
         {}, wrongLimiter},
        {"a verify against a half-stored set", {"--store", halfStore}, {"verify", path("set.ign")}, 3, {},
         "RPM point 6 unit 2500 file 6000"},
        {"storing cut off", {"--silent-after-storing", "40"}, {"program", path("set.ign")}, 4,
         "storing cut off at 40%", "storing 40%"},
        {"an output file that cannot be written", {}, {"read", "-o", path("set.ign") + "/x.ign"}, 6, "cannot write", {}},
        {"a file of another version", {}, {"verify", path("foreign.ign")}, 6, "Unmatched version", {}},
        {"a file that is not there", {}, {"program", path("missing.ign")}, 6, "cannot read", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SimulatorProcess sim;
        START_SIMULATOR(sim, c.simulator);
        const Result r = run(QStringList{"--port", sim.pty} + c.arguments);
        EXPECT_EQ(r.code, c.code) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), c.err.isEmpty() ? 0 : 1) << "one clear line: " << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.constData();
        EXPECT_TRUE(r.out.simplified().contains(c.out)) << r.out.constData();
        EXPECT_FALSE(r.out.contains("storing done")) << r.out.constData();
    }
    const Result missing = run({"--port", path("no-such-device"), "read"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("no-such-device")) << missing.err.constData();
    EXPECT_TRUE(missing.err.contains("torvo-tci-cli ports")) << missing.err.constData();
}

// Every path the tool reads or writes, over each kind of thing it may name:
// a FIFO, a device or a folder is refused with exit 6 and one line, and left
// as it was (run as root, "read -o /dev/null" replaced /dev/null); a link
// is written through.
TEST_F(CliTest, FilesAndLinksAreUsedAndAnythingElseIsExitSix)
{
    const QString store = writeFile(path("unit.txt"), storeText(defaults()).toUtf8());
    SimulatorProcess sim;
    START_SIMULATOR(sim, "--store", store);
    const struct
    {
        const char *what;
        QStringList arguments; // the path goes last
        QByteArray before;
        bool writes;
        QByteArray lead; // what a written file starts with
    } commands[] = {
        {"read -o", {"read", "-o"}, "old", true, "KORVELIN_KEY"},
        {"live -o", {"live", "--csv", "--duration", "0.3", "-o"}, "", true, "time,rpm,"},
        {"verify", {"verify"}, parameterFileText(defaults()), false, {}},
    };
    int n = 0;
    for (const auto &c : commands) {
        for (const FileKind kind : kFileKinds) {
            SCOPED_TRACE(std::string(c.what) + " on a " + kindName(kind));
            const QString file = path(qPrintable(QStringLiteral("file%1").arg(++n)));
            ASSERT_TRUE(makeFileKind(file, kind, c.before));
            const Result r = run(QStringList{"--port", sim.pty} + c.arguments + QStringList{file});
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

TEST_F(CliTest, APortHeldByAnotherProgramIsInUse)
{
    SimulatorProcess sim;
    START_SIMULATOR(sim);
    QProcess holder;
    startCli(holder, dir.path(), {"--port", sim.pty, "live"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return holder.canReadLine(); }, 30000)) << "the first one has the port";
    const Result second = run({"--port", sim.pty, "info"});
    EXPECT_EQ(second.code, 2);
    EXPECT_TRUE(second.err.contains("in use by another program")) << second.err.constData();
    EXPECT_FALSE(second.err.contains("dialout")) << second.err.constData();
    holder.kill();
    holder.waitForFinished();
}

TEST_F(CliTest, TheUnitsTextsCannotSteerTheTerminal)
{
    const struct
    {
        const char *nameHex;
        QString json; // the name as JSON carries it
        QString text; // as the text output shows it
    } cases[] = {
        {"1b0d07", QStringLiteral("\x1b\r\x07" "07"), QStringLiteral("???07")},
        {"81e841", QStringLiteral("\ufffd\u010dA07"), QStringLiteral("?\u010dA07")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.nameHex);
        SimulatorProcess sim;
        START_SIMULATOR(sim, "--name-hex", c.nameHex);
        const Result text = run({"--port", sim.pty, "info"});
        ASSERT_EQ(text.code, 0) << text.err.constData();
        EXPECT_TRUE(QString::fromUtf8(text.out).contains("unit              " + c.text + "\n")) << text.out.constData();
        for (char byte : text.out)
            EXPECT_TRUE(byte == '\n' || static_cast<unsigned char>(byte) >= 0x20) << int(byte);
        const Result json = run({"--port", sim.pty, "--json", "info"});
        ASSERT_EQ(json.code, 0) << json.err.constData();
        EXPECT_EQ(QJsonDocument::fromJson(json.out).object().value("name").toString(), c.json) << json.out.constData();
    }
}

TEST_F(CliTest, LiveWritesOneRowPerFrame)
{
    SimulatorProcess sim;
    START_SIMULATOR(sim);
    const Result csv = run({"--port", sim.pty, "live", "--csv", "--duration", "1.5", "-o", path("live.csv")});
    ASSERT_EQ(csv.code, 0) << csv.err.constData();
    QFile file(path("live.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "time,rpm,voltage_v,advance_deg,blocking,neutral,side_stand,storing_percent,data_error");
    for (qsizetype i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].count(','), 8) << lines[i].constData();

    const Result json = run({"--port", sim.pty, "live", "--json", "--duration", "1"});
    ASSERT_EQ(json.code, 0);
    const QList<QByteArray> rows = json.out.trimmed().split('\n');
    ASSERT_FALSE(rows.isEmpty());
    for (const QByteArray &row : rows) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(row, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << row.constData();
        EXPECT_TRUE(doc.object().contains("voltage_v"));
    }
}

TEST_F(CliTest, ALiveLogKeepsItsRowsWhenItIsCutOff)
{
    SimulatorProcess sim;
    START_SIMULATOR(sim);
    const QByteArray header = "time,rpm,voltage_v,advance_deg,blocking,neutral,side_stand,storing_percent,data_error";
    const struct
    {
        const char *what;
        QStringList format;
        int signal;      // sent once rows are in the file; 0: none
        long long limit; // on the size of the file; -1: none
        int code;        // -1: killed
        QByteArray err;
    } cases[] = {
        {"a closed terminal", {"--csv"}, SIGHUP, -1, 0, {}},
        {"a kill", {"--csv"}, SIGKILL, -1, -1, {}},
        {"a full disk under CSV", {"--csv"}, 0, 300, 6, "File too large"},
        {"a full disk under JSON", {"--json"}, 0, 700, 6, "File too large"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = path("ride.log");
        QFile::remove(file);
        QProcess live;
        const long long limit = c.limit;
        live.setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            if (limit >= 0) {
                const rlimit size{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
                ::setrlimit(RLIMIT_FSIZE, &size);
            }
        });
        startCli(live, dir.path(), QStringList{"--port", sim.pty, "live", "-o", file} + c.format);
        auto lines = [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll().count('\n') : 0;
        };
        if (c.signal != 0) {
            // The first rows reach the file within a second of their own.
            ASSERT_TRUE(QTest::qWaitFor([&] { return lines() >= 3 || live.state() == QProcess::NotRunning; }, 30000));
            ::kill(static_cast<pid_t>(live.processId()), c.signal);
        }
        ASSERT_TRUE(live.waitForFinished(30000));
        const QByteArray err = live.readAllStandardError();
        EXPECT_EQ(live.exitStatus() == QProcess::NormalExit ? live.exitCode() : -1, c.code) << err.constData();
        EXPECT_TRUE(err.contains(c.err)) << err.constData();
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        EXPECT_TRUE(text.endsWith('\n')) << "whole rows only: " << text.constData();
        const QList<QByteArray> rows = text.trimmed().split('\n');
        EXPECT_GE(rows.size(), 3) << text.constData();
        const bool csv = c.format.contains("--csv");
        EXPECT_EQ(rows.value(0) == header, csv);
        for (qsizetype i = csv ? 1 : 0; i < rows.size(); ++i) {
            const bool whole = csv ? rows[i].count(',') == 8 : QJsonDocument::fromJson(rows[i]).isObject();
            EXPECT_TRUE(whole) << rows[i].constData();
        }
    }
}

TEST_F(CliTest, TheBenchLoopCountsEveryUnitPluggedIn)
{
    // One unit takes the set; the next falls silent while storing it, which
    // leaves it half stored: a failure, not a programmed unit.
    writeFile(path("set.ign"), parameterFileText(defaults()));
    const QString link = path("ttyBENCH");
    auto pointLink = [&](const QString &target) {
        QFile::remove(link + ".new");
        return QFile::link(target, link + ".new")
               && std::rename(QFile::encodeName(link + ".new"), QFile::encodeName(link)) == 0;
    };
    auto first = std::make_unique<SimulatorProcess>();
    START_SIMULATOR(*first);
    ASSERT_TRUE(pointLink(first->pty));

    QProcess bench;
    startCli(bench, dir.path(), {"--port", link, "program", path("set.ign"), "--loop"});
    QByteArray out;
    // Waits for the nth time the bench says text.
    auto waitForOutput = [&](const QByteArray &text, int nth) {
        return QTest::qWaitFor(
            [&] {
                out += bench.readAllStandardOutput();
                return out.count(text) >= nth;
            },
            30000);
    };
    ASSERT_TRUE(waitForOutput("unit 1 programmed", 1)) << out.constData();
    ASSERT_TRUE(waitForOutput("unplug the unit", 1));
    // Unplugged, the name is gone: the bench must not find some other
    // program's terminal that takes over the number of the first one's.
    ASSERT_TRUE(QFile::remove(link));
    first->stop();
    ASSERT_TRUE(waitForOutput("waiting for a unit", 2)) << out.constData();

    SimulatorProcess second;
    START_SIMULATOR(second, "--silent-after-storing", "40");
    ASSERT_TRUE(pointLink(second.pty));
    ASSERT_TRUE(waitForOutput("waiting for a unit", 3)) << out.constData();
    ::kill(static_cast<pid_t>(bench.processId()), SIGINT);
    ASSERT_TRUE(bench.waitForFinished(30000));
    out += bench.readAllStandardOutput();
    EXPECT_EQ(bench.exitCode(), 4) << "not every unit took the set";
    EXPECT_TRUE(out.contains("storing 40%")) << out.constData();
    EXPECT_TRUE(out.contains("unit 2 failed: storing cut off at 40%")) << out.constData();
    EXPECT_TRUE(out.contains("1 units programmed, 1 failed")) << out.constData();
    const QByteArray err = bench.readAllStandardError();
    EXPECT_TRUE(err.contains("storing cut off at 40%")) << err.constData();
}
