#pragma once

#include <QString>

constexpr int kFirstPort = 1;
constexpr int kLastPort = 10;

// The names of the serial devices behind the COM numbers. The settings file's
// [PORTS] section, read by the settings library, may map a number to a device
// (COM1=/dev/ttyUSB0); these rules only say what such a value names, so that
// the link needs no file.

// The device a [PORTS] value names: an absolute path, or a bare device name
// such as ttyUSB0 under /dev. Empty when it can name no device: nothing but
// blanks, a relative path with a folder in it, a control character; and
// always on Windows, which uses the COM names as they are.
QString mappedDevice(const QString &portsValue);

// The device behind "COM n" (n = 1..10; any other number opens nothing and
// gives an empty name) whose [PORTS] value is portsValue (empty when it has
// none). Windows uses the names "COM1".."COM10" as they are. Elsewhere COM n
// is the device the value names, else the n-th on-board port, /dev/ttyS<n-1>.
QString portDeviceName(int portNumber, const QString &portsValue);

// The device a name typed by the technician stands for, read as a [PORTS]
// value is: an absolute path (tidied: no doubled or trailing slash), or a bare
// name such as ttyUSB0 under /dev. Empty when it can name no device: nothing
// but blanks, a relative path with a folder in it, a control character.
// Windows takes the name as it is typed.
QString typedDeviceName(const QString &text);
