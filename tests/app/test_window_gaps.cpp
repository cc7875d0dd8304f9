// Window behaviour over a scripted unit: the port menu, the report languages,
// the two flag check boxes and a Verify straight out of an edit.
#include "unit_window_fixture.h"

#include "params/parameterimage.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <functional>

class WindowGapsTest : public UnitWindowTest
{};

TEST_F(WindowGapsTest, EachComItemChecksItselfAloneAndOpensItsDevice)
{
    writeSettings("[PORTS]\nCOM4=/dev/ttyUSB3\nCOM10=/dev/pts/7\n");
    start();
    const QString devices[] = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyUSB3", "/dev/ttyS4",
                               "/dev/ttyS5", "/dev/ttyS6", "/dev/ttyS7", "/dev/ttyS8", "/dev/pts/7"};
    // From the last item back to the first, so that no click finds its item checked already.
    for (int n = 10; n >= 1; --n) {
        SCOPED_TRACE("COM" + std::to_string(n));
        port->events.clear();
        control<QAction>(QStringLiteral("MenuCom%1").arg(n).toLatin1().constData())->trigger();
        EXPECT_EQ(port->events, QStringList({"close", "open " + devices[n - 1]}))
            << "expected open " << devices[n - 1].toStdString() << ", got " << port->events.join(", ").toStdString();
        EXPECT_EQ(window->session().portNumber(), n);
        QString checked;
        for (int m = 1; m <= 10; ++m) {
            if (control<QAction>(QStringLiteral("MenuCom%1").arg(m).toLatin1().constData())->isChecked())
                checked += QStringLiteral("COM%1 ").arg(m);
        }
        EXPECT_EQ(checked, QStringLiteral("COM%1 ").arg(n)) << "checked: " << checked.toStdString();
    }
}

namespace {

struct LanguageCase
{
    const char *name;
    void (TFormHlav::*select)();
    const char *programCaption;
    const char *programError;
    const char *programmedOk;
};

const LanguageCase kLanguages[] = {
    {"German", &TFormHlav::MenuGermanClick, "Programmieren:", "Programmierfehler!", "Programmieren: OK"},
    {"Czech", &TFormHlav::MenuCzechClick, "Programování:", "Chyba programování", "Programování: OK"},
};

} // namespace

TEST_F(WindowGapsTest, AProgramReportsInTheChosenLanguage)
{
    for (const LanguageCase &c : kLanguages) {
        SCOPED_TRACE(c.name);
        window.reset();
        SetUp();
        start();
        (window.get()->*c.select)();

        // A unit that answers: the caption, then the success report.
        unit.connected = true;
        window->MenuProgramClick();
        EXPECT_EQ(label("LabelHlaseni"), QString::fromUtf8(c.programCaption));
        EXPECT_TRUE(tickUntilStatus(QString::fromUtf8(c.programmedOk), 10))
            << "expected " << c.programmedOk << ", shown " << label("LabelHlaseni").toStdString();

        // No unit: five sendings four ticks apart, then the error report.
        unit.connected = false;
        window->MenuProgramClick();
        EXPECT_EQ(label("LabelHlaseni"), QString::fromUtf8(c.programCaption));
        EXPECT_TRUE(tickUntilStatus(QString::fromUtf8(c.programError), 30))
            << "expected " << c.programError << ", shown " << label("LabelHlaseni").toStdString();
        EXPECT_EQ(background("LabelHlaseni"), QColor(255, 0, 0));
    }
}

TEST_F(WindowGapsTest, TheTwoFlagsTravelApartBetweenImageAndCheckBoxes)
{
    start();
    struct
    {
        int rpm2, blokEnable;
    } const cases[] = {{1, 0}, {0, 1}, {1, 1}, {0, 0}};
    auto *tacho = control<QCheckBox>("CheckBoxRpm2Krat");
    auto *blocking = control<QCheckBox>("CheckBoxBlokEnable");
    for (const auto &c : cases) {
        SCOPED_TRACE("Rpm2 = " + std::to_string(c.rpm2) + ", BlokEnable = " + std::to_string(c.blokEnable));
        ParameterImage image = window->session().image();
        image[ParameterImage::kRpm2] = static_cast<std::uint8_t>(c.rpm2 ? 0x55 : 0);
        image[ParameterImage::kBlokEnable] = static_cast<std::uint8_t>(c.blokEnable ? 0x55 : 0);
        window->session().document().restore(image, QString(), QString());
        EXPECT_EQ(tacho->isChecked(), c.rpm2 != 0);
        EXPECT_EQ(blocking->isChecked(), c.blokEnable != 0);

        // And back: each box, toggled from the keyboard, writes its own byte
        // at the next capture.
        QTest::keyClick(tacho, Qt::Key_Space);
        QTest::keyClick(blocking, Qt::Key_Space);
        window->CaptureControls();
        EXPECT_EQ(window->session().image()[ParameterImage::kRpm2], 1 - c.rpm2);
        EXPECT_EQ(window->session().image()[ParameterImage::kBlokEnable], 1 - c.blokEnable);
    }
}

TEST_F(WindowGapsTest, AVerifyRightAfterTypingSendsTheTypedValue)
{
    struct
    {
        const char *edit;
        const char *typed;
        int byte;
        int expected;
    } const cases[] = {
        {"Edit50", "12", ParameterImage::kAdvance + 0, 12},
        {"Edit53", "41", ParameterImage::kAdvance + 3, 41},
        {"EditBaseAdv", "8", ParameterImage::kBaseAdv, 8},
        {"EditOmez2", "9,500", ParameterImage::kLimiter, 95},
    };
    start();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.edit);
        port->sent.clear();
        // Typed, still in the edit: no exit has committed it.
        control<QLineEdit>(c.edit)->setText(QString::fromLatin1(c.typed));
        window->MenuVerifyClick();
        const Frame *verify = nullptr;
        for (int i = 0; i < 10 && !verify; ++i) {
            for (const Frame &f : port->sent) {
                if (f[0] == 0x41)
                    verify = &f;
            }
            if (!verify)
                ticks(1);
        }
        ASSERT_NE(verify, nullptr) << "no verify frame was sent";
        EXPECT_EQ((*verify)[static_cast<std::size_t>(1 + c.byte)], c.expected)
            << c.edit << " typed " << c.typed << ": image byte " << c.byte;
        ticks(3); // let the verify end before the next one
    }
}

TEST_F(WindowGapsTest, TypingIsOverwrittenOnlyByAReportAboutItsOwnField)
{
    start();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    unit.connected = true;
    auto *edit = control<QLineEdit>("Edit55");
    const int advance6 = ParameterImage::kAdvance + 5;
    const struct
    {
        const char *what;
        std::function<void()> start;
        QString shown; // what the edit shows once the operation is over
    } cases[] = {
        {"a program, with the unit's identity reply", [&] { window->MenuProgramClick(); }, "42"},
        {"a read of a set that differs in another field",
         [&] {
             unit.stored[ParameterImage::kAdvance + 2] = 7;
             window->MenuReadClick();
         },
         "42"},
        {"a read of a set that differs in this field",
         [&] {
             unit.stored[advance6] = 19;
             window->MenuReadClick();
         },
         "19"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.start();
        // Typed while the transfer runs, not yet committed.
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "42");
        ticks(1);
        for (int i = 0; i < 60 && window->session().engine().transferMode() != TransferMode::Idle; ++i)
            ticks(1);
        ASSERT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
        EXPECT_EQ(window->session().image()[ParameterImage::kAdvance + 2], unit.stored[ParameterImage::kAdvance + 2]);
        EXPECT_EQ(edit->text(), c.shown);
        EXPECT_NE(window->session().image()[advance6], 42) << "typing is taken only by a commit";
    }
}
