// Tools -> Curve chart, Record live data and Open recording, on the window
// with a scripted unit at the other end of a port in memory.
#include "unit_window_fixture.h"

#include "app/chartwindow.h"
#include "link/liverow.h"
#include "params/parameterfile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

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
    ParameterImage dragged = chart()->image();
    dragged.advance(4) = 40;
    dragged.rpmAdv(4) = 45; // below point 4 (40): stays above it after the curve rules
    emit chart()->pointDragged(dragged);
    EXPECT_EQ(window->findChild<QLineEdit *>("Edit54")->text(), "40");
    EXPECT_EQ(window->session().image().advance(4), 40);
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Programming);
    ticks(10);
    EXPECT_EQ(unit.stored[24], 40) << "the dragged point reached the unit";
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

TEST_F(ChartWindowTest, ARecordingPlaysBackInTheChartAndAForeignFileIsRefused)
{
    start();
    const QString csv = dir.filePath("ride.csv");
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // A ride of three frames a second apart.
    const QDateTime start = QDateTime::currentDateTime();
    QByteArray text = liverow::csvHeader();
    for (int i = 0; i < 3; ++i) {
        LiveData live;
        live.rpm = static_cast<std::uint16_t>(4000 + 1000 * i);
        live.advance = static_cast<std::uint8_t>(30 + i);
        text += liverow::csvRow(start.addMSecs(1000 * i), live);
    }
    file.write(text);
    file.close();
    choose(csv);
    action("MenuOpenRecording")->trigger();
    ASSERT_NE(chart(), nullptr);
    EXPECT_TRUE(window->chart()->isVisible());
    // Played back at its own pace: the dot is where the ride was at each moment.
    EXPECT_TRUE(window->chart()->playing());
    window->chart()->showReplayAt(1500);
    ASSERT_FALSE(chart()->liveTrail().empty());
    EXPECT_EQ(chart()->liveTrail().back().rpm, 5000);
    window->chart()->showReplayAt(2000);
    EXPECT_EQ(chart()->liveTrail().back().rpm, 6000);
    EXPECT_EQ(chart()->liveTrail().back().advance, 32);
    EXPECT_FALSE(window->chart()->playing()) << "the ride is over";

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
