#pragma once

#include <QString>

// Why a serial device would not open, as far as the user can do something
// about it. The serial port reports a device that another program holds (its
// lock file, or the terminal's exclusive mode) with the same "permission"
// error as one the user may not open; the device's own access rights tell
// the two apart.
enum class PortOpenProblem {
    Missing,  // nothing answers at that name
    NoAccess, // the user may not open the device
    InUse,    // another program holds the device
    Other,
};

// device: the path that was opened; reason: the transport's error text.
PortOpenProblem portOpenProblem(const QString &device, const QString &reason);
