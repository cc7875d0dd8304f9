// The program's built-in pictures: the maker's logo, the trigger-wheel drawing,
// the tool-bar glyphs and the application icon.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace pictures {

// The maker's logo (161 x 82) with its background colour made see-through.
QPixmap logo();

// The trigger-wheel drawing (200 x 267), decoded from its JPEG; a null image when the
// JPEG decoder is unavailable.
QImage wheel();

// A tool-bar glyph by name: "new", "open", "save" or "print". Carries the 16 x 16
// normal and greyed (disabled) pictures; an empty icon for any other name.
QIcon glyph(const QString &name);

// The 32 x 32 application icon.
QIcon appIcon();

} // namespace pictures
