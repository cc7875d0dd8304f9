#include "widgets/devicechooser.h"

#include "i18n/extracaptions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kFirstCom = 1;
constexpr int kLastCom = 10;

int columnOf(DeviceColumn column)
{
    return static_cast<int>(column);
}

QString hex4(std::optional<std::uint16_t> id)
{
    return id ? QStringLiteral("%1").arg(*id, 4, 16, QLatin1Char('0')) : QString();
}

} // namespace

DeviceChooser::DeviceChooser(SerialDeviceLister deviceLister, const QString &settingsIniPath, int currentCom,
                             std::uint8_t languageIndex, QWidget *parent)
    : QDialog(parent), lister(std::move(deviceLister)), iniPath(settingsIniPath),
      presetCom(currentCom >= kFirstCom && currentCom <= kLastCom ? currentCom : kFirstCom)
{
    setObjectName(QStringLiteral("DeviceChooser"));
    const DeviceChooserTexts &texts = deviceChooserTexts(languageIndex);
    setWindowTitle(extraText(texts.title));
    setSizeGripEnabled(true);

    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("DeviceList"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setColumnCount(static_cast<int>(kDeviceColumns));
    QStringList headings;
    for (const char16_t *heading : texts.columns)
        headings << extraText(heading);
    list->setHeaderLabels(headings);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    noDevice = new QLabel(extraText(texts.noDevice), this);
    noDevice->setObjectName(QStringLiteral("NoDeviceLabel"));
    noDevice->setAlignment(Qt::AlignCenter);

    comNumbers = new QComboBox(this);
    comNumbers->setObjectName(QStringLiteral("ComNumberBox"));
    for (int n = kFirstCom; n <= kLastCom; ++n)
        comNumbers->addItem(QStringLiteral("COM%1").arg(n), n);
    comNumbers->setCurrentIndex(presetCom - kFirstCom);
    auto *comLabel = new QLabel(extraText(texts.comLabel), this);
    comLabel->setBuddy(comNumbers);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(extraText(texts.ok));
    buttons->button(QDialogButtonBox::Cancel)->setText(extraText(texts.cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(comLabel);
    bottom->addWidget(comNumbers);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list, 1);
    layout->addWidget(noDevice);
    layout->addLayout(bottom);
    resize(900, 320);

    connect(list, &QTreeWidget::itemSelectionChanged, this, &DeviceChooser::updateOk);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (chosenDevice())
            accept();
    });

    // The timer runs only while the dialog is shown: listing devices costs a
    // walk over /dev/serial/by-id for each of them.
    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("DeviceRefreshTimer"));
    timer->setInterval(kRefreshMs);
    connect(timer, &QTimer::timeout, this, &DeviceChooser::refresh);

    refresh();
}

std::optional<SerialDevice> DeviceChooser::chosenDevice() const
{
    const int row = selectedRow();
    if (row < 0)
        return std::nullopt;
    return rows[static_cast<std::size_t>(row)].device;
}

int DeviceChooser::chosenCom() const
{
    return comNumbers->currentData().toInt();
}

QString DeviceChooser::usbIdText(const SerialDevice &device)
{
    if (!device.vendorId && !device.productId)
        return {};
    return hex4(device.vendorId) + QLatin1Char(':') + hex4(device.productId);
}

void DeviceChooser::refresh()
{
    std::vector<Row> now;
    if (lister) {
        for (SerialDevice &device : lister()) {
            const std::optional<int> com = comNumberOf(device, iniPath);
            now.push_back(Row{std::move(device), com});
        }
    }
    if (listedOnce && now == rows)
        return;

    // The choice follows its device, wherever that lands in the new list. A
    // chosen device that went away leaves no row chosen rather than another
    // one, so OK never maps a device the technician did not pick.
    const int before = selectedRow();
    const QString chosenPath = before >= 0 ? rows[static_cast<std::size_t>(before)].device.path : QString();
    const bool hadChoice = before >= 0;
    rows = std::move(now);
    listedOnce = true;
    showRows();

    int select = -1;
    for (std::size_t i = 0; i < rows.size() && hadChoice; ++i) {
        if (rows[i].device.path == chosenPath)
            select = static_cast<int>(i);
    }
    if (!hadChoice)
        select = defaultRow();
    selectRow(select);
}

void DeviceChooser::showRows()
{
    // Rebuilding clears the selection; the signal would only disable OK for a moment.
    const QSignalBlocker quiet(list);
    list->clear();
    for (const Row &row : rows) {
        const SerialDevice &d = row.device;
        auto *item = new QTreeWidgetItem(list);
        item->setText(columnOf(DeviceColumn::Path), d.path);
        item->setText(columnOf(DeviceColumn::StableName), d.stablePath);
        item->setText(columnOf(DeviceColumn::Description), d.description);
        item->setText(columnOf(DeviceColumn::Manufacturer), d.manufacturer);
        item->setText(columnOf(DeviceColumn::UsbId), usbIdText(d));
        item->setText(columnOf(DeviceColumn::SerialNumber), d.serialNumber);
        item->setText(columnOf(DeviceColumn::Com), row.com ? QStringLiteral("COM%1").arg(*row.com) : QString());
        item->setToolTip(columnOf(DeviceColumn::StableName), d.stablePath);
    }
    noDevice->setVisible(rows.empty());
}

void DeviceChooser::selectRow(int index)
{
    list->clearSelection();
    if (index >= 0 && index < list->topLevelItemCount()) {
        QTreeWidgetItem *item = list->topLevelItem(index);
        list->setCurrentItem(item);
        item->setSelected(true);
    }
    updateOk();
}

int DeviceChooser::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

int DeviceChooser::defaultRow() const
{
    // The device the preset COM number reaches now, else the first one.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].com == presetCom)
            return static_cast<int>(i);
    }
    return rows.empty() ? -1 : 0;
}

void DeviceChooser::updateOk()
{
    buttons->button(QDialogButtonBox::Ok)->setEnabled(selectedRow() >= 0);
}

void DeviceChooser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    refresh();
    timer->start();
}

void DeviceChooser::hideEvent(QHideEvent *event)
{
    timer->stop();
    QDialog::hideEvent(event);
}
