#include "widgets/screenplace.h"

#include <QGuiApplication>
#include <QScreen>

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

} // namespace screenplace
