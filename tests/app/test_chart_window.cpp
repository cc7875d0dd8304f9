// Tools -> Curve chart, Record live data and Open recording, on the window
// with a scripted unit at the other end of a port in memory.
#include "unit_window_fixture.h"

#include "app/chartwindow.h"
#include "link/liverow.h"
#include "params/curvegeometry.h"
#include "params/parameterfile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

class ChartWindowTest : public UnitWindowTest
{
protected:
    QAction *action(const char *name) { return window->findChild<QAction *>(name); }
    CurveChart *chart() { return window->chart() ? window->chart()->chart() : nullptr; }
    void choose(const QString &path)
    {
        window->setFileChooser([path](QFileDialog *) { return path; });
    }
    QString status() { return window->findChild<QStatusBar *>("StatusBar1")->currentMessage(); }
    QTemporaryDir dir;
};

// Answers every message box, remembering its texts.
struct Boxes
{
    QStringList texts;
    QTimer timer;
    Boxes()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text() + " / " + box->informativeText();
                box->done(0);
            }
        });
        timer.start(5);
    }
};

} // namespace

TEST_F(ChartWindowTest, TheChartFollowsEditsTheLiveEngineAndItsOwnDrags)
{
    start();
    EXPECT_EQ(window->chart(), nullptr) << "made on first use";
    action("MenuCurveChart")->trigger();
    ASSERT_NE(chart(), nullptr);
    EXPECT_TRUE(window->chart()->isVisible());
    EXPECT_FALSE(window->chart()->isModal());
    EXPECT_EQ(chart()->image(), window->session().image());

    // A committed edit and Advance + reach the chart at once.
    auto *edit = window->findChild<QLineEdit *>("Edit52");
    edit->setText("27");
    window->EditExit(edit);
    EXPECT_EQ(chart()->image().advance(2), 27);
    window->findChild<QCheckBox *>("CheckBoxIgnAll")->setChecked(true);
    action("AdvancePlus")->trigger();
    EXPECT_EQ(chart()->image().advance(2), 28);

    // The running engine: its point and the lit curve row.
    unit.live.rpm = 3000;
    unit.live.advance = 21;
    ASSERT_TRUE(tickUntilLiveFrame());
    ticks(1);
    const std::vector<CurveChart::LiveSample> trail = chart()->liveTrail();
    ASSERT_FALSE(trail.empty());
    EXPECT_EQ(trail.back().rpm, 3000);
    EXPECT_EQ(trail.back().advance, 21);
    EXPECT_EQ(chart()->highlightedRow(), std::optional<int>(2));

    // A point dragged on the chart goes through the edits' path: the edit
    // shows it, and with the box ticked the unit is programmed.
    window->findChild<QCheckBox *>("CheckBoxProgHned")->setChecked(true);
    window->CheckBoxProgHnedMouseUp(window->findChild<QCheckBox *>("CheckBoxProgHned"));
    ticks(30);
    const int beforeDrag = window->session().image().advance(4);
    ASSERT_LT(beforeDrag, 40);
    ParameterImage dragged = chart()->image();
    dragged.advance(4) = 40;
    dragged.rpmAdv(4) = 45; // below point 4 (40): stays above it after the curve rules
    emit chart()->pointDragged(dragged);
    EXPECT_EQ(window->findChild<QLineEdit *>("Edit54")->text(), "40");
    EXPECT_EQ(window->session().image().advance(4), 40);
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Programming);
    ticks(10);
    EXPECT_EQ(unit.stored[24], 40) << "the dragged point reached the unit";

    // The same drag moves on; Ctrl+Z pressed on the chart takes the whole
    // drag back, on the chart too, and the unit is programmed with the set
    // from before it.
    dragged.advance(4) = 42;
    emit chart()->pointDragged(dragged);
    EXPECT_EQ(window->findChild<QLineEdit *>("Edit54")->text(), "42");
    ticks(10);
    window->chart()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window->chart()));
    QTest::keyClick(window->chart(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->session().image().advance(4), beforeDrag);
    EXPECT_EQ(chart()->image().advance(4), beforeDrag);
    ticks(10);
    EXPECT_EQ(unit.stored[24], beforeDrag);
}

TEST_F(ChartWindowTest, RecordingWritesARowPerFrameUntilStoppedOrClosed)
{
    start();
    const QString csv = dir.filePath("ride.csv");
    choose(csv);
    action("MenuRecord")->trigger();
    EXPECT_TRUE(action("MenuRecord")->isChecked());
    int frames = 0;
    for (int i = 0; i < 4; ++i) {
        unit.live.rpm = static_cast<std::uint16_t>(2000 + 100 * i);
        ASSERT_TRUE(tickUntilLiveFrame());
        ++frames;
    }
    EXPECT_TRUE(status().contains("4")) << status().toStdString();
    action("MenuRecord")->trigger(); // the checked item stops it
    EXPECT_FALSE(action("MenuRecord")->isChecked());
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), frames + 1);
    EXPECT_EQ(lines[0] + '\n', liverow::csvHeader());
    EXPECT_TRUE(lines[4].contains(",2300,")) << lines[4].constData();
    file.close();

    // Started again on the same file it appends; closing the window stops it cleanly.
    choose(csv);
    action("MenuRecord")->trigger();
    ASSERT_TRUE(tickUntilLiveFrame());
    window->close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().trimmed().split('\n').size(), frames + 2);
}

TEST_F(ChartWindowTest, AFileThatCannotTakeARecordingIsSaidAndNothingRecords)
{
    start();
    Boxes boxes;
    choose(dir.filePath("no-folder/ride.csv"));
    action("MenuRecord")->trigger();
    EXPECT_FALSE(action("MenuRecord")->isChecked());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("ride.csv")) << boxes.texts[0].toStdString();
}

TEST_F(ChartWindowTest, ARecordingPlaysBesideTheAnsweringUnitOnItsOwnControls)
{
    constexpr QRgb kLive = 0xff8000;
    constexpr QRgb kPlayback = 0xa000c0;
    start();
    action("MenuCurveChart")->trigger();
    qint64 now = 100000;
    window->chart()->setClock([&now] { return now; });
    unit.live.rpm = 3300;
    unit.live.advance = 52;
    ASSERT_TRUE(tickUntilLiveFrame());

    // Two rides, their rows a second apart, off the grid lines.
    const auto writeRide = [&](const char *name, std::vector<std::pair<int, int>> rows) {
        QByteArray text = liverow::csvHeader();
        const QDateTime begin = QDateTime::currentDateTime();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            LiveData live;
            live.rpm = static_cast<std::uint16_t>(rows[i].first);
            live.advance = static_cast<std::uint8_t>(rows[i].second);
            text += liverow::csvRow(begin.addMSecs(1000 * qint64(i)), live);
        }
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    const QString first = writeRide("first.csv", {{2300, 8}});
    const QString ride = writeRide("ride.csv", {{5300, 41}, {6300, 51}, {7300, 46}, {8300, 43}});
    choose(first);
    action("MenuOpenRecording")->trigger();
    choose(ride);
    action("MenuOpenRecording")->trigger(); // in place of the first

    auto *play = window->chart()->findChild<QPushButton *>("PlaybackPlay");
    auto *pause = window->chart()->findChild<QPushButton *>("PlaybackPause");
    auto *slider = window->chart()->findChild<QSlider *>("PlaybackPosition");
    auto *time = window->chart()->findChild<QLabel *>("PlaybackTime");
    ASSERT_TRUE(play && pause && slider && time);
    EXPECT_TRUE(slider->isVisible());
    const auto dotRpm = [&] { return chart()->playbackTrail().empty() ? 0 : chart()->playbackTrail().back().rpm; };

    struct Step
    {
        const char *what;
        std::function<void()> act;
        qint64 clockMs; // the clock moves this much, then one playback frame
        QString expectedTime;
        int expectedRpm;
        bool expectedPlaying;
    };
    const std::vector<Step> steps{
        {"playing from the start", [] {}, 0, "0:00.0 / 0:03.0", 5300, true},
        {"at the ride's pace", [] {}, 1500, "0:01.5 / 0:03.0", 6300, true},
        {"paused", [&] { QTest::mouseClick(pause, Qt::LeftButton); }, 5000, "0:01.5 / 0:03.0", 6300, false},
        {"a second on by key", [&] { QTest::keyClick(slider, Qt::Key_Right); }, 0, "0:02.5 / 0:03.0", 7300, false},
        {"back to the start by key", [&] { QTest::keyClick(slider, Qt::Key_Home); }, 0, "0:00.0 / 0:03.0", 5300, false},
        {"slider set", [&] { slider->setValue(2200); }, 700, "0:02.2 / 0:03.0", 7300, false},
        {"playing on from there", [&] { QTest::mouseClick(play, Qt::LeftButton); }, 500, "0:02.7 / 0:03.0", 7300, true},
        {"a live frame moves only the live dot", [&] {
             unit.live.rpm = 3400;
             ASSERT_TRUE(tickUntilLiveFrame());
         }, 0, "0:02.7 / 0:03.0", 7300, true},
        {"stopped at the end", [] {}, 1000, "0:03.0 / 0:03.0", 8300, false},
        {"still at the end", [] {}, 1000, "0:03.0 / 0:03.0", 8300, false},
        {"played again from the start", [&] { QTest::mouseClick(play, Qt::LeftButton); }, 400, "0:00.4 / 0:03.0", 5300, true},
    };
    for (const Step &step : steps) {
        step.act();
        now += step.clockMs;
        window->chart()->playbackStep();
        EXPECT_EQ(time->text(), step.expectedTime) << step.what;
        EXPECT_EQ(dotRpm(), step.expectedRpm) << step.what;
        EXPECT_EQ(window->chart()->playing(), step.expectedPlaying) << step.what;
        EXPECT_EQ(play->isEnabled(), !step.expectedPlaying) << step.what;
        EXPECT_EQ(pause->isEnabled(), step.expectedPlaying) << step.what;
        ASSERT_FALSE(chart()->liveTrail().empty()) << step.what;
        for (const CurveChart::LiveSample &s : chart()->liveTrail())
            EXPECT_TRUE(s.rpm == 3300 || s.rpm == 3400) << step.what << ": " << s.rpm << " in the live trail";
    }
    EXPECT_EQ(chart()->liveTrail().back().rpm, 3400);

    // Both dots in the window, each in its colour at its own place.
    const CurveGeometry geometry(chart()->image(), chart()->plotRect(chart()->size()));
    const auto pixelAt = [&](const QImage &grab, int rpm, int advance) {
        return QColor(grab.pixel(geometry.toPixel({double(rpm), double(advance)}).toPoint())).rgb() & 0xffffffu;
    };
    const auto count = [](const QImage &grab, QRgb colour) {
        int n = 0;
        for (int y = 0; y < grab.height(); ++y)
            for (int x = 0; x < grab.width(); ++x)
                n += (grab.pixel(x, y) & 0xffffffu) == colour;
        return n;
    };
    QImage grab = chart()->grab().toImage();
    EXPECT_EQ(pixelAt(grab, 5300, 41), kPlayback);
    EXPECT_EQ(pixelAt(grab, 3400, 52), kLive);
    EXPECT_NE(pixelAt(grab, 2300, 8), kPlayback) << "the first recording is gone";

    QTest::mouseClick(window->chart()->findChild<QPushButton *>("PlaybackClose"), Qt::LeftButton);
    EXPECT_FALSE(slider->isVisible());
    EXPECT_FALSE(window->chart()->playing());
    grab = chart()->grab().toImage();
    EXPECT_EQ(count(grab, kPlayback), 0) << "dot, trail and legend entry are gone";
    EXPECT_EQ(pixelAt(grab, 3400, 52), kLive);
}

TEST_F(ChartWindowTest, AForeignFileIsNoRecording)
{
    start();
    const QString foreign = dir.filePath("other.csv");
    QFile other(foreign);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("name,price\nbolt,3\n");
    other.close();
    Boxes boxes;
    choose(foreign);
    action("MenuOpenRecording")->trigger();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("other.csv")) << boxes.texts[0].toStdString();
}

TEST_F(ChartWindowTest, TheChartKeepsItsPlaceAndSpeaksTheLanguage)
{
    start();
    action("MenuCurveChart")->trigger();
    window->chart()->setGeometry(40, 50, 640, 480);
    window->MenuGermanClick();
    EXPECT_EQ(window->chart()->windowTitle(), QString::fromUtf8("Zündkurve"));
    EXPECT_EQ(chart()->texts().advanceAxis, QString::fromUtf8("Vorzündung [°]"));
    EXPECT_EQ(action("MenuCurveChart")->text(), QString::fromUtf8("Zündkurve"));
    EXPECT_EQ(window->chart()->findChild<QPushButton *>("PlaybackPlay")->text(), QString::fromUtf8("Abspielen"));
    EXPECT_EQ(chart()->texts().liveLegend, QString::fromUtf8("Zündbox (live)"));
    window->close();
    QFile ini(settingspaths::settingsFile());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("[CHART]\nLeft=40\nTop=50\nWidth=640\nHeight=480\n")) << text.constData();

    window = std::make_unique<TFormHlav>(std::make_unique<FakeTransport>());
    window->FormCreate();
    window->MenuCurveChartClick();
    EXPECT_EQ(window->chart()->geometry(), QRect(40, 50, 640, 480));
}
