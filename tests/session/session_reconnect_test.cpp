// An adapter pulled out and plugged in again: the session reopens the same
// device by itself, quietly and about once a second; a port that never opened
// is not retried.
#include "support/simulator_process.h"

#include "link/serialtransport.h"
#include "session/unitsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kPatienceMs = 20000;

// The real serial port, counting how often it is asked to open and how many
// frames it is given.
class CountingTransport : public Transport
{
public:
    CountingTransport()
    {
        inner.setLostHandler([this](std::uint64_t session, const QString &reason) { reportLost(session, reason); });
    }
    bool open(const QString &device, QString *reason) override
    {
        ++opens;
        return inner.open(device, reason);
    }
    void close() override { inner.close(); }
    bool isOpen() const override { return inner.isOpen(); }
    qint64 bytesWaiting() override { return inner.bytesWaiting(); }
    QByteArray read(qint64 maxBytes) override { return inner.read(maxBytes); }
    void send(const QByteArray &frame) override
    {
        ++sends;
        inner.send(frame);
    }
    std::uint64_t portSession() const override { return inner.portSession(); }

    SerialTransport inner;
    int opens = 0;
    int sends = 0;
};

// Points the link at a device in one step, as udev does when an adapter returns.
bool pointLink(const QString &link, const QString &target)
{
    const QString fresh = link + ".new";
    QFile::remove(fresh);
    return QFile::link(target, fresh) && std::rename(QFile::encodeName(fresh), QFile::encodeName(link)) == 0;
}

// The session's tick, counted by the test rather than left to a timer: after a
// tick that sent a frame on an open port, the event loop runs until the answer
// is in or the port has gone. The wait bounds a hang; it does not measure
// speed, so a busy machine cannot turn a slow answer into silence.
class Ticker
{
public:
    Ticker(UnitSession &s, CountingTransport &p) : session(s), port(p) {}

    void tick()
    {
        const int sendsBefore = port.sends;
        session.tick();
        ++ticks;
        if (port.sends != sendsBefore && port.isOpen())
            EXPECT_TRUE(QTest::qWaitFor([&] { return port.bytesWaiting() >= kFrameSize || !port.isOpen(); }, kPatienceMs))
                << "tick " << ticks << ": neither an answer nor a hang-up";
        else
            QCoreApplication::processEvents();
    }
    // Ticks until done() holds, at most maxTicks; whether it came to hold.
    template<typename Done>
    bool tickUntil(Done done, int maxTicks)
    {
        for (int i = 0; i < maxTicks && !done(); ++i)
            tick();
        return done();
    }

    int ticks = 0;

private:
    UnitSession &session;
    CountingTransport &port;
};

} // namespace

TEST(SessionReconnect, APulledAdapterComesBackAtItsNameWithoutAClick)
{
    SimulatorProcess first;
    START_SIMULATOR(first);
    QTemporaryDir home;
    const QString link = QDir(home.path()).filePath("ttyTORVO");
    ASSERT_TRUE(pointLink(link, first.pty));
    const QString ports = QDir(home.path()).filePath("ports.ini");
    QFile ini(ports);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(link).toUtf8());
    ini.close();

    auto owned = std::make_unique<CountingTransport>();
    CountingTransport *port = owned.get();
    UnitSession session(std::move(owned));
    session.setPortsFile(ports);
    session.setPortNumber(1);
    ASSERT_EQ(session.openPort(), UnitSession::OpenResult::Opened) << session.lastOpenError().toStdString();

    QStringList lost, restored;
    std::vector<bool> connection;
    QObject::connect(&session, &UnitSession::portLost, [&](const QString &device, const QString &) { lost << device; });
    QObject::connect(&session, &UnitSession::portRestored, [&](const QString &device) { restored << device; });
    QObject::connect(&session, &UnitSession::connectionChanged, [&](bool up) { connection.push_back(up); });
    Ticker ticker(session, *port);
    ASSERT_TRUE(ticker.tickUntil([&] { return !connection.empty(); }, 3 * TransferEngine::kLiveDataTicks));
    EXPECT_EQ(connection, std::vector<bool>{true});

    // Pulled: the port and its name go, and the session waits for them. (A
    // name left behind could meet another program's terminal that takes over
    // the freed number.)
    ASSERT_TRUE(QFile::remove(link));
    first.stop();
    ASSERT_TRUE(ticker.tickUntil([&] { return !lost.isEmpty(); }, 3 * TransferEngine::kLiveDataTicks));
    EXPECT_EQ(lost, QStringList{link});
    EXPECT_TRUE(session.waitingForPort());
    // While the device is gone the session tries every 18 ticks, about once a second.
    const int opensBefore = port->opens;
    for (int i = 0; i < 60; ++i)
        ticker.tick();
    EXPECT_EQ(port->opens - opensBefore, 60 / 18);
    EXPECT_TRUE(restored.isEmpty());

    // Plugged in again (a new terminal behind the same name): back by itself.
    SimulatorProcess second;
    START_SIMULATOR(second);
    ASSERT_TRUE(pointLink(link, second.pty));
    ASSERT_TRUE(ticker.tickUntil([&] { return !restored.isEmpty(); }, 18));
    EXPECT_EQ(restored, QStringList{link});
    EXPECT_FALSE(session.waitingForPort());
    ASSERT_TRUE(ticker.tickUntil([&] { return connection.size() >= 3; }, 3 * TransferEngine::kLiveDataTicks));
    EXPECT_EQ(connection, (std::vector<bool>{true, false, true}));
}

TEST(SessionReconnect, APortThatNeverOpenedIsNotTriedAgain)
{
    QTemporaryDir home;
    const QString ports = QDir(home.path()).filePath("ports.ini");
    QFile ini(ports);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(QDir(home.path()).filePath("no-such-device")).toUtf8());
    ini.close();

    auto owned = std::make_unique<CountingTransport>();
    CountingTransport *port = owned.get();
    UnitSession session(std::move(owned));
    session.setPortsFile(ports);
    session.setPortNumber(1);
    EXPECT_EQ(session.openPort(), UnitSession::OpenResult::Failed);
    for (int i = 0; i < 100; ++i)
        session.tick();
    EXPECT_EQ(port->opens, 1) << "only the Com menu tries again";
    EXPECT_FALSE(session.waitingForPort());
}
