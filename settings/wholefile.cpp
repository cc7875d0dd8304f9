#include "settings/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

void setFileReason(QString *reason, const QString &path, const QString &what)
{
    if (reason != nullptr)
        *reason = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), what);
}

bool saveWholeFile(const QString &path, const QByteArray &contents, QString *reason)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        setFileReason(reason, path, QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    QSaveFile file(path);
    // Never fall back to writing the target in place (as QSaveFile may in a
    // folder it cannot create files in): that is exactly the half-written
    // file to avoid.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        setFileReason(reason, path, file.errorString());
        return false;
    }
    // A small text sits in the buffer until the flush; commit() does not
    // notice a flush that fails (a full disk) and would rename the truncated
    // file over the old one, so the flush is made and checked here.
    if (file.write(contents) != contents.size() || !file.flush()) {
        setFileReason(reason, path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setFileReason(reason, path, file.errorString());
        return false;
    }
    return true;
}

bool readFileStart(const QString &path, qint64 maxBytes, QByteArray &contents, bool *truncated)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return false;
    // One byte more than wanted tells a file of exactly maxBytes from a longer
    // one. Read in pieces the size the file says it has (it may have grown, or
    // be a device that says 0), so that a small file costs a small buffer.
    QByteArray data;
    while (data.size() <= maxBytes) {
        const qint64 left = maxBytes + 1 - data.size();
        const QByteArray piece = file.read(qBound(qMin<qint64>(4096, left), file.size() - data.size() + 1, left));
        if (piece.isEmpty())
            break;
        data += piece;
    }
    if (file.error() != QFileDevice::NoError)
        return false;
    const bool cut = data.size() > maxBytes;
    if (cut)
        data.truncate(maxBytes);
    if (truncated != nullptr)
        *truncated = cut;
    contents = data;
    return true;
}
