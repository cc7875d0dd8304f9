#pragma once

#include <QString>

constexpr int kFirstPort = 1;
constexpr int kLastPort = 10;

// The device behind "COM n" (n = 1..10; any other number opens nothing and
// gives an empty name). Windows uses the names "COM1".."COM10" as they are.
// Elsewhere the settings file may map a number to a device in its [PORTS]
// section (key COMn, e.g. COM1=/dev/ttyUSB0); without such a value COM n is
// the n-th on-board port, /dev/ttyS<n-1>. The settings file is only read here,
// and only its first MiB.
QString portDeviceName(int portNumber, const QString &settingsIniPath);

// The device the [PORTS] section maps COM n to, read as portDeviceName reads
// it; empty when it maps none that can name a device (and always on Windows).
QString portMapping(int portNumber, const QString &settingsIniPath);

// The device a name typed by the technician stands for, read as a [PORTS]
// value is: an absolute path (tidied: no doubled or trailing slash), or a bare
// name such as ttyUSB0 under /dev. Empty when it can name no device: nothing
// but blanks, a relative path with a folder in it, a control character.
// Windows takes the name as it is typed.
QString typedDeviceName(const QString &text);

// Whether the [PORTS] section of the settings file holds any key: none means
// no device has been mapped yet. A missing or unreadable file holds none.
bool hasPortMappings(const QString &settingsIniPath);
