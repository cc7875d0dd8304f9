// How many 55 ms ticks a Program of the default set takes against a unit that
// answers at once: from the tick of its first frame to the success report.
// Run by bench/link.py, which starts the simulator and maps COM1 to it.
#include "app/tformhlav.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    TFormHlav window;
    window.FormCreate();
    window.show();
    auto *status = window.findChild<QLabel *>(QStringLiteral("LabelHlaseni"));
    auto *connection = window.findChild<QLabel *>(QStringLiteral("LabelSpojeni"));
    if (!QTest::qWaitFor([&] { return !connection->isVisible(); }, 5000)) {
        std::fprintf(stderr, "no live data from the unit\n");
        return 1;
    }
    int ticks = 0;
    // The ticks since the last live-data request, as the tick left them.
    int phase = -1;
    QObject::connect(window.timer(), &QTimer::timeout, [&] {
        ++ticks;
        phase = window.session().engine().replyWaitTicks();
    });

    // The key press lands at every phase of the live-data cycle: right after
    // the request, with its answer on the way, and every tick up to the next.
    int worst = 0;
    for (int wanted = 0; wanted < TransferEngine::kLiveDataTicks; ++wanted) {
        std::vector<int> counts;
        for (int run = 0; run < runs; ++run) {
            window.MenuNewClick();
            if (!QTest::qWaitFor([&] { return phase == wanted; }, 5000)) {
                std::fprintf(stderr, "phase %d never came\n", wanted);
                return 1;
            }
            ticks = 0;
            window.MenuProgramClick();
            // Success is the engine back in Idle without the red error report; in
            // that tick the status may already read "Programing: OK" or "Saving:".
            const bool ok = QTest::qWaitFor(
                [&] { return window.session().engine().transferMode() == TransferMode::Idle; }, 5000);
            if (!ok || status->palette().color(QPalette::Window) == QColor(255, 0, 0)) {
                std::fprintf(stderr, "phase %d run %d: no success report (%s)\n", wanted, run,
                             qPrintable(status->text()));
                return 1;
            }
            counts.push_back(ticks);
            // Let the unit finish storing before the next run.
            (void)QTest::qWaitFor([&] { return window.session().engine().savingCountdown() != 0; }, 1000);
            (void)QTest::qWaitFor([&] { return window.session().engine().savingCountdown() == 0; }, 5000);
        }
        std::sort(counts.begin(), counts.end());
        std::printf("program ticks, key %d ticks after a live request: min %d median %d max %d over %d runs\n",
                    wanted, counts.front(), counts[counts.size() / 2], counts.back(), runs);
        worst = std::max(worst, counts.back());
    }
    std::printf("program ticks at every phase: worst %d (target <= 3)\n", worst);
    return worst <= 3 ? 0 : 2;
}
