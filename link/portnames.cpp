#include "link/portnames.h"

#include "params/regularfile.h"

#include <QDir>
#include <QFile>

#include <SimpleIni.h>

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

// Loads the settings file for its [PORTS] section; false for a missing file, a
// folder, a FIFO or a device, without a word: the mapping is an optional
// convenience, not a setting the tool owns. Only the first MiB is read, as the
// settings are: the device chooser looks up several times a second, and a
// stray huge file must not be loaded each time.
bool loadPorts(const QString &settingsIniPath, CSimpleIniA &ini)
{
    QFile file(settingsIniPath);
    if (settingsIniPath.isEmpty() || !openRegularFile(file, QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(kMaxSettingsFileBytes);
    ini.SetUnicode(true);
    return ini.LoadData(data.constData(), static_cast<size_t>(data.size())) >= 0;
}
} // namespace

QString portMapping(int portNumber, const QString &settingsIniPath)
{
#ifdef Q_OS_WIN
    Q_UNUSED(portNumber);
    Q_UNUSED(settingsIniPath);
    return {};
#else
    CSimpleIniA ini;
    if (portNumber < kFirstPort || portNumber > kLastPort || !loadPorts(settingsIniPath, ini))
        return {};
    const QByteArray key = QStringLiteral("COM%1").arg(portNumber).toLatin1();
    const char *value = ini.GetValue("PORTS", key.constData(), nullptr);
    if (value == nullptr)
        return {};
    const QString device = QString::fromUtf8(value).trimmed();
    return plausibleDevice(device) ? devicePath(device) : QString();
#endif
}

QString portDeviceName(int portNumber, const QString &settingsIniPath)
{
    if (portNumber < kFirstPort || portNumber > kLastPort)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(settingsIniPath);
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString mapped = portMapping(portNumber, settingsIniPath);
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

bool hasPortMappings(const QString &settingsIniPath)
{
    CSimpleIniA ini;
    if (!loadPorts(settingsIniPath, ini))
        return false;
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys("PORTS", keys);
    return !keys.empty();
}
