#pragma once

#include <QFile>
#include <QList>

#include <unistd.h>

// The process's resident memory in bytes, from /proc/self/statm (its second
// number counts pages); -1 where there is no such file.
inline long long residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    if (fields.size() < 2)
        return -1;
    bool ok = false;
    const long long pages = fields[1].toLongLong(&ok);
    return ok ? pages * static_cast<long long>(sysconf(_SC_PAGESIZE)) : -1;
}
