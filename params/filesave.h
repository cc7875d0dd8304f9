#pragma once

#include <QByteArray>
#include <QString>

// Saves the whole contents of a small file so that a failure never leaves a
// half-written file behind: the contents go to a temporary file beside the
// target, which replaces it only once completely written.
//
// A folder that refuses new files but holds a writable file (a locked-down
// workshop PC, a shared folder) leaves no room for the temporary: the file is
// then written in place. Should that write fail (a full disk), the earlier
// contents are written back.
//
// A path that names something else than a regular file (a folder, a FIFO, a
// device) is refused untouched; a symbolic link to one is written through.
//
// Returns false on any failure, with the system's reason in *reason when given.
bool saveFileContents(const QString &path, const QByteArray &contents, QString *reason = nullptr);
