#include "ptypair.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>

PtyPair::PtyPair()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return;
    const char *name = nullptr;
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || (name = ::ptsname(fd)) == nullptr) {
        ::close(fd);
        return;
    }
    path = QString::fromLocal8Bit(name);
    keepSlave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (keepSlave < 0) {
        ::close(fd);
        return;
    }
    termios settings{};
    if (::tcgetattr(keepSlave, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(keepSlave, TCSANOW, &settings);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    master = fd;
}

PtyPair::~PtyPair()
{
    closeMaster();
}

bool PtyPair::writeMaster(const QByteArray &bytes)
{
    qsizetype written = 0;
    QElapsedTimer clock;
    clock.start();
    while (master >= 0 && written < bytes.size() && clock.elapsed() < 5000) {
        const ssize_t n = ::write(master, bytes.constData() + written,
                                  static_cast<size_t>(bytes.size() - written));
        if (n > 0) {
            written += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            pollfd p{master, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
    }
    return written == bytes.size();
}

qint64 PtyPair::offerMaster(const QByteArray &bytes)
{
    qint64 written = 0;
    while (master >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n > 0)
            written += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return written;
}

QByteArray PtyPair::readMaster(int maxBytes, int timeoutMs)
{
    QByteArray result;
    QElapsedTimer clock;
    clock.start();
    while (master >= 0 && result.size() < maxBytes) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(master, buffer,
                                 static_cast<size_t>(qMin<qsizetype>(sizeof buffer, maxBytes - result.size())));
        if (n <= 0)
            break;
        result.append(buffer, n);
    }
    return result;
}

void PtyPair::closeMaster()
{
    if (keepSlave >= 0)
        ::close(keepSlave);
    keepSlave = -1;
    if (master >= 0)
        ::close(master);
    master = -1;
}
