#include "params/filesave.h"

#include "params/regularfile.h"

#include <QFile>
#include <QSaveFile>

namespace {

// Files above this size are not kept for writing back; none of the tool's
// own files comes near it.
constexpr qint64 kMaxKeptBytes = qint64(1) << 20;

// The file's contents, if it exists and is small enough to keep.
bool readEarlier(const QString &path, QByteArray &earlier)
{
    QFile file(path);
    if (!file.exists() || file.size() > kMaxKeptBytes || !openRegularFile(file, QIODevice::ReadOnly))
        return false;
    earlier = file.readAll();
    return file.error() == QFileDevice::NoError;
}

// After a failed save: a file written in place no longer holds what it held,
// and gets it back. A file that was replaced through a temporary is untouched.
void putBack(const QString &path, const QByteArray &earlier)
{
    QFile now(path);
    if (!openRegularFile(now, QIODevice::ReadOnly) || now.readAll() == earlier)
        return;
    now.close();
    QFile file(path);
    if (openRegularFile(file, QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(earlier);
}

bool fail(QString *reason, const QString &what)
{
    if (reason)
        *reason = what;
    return false;
}

} // namespace

bool saveFileContents(const QString &path, const QByteArray &contents, QString *reason)
{
    if (!isRegularOrMissing(path, reason))
        return false;
    QByteArray earlier;
    const bool kept = readEarlier(path, earlier);
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return fail(reason, file.errorString());
    // The contents sit in the buffer until the flush; commit() does not notice
    // a flush that fails (a full disk) and would rename the truncated
    // temporary over the old file, so the flush is made and checked here.
    if (file.write(contents) != contents.size() || !file.flush()) {
        const QString what = file.errorString();
        file.cancelWriting();
        file.commit(); // drops the temporary; a file written in place is closed
        if (kept)
            putBack(path, earlier);
        return fail(reason, what);
    }
    if (!file.commit()) {
        const QString what = file.errorString();
        if (kept)
            putBack(path, earlier);
        return fail(reason, what);
    }
    return true;
}
