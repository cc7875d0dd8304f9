#pragma once

// A unit session on a simulated unit's pseudo-terminal, ticked by the test
// itself: each tick is counted, and a frame that went out is answered within
// the ticks the line allows (answerTicks). By the last of them the event loop
// runs until the answer is in, or until the simulator's log says that none is
// coming (dropped, or not answered at all). Time on the line is thus counted
// in ticks, as the engine counts it, however busy the machine, while a run of
// hundreds of operations takes seconds rather than the minutes the 55 ms timer
// would take.
#include "link/frame.h"
#include "link/serialtransport.h"
#include "params/parameterimage.h"
#include "session/unitsession.h"
#include "support/watched_transport.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

using StoredBlock = std::array<std::uint8_t, ParameterImage::kBlockSize>;

// The simulator's store: 50 decimal numbers. Nothing when it is missing or
// not 50 numbers of 0..255.
inline std::optional<StoredBlock> readStore(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> words = file.readAll().simplified().split(' ');
    if (words.size() != ParameterImage::kBlockSize)
        return std::nullopt;
    StoredBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i) {
        bool ok = false;
        const uint value = words[static_cast<qsizetype>(i)].toUInt(&ok);
        if (!ok || value > 255)
            return std::nullopt;
        block[i] = static_cast<std::uint8_t>(value);
    }
    return block;
}

inline bool writeStore(const QString &path, const StoredBlock &block)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text;
    for (const std::uint8_t byte : block)
        text += QByteArray::number(byte) + ' ';
    return file.write(text) == text.size();
}

inline StoredBlock blockOf(const ParameterImage &image)
{
    StoredBlock block{};
    std::copy_n(image.bytes.begin(), block.size(), block.begin());
    return block;
}

inline std::string bytesText(const StoredBlock &block)
{
    std::string text;
    for (const std::uint8_t byte : block)
        text += std::to_string(byte) + ' ';
    return text;
}

// A curve the normalisation leaves alone: ten different speeds out of 200..20000
// rpm in rising order (point k then lies within k+2..k+191 hundreds), advances
// 0..60 degrees, and a base advance of 0..15.
inline void randomCurve(ParameterImage &image, std::mt19937 &random)
{
    std::vector<int> speeds(199);
    for (int i = 0; i < 199; ++i)
        speeds[static_cast<std::size_t>(i)] = i + 2;
    std::shuffle(speeds.begin(), speeds.end(), random);
    speeds.resize(ParameterImage::kPoints);
    std::sort(speeds.begin(), speeds.end());
    std::uniform_int_distribution<int> advance(0, ParameterImage::kAdvanceMax);
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        image.rpmAdv(k) = static_cast<std::uint8_t>(speeds[static_cast<std::size_t>(k)]);
        image.advance(k) = static_cast<std::uint8_t>(advance(random));
    }
    image[ParameterImage::kBaseAdv] = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 15)(random));
}

// How one operation ended, as the session reported it.
struct OperationEnd
{
    bool ended = false;
    bool succeeded = false;
    std::optional<Operation> reported; // the operation named by the signal
    StatusReport status;               // the report as the end was announced
    bool verifyStepShown = false;      // "Verify:" came up during it
    // The version a report of another protocol named: noise that passed as
    // the unit's identity (a check byte holds by chance one time in 256).
    std::optional<int> versionReported;
    int ticks = 0;
};

class NoisyLine
{
public:
    NoisyLine()
    {
        auto watched = std::make_unique<WatchedTransport>(std::make_unique<SerialTransport>());
        line = watched.get();
        session = std::make_unique<UnitSession>(std::move(watched));
        session->setPortNumber(1);
        // The reports speak the language a view chose; English here.
        session->language().select(language::kEnglish);
        UnitSession &s = *session;
        QObject::connect(&s.status(), &StatusPresenter::statusChanged, [this](const StatusReport &status) {
            if (!end.ended)
                end.status = status;
            if (status.caption == QStringLiteral("Verify:"))
                end.verifyStepShown = true;
        });
        QObject::connect(&s, &UnitSession::operationSucceeded, [this](Operation o) { finish(true, o); });
        QObject::connect(&s, &UnitSession::operationFailed, [this](Operation o) { finish(false, o); });
        // Reported right after operationFailed, for the operation that just ended.
        QObject::connect(&s, &UnitSession::versionMismatch,
                         [this](const QString &, int version) { end.versionReported = version; });
        QObject::connect(&s, &UnitSession::liveDataReceived, [this](const LiveData &) { lastLiveTick = ticks; });
        QObject::connect(&s, &UnitSession::connectionChanged,
                         [this](bool connected) { connectionChanges.push_back({ticks, connected}); });
    }

    // Opens the pseudo-terminal as COM1 through a [PORTS] file; simLog is the
    // simulator's --log file, which tells whether a frame is answered.
    bool open(const QString &portsFile, const QString &pty, const QString &simLog, QString *problem)
    {
        unitLog = std::make_unique<UnitLog>(simLog);
        sendsAtOpen = line->sends;
        QFile ini(portsFile);
        if (!ini.open(QIODevice::WriteOnly)) {
            *problem = ini.errorString();
            return false;
        }
        ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(pty).toUtf8());
        ini.close();
        session->setPortsFile(portsFile);
        if (session->openPort() == UnitSession::OpenResult::Opened)
            return true;
        *problem = session->lastOpenError();
        return false;
    }

    // One tick. A frame sent by it may be answered up to answerTicks ticks
    // later (a slow unit). By the last of those ticks a whole frame's worth of
    // bytes has come in since the frame went out (a unit's 9 ms frame is whole
    // long before a 55 ms tick), or the simulator's log says none is coming.
    void tick()
    {
        ++ticks;
        session->tick();
        if (line->sends != sendsSeen) {
            sendsSeen = line->sends;
            awaiting = answerTicks;
            arrivedAtSend = arrived();
        }
        QCoreApplication::processEvents();
        if (awaiting > 0 && --awaiting == 0 && line->isOpen()) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return answered() || !line->isOpen() || noAnswerComing(); },
                                        kPatienceMs))
                << "tick " << ticks << ": the simulator neither answered nor logged the frame";
        }
        if (answered())
            awaiting = 0;
    }

    // Idle ticks until the session has just asked for live data, so that an
    // operation started now meets its answer as a stray frame.
    void tickUntilLiveRequestOut()
    {
        for (int i = 0; i < TransferEngine::kLiveDataTicks + 1; ++i) {
            const std::uint64_t before = line->sends;
            ++ticks;
            session->tick();
            sendsSeen = line->sends;
            if (line->sends != before)
                return;
        }
    }

    // Starts the operation and ticks until it ends or maxTicks have passed.
    OperationEnd run(Operation operation, int maxTicks)
    {
        end = OperationEnd{};
        const int startTick = ticks;
        switch (operation) {
        case Operation::Program:
            session->startProgram();
            break;
        case Operation::Verify:
            session->startVerify();
            break;
        case Operation::Read:
            session->startRead();
            break;
        }
        while (!end.ended && ticks - startTick < maxTicks)
            tick();
        end.ticks = ticks - startTick;
        return end;
    }

    UnitSession &unit() { return *session; }

    // Ticks a frame's answer may take to arrive; 1 unless the unit is slow.
    int answerTicks = 1;
    int ticks = 0;
    int lastLiveTick = -1;
    struct Change
    {
        int tick;
        bool connected;
    };
    std::vector<Change> connectionChanges;

private:
    // A bound on a simulator that hangs, not a measure of speed.
    static constexpr int kPatienceMs = 20000;

    // The simulator's log, read as it grows: one line per frame received,
    // ending in what became of it ("-> 0xB0", "-> 0xB0 dropped", "-> silent",
    // "-> no answer ...").
    class UnitLog
    {
    public:
        explicit UnitLog(const QString &path) : file(path) {}
        void update()
        {
            if (!file.isOpen() && !file.open(QIODevice::ReadOnly))
                return;
            pending += file.readAll();
            qsizetype end = 0;
            while ((end = pending.indexOf('\n')) >= 0) {
                const QByteArray entry = pending.left(end);
                pending.remove(0, end + 1);
                const qsizetype arrow = entry.indexOf(" -> ");
                if (!entry.contains(" rx ") || arrow < 0)
                    continue;
                ++frames;
                const QByteArray outcome = entry.mid(arrow + 4);
                lastAnswered = outcome.startsWith("0x") && !outcome.endsWith("dropped");
            }
        }
        std::uint64_t frames = 0;
        bool lastAnswered = false;

    private:
        QFile file;
        QByteArray pending;
    };

    // Bytes the line has brought since the transport was made.
    std::uint64_t arrived() { return line->bytesRead + static_cast<std::uint64_t>(line->bytesWaiting()); }
    bool answered() { return arrived() - arrivedAtSend >= kFrameSize; }

    // Every frame sent has reached the unit, and the last one goes unanswered.
    bool noAnswerComing()
    {
        if (!unitLog)
            return false;
        unitLog->update();
        return unitLog->frames >= line->sends - sendsAtOpen && !unitLog->lastAnswered;
    }

    void finish(bool succeeded, Operation operation)
    {
        end.ended = true;
        end.succeeded = succeeded;
        end.reported = operation;
    }

    WatchedTransport *line = nullptr;
    std::unique_ptr<UnitSession> session;
    std::uint64_t sendsSeen = 0;
    std::uint64_t sendsAtOpen = 0;
    std::uint64_t arrivedAtSend = 0;
    std::unique_ptr<UnitLog> unitLog;
    int awaiting = 0;
    OperationEnd end;
};
