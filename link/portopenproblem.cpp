#include "link/portopenproblem.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

PortOpenProblem portOpenProblem(const QString &device, const QString &reason)
{
    if (reason.contains(QLatin1String("No such file")) || reason.contains(QLatin1String("not found")))
        return PortOpenProblem::Missing;
    if (reason.contains(QLatin1String("busy"), Qt::CaseInsensitive))
        return PortOpenProblem::InUse;
    if (!reason.contains(QLatin1String("ermission")) && !reason.contains(QLatin1String("ccess is denied")))
        return PortOpenProblem::Other;
#ifdef Q_OS_WIN
    // A Windows port has no rights of its own to refuse: one that is denied is open elsewhere.
    Q_UNUSED(device);
    return PortOpenProblem::InUse;
#else
    // A device this user may read and write was refused for its lock or its
    // exclusive mode, both another program's.
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0 ? PortOpenProblem::InUse
                                                                             : PortOpenProblem::NoAccess;
#endif
}
