
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QAbstractEventDispatcher>
#include <gtest/gtest.h>

#include "link/frame.h"
#include "link/receivepoll.h"
#include "link/serialtransport.h"
#include "ptypair.h"
#include "support/resident_memory.h"

#include <random>

namespace {

#define REQUIRE_PTY(pty)                                                                   \
    do {                                                                                   \
        if (!(pty).ok())                                                                   \
            GTEST_SKIP() << "no pseudo-terminal available";                               \
    } while (0)

// Opens the transport on another device at the moment the transport is about
// to act on something it queued for itself (a loss noticed in an earlier pass
// of the event loop): what a user choosing another port in between does.
class ReopenBeforeQueuedCall : public QObject
{
public:
    ReopenBeforeQueuedCall(SerialTransport &t, const QString &device) : transport(t), next(device) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &transport && event->type() == QEvent::MetaCall && !reopened) {
            QString reason;
            reopened = transport.open(next, &reason);
        }
        return false;
    }
    bool reopened = false;

private:
    SerialTransport &transport;
    QString next;
};
} // namespace

TEST(SerialTransport, OpeningAPathWithNoDeviceFailsWithTheSystemsReason)
{
    SerialTransport transport;
    QString reason;
    EXPECT_FALSE(transport.open(QStringLiteral("/dev/torvo-no-such-port"), &reason));
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_TRUE(reason.contains(QStringLiteral("No such file"), Qt::CaseInsensitive))
        << "reason: " << reason.toStdString();
}

TEST(SerialTransport, OpeningAFileThatIsNoTerminalFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a port");
    file.close();

    SerialTransport transport;
    QString reason;
    EXPECT_FALSE(transport.open(path, &reason));
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(reason.isEmpty());
}

TEST(SerialTransport, AClosedTransportReadsNothingAndSendsNowhere)
{
    SerialTransport transport;
    EXPECT_EQ(transport.bytesWaiting(), 0);
    EXPECT_TRUE(transport.read(52).isEmpty());
    transport.send(frameToBytes(liveDataRequest())); // must neither crash nor block
    transport.close();
    EXPECT_FALSE(transport.isOpen());
}

TEST(SerialTransport, SendDeliversTheWholeFrameToTheOtherEnd)
{
    PtyPair pty;
    REQUIRE_PTY(pty);
    SerialTransport transport;
    QString reason;
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();

    QByteArray frame(kFrameSize, '\0');
    for (int i = 0; i < kFrameSize; ++i)
        frame[i] = static_cast<char>(0xA0 + i); // includes 0x0D, 0x11, 0x13: raw mode must keep them
    frame[5] = 0x0D;
    frame[6] = 0x11;
    frame[7] = 0x13;
    frame[8] = 0x0A;
    transport.send(frame);
    // send() returns once the bytes have left, so they are there without any event loop.
    EXPECT_EQ(pty.readMaster(kFrameSize, 2000).toHex().toStdString(), frame.toHex().toStdString());
    EXPECT_TRUE(pty.readMaster(1, 50).isEmpty()) << "nothing beyond the frame";
}

TEST(SerialTransport, ReceivesBytesThroughTheEventLoop)
{
    PtyPair pty;
    REQUIRE_PTY(pty);
    SerialTransport transport;
    QString reason;
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();

    ASSERT_TRUE(pty.writeMaster(QByteArray("\x00\x0D\x0A\x11\x13\xFF", 6)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return transport.bytesWaiting() == 6; }, 2000))
        << "waiting: " << transport.bytesWaiting();
    EXPECT_EQ(transport.read(100).toHex().toStdString(), "000d0a1113ff");
    EXPECT_EQ(transport.bytesWaiting(), 0);
}

TEST(SerialTransport, ReopeningStartsWithAnEmptyQueue)
{
    PtyPair pty;
    REQUIRE_PTY(pty);
    SerialTransport transport;
    QString reason;
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();
    ASSERT_TRUE(pty.writeMaster(QByteArray(10, 'x')));
    ASSERT_TRUE(QTest::qWaitFor([&] { return transport.bytesWaiting() == 10; }, 2000));

    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();
    EXPECT_TRUE(transport.isOpen());
    EXPECT_EQ(transport.bytesWaiting(), 0);
    ASSERT_TRUE(pty.writeMaster(QByteArray(3, 'y')));
    EXPECT_TRUE(QTest::qWaitFor([&] { return transport.bytesWaiting() == 3; }, 2000));
    EXPECT_EQ(transport.read(3), QByteArray("yyy"));
}

TEST(SerialTransport, ReopeningDropsBytesStillQueuedInTheDriver)
{
    PtyPair pty;
    REQUIRE_PTY(pty);
    SerialTransport transport;
    QString reason;
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();
    // Written while no event is processed: the bytes wait in the terminal's
    // queue, not yet in the port's buffer, when the port is opened again.
    ASSERT_TRUE(pty.writeMaster(QByteArray(10, 'x')));
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();
    ASSERT_TRUE(pty.writeMaster(QByteArray(3, 'y')));
    // A terminal keeps its order, so stale bytes would come before the new ones.
    ASSERT_TRUE(QTest::qWaitFor([&] { return transport.bytesWaiting() >= 3; }, 20000));
    EXPECT_EQ(transport.read(100), QByteArray("yyy"));
}

TEST(SerialTransport, HangUpClosesThePortAtOnceWithoutSpinning)
{
    PtyPair pty;
    REQUIRE_PTY(pty);
    SerialTransport transport;
    QStringList lost;
    transport.setLostHandler([&](std::uint64_t, const QString &why) { lost << why; });
    QString reason;
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();

    pty.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !transport.isOpen(); }, 2000))
        << "the transport stayed open after the other end went away";
    ASSERT_EQ(lost.size(), 1);
    EXPECT_FALSE(lost.first().isEmpty()) << "the loss needs a reason";

    // Now the closed port must leave the event loop idle. A port left armed
    // wakes the loop tens of thousands of times in this window; an idle loop
    // wakes for the single timer, plus whatever a loaded machine adds.
    int wakeUps = 0;
    const auto counter = QObject::connect(QAbstractEventDispatcher::instance(),
                                          &QAbstractEventDispatcher::awake, [&] { ++wakeUps; });
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(counter);
    EXPECT_LT(wakeUps, 500) << "the event loop spins on the lost port";
    EXPECT_EQ(lost.size(), 1) << "the loss must be reported once";
    EXPECT_EQ(transport.bytesWaiting(), 0);
    transport.send(frameToBytes(liveDataRequest()));
    EXPECT_FALSE(transport.isOpen());
}

TEST(SerialTransport, LostReportMayReopenTheSameDevice)
{
    // A technician's adapter comes back at the same path; the owner reopens
    // from inside the report, and the new port must work and stay open.
    PtyPair first;
    REQUIRE_PTY(first);
    SerialTransport transport;
    PtyPair second;
    REQUIRE_PTY(second);
    int reports = 0;
    bool reopened = false;
    transport.setLostHandler([&](std::uint64_t, const QString &) {
        ++reports;
        QString why;
        reopened = transport.open(second.slavePath(), &why);
    });
    QString reason;
    ASSERT_TRUE(transport.open(first.slavePath(), &reason)) << reason.toStdString();
    first.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports > 0; }, 2000));
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(transport.isOpen());
    ASSERT_TRUE(second.writeMaster(QByteArray(52, 'z')));
    EXPECT_TRUE(QTest::qWaitFor([&] { return transport.bytesWaiting() == 52; }, 2000));
    // No stale loss of the first port reaches the second.
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(transport.isOpen());
}

TEST(SerialTransport, HangUpWhileSendingAlsoClosesThePort)
{
    PtyPair pty;
    REQUIRE_PTY(pty);
    SerialTransport transport;
    QString reason;
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();
    pty.closeMaster();
    QElapsedTimer clock;
    clock.start();
    transport.send(frameToBytes(liveDataRequest()));
    // The send gives up after its 200 ms limit. Only a send that hangs can
    // miss this bound, however busy the machine.
    EXPECT_LT(clock.elapsed(), 30000) << "a send on a dead port must not block";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !transport.isOpen(); }, 2000));
}

TEST(SerialTransport, ALossNoticedBeforeAReopenLeavesTheNewPortAlone)
{
    PtyPair first;
    PtyPair second;
    REQUIRE_PTY(first);
    REQUIRE_PTY(second);
    SerialTransport transport;
    QStringList lost;
    transport.setLostHandler([&](std::uint64_t, const QString &why) { lost << why; });
    QString reason;
    ASSERT_TRUE(transport.open(first.slavePath(), &reason)) << reason.toStdString();
    ReopenBeforeQueuedCall reopen(transport, second.slavePath());
    transport.installEventFilter(&reopen);

    first.closeMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reopen.reopened; }, 20000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(transport.isOpen()) << "the loss of the first port closed the second";
    EXPECT_TRUE(lost.isEmpty()) << "reported: " << lost.join(", ").toStdString();
    ASSERT_TRUE(second.writeMaster(QByteArray(kFrameSize, 'z')));
    EXPECT_TRUE(QTest::qWaitFor([&] { return transport.bytesWaiting() == kFrameSize; }, 20000));
}

TEST(SerialTransport, ABabblingLineIsDroppedUnreadAndAFrameAfterItArrivesAtOnce)
{
    PtyPair pty;
    REQUIRE_PTY(pty);
    SerialTransport transport;
    QString reason;
    ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();
    std::mt19937 random(20240611);
    QByteArray noise(16384, '\0');
    for (char &c : noise)
        c = static_cast<char>(random() & 0xFF);

    // Between two ticks the line brings many times what a tick can use.
    constexpr int kTicks = 3000;
    constexpr int kWarmUpTicks = 300;
    qint64 offered = 0;
    std::size_t frames = 0;
    [[maybe_unused]] long long warm = -1;
    for (int tick = 0; tick < kTicks; ++tick) {
        for (int burst = 0; burst < 4; ++burst) {
            offered += pty.offerMaster(noise);
            QCoreApplication::processEvents();
        }
        frames += pollFrames(transport).size();
        if (tick == kWarmUpTicks)
            warm = residentBytes();
    }
    [[maybe_unused]] const long long end = residentBytes();
    // A tick that finds the line babbling reads nothing of it.
    EXPECT_EQ(frames, 0u);
    // Every tick threw a full buffer away at least, and counted it.
    const auto dropped = static_cast<qint64>(transport.droppedBytes());
    EXPECT_LE(dropped, offered);
    EXPECT_GE(dropped, kTicks * SerialTransport::kReadBufferBytes) << "offered " << offered << " bytes";

    // The noise stops; the next tick clears what is left of it, and a unit's
    // frame after that is read whole at the tick after its arrival.
    pollFrames(transport);
    const Frame reply = liveDataRequest();
    ASSERT_TRUE(pty.writeMaster(frameToBytes(reply)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return transport.bytesWaiting() >= kFrameSize; }, 20000));
    const std::vector<Frame> received = pollFrames(transport);
    ASSERT_EQ(received.size(), 1u) << "waiting: " << transport.bytesWaiting();
    EXPECT_EQ(received[0], reply);
#if !defined(__SANITIZE_ADDRESS__)
    if (warm > 0 && end > 0) {
        EXPECT_LT(end - warm, 2 * 1024 * 1024) << "offered " << offered << " bytes";
    }
#endif
}
