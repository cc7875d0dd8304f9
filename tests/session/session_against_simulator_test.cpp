// A listener of the unit session with no window at all: the session on the
// simulated unit's pseudo-terminal, ticked by a timer as a view would.
#include "link/liveframe.h"
#include "link/unitidentity.h"
#include "session/unitsession.h"
#include "support/simulator_process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// How long a condition may take to come true: a bound on a hang, not on
// speed, generous for a busy machine.
constexpr int kPatienceMs = 20000;

// What the session told its listener, in order.
struct Heard
{
    std::vector<Operation> started;
    std::vector<int> storing;
    std::vector<Operation> succeeded;
    std::vector<Operation> failed;
    std::vector<IdentityTexts> identities;
    std::vector<LiveData> lives;
    std::vector<bool> connection;
    QStringList lost;
};

void listen(UnitSession &session, Heard &heard)
{
    QObject::connect(&session, &UnitSession::operationStarted,
                     [&heard](Operation o) { heard.started.push_back(o); });
    QObject::connect(&session, &UnitSession::storingProgress, [&heard](int p) { heard.storing.push_back(p); });
    QObject::connect(&session, &UnitSession::operationSucceeded,
                     [&heard](Operation o) { heard.succeeded.push_back(o); });
    QObject::connect(&session, &UnitSession::operationFailed, [&heard](Operation o) { heard.failed.push_back(o); });
    QObject::connect(&session, &UnitSession::identityReceived,
                     [&heard](const IdentityTexts &t) { heard.identities.push_back(t); });
    QObject::connect(&session, &UnitSession::liveDataReceived,
                     [&heard](const LiveData &l) { heard.lives.push_back(l); });
    QObject::connect(&session, &UnitSession::connectionChanged,
                     [&heard](bool connected) { heard.connection.push_back(connected); });
    QObject::connect(&session, &UnitSession::portLost,
                     [&heard](const QString &device, const QString &) { heard.lost << device; });
}

} // namespace

TEST(SessionAgainstSimulator, ProgramsIdentifiesReportsLiveDataAndNoticesTheUnitGoing)
{
    SimulatorProcess sim;
    START_SIMULATOR(sim, "--name", "ABC", "--number", "42", "--date", "25.01.2003", "--time", "16:21");

    QTemporaryDir home;
    const QString ports = QDir(home.path()).filePath(QStringLiteral("ports.ini"));
    {
        QFile ini(ports);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(sim.pty).toUtf8());
    }

    UnitSession session;
    session.setPortsFile(ports);
    session.setPortNumber(1);
    EXPECT_EQ(session.deviceName(), sim.pty);
    ASSERT_EQ(session.openPort(), UnitSession::OpenResult::Opened) << session.lastOpenError().toStdString();

    Heard heard;
    listen(session, heard);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &session, &UnitSession::tick);
    timer.start(55);

    session.document().newSet();
    session.startProgram();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.succeeded.empty() || !heard.failed.empty(); }, kPatienceMs));
    EXPECT_EQ(heard.started, std::vector<Operation>{Operation::Program});
    EXPECT_EQ(heard.succeeded, std::vector<Operation>{Operation::Program});
    EXPECT_TRUE(heard.failed.empty());
    ASSERT_FALSE(heard.identities.empty());
    EXPECT_EQ(heard.identities.front().versionText, QStringLiteral("ABC42"));
    EXPECT_EQ(heard.identities.front().dateText, QStringLiteral("25. 1.2003"));
    EXPECT_EQ(heard.identities.front().timeText, QStringLiteral("16:21"));
    EXPECT_EQ(session.identity().version(), 16);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.lives.empty(); }, kPatienceMs)) << "no live data";
    EXPECT_EQ(heard.lives.back().protocolVersion, 16);
    EXPECT_GE(session.liveRpm(), 1200);
    // The unit stores what it was given and reports its progress as it goes.
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.storing.size() >= 2; }, kPatienceMs));
    EXPECT_TRUE(std::is_sorted(heard.storing.begin(), heard.storing.end()));
    EXPECT_GE(heard.storing.front(), 0);
    EXPECT_LE(heard.storing.back(), 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.connection.empty(); }, kPatienceMs));
    EXPECT_EQ(heard.connection, std::vector<bool>{true});

    // The unit goes away: the port hangs up and, once the silence has lasted,
    // the connection is reported lost.
    EXPECT_EQ(sim.stop(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.connection.size() == 2; }, kPatienceMs));
    EXPECT_EQ(heard.connection, (std::vector<bool>{true, false}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !heard.lost.isEmpty(); }, kPatienceMs));
    EXPECT_EQ(heard.lost, QStringList{sim.pty});
    EXPECT_FALSE(session.transport().isOpen());
}
