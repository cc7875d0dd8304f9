#include "cli/clisession.h"

#include "link/portopenproblem.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"

#include <QEventLoop>
#include <QRegularExpression>

#include <cstdio>

CliSession::CliSession()
{
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(55);
    QObject::connect(&ticker, &QTimer::timeout, &session, &UnitSession::tick);
    QObject::connect(&session, &UnitSession::liveDataReceived, [this](const LiveData &data) {
        live = data;
        ++liveFrames;
    });
    QObject::connect(&session, &UnitSession::connectionChanged, [this](bool now) {
        isConnected = now;
        if (!now)
            ++losses;
    });
}

bool CliSession::open(const QString &portOption)
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
        return true;
    }
    const QString device = session.lastOpenDevice();
    if (result == UnitSession::OpenResult::NoPort) {
        std::fprintf(stderr, "torvo-tci-cli: %s names no port (COM1 to COM10, or a device path)\n",
                     qPrintable(portOption));
        return false;
    }
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
    std::fprintf(stderr, "torvo-tci-cli: cannot open %s: %s%s\n", qPrintable(device), qPrintable(reason),
                 qPrintable(hint));
    return false;
}

bool CliSession::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    // Whatever the session reports (live data, the connection, an
    // operation's course) it reports inside a tick, so the condition is looked
    // at again after each tick, and an interrupt is seen within one.
    QEventLoop loop;
    const auto checked = QObject::connect(&session, &UnitSession::ticked, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(checked);
    return done();
}

int CliSession::run(void (UnitSession::*start)())
{
    bool ended = false, succeeded = false;
    QEventLoop loop;
    const auto ok = QObject::connect(&session, &UnitSession::operationSucceeded, &loop, [&](Operation) {
        ended = succeeded = true;
        loop.quit();
    });
    const auto failed = QObject::connect(&session, &UnitSession::operationFailed, &loop, [&](Operation) {
        ended = true;
        loop.quit();
    });
    (session.*start)();
    // Five sendings four ticks apart end any step within about 1.1 s; the
    // bound only guards against a tick that never comes.
    if (!ended) {
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QObject::disconnect(ok);
    QObject::disconnect(failed);
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
