#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>

// For benchmarks and end-to-end tests: when the environment variable
// TORVO_TCI_QUIT_AFTER_MS is set, the first paint of the watched window prints
// "shown <CLOCK_MONOTONIC nanoseconds>" on standard output, and the window is
// closed the given number of milliseconds later, through its normal close
// sequence. Without the variable nothing is watched.
class ShownProbe : public QObject
{
public:
    static void watch(QWidget *window)
    {
        bool ok = false;
        const int quitAfterMs = qEnvironmentVariableIntValue("TORVO_TCI_QUIT_AFTER_MS", &ok);
        if (ok && quitAfterMs >= 0)
            window->installEventFilter(new ShownProbe(window, quitAfterMs));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!seen && event->type() == QEvent::Paint) {
            seen = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("shown %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            QTimer::singleShot(quitAfterMs, window, [w = window] { w->close(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ShownProbe(QWidget *watchedWindow, int afterMs)
        : QObject(watchedWindow), window(watchedWindow), quitAfterMs(afterMs)
    {
    }

    QWidget *window;
    int quitAfterMs;
    bool seen = false;
};
