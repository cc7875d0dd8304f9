// The journal end to end: the command-line tool against the simulator keeps
// each set it read and programmed, and each kept file is accepted by verify
// against the unit while the unit holds that set.
#include "params/parameterfile.h"
#include "support/simulator_process.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun
{
    int code = -1;
    QByteArray out, err;
};

CliRun cli(const QString &home, const QStringList &arguments)
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

} // namespace

TEST(JournalAgainstTheSimulator, AReadAndAProgramLeaveEntriesThatVerifyAgainstTheUnit)
{
    QTemporaryDir home;
    SimulatorProcess sim;
    START_SIMULATOR(sim);
    const QStringList port{"--port", sim.pty};
    const auto newest = [&] {
        const QJsonArray entries = QJsonDocument::fromJson(cli(home.path(), {"journal", "--json", "--limit", "1"}).out).array();
        return entries.isEmpty() ? QJsonObject() : entries.first().toObject();
    };

    ASSERT_EQ(cli(home.path(), port + QStringList{"read"}).code, 0);
    const QJsonObject read = newest();
    EXPECT_EQ(read["operation"].toString(), "read");
    const QString readFile = read["file"].toString();
    ASSERT_TRUE(QFile::exists(readFile)) << readFile.toStdString();
    EXPECT_EQ(cli(home.path(), port + QStringList{"verify", readFile}).code, 0) << "the unit before programming";

    // Another set than the unit's: one more degree everywhere on the curve.
    ParameterImage set;
    ASSERT_EQ(openParameterFile(readFile, set), OpenResult::Opened);
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        set.advance(k) = static_cast<std::uint8_t>(set.advance(k) == 60 ? 59 : set.advance(k) + 1);
    const QString customer = home.filePath("customer.ign");
    ASSERT_TRUE(saveParameterFile(customer, set));
    const CliRun program = cli(home.path(), port + QStringList{"program", customer, "--no-wait"});
    ASSERT_EQ(program.code, 0) << program.err.constData();
    const QJsonObject programmed = newest();
    EXPECT_EQ(programmed["operation"].toString(), "program");
    EXPECT_EQ(programmed["result"].toString(), "ok");
    EXPECT_EQ(programmed["differing"].toInt(), 10);
    const QString programFile = programmed["file"].toString();
    EXPECT_NE(programFile, readFile);

    EXPECT_EQ(cli(home.path(), port + QStringList{"verify", programFile}).code, 0) << "the unit after programming";
    EXPECT_EQ(QDir(home.filePath("journal")).entryList({"*.ign"}).size(), 2) << "the read, and the set programmed";
    EXPECT_EQ(cli(home.path(), port + QStringList{"verify", readFile}).code, 3) << "the set it held before";
}
