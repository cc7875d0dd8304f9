// What a [PORTS] value or a typed name names: the rules without the file,
// which the settings library reads.
#include <gtest/gtest.h>

#include "link/portnames.h"

#ifndef Q_OS_WIN
TEST(PortNames, AComNumberIsItsPortsValueOrTheNthOnBoardPort)
{
    const struct
    {
        int number;
        const char *value;
        const char *expected;
    } cases[] = {
        {1, "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {2, "", "/dev/ttyS1"},                   // no value
        {3, " /dev/pts/7  ", "/dev/pts/7"},      // blanks around the value
        {5, "   ", "/dev/ttyS4"},                // blank value
        {6, "ttyACM0", "/dev/ttyACM0"},          // a bare device name
        {7, "dev/relative", "/dev/ttyS6"},       // a relative path names no device
        {8, "/dev/tty\x01S1", "/dev/ttyS7"},     // control character
        {10, "/dev/serial/by-id/usb-Torvo", "/dev/serial/by-id/usb-Torvo"},
        {0, "/dev/ttyUSB0", ""},                 // out of range, mapped or not
        {11, "/dev/ttyUSB9", ""},
        {-1, "", ""},
        {256, "", ""},
    };
    for (const auto &c : cases) {
        const QString actual = portDeviceName(c.number, QString::fromUtf8(c.value));
        EXPECT_EQ(actual.toStdString(), c.expected) << "COM" << c.number << "=" << c.value;
        if (c.number >= kFirstPort && c.number <= kLastPort) {
            EXPECT_EQ(mappedDevice(QString::fromUtf8(c.value)).isEmpty(),
                      actual == QStringLiteral("/dev/ttyS%1").arg(c.number - 1))
                << c.value;
        }
    }
}

TEST(PortNames, ATypedNameIsWhatThePortsValueItBecomesIsReadAs)
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
            EXPECT_EQ(portDeviceName(3, device), device) << c.typed;
        }
    }
}
#else
TEST(PortNames, WindowsUsesTheComNames)
{
    EXPECT_EQ(portDeviceName(1, QStringLiteral("/dev/ttyUSB0")), QStringLiteral("COM1"));
    EXPECT_EQ(portDeviceName(10, QString()), QStringLiteral("COM10"));
    EXPECT_TRUE(portDeviceName(0, QString()).isEmpty());
    EXPECT_TRUE(portDeviceName(11, QString()).isEmpty());
}
#endif
