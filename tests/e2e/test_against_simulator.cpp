// The real window code and the real program against the simulated unit,
// through a pseudo-terminal.
#include "simulator_process.h"

#include "app/tformhlav.h"
#include "i18n/language.h"
#include "settings/settingspaths.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

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
        sim = std::make_unique<SimulatorProcess>(simArguments);
        if (sim->pty.isEmpty())
            GTEST_SKIP() << "the simulator could not open a pseudo-terminal";
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
    bool waitForStatus(const QString &text, int ms = 5000)
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

} // namespace

TEST_F(AgainstSimulator, LiveDataComesAndTheEngineRuns)
{
    startWith({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !visible("LabelSpojeni"); }, 5000)) << "no live data";
    ASSERT_TRUE(QTest::qWaitFor([&] { return label("LabelRpm") != "RPM = ---"; }, 3000));
    const QString first = label("LabelRpm");
    EXPECT_TRUE(QTest::qWaitFor([&] { return label("LabelRpm") != first; }, 3000)) << "the engine speed never changed";
    EXPECT_TRUE(label("LabelNapeti").startsWith("U = ")) << label("LabelNapeti").toStdString();
}

TEST_F(AgainstSimulator, ProgramVerifyAndReadWorkThroughThePty)
{
    startWith({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !visible("LabelSpojeni"); }, 5000));

    type("Edit50", "12");
    type("EditOmez2", "9,500");
    window->MenuProgramClick();
    ASSERT_TRUE(waitForStatus("Programing: OK")) << label("LabelHlaseni").toStdString();
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
    EXPECT_FALSE(label("LabelVerze1").isEmpty()) << "the unit's identity was not shown";
    // The unit then reports storing, and the count of programmings moves on.
    EXPECT_TRUE(waitForStatus("Saving:", 3000));
    EXPECT_TRUE(waitForStatus("Programing: OK", 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return label("LabelPocetProgramovani") == "Number of Programing= 1 "; }, 3000))
        << label("LabelPocetProgramovani").toStdString();

    window->MenuVerifyClick();
    EXPECT_TRUE(waitForStatus("Verify: OK")) << label("LabelHlaseni").toStdString();

    // A set on screen that differs from the unit's fails to verify ...
    type("Edit50", "30");
    window->MenuVerifyClick();
    EXPECT_TRUE(waitForStatus("Verify error!", 5000)) << label("LabelHlaseni").toStdString();

    // ... and a read brings the unit's set back onto the screen.
    window->MenuReadClick();
    EXPECT_TRUE(waitForStatus("Verify: OK")) << label("LabelHlaseni").toStdString();
    EXPECT_EQ(window->findChild<QLineEdit *>("Edit50")->text(), "12");
    EXPECT_EQ(window->findChild<QLineEdit *>("EditOmez2")->text(), "9,500");
    EXPECT_EQ(label("LabelFile2"), "");
}

TEST_F(AgainstSimulator, ASilentUnitEndsInProgramError)
{
    startWith({"--silent"});
    window->MenuProgramClick();
    EXPECT_EQ(label("LabelHlaseni"), "Program device:");
    ASSERT_TRUE(waitForStatus("Program error!", 5000));
    EXPECT_EQ(window->findChild<QLabel *>("LabelHlaseni")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_TRUE(visible("LabelSpojeni"));
}

TEST_F(AgainstSimulator, NoConnectionShowsAboutASecondAfterTheUnitGoesAway)
{
    startWith({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !visible("LabelSpojeni"); }, 5000));
    sim->stop();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return visible("LabelSpojeni"); }, 5000));
    // 18 ticks after the last frame; the last live answer may have come up to
    // 6 ticks before the simulator stopped.
    EXPECT_GE(clock.elapsed(), 500);
    // The port hung up and was closed; the tool runs on.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->session().transport().isOpen(); }, 3000));
}

TEST(TheProgram, TalksToTheSimulatorAndExitsWithZero)
{
    QTemporaryDir home;
    const QString log = home.filePath("sim.log");
    SimulatorProcess sim({"--log", log});
    if (sim.pty.isEmpty())
        GTEST_SKIP() << "the simulator could not open a pseudo-terminal";
    QFile ini(home.filePath("Torvo_TCI.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(sim.pty).toUtf8());
    ini.close();

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TORVO_TCI_HOME", home.path());
    env.insert("TORVO_TCI_QUIT_AFTER_MS", "1500");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(TORVO_APP_PATH), {});
    ASSERT_TRUE(app.waitForFinished(20000));
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
    EXPECT_GE(liveRequests, 3) << "the program sent too few live-data requests";
}
