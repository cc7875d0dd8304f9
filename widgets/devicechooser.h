#pragma once

#include "i18n/language.h"
#include "link/serialdevices.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QComboBox;
class QCompleter;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QStringListModel;
class QTimer;
class QTreeWidget;

// Lets the technician pick the serial device a COM number stands for: one row
// per device the system offers (path, stable by-id name, description, maker,
// USB vendor:product id, serial number, and the COM number that reaches it
// now), a path field, and the COM number to map. Picking a row puts its
// device's name into the field; any other path (a pseudo-terminal, a link, an
// adapter the system does not list) can be typed there, with the names under
// /dev offered as it is typed. The field is what OK maps, and the row of the
// device it names is the one shown chosen. While shown it lists the devices
// again every second, so an adapter plugged in appears without reopening; the
// listing never changes what the field holds.
class DeviceChooser : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 1000;

    // lister gives the devices (tests give made-up ones); settingsIniPath is
    // the file whose [PORTS] section says which COM number reaches a device;
    // currentCom (1..10, else COM1) presets the COM number, and the field the
    // device [PORTS] maps it to, else the listed device it reaches, else the
    // first listed one. Texts are in the language given.
    DeviceChooser(SerialDeviceLister lister, const QString &settingsIniPath, int currentCom,
                  Language language, QWidget *parent = nullptr);

    // The device OK maps: the field's path as a [PORTS] value is read (a bare
    // name lies under /dev); empty when the field names no device.
    QString chosenPath() const;
    // The listed device the field names, through links too; nothing when the
    // list holds none.
    std::optional<SerialDevice> chosenDevice() const;
    // The COM number to map, 1..10.
    int chosenCom() const;

    QTreeWidget *deviceList() const { return list; }
    QComboBox *comBox() const { return comNumbers; }
    QLabel *emptyNote() const { return noDevice; }
    QLineEdit *pathEdit() const { return path; }
    QCompleter *pathCompleter() const { return completer; }
    QTimer *refreshTimer() const { return timer; }

    // "0403:6001" as lsusb writes it; a missing half stays empty, and a
    // device without either gives an empty text.
    static QString usbIdText(const SerialDevice &device);

public slots:
    // Lists the devices again; the rows change only when the list did.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    struct Row
    {
        SerialDevice device;
        std::optional<int> com;
        QString resolved; // the device its path finally names
        friend bool operator==(const Row &, const Row &) = default;
    };

    void showRows();
    void selectRow(int index);
    int selectedRow() const;
    int defaultRow() const;
    int rowOfPath() const;
    void rowPicked();
    void pathChanged();
    void fillPath(const QString &text);
    void offerNames();
    void updateOk();

    SerialDeviceLister lister;
    QString iniPath;
    int presetCom;
    std::vector<Row> rows;
    bool listedOnce = false;
    // The technician has typed into the field or picked a row: from then on
    // only they change the field.
    bool pathTouched = false;
    bool fillingPath = false;

    QTreeWidget *list = nullptr;
    QComboBox *comNumbers = nullptr;
    QLabel *noDevice = nullptr;
    QLineEdit *path = nullptr;
    QCompleter *completer = nullptr;
    QStringListModel *names = nullptr;
    QDialogButtonBox *buttons = nullptr;
    QTimer *timer = nullptr;
};
