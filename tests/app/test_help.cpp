// F1 opens the manual of the current language; the French index and a
// missing manual do nothing.
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

TEST_F(WindowTest, HelpOpensTheManualOfTheCurrentLanguage)
{
    QTemporaryDir nothing, manuals;
    for (const char *name : {"manual_en.html", "manual_de.html", "manual_cs.html"}) {
        QFile file(QDir(manuals.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // The first folder that holds the manual wins.
    window->setManualFolders({nothing.path(), manuals.path()});
    QList<QUrl> opened;
    window->setDocumentOpener([&](const QUrl &url) { opened << url; });

    const struct
    {
        void (TFormHlav::*pick)();
        const char *file;
    } cases[] = {
        {&TFormHlav::MenuGermanClick, "manual_de.html"},
        {&TFormHlav::MenuCzechClick, "manual_cs.html"},
        {&TFormHlav::MenuEnglishClick, "manual_en.html"},
    };
    for (const auto &c : cases) {
        (window.get()->*c.pick)();
        opened.clear();
        item("MenuContens")->trigger();
        ASSERT_EQ(opened.size(), 1) << c.file;
        EXPECT_EQ(opened.first(), QUrl::fromLocalFile(QDir(manuals.path()).filePath(c.file)));
    }

    opened.clear();
    window->session().language().setIndex(2);
    window->MenuContensClick();
    EXPECT_TRUE(opened.isEmpty()) << "the French index has no manual";

    window->MenuEnglishClick();
    window->setManualFolders({nothing.path()});
    window->MenuContensClick();
    EXPECT_TRUE(opened.isEmpty()) << "a missing manual opens nothing";
}
