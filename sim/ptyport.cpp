#include "sim/ptyport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyPort::~PtyPort()
{
    if (slave >= 0)
        ::close(slave);
    if (master >= 0)
        ::close(master);
}

bool PtyPort::open(QString *problem)
{
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        *problem = QStringLiteral("no pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const char *name = ::ptsname(master);
    if (name == nullptr) {
        *problem = QStringLiteral("ptsname: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    path = QString::fromLocal8Bit(name);
    // Replies are written without blocking: with nobody reading the slave, a
    // unit's bytes are simply lost, as on a real line.
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    if (!openSlave()) {
        *problem = QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool PtyPort::openSlave()
{
    slave = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0)
        return false;
    // Raw at once: a terminal in cooked mode would echo the tool's frames back
    // and translate bytes such as 0x0D before anyone opens the slave.
    termios settings{};
    if (::tcgetattr(slave, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::cfsetispeed(&settings, B57600);
        ::cfsetospeed(&settings, B57600);
        ::tcsetattr(slave, TCSANOW, &settings);
    }
    return true;
}

bool PtyPort::rearm()
{
    if (slave >= 0)
        ::close(slave);
    slave = -1;
    return openSlave();
}

void PtyPort::releaseExclusive()
{
#ifdef TIOCNXCL
    if (slave >= 0)
        ::ioctl(slave, TIOCNXCL);
#endif
}
