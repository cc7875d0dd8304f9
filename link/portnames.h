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
