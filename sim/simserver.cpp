#include "sim/simserver.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <poll.h>
#include <unistd.h>

SimServer::SimServer(const SimOptions &serverOptions, SimUnit &simUnit, PtyPort &ptyPort,
                     FrameLog &frameLog, const BlockStore &blockStore)
    : options(serverOptions)
    , unit(simUnit)
    , pty(ptyPort)
    , log(frameLog)
    , store(blockStore)
    , assembler(FrameAssembler::Events{
          [this](const Frame &frame, bool checkValid) { handleFrame(frame, checkValid); },
          [this](int count) { log.garbage(stampMs(), count); }})
{
    clock.start();
}

void SimServer::handleFrame(const Frame &frame, bool checkValid)
{
    lastFrameMs = nowMs();
    exclusiveReleased = false;
    const std::uint8_t code = frame[0];
    if (!checkValid) {
        log.frame(stampMs(), code, false, QStringLiteral("no answer"));
        return;
    }
    // A unit that goes silent still sends the reply that took it there.
    const bool silent = options.silent || unit.silenced();
    bool blockStored = false;
    const std::optional<Frame> reply = unit.answer(frame, nowMs(), &blockStored);
    if (blockStored) {
        QString problem;
        if (!store.save(unit.storedBlock(), &problem))
            std::fprintf(stderr, "torvo-tci-sim: %s\n", qPrintable(problem));
    }
    if (!reply) {
        log.frame(stampMs(), code, true, QStringLiteral("no answer (unknown command)"));
        return;
    }
    const QString replyName =
        QStringLiteral("0x%1").arg(QString::number((*reply)[0], 16).toUpper().rightJustified(2, QLatin1Char('0')));
    if (silent) {
        log.frame(stampMs(), code, true, QStringLiteral("silent"));
        return;
    }
    ++replies;
    if (options.dropEvery > 0 && replies % options.dropEvery == 0) {
        log.frame(stampMs(), code, true, replyName + QStringLiteral(" dropped"));
        return;
    }
    Frame out = *reply;
    if (options.badCheck)
        out[kCheckByteOffset] ^= 0x5A;
    log.frame(stampMs(), code, true, replyName);

    const QByteArray bytes = frameToBytes(out);
    const qint64 due = nowMs() + options.delayMs;
    if (options.split) {
        const qsizetype half = 1 + static_cast<qsizetype>(random() % (kFrameSize - 1));
        schedule(due, bytes.left(half));
        schedule(due + kSplitPauseMs, bytes.mid(half));
    } else {
        schedule(due, bytes);
    }
    if (options.noise && random() % 4 == 0) {
        QByteArray garbage(1 + static_cast<qsizetype>(random() % 20), '\0');
        for (char &c : garbage)
            c = static_cast<char>(random() & 0xFF);
        schedule(due + kNoiseAfterMs, garbage);
    }
}

void SimServer::schedule(qint64 dueMs, QByteArray bytes)
{
    // A tool flooding a slow (--delay) unit would otherwise grow the queue without end.
    if (pending.size() >= kMaxPending)
        return;
    // Keeps the queue in due order; equal times keep their order of arrival.
    const auto at = std::upper_bound(pending.begin(), pending.end(), dueMs,
                                     [](qint64 due, const Pending &p) { return due < p.dueMs; });
    pending.insert(at, Pending{dueMs, std::move(bytes)});
}

void SimServer::writeDue()
{
    const qint64 now = nowMs();
    while (!pending.empty() && pending.front().dueMs <= now) {
        const QByteArray bytes = std::move(pending.front().bytes);
        pending.pop_front();
        // The master never blocks: bytes nobody reads are lost, as on a real line.
        qsizetype written = 0;
        while (written < bytes.size()) {
            const ssize_t n = ::write(pty.masterFd(), bytes.constData() + written,
                                      static_cast<size_t>(bytes.size() - written));
            if (n > 0)
                written += n;
            else if (n < 0 && errno == EINTR)
                continue;
            else
                break;
        }
    }
}

void SimServer::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
        if (n > 0) {
            assembler.feed(QByteArray(buffer, n), nowMs());
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        // EIO: no slave open any more. Open our own again; if even that fails,
        // try again shortly instead of spinning on the hang-up.
        if (!pty.rearm())
            rearmRetryMs = nowMs() + 100;
        return;
    }
}

int SimServer::pollTimeout() const
{
    qint64 deadline = -1;
    auto consider = [&deadline](qint64 at) {
        if (at >= 0 && (deadline < 0 || at < deadline))
            deadline = at;
    };
    if (!pending.empty())
        consider(pending.front().dueMs);
    consider(assembler.nextDeadline());
    if (!exclusiveReleased)
        consider(lastFrameMs + kIdleReleaseMs);
    consider(rearmRetryMs);
    if (deadline < 0)
        return -1;
    return static_cast<int>(std::clamp<qint64>(deadline - nowMs(), 0, 60000));
}

int SimServer::run(int stopFd)
{
    for (;;) {
        const bool waitingToRearm = rearmRetryMs >= 0;
        // While the terminal waits to be re-armed its master is left out of the
        // poll: a hung-up descriptor reports POLLHUP whatever it is asked for.
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {waitingToRearm ? -1 : pty.masterFd(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, pollTimeout());
        if (ready < 0 && errno != EINTR) {
            std::perror("torvo-tci-sim: poll");
            return 1;
        }
        if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
            return 0;
        if (ready > 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
            readMaster();
        if (rearmRetryMs >= 0 && nowMs() >= rearmRetryMs) {
            rearmRetryMs = pty.rearm() ? -1 : nowMs() + 100;
        }
        assembler.expire(nowMs());
        if (!exclusiveReleased && nowMs() - lastFrameMs >= kIdleReleaseMs) {
            pty.releaseExclusive();
            exclusiveReleased = true;
        }
        writeDue();
    }
}
