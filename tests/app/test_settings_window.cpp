// What the window keeps between runs, through its real start-up and close.
#include "support/fake_transport.h"
#include "support/file_kinds.h"

#include "app/chartwindow.h"
#include "app/tformhlav.h"
#include "settings/settingspaths.h"
#include "widgets/screenplace.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegion>
#include <QScreen>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <QTemporaryDir>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// One run of the tool: start-up with the given arguments, then whatever the
// test does, then the close sequence.
struct ToolRun
{
    explicit ToolRun(const QStringList &arguments = {})
    {
        auto owned = std::make_unique<FakeTransport>();
        port = owned.get();
        window = std::make_unique<TFormHlav>(std::move(owned));
        window->setCommandLine(arguments);
        window->FormCreate();
    }
    ~ToolRun()
    {
        if (window)
            window->close();
    }
    template <typename T = QWidget>
    T *control(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString label(const char *name) const { return control<QLabel>(name)->text(); }

    FakeTransport *port = nullptr;
    std::unique_ptr<TFormHlav> window;
};

int linesStartingWith(const QByteArray &text, const char *lead)
{
    int count = 0;
    for (const QByteArray &line : text.split('\n'))
        count += line.startsWith(lead) ? 1 : 0;
    return count;
}

// The default parameter image as the image file holds it.
QByteArray defaultImageText()
{
    const int bytes[55] = {3,  9,  5,  70, 1,  1,  0,  0,  0,  0,  10, 20, 30, 40,
                           50, 60, 70, 80, 90, 100, 5, 15, 20, 25, 33, 33, 33, 33, 33, 33};
    QByteArray text;
    for (int i = 0; i < 55; ++i) {
        text += QByteArray::number(bytes[i]).rightJustified(5, ' ') + ' ';
        if (i % 10 == 9 && i != 54)
            text += "\r\n";
    }
    return text;
}

} // namespace

TEST(SettingsAcrossRuns, AFirstRunStartsFromTheDesignAndLeavesBothFilesBehind)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const int left = (screen.width() - 761) / 2;
    // Centred, but a screen shorter than the window keeps its title bar on it.
    const int top = std::max((screen.height() - 822) / 2, QGuiApplication::primaryScreen()->availableGeometry().top());
    {
        ToolRun run;
        EXPECT_EQ(run.window->outerGeometry(), QRect(left, top, 761, 822));
        EXPECT_EQ(run.port->events, QStringList{"open /dev/ttyS0"});
        EXPECT_TRUE(run.control<QAction>("MenuEnglish")->isChecked());
        EXPECT_EQ(run.label("LabelFile2"), "");
        EXPECT_FALSE(run.control<QCheckBox>("CheckBoxIgnAll")->isChecked());
        EXPECT_EQ(run.control<QLineEdit>("EditOmez2")->text(), "7,000");
    }
    const QByteArray expected = QStringLiteral("[FORM_HLAV]\nLeft=%1\nTop=%2\nHeight=822\nWidth=761\n"
                                               "ComPort=1\nLanguage=0\nFile=\nIniDir=\n"
                                               "[IGNITION]\nCheckBoxIgnAll->Checked=0\nMenuReadBeforeProgramming->Checked=0\n")
                                    .arg(left)
                                    .arg(top)
                                    .toUtf8();
    EXPECT_EQ(readFile(settingspaths::settingsFile()), expected);
    EXPECT_EQ(readFile(settingspaths::imageFile()), defaultImageText());
}

TEST(SettingsAcrossRuns, StoredValuesAreTakenAsTheToolReadsThem)
{
    const struct
    {
        const char *what;
        const char *formHlav;
        int port;
        int language;
        const char *title;
        int savedLanguage;
        QPoint place;
    } cases[] = {
        {"Language 259 keeps its low byte", "Language=259\n", 1, 3,
         "Programování jednotky \"Torvo TCI\"", 3, {}},
        {"a port above 10 is COM1", "ComPort=12\n", 1, 0, "Programming of \"Torvo TCI\" unit", 0, {}},
        {"language 2 applies no set and is kept", "Language=2\n", 1, 2, "Programming of \"Torvo TCI\" unit", 2, {}},
        {"language 7 is English, and kept so", "Language=7\n", 1, 0, "Programming of \"Torvo TCI\" unit", 0, {}},
        {"language 516: low byte 4 is English", "Language=516\n", 1, 0, "Programming of \"Torvo TCI\" unit", 0, {}},
        {"hexadecimal after 0x", "Left=0x20\nTop=$20\nComPort=3\n", 3, 0, "Programming of \"Torvo TCI\" unit", 0,
         {32, 32}},
        {"junk keeps the defaults", "ComPort=abc\nLanguage=\x01\xff\n", 1, 0,
         "Programming of \"Torvo TCI\" unit", 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(settingspaths::settingsFile());
        writeFile(settingspaths::settingsFile(), QByteArray("[FORM_HLAV]\n") + c.formHlav);
        {
            ToolRun run;
            EXPECT_EQ(run.window->session().portNumber(), c.port);
            for (int n = 1; n <= 10; ++n)
                EXPECT_EQ(run.control<QAction>(qPrintable(QStringLiteral("MenuCom%1").arg(n)))->isChecked(),
                          n == c.port);
            EXPECT_EQ(run.window->session().language().index(), c.language);
            EXPECT_EQ(run.window->windowTitle(), QString::fromUtf8(c.title));
            // The language menu marks the language in use, English included.
            EXPECT_EQ(run.control<QAction>("MenuEnglish")->isChecked(), c.language == 0);
            EXPECT_EQ(run.control<QAction>("MenuCzech")->isChecked(), c.language == 3);
            if (!c.place.isNull()) {
                EXPECT_EQ(run.window->outerGeometry().topLeft(), c.place);
            }
        }
        const QByteArray saved = readFile(settingspaths::settingsFile());
        EXPECT_TRUE(saved.contains("\nLanguage=" + QByteArray::number(c.savedLanguage) + "\n")) << saved.constData();
        EXPECT_TRUE(saved.contains("\nComPort=" + QByteArray::number(c.port) + "\n")) << saved.constData();
    }
}

TEST(SettingsAcrossRuns, LanguageTwoShowsTheDesignTextsAndAnEmptyMessageTable)
{
    writeFile(settingspaths::settingsFile(), "[FORM_HLAV]\nLanguage=2\n");
    ToolRun run;
    EXPECT_FALSE(run.control<QAction>("MenuEnglish")->isChecked());
    EXPECT_EQ(run.window->session().language().text(Msg::MsgProgramError), "");
    EXPECT_EQ(run.control<QAction>("MenuCom2")->statusTip(), " Set com 2");
    EXPECT_EQ(run.control<QWidget>("SpeedButton5")->toolTip(), "Open");
}

TEST(SettingsAcrossRuns, TheCommandLinePicksTheLanguageOnlyWhenExact)
{
    const struct
    {
        QStringList arguments;
        int language;
    } cases[] = {
        {{"DEUTSCH"}, 1},
        {{"CESKY"}, 3},
        {{"english"}, 3},          // small letters: the stored Czech stays
        {{"-x", "ENGLISH"}, 3},    // only the first argument counts
        {{"ENGLISH", "CESKY"}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        writeFile(settingspaths::settingsFile(), "[FORM_HLAV]\nLanguage=3\n");
        ToolRun run(c.arguments);
        EXPECT_EQ(run.window->session().language().index(), c.language);
    }
}

TEST(SettingsAcrossRuns, TheFileNameAndTheSetComeBackFromTheirOwnFiles)
{
    const QString ign = QDir(settingspaths::settingsFolder()).filePath("bike.ign");
    {
        ToolRun run;
        auto *edit = run.control<QLineEdit>("Edit53");
        edit->setText("41");
        run.window->setFileChooser([&](QFileDialog *) { return ign; });
        run.window->MenuSaveClick();
        run.control<QCheckBox>("CheckBoxIgnAll")->setChecked(true);
        // Changed on screen after the save: the image file, not the .ign, keeps it.
        edit->setText("42");
    }
    ToolRun next;
    EXPECT_EQ(next.label("LabelFile2"), ign);
    EXPECT_EQ(next.control<QLineEdit>("Edit53")->text(), "42");
    EXPECT_TRUE(next.control<QCheckBox>("CheckBoxIgnAll")->isChecked());
    QString proposed;
    next.window->setFileChooser([&](QFileDialog *dialog) {
        proposed = dialog->selectedFiles().value(0);
        return QString();
    });
    next.window->MenuOpenClick();
    EXPECT_EQ(proposed, ign) << "the Open dialog starts on the last file";
}

TEST(SettingsAcrossRuns, ThePrivateSectionsOfTheSettingsFileSurvive)
{
    const QByteArray user = "; my adapters\n[PORTS]\nCOM1=/dev/ttyUSB7\n\n[FORM_HLAV]\nComPort=1\n";
    writeFile(settingspaths::settingsFile(), user);
    {
        ToolRun run;
        EXPECT_EQ(run.port->events, QStringList{"open /dev/ttyUSB7"});
    }
    const QByteArray saved = readFile(settingspaths::settingsFile());
    EXPECT_TRUE(saved.startsWith("; my adapters\n[PORTS]\nCOM1=/dev/ttyUSB7\n\n[FORM_HLAV]\n")) << saved.constData();
}

TEST(SettingsAcrossRuns, AnImageFileIsReadUpToItsFirstWord)
{
    writeFile(settingspaths::imageFile(), "300 5 4 banana 7");
    ToolRun run;
    const ParameterImage &image = run.window->session().image();
    EXPECT_EQ(image[0], 44);
    EXPECT_EQ(image[1], 5);
    EXPECT_EQ(image[2], 4);
    EXPECT_EQ(image[3], 70) << "after the word the defaults stay";
    // Teeth outside 2..9 show at the nearest end of their spinner.
    EXPECT_EQ(run.control<QLineEdit>("EditPalec13")->text(), "9");
}

TEST(SettingsAcrossRuns, TheMarkerWordShowsTheTestValues)
{
    const struct
    {
        const char *marker;
        bool shown;
    } cases[] = {{"bench TEST_ENABLE now", true}, {"test_enable", false}, {"TEST_ENABLE1", false}, {nullptr, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.marker ? c.marker : "no marker");
        QFile::remove(settingspaths::testModeMarker());
        if (c.marker)
            writeFile(settingspaths::testModeMarker(), c.marker);
        ToolRun run;
        run.window->show();
        for (int n = 1; n <= 8; ++n)
            EXPECT_EQ(run.control(qPrintable(QStringLiteral("LabelTest%1").arg(n)))->isVisible(), c.shown) << n;
    }
}

TEST(SettingsAcrossRuns, APlaceOffEveryScreenComesBackOntoThePrimaryOne)
{
    writeFile(settingspaths::settingsFile(), "[FORM_HLAV]\nLeft=20000\nTop=-20000\nWidth=800\nHeight=850\n");
    ToolRun run;
    const QRect outer = run.window->outerGeometry();
    EXPECT_EQ(outer.size(), QSize(800, 850));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().intersects(outer));
}

// True when the title bar along the top of outer bounds lies wholly on the
// screens' available areas.
bool titleBarOnScreens(const QRect &outer)
{
    QRegion bar(QRect(outer.topLeft(), QSize(outer.width(), screenplace::kTitleBarHeight)));
    for (const QScreen *screen : QGuiApplication::screens())
        bar -= screen->availableGeometry();
    return bar.isEmpty();
}

// Also run on two screens at a scale factor of 1.5, where places stored at
// scale one lie beyond the screens or between them.
TEST(WindowPlaces, StoredPlacesComeBackWithTheWholeTitleBarOnAScreen)
{
    const QMargins chartFrame(screenplace::kFrameWidth / 2, screenplace::kTitleBarHeight,
                              screenplace::kFrameWidth / 2, screenplace::kFrameWidth / 2);
    const struct
    {
        const char *what;
        QPoint place;
    } cases[] = {
        {"near the origin", {32, 40}},       {"right of the primary screen", {1300, 100}},
        {"above the top", {100, -20}},       {"low on the screen", {200, 700}},
        {"on a second screen", {2000, 500}}, {"off to the left", {-700, 300}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QRect main(c.place, QSize(761, 822));
        const QRect chart(c.place + QPoint(10, 40), QSize(640, 480));
        writeFile(settingspaths::settingsFile(),
                  QStringLiteral("[FORM_HLAV]\nLeft=%1\nTop=%2\nWidth=761\nHeight=822\n"
                                 "[CHART]\nLeft=%3\nTop=%4\nWidth=640\nHeight=480\n")
                      .arg(main.left()).arg(main.top()).arg(chart.left()).arg(chart.top()).toUtf8());
        ToolRun run;
        const QRect outer = run.window->outerGeometry();
        EXPECT_EQ(outer.size(), main.size());
        EXPECT_TRUE(titleBarOnScreens(outer)) << outer.x() << "," << outer.y();
        if (titleBarOnScreens(main)) {
            EXPECT_EQ(outer, main);
        }

        run.window->MenuCurveChartClick();
        const QRect shown = run.window->chart()->geometry();
        // A chart stored off every screen takes the place the desktop gives it.
        if (!screenplace::onAnyScreen(chart))
            continue;
        EXPECT_EQ(shown.size(), chart.size());
        EXPECT_TRUE(titleBarOnScreens(shown + chartFrame)) << shown.x() << "," << shown.y();
        if (titleBarOnScreens(chart + chartFrame)) {
            EXPECT_EQ(shown, chart);
        }
    }
}

TEST(SettingsAcrossRuns, AFolderThatCannotBeWrittenIsReportedOnceOnStandardError)
{
    QTemporaryDir dir;
    // A folder below a regular file cannot be made, not even by root.
    const QString blocker = dir.filePath("not-a-folder");
    writeFile(blocker, "x");
    const QByteArray home = qgetenv("TORVO_TCI_HOME");
    qputenv("TORVO_TCI_HOME", (blocker + "/Torvo_TCI").toLocal8Bit());

    // Standard error goes to a file for the length of one run.
    StderrCapture errors(dir.filePath("stderr.txt"));
    {
        ToolRun run;
    }
    const QByteArray text = errors.text();
    qputenv("TORVO_TCI_HOME", home);
    EXPECT_EQ(linesStartingWith(text, "Torvo_TCI: settings not saved:"), 1) << text.constData();
}

// The three files read at start, two of them written at close, over each kind
// of thing their paths may name. A FIFO, a device or a folder never holds the
// start-up: the defaults stand, one line on standard error names it, and the
// close leaves it as it was. A link is read and written through.
TEST(SettingsAcrossRuns, PathsThatNameNoFileAreReportedAndLeftAlone)
{
    const struct
    {
        const char *what;
        QString (*path)();
        QByteArray contents;
        bool (*taken)(const ToolRun &); // the contents show in the window
        bool writtenAtClose;
        const char *afterClose; // found in what a usable or missing path holds after the close
    } files[] = {
        {"settings", &settingspaths::settingsFile, "[FORM_HLAV]\nLanguage=3\n",
         [](const ToolRun &run) { return run.control<QAction>("MenuCzech")->isChecked(); }, true,
         "CheckBoxIgnAll->Checked="},
        {"image file", &settingspaths::imageFile, "4 5",
         [](const ToolRun &run) { return run.control<QLineEdit>("EditPalec13")->text() == "4"; }, true, "\r\n"},
        {"test-mode marker", &settingspaths::testModeMarker, "TEST_ENABLE",
         [](const ToolRun &run) {
             run.window->show();
             return run.control("LabelTest1")->isVisible();
         },
         false, "file: TEST_ENABLE"},
    };
    QTemporaryDir dir;
    for (const auto &f : files) {
        for (const FileKind kind : kFileKinds) {
            SCOPED_TRACE(std::string(f.what) + " on a " + kindName(kind));
            QDir(settingspaths::settingsFolder()).removeRecursively();
            QDir().mkpath(settingspaths::settingsFolder());
            ASSERT_TRUE(makeFileKind(f.path(), kind, f.contents));
            StderrCapture errors(dir.filePath("stderr.txt"));
            {
                ToolRun run;
                EXPECT_EQ(f.taken(run), isUsable(kind));
            }
            const QByteArray text = errors.text();
            const bool refused = !isUsable(kind) && kind != FileKind::Missing;
            EXPECT_EQ(linesStartingWith(text, "Torvo_TCI: not read:"), refused ? 1 : 0) << text.constData();
            EXPECT_EQ(linesStartingWith(text, "Torvo_TCI: settings not saved:"), refused && f.writtenAtClose ? 1 : 0)
                << text.constData();
            const std::string left = whatIsAt(f.path());
            if (refused || (kind == FileKind::Missing && !f.writtenAtClose)) {
                EXPECT_EQ(left, untouched(kind, f.path()));
            } else {
                EXPECT_EQ(left.rfind(kind == FileKind::LinkToRegular ? "link to " : "file: ", 0), 0u) << left;
                EXPECT_NE(left.find(f.afterClose), std::string::npos) << left;
            }
        }
    }
}
