#pragma once

#include <QByteArray>

#include <vector>

// One value the tool owns in an INI file: section, key and the text to store.
struct IniValue
{
    QByteArray section;
    QByteArray key;
    QByteArray value;
};

// Edits INI text the way the private-profile functions edit a file, instead of
// re-serialising it: the user edits the settings file by hand (the [PORTS]
// section above all), so every line the tool does not own keeps its bytes,
// its comments and its place.
//
// - A key already present (the first one, in the first block of its section;
//   names compare without case, as the reader does) keeps its line: only the
//   value between the white space after "=" and the white space at the end of
//   the line is replaced. Later duplicates of that key, which the reader never
//   sees, keep their lines as they are: no line is ever deleted.
// - A missing key goes after the last key of the section's first block (after
//   the header when the block has none), in the order given.
// - A missing section goes at the end, header first, keys in the order given.
// - New lines end like the text's first line break; text without one (a new
//   file above all) uses freshLineBreak. A UTF-8 byte-order mark is kept.
//
// Lines are told apart exactly as the reader (SimpleIni) tells them apart,
// quirks included, so the edited text reads back with the values given: a
// header without "]" ends the section before it, and a "[" alone on its line
// takes the next line that is not blank as the rest of its header. A "[" left
// open at the very end is closed by a "]" line (a section without a name)
// when a section has to be added after it.
//
// Values must not hold a line break or white space at either end; text after
// a NUL byte is not looked at (the caller edits no text that holds one).
QByteArray setIniValues(const QByteArray &text, const std::vector<IniValue> &values,
                        const QByteArray &freshLineBreak);
