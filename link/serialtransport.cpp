#include "link/serialtransport.h"

#include <QDeadlineTimer>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

SerialTransport::SerialTransport(QObject *parent)
    : QObject(parent)
{
    connect(&port, &QSerialPort::errorOccurred, this, &SerialTransport::handleError);
    connect(&port, &QSerialPort::readyRead, this, [this] { emptyReads = 0; });
}

SerialTransport::~SerialTransport()
{
    // Disconnect first: closing must not report into a half-destroyed object.
    port.disconnect(this);
    port.close();
}

bool SerialTransport::open(const QString &deviceName, QString *reason)
{
    close();
    device = deviceName;
    port.setPortName(deviceName);
    port.setBaudRate(kBaudRate);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setReadBufferSize(kReadBufferBytes);
    // QSerialPort takes a lock file and TIOCEXCL on Unix and opens without
    // sharing on Windows: the port is ours alone where the platform allows.
    if (!port.open(QIODevice::ReadWrite)) {
        if (reason != nullptr)
            *reason = port.errorString();
        port.clearError();
        return false;
    }
    beginPortSession();
    lossPending = false;
    emptyReads = 0;
    // Whatever lingered in the driver from before the open (a previous run,
    // a half frame) belongs to nobody now.
    port.clear(QSerialPort::AllDirections);
    return true;
}

void SerialTransport::close()
{
    if (port.isOpen())
        port.close();
    port.clearError();
}

bool SerialTransport::isOpen() const
{
    return port.isOpen();
}

qint64 SerialTransport::bytesWaiting()
{
    if (!port.isOpen())
        return 0;
    if (port.bytesAvailable() >= kReadBufferBytes)
        dropBacklog();
    return port.bytesAvailable();
}

void SerialTransport::dropBacklog()
{
    qint64 queued = 0;
#ifndef Q_OS_WIN
    // What the driver holds behind the full buffer goes too; FIONREAD says how
    // much that is. (On Windows only the buffer is counted.)
    int inDriver = 0;
    if (::ioctl(port.handle(), FIONREAD, &inDriver) == 0 && inDriver > 0)
        queued = inDriver;
#endif
    dropped += static_cast<std::uint64_t>(port.bytesAvailable() + queued);
    port.clear(QSerialPort::Input);
    // QSerialPort stopped reading when its buffer filled, and takes it up
    // again only when asked for more than the buffer holds.
    char none = 0;
    port.read(&none, 1);
}

QByteArray SerialTransport::read(qint64 maxBytes)
{
    if (!port.isOpen() || maxBytes <= 0)
        return {};
    return port.read(maxBytes);
}

void SerialTransport::send(const QByteArray &frame)
{
    if (!port.isOpen())
        return;
    port.write(frame);
    if (!waitUntilTransmitted()) {
        // A port that cannot take a frame within the limit would otherwise
        // pile stale frames up behind it; the engine's retries resend anyway.
        if (port.isOpen())
            port.clear(QSerialPort::Output);
    }
}

bool SerialTransport::waitUntilTransmitted()
{
    const QDeadlineTimer deadline(kSendTimeoutMs);
    while (port.isOpen() && port.bytesToWrite() > 0) {
        if (deadline.hasExpired())
            return false;
        if (!port.waitForBytesWritten(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))
            && lineHungUp())
            return false;
    }
    if (!port.isOpen())
        return false;
#ifdef Q_OS_WIN
    // Returns once the driver has sent everything (write time-outs are zero,
    // so a stuck port ends it with an error instead of blocking for ever).
    FlushFileBuffers(reinterpret_cast<HANDLE>(port.handle()));
    return true;
#else
    // tcdrain has no time limit, and a UART held up by a dead line would block
    // the user-interface thread for good. So wait for the driver's queue to run
    // empty with a deadline first; once it is empty, tcdrain only waits for the
    // last character to leave the shift register.
    const int fd = port.handle();
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(500);
    }
    ::tcdrain(fd);
    return true;
#endif
}

bool SerialTransport::lineHungUp()
{
#ifdef Q_OS_WIN
    return false;
#else
    pollfd probe{static_cast<int>(port.handle()), POLLIN, 0};
    return ::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#endif
}

void SerialTransport::handleError(QSerialPort::SerialPortError error)
{
    if (!port.isOpen() || lossPending)
        return;
    // A device that goes away shows up as a ResourceError (EIO) or, when the
    // terminal reads as at its end (a pseudo-terminal whose other side
    // closed), as a ReadError from a read that returned nothing. QSerialPort
    // keeps its read notifier armed after the latter, so it comes again on
    // every wake-up of the event loop: left open, the port would spin the
    // tool at full load. A ReadError on a line that has not hung up is left
    // alone; the engine's retries cover whatever it cost.
    // A driver that keeps waking the loop with empty reads without reporting
    // a hang-up is as good as gone too; data in between resets the count.
    if (error == QSerialPort::ReadError)
        ++emptyReads;
    const bool lost = error == QSerialPort::ResourceError
                      || (error == QSerialPort::ReadError
                          && (lineHungUp() || emptyReads >= kEmptyReadLimit));
    if (!lost)
        return;
    lossPending = true;
    // After an empty read the error text is whatever errno last held, so the
    // hang-up gets a text of its own.
    const QString reason = error == QSerialPort::ResourceError
                               ? port.errorString()
                               : QStringLiteral("The device was disconnected (hang-up)");
    const std::uint64_t lostSession = portSession();
    // Closed from the event loop rather than from inside QSerialPort's own
    // notification handler, which is on the stack here; one more wake-up at
    // most passes before the close.
    QMetaObject::invokeMethod(
        this, [this, lostSession, reason] { loseSession(lostSession, reason); },
        Qt::QueuedConnection);
}

void SerialTransport::loseSession(std::uint64_t lostSession, const QString &reason)
{
    // Meant for a port that has since been closed and opened again: the new
    // one is none of its business.
    if (lostSession != portSession())
        return;
    lossPending = false;
    if (!port.isOpen())
        return;
    close();
    reportLost(lostSession, reason);
}
