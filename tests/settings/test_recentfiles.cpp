// The recent files list: how a path joins it, and how the [RECENT] section
// keeps it beside the user's other sections.
#include "scratch.h"

#include "settings/settingsfile.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QStringList files(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *name : names)
        list << QStringLiteral("/w/%1.ign").arg(QLatin1String(name));
    return list;
}

struct Joining
{
    const char *what;
    QStringList before;
    QString added;
    QStringList after;
};

TEST(RecentFiles, NewestFirstWithoutDuplicatesUpToEight)
{
    const Joining cases[] = {
        {"first of all", {}, QStringLiteral("/w/a.ign"), files({"a"})},
        {"new on top", files({"a", "b"}), QStringLiteral("/w/c.ign"), files({"c", "a", "b"})},
        {"duplicate moves up", files({"a", "b", "c"}), QStringLiteral("/w/c.ign"), files({"c", "a", "b"})},
        {"same file by another path", files({"a", "b"}), QStringLiteral("/w/x/../b.ign"), files({"b", "a"})},
        {"ninth drops the oldest", files({"1", "2", "3", "4", "5", "6", "7", "8"}), QStringLiteral("/w/9.ign"),
         files({"9", "1", "2", "3", "4", "5", "6", "7"})},
        {"duplicate in a full list", files({"1", "2", "3", "4", "5", "6", "7", "8"}), QStringLiteral("/w/8.ign"),
         files({"8", "1", "2", "3", "4", "5", "6", "7"})},
    };
    for (const Joining &c : cases)
        EXPECT_EQ(withRecentFile(c.before, c.added), c.after) << c.what;
    // A relative path is kept as the absolute one it names.
    EXPECT_EQ(withRecentFile({}, QStringLiteral("rel.ign")), QStringList{QFileInfo(QStringLiteral("rel.ign")).absoluteFilePath()});
}

TEST(RecentFiles, SectionKeepsTheListAndTheRestOfTheFile)
{
    Scratch scratch;
    const QByteArray user = "; mine\n[FORM_HLAV]\nLeft=5\n\n[CHART]\nLeft=7\n[PORTS]\nCOM1=/dev/ttyUSB0\n";
    const QString ini = scratch.write(QStringLiteral("Torvo_TCI.ini"), user);

    const QStringList three = files({"c", "a", "b"});
    ASSERT_TRUE(writeRecentFiles(ini, three));
    EXPECT_EQ(readRecentFiles(ini), three);
    EXPECT_TRUE(QByteArray::fromStdString(Scratch::read(ini)).startsWith(user));

    // A shorter list empties the keys past its end; the file keeps every line.
    ASSERT_TRUE(writeRecentFiles(ini, files({"a"})));
    EXPECT_EQ(readRecentFiles(ini), files({"a"}));
    EXPECT_EQ(Scratch::read(ini), user.toStdString()
                                      + "[RECENT]\nFile1=/w/a.ign\nFile2=\nFile3=\nFile4=\nFile5=\nFile6=\nFile7=\n"
                                        "File8=\n");
    EXPECT_EQ(readWindowPlace(ini, "CHART", QRect(1, 1, 1, 1)).left(), 7);

    // A hand-edited section: duplicates and gaps read as one list, newest first.
    const QString edited = scratch.write(QStringLiteral("edited.ini"),
                                         "[RECENT]\nFile1=/w/a.ign\nFile2=\nFile3=/w/b.ign\nFile4=/w/a.ign\n");
    EXPECT_EQ(readRecentFiles(edited), files({"a", "b"}));
    EXPECT_TRUE(readRecentFiles(scratch.path(QStringLiteral("missing.ini"))).isEmpty());
}

} // namespace
