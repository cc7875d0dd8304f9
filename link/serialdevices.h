#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// A serial device the system offers, as a technician needs to tell adapters
// apart: its path, the stable name udev gives it under /dev/serial/by-id when
// there is one, and what the adapter says about itself.
struct SerialDevice
{
    QString path;        // e.g. /dev/ttyUSB0 (COM3 on Windows)
    QString stablePath;  // e.g. /dev/serial/by-id/usb-FTDI_..., empty when none
    QString description;
    QString manufacturer;
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;
    QString serialNumber;

    // The name to keep in [PORTS]: the stable one where there is one.
    QString preferredPath() const { return stablePath.isEmpty() ? path : stablePath; }

    friend bool operator==(const SerialDevice &, const SerialDevice &) = default;
};

// Lists the serial devices present now. Tests put a made-up list in its place.
using SerialDeviceLister = std::function<std::vector<SerialDevice>()>;
std::vector<SerialDevice> listSerialDevices();

// The device a path finally names, links followed; the tidied absolute path
// itself when it names nothing there.
QString resolvedDevicePath(const QString &path);

// The COM number (1..10) whose [PORTS] mapping, or whose default device, names
// this device, following links; nothing when no COM number reaches it.
// portsValues holds the [PORTS] values of COM1..COM10 (index n - 1), empty or
// missing where there is none.
std::optional<int> comNumberOf(const SerialDevice &device, const QStringList &portsValues);

// The names under root (/dev) a serial device may go by, for completing a
// typed path: every entry of the folder itself that is not a folder, and
// those of serial/by-id, serial/by-path and pts below it, but never ptmx;
// sorted. One read of four folders, cheap enough to repeat every second.
QStringList deviceFileNames(const QString &root = QStringLiteral("/dev"));
