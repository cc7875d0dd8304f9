// torvo-tci-sim: an ignition unit on a pseudo-terminal, for demonstrations,
// end-to-end tests and benchmarks of the tool.
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>

#include "sim/blockstore.h"
#include "sim/framelog.h"
#include "sim/ptyport.h"
#include "sim/simoptions.h"
#include "sim/simserver.h"
#include "sim/simunit.h"

namespace {
// Written by the signal handler, read by the poll loop: the self-pipe turns
// SIGINT and SIGTERM into an ordinary readable descriptor, with no race
// between checking a flag and going to sleep.
int stopPipe[2] = {-1, -1};

extern "C" void requestStop(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(stopPipe[1], &byte, 1);
}

bool installStopSignals()
{
    if (::pipe(stopPipe) != 0)
        return false;
    ::fcntl(stopPipe[1], F_SETFL, ::fcntl(stopPipe[1], F_GETFL) | O_NONBLOCK);
    struct sigaction action{};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // A log reader that goes away must not kill the unit.
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvo-tci-sim"));

    const SimOptionsResult parsed = parseSimOptions(QCoreApplication::arguments());
    switch (parsed.outcome) {
    case SimOptionsResult::Outcome::Help:
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    case SimOptionsResult::Outcome::Error:
        std::fprintf(stderr, "torvo-tci-sim: %s (see --help)\n", qPrintable(parsed.text));
        return 2;
    case SimOptionsResult::Outcome::Run:
        break;
    }
    const SimOptions &options = parsed.options;

    if (!installStopSignals()) {
        std::perror("torvo-tci-sim: pipe");
        return 1;
    }

    QString problem;
    FrameLog log;
    if (!log.open(options.logPath, options.verbose, &problem)) {
        std::fprintf(stderr, "torvo-tci-sim: %s\n", qPrintable(problem));
        return 1;
    }

    const BlockStore store(options.storePath);
    ParameterBlock block = SimUnit::defaultBlock();
    if (const std::optional<ParameterBlock> stored = store.load(&problem))
        block = *stored;
    else if (!problem.isEmpty())
        std::fprintf(stderr, "torvo-tci-sim: %s; starting with the default set\n", qPrintable(problem));

    PtyPort pty;
    problem.clear();
    if (!pty.open(&problem)) {
        std::fprintf(stderr, "torvo-tci-sim: %s\n", qPrintable(problem));
        return 1;
    }
    std::printf("%s\n", qPrintable(pty.slavePath()));
    std::fflush(stdout);

    SimUnit unit(options, block);
    SimServer server(options, unit, pty, log, store);
    return server.run(stopPipe[0]);
}
