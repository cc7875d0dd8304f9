#include "settings/wholefile.h"

#include "params/filesave.h"
#include "params/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void setFileReason(QString *reason, const QString &path, const QString &what)
{
    if (reason != nullptr)
        *reason = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), what);
}

bool saveWholeFile(const QString &path, const QByteArray &contents, QString *reason)
{
    QString why;
    if (!isRegularOrMissing(path, &why)) {
        setFileReason(reason, path, why + QStringLiteral("; left as it is"));
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        setFileReason(reason, path, QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(folder)));
        return false;
    }
    QString what;
    if (!saveFileContents(path, contents, &what)) {
        setFileReason(reason, path, what);
        return false;
    }
    return true;
}

bool readFileStart(const QString &path, qint64 maxBytes, QByteArray &contents, bool *truncated, QString *reason)
{
    QFile file(path);
    QString why;
    if (!openRegularFile(file, QIODevice::ReadOnly, &why)) {
        if (QFileInfo::exists(path))
            setFileReason(reason, path, why);
        return false;
    }
    // One byte more than wanted tells a file of exactly maxBytes from a longer
    // one. The buffer is the size the file has, not maxBytes, so that a small
    // file costs a small buffer; a file that grows meanwhile is read on in pieces.
    QByteArray data;
    while (data.size() <= maxBytes) {
        const qint64 left = maxBytes + 1 - data.size();
        const QByteArray piece = file.read(qBound(qMin<qint64>(4096, left), file.size() - data.size() + 1, left));
        if (piece.isEmpty())
            break;
        data += piece;
    }
    if (file.error() != QFileDevice::NoError) {
        setFileReason(reason, path, file.errorString());
        return false;
    }
    const bool cut = data.size() > maxBytes;
    if (cut)
        data.truncate(maxBytes);
    if (truncated != nullptr)
        *truncated = cut;
    contents = data;
    return true;
}
