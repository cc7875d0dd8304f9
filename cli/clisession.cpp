#include "cli/clisession.h"

#include "link/portopenproblem.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"

#include <QEventLoop>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Five sendings four ticks apart end any step within about 20 ticks, and an
// operation has at most three steps; this bound (about 30 s) only guards
// against an end that never comes.
constexpr int kOperationTicks = 550;

// The writing end of the pipe an InterruptCatcher watches; -1 while none does.
volatile std::sig_atomic_t interruptFd = -1;

void onInterrupt(int)
{
    const int saved = errno;
    if (interruptFd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(interruptFd, &byte, 1);
    }
    errno = saved;
}

constexpr std::array<int, 3> kCaughtSignals{SIGINT, SIGTERM, SIGHUP};

} // namespace

CliSession::CliSession(std::unique_ptr<Transport> transport, int tickMs) : session(std::move(transport))
{
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(tickMs);
    connect(&ticker, &QTimer::timeout, &session, &UnitSession::tick);
    connect(&session, &UnitSession::liveDataReceived, this, [this](const LiveData &data) {
        live = data;
        ++liveFrames;
    });
    connect(&session, &UnitSession::connectionChanged, this, [this](bool now) {
        isConnected = now;
        if (!now)
            ++losses;
    });
}

CliSession::~CliSession() = default;

QString CliSession::open(const QString &portOption)
{
    const QString ini = settingspaths::settingsFile();
    session.setPortsFile(ini);
    const QRegularExpression com(QStringLiteral("^COM(\\d{1,2})$"), QRegularExpression::CaseInsensitiveOption);
    if (portOption.isEmpty()) {
        // The port the window last used, through the same [PORTS] mapping.
        StoredSettings defaults;
        defaults.comPort = 1;
        std::uint8_t port = readSettings(ini, defaults).comPort;
        session.setPortNumber(port >= 1 && port <= 10 ? port : 1);
    } else if (const QRegularExpressionMatch m = com.match(portOption); m.hasMatch()) {
        session.setPortNumber(static_cast<std::uint8_t>(m.captured(1).toInt()));
    } else {
        session.setDeviceOverride(portOption);
    }
    const UnitSession::OpenResult result = session.openPort();
    if (result == UnitSession::OpenResult::Opened) {
        ticker.start();
        return {};
    }
    if (result == UnitSession::OpenResult::NoPort)
        return QStringLiteral("%1 names no port (COM1 to COM10, or a device path)").arg(portOption);
    const QString device = session.lastOpenDevice();
    const QString reason = session.lastOpenError();
    QString hint;
    switch (portOpenProblem(device, reason)) {
    case PortOpenProblem::InUse:
        hint = QStringLiteral("; it is in use by another program, which must let go of it first");
        break;
    case PortOpenProblem::NoAccess:
        hint = QStringLiteral("; join the dialout group (sudo usermod -aG dialout $USER) and log in again");
        break;
    case PortOpenProblem::Missing:
        hint = QStringLiteral("; see the devices there are with: torvo-tci-cli ports");
        break;
    case PortOpenProblem::Other:
        break;
    }
    return QStringLiteral("cannot open %1: %2%3").arg(device, reason, hint);
}

bool CliSession::waitFor(const std::function<bool()> &done, int maxTicks)
{
    if (done())
        return true;
    QEventLoop loop;
    // Connected here, after whatever the caller connected to the same
    // signals: its own handlers have seen a report before done() is asked.
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    connect(&session, &UnitSession::liveDataReceived, &loop, check);
    connect(&session, &UnitSession::connectionChanged, &loop, check);
    connect(&session, &UnitSession::operationSucceeded, &loop, check);
    connect(&session, &UnitSession::operationFailed, &loop, check);
    connect(&session, &UnitSession::portLost, &loop, check);
    connect(this, &CliSession::woken, &loop, check);
    int ticks = 0;
    if (maxTicks > 0) {
        connect(&session, &UnitSession::ticked, &loop, [&] {
            if (++ticks >= maxTicks)
                loop.quit();
        });
    }
    loop.exec();
    return done();
}

void CliSession::interrupt()
{
    wasInterrupted = true;
    emit woken();
}

int CliSession::run(void (UnitSession::*start)())
{
    bool ended = false, succeeded = false;
    QEventLoop loop;
    connect(&session, &UnitSession::operationSucceeded, &loop, [&](Operation) {
        ended = succeeded = true;
        loop.quit();
    });
    connect(&session, &UnitSession::operationFailed, &loop, [&](Operation) {
        ended = true;
        loop.quit();
    });
    int ticks = 0;
    connect(&session, &UnitSession::ticked, &loop, [&] {
        if (++ticks >= kOperationTicks)
            loop.quit();
    });
    (session.*start)();
    if (!ended)
        loop.exec();
    if (succeeded)
        return kExitOk;
    switch (session.engine().lastFailure()) {
    case TransferFailure::Differed:
        return kExitDiffers;
    case TransferFailure::Version:
        return kExitVersion;
    case TransferFailure::None: // no end within the bound
    case TransferFailure::NoReply:
    case TransferFailure::BadCheck:
        break;
    }
    return kExitNoAnswer;
}

InterruptCatcher::InterruptCatcher(CliSession &session)
{
    if (::pipe(fds) != 0)
        return;
    for (int fd : fds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    notifier = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &session, [this, &session] {
        char bytes[16];
        while (::read(fds[0], bytes, sizeof bytes) > 0) {
        }
        session.interrupt();
    });
    interruptFd = fds[1];
    struct sigaction action{};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kCaughtSignals.size(); ++i)
        ::sigaction(kCaughtSignals[i], &action, &saved[i]);
}

InterruptCatcher::~InterruptCatcher()
{
    if (fds[0] < 0)
        return;
    for (std::size_t i = 0; i < kCaughtSignals.size(); ++i)
        ::sigaction(kCaughtSignals[i], &saved[i], nullptr);
    interruptFd = -1;
    notifier.reset();
    ::close(fds[0]);
    ::close(fds[1]);
}
