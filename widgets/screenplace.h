#pragma once

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

} // namespace screenplace
