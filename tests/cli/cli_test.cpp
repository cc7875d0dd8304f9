// torvo-tci-cli as a script uses it: every sub-command against the simulated
// unit, its fault knobs, and the exit codes.
#include "support/simulator_process.h"

#include "params/parameterfile.h"

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

namespace {

struct Result
{
    int code = -1;
    QByteArray out, err;
};

// Runs the command line tool with a settings folder of the test's own.
Result cli(const QString &home, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVO_TCI_HOME", home);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TORVO_CLI_PATH), arguments);
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
    for (const char *duration : {"nan", "inf", "-1", "1e300"})
        EXPECT_EQ(run({"live", "--duration", duration}).code, 1) << duration;
    EXPECT_EQ(run({"live", "--csv", "--duration"}).code, 1) << "a duration without its number";
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
    const struct
    {
        const char *what;
        QStringList simulator;
        QStringList arguments;
        int code;
    } cases[] = {
        {"a silent unit", {"--silent"}, {"read"}, 4},
        {"another protocol version", {"--version", "15"}, {"info"}, 5},
        {"a unit that does not take the set", {"--corrupt-echo"}, {"program", path("set.ign"), "--no-wait"}, 4},
        {"an output file that cannot be written", {}, {"read", "-o", path("set.ign") + "/x.ign"}, 6},
        {"a file of another version", {}, {"verify", path("foreign.ign")}, 6},
        {"a file that is not there", {}, {"program", path("missing.ign")}, 6},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SimulatorProcess sim;
        START_SIMULATOR(sim, c.simulator);
        const Result r = run(QStringList{"--port", sim.pty} + c.arguments);
        EXPECT_EQ(r.code, c.code) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << "one clear line: " << r.err.constData();
    }
    const Result missing = run({"--port", path("no-such-device"), "read"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("no-such-device")) << missing.err.constData();
    EXPECT_TRUE(missing.err.contains("torvo-tci-cli ports")) << missing.err.constData();
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

TEST_F(CliTest, TheBenchLoopCountsEveryUnitPluggedIn)
{
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVO_TCI_HOME", dir.path());
    bench.setProcessEnvironment(env);
    bench.start(QStringLiteral(TORVO_CLI_PATH), {"--port", link, "program", path("set.ign"), "--loop"});
    QByteArray out;
    auto waitForOutput = [&](const QByteArray &text) {
        return QTest::qWaitFor(
            [&] {
                out += bench.readAllStandardOutput();
                return out.contains(text);
            },
            30000);
    };
    ASSERT_TRUE(waitForOutput("unit 1 programmed")) << out.constData();
    ASSERT_TRUE(waitForOutput("unplug the unit"));
    first->stop();
    ASSERT_TRUE(waitForOutput("waiting for a unit")) << out.constData();

    SimulatorProcess second;
    START_SIMULATOR(second);
    ASSERT_TRUE(pointLink(second.pty));
    ASSERT_TRUE(waitForOutput("unit 2 programmed")) << out.constData();
    ::kill(static_cast<pid_t>(bench.processId()), SIGINT);
    ASSERT_TRUE(bench.waitForFinished(30000));
    out += bench.readAllStandardOutput();
    EXPECT_EQ(bench.exitCode(), 0);
    EXPECT_TRUE(out.contains("2 units programmed, 0 failed")) << out.constData();
}
