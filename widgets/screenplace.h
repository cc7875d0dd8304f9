#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window of the given outer size sits when centred on the primary
// screen. No screen at all gives the origin.
namespace screenplace {

// Design sizes are outer sizes, frame and title bar included. The frame and
// title bar they were designed with take this much; a window's client area is
// its design size less this (and less its menu bar, where it has one), so it
// comes out the same on every platform.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 34;

// left = (screen width - width) / 2, top likewise: the main window's rule.
QPoint centred(const QSize &outer);
// left = screen width / 2 - width / 2, each half truncated on its own: the
// About window's rule, one pixel apart from the other for odd sizes.
QPoint centredByHalves(const QSize &outer);

// A stored place as a rectangle. Numbers from a settings file can be anything
// an int holds; beyond what any desktop measures they are held at its edge, so
// that no sum of them overflows.
QRect storedPlace(int left, int top, int width, int height);

// True when some part of the rectangle lies on some screen.
bool onAnyScreen(const QRect &rect);

// A window's title bar: the strip this high along the top of its outer
// bounds, across their full width (the design's frame: a border of half the
// frame width on each side, the rest of the frame height on top).
inline constexpr int kTitleBarHeight = kFrameHeight - kFrameWidth / 2;

// Outer bounds moved the least distance that puts the whole title bar on the
// areas: on one, or across neighbouring ones. Bounds whose title bar is
// already on them come back as they are. A title bar wider than the areas can
// only start at the left edge of the nearest one, where the window's icon and
// title are. No area leaves the bounds as they are.
QRect withTitleBarOn(const QRect &outer, const QList<QRect> &areas);

// The same over the screens' available areas (less task bars and docks). A
// place stored at one scale factor and read at another can lie mostly beyond
// the screens; this brings it back within reach of the mouse.
QRect withTitleBarOnScreen(const QRect &outer);

} // namespace screenplace
