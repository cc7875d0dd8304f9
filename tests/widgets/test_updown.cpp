// The spinner bound to its edit.
#include "widgets/updown.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Spinner
{
    QWidget parent;
    QLineEdit *edit = new QLineEdit(&parent);
    UpDown *spin = new UpDown(&parent);

    Spinner(int minimum, int maximum, int increment, int position, bool thousands)
    {
        spin->setAssociate(edit);
        spin->setRange(minimum, maximum);
        spin->setIncrement(increment);
        spin->setThousands(thousands);
        spin->setPosition(position);
    }
};

} // namespace

TEST(UpDownStep, StopsAtTheEndsWithoutWrapping)
{
    Spinner s(999, 25000, 100, 24950, true);
    s.spin->step(UpDown::Button::Up);
    EXPECT_EQ(s.spin->position(), 25000);
    s.spin->step(UpDown::Button::Up);
    EXPECT_EQ(s.spin->position(), 25000);
    EXPECT_EQ(s.edit->text(), "25,000");

    s.spin->setPosition(1000);
    s.spin->step(UpDown::Button::Down);
    EXPECT_EQ(s.spin->position(), 999);
    s.spin->step(UpDown::Button::Down);
    EXPECT_EQ(s.spin->position(), 999);
    EXPECT_EQ(s.edit->text(), "999");
}

TEST(UpDownStep, StartsFromTheTypedNumber)
{
    Spinner s(0, 60, 1, 20, false);
    s.edit->setText("41");
    s.spin->step(UpDown::Button::Up);
    EXPECT_EQ(s.edit->text(), "42");

    // Junk is ignored: the step starts from the last good position.
    s.edit->setText("12abc");
    s.spin->step(UpDown::Button::Down);
    EXPECT_EQ(s.edit->text(), "41");
}

TEST(UpDownPosition, TakesOnlyWholeNumbersInRange)
{
    Spinner s(300, 20100, 100, 3000, true);
    const struct
    {
        const char *typed;
        int expected;
    } cases[] = {{"4500", 4500}, {"4,600", 4600}, {"", 4600},       {"299", 4600},
                 {"20101", 4600}, {"4.5", 4600},  {"20,100", 20100}, {" 300 ", 300}};
    for (const auto &c : cases) {
        s.edit->setText(c.typed);
        EXPECT_EQ(s.spin->position(), c.expected) << "typed \"" << c.typed << "\"";
    }
}

TEST(UpDownPosition, SetterClampsIntoRangeAndWritesGroupedText)
{
    Spinner s(2, 9, 1, 3, true);
    s.spin->setPosition(12);
    EXPECT_EQ(s.spin->position(), 9);
    EXPECT_EQ(s.edit->text(), "9");
    s.spin->setPosition(-5);
    EXPECT_EQ(s.edit->text(), "2");

    Spinner limiter(999, 25000, 100, 15000, true);
    limiter.spin->setPosition(0);
    EXPECT_EQ(limiter.edit->text(), "999");
    limiter.spin->setPosition(7000);
    EXPECT_EQ(limiter.edit->text(), "7,000");
}

TEST(UpDownClick, ArrowsAndArrowKeysStepThenReport)
{
    Spinner s(0, 60, 1, 20, false);
    s.parent.show();
    QSignalSpy spy(s.spin, &UpDown::clicked);

    QTest::keyClick(s.edit, Qt::Key_Up);
    EXPECT_EQ(s.edit->text(), "21");
    QTest::keyClick(s.edit, Qt::Key_Down);
    QTest::keyClick(s.edit, Qt::Key_Down);
    EXPECT_EQ(s.edit->text(), "19");
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).value<UpDown::Button>(), UpDown::Button::Up);
    EXPECT_EQ(spy.at(2).at(0).value<UpDown::Button>(), UpDown::Button::Down);

    // A mouse click on the upper half steps up.
    QTest::mouseClick(s.spin->childAt(8, 3), Qt::LeftButton);
    EXPECT_EQ(s.edit->text(), "20");
    EXPECT_EQ(spy.count(), 4);
    QTest::mouseClick(s.spin->childAt(8, 17), Qt::LeftButton);
    EXPECT_EQ(s.edit->text(), "19");
}
