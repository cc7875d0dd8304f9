// The chart's live dot and the recording, fed by the simulated unit through
// a pseudo-terminal.
#include "support/simulator_process.h"

#include "app/chartwindow.h"
#include "app/tformhlav.h"
#include "link/liverow.h"
#include "params/curvegeometry.h"
#include "settings/settingspaths.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(ChartAgainstSimulator, TheLiveDotAndTheRecordingFollowTheUnitsFramesAndAPlayedRideKeepsItsOwnDot)
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
    file.close();

    // Another ride played back while the unit answers: two dots, each its own.
    QByteArray ride = liverow::csvHeader();
    const QDateTime rideStart = QDateTime::currentDateTime();
    for (int i = 0; i < 3; ++i) {
        LiveData row;
        row.rpm = static_cast<std::uint16_t>(7300 + 500 * i);
        row.advance = 47;
        ride += liverow::csvRow(rideStart.addSecs(i), row);
    }
    const QString played = dir.filePath("played.csv");
    QFile playedFile(played);
    ASSERT_TRUE(playedFile.open(QIODevice::WriteOnly));
    playedFile.write(ride);
    playedFile.close();
    qint64 now = 0;
    window.chart()->setClock([&now] { return now; });
    window.setFileChooser([&](QFileDialog *) { return played; });
    window.findChild<QAction *>("MenuOpenRecording")->trigger();
    now += 1000;
    window.chart()->playbackStep();
    ASSERT_FALSE(chart->playbackTrail().empty());
    EXPECT_EQ(chart->playbackTrail().back().rpm, 7800);
    frames = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames >= 2; }, 20000));
    EXPECT_EQ(chart->playbackTrail().back().rpm, 7800) << "live frames moved the recording's dot";
    for (const CurveChart::LiveSample &s : chart->liveTrail())
        EXPECT_EQ(s.rpm, 4200) << "the recording reached the live trail";

    const CurveChart::LiveSample live = chart->liveTrail().back();
    const CurveGeometry geometry(chart->image(), chart->plotRect(chart->size()));
    const QImage grab = chart->grab().toImage();
    const auto colourAt = [&](int rpm, int advance) {
        return grab.pixel(geometry.toPixel({double(rpm), double(advance)}).toPoint()) & 0xffffffu;
    };
    EXPECT_EQ(colourAt(live.rpm, live.advance), 0xff8000u) << "the live dot";
    EXPECT_EQ(colourAt(7800, 47), 0xa000c0u) << "the recording's dot";
    QFile::remove(settingspaths::settingsFile());
}
