// Which COM number reaches a serial device: through [PORTS], through links,
// or as the on-board default.
#include "link/serialdevices.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SerialDevices, TheComNumberFollowsThePortsMappingAndLinks)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    // Stand-ins for devices: plain files, and a link like udev's by-id names.
    for (const char *name : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) {
        QFile f(d.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(d.filePath("ttyUSB1"), d.filePath("usb-FTDI_TTL232R_A1B2-if00-port0")));
    const QStringList ports{QString(), d.filePath("ttyUSB0"), QString(), QString(),
                            d.filePath("usb-FTDI_TTL232R_A1B2-if00-port0")};
    const struct
    {
        const char *device;
        std::optional<int> com;
    } cases[] = {
        {"ttyUSB0", 2},
        {"ttyUSB1", 5}, // mapped through its stable link
        {"ttyACM0", std::nullopt},
    };
    for (const auto &c : cases) {
        SerialDevice device;
        device.path = d.filePath(c.device);
        EXPECT_EQ(comNumberOf(device, ports), c.com) << c.device;
    }
    SerialDevice onBoard;
    onBoard.path = QStringLiteral("/dev/ttyS3");
    EXPECT_EQ(comNumberOf(onBoard, ports), 4) << "COM4 is /dev/ttyS3 when [PORTS] does not name it";

    SerialDevice usb;
    usb.path = QStringLiteral("/dev/ttyUSB0");
    EXPECT_EQ(usb.preferredPath(), "/dev/ttyUSB0");
    usb.stablePath = QStringLiteral("/dev/serial/by-id/usb-x");
    EXPECT_EQ(usb.preferredPath(), "/dev/serial/by-id/usb-x");
}

TEST(SerialDevices, TheNamesOfferedForTypingAreTheFilesOfDevAndItsSerialFolders)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    for (const char *folder : {"serial/by-id", "serial/by-path", "pts", "input", "bus/usb"})
        ASSERT_TRUE(d.mkpath(folder));
    for (const char *name : {"ttyUSB0", "ttyS0", "ptmx", "pts/3", "pts/ptmx", "input/event0",
                             "serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"}) {
        QFile f(d.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name;
    }
    ASSERT_TRUE(QFile::link(QStringLiteral("../../ttyUSB0"), d.filePath("serial/by-id/usb-FTDI_A1B2-if00-port0")));

    const QStringList expected = {
        d.filePath("pts/3"),
        d.filePath("serial/by-id/usb-FTDI_A1B2-if00-port0"),
        d.filePath("serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"),
        d.filePath("ttyS0"),
        d.filePath("ttyUSB0"),
    };
    EXPECT_EQ(deviceFileNames(dir.path()).join(QLatin1Char('\n')).toStdString(),
              expected.join(QLatin1Char('\n')).toStdString());
    EXPECT_TRUE(deviceFileNames(d.filePath("missing")).isEmpty());
}
