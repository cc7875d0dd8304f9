#pragma once

#include "params/parameterimage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

class QIODevice;

// The .ign parameter file: nine lines of ASCII text carrying the named fields
// of the image (curve, tooth numbers, base advance, limiter, the two flags),
// headed by "KORVELIN_KEY" and the file version. The reserved and spare bytes
// of the image never go into a file.

inline constexpr unsigned kParameterFileVersion = 16;

// The nine lines exactly as written: CR LF between lines, none after the last.
// Curve speeds in rpm, the limiter in hundreds of rpm. Nothing is validated:
// callers normalise the image first.
QByteArray parameterFileText(const ParameterImage &image);
void WriteParameterFile(QIODevice &out, const ParameterImage &image);

// Reads a file's text word by word into the image. Returns true once a
// "KORVELIN_KEY" word followed by the number 16 has been found; the keywords
// after it are then read straight into the image, unbounded (normaliseCurve()
// and the spinners bound them later). Returns false, with the image untouched,
// when no such header exists. A number is an unsigned decimal of at most
// 65535 at the front of a word; a word with a sign or a larger value is no
// number, and the field it was meant for takes the last number read.
bool readParameterText(QByteArrayView text, ParameterImage &image);
// The same on the whole remaining content of an open device.
bool ReadParameterFile(QIODevice &in, ParameterImage &image);

// Where a file falls short of what the command line's strict reading asks:
// the line (1-based), the field's name ("Limiter") and what is wrong with it.
struct ParameterFileProblem
{
    int line = 0;
    QString field;
    QString text;

    friend bool operator==(const ParameterFileProblem &, const ParameterFileProblem &) = default;
};

// The strict reading of a file's text, beside the tolerant one above and
// walking it by the same rules: every field must be given, by its keyword
// and a number of its own (a short line repeats no number here), and each
// number must lie within what the field's control can hold (params/fields:
// an advance of 0..60, a limiter of 9..250 hundreds, a flag of 0 or 1). The
// first field in file order that fails is named; for a keyword missing
// altogether the line is the last one with a word. Nothing without a version-16
// header: that is the tolerant reader's refusal already.
std::optional<ParameterFileProblem> strictParameterProblem(QByteArrayView text);

// Files beyond this size are not read at all and count as having no header.
inline constexpr qint64 kMaxParameterFileBytes = 16 * 1024 * 1024;

enum class OpenResult { Opened, CannotOpen, WrongVersion };

// Opens, reads and closes the file. Only on Opened is the image replaced, and
// then with its curve already normalised. A path that is no regular file (a
// folder, a FIFO, a device) cannot be opened. reason, when given, receives the
// system's text for CannotOpen and a short explanation for WrongVersion.
OpenResult openParameterFile(const QString &path, ParameterImage &image, QString *reason = nullptr);
// The file's bytes as openParameterFile takes them, for a caller that checks
// them before reading (the command line's strict reading): Opened, or
// CannotOpen, or WrongVersion for a file beyond the size limit; reason as there.
OpenResult readParameterFileBytes(const QString &path, QByteArray &content, QString *reason = nullptr);

// Writes the file through saveFileContents, so a failed save leaves an
// existing file as it was. A path that names something else than a regular
// file is refused untouched; a symbolic link to one is written through.
// Returns false with the reason on any failure.
bool saveParameterFile(const QString &path, const ParameterImage &image, QString *reason = nullptr);
