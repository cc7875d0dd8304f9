#pragma once

#include <QFont>

// The windows' face: "MS Sans Serif" at an 11-pixel character height where it
// is installed, else the nearest sans-serif face that is. The family is picked
// once, so no font of a window searches through the fall-backs.
QFont designFont();
