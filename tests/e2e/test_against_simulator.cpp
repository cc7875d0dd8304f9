// The real window code and the real program against the simulated unit,
// through a pseudo-terminal.
#include "app/tformhlav.h"
#include "i18n/language.h"
#include "session/unitsession.h"
#include "settings/settingspaths.h"
#include "support/simulator_process.h"
#include "widgets/devicechooser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// How long a condition may take to come true: a bound on a hang, not on speed,
// generous for a machine busy with other work.
constexpr int kPatienceMs = 20000;

void mapCom1To(const QString &device)
{
    QDir().mkpath(settingspaths::settingsFolder());
    QFile ini(settingspaths::settingsFile());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(device).toUtf8());
}

class AgainstSimulator : public ::testing::Test
{
protected:
    void startWith(const QStringList &simArguments)
    {
        sim = std::make_unique<SimulatorProcess>();
        START_SIMULATOR(*sim, simArguments);
        mapCom1To(sim->pty);
        window = std::make_unique<TFormHlav>();
        window->FormCreate();
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        sim.reset();
        QFile::remove(settingspaths::settingsFile());
    }
    QString label(const char *name) const { return window->findChild<QLabel *>(name)->text(); }
    bool visible(const char *name) const { return window->findChild<QWidget *>(name)->isVisible(); }
    bool waitForStatus(const QString &text, int ms = kPatienceMs)
    {
        return QTest::qWaitFor([&] { return label("LabelHlaseni") == text && visible("LabelHlaseni"); }, ms);
    }
    void type(const char *edit, const QString &text)
    {
        auto *e = window->findChild<QLineEdit *>(edit);
        e->setText(text);
        window->EditExit(e);
    }

    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<TFormHlav> window;
};

// A test ends here when the simulator could not be started.
#define START_WITH(...)                                                                    \
    do {                                                                                   \
        startWith(__VA_ARGS__);                                                            \
        if (IsSkipped() || HasFatalFailure())                                              \
            return;                                                                        \
    } while (0)

} // namespace

TEST_F(AgainstSimulator, LiveDataComesAndTheEngineRuns)
{
    START_WITH({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !visible("LabelSpojeni"); }, kPatienceMs)) << "no live data";
    ASSERT_TRUE(QTest::qWaitFor([&] { return label("LabelRpm") != "RPM = ---"; }, kPatienceMs));
    const QString first = label("LabelRpm");
    EXPECT_TRUE(QTest::qWaitFor([&] { return label("LabelRpm") != first; }, kPatienceMs)) << "the engine speed never changed";
    EXPECT_TRUE(label("LabelNapeti").startsWith("U = ")) << label("LabelNapeti").toStdString();
}

TEST_F(AgainstSimulator, ProgramVerifyAndReadWorkThroughThePty)
{
    START_WITH({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !visible("LabelSpojeni"); }, kPatienceMs));

    type("Edit50", "12");
    type("EditOmez2", "9,500");
    window->MenuProgramClick();
    ASSERT_TRUE(waitForStatus("Programing: OK")) << label("LabelHlaseni").toStdString();
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
    EXPECT_FALSE(label("LabelVerze1").isEmpty()) << "the unit's identity was not shown";
    // The unit then reports storing, and the count of programmings moves on.
    EXPECT_TRUE(waitForStatus("Saving:", kPatienceMs));
    EXPECT_TRUE(waitForStatus("Programing: OK", kPatienceMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return label("LabelPocetProgramovani") == "Number of Programing= 1 "; }, kPatienceMs))
        << label("LabelPocetProgramovani").toStdString();

    window->MenuVerifyClick();
    EXPECT_TRUE(waitForStatus("Verify: OK")) << label("LabelHlaseni").toStdString();

    // A set on screen that differs from the unit's fails to verify ...
    type("Edit50", "30");
    window->MenuVerifyClick();
    EXPECT_TRUE(waitForStatus("Verify error!", kPatienceMs)) << label("LabelHlaseni").toStdString();

    // ... and a read brings the unit's set back onto the screen.
    window->MenuReadClick();
    EXPECT_TRUE(waitForStatus("Verify: OK")) << label("LabelHlaseni").toStdString();
    EXPECT_EQ(window->findChild<QLineEdit *>("Edit50")->text(), "12");
    EXPECT_EQ(window->findChild<QLineEdit *>("EditOmez2")->text(), "9,500");
    EXPECT_EQ(label("LabelFile2"), "");
}

TEST_F(AgainstSimulator, ASilentUnitEndsInProgramError)
{
    START_WITH({"--silent"});
    window->MenuProgramClick();
    EXPECT_EQ(label("LabelHlaseni"), "Program device:");
    ASSERT_TRUE(waitForStatus("Program error!", kPatienceMs));
    EXPECT_EQ(window->findChild<QLabel *>("LabelHlaseni")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(visible("LabelSpojeni"));
}

TEST_F(AgainstSimulator, NoConnectionShowsAboutASecondAfterTheUnitGoesAway)
{
    START_WITH({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !visible("LabelSpojeni"); }, kPatienceMs));
    // Counted in the window's own ticks, which a busy machine stretches alike.
    int ticks = 0;
    QObject::connect(&window->session(), &UnitSession::ticked, window.get(), [&ticks] { ++ticks; });
    sim->stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return visible("LabelSpojeni"); }, kPatienceMs));
    // 18 ticks after the last frame; the last live answer may have come up to
    // 6 ticks before the simulator stopped.
    EXPECT_GE(ticks, 18 - 6);
    // The port hung up and was closed; the tool runs on.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->session().transport().isOpen(); }, kPatienceMs));
}

TEST(TheProgram, TalksToTheSimulatorAndExitsWithZero)
{
    QTemporaryDir home;
    const QString log = home.filePath("sim.log");
    SimulatorProcess sim;
    START_SIMULATOR(sim, "--log", log);
    QFile ini(home.filePath("Torvo_TCI.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(sim.pty).toUtf8());
    ini.close();

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVO_TCI_HOME", home.path());
    // Long enough for a start on a busy machine to reach its first live
    // request, which the tool sends six ticks after start-up.
    env.insert("TORVO_TCI_QUIT_AFTER_MS", "3000");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(TORVO_APP_PATH), {});
    ASSERT_TRUE(app.waitForFinished(60000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(app.readAllStandardOutput().startsWith("shown "));

    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = logFile.readAll().split('\n');
    int liveRequests = 0;
    for (const QByteArray &line : lines) {
        if (line.contains("rx 0x30 check=ok"))
            ++liveRequests;
        EXPECT_FALSE(line.contains("check=bad")) << line.toStdString();
    }
    EXPECT_GE(liveRequests, 1) << "the program sent no live-data request";
}

TEST_F(AgainstSimulator, ATypedPathIsTriedBeforeItIsKept)
{
    START_WITH({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !visible("LabelSpojeni"); }, kPatienceMs)) << "no live data";
    QTemporaryDir dir;
    const QString link = QDir(dir.path()).filePath(QStringLiteral("torvo-adapter"));
    ASSERT_TRUE(QFile::link(sim->pty, link));
    const auto settings = [] {
        QFile file(settingspaths::settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = settings();
    int frames = 0;
    QObject::connect(&window->session(), &UnitSession::liveDataReceived, window.get(), [&frames] { ++frames; });

    const struct
    {
        const char *what;
        QString typed;
        bool kept;
    } cases[] = {
        {"a path nothing answers at", QDir(dir.path()).filePath(QStringLiteral("no-adapter")), false},
        {"a link to the unit's pseudo-terminal", link, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        // Keys through the dialog: the path typed over the proposed one, COM3
        // two steps down from COM1, Enter.
        window->setDeviceChooserRunner([&](DeviceChooser &chooser) {
            chooser.show();
            QTest::keyClick(chooser.pathEdit(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(chooser.pathEdit(), c.typed);
            QTest::keyClick(chooser.comBox(), Qt::Key_Down);
            QTest::keyClick(chooser.comBox(), Qt::Key_Down);
            QWidget *popup = QApplication::activePopupWidget();
            QTest::keyClick(popup ? popup : chooser.pathEdit(), Qt::Key_Return);
            return chooser.result() == QDialog::Accepted;
        });
        QString box;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&box] {
            if (auto *shown = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                box = shown->text() + QLatin1Char('|') + shown->informativeText();
                shown->done(0);
            }
        });
        closer.start(10);
        window->findChild<QAction *>("MenuChooseDevice")->trigger();
        closer.stop();

        if (c.kept) {
            EXPECT_TRUE(box.isEmpty()) << box.toStdString();
            EXPECT_TRUE(settings().contains(QStringLiteral("COM3=%1\n").arg(link).toUtf8())) << settings().toStdString();
            EXPECT_EQ(window->session().portNumber(), 3);
        } else {
            EXPECT_TRUE(box.startsWith(QStringLiteral("Com opening error|%1: ").arg(c.typed))) << box.toStdString();
            EXPECT_EQ(settings(), before);
            EXPECT_EQ(window->session().portNumber(), 1);
        }
        // Either way a port is open on the unit, which answers through it.
        const int seen = frames;
        EXPECT_TRUE(QTest::qWaitFor([&] { return frames > seen + 1; }, kPatienceMs));
        EXPECT_EQ(window->session().lastOpenDevice(), c.kept ? link : sim->pty);
    }
}
