#pragma once

#include "params/parameterimage.h"

#include <QString>

// The parameter image kept between runs (_Torvo_TCI.ini): 55 unsigned decimal
// numbers, byte 0 first.

// Reads numbers separated by any white space into bytes 0, 1, 2, ...; each
// byte keeps the low 8 bits of its number (300 gives 44). Stops after the 55th
// number, at the end of the file, or at the first word that is not an
// unsigned decimal number; the bytes after keep their values. Only the first
// 64 KiB are looked at. Returns false, image untouched, when the file cannot
// be opened or is no regular file (a folder, a FIFO, a device); *reason then
// says why, unless there is no file at all.
bool readImageFile(const QString &path, ParameterImage &image, QString *reason = nullptr);

// Writes every byte as "%5u " with CR LF after each tenth number and none
// after the last, replacing the file only once it is completely written.
// Returns false with *reason on failure, the old file left as it was; a path
// that names no regular file is refused.
bool writeImageFile(const QString &path, const ParameterImage &image, QString *reason = nullptr);
