#include "link/portnames.h"

#include <QDir>

namespace {
bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c == QChar(0x7F))
            return true;
    }
    return false;
}

#ifndef Q_OS_WIN
// A hand-edited value is used only if it can name a device: an absolute path,
// or a bare device name such as ttyUSB0. Anything else falls back.
bool plausibleDevice(const QString &device)
{
    if (device.isEmpty() || hasControlCharacter(device))
        return false;
    return device.startsWith(QLatin1Char('/')) || !device.contains(QLatin1Char('/'));
}

QString devicePath(const QString &device)
{
    return device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
}
#endif
} // namespace

QString mappedDevice(const QString &portsValue)
{
#ifdef Q_OS_WIN
    Q_UNUSED(portsValue);
    return {};
#else
    const QString device = portsValue.trimmed();
    return plausibleDevice(device) ? devicePath(device) : QString();
#endif
}

QString portDeviceName(int portNumber, const QString &portsValue)
{
    if (portNumber < kFirstPort || portNumber > kLastPort)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(portsValue);
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString mapped = mappedDevice(portsValue);
    return mapped.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(portNumber - 1) : mapped;
#endif
}

QString typedDeviceName(const QString &text)
{
    const QString device = text.trimmed();
#ifdef Q_OS_WIN
    return device.isEmpty() || hasControlCharacter(device) ? QString() : device;
#else
    return plausibleDevice(device) ? QDir::cleanPath(devicePath(device)) : QString();
#endif
}
