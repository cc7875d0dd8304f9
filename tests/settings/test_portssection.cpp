// The [PORTS] section of Torvo_TCI.ini: what it maps, read and written by one
// rule, so a key given twice opens and changes the same line.
#include "scratch.h"

#include "settings/settingsfile.h"
#include "support/file_kinds.h"

#include <QDateTime>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <string>

namespace {

std::string valuesOf(const PortsSection &ports)
{
    return ports.values.join(QLatin1Char('|')).toStdString();
}

TEST(PortsSection, ReadsEachComValueAsTheFileGivesIt)
{
    Scratch scratch;
    const struct
    {
        const char *what;
        QByteArray text;
        const char *values; // COM1..COM10 joined by "|"
        bool anyKey;
    } cases[] = {
        {"values as written, blanks around them dropped",
         "[FORM_HLAV]\nComPort=3\n[PORTS]\nCOM1=/dev/ttyUSB0\nCOM3 = /dev/pts/7  \nCOM4=\nCOM6=ttyACM0\n"
         "COM7=dev/relative\nCOM8=/dev/tty\x01S1\nCOM10=/dev/serial/by-id/usb-Torvo\nCOM11=/dev/ttyUSB9\n",
         "/dev/ttyUSB0||/dev/pts/7|||ttyACM0|dev/relative|/dev/tty\x01S1||/dev/serial/by-id/usb-Torvo", true},
        {"names without case", "[ports]\ncom2=/dev/ttyUSB1\n", "|/dev/ttyUSB1||||||||", true},
        {"the first of a key given twice, also in a later block",
         "[PORTS]\nCOM1=/dev/first\nCOM1=/dev/second\n[X]\n[PORTS]\nCOM2=/dev/a\nCOM1=/dev/third\n",
         "/dev/first|/dev/a||||||||", true},
        {"a key of another name is still a mapping", "[PORTS]\nAdapter=mine\n", "|||||||||", true},
        {"an empty section", "; none yet\n[PORTS]\n[FORM_HLAV]\nLeft=1\n", "|||||||||", false},
        {"COM keys of another section", "[FORM_HLAV]\nLeft=10\n[IGNITION]\nCOM2=/dev/ttyUSB5\n", "|||||||||", false},
        {"no section at all", "COM1=/dev/ttyUSB0\n", "|||||||||", false},
        {"a broken header", "[PORTS\nCOM1=/dev/ttyUSB0\n", "|||||||||", false},
        {"binary junk", QByteArray("\x00\x01\x02\xff\xfe[PORTS\nCOM1", 14), "|||||||||", false},
        {"a byte-order mark", "\xEF\xBB\xBF[PORTS]\r\nCOM9=/dev/ttyUSB3\r\n", "||||||||/dev/ttyUSB3|", true},
    };
    for (const auto &c : cases) {
        const PortsSection ports = readPortsSection(scratch.write(QStringLiteral("Torvo_TCI.ini"), c.text));
        EXPECT_EQ(valuesOf(ports), c.values) << c.what;
        EXPECT_EQ(ports.anyKey, c.anyKey) << c.what;
    }
    const PortsSection none = readPortsSection(QString());
    EXPECT_EQ(none.values.size(), PortsSection::kComCount);
    EXPECT_FALSE(none.anyKey);
    EXPECT_TRUE(none.value(0).isEmpty() && none.value(11).isEmpty());
}

// The device chooser reads every second: a FIFO must not hold it, and of a
// huge file only the first MiB is read, as the settings are. Nothing is written.
TEST(PortsSection, OnlyTheFirstMiBOfARegularFileOrALinkIsReadAndNothingWritten)
{
    Scratch scratch;
    const QByteArray ports = "[PORTS]\nCOM1=/dev/ttyUSB0\n";
    const QByteArray padding = "; " + QByteArray(1 << 20, 'x') + "\n";
    EXPECT_EQ(readPortsSection(scratch.write("front.ini", ports + padding + padding)).value(1), "/dev/ttyUSB0");
    EXPECT_EQ(readPortsSection(scratch.write("behind.ini", padding + ports)).value(1), "");
    int n = 0;
    for (const FileKind kind : kFileKinds) {
        const QString path = scratch.path(QStringLiteral("kind%1.ini").arg(++n));
        ASSERT_TRUE(makeFileKind(path, kind, ports));
        const QDateTime before = QFileInfo(path).lastModified();
        const PortsSection read = readPortsSection(path);
        EXPECT_EQ(read.value(1), isUsable(kind) ? "/dev/ttyUSB0" : "") << kindName(kind);
        EXPECT_EQ(read.anyKey, isUsable(kind)) << kindName(kind);
        EXPECT_EQ(QFileInfo(path).lastModified(), before) << kindName(kind);
        if (isUsable(kind)) {
            EXPECT_EQ(Scratch::read(path), ports.toStdString()) << kindName(kind);
        }
    }
}

// The line a mapping changes is the line that is read: with COM1 given twice
// the first both opens and is rewritten, and every other byte stays.
TEST(PortsSection, AMappingChangesTheLineThatIsReadAndKeepsEveryOtherByte)
{
    Scratch scratch;
    const QString ini = scratch.path(QStringLiteral("Torvo_TCI.ini"));
    const struct
    {
        const char *before;
        int com;
        const char *device;
        const char *after;
    } cases[] = {
        {"", 3, "/dev/serial/by-id/usb-A", "[PORTS]\nCOM3=/dev/serial/by-id/usb-A\n"},
        {"; mine\n[FORM_HLAV]\nLeft = 5 \n", 1, "/dev/ttyUSB0", "; mine\n[FORM_HLAV]\nLeft = 5 \n[PORTS]\nCOM1=/dev/ttyUSB0\n"},
        {"[PORTS]\r\n; adapters\r\nCOM1=/dev/ttyS0\r\nCOM2 = /dev/old \r\n[X]\r\n", 2, "/dev/new",
         "[PORTS]\r\n; adapters\r\nCOM1=/dev/ttyS0\r\nCOM2 = /dev/new \r\n[X]\r\n"},
        {"[PORTS]\nCOM1 = /dev/first\ncom1=/dev/second\n", 1, "/dev/ttyUSB7",
         "[PORTS]\nCOM1 = /dev/ttyUSB7\ncom1=/dev/second\n"},
        {"[PORTS]\nCOM2=/dev/a\n[FORM_HLAV]\n[PORTS]\nCOM1=/dev/b\nCOM1=/dev/c\n", 1, "/dev/d",
         "[PORTS]\nCOM2=/dev/a\n[FORM_HLAV]\n[PORTS]\nCOM1=/dev/d\nCOM1=/dev/c\n"},
    };
    for (const auto &c : cases) {
        QFile::remove(ini);
        if (*c.before)
            scratch.write(QFileInfo(ini).fileName(), c.before);
        QString reason;
        ASSERT_TRUE(writePortMapping(ini, c.com, QString::fromUtf8(c.device), &reason)) << reason.toStdString();
        EXPECT_EQ(Scratch::read(ini), std::string(c.after)) << "before: " << c.before;
        EXPECT_EQ(readPortsSection(ini).value(c.com).toStdString(), c.device) << "before: " << c.before;
    }
    QString reason;
    EXPECT_FALSE(writePortMapping(ini, 11, "/dev/x", &reason));
    EXPECT_FALSE(writePortMapping(ini, 1, "", &reason));
    EXPECT_FALSE(reason.isEmpty());
}

} // namespace
