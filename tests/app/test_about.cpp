// The About window: its caption by language, its build stamp, its size and
// closing by "OK" while the main window's timer runs on.
#include "window_fixture.h"

#include "widgets/tformabout.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

TEST_F(WindowTest, AboutShowsTheCaptionOfTheLanguageAndClosesByOk)
{
    TFormAbout about(window.get());
    window->setAboutWindow(&about);
    auto *ok = about.findChild<QLabel *>("LabelExit");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(about.size(), QSize(TFormAbout::kOuterWidth - 8, TFormAbout::kOuterHeight - 34));
    // "Oct 25 2005" and "08:54:28": fixed when the program was built.
    EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]{2} [ 123]\\d \\d{4}$")
                    .match(about.findChild<QLabel *>("LabelDate")->text())
                    .hasMatch())
        << about.findChild<QLabel *>("LabelDate")->text().toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$")
                    .match(about.findChild<QLabel *>("LabelTime")->text())
                    .hasMatch());

    const struct
    {
        std::uint8_t language;
        const char *caption;
    } cases[] = {
        {0, "About Torvo_TCI"},
        {1, "Über Programm Torvo_TCI"},
        {2, "Information Torvo_TCI"},
        {3, "O programu Torvo TCI"},
    };
    int ticksWhileOpen = 0;
    QObject::connect(window->timer(), &QTimer::timeout, [&] { ticksWhileOpen += about.isVisible() ? 1 : 0; });
    for (const auto &c : cases) {
        window->session().language().setIndex(c.language);
        QString seen;
        // Clicks "OK" once the window is up and a tick of the main window has run.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (about.isVisible() && ticksWhileOpen > 0) {
                seen = about.windowTitle();
                QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(5, 5));
            }
        });
        closer.start(10);
        ticksWhileOpen = 0;
        window->MenuAboutClick();
        EXPECT_EQ(seen.toStdString(), QString::fromUtf8(c.caption).toStdString());
        EXPECT_FALSE(about.isVisible());
    }
}
