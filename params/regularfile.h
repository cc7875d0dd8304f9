#pragma once

#include <QIODevice>
#include <QString>

class QFile;

// Every file the tool reads or writes is a regular file. A path that names
// anything else once symbolic links are followed (a folder, a FIFO, a device
// node, a socket) is refused like a file that cannot be opened: opening a FIFO
// waits for a writer for good, a device may never end, and a save would put a
// regular file in the node's place. A symbolic link to a regular file is used
// as that file: a save writes through it and the link stays.

// True when the path names nothing (a save may create it) or a regular file.
// Otherwise false, and *reason (when given) says what is there instead, e.g.
// "is a FIFO, not a regular file", or the system's reason it cannot be looked at.
bool isRegularOrMissing(const QString &path, QString *reason = nullptr);

// Opens file.fileName() in mode (read, or read and write creating a missing
// file) only if it is a regular file. The open itself never waits: it is made
// without blocking and the file's type is checked on the open handle, so a
// FIFO put in place after the first look is refused too. On success the file
// is open on that handle (its fileName() is then empty); on failure false with
// *reason. Opened for writing, a missing file is created, and an existing
// one emptied or appended to as QFile::open would do.
bool openRegularFile(QFile &file, QIODevice::OpenMode mode, QString *reason = nullptr);

// The settings file Torvo_TCI.ini is read by the settings and by the port
// lookup of [PORTS]: both look at no more than its first MiB.
inline constexpr qint64 kMaxSettingsFileBytes = qint64(1) << 20;
