// torvo-tci-cli as a script uses it, as a process over the simulator's
// terminal: a smoke test of read, verify, program and info, the bench loop
// ended by Ctrl+C, and what only a process shows: the libraries it links, a
// port another program holds, and a live log cut off by a signal or a full
// disk. The commands' cases are run in process (commands_test.cpp).
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
