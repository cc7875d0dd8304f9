#pragma once

#include <QByteArray>
#include <QString>

// The Central European Windows code page (1250), in which the unit keeps its
// 8-bit texts. Converted with a table of our own rather than QStringDecoder,
// which offers this code page only where Qt was built with ICU.
//
// Bytes 0x00..0x7F are ASCII. The five bytes the code page leaves undefined
// (0x81, 0x83, 0x88, 0x90, 0x98) decode to U+FFFD, so an odd byte from a unit
// shows as a visible replacement mark instead of an invisible control
// character.

// Decodes exactly n bytes; a zero byte gives U+0000 (callers that treat zero
// as a terminator cut the bytes first). A null pointer or n <= 0 gives an
// empty text.
QString fromCp1250(const char *bytes, qsizetype n);

// One byte per character. A character the code page has no byte for, U+FFFD
// included, becomes '?'; a surrogate pair counts as one character and gives a
// single '?', so the byte count always equals the character count.
QByteArray toCp1250(const QString &text);
