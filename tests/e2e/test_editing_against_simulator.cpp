// Programming after change through the real window code and a pseudo-terminal:
// an edit with the box ticked ends up in the simulated unit's stored block, and
// so does the same edit taken back with Ctrl+Z and done again with Ctrl+Y.
#include "support/simulator_process.h"

#include "settings/settingspaths.h"
#include "app/tformhlav.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// How long a condition may take to come true: a bound on a hang, not on speed.
// A program takes a second or two of storing on top of its own ticks, and a
// machine busy with other work stretches both.
constexpr int kPatienceMs = 20000;

// The simulator's store: 50 numbers, the block it holds.
QList<QByteArray> storedBlock(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().simplified().split(' ');
}

} // namespace

TEST(EditingAgainstSimulator, AnEditWithTheBoxTickedProgramsTheUnit)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("unit.txt");
    SimulatorProcess sim;
    START_SIMULATOR(sim, "--store", store);
    QDir().mkpath(settingspaths::settingsFolder());
    QFile ini(settingspaths::settingsFile());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[PORTS]\nCOM1=%1\n").arg(sim.pty).toUtf8());
    ini.close();

    TFormHlav window;
    window.FormCreate();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto *connection = window.findChild<QLabel *>("LabelSpojeni");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !connection->isVisible(); }, kPatienceMs)) << "no live data";

    // Ticking the box programs the set on screen at once.
    auto *box = window.findChild<QCheckBox *>("CheckBoxProgHned");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    auto *status = window.findChild<QLabel *>("LabelHlaseni");
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == "Programing: OK"; }, kPatienceMs))
        << status->text().toStdString();

    // Then an edit is enough, and so is each step through the history.
    const QByteArray before = QByteArray::number(window.session().image()[22]);
    ASSERT_NE(before, "27");
    auto *edit = window.findChild<QLineEdit *>("Edit52");
    edit->setText("27");
    window.EditExit(edit);
    const struct
    {
        const char *what;
        Qt::KeyboardModifiers keys;
        Qt::Key key;
        QByteArray stored;
    } steps[] = {
        {"the edit", {}, Qt::Key_unknown, "27"},
        {"Ctrl+Z", Qt::ControlModifier, Qt::Key_Z, before},
        {"Ctrl+Y", Qt::ControlModifier, Qt::Key_Y, "27"},
    };
    for (const auto &step : steps) {
        if (step.key != Qt::Key_unknown) {
            // The key goes out once the program before it has finished.
            ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == "Programing: OK"; }, kPatienceMs))
                << step.what << ": " << status->text().toStdString();
            QTest::keyClick(&window, step.key, step.keys);
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const QList<QByteArray> block = storedBlock(store);
                return block.size() == 50 && block[22] == step.stored;
            },
            kPatienceMs))
            << step.what << ": the unit holds " << storedBlock(store).value(22).toStdString();
    }
    const QList<QByteArray> block = storedBlock(store);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(block[i].toInt(), window.session().image()[i]) << "byte " << i;
    QFile::remove(settingspaths::settingsFile());
}
