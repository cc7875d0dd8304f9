// Com → Choose device…: the mapping it writes into the settings file, the port
// it opens, its menu item's texts, and what the "Com opening error" box advises.
#include "support/fake_transport.h"

#include "app/tformhlav.h"
#include "link/serialdevices.h"
#include "session/unitsession.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"
#include "widgets/devicechooser.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// A port that refuses to open with the reason the test gives: every device,
// or only the one named.
class RefusingTransport : public FakeTransport
{
public:
    explicit RefusingTransport(QString why, QString only = {}) : why(std::move(why)), only(std::move(only)) {}
    bool open(const QString &device, QString *reason) override
    {
        if (!only.isEmpty() && device != only)
            return FakeTransport::open(device, reason);
        close();
        events << QStringLiteral("open ") + device;
        if (reason)
            *reason = why;
        return false;
    }

private:
    QString why;
    QString only;
};

// Closes every message box as it appears, keeping the last one's texts.
struct BoxCatcher
{
    QString name, text, informative;
    int seen = 0;
    QTimer timer;
    BoxCatcher()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                ++seen;
                name = box->objectName();
                text = box->text();
                informative = box->informativeText();
                box->done(0);
            }
        });
        timer.start(10);
    }
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class ChooseDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ftdi.path = QStringLiteral("/dev/ttyUSB3");
        ftdi.stablePath = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0");
        ftdi.description = QStringLiteral("FT232R USB UART");
        ftdi.vendorId = 0x0403;
        ftdi.productId = 0x6001;
        acm.path = QStringLiteral("/dev/ttyACM0");
    }
    void TearDown() override { window.reset(); }

    void start(std::unique_ptr<FakeTransport> transport = std::make_unique<FakeTransport>())
    {
        port = transport.get();
        window = std::make_unique<TFormHlav>(std::move(transport));
        window->setDeviceLister([this] { return std::vector<SerialDevice>{ftdi, acm}; });
        window->FormCreate();
    }
    QAction *item(const char *name) const { return window->findChild<QAction *>(QLatin1String(name)); }

    SerialDevice ftdi, acm;
    std::unique_ptr<TFormHlav> window;
    FakeTransport *port = nullptr;
};

// The user's file: comments, the window's own section, other [PORTS] keys
// and a section the tool knows nothing of.
const QByteArray kUserFile = "; bench PC\n"
                             "[FORM_HLAV]\n"
                             "Left=10\n"
                             "ComPort=1\n"
                             "\n"
                             "[PORTS]\n"
                             "; the adapter on the bench\n"
                             "COM1=/dev/ttyUSB0\n"
                             "COM4 = /dev/ttyUSB9   \n"
                             "\n"
                             "[Workshop]\n"
                             "Owner=J. Novák\n";

} // namespace

TEST_F(ChooseDeviceTest, OkWritesOneKeyKeepsEveryOtherByteAndOpensTheNewMapping)
{
    const struct
    {
        const char *what;
        QByteArray file;
        int row;
        int com;
        QByteArray expected;
        QString opened;
    } cases[] = {
        {"a key already there keeps its place and spacing; the by-id name is preferred", kUserFile, 0, 4,
         "; bench PC\n[FORM_HLAV]\nLeft=10\nComPort=1\n\n[PORTS]\n; the adapter on the bench\n"
         "COM1=/dev/ttyUSB0\nCOM4 = /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0   \n\n"
         "[Workshop]\nOwner=J. Novák\n",
         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"},
        {"a new key goes after the section's last key; a device without a by-id name by its path", kUserFile, 1, 2,
         "; bench PC\n[FORM_HLAV]\nLeft=10\nComPort=1\n\n[PORTS]\n; the adapter on the bench\n"
         "COM1=/dev/ttyUSB0\nCOM4 = /dev/ttyUSB9   \nCOM2=/dev/ttyACM0\n\n[Workshop]\nOwner=J. Novák\n",
         "/dev/ttyACM0"},
        {"a file without [PORTS] gets the section at its end, in its own line breaks",
         "[FORM_HLAV]\r\nComPort=1\r\n", 0, 1,
         "[FORM_HLAV]\r\nComPort=1\r\n[PORTS]\r\nCOM1=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0\r\n",
         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeAll(settingspaths::settingsFile(), c.file);
        start();
        ASSERT_EQ(window->session().portNumber(), 1);
        port->events.clear();
        int presetCom = 0;
        window->setDeviceChooserRunner([&](DeviceChooser &chooser) {
            presetCom = chooser.chosenCom();
            chooser.deviceList()->setCurrentItem(chooser.deviceList()->topLevelItem(c.row));
            chooser.comBox()->setCurrentIndex(c.com - 1);
            return true;
        });
        item("MenuChooseDevice")->trigger();

        EXPECT_EQ(presetCom, 1) << "the chooser starts at the window's port";
        const QByteArray written = readAll(settingspaths::settingsFile());
        EXPECT_EQ(written.toStdString(), c.expected.toStdString());
        EXPECT_EQ(port->events.join(", ").toStdString(), ("close, open " + c.opened).toStdString());
        EXPECT_EQ(window->session().portNumber(), c.com);
        for (int n = 1; n <= 10; ++n)
            EXPECT_EQ(item(QStringLiteral("MenuCom%1").arg(n).toLatin1())->isChecked(), n == c.com) << "COM" << n;
        window.reset();
    }
}

TEST_F(ChooseDeviceTest, CancelADeviceThatDoesNotOpenOrAFileThatCannotBeWrittenChangesNothing)
{
    // Over 1 MiB is no settings file: the writer leaves it alone and says why.
    QByteArray huge = kUserFile;
    huge.append(QByteArray(1024 * 1024, ';'));
    const QByteArray kept = "; bench PC\n[FORM_HLAV]\nLeft=10\nComPort=1\n\n[PORTS]\n; the adapter on the bench\n"
                            "COM1=/dev/ttyUSB0\nCOM4 = /dev/ttyACM0   \n\n[Workshop]\nOwner=J. Novák\n";
    const struct
    {
        const char *what;
        QByteArray file;
        bool accept;
        const char *refusal; // the chosen device's, none: it opens
        const char *boxName;
        QStringList events;
        QByteArray expected; // empty: the file as it was
        int com;
    } cases[] = {
        {"cancelled", kUserFile, false, nullptr, "", {}, {}, 1},
        {"file too large to be a settings file", huge, true, nullptr, "PortMappingErrorBox",
         {"close", "open /dev/ttyACM0", "close", "open /dev/ttyUSB0"}, {}, 1},
        // Not kept: it would be refused at every start. COM1 is open again.
        {"nothing at that name", kUserFile, true, "No such file or directory", "ComOpeningErrorBox",
         {"close", "open /dev/ttyACM0", "open /dev/ttyUSB0"}, {}, 1},
        // Kept: the box says how to get the right, and then it opens.
        {"the user may not open it yet", kUserFile, true, "Permission denied", "ComOpeningErrorBox",
         {"close", "open /dev/ttyACM0"}, kept, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        writeAll(settingspaths::settingsFile(), c.file);
        if (c.refusal)
            start(std::make_unique<RefusingTransport>(QLatin1String(c.refusal), QStringLiteral("/dev/ttyACM0")));
        else
            start();
        port->events.clear();
        window->setDeviceChooserRunner([&](DeviceChooser &chooser) {
            chooser.deviceList()->setCurrentItem(chooser.deviceList()->topLevelItem(1));
            chooser.comBox()->setCurrentIndex(3);
            return c.accept;
        });
        BoxCatcher boxes;
        item("MenuChooseDevice")->trigger();

        EXPECT_EQ(boxes.name, QLatin1String(c.boxName));
        EXPECT_LE(boxes.seen, 1);
        if (c.refusal) {
            EXPECT_TRUE(boxes.informative.startsWith(QStringLiteral("/dev/ttyACM0: ") + QLatin1String(c.refusal)))
                << boxes.informative.toStdString();
        } else if (boxes.seen) {
            EXPECT_TRUE(boxes.text.contains(settingspaths::settingsFile())) << boxes.text.toStdString();
        }
        const QByteArray expected = c.expected.isEmpty() ? c.file : c.expected;
        EXPECT_TRUE(readAll(settingspaths::settingsFile()) == expected) << readAll(settingspaths::settingsFile()).left(300).toStdString();
        EXPECT_EQ(port->events.join(", ").toStdString(), c.events.join(", ").toStdString());
        EXPECT_EQ(window->session().portNumber(), c.com);
        EXPECT_TRUE(item(QStringLiteral("MenuCom%1").arg(c.com).toLatin1())->isChecked());
        window.reset();
    }
}

TEST_F(ChooseDeviceTest, TheMenuItemSpeaksTheLanguageChosen)
{
    start();
    const struct
    {
        void (TFormHlav::*pick)();
        const char *caption;
        const char *statusTip;
    } languages[] = {
        {&TFormHlav::MenuGermanClick, "Gerät wählen…", "Einer COM-Nummer ein angeschlossenes serielles Gerät zuordnen"},
        {&TFormHlav::MenuCzechClick, "Vybrat zařízení…", "Přiřadit číslu COM připojené sériové zařízení"},
        {&TFormHlav::MenuEnglishClick, "Choose device…", "Map a COM number to a serial device plugged in"},
    };
    for (const auto &l : languages) {
        (window.get()->*l.pick)();
        EXPECT_EQ(item("MenuChooseDevice")->text(), QString::fromUtf8(l.caption));
        EXPECT_EQ(item("MenuChooseDevice")->statusTip(), QString::fromUtf8(l.statusTip));
    }
    // It sits below the COM items, after a separator.
    const QList<QAction *> com = window->findChild<QMenu *>("MenuCom")->actions();
    ASSERT_GE(com.size(), 2);
    EXPECT_EQ(com.last(), item("MenuChooseDevice"));
    EXPECT_TRUE(com[com.size() - 2]->isSeparator());
}

TEST_F(ChooseDeviceTest, TheComOpeningErrorSaysWhatToDoAboutTheReason)
{
    // A device this user may open that still says "permission" is held by
    // another program; a device file of our own stands for one.
    const QString held = QDir(QDir::tempPath()).filePath(QStringLiteral("torvo-held-device-%1").arg(QCoreApplication::applicationPid()));
    writeAll(held, "");
    const struct
    {
        QString device;
        const char *reason;
        const char *language;
        const char *advice;
        const char *notAdvice;
    } cases[] = {
        {"/dev/ttyUSB7", "Permission denied", "0", "sudo usermod -aG dialout $USER", "Choose device"},
        {"/dev/ttyUSB7", "Permission error while locking the device", "0", "group dialout", "Choose device"},
        {held, "Permission error while locking the device", "0", "in use by another program", "dialout"},
        {held, "Device or resource busy", "0", "in use by another program", "dialout"},
        {"/dev/ttyUSB7", "No such file or directory", "0",
         "Plug the adapter in, or choose its device in Com → Choose device…", "dialout"},
        {"/dev/ttyUSB7", "The device is not known", "0", "Com → Choose device…", "dialout"},
        // In the window's language, naming the menu item as its menus do.
        {"/dev/ttyUSB7", "No such file or directory", "1", "Gerät unter ComPort → Gerät wählen…", "dialout"},
        {"/dev/ttyUSB7", "Permission denied", "3", "Přidejte ho do skupiny dialout", "Vybrat"},
        {held, "Device or resource busy", "1", "von einem anderen Programm benutzt", "dialout"},
        {held, "Device or resource busy", "3", "používá jiný program", "dialout"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        writeAll(settingspaths::settingsFile(),
                 QByteArray("[FORM_HLAV]\nLanguage=") + c.language + "\n[PORTS]\nCOM1=" + c.device.toUtf8() + "\n");
        BoxCatcher boxes;
        start(std::make_unique<RefusingTransport>(QString::fromUtf8(c.reason)));
        EXPECT_EQ(boxes.seen, 1);
        EXPECT_EQ(boxes.text, "Com opening error");
        const std::string informative = boxes.informative.toStdString();
        EXPECT_TRUE(boxes.informative.startsWith(c.device + ": " + QString::fromUtf8(c.reason))) << informative;
        EXPECT_TRUE(boxes.informative.contains(QString::fromUtf8(c.advice))) << informative;
        EXPECT_FALSE(boxes.informative.contains(QString::fromUtf8(c.notAdvice))) << informative;
        EXPECT_FALSE(boxes.informative.contains(QStringLiteral("…."))) << informative;
        window.reset();
    }
    QFile::remove(held);
}

// A hand-edited file with COM1 given twice: every reader of [PORTS] takes the
// first, and the chooser's OK rewrites that same line, the second kept.
TEST(PortsGivenTwice, EveryReaderTakesTheFirstAndAMappingRewritesIt)
{
    const QString ini = settingspaths::settingsFile();
    writeAll(ini, "[PORTS]\nCOM1 = /dev/ttyUSB0\n; an older adapter\ncom1=/dev/ttyACM0\n");
    const std::function<QString()> readers[] = {
        [&] { return readPortsSection(ini).value(1); },
        [&] {
            UnitSession session(std::make_unique<FakeTransport>());
            session.setPortsFile(ini);
            return session.deviceName();
        },
        [&] { return DeviceChooser(nullptr, ini, 1, Language()).pathEdit()->text(); },
        [&] {
            // The command line's "ports": the listed device that is COM1.
            const QStringList ports = readPortsSection(ini).values;
            for (const char *path : {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/pts/4"}) {
                SerialDevice listed;
                listed.path = QString::fromLatin1(path);
                if (comNumberOf(listed, ports) == 1)
                    return listed.path;
            }
            return QString();
        },
    };
    for (const char *device : {"/dev/ttyUSB0", "/dev/pts/4"}) {
        for (std::size_t i = 0; i < std::size(readers); ++i)
            EXPECT_EQ(readers[i]().toStdString(), device) << "reader " << i;
        ASSERT_TRUE(writePortMapping(ini, 1, QStringLiteral("/dev/pts/4")));
    }
    EXPECT_EQ(readAll(ini).toStdString(), "[PORTS]\nCOM1 = /dev/pts/4\n; an older adapter\ncom1=/dev/ttyACM0\n");
}
