#include "widgets/screenplace.h"

#include <QGuiApplication>
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

} // namespace screenplace
