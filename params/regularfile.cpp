#include "params/regularfile.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void setReason(QString *reason, const QString &text)
{
    if (reason != nullptr)
        *reason = text;
}

#ifndef Q_OS_WIN
// What the path names instead of a regular file; empty for a regular file.
QString notRegular(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    const char *kind = S_ISDIR(mode)                     ? "a folder"
                       : S_ISFIFO(mode)                  ? "a FIFO"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                  ? "a socket"
                                                         : "no regular file";
    return QStringLiteral("is %1, not a regular file").arg(QLatin1String(kind));
}
#endif

} // namespace

bool isRegularOrMissing(const QString &path, QString *reason)
{
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return true;
    setReason(reason, info.isDir() ? QStringLiteral("is a folder, not a regular file")
                                   : QStringLiteral("is no regular file"));
    return false;
#else
    struct stat status{};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        // Nothing there (or a file where a folder should be): a save makes it
        // or fails with its own reason. Anything else cannot be trusted.
        if (errno == ENOENT || errno == ENOTDIR)
            return true;
        setReason(reason, qt_error_string(errno));
        return false;
    }
    const QString kind = notRegular(status.st_mode);
    setReason(reason, kind);
    return kind.isEmpty();
#endif
}

bool openRegularFile(QFile &file, QIODevice::OpenMode mode, QString *reason)
{
    const QString path = file.fileName();
    // A first look before anything is opened: opening some devices does
    // something of its own.
    if (!isRegularOrMissing(path, reason))
        return false;
#ifdef Q_OS_WIN
    if (!file.open(mode)) {
        setReason(reason, file.errorString());
        return false;
    }
    return true;
#else
    const bool writes = mode.testFlag(QIODevice::WriteOnly);
    const int access = !writes ? O_RDONLY : mode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY;
    // As QFile opens: a write-only open empties the file unless it appends.
    const bool append = mode.testFlag(QIODevice::Append);
    const bool truncate = mode.testFlag(QIODevice::Truncate) || (access == O_WRONLY && !append);
    const int flags = access | (writes ? O_CREAT : 0) | (truncate ? O_TRUNC : 0) | (append ? O_APPEND : 0);
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        setReason(reason, qt_error_string(errno));
        return false;
    }
    struct stat status{};
    const QString kind = ::fstat(fd, &status) != 0 ? qt_error_string(errno) : notRegular(status.st_mode);
    if (!kind.isEmpty()) {
        ::close(fd);
        setReason(reason, kind);
        return false;
    }
    // Reads and writes of a regular file never wait anyway; the flag goes so
    // the handle behaves as any other file's.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        setReason(reason, file.errorString());
        ::close(fd);
        return false;
    }
    return true;
#endif
}
