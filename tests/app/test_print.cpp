// Printing the window to a PDF: the date line, the state around the job, the
// page, and a print that fails.
#include "window_fixture.h"

#include "params/printpage.h"
#include "support/file_kinds.h"
#include "widgets/tcgauge.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Notes what a control looks like each time it is painted.
struct PaintWatch : QObject
{
    QStringList texts; // for labels
    int paints = 0;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (auto *label = qobject_cast<QLabel *>(watched))
                texts << label->text();
        }
        return false;
    }
};

class PrintTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->show();
        pdf = dir.filePath("page.pdf");
        qputenv("TORVO_TCI_PRINT_TO", pdf.toLocal8Bit());
    }
    void TearDown() override
    {
        qunsetenv("TORVO_TCI_PRINT_TO");
        WindowTest::TearDown();
    }
    QColor windowColour() const { return window->palette().color(QPalette::Window); }

    QTemporaryDir dir;
    QString pdf;
};

} // namespace

TEST_F(PrintTest, OnePageWithTheDateLineInPlaceOfTheStatusAndEverythingPutBack)
{
    const struct
    {
        void (TFormHlav::*pick)();
        const char *lead;
    } cases[] = {
        {&TFormHlav::MenuEnglishClick, "Date and Time of printing:  "},
        {&TFormHlav::MenuGermanClick, "Date and Time of printing:  "},
        {&TFormHlav::MenuCzechClick, "Datum a čas tisku:  "},
    };
    const QColor buttonFace = windowColour();
    for (const auto &c : cases) {
        (window.get()->*c.pick)();
        QFile::remove(pdf);
        // A transfer's gauge is on screen: the page must not show it.
        window->MenuReadClick();
        PaintWatch status, gauge;
        control("LabelHlaseni")->installEventFilter(&status);
        control("CGaugeProgram")->installEventFilter(&gauge);
        item("MenuPrint")->trigger();
        control("LabelHlaseni")->removeEventFilter(&status);
        control("CGaugeProgram")->removeEventFilter(&gauge);

        ASSERT_FALSE(status.texts.isEmpty()) << "the status label was not in the picture";
        EXPECT_TRUE(status.texts.last().startsWith(QString::fromUtf8(c.lead))) << status.texts.last().toStdString();
        EXPECT_EQ(gauge.paints, 0) << "the gauge was in the picture";

        // After the job: flag off, label hidden until the next tick, colour back.
        EXPECT_FALSE(window->session().status().printing());
        EXPECT_FALSE(control("LabelHlaseni")->isVisible());
        EXPECT_FALSE(control("CGaugeProgram")->isVisible());
        EXPECT_EQ(windowColour(), buttonFace);
        EXPECT_EQ(window->session().status().statusTicks(), 200);
        window->Timer1Timer();
        EXPECT_TRUE(control("LabelHlaseni")->isVisible()) << "the date line shows for the report's time";
        EXPECT_EQ(text("LabelHlaseni"), status.texts.last());

        // One page holding one picture of the client area (menu bar left out).
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << pdf.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
        const QRegularExpression image(QStringLiteral("/Width (\\d+)\\s*/Height (\\d+)"));
        const QRegularExpressionMatch m = image.match(QString::fromLatin1(bytes));
        ASSERT_TRUE(m.hasMatch()) << "no picture on the page";
        const QWidget *menu = control("MainMenu1");
        EXPECT_EQ(m.captured(1).toInt(), window->width());
        EXPECT_EQ(m.captured(2).toInt(), window->height() - menu->height());
    }
}

TEST_F(PrintTest, AFrenchIndexKeepsTheCaptionItHad)
{
    window->session().language().setIndex(2);
    window->MenuVerifyClick();
    const QString before = text("LabelHlaseni");
    window->SpeedButtonPrintClick();
    window->Timer1Timer();
    EXPECT_EQ(text("LabelHlaseni"), before);
}

TEST_F(PrintTest, AFailedPrintSaysSoAndPutsEverythingBack)
{
    qputenv("TORVO_TCI_PRINT_TO", dir.filePath("no-such-folder/page.pdf").toLocal8Bit());
    const QColor buttonFace = windowColour();
    QStringList boxes;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxes << box->text();
            box->done(0);
        }
    });
    answer.start(5);
    window->SpeedButtonPrintClick();
    EXPECT_EQ(boxes, QStringList{"Print error"});
    EXPECT_FALSE(window->session().status().printing()) << "the connection indicator would stay hidden";
    EXPECT_EQ(windowColour(), buttonFace);
    // (The date line may already be back on screen: ticks run while the box is open.)
    // The indicator comes back on the next tick: no unit answers here.
    for (int i = 0; i < 20; ++i)
        window->Timer1Timer();
    EXPECT_TRUE(control("LabelSpojeni")->isVisible());
}

// TORVO_TCI_PRINT_TO naming a FIFO held the window for good; a device or a
// folder is no PDF either. Those are refused as a failed print, untouched.
TEST_F(PrintTest, APrintGoesToAFileOrThroughALinkAndNowhereElse)
{
    int n = 0;
    for (const FileKind kind : kFileKinds) {
        SCOPED_TRACE(kindName(kind));
        const QString target = dir.filePath(QStringLiteral("page%1.pdf").arg(++n));
        ASSERT_TRUE(makeFileKind(target, kind));
        qputenv("TORVO_TCI_PRINT_TO", target.toLocal8Bit());
        BoxAnswerer boxes;
        window->SpeedButtonPrintClick();
        const bool printed = isUsable(kind) || kind == FileKind::Missing;
        EXPECT_EQ(boxes.texts, printed ? QStringList{} : QStringList{"Print error"});
        const std::string left = whatIsAt(target);
        if (printed) {
            const std::string lead = (kind == FileKind::LinkToRegular
                                          ? "link to " + QFileInfo(target).fileName().toStdString() + ".target: "
                                          : std::string())
                                     + "file: %PDF";
            EXPECT_EQ(left.substr(0, lead.size()), lead);
        } else {
            EXPECT_EQ(left, untouched(kind, target));
        }
        EXPECT_FALSE(window->session().status().printing());
    }
}
