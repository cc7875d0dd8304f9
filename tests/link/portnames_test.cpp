#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "link/portnames.h"
#include "support/file_kinds.h"

namespace {
class PortNamesFile : public ::testing::Test
{
protected:
    QString write(const QByteArray &content)
    {
        const QString path = dir.filePath(QStringLiteral("Torvo_TCI.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        return path;
    }

    QTemporaryDir dir;
};
} // namespace

#ifndef Q_OS_WIN
TEST(PortNames, NumbersOutsideOneToTenOpenNothing)
{
    for (int number : {0, 11, -1, 255, 256})
        EXPECT_TRUE(portDeviceName(number, QString()).isEmpty()) << "port " << number;
}

TEST(PortNames, WithoutASettingsFileComNIsTheNthOnBoardPort)
{
    const QString missing = QDir::temp().filePath(QStringLiteral("torvo-no-such-dir/Torvo_TCI.ini"));
    for (int number = 1; number <= 10; ++number) {
        const QString expected = QStringLiteral("/dev/ttyS%1").arg(number - 1);
        EXPECT_EQ(portDeviceName(number, missing), expected) << "port " << number;
        EXPECT_EQ(portDeviceName(number, QString()), expected) << "port " << number << ", no path";
    }
}

TEST_F(PortNamesFile, PortsSectionMapsNumbersToDevices)
{
    const QString path = write("[FORM_HLAV]\nComPort=3\n"
                               "[PORTS]\n"
                               "COM1=/dev/ttyUSB0\n"
                               "COM3 = /dev/pts/7  \n"
                               "COM4=\n"
                               "COM5=   \n"
                               "COM6=ttyACM0\n"
                               "COM7=dev/relative\n"
                               "COM8=/dev/tty\x01S1\n"
                               "COM10=/dev/serial/by-id/usb-Torvo\n"
                               "COM11=/dev/ttyUSB9\n");
    struct Case
    {
        int number;
        const char *expected;
    };
    const Case cases[] = {
        {1, "/dev/ttyUSB0"},
        {2, "/dev/ttyS1"},     // no key
        {3, "/dev/pts/7"},     // blanks around the value
        {4, "/dev/ttyS3"},     // empty value
        {5, "/dev/ttyS4"},     // blank value
        {6, "/dev/ttyACM0"},   // a bare device name
        {7, "/dev/ttyS6"},     // a relative path names no device
        {8, "/dev/ttyS7"},     // control character
        {9, "/dev/ttyS8"},
        {10, "/dev/serial/by-id/usb-Torvo"},
        {11, ""},              // out of range, mapped or not
    };
    for (const Case &c : cases) {
        const QString actual = portDeviceName(c.number, path);
        EXPECT_EQ(actual, QString::fromLatin1(c.expected))
            << "COM" << c.number << ": got \"" << actual.toStdString() << "\"";
    }
}

TEST_F(PortNamesFile, SectionAndKeyNamesIgnoreCase)
{
    const QString path = write("[ports]\ncom2=/dev/ttyUSB1\n");
    EXPECT_EQ(portDeviceName(2, path), QStringLiteral("/dev/ttyUSB1"));
}

TEST_F(PortNamesFile, AFileWithoutAPortsSectionFallsBack)
{
    const QString path = write("[FORM_HLAV]\nLeft=10\nComPort=2\n[IGNITION]\nCOM2=/dev/ttyUSB5\n");
    EXPECT_EQ(portDeviceName(2, path), QStringLiteral("/dev/ttyS1"));
}

TEST_F(PortNamesFile, JunkFilesFallBackQuietly)
{
    const QByteArray junks[] = {
        QByteArray(),
        QByteArray("\x00\x01\x02\xff\xfe[PORTS\nCOM1", 14),
        QByteArray("COM1=/dev/ttyUSB0\n"), // no section at all
        QByteArray("[PORTS\nCOM1=/dev/ttyUSB0\n"),
        QByteArray(100000, '['),
    };
    for (const QByteArray &junk : junks) {
        const QString path = write(junk);
        EXPECT_EQ(portDeviceName(1, path), QStringLiteral("/dev/ttyS0")) << "file: " << junk.left(40).toHex().toStdString();
    }
}

// The device chooser looks up several times a second: a FIFO must not hold
// it, and of a huge file only the first MiB is read, as the settings are.
TEST_F(PortNamesFile, OnlyTheFirstMiBOfARegularFileOrALinkIsRead)
{
    const QByteArray ports = "[PORTS]\nCOM1=/dev/ttyUSB0\n";
    const QByteArray padding = "; " + QByteArray(1 << 20, 'x') + "\n";
    EXPECT_EQ(portDeviceName(1, write(ports + padding + padding)), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(portDeviceName(1, write(padding + ports)), QStringLiteral("/dev/ttyS0"));
    int n = 0;
    for (const FileKind kind : kFileKinds) {
        const QString path = dir.filePath(QStringLiteral("kind%1.ini").arg(++n));
        ASSERT_TRUE(makeFileKind(path, kind, ports));
        EXPECT_EQ(portDeviceName(1, path), isUsable(kind) ? QStringLiteral("/dev/ttyUSB0") : QStringLiteral("/dev/ttyS0"))
            << kindName(kind);
    }
}

TEST_F(PortNamesFile, TheSettingsFileIsOnlyRead)
{
    const QByteArray content("; settings\n[PORTS]\nCOM1=/dev/ttyUSB0\n[FORM_HLAV]\nComPort=1\n");
    const QString path = write(content);
    const QDateTime before = QFileInfo(path).lastModified();
    EXPECT_EQ(portDeviceName(1, path), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(portDeviceName(2, path), QStringLiteral("/dev/ttyS1"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), content);
    EXPECT_EQ(QFileInfo(path).lastModified(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no backup or temporary files";
}

TEST_F(PortNamesFile, ATypedNameIsWhatThePortsValueItBecomesIsReadAs)
{
    const struct
    {
        const char *typed;
        const char *device; // empty: names no device
    } cases[] = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"  ttyACM1 ", "/dev/ttyACM1"},
        {"/dev//serial/by-id/usb-FTDI-if00/", "/dev/serial/by-id/usb-FTDI-if00"},
        {"/tmp/my link", "/tmp/my link"},
        {"dev/ttyUSB0", ""},
        {"   ", ""},
        {"/dev/tty\tS0", ""},
    };
    for (const auto &c : cases) {
        const QString device = typedDeviceName(QString::fromUtf8(c.typed));
        EXPECT_EQ(device, QString::fromUtf8(c.device)) << c.typed;
        if (!device.isEmpty()) {
            const QString ini = write(QStringLiteral("[PORTS]\nCOM3=%1\n").arg(device).toUtf8());
            EXPECT_EQ(portDeviceName(3, ini), device) << c.typed;
        }
    }
}
#else
TEST(PortNames, WindowsUsesTheComNames)
{
    EXPECT_EQ(portDeviceName(1, QString()), QStringLiteral("COM1"));
    EXPECT_EQ(portDeviceName(10, QString()), QStringLiteral("COM10"));
    EXPECT_TRUE(portDeviceName(0, QString()).isEmpty());
    EXPECT_TRUE(portDeviceName(11, QString()).isEmpty());
}
#endif
