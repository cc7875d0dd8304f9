// The three files the tool writes (the .ign parameter file, Torvo_TCI.ini and
// the image file) when the disk fills up part-way through a save or the
// program is killed in the middle of one: the earlier file stays whole.
// The saves run in forked children, which take the file size limit or the
// kill; the test process only looks at what is left on disk.
#include "params/parameterfile.h"
#include "params/parameterimage.h"
#include "settings/imagefile.h"
#include "settings/settingsfile.h"
#include "support/child_process.h"

#include "scratch.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include <grp.h>
#include <unistd.h>

namespace {

ParameterImage imageNumber(int version)
{
    ParameterImage image;
    image.applyDefaults();
    for (int k = 0; k < ParameterImage::kPoints; ++k)
        image.advance(k) = static_cast<std::uint8_t>(version == 0 ? 10 + k : 40 - 3 * k);
    image[ParameterImage::kLimiter] = version == 0 ? 70 : 123;
    for (int i = 30; i < ParameterImage::kSize; ++i)
        image[i] = static_cast<std::uint8_t>(version == 0 ? i : 255 - i);
    return image;
}

StoredSettings settingsNumber(int version)
{
    StoredSettings s;
    s.left = version == 0 ? 10 : 1234;
    s.top = version == 0 ? 20 : -5;
    s.height = 822;
    s.width = 761;
    s.comPort = version == 0 ? 1 : 7;
    s.language = version == 0 ? 0 : 3;
    s.file = version == 0 ? QStringLiteral("/home/jan/first.ign") : QStringLiteral("/home/jan/a much longer name.ign");
    s.iniDir = QStringLiteral("/home/jan");
    s.ignAll = version == 1;
    return s;
}

// A user's settings file with a long [PORTS] section and comments of its
// own, which a save must carry over: a save of it takes a while, so a kill
// has something to land in.
QByteArray usersSettings()
{
    QByteArray text = "; my workshop's adapters\r\n[PORTS]\r\n";
    for (int i = 0; i < 2000; ++i)
        text += "; adapter " + QByteArray::number(i) + " was tried here and did not work\r\n";
    text += "COM1=/dev/ttyUSB0\r\n";
    return text;
}

struct Writer
{
    const char *what;
    const char *fileName;
    QByteArray startsAs; // the file before the first save; empty for none
    // Saves the given version (0 or 1) of the content; false when it failed.
    std::function<bool(const QString &path, int version)> save;
};

std::vector<Writer> writers()
{
    return {
        {".ign parameter file", "set.ign", {},
         [](const QString &path, int v) { return saveParameterFile(path, imageNumber(v)); }},
        {"settings Torvo_TCI.ini with a long [PORTS] section", "Torvo_TCI.ini", usersSettings(),
         [](const QString &path, int v) { return writeSettings(path, settingsNumber(v)); }},
        {"settings Torvo_TCI.ini of the tool's own keys", "Torvo_TCI.ini", {},
         [](const QString &path, int v) { return writeSettings(path, settingsNumber(v)); }},
        {"image file _Torvo_TCI.ini", "_Torvo_TCI.ini", {},
         [](const QString &path, int v) { return writeImageFile(path, imageNumber(v)); }},
    };
}

// The bytes of a complete save of each version, made undisturbed in a folder
// of their own. The writers' formats are checked byte by byte elsewhere; here
// they are only the measure of "complete".
struct CompleteContents
{
    QByteArray version[2];
};

CompleteContents completeContents(const Writer &writer)
{
    Scratch scratch;
    const QString path = scratch.path(QString::fromLatin1(writer.fileName));
    CompleteContents contents;
    for (int v : {1, 0}) {
        if (!writer.startsAs.isEmpty())
            scratch.write(QString::fromLatin1(writer.fileName), writer.startsAs);
        EXPECT_TRUE(writer.save(path, v)) << writer.what;
        contents.version[v] = QByteArray::fromStdString(Scratch::read(path));
    }
    return contents;
}

} // namespace

class FilesUnderFaults : public ::testing::TestWithParam<int>
{
protected:
    const Writer writer = writers()[static_cast<std::size_t>(GetParam())];
};

TEST_P(FilesUnderFaults, ASaveOntoAFullPlaceKeepsTheEarlierFile)
{
    {
        SCOPED_TRACE(writer.what);
        const CompleteContents complete = completeContents(writer);
        ASSERT_NE(complete.version[0], complete.version[1]);
        const qint64 newSize = complete.version[1].size();
        // Room for nothing, for a byte, for half, for all but the last byte;
        // and, to show the limit is what fails the others, for all of it.
        const struct
        {
            long long room;
            bool saved;
        } cases[] = {{0, false}, {1, false}, {newSize / 2, false}, {newSize - 1, false}, {newSize, true}};
        for (const auto &c : cases) {
            Scratch scratch;
            const QString path = scratch.path(QString::fromLatin1(writer.fileName));
            if (!writer.startsAs.isEmpty())
                scratch.write(QString::fromLatin1(writer.fileName), writer.startsAs);
            ASSERT_TRUE(writer.save(path, 0));
            ChildProcess child = ChildProcess::start([&] { return writer.save(path, 1); }, c.room);
            const int exitCode = child.wait();
            const QByteArray after = QByteArray::fromStdString(Scratch::read(path));
            EXPECT_EQ(exitCode, c.saved ? 0 : 1) << "room for " << c.room << " of " << newSize << " bytes";
            EXPECT_EQ(after.toStdString(), complete.version[c.saved ? 1 : 0].toStdString())
                << "room for " << c.room << " of " << newSize << " bytes";
            // A failed save takes its half-written temporary away with it.
            const QStringList left = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files);
            EXPECT_EQ(left, QStringList{QString::fromLatin1(writer.fileName)})
                << "room for " << c.room << " of " << newSize << " bytes";
        }
    }
}

// Run in a child: takes the rights of a user who may not create files in the
// folder (root may create them anywhere). False when that cannot be had.
bool cannotCreateFilesIn(const QString &folder)
{
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
        return false;
    return ::access(QFile::encodeName(folder).constData(), W_OK) != 0;
}

// A folder that refuses new files around a file that may be written, as an
// administrator may leave a workshop PC: the save goes into the file itself,
// and a disk that fills up during it gets the earlier contents back.
TEST_P(FilesUnderFaults, AFolderThatRefusesNewFilesStillTakesTheSave)
{
    SCOPED_TRACE(writer.what);
    const QString name = QString::fromLatin1(writer.fileName);
    // For the settings file, a line its save changes: a save cut short differs at once.
    const QByteArray earlier = "[FORM_HLAV]\nLeft=1\n";
    Scratch free;
    ASSERT_TRUE(writer.save(free.write(name, earlier), 1));
    const std::string complete = Scratch::read(free.path(name));
    ASSERT_GT(complete.size(), std::size_t(earlier.size()));
    const struct
    {
        long long room;
        bool saved;
    } cases[] = {{-1, true}, {earlier.size(), false}};
    for (const auto &c : cases) {
        Scratch scratch;
        const QString folder = scratch.path(QStringLiteral("locked"));
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath(name);
        scratch.write(QStringLiteral("locked/") + name, earlier);
        const auto all = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        const auto enter = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
        const auto write = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        ASSERT_TRUE(QFile::setPermissions(QFileInfo(folder).path(), all | enter | QFileDevice::WriteOwner));
        ASSERT_TRUE(QFile::setPermissions(path, all | write));
        ASSERT_TRUE(QFile::setPermissions(folder, all | enter));
        ChildProcess child = ChildProcess::start(
            [&] {
                if (!cannotCreateFilesIn(folder))
                    ::_exit(3);
                return writer.save(path, 1);
            },
            c.room);
        const int exitCode = child.wait();
        const QStringList left = QDir(folder).entryList(QDir::Files);
        QFile::setPermissions(folder, all | enter | QFileDevice::WriteOwner);
        if (exitCode == 3)
            GTEST_SKIP() << "no user here lacks the right to create files in a folder";
        EXPECT_EQ(exitCode, c.saved ? 0 : 1) << "room for " << c.room;
        EXPECT_EQ(Scratch::read(path), c.saved ? complete : earlier.toStdString()) << "room for " << c.room;
        EXPECT_EQ(left, QStringList{name}) << "room for " << c.room;
    }
}

TEST_P(FilesUnderFaults, AKilledSaveLeavesOneCompleteFile)
{
    constexpr int kKills = 50;
    std::mt19937 random(20240611);
    {
        SCOPED_TRACE(writer.what);
        const CompleteContents complete = completeContents(writer);
        Scratch scratch;
        const QString path = scratch.path(QString::fromLatin1(writer.fileName));
        if (!writer.startsAs.isEmpty())
            scratch.write(QString::fromLatin1(writer.fileName), writer.startsAs);
        ASSERT_TRUE(writer.save(path, 0));
        int savesReported = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            int pipeEnds[2];
            ASSERT_EQ(::pipe(pipeEnds), 0);
            // Saves the two versions by turns for ever, saying when each is done.
            ChildProcess child = ChildProcess::start([&] {
                ::close(pipeEnds[0]);
                for (int i = 1;; ++i) {
                    writer.save(path, i % 2);
                    if (::write(pipeEnds[1], "s", 1) != 1)
                        return false;
                }
            });
            ::close(pipeEnds[1]);
            // The kill lands a random number of saves in, after a random spin:
            // anywhere in a save, or between two.
            const int savesFirst = static_cast<int>(random() % 4);
            char done = 0;
            for (int s = 0; s < savesFirst; ++s)
                ASSERT_EQ(::read(pipeEnds[0], &done, 1), 1);
            volatile unsigned spin = random() % 400000;
            while (spin > 0)
                spin = spin - 1u;
            child.kill();
            EXPECT_EQ(child.wait(), 128 + SIGKILL);
            int more = 0;
            while (::read(pipeEnds[0], &done, 1) == 1)
                ++more;
            ::close(pipeEnds[0]);
            savesReported += savesFirst + more;
            const QByteArray after = QByteArray::fromStdString(Scratch::read(path));
            EXPECT_TRUE(after == complete.version[0] || after == complete.version[1])
                << "kill " << kill << " after " << savesFirst << "+" << more << " saves left:\n"
                << after.left(400).toStdString();
        }
        std::cout << writer.what << ": " << kKills << " kills among " << savesReported << " finished saves"
                  << std::endl;
    }
}

std::string writerName(const ::testing::TestParamInfo<int> &info)
{
    static const char *const kNames[] = {"Ign", "SettingsWithLongPorts", "SettingsOwnKeys", "ImageFile"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(EachFileTheToolWrites, FilesUnderFaults,
                         ::testing::Range(0, static_cast<int>(writers().size())), writerName);
