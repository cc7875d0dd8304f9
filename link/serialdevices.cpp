#include "link/serialdevices.h"

#include "link/portnames.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

QString resolvedDevicePath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

namespace {

#ifndef Q_OS_WIN
// The udev link under /dev/serial/by-id that points at the device, if any.
QString stableNameOf(const QString &path)
{
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QString target = resolvedDevicePath(path);
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (resolvedDevicePath(link.absoluteFilePath()) == target)
            return link.absoluteFilePath();
    }
    return {};
}
#endif

} // namespace

std::vector<SerialDevice> listSerialDevices()
{
    std::vector<SerialDevice> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.path = info.systemLocation();
#ifndef Q_OS_WIN
        d.stablePath = stableNameOf(d.path);
#endif
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier())
            d.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            d.productId = info.productIdentifier();
        d.serialNumber = info.serialNumber();
        devices.push_back(d);
    }
    return devices;
}

std::optional<int> comNumberOf(const SerialDevice &device, const QStringList &portsValues)
{
    const QString target = resolvedDevicePath(device.path);
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const QString named = portDeviceName(n, portsValues.value(n - 1));
#ifdef Q_OS_WIN
        if (named.compare(device.path, Qt::CaseInsensitive) == 0)
            return n;
#else
        if (!named.isEmpty() && resolvedDevicePath(named) == target)
            return n;
#endif
    }
    return std::nullopt;
}

QStringList deviceFileNames(const QString &root)
{
    QStringList names;
    const QDir top(root);
    for (const QString &sub : {QString(), QStringLiteral("serial/by-id"), QStringLiteral("serial/by-path"),
                               QStringLiteral("pts")}) {
        const QDir folder(sub.isEmpty() ? top : QDir(top.filePath(sub)));
        for (const QString &name : folder.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
            // The pseudo-terminal multiplexer hands out terminals; it is none.
            if (name != QLatin1String("ptmx"))
                names << folder.filePath(name);
        }
    }
    names.sort();
    return names;
}
