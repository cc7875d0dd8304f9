// The chart's live dot and the recording, fed by the simulated unit through
// a pseudo-terminal.
#include "support/simulator_process.h"

#include "app/chartwindow.h"
#include "app/tformhlav.h"
#include "settings/settingspaths.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(ChartAgainstSimulator, TheLiveDotAndTheRecordingFollowTheUnitsFrames)
{
    SimulatorProcess sim;
    START_SIMULATOR(sim, "--rpm", "4200");
    QDir().mkpath(settingspaths::settingsFolder());
    QFile ini(settingspaths::settingsFile());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(sim.pty).toUtf8());
    ini.close();

    TFormHlav window;
    window.FormCreate();
    window.show();
    window.findChild<QAction *>("MenuCurveChart")->trigger();
    ASSERT_NE(window.chart(), nullptr);
    CurveChart *chart = window.chart()->chart();

    // The dot sits at the unit's engine speed; 4200 rpm lies nearest point 4.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !chart->liveTrail().empty(); }, 20000)) << "no live dot";
    EXPECT_EQ(chart->liveTrail().back().rpm, 4200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->highlightedRow() == std::optional<int>(3); }, 20000));

    // Record a few frames: one row each, with the unit's values.
    QTemporaryDir dir;
    const QString csv = dir.filePath("ride.csv");
    window.setFileChooser([&](QFileDialog *) { return csv; });
    int frames = 0;
    QObject::connect(&window.session(), &UnitSession::liveDataReceived, [&] { ++frames; });
    window.findChild<QAction *>("MenuRecord")->trigger();
    frames = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames >= 4; }, 20000));
    window.findChild<QAction *>("MenuRecord")->trigger();
    const int recorded = frames;

    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), recorded + 1) << "a header and one row per frame";
    for (qsizetype i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].split(',').value(1), "4200") << lines[i].constData();
    QFile::remove(settingspaths::settingsFile());
}
