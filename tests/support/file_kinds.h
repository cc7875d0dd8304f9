#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <array>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// The kinds of thing a path the tool reads or writes may name. Readers and
// writers are run over each of them: a regular file and a link to one are
// used, a missing file is created by writers, and everything else is refused
// untouched. A test over a FIFO that regresses hangs in open(); ctest's
// timeout then fails it.
enum class FileKind { Regular, LinkToRegular, Fifo, Device, Folder, Missing };

inline constexpr std::array<FileKind, 6> kFileKinds{FileKind::Regular, FileKind::LinkToRegular, FileKind::Fifo,
                                                    FileKind::Device,  FileKind::Folder,        FileKind::Missing};

inline const char *kindName(FileKind kind)
{
    switch (kind) {
    case FileKind::Regular:
        return "regular file";
    case FileKind::LinkToRegular:
        return "link to a regular file";
    case FileKind::Fifo:
        return "FIFO";
    case FileKind::Device:
        return "device node";
    case FileKind::Folder:
        return "folder";
    case FileKind::Missing:
        return "missing";
    }
    return "?";
}

// A regular file or a link to one: what a reader reads and a writer writes.
inline bool isUsable(FileKind kind)
{
    return kind == FileKind::Regular || kind == FileKind::LinkToRegular;
}

// Puts the kind at path. A regular file, and the target of a link (path +
// ".target"), hold contents. The device is a null device made in place where
// the user may (root), else a link to /dev/null: a writer that wrongly
// replaced a link to /dev/null as root would replace /dev/null itself.
inline bool makeFileKind(const QString &path, FileKind kind, const QByteArray &contents = {})
{
    const QByteArray name = QFile::encodeName(path);
    const auto writeRegular = [&](const QString &file) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(contents) == contents.size();
    };
    switch (kind) {
    case FileKind::Regular:
        return writeRegular(path);
    case FileKind::LinkToRegular:
        return writeRegular(path + QStringLiteral(".target")) && QFile::link(path + QStringLiteral(".target"), path);
    case FileKind::Fifo:
        return ::mkfifo(name.constData(), 0600) == 0;
    case FileKind::Device:
        return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0
               || (::geteuid() != 0 && QFile::link(QStringLiteral("/dev/null"), path));
    case FileKind::Folder:
        return QDir().mkpath(path);
    case FileKind::Missing:
        return !QFile::exists(path);
    }
    return false;
}

// What is at path, without opening it: "FIFO", "device", "folder", "missing",
// "link to <target>: <what the target is>" or "file: <its bytes>".
inline std::string whatIsAt(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status{};
    if (::lstat(name.constData(), &status) != 0)
        return "missing";
    if (S_ISLNK(status.st_mode)) {
        const QString target = QFile::symLinkTarget(path);
        return "link to " + QFileInfo(target).fileName().toStdString() + ": " + whatIsAt(target);
    }
    if (S_ISFIFO(status.st_mode))
        return "FIFO";
    if (S_ISCHR(status.st_mode))
        return "device";
    if (S_ISDIR(status.st_mode))
        return "folder";
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? "file: " + file.readAll().toStdString() : "unreadable file";
}

// What a refused writer must have left: the kind exactly as it was made.
inline std::string untouched(FileKind kind, const QString &path)
{
    switch (kind) {
    case FileKind::Fifo:
        return "FIFO";
    case FileKind::Device:
        return QFileInfo(path).isSymLink() ? "link to null: device" : "device";
    case FileKind::Folder:
        return "folder";
    case FileKind::Missing:
        return "missing";
    case FileKind::Regular:
    case FileKind::LinkToRegular:
        break;
    }
    return "(a usable file is written)";
}

// Standard error of this process, kept in a file while the object lives.
class StderrCapture
{
public:
    explicit StderrCapture(const QString &file) : path(file)
    {
        std::fflush(stderr);
        saved = ::dup(2);
        const int sink = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(sink, 2);
        ::close(sink);
    }
    ~StderrCapture() { restore(); }
    // Ends the capture and gives what was written.
    QByteArray text()
    {
        restore();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

private:
    void restore()
    {
        if (saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        saved = -1;
    }
    QString path;
    int saved = -1;
};
