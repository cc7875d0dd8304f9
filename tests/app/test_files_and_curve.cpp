// Parameter files through the window, Advance - and +, the lit curve row and
// programming after change, over a port in memory.
#include "window_fixture.h"

#include "link/liveframe.h"
#include "params/parameterfile.h"
#include "support/file_kinds.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

#include <span>

namespace {

class FilesAndCurveTest : public WindowTest
{
protected:
    FakeTransport &port() { return static_cast<FakeTransport &>(window->session().transport()); }
    void choose(const QString &path)
    {
        window->setFileChooser([path](QFileDialog *) { return path; });
    }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            window->Timer1Timer();
    }
    void liveRpm(std::uint16_t rpm)
    {
        LiveData live;
        live.rpm = rpm;
        live.protocolVersion = 16;
        port().queue(encodeLiveData(live));
        tick();
    }
    int framesWithCode(std::uint8_t code) const
    {
        int n = 0;
        for (const Frame &f : static_cast<FakeTransport &>(window->session().transport()).sent)
            n += f[0] == code ? 1 : 0;
        return n;
    }
    // Advance point k + 1 as a read from the unit would have put it.
    void readFromUnit(int k, std::uint8_t advance)
    {
        ParameterImage unitSet = window->session().image();
        unitSet.advance(k) = advance;
        window->session().document().takeUnitSet(std::span(unitSet.bytes).first(ParameterImage::kBlockSize));
    }
    QColor rowColour(const char *edit) { return control<QLineEdit>(edit)->palette().color(QPalette::Base); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(FilesAndCurveTest, SaveThenOpenGivesTheSetBackAndNamesTheFile)
{
    ParameterImage set = window->session().image();
    set[ParameterImage::kRpm2] = 0;
    set[ParameterImage::kLimiter] = 155;
    set.advance(3) = 41;
    window->session().document().restore(set, QString(), QString());
    const ParameterImage &image = window->session().image();
    const QString path = dir.filePath("bike.ign");
    choose(path);
    window->MenuSaveClick();
    EXPECT_EQ(text("LabelFile2"), path);
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), parameterFileText(image));

    const ParameterImage before = image;
    window->MenuNewClick();
    EXPECT_EQ(text("LabelFile2"), "");
    choose(path);
    window->MenuOpenClick();
    for (int i : {0, 1, 2, 3, 4, 5})
        EXPECT_EQ(image[i], before[i]) << "byte " << i;
    for (int i = 10; i < 30; ++i)
        EXPECT_EQ(image[i], before[i]) << "byte " << i;
    EXPECT_EQ(text("Edit53"), "41");
    EXPECT_FALSE(control<QCheckBox>("CheckBoxRpm2Krat")->isChecked());
    EXPECT_EQ(text("LabelFile2"), path);
}

TEST_F(FilesAndCurveTest, AFailedSaveSaysSoAndKeepsTheEarlierFileAndName)
{
    const QString earlier = dir.filePath("earlier.ign");
    choose(earlier);
    window->MenuSaveClick();
    ASSERT_EQ(text("LabelFile2"), earlier);
    QFile file(earlier);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // A folder that cannot exist: the path runs through a regular file. The
    // typed values stay on screen as typed and out of the image: a save
    // would take them in and put point 2 above point 1.
    BoxAnswerer boxes;
    const ParameterImage image = window->session().image();
    choose(earlier + "/inside.ign");
    control<QLineEdit>("Edit50")->setText("44");
    control<QLineEdit>("EditRpmAdv2")->setText("500");
    window->MenuSaveClick();
    EXPECT_EQ(boxes.texts, QStringList{"Open file error"});
    EXPECT_EQ(text("LabelFile2"), earlier);
    EXPECT_EQ(window->session().image(), image);
    EXPECT_EQ(text("Edit50"), "44");
    EXPECT_EQ(text("EditRpmAdv2"), "500");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();

    // Saved where it can be, the set is taken in, put in order and shown.
    choose(earlier);
    window->MenuSaveClick();
    EXPECT_EQ(window->session().image().advance(0), 44);
    EXPECT_EQ(window->session().image().rpmAdv(1), 11);
    EXPECT_EQ(text("EditRpmAdv2"), "1,100");
}

TEST_F(FilesAndCurveTest, AForeignFileIsRefusedInTheCurrentLanguage)
{
    const QString foreign = dir.filePath("other.ign");
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("KORVELIN_KEY 15\nADVANCE 1 1 1 1 1 1 1 1 1 1\n");
    file.close();
    const struct
    {
        void (TFormHlav::*pick)();
        QStringList expected;
    } cases[] = {
        {&TFormHlav::MenuEnglishClick, {"Unmatched version of *.ign file!"}},
        {&TFormHlav::MenuGermanClick, {"Datei *.ign ist nicht kompatiebel!"}},
        {&TFormHlav::MenuCzechClick, {QString::fromUtf8("Neshodná verze souboru *.ign!")}},
    };
    const ParameterImage before = window->session().image();
    const QString fileLabel = text("LabelFile2");
    for (const auto &c : cases) {
        (window.get()->*c.pick)();
        BoxAnswerer boxes;
        choose(foreign);
        window->MenuOpenClick();
        EXPECT_EQ(boxes.texts, c.expected);
        EXPECT_EQ(window->session().image(), before);
        EXPECT_EQ(text("LabelFile2"), fileLabel);
    }
}

// Open and Save over each kind of thing a path may name: a FIFO never holds
// the window, and what is no file is left as it was.
TEST_F(FilesAndCurveTest, OpenAndSaveUseFilesAndLinksAndSayOpenFileErrorForTheRest)
{
    ParameterImage limiter95;
    limiter95.applyDefaults();
    limiter95[ParameterImage::kLimiter] = 95;
    int n = 0;
    for (const FileKind kind : kFileKinds) {
        SCOPED_TRACE(kindName(kind));
        window->MenuNewClick();
        const QString opened = dir.filePath(QStringLiteral("open%1.ign").arg(++n));
        ASSERT_TRUE(makeFileKind(opened, kind, parameterFileText(limiter95)));
        BoxAnswerer boxes;
        choose(opened);
        window->MenuOpenClick();
        EXPECT_EQ(boxes.texts, isUsable(kind) ? QStringList{} : QStringList{"Open file error"});
        EXPECT_EQ(text("EditOmez2"), isUsable(kind) ? "9,500" : "7,000");
        EXPECT_EQ(text("LabelFile2"), isUsable(kind) ? opened : QString());

        const QString saved = dir.filePath(QStringLiteral("save%1.ign").arg(n));
        ASSERT_TRUE(makeFileKind(saved, kind));
        choose(saved);
        window->MenuSaveClick();
        const bool written = isUsable(kind) || kind == FileKind::Missing;
        const std::string link = kind == FileKind::LinkToRegular ? "link to " + QFileInfo(saved).fileName().toStdString()
                                                                       + ".target: "
                                                                 : "";
        EXPECT_EQ(whatIsAt(saved), written ? link + "file: " + parameterFileText(window->session().image()).toStdString()
                                           : untouched(kind, saved));
        EXPECT_EQ(boxes.texts.size(), (isUsable(kind) ? 0 : 1) + (written ? 0 : 1));
    }
}

TEST_F(FilesAndCurveTest, TheRowOfTheRunningEngineIsLit)
{
    const QColor lime(0, 255, 0);
    const QColor plain = rowColour("EditRpmAdv5");
    const struct
    {
        std::uint16_t rpm;
        const char *lit; // nullptr: no row
        const char *litAdvance;
    } cases[] = {
        {2500, "EditRpmAdv2", "Edit51"}, // midway between 2000 and 3000: the lower point
        {2600, "EditRpmAdv3", "Edit52"},
        {999, nullptr, nullptr},         // below point 1
        {1000, "EditRpmAdv1", "Edit50"},
        {15000, "EditRpmAdv10", "Edit59"},
    };
    for (const auto &c : cases) {
        liveRpm(c.rpm);
        for (int k = 1; k <= 10; ++k) {
            const QByteArray rpmEdit = "EditRpmAdv" + QByteArray::number(k);
            const QByteArray advEdit = "Edit5" + QByteArray::number(k - 1);
            const bool lit = c.lit && rpmEdit == c.lit;
            EXPECT_EQ(rowColour(rpmEdit), lit ? lime : plain) << c.rpm << " rpm, " << rpmEdit.constData();
            EXPECT_EQ(rowColour(advEdit), lit ? lime : plain) << c.rpm << " rpm, " << advEdit.constData();
        }
    }
}

TEST_F(FilesAndCurveTest, AdvanceKeysMoveThePointOfTheEngineOrTheWholeCurve)
{
    // Default advances 5, 15, 20, 25, 33 ... ; the engine runs at point 3.
    liveRpm(3000);
    const struct
    {
        const char *action;
        bool all;
        std::array<int, 3> first; // points 1..3 after the key
    } cases[] = {
        {"AdvancePlus", false, {5, 15, 21}},
        {"AdvanceMinus", false, {5, 15, 20}},
        {"AdvanceMinus", true, {4, 14, 19}},
        {"AdvancePlus", true, {5, 15, 20}},
    };
    for (const auto &c : cases) {
        control<QCheckBox>("CheckBoxIgnAll")->setChecked(c.all);
        item(c.action)->trigger();
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(window->session().image().advance(k), c.first[static_cast<std::size_t>(k)])
                << c.action << (c.all ? " all" : " point") << ", point " << k + 1;
    }
    // At the limits the points stay while the others move.
    control<QLineEdit>("Edit50")->setText("0");
    control<QLineEdit>("Edit51")->setText("60");
    control<QCheckBox>("CheckBoxIgnAll")->setChecked(true);
    window->BitBtnAdvMinusClick();
    EXPECT_EQ(text("Edit50"), "0");
    EXPECT_EQ(text("Edit51"), "59");
    window->BitBtnAdvPlusClick();
    window->BitBtnAdvPlusClick();
    EXPECT_EQ(text("Edit50"), "2");
    EXPECT_EQ(text("Edit51"), "60");
}

TEST_F(FilesAndCurveTest, ProgrammingAfterChangeFollowsCommittedEditsOnly)
{
    auto *box = control<QCheckBox>("CheckBoxProgHned");
    tick(6);
    port().sent.clear();
    // Ticking with the mouse programs at once, even with nothing changed.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QCoreApplication::processEvents();
    ASSERT_TRUE(box->isChecked());
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Programming);
    EXPECT_EQ(framesWithCode(0x00), 0) << "the tick sends it, not the edit";
    tick(4);
    EXPECT_EQ(framesWithCode(0x00), 1);
    tick(20); // the unit in memory is silent: the program fails and the engine idles
    ASSERT_EQ(window->session().engine().transferMode(), TransferMode::Idle);

    // An edit that changes nothing does not program again; one that changes does.
    window->EditExit(control("Edit50"));
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
    control<QLineEdit>("Edit50")->setText("7");
    window->EditExit(control("Edit50"));
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Programming);
    tick(25);

    // Read replaces the set without programming it; the next edit then programs.
    window->MenuReadClick();
    tick(25);
    ASSERT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
    readFromUnit(0, 9);
    window->EditExit(control("Edit51"));
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Programming);
    tick(25);

    // Open replaces the set without programming it either.
    const QString file = dir.filePath("other.ign");
    choose(file);
    window->MenuSaveClick();
    readFromUnit(0, 3);
    choose(file);
    window->MenuOpenClick();
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Idle);

    // Toggling a flag with the keyboard changes the tick only.
    auto *tacho = control<QCheckBox>("CheckBoxRpm2Krat");
    tacho->setFocus();
    QTest::keyClick(tacho, Qt::Key_Space);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->session().engine().transferMode(), TransferMode::Idle);
}
