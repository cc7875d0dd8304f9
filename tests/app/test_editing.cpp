// Edits, spinners and check boxes committing into the parameter image.
#include "window_fixture.h"

#include "widgets/tcgauge.h"
#include "widgets/updown.h"

#include <QApplication>
#include <QCheckBox>
#include <QTest>

#include <functional>
#include <span>

namespace {
const QChar kNbsp(0x00A0);
}

class EditingTest : public WindowTest
{
protected:
    // Types into an edit and leaves it, as the user does.
    void typeAndLeave(const char *edit, const QString &typed)
    {
        control<QLineEdit>(edit)->setText(typed);
        window->EditExit(control(edit));
    }
};

TEST_F(EditingTest, TypedValuesAreTakenOnlyAsWholeNumbersInRange)
{
    const struct
    {
        const char *edit;
        const char *typed;
        const char *shown;
        int byte;
        int value;
    } cases[] = {
        {"Edit50", "12abc", "5", ParameterImage::kAdvance, 5},           // junk: previous value back
        {"Edit50", "", "5", ParameterImage::kAdvance, 5},                // empty
        {"Edit50", "61", "5", ParameterImage::kAdvance, 5},              // above the spinner's range
        {"Edit51", "17", "17", ParameterImage::kAdvance + 1, 17},
        {"EditRpmAdv2", "2550", "2,500", ParameterImage::kRpmAdv + 1, 25}, // whole hundreds
        {"EditRpmAdv1", "199", "200", ParameterImage::kRpmAdv, 2},         // raised to point 1's floor
        {"EditRpmAdv10", "20,100", "20,000", ParameterImage::kRpmAdv + 9, 200},
        {"EditOmez2", "999", "999", ParameterImage::kLimiter, 9},          // 900 rpm
        {"EditOmez2", "15,500", "15,500", ParameterImage::kLimiter, 155},
        {"EditPalec13", "9", "9", ParameterImage::kTop14, 9},
        {"EditPalec24", "1", "9", ParameterImage::kTop23, 9},              // tooth 1 is out of range
        {"EditBaseAdv", "40", "40", ParameterImage::kBaseAdv, 40},
    };
    for (const auto &c : cases) {
        typeAndLeave(c.edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(text(c.edit), c.shown) << c.edit << " typed \"" << c.typed << "\"";
        EXPECT_EQ(window->session().image()[c.byte], c.value) << c.edit << " typed \"" << c.typed << "\"";
    }
}

TEST_F(EditingTest, ThousandsFollowTheLocaleWithANonBreakingSpace)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    window->ShowImage();
    EXPECT_EQ(text("EditRpmAdv1"), QString("1") + kNbsp + "000");
    EXPECT_EQ(text("EditOmez2"), QString("7") + kNbsp + "000");
    EXPECT_EQ(text("Edit50"), "5"); // advances stay plain digits

    typeAndLeave("EditOmez2", "15 500");
    EXPECT_EQ(window->session().image()[ParameterImage::kLimiter], 155);
    EXPECT_EQ(text("EditOmez2"), QString("15") + kNbsp + "500");
}

TEST_F(EditingTest, BytesOutsideASpinnersRangeShowAtItsEndUntilCaptured)
{
    ParameterImage unitSet = window->session().image();
    unitSet.advance(0) = 70;
    unitSet[ParameterImage::kLimiter] = 0;
    unitSet[ParameterImage::kTop14] = 12;
    window->session().document().takeUnitSet(std::span(unitSet.bytes).first(ParameterImage::kBlockSize));
    EXPECT_EQ(text("Edit50"), "60");
    EXPECT_EQ(text("EditOmez2"), "999");
    EXPECT_EQ(text("EditPalec13"), "9");
    // The set keeps what came from the unit or a file until the next capture.
    EXPECT_EQ(window->session().image(), unitSet);
    window->CaptureControls();
    EXPECT_EQ(window->session().image().advance(0), 60);
    EXPECT_EQ(window->session().image()[ParameterImage::kLimiter], 9);
    EXPECT_EQ(window->session().image()[ParameterImage::kTop14], 9);
}

TEST_F(EditingTest, SpinnerClicksCommitAtOnce)
{
    auto *spin = control<UpDown>("UpDownRpmAdv3");
    QTest::mouseClick(spin->childAt(8, 3), Qt::LeftButton);
    EXPECT_EQ(window->session().image().rpmAdv(2), 31);
    EXPECT_EQ(text("EditRpmAdv3"), "3,100");

    // Stepping point 2 up into point 3 pushes point 3 on.
    for (int i = 0; i < 11; ++i)
        QTest::mouseClick(control<UpDown>("UpDownRpmAdv2")->childAt(8, 3), Qt::LeftButton);
    EXPECT_EQ(text("EditRpmAdv2"), "3,100");
    EXPECT_EQ(text("EditRpmAdv3"), "3,200");
}

TEST_F(EditingTest, CheckBoxesCommitOnAMouseReleaseButNotFromTheKeyboard)
{
    window->show();
    auto *tacho = control<QCheckBox>("CheckBoxRpm2Krat");
    tacho->setFocus();
    QTest::keyClick(tacho, Qt::Key_Space);
    EXPECT_FALSE(tacho->isChecked());
    QApplication::processEvents();
    EXPECT_EQ(window->session().image()[ParameterImage::kRpm2], 1) << "a key toggle must not commit";

    auto *blocking = control<QCheckBox>("CheckBoxBlokEnable");
    QTest::mouseClick(blocking, Qt::LeftButton, {}, QPoint(5, blocking->height() / 2));
    EXPECT_FALSE(blocking->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->session().image()[ParameterImage::kBlokEnable] == 0; }, 1000));
    // The same capture took the keyboard's change of the other box along.
    EXPECT_EQ(window->session().image()[ParameterImage::kRpm2], 0);
}

TEST_F(EditingTest, ProgrammingAfterChangeIsRedOnScreenWhileTicked)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto *box = control<QCheckBox>("CheckBoxProgHned");
    const QColor red(255, 0, 0);
    const auto click = [&] {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QCoreApplication::processEvents();
    };
    const auto press = [&] { QTest::keyClick(box, Qt::Key_Space); };
    const struct
    {
        const char *what;
        std::function<void()> act;
        bool red;
    } steps[] = {
        {"at start", [] {}, false},
        {"ticked with the mouse", click, true},
        {"in German", [&] { window->MenuGermanClick(); }, true},
        {"in Czech", [&] { window->MenuCzechClick(); }, true},
        {"unticked with the keyboard", press, false},
        {"ticked with the keyboard", press, true},
        {"unticked with the mouse", click, false},
        {"in English", [&] { window->MenuEnglishClick(); }, false},
    };
    for (const auto &step : steps) {
        step.act();
        ASSERT_EQ(box->isChecked(), step.red) << step.what;
        // The box as the window shows it, and a little of its group beside
        // it: red fills the box's background, caption and tick square aside;
        // unticked, it shows the group's face it stands on.
        const QPoint corner = box->mapTo(window.get(), QPoint(0, 0));
        const QImage shown = window->grab(QRect(corner, box->size())).toImage();
        const QColor beside = window->grab(QRect(corner + QPoint(box->width() + 2, box->height() / 2), QSize(1, 1)))
                                  .toImage()
                                  .pixelColor(0, 0);
        ASSERT_NE(beside, red);
        int redPixels = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                redPixels += shown.pixelColor(x, y) == red;
        const int all = shown.width() * shown.height();
        if (step.red)
            EXPECT_GT(redPixels, all * 2 / 3) << step.what << ": " << redPixels << " of " << all;
        else
            EXPECT_EQ(redPixels, 0) << step.what;
        // Past the end of the caption, halfway down.
        EXPECT_EQ(shown.pixelColor(shown.width() - 2, shown.height() / 2), step.red ? red : beside) << step.what;
    }
}

TEST_F(EditingTest, LeavingAnEditForAnotherCommitsIt)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *edit = control<QLineEdit>("Edit55");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "42");
    EXPECT_EQ(window->session().image().advance(5), 33);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(window->session().image().advance(5), 42);
}

TEST_F(EditingTest, NewRestoresTheDefaultsAndKeepsTheUnitsBytes)
{
    ParameterImage set = window->session().image();
    set[7] = 0xAB;  // a reserved byte read from a unit
    set[52] = 0xCD; // a spare byte
    window->session().document().restore(set, "/tmp/x.ign", "/tmp/x.ign");
    EXPECT_EQ(text("LabelFile2"), "/tmp/x.ign");
    typeAndLeave("Edit59", "0");
    typeAndLeave("EditOmez2", "12,000");
    control<QWidget>("LabelHlaseni")->show();

    window->MenuNewClick();
    EXPECT_EQ(text("Edit59"), "33");
    EXPECT_EQ(text("EditOmez2"), "7,000");
    EXPECT_EQ(window->session().image()[7], 0xAB);
    EXPECT_EQ(window->session().image()[52], 0xCD);
    EXPECT_EQ(text("LabelFile2"), "");
    EXPECT_FALSE(control("LabelHlaseni")->isVisibleTo(window.get()));
    EXPECT_FALSE(control("CGaugeProgram")->isVisibleTo(window.get()));
}

TEST_F(EditingTest, CtrlZAndCtrlYWalkTheHistoryUnlessTheFieldHasTypingOfItsOwn)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_FALSE(item("MenuUndo")->isEnabled()) << "the history starts empty";
    EXPECT_FALSE(item("MenuRedo")->isEnabled());
    // Two committed steps: a spinner click, then typing left with Tab.
    const QString started = text("Edit50");
    QTest::mouseClick(control<UpDown>("UpDown50")->childAt(8, 3), Qt::LeftButton);
    const QString stepped = text("Edit50");
    ASSERT_NE(stepped, started);
    auto *edit = control<QLineEdit>("Edit55");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "42");
    QTest::keyClick(edit, Qt::Key_Tab);
    auto *typing = control<QLineEdit>("Edit56");
    ASSERT_TRUE(typing->hasFocus());
    const QString own = typing->text();

    const auto z = Qt::Key_Z;
    const auto ctrl = Qt::ControlModifier;
    const struct
    {
        const char *what;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        QString typing, advance6, advance1;
        bool undo, redo;
    } steps[] = {
        {"typed 7", Qt::Key_7, {}, "7", "42", stepped, true, false},
        // Typing not yet committed: the field takes Ctrl+Z for its own text.
        {"Ctrl+Z on the typing", z, ctrl, own, "42", stepped, true, false},
        // Nothing of its own left to take back: the key means the set's last step.
        {"Ctrl+Z on the set", z, ctrl, own, "33", stepped, true, true},
        {"Ctrl+Z again", z, ctrl, own, "33", started, false, true},
        {"Ctrl+Y", Qt::Key_Y, ctrl, own, "33", stepped, true, true},
        {"Ctrl+Shift+Z", z, ctrl | Qt::ShiftModifier, own, "42", stepped, true, false},
    };
    for (const auto &s : steps) {
        QTest::keyClick(typing, s.key, s.mods);
        EXPECT_EQ(typing->text(), s.typing) << s.what;
        EXPECT_EQ(text("Edit55"), s.advance6) << s.what;
        EXPECT_EQ(window->session().image().advance(5), s.advance6.toInt()) << s.what;
        EXPECT_EQ(text("Edit50"), s.advance1) << s.what;
        EXPECT_EQ(item("MenuUndo")->isEnabled(), s.undo) << s.what;
        EXPECT_EQ(item("MenuRedo")->isEnabled(), s.redo) << s.what;
    }
}
