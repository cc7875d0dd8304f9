// F1 opens the manual of the current language; the French index does nothing.
// A manual that no viewer takes, or that is not installed, is reported with
// the help error of the current language, naming the manual.
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

class HelpTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        for (const char *name : {"manual_en.html", "manual_de.html", "manual_cs.html"}) {
            QFile file(QDir(manuals.path()).filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        // The first folder that holds the manual wins.
        window->setManualFolders({nothing.path(), manuals.path()});
        window->setDocumentOpener([this](const QUrl &url) {
            opened << url;
            return viewerTakesIt;
        });
    }
    QString manual(const char *name) const { return QDir::toNativeSeparators(QDir(manuals.path()).filePath(name)); }

    QTemporaryDir nothing, manuals;
    QList<QUrl> opened;
    bool viewerTakesIt = true;
};

TEST_F(HelpTest, HelpOpensTheManualOfTheCurrentLanguage)
{
    const struct
    {
        void (TFormHlav::*pick)();
        const char *file;
    } cases[] = {
        {&TFormHlav::MenuGermanClick, "manual_de.html"},
        {&TFormHlav::MenuCzechClick, "manual_cs.html"},
        {&TFormHlav::MenuEnglishClick, "manual_en.html"},
    };
    BoxAnswerer boxes;
    for (const auto &c : cases) {
        (window.get()->*c.pick)();
        opened.clear();
        item("MenuContens")->trigger();
        ASSERT_EQ(opened.size(), 1) << c.file;
        EXPECT_EQ(opened.first(), QUrl::fromLocalFile(QDir(manuals.path()).filePath(c.file)));
    }
    EXPECT_EQ(boxes.texts, QStringList()) << "a manual the viewer took is not reported";

    opened.clear();
    window->session().language().setIndex(2);
    window->MenuContensClick();
    EXPECT_TRUE(opened.isEmpty()) << "the French index has no manual";
    EXPECT_EQ(boxes.texts, QStringList());
}

TEST_F(HelpTest, AManualThatCannotBeOpenedIsReportedInTheCurrentLanguage)
{
    viewerTakesIt = false;
    const struct
    {
        void (TFormHlav::*pick)();
        QString expected;
    } cases[] = {
        {&TFormHlav::MenuEnglishClick, "Error by opening file " + manual("manual_en.html") + " !"},
        {&TFormHlav::MenuGermanClick, QString::fromUtf8("Fehler beim öffnen der Datei ") + manual("manual_de.html") + " !"},
        {&TFormHlav::MenuCzechClick, QString::fromUtf8("Chyba při otevírání souboru ") + manual("manual_cs.html") + " !"},
    };
    for (const auto &c : cases) {
        (window.get()->*c.pick)();
        BoxAnswerer boxes;
        item("MenuContens")->trigger();
        EXPECT_EQ(boxes.texts, QStringList{c.expected});
    }

    // Not installed at all: the box names the manual where it belongs.
    window->MenuEnglishClick();
    window->setManualFolders({nothing.path()});
    opened.clear();
    BoxAnswerer boxes;
    window->MenuContensClick();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(boxes.texts,
              QStringList{"Error by opening file " + QDir::toNativeSeparators(QDir(nothing.path()).filePath("manual_en.html")) + " !"});
}
