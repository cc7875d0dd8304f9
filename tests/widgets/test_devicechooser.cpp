// The device chooser over made-up devices: its rows and columns, the COM
// number that reaches each device, and a list that changes while it is open.
#include "widgets/devicechooser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {

QString joined(const QStringList &texts)
{
    return texts.join(QStringLiteral(" | "));
}

// Stand-ins for devices in a folder of their own: plain files, one udev-like
// by-id link, and a settings file whose [PORTS] names one device through its
// link and one directly.
class DeviceChooserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char *name : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) {
            QFile f(path(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QFile::link(path("ttyUSB0"), path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0")));
        QFile file(ini());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[PORTS]\nCOM2=%1\nCOM7=%2\n")
                       .arg(path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"), path("ttyACM0"))
                       .toUtf8());

        ftdi.path = path("ttyUSB0");
        ftdi.stablePath = path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0");
        ftdi.description = QStringLiteral("FT232R USB UART");
        ftdi.manufacturer = QStringLiteral("FTDI");
        ftdi.vendorId = 0x0403;
        ftdi.productId = 0x6001;
        ftdi.serialNumber = QStringLiteral("A1B2");

        acm.path = path("ttyACM0");

        ch340.path = path("ttyUSB1");
        ch340.description = QStringLiteral("USB Serial");
        ch340.manufacturer = QStringLiteral("QinHeng");
        ch340.vendorId = 0x1a86;
        ch340.productId = 0x7523;
    }

    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
    QString ini() const { return path("Torvo_TCI.ini"); }
    SerialDeviceLister lister()
    {
        return [this] { return offered; };
    }

    static QStringList rowTexts(const DeviceChooser &chooser)
    {
        QStringList rows;
        for (int i = 0; i < chooser.deviceList()->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < chooser.deviceList()->columnCount(); ++c)
                cells << chooser.deviceList()->topLevelItem(i)->text(c);
            rows << joined(cells);
        }
        return rows;
    }
    static std::string chosenPath(const DeviceChooser &chooser)
    {
        const auto device = chooser.chosenDevice();
        return device ? device->path.toStdString() : std::string();
    }
    static bool okEnabled(const DeviceChooser &chooser)
    {
        return chooser.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled();
    }

    QTemporaryDir dir;
    SerialDevice ftdi, acm, ch340;
    std::vector<SerialDevice> offered;
};

} // namespace

TEST_F(DeviceChooserTest, OneRowPerDeviceWithItsColumnsAndTheComNumberThatReachesIt)
{
    offered = {ftdi, acm, ch340};
    DeviceChooser chooser(lister(), ini(), 1, 0);
    const QStringList expected = {
        // Mapped through its by-id link, which [PORTS] names.
        joined({"COM2", path("ttyUSB0"), "FT232R USB UART", "FTDI", "0403:6001", "A1B2",
                path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0")}),
        // Nothing known about it but its path; [PORTS] names it directly.
        joined({"COM7", path("ttyACM0"), "", "", "", "", ""}),
        // No by-id name, and no COM number reaches it.
        joined({"", path("ttyUSB1"), "USB Serial", "QinHeng", "1a86:7523", "", ""}),
    };
    const QStringList shown = rowTexts(chooser);
    ASSERT_EQ(shown.size(), expected.size()) << joined(shown).toStdString();
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(shown[i].toStdString(), expected[i].toStdString()) << "row " << i;
    EXPECT_FALSE(chooser.emptyNote()->isVisibleTo(&chooser));
    EXPECT_EQ(chooser.objectName(), "DeviceChooser");
}

TEST_F(DeviceChooserTest, TheCurrentPortPresetsTheComNumberAndTheRowOfItsDevice)
{
    offered = {ch340, ftdi, acm};
    const struct
    {
        int currentCom;
        int presetCom;
        const char *chosen;
    } cases[] = {
        {2, 2, "ttyUSB0"}, // the device COM2 reaches through its link
        {7, 7, "ttyACM0"},
        {4, 4, "ttyUSB1"}, // no device for COM4: the first row
        {0, 1, "ttyUSB1"}, // no port: COM1
        {11, 1, "ttyUSB1"},
    };
    for (const auto &c : cases) {
        DeviceChooser chooser(lister(), ini(), c.currentCom, 0);
        EXPECT_EQ(chooser.chosenCom(), c.presetCom) << "current COM" << c.currentCom;
        EXPECT_EQ(chooser.comBox()->currentText(), QStringLiteral("COM%1").arg(c.presetCom))
            << "current COM" << c.currentCom;
        EXPECT_EQ(chosenPath(chooser), path(c.chosen).toStdString()) << "current COM" << c.currentCom;
    }
}

TEST_F(DeviceChooserTest, ARefreshFollowsTheListAndKeepsTheChosenDevice)
{
    offered = {ftdi, acm};
    DeviceChooser chooser(lister(), ini(), 7, 0);
    ASSERT_EQ(chosenPath(chooser), path("ttyACM0").toStdString());

    const struct
    {
        const char *step;
        std::vector<SerialDevice> offered;
        QStringList paths;
        QString chosen;
        bool emptyNote;
    } steps[] = {
        {"an adapter plugged in ahead of the chosen one", {ch340, ftdi, acm},
         {path("ttyUSB1"), path("ttyUSB0"), path("ttyACM0")}, path("ttyACM0"), false},
        {"the chosen one pulled out", {ch340, ftdi}, {path("ttyUSB1"), path("ttyUSB0")}, QString(), false},
        {"every adapter pulled out", {}, {}, QString(), true},
        {"one plugged in again", {ftdi}, {path("ttyUSB0")}, path("ttyUSB0"), false},
    };
    for (const auto &s : steps) {
        offered = s.offered;
        chooser.refresh();
        QStringList paths;
        for (int i = 0; i < chooser.deviceList()->topLevelItemCount(); ++i)
            paths << chooser.deviceList()->topLevelItem(i)->text(1);
        EXPECT_EQ(joined(paths).toStdString(), joined(s.paths).toStdString()) << s.step;
        EXPECT_EQ(chosenPath(chooser), s.chosen.toStdString()) << s.step;
        EXPECT_EQ(okEnabled(chooser), !s.chosen.isEmpty()) << s.step;
        EXPECT_EQ(chooser.emptyNote()->isVisibleTo(&chooser), s.emptyNote) << s.step;
    }

    // A row the technician picks stays picked through refreshes of an unchanged list.
    offered = {ch340, ftdi, acm};
    chooser.refresh();
    chooser.deviceList()->setCurrentItem(chooser.deviceList()->topLevelItem(2));
    offered = {acm, ftdi};
    chooser.refresh();
    EXPECT_EQ(chosenPath(chooser), path("ttyACM0").toStdString());
}

TEST_F(DeviceChooserTest, WhileShownTheTimerListsTheDevicesEverySecond)
{
    offered = {ftdi};
    DeviceChooser chooser(lister(), ini(), 2, 0);
    EXPECT_EQ(chooser.refreshTimer()->interval(), 1000);
    EXPECT_FALSE(chooser.refreshTimer()->isActive());
    chooser.show();
    EXPECT_TRUE(chooser.refreshTimer()->isActive());
    offered = {ftdi, ch340};
    QTRY_COMPARE(chooser.deviceList()->topLevelItemCount(), 2);
    EXPECT_EQ(chosenPath(chooser), path("ttyUSB0").toStdString());
    chooser.hide();
    EXPECT_FALSE(chooser.refreshTimer()->isActive());
}

TEST_F(DeviceChooserTest, TextsFollowTheLanguageIndexWithEnglishForOthers)
{
    const struct
    {
        std::uint8_t index;
        const char *title;
        const char *firstHeading;
        const char *cancel;
        const char *empty;
    } cases[] = {
        {0, "Choose device", "Device", "Cancel", "No serial device found"},
        {1, "Gerät wählen", "Gerät", "Abbrechen", "Kein serielles Gerät gefunden"},
        {3, "Vybrat zařízení", "Zařízení", "Zrušit", "Nenalezeno žádné sériové zařízení"},
        {2, "Choose device", "Device", "Cancel", "No serial device found"},
        {200, "Choose device", "Device", "Cancel", "No serial device found"},
    };
    for (const auto &c : cases) {
        DeviceChooser chooser(lister(), ini(), 1, c.index);
        EXPECT_EQ(chooser.windowTitle(), QString::fromUtf8(c.title)) << int(c.index);
        EXPECT_EQ(chooser.deviceList()->headerItem()->text(1), QString::fromUtf8(c.firstHeading)) << int(c.index);
        EXPECT_EQ(chooser.deviceList()->headerItem()->text(0), "COM") << int(c.index);
        EXPECT_EQ(chooser.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text(),
                  QString::fromUtf8(c.cancel))
            << int(c.index);
        EXPECT_EQ(chooser.emptyNote()->text(), QString::fromUtf8(c.empty)) << int(c.index);
        EXPECT_TRUE(chooser.emptyNote()->isVisibleTo(&chooser)) << int(c.index);
        EXPECT_FALSE(okEnabled(chooser)) << int(c.index);
    }
}

TEST(DeviceChooserUsbId, VendorAndProductInFourHexDigits)
{
    const struct
    {
        std::optional<std::uint16_t> vendor, product;
        const char *text;
    } cases[] = {
        {0x0403, 0x6001, "0403:6001"},
        {0x1a86, 0x0001, "1a86:0001"},
        {0x0403, std::nullopt, "0403:"},
        {std::nullopt, std::nullopt, ""},
    };
    for (const auto &c : cases) {
        SerialDevice d;
        d.vendorId = c.vendor;
        d.productId = c.product;
        EXPECT_EQ(DeviceChooser::usbIdText(d), QLatin1String(c.text)) << c.text;
    }
}
