// The File menu's recent files and parameter files dropped on the window:
// both open a file as F3's Open does.
#include "window_fixture.h"

#include "params/parameterfile.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

class RecentFilesTest : public WindowTest
{
protected:
    // A parameter file whose point 4 advances by advance.
    QString ignFile(const QString &name, int advance)
    {
        ParameterImage set = window->session().image();
        set.advance(3) = std::uint8_t(advance);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(saveParameterFile(path, set));
        return path;
    }
    void open(const QString &path)
    {
        window->setFileChooser([path](QFileDialog *) { return path; });
        window->MenuOpenClick();
    }
    // The File menu's items between Print's separator and Exit, as shown.
    QStringList recentItems() const
    {
        QStringList shown;
        for (QAction *a : control<QMenu>("MenuFile")->actions()) {
            if (a->objectName().startsWith(QLatin1String("MenuRecent")) && a->isVisible())
                shown << a->text();
        }
        return shown;
    }
    static QStringList numbered(const QStringList &paths)
    {
        QStringList items;
        for (int i = 0; i < paths.size(); ++i)
            items << QStringLiteral("&%1 %2").arg(i + 1).arg(paths[i]);
        return items;
    }
    void restart()
    {
        window.reset();
        WindowTest::SetUp();
    }

    QTemporaryDir dir;
};

TEST_F(RecentFilesTest, NewestFirstUpToEightAndAChosenOneOpensAsOneUndoStep)
{
    QStringList paths;
    for (int i = 0; i < 9; ++i)
        paths << ignFile(QStringLiteral("f%1.ign").arg(i), 10 + i);
    const struct
    {
        const char *what;
        QList<int> opened;
        QList<int> listed;
    } rounds[] = {
        {"one", {0}, {0}},
        {"newest first", {1, 2}, {2, 1, 0}},
        {"a duplicate moves to the top", {0}, {0, 2, 1}},
        {"eight at most", {3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 0, 2}},
    };
    for (const auto &r : rounds) {
        SCOPED_TRACE(r.what);
        for (int k : r.opened)
            open(paths[k]);
        QStringList expected;
        for (int k : r.listed)
            expected << paths[k];
        EXPECT_EQ(recentItems(), numbered(expected));
    }
    // The list comes back after a restart, from the settings file.
    restart();
    EXPECT_EQ(recentItems(), numbered({paths[8], paths[7], paths[6], paths[5], paths[4], paths[3], paths[0], paths[2]}));

    // Item 7 opens f0: on screen, named, on top of the list; Undo goes back.
    open(paths[8]);
    ASSERT_EQ(text("Edit53"), "18");
    item("MenuRecent7")->trigger();
    EXPECT_EQ(text("Edit53"), "10");
    EXPECT_EQ(text("LabelFile2"), paths[0]);
    EXPECT_EQ(recentItems().value(0), "&1 " + paths[0]);
    window->MenuUndoClick();
    EXPECT_EQ(text("Edit53"), "18");
}

TEST_F(RecentFilesTest, AVanishedFileSaysOpenFileErrorAndLeavesTheList)
{
    const QString kept = ignFile("kept.ign", 20);
    const QString gone = ignFile("gone.ign", 30);
    open(kept);
    open(gone);
    // A file spoilt since stays listed: it is there to be mended.
    const QString junk = ignFile("junk.ign", 40);
    open(junk);
    QFile out(junk);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write("not parameters\n");
    out.close();
    ASSERT_EQ(recentItems(), numbered({junk, gone, kept}));
    ASSERT_TRUE(QFile::remove(gone));

    BoxAnswerer boxes;
    item("MenuRecent2")->trigger();
    EXPECT_EQ(boxes.texts, QStringList{"Open file error"});
    EXPECT_EQ(text("Edit53"), "40") << "the set on screen stays";
    EXPECT_EQ(recentItems(), numbered({junk, kept}));
    item("MenuRecent1")->trigger();
    EXPECT_EQ(boxes.texts.size(), 2);
    EXPECT_NE(boxes.texts.value(1), "Open file error") << "the version message, as Open gives it";
    EXPECT_EQ(recentItems(), numbered({junk, kept}));
    restart();
    EXPECT_EQ(recentItems(), numbered({junk, kept}));
}

TEST_F(RecentFilesTest, OneLocalIgnFileDropsAndOpensAnythingElseIsRefused)
{
    const QString ign = ignFile("drop.ign", 33);
    const QString upper = ignFile("DROP2.IGN", 34);
    const QString notes = ignFile("notes.txt", 35);
    const struct
    {
        const char *what;
        QList<QUrl> urls;
        bool accepted;
    } drops[] = {
        {"an .ign file", {QUrl::fromLocalFile(ign)}, true},
        {"upper case", {QUrl::fromLocalFile(upper)}, true},
        {"two files", {QUrl::fromLocalFile(ign), QUrl::fromLocalFile(upper)}, false},
        {"a remote file", {QUrl("https://example.org/drop.ign")}, false},
        {"another extension", {QUrl::fromLocalFile(notes)}, false},
        {"no file at all", {}, false},
    };
    ASSERT_TRUE(window->acceptDrops()) << "the desktop would deliver no drop at all";
    for (const auto &d : drops) {
        SCOPED_TRACE(d.what);
        window->MenuNewClick();
        QMimeData mime;
        if (!d.urls.isEmpty())
            mime.setUrls(d.urls);
        else
            mime.setText("33");
        const QPoint at = window->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(window.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), d.accepted);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        drop.ignore();
        QApplication::sendEvent(window.get(), &drop);
        EXPECT_EQ(drop.isAccepted(), d.accepted);
        if (d.accepted) {
            const QString path = d.urls.front().toLocalFile();
            EXPECT_TRUE(QTest::qWaitFor([&] { return text("LabelFile2") == path; }, 5000));
            EXPECT_EQ(recentItems().value(0), "&1 " + path);
        } else {
            QCoreApplication::processEvents();
            EXPECT_EQ(text("LabelFile2"), QString());
        }
    }
    EXPECT_EQ(recentItems(), numbered({upper, ign}));
}

} // namespace
