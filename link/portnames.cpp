#include "link/portnames.h"

#include "params/regularfile.h"

#include <QFile>

#include <SimpleIni.h>

namespace {
#ifndef Q_OS_WIN
// A hand-edited value is used only if it can name a device: an absolute path,
// or a bare device name such as ttyUSB0. Anything else falls back.
bool plausibleDevice(const QString &device)
{
    if (device.isEmpty())
        return false;
    for (const QChar c : device) {
        if (c.unicode() < 0x20 || c == QChar(0x7F))
            return false;
    }
    return device.startsWith(QLatin1Char('/')) || !device.contains(QLatin1Char('/'));
}

QString devicePath(const QString &device)
{
    return device.startsWith(QLatin1Char('/')) ? device : QStringLiteral("/dev/") + device;
}
#endif
} // namespace

QString portDeviceName(int portNumber, const QString &settingsIniPath)
{
    if (portNumber < kFirstPort || portNumber > kLastPort)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(settingsIniPath);
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString fallback = QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
    // A missing file, a folder, a FIFO or a device gives the fallback without
    // a word: the mapping is an optional convenience, not a setting the tool
    // owns.
    QFile file(settingsIniPath);
    if (settingsIniPath.isEmpty() || !openRegularFile(file, QIODevice::ReadOnly))
        return fallback;
    // The first MiB, as the settings are read: the device chooser looks up
    // several times a second, and a stray huge file must not be loaded each time.
    const QByteArray data = file.read(kMaxSettingsFileBytes);
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (ini.LoadData(data.constData(), static_cast<size_t>(data.size())) < 0)
        return fallback;
    const QByteArray key = QStringLiteral("COM%1").arg(portNumber).toLatin1();
    const char *value = ini.GetValue("PORTS", key.constData(), nullptr);
    if (value == nullptr)
        return fallback;
    const QString device = QString::fromUtf8(value).trimmed();
    return plausibleDevice(device) ? devicePath(device) : fallback;
#endif
}
