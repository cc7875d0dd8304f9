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
    QObject::connect(window.timer(), &QTimer::timeout, [&ticks] { ++ticks; });

    std::vector<int> counts;
    for (int run = 0; run < runs; ++run) {
        window.MenuNewClick();
        // Start right after a tick, as a key press lands somewhere between two.
        const int before = ticks;
        (void)QTest::qWaitFor([&] { return ticks != before; }, 1000);
        ticks = 0;
        window.MenuProgramClick();
        // Success is the engine back in Idle without the red error report; in
        // that tick the status may already read "Programing: OK" or "Saving:".
        const bool ok = QTest::qWaitFor(
            [&] { return window.session().engine().transferMode() == TransferMode::Idle; }, 5000);
        if (!ok || status->palette().color(QPalette::Window) == QColor(255, 0, 0)) {
            std::fprintf(stderr, "run %d: no success report (%s)\n", run, qPrintable(status->text()));
            return 1;
        }
        counts.push_back(ticks);
        // Let the unit finish storing before the next run.
        QTest::qWait(400);
        (void)QTest::qWaitFor([&] { return window.session().engine().savingCountdown() == 0; }, 5000);
    }
    std::sort(counts.begin(), counts.end());
    std::printf("program ticks: min %d median %d max %d over %d runs (target <= 4)\n", counts.front(),
                counts[counts.size() / 2], counts.back(), runs);
    return counts.back() <= 4 ? 0 : 2;
}
