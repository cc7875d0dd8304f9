// The window's serial port, tick and read-outs, over a port in memory.
#include "support/fake_transport.h"
#include "support/scripted_unit.h"

#include "app/tformhlav.h"
#include "i18n/language.h"
#include "link/liveframe.h"
#include "link/unitidentity.h"
#include "settings/settingspaths.h"
#include "widgets/tcgauge.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QStatusBar>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

class LinkWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<TFormHlav>();
        auto owned = std::make_unique<FakeTransport>();
        port = owned.get();
        window->session().setTransport(std::move(owned));
    }
    void TearDown() override
    {
        window.reset();
        QFile::remove(settingspaths::settingsFile());
    }

    void start()
    {
        window->FormCreate();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            window->Timer1Timer();
    }
    template <typename T = QWidget>
    T *control(const char *name)
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString label(const char *name) { return control<QLabel>(name)->text(); }
    QColor background(const char *name) { return control(name)->palette().color(QPalette::Window); }

    std::unique_ptr<TFormHlav> window;
    FakeTransport *port = nullptr;
};

void writeSettings(const QString &text)
{
    QDir().mkpath(settingspaths::settingsFolder());
    QFile file(settingspaths::settingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

// Closes every "Com opening error" box as it appears and counts them.
struct BoxWatcher
{
    int seen = 0;
    QString informative;
    QTimer timer;
    BoxWatcher()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                if (box->text() == QLatin1String("Com opening error")) {
                    ++seen;
                    informative = box->informativeText();
                }
                box->done(0);
            }
        });
        timer.start(10);
    }
};

} // namespace

TEST_F(LinkWindowTest, StartOpensCom1AtItsMappedDevice)
{
    writeSettings("[PORTS]\nCOM1=/dev/pts/99\nCOM3=/dev/ttyUSB0\n");
    start();
    EXPECT_EQ(port->events, QStringList({"open /dev/pts/99"}));
}

TEST_F(LinkWindowTest, AnUnmappedPortIsTheOnBoardDevice)
{
    start();
    EXPECT_EQ(port->events, QStringList({"open /dev/ttyS0"}));
}

TEST_F(LinkWindowTest, ComMenuClosesTheOldPortFirstAndMovesTheSingleCheckMark)
{
    writeSettings("[PORTS]\nCOM3=/dev/ttyUSB0\n");
    start();
    port->events.clear();
    window->findChild<QAction *>("MenuCom3")->trigger();
    EXPECT_EQ(port->events, QStringList({"close", "open /dev/ttyUSB0"}));
    EXPECT_EQ(window->session().portNumber(), 3);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(window->findChild<QAction *>(QStringLiteral("MenuCom%1").arg(n))->isChecked(), n == 3) << n;

    // The item already checked re-opens its port too.
    port->events.clear();
    window->findChild<QAction *>("MenuCom3")->trigger();
    EXPECT_EQ(port->events, QStringList({"close", "open /dev/ttyUSB0"}));
    EXPECT_TRUE(window->findChild<QAction *>("MenuCom3")->isChecked());
}

TEST_F(LinkWindowTest, AMissingDeviceSaysComOpeningErrorOncePerAttemptAndTheToolRunsOn)
{
    port->refuseOpen = true;
    BoxWatcher boxes;
    start();
    EXPECT_EQ(boxes.seen, 1);
    EXPECT_TRUE(boxes.informative.contains("No such file or directory")) << boxes.informative.toStdString();
    ticks(30); // polls find nothing, requests go nowhere
    EXPECT_TRUE(port->sent.empty());
    EXPECT_TRUE(control("LabelSpojeni")->isVisibleTo(window.get()));
    window->findChild<QAction *>("MenuCom1")->trigger();
    EXPECT_EQ(boxes.seen, 2);
    EXPECT_TRUE(window->findChild<QAction *>("MenuCom1")->isChecked());
}

TEST_F(LinkWindowTest, IdleTicksAskForLiveDataAndShowIt)
{
    ScriptedUnit unit;
    unit.live.rpm = 3500;
    unit.live.voltageRaw = 1000; // 7.5 V: yellow
    unit.live.advance = 27;
    unit.live.blocking = 1;
    unit.live.neutral = 0;
    unit.live.sideStand = 1;
    unit.live.programmingCount = 12;
    unit.live.test = {1, 2, 3, 4, 5, 6, 7, 65535};
    unit.live.dataError = 1;
    unit.live.protocolVersion = 15;
    port->unit = &unit;
    start();
    window->show();
    ticks(6);
    ASSERT_EQ(port->sent.size(), 1u);
    EXPECT_EQ(port->sent[0][0], 0x30);
    ticks(1); // the answer is polled on the next tick
    EXPECT_EQ(label("LabelRpm"), "RPM = 3500 ");
    EXPECT_EQ(window->session().liveRpm(), 3500);
    EXPECT_EQ(control<TCGauge>("CGaugeRpm")->progress(), 50); // 3500 of the 7000 limiter
    EXPECT_EQ(label("LabelNapeti"), "U =  7.5 [V]");
    EXPECT_EQ(background("LabelNapeti"), QColor(255, 255, 0));
    EXPECT_EQ(label("LabelAdvance"), "ADVANCE = 27 [°]");
    EXPECT_EQ(label("LabelBlocking"), "Blocking = ON");
    EXPECT_EQ(background("LabelBlocking"), QColor(255, 0, 0));
    EXPECT_EQ(label("LabelNeutral"), "Neutral sw. = ON");
    EXPECT_EQ(background("LabelNeutral"), QColor(0, 255, 255));
    EXPECT_EQ(label("LabelSideStand"), "Side stand sw. = OFF");
    EXPECT_EQ(label("LabelPocetProgramovani"), "Number of Programing= 12 ");
    EXPECT_EQ(label("LabelTest8"), "Test8 = 65535 ");
    EXPECT_FALSE(control("LabelTest8")->isVisible()); // test mode only
    EXPECT_TRUE(control("LabelEeDataErr")->isVisible());
    EXPECT_EQ(label("LabelVersion"), "Unmatched version of PC and Ignition programs!  PC-16, IGN-15");
    EXPECT_TRUE(control("LabelVersion")->isVisible());
    EXPECT_FALSE(control("LabelSpojeni")->isVisible());

    // Blocking not enabled: the three labels hide but still follow the unit.
    window->session().document().setField(ParamField::BlokEnable, 0);
    unit.live.blocking = 0;
    ticks(6);
    EXPECT_FALSE(control("LabelBlocking")->isVisible());
    EXPECT_EQ(label("LabelBlocking"), "Blocking = OFF");
}

TEST_F(LinkWindowTest, ALimiterOfZeroLeavesTheSpeedGaugeAtZero)
{
    ScriptedUnit unit;
    unit.live.rpm = 5000;
    port->unit = &unit;
    start();
    ParameterImage read = window->session().image(); // as a unit may leave it
    read[ParameterImage::kLimiter] = 0;
    window->session().document().takeUnitSet(std::span(read.bytes).first(ParameterImage::kBlockSize));
    ticks(7);
    EXPECT_EQ(label("LabelRpm"), "RPM = 5000 ");
    EXPECT_EQ(control<TCGauge>("CGaugeRpm")->progress(), 0);
    EXPECT_EQ(window->session().image()[ParameterImage::kLimiter], 0);
}

TEST_F(LinkWindowTest, ProgramFromTheWindowReportsEachStage)
{
    ScriptedUnit unit;
    port->unit = &unit;
    start();
    window->show();
    control<QLineEdit>("Edit53")->setText("41"); // typed, not yet committed

    window->MenuProgramClick();
    EXPECT_EQ(label("LabelHlaseni"), "Program device:");
    EXPECT_TRUE(control("LabelHlaseni")->isVisible());
    EXPECT_TRUE(control("CGaugeProgram")->isVisible());
    ASSERT_FALSE(port->sent.empty());
    EXPECT_EQ(port->sent.back()[0], 0x00);
    ticks(1);
    EXPECT_EQ(port->sent.back()[0], 0x01);
    EXPECT_EQ(port->sent.back()[1 + ParameterImage::kAdvance + 3], 41); // the typed value went out
    EXPECT_EQ(label("LabelVerze1"), "TCI07");
    EXPECT_EQ(label("LabelVerze2"), " 3. 3.2004");
    EXPECT_EQ(label("LabelVerze3"), "09:05");
    ticks(1);
    EXPECT_EQ(port->sent.back()[0], 0x41);
    EXPECT_EQ(label("LabelHlaseni"), "Verify:");
    // The verify's answer ends the operation inside the tick's poll; the same
    // tick's idle step then reports the programming as done.
    ticks(1);
    EXPECT_EQ(label("LabelHlaseni"), "Programing: OK");
    EXPECT_EQ(control<TCGauge>("CGaugeProgram")->PercentDone(), 100);
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
    EXPECT_EQ(unit.stored[ParameterImage::kAdvance + 3], 41);
}

TEST_F(LinkWindowTest, AVersionMismatchShowsItsBoxAndWritesNothing)
{
    ScriptedUnit unit;
    unit.setVersion(15);
    port->unit = &unit;
    start();
    QString shown;
    QTimer::singleShot(0, [&shown] {}); // keep the event loop warm
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->done(0);
        }
    });
    closer.start(10);
    window->MenuProgramClick();
    ticks(1);
    EXPECT_EQ(shown, "Unmatched version of PC and Ignition programs!  PC-16, IGN-15");
    ticks(25);
    for (const Frame &f : port->sent)
        EXPECT_NE(f[0], 0x01) << "a block was written to a unit of another version";
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
}

TEST_F(LinkWindowTest, StartFillsTheMessagesOfTheLanguageAndTheMenuSwitchesThem)
{
    start();
    EXPECT_EQ(window->session().language().text(Msg::MsgProgramError), "Program error!");
    EXPECT_TRUE(window->findChild<QAction *>("MenuEnglish")->isChecked());
    window->findChild<QAction *>("MenuCzech")->trigger();
    EXPECT_EQ(window->session().language().index(), language::kCzech);
    EXPECT_EQ(window->session().language().text(Msg::MsgVerifyError), QString::fromUtf8("Chyba verifikace!"));
    EXPECT_TRUE(window->findChild<QAction *>("MenuCzech")->isChecked());
    EXPECT_FALSE(window->findChild<QAction *>("MenuEnglish")->isChecked());
    window->MenuProgramClick();
    EXPECT_EQ(label("LabelHlaseni"), QString::fromUtf8("Programování:"));
    window->findChild<QAction *>("MenuGerman")->trigger();
    EXPECT_EQ(window->session().language().text(Msg::MsgSaving), "Speichern:");
    EXPECT_FALSE(window->findChild<QAction *>("MenuCzech")->isChecked());
}

TEST_F(LinkWindowTest, APulledAdapterIsWaitedForQuietlyAndTheStatusBarSaysSo)
{
    writeSettings("[PORTS]\nCOM1=/dev/ttyUSB0\n");
    start();
    BoxWatcher boxes;
    port->pull();
    auto *status = window->findChild<QStatusBar *>("StatusBar1");
    EXPECT_TRUE(status->currentMessage().contains("lost")) << status->currentMessage().toStdString();
    EXPECT_TRUE(status->currentMessage().contains("/dev/ttyUSB0"));
    // Tried again about once a second, without a "Com opening error" box.
    port->refuseOpen = true;
    port->events.clear();
    ticks(40);
    EXPECT_EQ(port->events, QStringList({"open /dev/ttyUSB0", "open /dev/ttyUSB0"}));
    port->refuseOpen = false;
    ticks(18);
    EXPECT_TRUE(port->isOpen());
    EXPECT_TRUE(status->currentMessage().contains("is back")) << status->currentMessage().toStdString();
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes.seen, 0);
}

TEST_F(LinkWindowTest, AFirstRunSaysOnceInItsLanguageWhereTheAdapterIsChosen)
{
    const struct
    {
        const char *what;
        const char *settings;
        bool unitAnswers;
        const char *hint; // empty: none
    } cases[] = {
        {"English", "[FORM_HLAV]\nLanguage=0\n", false,
         "No unit answers on COM1. Choose the adapter in Com → Choose device…"},
        {"German, the port start-up opened", "[FORM_HLAV]\nLanguage=1\nComPort=3\n", false,
         "An COM3 antwortet keine Zündbox. Den Adapter wählen Sie unter ComPort → Gerät wählen…"},
        {"Czech, a section without keys", "[FORM_HLAV]\nLanguage=3\n[PORTS]\n; COM1=/dev/ttyUSB0\n", false,
         "Na COM1 neodpovídá žádná jednotka. Převodník vyberte v nabídce Port → Vybrat zařízení…"},
        {"a unit answered", "[FORM_HLAV]\nLanguage=1\n", true, ""},
        {"a device is mapped, if to another number", "[FORM_HLAV]\nLanguage=3\n[PORTS]\nCOM2=/dev/ttyUSB0\n", false, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeSettings(QString::fromUtf8(c.settings));
        window = std::make_unique<TFormHlav>(std::make_unique<FakeTransport>());
        ScriptedUnit unit;
        static_cast<FakeTransport &>(window->session().transport()).unit = c.unitAnswers ? &unit : nullptr;
        start();
        window->show();
        auto *status = control<QStatusBar>("StatusBar1");
        ticks(TFormHlav::kFirstRunHintTicks - 1);
        EXPECT_EQ(status->currentMessage(), QString()) << "before about 3 s";
        ticks(1);
        const QString hint = QString::fromUtf8(c.hint);
        EXPECT_EQ(status->currentMessage(), hint);
        // Laid out in the bar's font, it fits the bar.
        EXPECT_LE(status->fontMetrics().horizontalAdvance(hint), status->contentsRect().width());
        status->clearMessage();
        ticks(3 * TFormHlav::kFirstRunHintTicks);
        EXPECT_EQ(status->currentMessage(), QString()) << "said once only";
    }
}
