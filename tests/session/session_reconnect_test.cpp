// An adapter pulled out and plugged in again: the session reopens the same
// device by itself, quietly and about once a second; a port that never opened
// is not retried.
#include "support/simulator_process.h"

#include "link/serialtransport.h"
#include "session/unitsession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kPatienceMs = 20000;

// The real serial port, counting how often it is asked to open.
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
    void send(const QByteArray &frame) override { inner.send(frame); }
    std::uint64_t portSession() const override { return inner.portSession(); }

    SerialTransport inner;
    int opens = 0;
};

// Points the link at a device in one step, as udev does when an adapter returns.
bool pointLink(const QString &link, const QString &target)
{
    const QString fresh = link + ".new";
    QFile::remove(fresh);
    return QFile::link(target, fresh) && std::rename(QFile::encodeName(fresh), QFile::encodeName(link)) == 0;
}

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
    int ticks = 0;
    QObject::connect(&session, &UnitSession::ticked, [&] { ++ticks; });
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &session, &UnitSession::tick);
    timer.start(55);
    ASSERT_TRUE(QTest::qWaitFor([&] { return connection == std::vector<bool>{true}; }, kPatienceMs));

    // Pulled: the port goes, and the session waits for it.
    first.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.isEmpty(); }, kPatienceMs));
    EXPECT_EQ(lost, QStringList{link});
    EXPECT_TRUE(session.waitingForPort());
    // While the device is gone the session tries about once a second, no more.
    const int opensBefore = port->opens;
    const int ticksBefore = ticks;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks - ticksBefore >= 60; }, kPatienceMs));
    const int tries = port->opens - opensBefore;
    EXPECT_GE(tries, 2);
    EXPECT_LE(tries, (ticks - ticksBefore) / 18 + 1);
    EXPECT_TRUE(restored.isEmpty());

    // Plugged in again (a new terminal behind the same name): back by itself.
    SimulatorProcess second;
    START_SIMULATOR(second);
    ASSERT_TRUE(pointLink(link, second.pty));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !restored.isEmpty(); }, kPatienceMs));
    EXPECT_EQ(restored, QStringList{link});
    EXPECT_FALSE(session.waitingForPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return connection.size() >= 3 && connection.back(); }, kPatienceMs));
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
