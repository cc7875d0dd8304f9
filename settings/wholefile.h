#pragma once

#include <QByteArray>
#include <QString>

// The settings file and the image file are written at close, when a crash or
// a full disk must not leave half a file behind: they are saved whole through
// saveFileContents (a temporary beside the file that replaces it once
// complete; in a folder that refuses new files, in place with the old
// contents put back on failure). A missing folder is created first.
//
// A path that names something else than a regular file (a folder, a FIFO, a
// device) is refused; a symbolic link to one is written through, the link
// staying. On failure the old file (if any) is left as it was, false is
// returned and *reason (when given) says what went wrong, naming the path.
bool saveWholeFile(const QString &path, const QByteArray &contents, QString *reason);

// Puts "<path>: <what>" into *reason, when a reason is wanted.
void setFileReason(QString *reason, const QString &path, const QString &what);

// Reads at most maxBytes from the start of the file. Returns false when the
// file cannot be opened or read, or is no regular file (a folder, a FIFO, a
// device); *reason then says why, naming the path, unless nothing is there at
// all. *truncated tells whether more was there.
bool readFileStart(const QString &path, qint64 maxBytes, QByteArray &contents, bool *truncated = nullptr,
                   QString *reason = nullptr);
