// The device chooser over made-up devices: its rows and columns, the COM
// number that reaches each device, the path field typed into or filled by a
// row, and a list that changes while it is open.
#include "widgets/devicechooser.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
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
// by-id link, a link of the technician's own, and a settings file whose
// [PORTS] names one device through its by-id link, one directly, one through
// the own link, and a device that is not there.
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
        ASSERT_TRUE(QFile::link(path("ttyUSB1"), path("torvo-tci")));
        QFile file(ini());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[PORTS]\nCOM2=%1\nCOM7=%2\nCOM3=%3\nCOM5=%4\n")
                       .arg(path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"), path("ttyACM0"), path("torvo-tci"),
                            path("pts-gone"))
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
    // The device of the row shown chosen.
    static std::string chosenRow(const DeviceChooser &chooser)
    {
        const QList<QTreeWidgetItem *> selected = chooser.deviceList()->selectedItems();
        return selected.isEmpty() ? std::string() : selected.first()->text(1).toStdString();
    }
    // Types over the field's text, as a technician does after the dialog opens.
    static void typePath(DeviceChooser &chooser, const QString &text)
    {
        QTest::keyClick(chooser.pathEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(chooser.pathEdit(), text);
    }
    // A key goes to the names offered while they are open, else to the field.
    static void press(DeviceChooser &chooser, Qt::Key key)
    {
        QWidget *popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : chooser.pathEdit(), key);
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
    DeviceChooser chooser(lister(), ini(), 1, Language());
    const QStringList expected = {
        // Mapped through its by-id link, which [PORTS] names.
        joined({"COM2", path("ttyUSB0"), "FT232R USB UART", "FTDI", "0403:6001", "A1B2",
                path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0")}),
        // Nothing known about it but its path; [PORTS] names it directly.
        joined({"COM7", path("ttyACM0"), "", "", "", "", ""}),
        // No by-id name; [PORTS] names it through a link of its own.
        joined({"COM3", path("ttyUSB1"), "USB Serial", "QinHeng", "1a86:7523", "", ""}),
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
        const char *row;
        const char *field; // the stable name where the device has one
    } cases[] = {
        {2, 2, "ttyUSB0", "usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"}, // COM2 reaches it through its link
        {7, 7, "ttyACM0", "ttyACM0"},
        {3, 3, "ttyUSB1", "torvo-tci"}, // [PORTS]'s own name for it, so OK alone changes nothing
        {5, 5, "", "pts-gone"},         // a mapped device that is not there: no row
        {4, 4, "ttyUSB1", "ttyUSB1"},   // no device for COM4: the first row
        {0, 1, "ttyUSB1", "ttyUSB1"},   // no port: COM1
        {11, 1, "ttyUSB1", "ttyUSB1"},
    };
    for (const auto &c : cases) {
        DeviceChooser chooser(lister(), ini(), c.currentCom, Language());
        EXPECT_EQ(chooser.chosenCom(), c.presetCom) << "current COM" << c.currentCom;
        EXPECT_EQ(chooser.comBox()->currentText(), QStringLiteral("COM%1").arg(c.presetCom))
            << "current COM" << c.currentCom;
        EXPECT_EQ(chosenRow(chooser), *c.row ? path(c.row).toStdString() : std::string()) << "current COM" << c.currentCom;
        EXPECT_EQ(chooser.pathEdit()->text(), path(c.field)) << "current COM" << c.currentCom;
        EXPECT_TRUE(okEnabled(chooser)) << "current COM" << c.currentCom;
    }
}

TEST_F(DeviceChooserTest, ARefreshFollowsTheListAndNeverChangesTheField)
{
    offered = {ftdi, acm};
    DeviceChooser chooser(lister(), ini(), 7, Language());
    ASSERT_EQ(chooser.pathEdit()->text(), path("ttyACM0"));

    const struct
    {
        const char *step;
        std::vector<SerialDevice> offered;
        QStringList paths;
        QString row;
        bool emptyNote;
    } steps[] = {
        {"an adapter plugged in ahead of the chosen one", {ch340, ftdi, acm},
         {path("ttyUSB1"), path("ttyUSB0"), path("ttyACM0")}, path("ttyACM0"), false},
        // No other row is chosen in its place: OK maps what the technician picked.
        {"the chosen one pulled out", {ch340, ftdi}, {path("ttyUSB1"), path("ttyUSB0")}, QString(), false},
        {"every adapter pulled out", {}, {}, QString(), true},
        {"another plugged in", {ftdi}, {path("ttyUSB0")}, QString(), false},
        {"the chosen one back", {ftdi, acm}, {path("ttyUSB0"), path("ttyACM0")}, path("ttyACM0"), false},
    };
    for (const auto &s : steps) {
        offered = s.offered;
        chooser.refresh();
        QStringList paths;
        for (int i = 0; i < chooser.deviceList()->topLevelItemCount(); ++i)
            paths << chooser.deviceList()->topLevelItem(i)->text(1);
        EXPECT_EQ(joined(paths).toStdString(), joined(s.paths).toStdString()) << s.step;
        EXPECT_EQ(chosenRow(chooser), s.row.toStdString()) << s.step;
        EXPECT_EQ(chooser.pathEdit()->text(), path("ttyACM0")) << s.step;
        EXPECT_TRUE(okEnabled(chooser)) << s.step;
        EXPECT_EQ(chooser.emptyNote()->isVisibleTo(&chooser), s.emptyNote) << s.step;
    }

    // Opened with no device, the field proposes the first one plugged in,
    // unless the technician has typed into it meanwhile.
    for (const bool typed : {false, true}) {
        offered = {};
        DeviceChooser empty(lister(), ini(), 1, Language());
        EXPECT_FALSE(okEnabled(empty));
        if (typed)
            typePath(empty, QStringLiteral("/dev/ttyAMA0"));
        offered = {ch340};
        empty.refresh();
        EXPECT_EQ(empty.chosenPath(), typed ? QStringLiteral("/dev/ttyAMA0") : path("ttyUSB1")) << typed;
    }
}

TEST_F(DeviceChooserTest, TheFieldIsWhatOkMapsWhetherTypedOrFilledByARow)
{
    offered = {ftdi, acm, ch340};
    const struct
    {
        const char *what;
        QString typed;
        QString chosen; // empty: OK stays disabled and Enter does nothing
        QString row;
    } cases[] = {
        {"a path of its own", QStringLiteral("/tmp/pty-link"), QStringLiteral("/tmp/pty-link"), QString()},
        {"a bare name lies under /dev", QStringLiteral("ttyS4"), QStringLiteral("/dev/ttyS4"), QString()},
        {"a listed device's path shows its row", path("ttyUSB1"), path("ttyUSB1"), path("ttyUSB1")},
        {"so does its stable name", path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"),
         path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"), path("ttyUSB0")},
        {"and any link to it", path("torvo-tci"), path("torvo-tci"), path("ttyUSB1")},
        {"a relative path names nothing", QStringLiteral("dev/ttyUSB0"), QString(), QString()},
        {"nor do blanks", QStringLiteral("  "), QString(), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        DeviceChooser chooser(lister(), ini(), 7, Language());
        chooser.show();
        typePath(chooser, c.typed);
        EXPECT_EQ(chooser.chosenPath(), c.chosen);
        EXPECT_EQ(chosenRow(chooser), c.row.toStdString());
        EXPECT_EQ(okEnabled(chooser), !c.chosen.isEmpty());
        // A listing that changed under the typing leaves the text as typed.
        offered = {ch340, ftdi};
        chooser.refresh();
        EXPECT_EQ(chooser.pathEdit()->text(), c.typed);
        offered = {ftdi, acm, ch340};
        chooser.refresh();
        press(chooser, Qt::Key_Return);
        EXPECT_EQ(chooser.result() == QDialog::Accepted, !c.chosen.isEmpty());
        EXPECT_EQ(chooser.isVisible(), c.chosen.isEmpty());
    }

    // Picking a row with the keys puts its device into the field, by its
    // stable name where it has one.
    DeviceChooser chooser(lister(), ini(), 7, Language());
    chooser.show();
    typePath(chooser, QStringLiteral("/tmp/pty-link"));
    QTest::keyClick(chooser.deviceList(), Qt::Key_Home);
    EXPECT_EQ(chooser.chosenPath(), path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"));
    QTest::keyClick(chooser.deviceList(), Qt::Key_Down);
    EXPECT_EQ(chooser.chosenPath(), path("ttyACM0"));
}

TEST_F(DeviceChooserTest, TypingOffersTheNamesUnderDevAndTheListedOnes)
{
    offered = {ftdi, acm};
    DeviceChooser chooser(lister(), ini(), 1, Language());
    chooser.show();
    const auto offeredFor = [&](const QString &typed) {
        typePath(chooser, typed);
        QStringList names;
        QAbstractItemModel *shown = chooser.pathCompleter()->completionModel();
        for (int i = 0; i < shown->rowCount(); ++i)
            names << shown->index(i, 0).data().toString();
        return names;
    };
    // Any part of a name, in any case.
    EXPECT_EQ(offeredFor(QStringLiteral("ft232r")), QStringList{path("usb-FTDI_FT232R_USB_UART_A1B2-if00-port0")});
    EXPECT_TRUE(chooser.pathCompleter()->popup()->isVisible());
    EXPECT_TRUE(offeredFor(QStringLiteral("/dev/tt")).contains(QStringLiteral("/dev/tty")));
    // Enter over the open offer, nothing picked from it, maps what is typed.
    typePath(chooser, path("ttyACM"));
    ASSERT_TRUE(chooser.pathCompleter()->popup()->isVisible());
    press(chooser, Qt::Key_Return);
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.chosenPath(), path("ttyACM"));
}

TEST_F(DeviceChooserTest, WhileShownTheTimerListsTheDevicesEverySecond)
{
    offered = {ftdi};
    DeviceChooser chooser(lister(), ini(), 2, Language());
    EXPECT_EQ(chooser.refreshTimer()->interval(), 1000);
    EXPECT_FALSE(chooser.refreshTimer()->isActive());
    chooser.show();
    EXPECT_TRUE(chooser.refreshTimer()->isActive());
    offered = {ftdi, ch340};
    QTRY_COMPARE(chooser.deviceList()->topLevelItemCount(), 2);
    EXPECT_EQ(chosenRow(chooser), path("ttyUSB0").toStdString());
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
        DeviceChooser chooser(lister(), ini(), 1, Language(c.index));
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
