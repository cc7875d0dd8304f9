#include "widgets/screenplace.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include <algorithm>

namespace {

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

} // namespace

namespace screenplace {

QPoint centred(const QSize &outer)
{
    const QSize screen = primaryScreenSize();
    if (screen.isEmpty())
        return {};
    return {(screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2};
}

QPoint centredByHalves(const QSize &outer)
{
    const QSize screen = primaryScreenSize();
    if (screen.isEmpty())
        return {};
    return {screen.width() / 2 - outer.width() / 2, screen.height() / 2 - outer.height() / 2};
}

QRect storedPlace(int left, int top, int width, int height)
{
    constexpr int kFar = 1 << 24;
    return QRect(std::clamp(left, -kFar, kFar), std::clamp(top, -kFar, kFar), std::clamp(width, 0, kFar),
                 std::clamp(height, 0, kFar));
}

bool onAnyScreen(const QRect &rect)
{
    const auto screens = QGuiApplication::screens();
    // Without any screen there is nowhere better to go.
    if (screens.isEmpty())
        return true;
    for (const QScreen *screen : screens) {
        if (screen->geometry().intersects(rect))
            return true;
    }
    return false;
}

QRect withTitleBarOn(const QRect &outer, const QList<QRect> &areas)
{
    const QSize bar(outer.width(), kTitleBarHeight);
    // A title bar across two screens side by side is on them, as long as no
    // part of it is off both.
    const auto onAreas = [&](const QPoint &at) {
        QRegion uncovered(QRect(at, bar));
        for (const QRect &area : areas)
            uncovered -= area;
        return uncovered.isEmpty();
    };
    if (areas.isEmpty() || onAreas(outer.topLeft()))
        return outer;

    // Along one axis, the nearest start within an area; a bar longer than the
    // area starts at its start.
    const auto nearest = [](int start, int length, int areaStart, int areaLength) {
        if (length >= areaLength)
            return areaStart;
        return std::clamp(start, areaStart, areaStart + areaLength - length);
    };
    QPoint best = outer.topLeft();
    qint64 bestDistance = -1;
    const auto consider = [&](const QPoint &at) {
        const qint64 dx = qint64(at.x()) - outer.left();
        const qint64 dy = qint64(at.y()) - outer.top();
        if (bestDistance < 0 || dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = at;
        }
    };
    // Onto each area, moved along both axes or along one alone (which can do
    // where the neighbouring area takes the rest of the bar).
    for (const QRect &area : areas) {
        if (area.isEmpty())
            continue;
        const int x = nearest(outer.left(), bar.width(), area.left(), area.width());
        const int y = nearest(outer.top(), bar.height(), area.top(), area.height());
        for (const QPoint &at : {QPoint(x, y), QPoint(outer.left(), y), QPoint(x, outer.top())}) {
            if (onAreas(at))
                consider(at);
        }
    }
    // Wider than every area: its left end onto the nearest one.
    if (bestDistance < 0) {
        for (const QRect &area : areas) {
            if (!area.isEmpty())
                consider(QPoint(area.left(), nearest(outer.top(), bar.height(), area.top(), area.height())));
        }
    }
    QRect placed = outer;
    placed.moveTopLeft(best);
    return placed;
}

QRect withTitleBarOnScreen(const QRect &outer)
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return withTitleBarOn(outer, areas);
}

} // namespace screenplace
