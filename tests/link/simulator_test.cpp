#include <optional>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "link/frame.h"
#include "link/liveframe.h"
#include "link/receivepoll.h"
#include "link/serialtransport.h"
#include "link/unitidentity.h"
#include "support/simulator_process.h"

namespace {

// The first frame of one poll, as a tick would handle it first.
std::optional<Frame> pollOne(Transport &transport)
{
    const std::vector<Frame> frames = pollFrames(transport);
    if (frames.empty())
        return std::nullopt;
    return frames.front();
}

// How long a reply may take: a bound on a hang, generous for a busy machine.
constexpr int kPatienceMs = 20000;

// The simulator started as its own process, with the tool's transport on its terminal.
class SimSession
{
public:
    ~SimSession() { stop(); }

    // Empty on success, else why not; skipped is set when the machine has no
    // pseudo-terminals to give.
    QString start(const QStringList &arguments, bool *skipped)
    {
        const QString problem = simulator.start(arguments, skipped);
        if (!problem.isEmpty())
            return problem;
        path = simulator.pty;
        QString reason;
        if (!transport.open(path, &reason))
            return QStringLiteral("cannot open %1: %2").arg(path, reason);
        return {};
    }

    // Sends one frame and takes the reply the way the tool's tick does.
    std::optional<Frame> exchange(const Frame &command, int timeoutMs = kPatienceMs)
    {
        transport.send(frameToBytes(command));
        if (!QTest::qWaitFor([&] { return transport.bytesWaiting() >= kFrameSize; }, timeoutMs))
            return std::nullopt;
        return pollOne(transport);
    }

    // True when nothing at all arrives within ms.
    bool staysQuiet(int ms)
    {
        return !QTest::qWaitFor([&] { return transport.bytesWaiting() > 0; }, ms);
    }

    // Ends the simulator as Ctrl+C would; its exit code, or -1 if it did not end cleanly.
    int stop()
    {
        transport.close();
        return simulator.stop();
    }

    SimulatorProcess simulator;
    QProcess &process = simulator.process;
    SerialTransport transport;
    QString path;
};

#define START_SIM(session, ...) START_SIMULATOR(session, __VA_ARGS__)

Frame commandFrame(std::uint8_t code, const QByteArray &payload = {})
{
    Frame frame{};
    frame[0] = code;
    for (int i = 0; i < payload.size() && i < kPayloadSize; ++i)
        frame[static_cast<std::size_t>(1 + i)] = static_cast<std::uint8_t>(payload[i]);
    std::uint8_t check = 0xFF;
    for (int i = 0; i < kFrameSize - 1; ++i)
        check ^= frame[static_cast<std::size_t>(i)];
    frame[51] = check;
    return frame;
}

// The simulator's frame log, one line per frame it received.
QList<QByteArray> logLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll().trimmed();
    return text.isEmpty() ? QList<QByteArray>() : text.split('\n');
}

std::string logText(const QString &path)
{
    return logLines(path).join('\n').toStdString();
}

QByteArray payloadOf(const Frame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()) + 1, kPayloadSize);
}

// A block unlike the default set in every named field and in the reserved bytes.
QByteArray sampleBlock()
{
    QByteArray block = QByteArray::fromHex("0408074b0001" "01020304" "0f19232d37414b555f69"
                                           "0a0c0e10121416181a1c");
    for (int i = block.size(); i < kPayloadSize; ++i)
        block.append(static_cast<char>(0x60 + i));
    return block;
}

ParameterImage imageOf(const QByteArray &block)
{
    ParameterImage image;
    for (int i = 0; i < kPayloadSize; ++i)
        image[i] = static_cast<std::uint8_t>(block[i]);
    return image;
}
} // namespace

TEST(SimulatorLive, AnswersALiveRequestWithARunningEngine)
{
    SimSession sim;
    START_SIM(sim);
    const std::optional<Frame> reply = sim.exchange(liveDataRequest());
    ASSERT_TRUE(reply.has_value()) << "no live reply";
    EXPECT_EQ((*reply)[0], kReplyLiveData);
    EXPECT_TRUE(acceptLiveFrame(reply->data()));
    const LiveData live = decodeLiveData(*reply);
    EXPECT_EQ(live.protocolVersion, 16);
    EXPECT_GE(live.rpm, 1200);
    EXPECT_LE(live.rpm, 7000) << "the default limiter is 7000 rpm";
    const int mv = liveVoltageMillivolts(live.voltageRaw);
    EXPECT_GE(mv, 13500) << "raw " << live.voltageRaw;
    EXPECT_LE(mv, 14100) << "raw " << live.voltageRaw;
    EXPECT_EQ(live.blocking, 0);
    EXPECT_NE(live.neutral, 0) << "neutral switch off by default";
    EXPECT_NE(live.sideStand, 0) << "side-stand switch off by default";
    EXPECT_EQ(live.dataError, 0);
    EXPECT_EQ(live.savingCountdown, 0);
    EXPECT_EQ(live.programmingCount, 0);

    const std::optional<Frame> second = sim.exchange(liveDataRequest());
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(decodeLiveData(*second).test, live.test) << "the test values keep changing";
}

TEST(SimulatorLive, KnobsSetTheLiveValues)
{
    SimSession sim;
    START_SIM(sim, "--rpm", "3500", "--voltage-mv", "12000", "--blocking", "1", "--neutral", "1",
              "--side-stand", "1", "--data-error", "1", "--programs", "42");
    const std::optional<Frame> reply = sim.exchange(liveDataRequest());
    ASSERT_TRUE(reply.has_value());
    const LiveData live = decodeLiveData(*reply);
    EXPECT_EQ(live.rpm, 3500);
    EXPECT_EQ(live.speedWarning, 0);
    // Default curve: 3000 rpm -> 20, 4000 rpm -> 25, so 22 at 3500 (whole degrees), plus the base advance 5.
    EXPECT_EQ(live.advance, 27);
    EXPECT_EQ(liveVoltageMillivolts(live.voltageRaw), 11998) << "12000 mV in the tool's 11 mV steps";
    EXPECT_EQ(live.blocking, 1);
    EXPECT_EQ(live.neutral, 0) << "0 means the switch is on";
    EXPECT_EQ(live.sideStand, 0) << "0 means the switch is on";
    EXPECT_EQ(live.dataError, 1);
    EXPECT_EQ(live.programmingCount, 42);
}

TEST(SimulatorLive, SpeedAtTheLimiterSetsTheWarning)
{
    SimSession sim;
    START_SIM(sim, "--rpm", "7000");
    const std::optional<Frame> reply = sim.exchange(liveDataRequest());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(decodeLiveData(*reply).speedWarning, 1);
    EXPECT_EQ(decodeLiveData(*reply).advance, 38) << "from 5000 rpm on the curve stays at 33, plus 5";
}

TEST(SimulatorIdentity, BothBlockZeroCommandsGetTheIdentity)
{
    SimSession sim;
    START_SIM(sim, "--name", "ABC", "--number", "42", "--date", "25.01.2003", "--time", "16:21");
    //                                        A B C 42 25 Jan 3 16 21 - 16
    const QByteArray expected = QByteArray::fromHex("4142432a19190310150010").leftJustified(kPayloadSize, '\0');
    for (const auto &[command, replyCode] : {std::pair{kCmdReadBlock0, 0xC0}, std::pair{kCmdProgramBlock0, 0x80}}) {
        const std::optional<Frame> reply = sim.exchange(commandFrame(command));
        ASSERT_TRUE(reply.has_value()) << "command " << int(command);
        EXPECT_TRUE(acceptTransferReply(reply->data(), true, command)) << "command " << int(command);
        EXPECT_EQ((*reply)[0], replyCode);
        EXPECT_EQ(payloadOf(*reply).toHex().toStdString(), expected.toHex().toStdString());
    }
}

TEST(SimulatorIdentity, LongNameAndVersionGoIntoTheBlock)
{
    SimSession sim;
    START_SIM(sim, "--long-name", "Race map 7", "--version", "15");
    const std::optional<Frame> reply = sim.exchange(commandFrame(kCmdReadBlock0));
    ASSERT_TRUE(reply.has_value());
    UnitIdentity identity;
    std::copy_n(reply->begin() + 1, UnitIdentity::kSize, identity.bytes.begin());
    EXPECT_EQ(identity.version(), 15);
    EXPECT_EQ(decodeIdentity(identity).versionText, QStringLiteral("Race map 7"));
    const std::optional<Frame> live = sim.exchange(liveDataRequest());
    ASSERT_TRUE(live.has_value());
    EXPECT_EQ(decodeLiveData(*live).protocolVersion, 15) << "--version applies to live data too";
}

TEST(SimulatorTransfer, ProgramEchoReadBackAndStoringProgress)
{
    SimSession sim;
    START_SIM(sim);
    const QByteArray block = sampleBlock();
    const ParameterImage image = imageOf(block);

    // Before any program the unit holds the tool's default set.
    std::optional<Frame> reply = sim.exchange(transferFrame(kCmdReadBlock1, true, image));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(payloadOf(*reply).left(30).toHex().toStdString(),
              "03090546010100000000" "0a141e28323c46505a64" "050f1419212121212121");

    reply = sim.exchange(transferFrame(kCmdProgramBlock0, false, image));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[0], 0x80);

    reply = sim.exchange(transferFrame(kCmdProgramBlock1, false, image));
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(acceptTransferReply(reply->data(), true, kCmdProgramBlock1));
    EXPECT_EQ(payloadOf(*reply).toHex().toStdString(), block.toHex().toStdString()) << "the echo";

    // A read's request carries zeros; the unit answers with what it holds.
    reply = sim.exchange(transferFrame(kCmdReadBlock1, true, image));
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(acceptTransferReply(reply->data(), true, kCmdReadBlock1));
    EXPECT_EQ(payloadOf(*reply).toHex().toStdString(), block.toHex().toStdString()) << "the read-back";

    // The storing progress counts down from 110 over the following live frames.
    std::vector<int> countdown;
    for (int i = 0; i < 7; ++i) {
        reply = sim.exchange(liveDataRequest());
        ASSERT_TRUE(reply.has_value());
        const LiveData live = decodeLiveData(*reply);
        countdown.push_back(live.savingCountdown);
        EXPECT_EQ(live.programmingCount, 1);
    }
    EXPECT_EQ(countdown, (std::vector<int>{110, 88, 66, 44, 22, 0, 0}));
}

TEST(SimulatorTransfer, DropsBadFramesAndResynchronises)
{
    SimSession sim;
    START_SIM(sim);
    Frame bad = liveDataRequest();
    bad[51] ^= 0x01;
    sim.transport.send(frameToBytes(bad));
    EXPECT_TRUE(sim.staysQuiet(300)) << "a frame with a bad check byte gets no answer";

    sim.transport.send(frameToBytes(commandFrame(0x02)));
    EXPECT_TRUE(sim.staysQuiet(300)) << "an unknown command gets no answer";

    // Garbage glued to the front of a frame is skipped.
    sim.transport.send(QByteArray("\x11\x22\x33", 3) + frameToBytes(liveDataRequest()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim.transport.bytesWaiting() >= kFrameSize; }, kPatienceMs));
    const std::optional<Frame> reply = pollOne(sim.transport);
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(acceptLiveFrame(reply->data()));

    ASSERT_TRUE(sim.exchange(liveDataRequest()).has_value()) << "still answering afterwards";
}

TEST(SimulatorTransfer, LogShowsEveryFrameWithItsCheck)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("frames.log"));
    SimSession sim;
    START_SIM(sim, "--log", log);
    ASSERT_TRUE(sim.exchange(liveDataRequest()).has_value());
    Frame bad = commandFrame(kCmdReadBlock0);
    bad[51] ^= 0x40;
    sim.transport.send(frameToBytes(bad));
    EXPECT_TRUE(sim.staysQuiet(300));
    ASSERT_TRUE(sim.exchange(commandFrame(kCmdReadBlock0)).has_value());
    EXPECT_EQ(sim.stop(), 0);

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << file.fileName().toStdString();
    EXPECT_TRUE(lines[0].contains(" rx 0x30 check=ok -> 0xB0")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(" rx 0x40 check=bad")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(" rx 0x40 check=ok -> 0xC0")) << lines[2].toStdString();
    // Each line starts with its time in milliseconds, rising.
    EXPECT_LT(lines[0].split(' ').first().toDouble(), lines[2].split(' ').first().toDouble());
}

TEST(SimulatorTransfer, VerboseLogsToStandardError)
{
    SimSession sim;
    START_SIM(sim, "--verbose");
    ASSERT_TRUE(sim.exchange(liveDataRequest()).has_value());
    EXPECT_EQ(sim.stop(), 0);
    const QByteArray err = sim.process.readAllStandardError();
    EXPECT_TRUE(err.contains(" rx 0x30 check=ok -> 0xB0")) << err.toStdString();
}

TEST(SimulatorTransfer, SurvivesTheToolClosingAndReopeningThePort)
{
    SimSession sim;
    START_SIM(sim);
    ASSERT_TRUE(sim.exchange(liveDataRequest()).has_value());
    sim.transport.close();
    QString reason;
    ASSERT_TRUE(sim.transport.open(sim.path, &reason)) << reason.toStdString();
    EXPECT_TRUE(sim.exchange(liveDataRequest()).has_value());
}

TEST(SimulatorTransfer, StopsCleanlyOnTerminate)
{
    SimSession sim;
    START_SIM(sim);
    EXPECT_EQ(sim.stop(), 0);
}

TEST(SimulatorStore, KeepsTheProgrammedBlockBetweenRuns)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("block.txt"));
    const QByteArray block = sampleBlock();
    {
        SimSession sim;
        START_SIM(sim, "--store", store);
        EXPECT_FALSE(QFile::exists(store)) << "created on the first program, not before";
        ASSERT_TRUE(sim.exchange(transferFrame(kCmdProgramBlock1, false, imageOf(block))).has_value());
        EXPECT_EQ(sim.stop(), 0);
    }
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> numbers = file.readAll().simplified().split(' ');
    ASSERT_EQ(numbers.size(), 50);
    EXPECT_EQ(numbers[0], "4");
    EXPECT_EQ(numbers[3], "75");
    file.close();

    SimSession again;
    START_SIM(again, "--store", store);
    const std::optional<Frame> reply = again.exchange(commandFrame(kCmdReadBlock1));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(payloadOf(*reply).toHex().toStdString(), block.toHex().toStdString());
}

TEST(SimulatorStore, AJunkStoreFileStartsWithTheDefaultSet)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("block.txt"));
    QFile file(store);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1 2 3 banana 999\n");
    file.close();
    SimSession sim;
    START_SIM(sim, "--store", store);
    const std::optional<Frame> reply = sim.exchange(commandFrame(kCmdReadBlock1));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(payloadOf(*reply).left(6).toHex().toStdString(), "030905460101");
}

TEST(SimulatorFaults, SilentNeverAnswers)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("frames.log"));
    SimSession sim;
    START_SIM(sim, "--silent", "--log", log);
    sim.transport.send(frameToBytes(liveDataRequest()));
    sim.transport.send(frameToBytes(commandFrame(kCmdReadBlock0)));
    // Both frames reached the unit whole and it chose not to answer them; only
    // then does the quiet line below mean anything.
    ASSERT_TRUE(QTest::qWaitFor([&] { return logLines(log).size() == 2; }, kPatienceMs)) << logText(log);
    for (const QByteArray &line : logLines(log))
        EXPECT_TRUE(line.contains(" check=ok -> silent")) << line.toStdString();
    EXPECT_TRUE(sim.staysQuiet(400));
}

TEST(SimulatorFaults, CorruptEchoChangesOneByteOfTheEchoOnly)
{
    SimSession sim;
    START_SIM(sim, "--corrupt-echo");
    const QByteArray block = sampleBlock();
    std::optional<Frame> reply = sim.exchange(transferFrame(kCmdProgramBlock1, false, imageOf(block)));
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(acceptTransferReply(reply->data(), true, kCmdProgramBlock1)) << "the frame itself is sound";
    const QByteArray echo = payloadOf(*reply);
    int differences = 0;
    for (int i = 0; i < kPayloadSize; ++i)
        differences += echo[i] != block[i] ? 1 : 0;
    EXPECT_EQ(differences, 1) << "echo " << echo.toHex().toStdString();

    reply = sim.exchange(commandFrame(kCmdReadBlock1));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(payloadOf(*reply).toHex().toStdString(), block.toHex().toStdString()) << "stored intact";
}

TEST(SimulatorFaults, WrongByteDiffersInEveryReadBack)
{
    SimSession sim;
    START_SIM(sim, "--wrong-byte", "7");
    const QByteArray block = sampleBlock();
    ASSERT_TRUE(sim.exchange(transferFrame(kCmdProgramBlock1, false, imageOf(block))).has_value());
    for (int i = 0; i < 2; ++i) {
        const std::optional<Frame> reply = sim.exchange(transferFrame(kCmdReadBlock1, false, imageOf(block)));
        ASSERT_TRUE(reply.has_value());
        const QByteArray payload = payloadOf(*reply);
        for (int j = 0; j < kPayloadSize; ++j) {
            if (j == 7)
                EXPECT_NE(payload[j], block[j]) << "byte 7, read " << i;
            else
                EXPECT_EQ(payload[j], block[j]) << "byte " << j << ", read " << i;
        }
    }
}

TEST(SimulatorFaults, LiveVersionChangesOnlyTheLiveData)
{
    SimSession sim;
    START_SIM(sim, "--live-version", "15");
    std::optional<Frame> reply = sim.exchange(liveDataRequest());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(decodeLiveData(*reply).protocolVersion, 15);
    reply = sim.exchange(commandFrame(kCmdReadBlock0));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[1 + UnitIdentity::kVersion], 16) << "the identity keeps version 16";
}

TEST(SimulatorFaults, BadCheckRepliesFailTheirCheck)
{
    SimSession sim;
    START_SIM(sim, "--bad-check");
    const std::optional<Frame> reply = sim.exchange(liveDataRequest());
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ((*reply)[0], kReplyLiveData);
    EXPECT_FALSE(frameCheckValid(reply->data()));
}

TEST(SimulatorFaults, DropEveryLeavesOutEveryNthReply)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("frames.log"));
    SimSession sim;
    START_SIM(sim, "--drop-every", "2", "--log", log);
    // Four live requests, then a read of block 0 as a fence: replies keep their
    // order on the line, so once the fence's 0xC0 is in, every reply to the
    // requests before it is too. The fence is the fifth reply, never dropped.
    for (int i = 0; i < 4; ++i)
        sim.transport.send(frameToBytes(liveDataRequest()));
    sim.transport.send(frameToBytes(commandFrame(kCmdReadBlock0)));
    QByteArray stream;
    std::vector<std::uint8_t> codes;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            stream += sim.transport.read(100000);
            codes.clear();
            for (qsizetype at = 0; stream.size() - at >= kFrameSize; at += kFrameSize)
                codes.push_back(static_cast<std::uint8_t>(stream[at]));
            return !codes.empty() && codes.back() == 0xC0;
        },
        kPatienceMs))
        << stream.size() << " bytes: " << stream.toHex().toStdString();
    EXPECT_EQ(codes, (std::vector<std::uint8_t>{kReplyLiveData, kReplyLiveData, 0xC0}));
    // Which of the four went unanswered, as the unit logged each one.
    EXPECT_EQ(sim.stop(), 0);
    const QList<QByteArray> lines = logLines(log);
    ASSERT_EQ(lines.size(), 5) << logText(log);
    std::vector<bool> answered;
    for (int i = 0; i < 4; ++i)
        answered.push_back(lines[i].contains("-> 0xB0") && !lines[i].contains("dropped"));
    EXPECT_EQ(answered, (std::vector<bool>{true, false, true, false}));
}

TEST(SimulatorFaults, DelayHoldsTheReplyBack)
{
    SimSession sim;
    START_SIM(sim, "--delay", "200");
    QElapsedTimer clock;
    clock.start();
    const std::optional<Frame> reply = sim.exchange(liveDataRequest());
    ASSERT_TRUE(reply.has_value());
    EXPECT_GE(clock.elapsed(), 190);
}

TEST(SimulatorFaults, SplitRepliesStillArriveWhole)
{
    SimSession sim;
    START_SIM(sim, "--split");
    for (int i = 0; i < 3; ++i) {
        const std::optional<Frame> reply = sim.exchange(liveDataRequest());
        ASSERT_TRUE(reply.has_value());
        EXPECT_TRUE(acceptLiveFrame(reply->data())) << "reply " << i;
    }
}

TEST(SimulatorFaults, NoisePutsGarbageBetweenIntactReplies)
{
    SimSession sim;
    START_SIM(sim, "--noise");
    // Garbage follows about one reply in four. Requests go on, each waiting for
    // its reply, until some garbage has shown; a run without any in
    // kMaxRequests is as good as impossible.
    constexpr int kRequests = 16;
    constexpr int kMaxRequests = 400;
    QByteArray stream;
    int replies = 0;
    qsizetype garbage = 0;
    // Whole replies and stray bytes so far; a tail too short for a reply may
    // still become one and is left for later.
    const auto parse = [&] {
        stream += sim.transport.read(100000);
        replies = 0;
        garbage = 0;
        for (qsizetype at = 0; stream.size() - at >= kFrameSize;) {
            const auto *head = reinterpret_cast<const std::uint8_t *>(stream.constData() + at);
            if (acceptLiveFrame(head)) {
                ++replies;
                at += kFrameSize;
            } else {
                ++garbage;
                ++at;
            }
        }
    };
    int requests = 0;
    while (requests < kRequests || (garbage == 0 && requests < kMaxRequests)) {
        sim.transport.send(frameToBytes(liveDataRequest()));
        ++requests;
        ASSERT_TRUE(QTest::qWaitFor([&] { parse(); return replies >= requests; }, kPatienceMs))
            << replies << " whole replies to " << requests << " requests";
    }
    EXPECT_EQ(replies, requests) << "every reply stays whole";
    EXPECT_GT(garbage, 0) << "some garbage in " << requests << " replies";
}

TEST(SimulatorOptions, HelpListsEveryOptionAndBadOptionsAreRefused)
{
#ifndef TORVO_SIM_PATH
    GTEST_SKIP() << "the simulator's path was not compiled in";
#else
    QProcess help;
    help.start(QStringLiteral(TORVO_SIM_PATH), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char *option : {"--name", "--number", "--date", "--time", "--version", "--long-name", "--store",
                               "--rpm", "--voltage-mv", "--blocking", "--neutral", "--side-stand",
                               "--data-error", "--programs", "--silent", "--silent-after-storing", "--live-version",
                               "--corrupt-echo", "--name-hex",
                               "--wrong-byte", "--delay", "--drop-every", "--bad-check", "--split", "--noise",
                               "--log", "--verbose"})
        EXPECT_TRUE(text.contains(QLatin1String(option))) << option;

    const QStringList bad[] = {{QStringLiteral("--bogus")},
                               {QStringLiteral("--date"), QStringLiteral("32.01.2020")},
                               {QStringLiteral("--wrong-byte"), QStringLiteral("50")},
                               {QStringLiteral("--blocking"), QStringLiteral("2")},
                               {QStringLiteral("--rpm"), QStringLiteral("fast")},
                               {QStringLiteral("--name-hex"), QStringLiteral("1b0d0799")},
                               {QStringLiteral("--name-hex"), QStringLiteral("1b0")},
                               {QStringLiteral("--silent-after-storing"), QStringLiteral("100")}};
    for (const QStringList &arguments : bad) {
        QProcess process;
        process.start(QStringLiteral(TORVO_SIM_PATH), arguments);
        ASSERT_TRUE(process.waitForFinished(5000));
        EXPECT_EQ(process.exitCode(), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << "no device path for bad options";
    }
#endif
}
