// The main window as it comes up and goes down.
#include "window_fixture.h"

#include "app/handlerguard.h"
#include "widgets/tcgauge.h"
#include "widgets/updown.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

TEST_F(WindowTest, StartShowsTheDefaultSet)
{
    const char *speeds[] = {"1,000", "2,000", "3,000", "4,000", "5,000",
                            "6,000", "7,000", "8,000", "9,000", "10,000"};
    const char *advances[] = {"5", "15", "20", "25", "33", "33", "33", "33", "33", "33"};
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(text(qPrintable(QStringLiteral("EditRpmAdv%1").arg(k + 1))), speeds[k]) << "point " << k + 1;
        EXPECT_EQ(text(qPrintable(QStringLiteral("Edit5%1").arg(k))), advances[k]) << "point " << k + 1;
    }
    EXPECT_EQ(text("EditPalec13"), "3");
    EXPECT_EQ(text("EditPalec24"), "9");
    EXPECT_EQ(text("EditBaseAdv"), "5");
    EXPECT_EQ(text("EditOmez2"), "7,000");
    EXPECT_TRUE(control<QCheckBox>("CheckBoxRpm2Krat")->isChecked());
    EXPECT_TRUE(control<QCheckBox>("CheckBoxBlokEnable")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CheckBoxIgnAll")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CheckBoxProgHned")->isChecked());
    // No unit identified yet: the firmware labels are blank, not their design texts.
    EXPECT_EQ(text("LabelVerze1"), "");
    EXPECT_EQ(text("LabelVerze2"), "");
    EXPECT_EQ(text("LabelVerze3"), "");
    EXPECT_EQ(window->session().portNumber(), 1);
    EXPECT_EQ(window->session().engine().silenceTicks(), 18);
}

TEST_F(WindowTest, StatusAndTestWidgetsStartHidden)
{
    window->show();
    for (const char *name : {"LabelHlaseni", "CGaugeProgram", "LabelEeDataErr", "LabelVersion",
                             "LabelTest1", "LabelTest2", "LabelTest3", "LabelTest4", "LabelTest5",
                             "LabelTest6", "LabelTest7", "LabelTest8"})
        EXPECT_FALSE(control(name)->isVisible()) << name;
    for (const char *name : {"LabelSpojeni", "LabelRpm", "CGaugeRpm", "LabelNapeti", "Image1", "Image3"})
        EXPECT_TRUE(control(name)->isVisible()) << name;
    EXPECT_EQ(control<TCGauge>("CGaugeProgram")->maxValue(), 1);
    EXPECT_EQ(control<TCGauge>("CGaugeRpm")->maxValue(), 100);
    EXPECT_FALSE(control<TCGauge>("CGaugeRpm")->showText());
    EXPECT_EQ(control<TCGauge>("CGaugeRpm")->foreColor(), QColor(255, 0, 255));
    EXPECT_EQ(control<TCGauge>("CGaugeProgram")->foreColor(), QColor(0, 255, 255));
}

TEST_F(WindowTest, OnlyTheStartPortCarriesTheComCheckMark)
{
    for (int n = 1; n <= 10; ++n) {
        QAction *com = item(qPrintable(QStringLiteral("MenuCom%1").arg(n)));
        EXPECT_EQ(com->isChecked(), n == 1) << "COM" << n;
    }
    EXPECT_EQ(item("MenuCom10")->text(), "Com 1&0");
    // The English set replaced the design hint " Set com 2" at start.
    EXPECT_EQ(item("MenuCom2")->statusTip(), "Set com 2");
}

struct Place
{
    const char *name;
    int left, top, width, height; // width/height 0: sized to its text
};

TEST_F(WindowTest, ControlsSitAtTheirDesignPlaces)
{
    const Place places[] = {
        {"GroupBox5", 3, 0, 422, 43},         {"LabelSpojeni", 440, 9, 174, 29},
        {"GroupBox6", 8, 48, 185, 441},       {"GroupBox1", 198, 48, 209, 353},
        {"GroupBox2", 412, 48, 205, 193},     {"Image1", 200, 407, 162, 83},
        {"SpeedButton6", 12, 12, 24, 23},     {"SpeedButton5", 50, 12, 24, 23},
        {"SpeedButton7", 88, 12, 24, 23},     {"SpeedButtonPrint", 126, 12, 24, 23},
        {"Button1", 182, 12, 57, 23},         {"BitBtn2", 248, 12, 65, 23},
        {"BitBtn1", 322, 12, 81, 23},         {"Label26", 28, 24, 0, 0},
        {"Label2", 98, 24, 0, 0},             {"EditRpmAdv1", 20, 53, 40, 21},
        {"UpDownRpmAdv1", 60, 53, 16, 21},    {"Edit50", 99, 53, 30, 21},
        {"UpDown50", 129, 53, 16, 21},        {"EditRpmAdv6", 20, 231, 40, 21},
        {"EditRpmAdv10", 20, 373, 40, 21},    {"UpDown59", 129, 373, 16, 21},
        {"BitBtnAdvMinus", 21, 407, 20, 20},  {"BitBtnAdvPlus", 69, 407, 20, 20},
        {"CheckBoxIgnAll", 112, 409, 40, 17}, {"EditBaseAdv", 16, 21, 42, 21},
        {"UpDownBaseAdv", 58, 21, 16, 21},    {"LabelBaseAdv", 83, 23, 0, 0},
        {"EditOmez2", 16, 55, 42, 21},        {"UpDownOmez2", 58, 55, 16, 21},
        {"LabelOmez2", 83, 56, 0, 0},         {"CheckBoxRpm2Krat", 16, 89, 170, 17},
        {"CheckBoxBlokEnable", 16, 122, 170, 15}, {"CheckBoxProgHned", 16, 156, 170, 16},
        {"Image3", 4, 9, 200, 267},           {"EditPalec13", 16, 285, 26, 21},
        {"UpDownPalec13", 42, 285, 16, 21},   {"LabelPalec13", 67, 287, 0, 0},
        {"EditPalec24", 16, 317, 26, 21},     {"UpDownPalec24", 42, 317, 16, 21},
        {"LabelPalec24", 67, 319, 0, 0},      {"LabelRpm", 420, 254, 0, 0},
        {"CGaugeRpm", 413, 281, 203, 19},     {"LabelAdvance", 420, 310, 0, 0},
        {"LabelNapeti", 420, 341, 0, 0},      {"LabelBlocking", 420, 369, 0, 0},
        {"LabelNeutral", 420, 392, 0, 0},     {"LabelSideStand", 420, 415, 0, 0},
        {"LabelVerze1", 380, 443, 0, 0},      {"LabelVerze2", 380, 464, 0, 0},
        {"LabelVerze3", 380, 485, 0, 0},      {"LabelPocetProgramovani", 380, 505, 0, 0},
        {"LabelHlaseni", 8, 502, 0, 0},       {"CGaugeProgram", 160, 502, 209, 17},
        {"LabelFile1", 12, 524, 0, 0},        {"LabelFile2", 60, 524, 0, 0},
        {"LabelEeDataErr", 13, 548, 0, 0},    {"LabelVersion", 13, 580, 0, 0},
        {"LabelTest1", 16, 617, 0, 0},        {"LabelTest8", 448, 648, 0, 0},
    };
    for (const Place &p : places) {
        const QWidget *w = control(p.name);
        if (!w)
            continue;
        EXPECT_EQ(w->pos(), QPoint(p.left, p.top)) << p.name;
        if (p.width) {
            EXPECT_EQ(w->size(), QSize(p.width, p.height)) << p.name;
        }
    }
    // The client area under the menu bar, with the status bar along its bottom.
    window->show();
    EXPECT_EQ(control("ClientArea")->size(), QSize(753, 749));
    EXPECT_EQ(control<QStatusBar>("StatusBar1")->height(), 19);
    EXPECT_EQ(window->outerGeometry().size(), QSize(761, 822));
}

TEST_F(WindowTest, FontsFollowTheDesign)
{
    const struct
    {
        const char *name;
        int pixels;
        bool bold;
    } fonts[] = {{"LabelSpojeni", 23, true}, {"LabelRpm", 19, true},     {"LabelNapeti", 19, true},
                 {"LabelBlocking", 16, false}, {"LabelVerze2", 13, false}, {"LabelVerze1", 11, false},
                 {"LabelHlaseni", 13, true},  {"LabelTest5", 13, true},  {"BitBtnAdvPlus", 19, false},
                 {"EditOmez2", 11, false}};
    for (const auto &f : fonts) {
        const QFont font = control(f.name)->font();
        EXPECT_EQ(font.pixelSize(), f.pixels) << f.name;
        EXPECT_EQ(font.bold(), f.bold) << f.name;
    }
    // The design face where Debian's Wine fonts bring it, at its one height
    // and on an unscaled screen; the other heights in a stand-in.
    const bool designFace = QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"))
                            && qApp->devicePixelRatio() == 1.0;
    EXPECT_EQ(QFontInfo(control("EditOmez2")->font()).family() == "MS Sans Serif", designFace);
    EXPECT_NE(QFontInfo(control("LabelRpm")->font()).family(), "MS Sans Serif");
    EXPECT_EQ(control<QLabel>("LabelSpojeni")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(control<QLabel>("LabelEeDataErr")->palette().color(QPalette::Window), QColor(255, 0, 0));
}

TEST_F(WindowTest, HintsSplitIntoTooltipAndStatusText)
{
    // The English set applied at start: hints without "|" now serve as both
    // tooltip and status text, where the design had short and long parts.
    const struct
    {
        const char *name;
        const char *tooltip;
        const char *status;
    } hints[] = {
        {"SpeedButton6", "Set default parametrs", "Set default parametrs"},
        {"SpeedButton5", "Open file with parametrs", "Open file with parametrs"},
        {"SpeedButtonPrint", "Print parametrs", "Print parametrs"},
        {"BitBtn2", "Compare set parametrs  with parametrs of ignition", "Compare set parametrs  with parametrs of ignition"},
        {"BitBtn1", "Programing  set parametrs to ignition", "Programing  set parametrs to ignition"},
        {"BitBtnAdvMinus", "Take off 1 degree of Advance", "Take off 1 degree of Advance"},
        {"CheckBoxProgHned", "Programing at once after change", "Programing at once after change"},
        {"LabelVerze3", "Time of program in ignition", "Time of program in ignition"},
        // A hint without a tooltip still reaches the status bar.
        {"Label26", "", "Speed - Round per Minute"},
        {"BitBtnAdvPlus", "Add 1 degree of Advance", "Add 1 degree of Advance"},
    };
    for (const auto &h : hints) {
        const QWidget *w = control(h.name);
        EXPECT_EQ(w->toolTip(), h.tooltip) << h.name;
        EXPECT_EQ(w->statusTip(), h.status) << h.name;
    }
    EXPECT_EQ(item("MenuExit")->statusTip(), "End of program");
    EXPECT_EQ(item("MenuVerify")->statusTip(), "Compare set parameters  with parameters of unit");
    EXPECT_EQ(item("MenuEnglish")->statusTip(), "Set Englich menu");
}

TEST_F(WindowTest, PointingAtAControlPutsItsLongHintIntoTheStatusBar)
{
    window->show();
    auto *status = control<QStatusBar>("StatusBar1");
    for (const char *name : {"Label26", "SpeedButton7", "LabelVerze1"}) {
        QWidget *w = control(name);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(w, &enter);
        EXPECT_EQ(status->currentMessage(), w->statusTip()) << name;
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w, &leave);
        EXPECT_EQ(status->currentMessage(), "") << name;
    }
    // A highlighted menu item does the same through its menu.
    item("MenuProgram")->showStatusText(control<QMenuBar>("MainMenu1"));
    EXPECT_EQ(status->currentMessage(), "Programing  set parameters to unit");
    control<QMenu>("MenuCom")->menuAction()->showStatusText(control<QMenuBar>("MainMenu1"));
    EXPECT_EQ(status->currentMessage(), "Set number of com");
}

TEST_F(WindowTest, MenuItemsCarryTheirShortcutsAndTheKeysReachThem)
{
    const struct
    {
        const char *name;
        QKeySequence key;
    } keys[] = {{"MenuNew", QKeySequence(Qt::CTRL | Qt::Key_N)}, {"MenuOpen", QKeySequence(Qt::Key_F3)},
                {"MenuSave", QKeySequence(Qt::Key_F2)},          {"MenuPrint", QKeySequence(Qt::CTRL | Qt::Key_P)},
                {"MenuRead", QKeySequence(Qt::Key_F7)},          {"MenuVerify", QKeySequence(Qt::Key_F8)},
                {"MenuProgram", QKeySequence(Qt::Key_F9)},       {"AdvanceMinus", QKeySequence(Qt::Key_F4)},
                {"AdvancePlus", QKeySequence(Qt::Key_F5)},       {"MenuContens", QKeySequence(Qt::Key_F1)}};
    for (const auto &k : keys)
        EXPECT_EQ(item(k.name)->shortcut(), k.key) << k.name;

    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // Keys whose handlers open no dialog are pressed for real.
    for (const auto &k : {keys[0], keys[7], keys[8]}) {
        QSignalSpy spy(item(k.name), &QAction::triggered);
        QTest::keySequence(window.get(), k.key);
        EXPECT_EQ(spy.count(), 1) << k.name;
    }
}

TEST_F(WindowTest, TheKeyboardFocusMovesGroupByGroup)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QStringList expected{"Button1", "BitBtn2", "BitBtn1"};
    for (int k = 0; k < 10; ++k)
        expected << QStringLiteral("Edit5%1").arg(k);
    for (int n = 1; n <= 10; ++n)
        expected << QStringLiteral("EditRpmAdv%1").arg(n);
    expected << "CheckBoxIgnAll" << "BitBtnAdvMinus" << "BitBtnAdvPlus" << "CheckBoxRpm2Krat"
             << "CheckBoxBlokEnable" << "EditBaseAdv" << "EditOmez2" << "CheckBoxProgHned"
             << "EditPalec13" << "EditPalec24";

    QStringList seen;
    QWidget *w = control("Button1");
    for (int guard = 0; w && guard < 400 && seen.size() < expected.size(); ++guard) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled() &&
            !w->objectName().isEmpty() && w->window() == window.get())
            seen << w->objectName();
        w = w->nextInFocusChain();
    }
    EXPECT_EQ(seen, expected);
}

TEST_F(WindowTest, FileDialogsAreConfigured)
{
    EXPECT_EQ(window->OpenDialog1()->nameFilters(),
              QStringList({"Ignition Parametrs(*.ign)", "All Files (*.*)"}));
    EXPECT_EQ(window->OpenDialog1()->defaultSuffix(), "ign");
    EXPECT_EQ(window->OpenDialog1()->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(window->SaveDialog1()->nameFilters(), QStringList({"Ignition Parametrs(*.ign)"}));
    EXPECT_EQ(window->SaveDialog1()->defaultSuffix(), "ign");
    EXPECT_EQ(window->SaveDialog1()->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(window->SaveDialog1()->testOption(QFileDialog::DontConfirmOverwrite));
}

TEST_F(WindowTest, TheTimerTicksEvery55MsFromCreation)
{
    EXPECT_TRUE(window->timer()->isActive());
    EXPECT_EQ(window->timer()->interval(), 55);
    EXPECT_EQ(window->timer()->timerType(), Qt::PreciseTimer);
}

TEST_F(WindowTest, ClosingRunsTheCloseSequenceAndTheLoopEndsWithZero)
{
    window->show();
    // Typed but never committed: the close sequence still captures it.
    control<QLineEdit>("Edit50")->setText("44");
    QTimer::singleShot(20, window.get(), [this] { window->MenuExitClick(); });
    const int exitCode = QApplication::exec();
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->session().image().advance(0), 44);
}

TEST_F(WindowTest, AnExceptionInAHandlerIsShownAndTheProgramGoesOn)
{
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->done(0);
        }
    });
    guarded([] { throw GaugeError("Value must be between 1 and 2147483647"); })();
    EXPECT_EQ(shown, "Value must be between 1 and 2147483647");
    EXPECT_TRUE(window->timer()->isActive());
}

TEST_F(WindowTest, ControlsReachTheAccessibilityInterface)
{
    window->show();
    const auto *connection = QAccessible::queryAccessibleInterface(control("LabelSpojeni"));
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->text(QAccessible::Name), "No Connection");

    auto *limiter = QAccessible::queryAccessibleInterface(control("EditOmez2"));
    ASSERT_NE(limiter, nullptr);
    EXPECT_EQ(limiter->role(), QAccessible::EditableText);
    EXPECT_EQ(limiter->text(QAccessible::Value), "7,000");

    auto *tacho = QAccessible::queryAccessibleInterface(control("CheckBoxRpm2Krat"));
    ASSERT_NE(tacho, nullptr);
    EXPECT_EQ(tacho->role(), QAccessible::CheckBox);
    EXPECT_TRUE(tacho->state().checked);
    EXPECT_EQ(tacho->text(QAccessible::Name), "Tachometer 2x");

    auto *read = QAccessible::queryAccessibleInterface(control("Button1"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::Button);
    EXPECT_EQ(read->text(QAccessible::Name), "Read");

    control<TCGauge>("CGaugeRpm")->setProgress(42);
    auto *gauge = QAccessible::queryAccessibleInterface(control("CGaugeRpm"));
    ASSERT_NE(gauge, nullptr);
    ASSERT_NE(gauge->valueInterface(), nullptr);
    EXPECT_EQ(gauge->valueInterface()->currentValue().toInt(), 42);
}
