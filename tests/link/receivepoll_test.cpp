#include <optional>
#include <QTest>
#include <gtest/gtest.h>

#include "link/receivepoll.h"
#include "link/serialtransport.h"
#include "ptypair.h"

namespace {

// The first frame of one poll, as a tick would handle it first.
std::optional<Frame> pollOne(Transport &transport)
{
    const std::vector<Frame> frames = pollFrames(transport);
    if (frames.empty())
        return std::nullopt;
    return frames.front();
}

// A transport with a scripted queue that records every read it is asked for.
class ScriptedTransport : public Transport
{
public:
    QByteArray queue;
    QList<qint64> reads;
    // Simulates a driver that delivers fewer bytes than it announced.
    qint64 shortBy = 0;

    bool open(const QString &, QString *) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    qint64 bytesWaiting() override { return queue.size(); }
    QByteArray read(qint64 maxBytes) override
    {
        reads.append(maxBytes);
        const QByteArray taken = queue.left(qMax<qint64>(0, maxBytes - shortBy));
        queue.remove(0, taken.size());
        return taken;
    }
    void send(const QByteArray &) override {}
};

QByteArray numbered(int count)
{
    QByteArray bytes(count, '\0');
    for (int i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i & 0xFF);
    return bytes;
}

std::string hex(const Frame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()), kFrameSize).toHex().toStdString();
}
} // namespace

TEST(ReceivePoll, ReadsAccordingToHowManyBytesAreWaiting)
{
    struct Case
    {
        int waiting;
        qint64 expectedRead; // -1: no read at all
        qsizetype expectedLeft;
    };
    const Case cases[] = {
        {0, -1, 0},       {1, -1, 1},          {51, -1, 51},       {52, 52, 0},
        {60, 60, 0},      {1024, 1024, 0},     {1025, 1000, 25},   {2000, 1000, 1000},
    };
    for (const Case &c : cases) {
        ScriptedTransport transport;
        transport.queue = numbered(c.waiting);
        const std::optional<Frame> frame = pollOne(transport);
        const qint64 read = transport.reads.isEmpty() ? -1 : transport.reads.first();
        EXPECT_LE(transport.reads.size(), 1) << "waiting " << c.waiting;
        EXPECT_EQ(read, c.expectedRead) << "waiting " << c.waiting;
        EXPECT_EQ(transport.queue.size(), c.expectedLeft) << "waiting " << c.waiting;
        EXPECT_EQ(frame.has_value(), c.expectedRead >= 0) << "waiting " << c.waiting;
        if (frame) {
            Frame expected{};
            for (int i = 0; i < kFrameSize; ++i)
                expected[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
            EXPECT_EQ(hex(*frame), hex(expected)) << "waiting " << c.waiting;
        }
    }
}

TEST(ReceivePoll, AShortDeliveryGivesNoFrame)
{
    ScriptedTransport transport;
    transport.queue = numbered(52);
    transport.shortBy = 1;
    EXPECT_FALSE(pollOne(transport).has_value());
}

class ReceivePollOnPty : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!pty.ok())
            GTEST_SKIP() << "no pseudo-terminal available";
        QString reason;
        ASSERT_TRUE(transport.open(pty.slavePath(), &reason)) << reason.toStdString();
    }

    // Lets the event loop take in whatever the terminal holds, until the count is as expected.
    bool settlesAt(qint64 count)
    {
        return QTest::qWaitFor([&] { return transport.bytesWaiting() == count; }, 3000);
    }

    PtyPair pty;
    SerialTransport transport;
};

TEST_F(ReceivePollOnPty, FiftyOneBytesWaitForTheFiftySecond)
{
    const QByteArray bytes = numbered(52);
    ASSERT_TRUE(pty.writeMaster(bytes.left(51)));
    ASSERT_TRUE(settlesAt(51)) << "waiting " << transport.bytesWaiting();
    EXPECT_FALSE(pollOne(transport).has_value());
    EXPECT_EQ(transport.bytesWaiting(), 51) << "a poll below 52 bytes must leave them queued";

    ASSERT_TRUE(pty.writeMaster(bytes.right(1)));
    ASSERT_TRUE(settlesAt(52));
    const std::optional<Frame> frame = pollOne(transport);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(frame->data()), kFrameSize), bytes);
    EXPECT_EQ(transport.bytesWaiting(), 0);
}

TEST_F(ReceivePollOnPty, SixtyBytesGiveOneFrameAndTheRestIsDropped)
{
    const QByteArray bytes = numbered(60);
    ASSERT_TRUE(pty.writeMaster(bytes));
    ASSERT_TRUE(settlesAt(60)) << "waiting " << transport.bytesWaiting();
    const std::optional<Frame> frame = pollOne(transport);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(frame->data()), kFrameSize), bytes.left(52));
    EXPECT_EQ(transport.bytesWaiting(), 0) << "the 8 bytes after the frame belong to the same read";
    EXPECT_FALSE(pollOne(transport).has_value());
}

TEST_F(ReceivePollOnPty, TwoThousandBytesAreReadAThousandAtATime)
{
    const QByteArray bytes = numbered(2000);
    ASSERT_TRUE(pty.writeMaster(bytes));
    ASSERT_TRUE(settlesAt(2000)) << "waiting " << transport.bytesWaiting();

    std::optional<Frame> frame = pollOne(transport);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(frame->data()), kFrameSize), bytes.left(52));
    EXPECT_EQ(transport.bytesWaiting(), 1000);

    frame = pollOne(transport);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(frame->data()), kFrameSize), bytes.mid(1000, 52));
    EXPECT_EQ(transport.bytesWaiting(), 0);
}

TEST(ReceivePoll, EveryWholeFrameOfAReadIsHandedOnInOrder)
{
    const struct
    {
        int waiting;
        std::size_t frames;
        qsizetype left;
    } cases[] = {{52, 1, 0}, {60, 1, 0}, {103, 1, 0}, {104, 2, 0}, {156, 3, 0}, {1024, 19, 0}, {2000, 19, 1000}};
    for (const auto &c : cases) {
        ScriptedTransport transport;
        transport.queue = numbered(c.waiting);
        const std::vector<Frame> frames = pollFrames(transport);
        ASSERT_EQ(frames.size(), c.frames) << "waiting " << c.waiting;
        EXPECT_EQ(transport.queue.size(), c.left) << "waiting " << c.waiting;
        for (std::size_t n = 0; n < frames.size(); ++n) {
            Frame expected{};
            for (int i = 0; i < kFrameSize; ++i)
                expected[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n * kFrameSize + i);
            EXPECT_EQ(hex(frames[n]), hex(expected)) << "waiting " << c.waiting << ", frame " << n;
        }
    }
}
