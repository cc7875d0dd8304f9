#pragma once

#include <QFont>

// The windows' face. The design was laid out in "MS Sans Serif" at an
// 11-pixel character height. Where that face is installed, or ships with the
// system's Wine fonts (Debian's fonts-wine, which the font configuration does
// not list), it is loaded once and used at that height on a screen of one
// device pixel per pixel; it is a bitmap face of that one size. Every other
// height or scale, and a system without it, gets the nearest sans-serif face
// there is, narrowed to the design face's width so that captions laid out for
// it still fit their controls.
QFont designFont(int characterHeight = 11);

// The stand-in face alone, narrowed as above: what designFont gives where the
// design face is missing.
QFont substituteFont(int characterHeight = 11);
