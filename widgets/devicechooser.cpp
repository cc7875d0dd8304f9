#include "widgets/devicechooser.h"

#include "i18n/extracaptions.h"
#include "link/portnames.h"
#include "settings/settingsfile.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
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
                             Language language, QWidget *parent)
    : QDialog(parent), lister(std::move(deviceLister)), iniPath(settingsIniPath),
      presetCom(currentCom >= kFirstCom && currentCom <= kLastCom ? currentCom : kFirstCom)
{
    setObjectName(QStringLiteral("DeviceChooser"));
    const DeviceChooserTexts &texts = deviceChooserTexts(language);
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

    // A name is offered when it contains what is typed, in any case: "usb"
    // finds /dev/ttyUSB0 and the by-id names alike.
    names = new QStringListModel(this);
    completer = new QCompleter(names, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    path = new QLineEdit(this);
    path->setObjectName(QStringLiteral("DevicePathEdit"));
    path->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    path->setCompleter(completer);
    completer->popup()->installEventFilter(this);
    auto *pathLabel = new QLabel(extraText(texts.pathLabel), this);
    pathLabel->setBuddy(path);

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
    // Enter in the path field maps what it holds.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(pathLabel);
    pathRow->addWidget(path, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(comLabel);
    bottom->addWidget(comNumbers);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list, 1);
    layout->addWidget(noDevice);
    layout->addLayout(pathRow);
    layout->addLayout(bottom);
    resize(900, 320);

    connect(list, &QTreeWidget::itemSelectionChanged, this, &DeviceChooser::rowPicked);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (!chosenPath().isEmpty())
            accept();
    });
    connect(path, &QLineEdit::textChanged, this, &DeviceChooser::pathChanged);

    // The timer runs only while the dialog is shown: listing devices costs a
    // walk over /dev/serial/by-id for each of them.
    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("DeviceRefreshTimer"));
    timer->setInterval(kRefreshMs);
    connect(timer, &QTimer::timeout, this, &DeviceChooser::refresh);

    refresh();
    // The dialog opens ready for a path to be typed over the proposed one.
    path->setFocus();
    path->selectAll();
}

QString DeviceChooser::chosenPath() const
{
    return typedDeviceName(path->text());
}

std::optional<SerialDevice> DeviceChooser::chosenDevice() const
{
    const int row = rowOfPath();
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
    // [PORTS] as it is now: the technician may have edited it meanwhile.
    const PortsSection ports = readPortsSection(iniPath);
    std::vector<Row> now;
    if (lister) {
        for (SerialDevice &device : lister()) {
            const std::optional<int> com = comNumberOf(device, ports.values);
            const QString resolved = resolvedDevicePath(device.path);
            now.push_back(Row{std::move(device), com, resolved});
        }
    }
    const bool changed = !listedOnce || now != rows;
    if (changed) {
        rows = std::move(now);
        listedOnce = true;
        showRows();
    }
    offerNames();
    if (!changed)
        return;

    // Until the technician touches the field it proposes what the preset COM
    // number stands for now, by the name [PORTS] gives it, so that OK alone
    // changes nothing; for a number [PORTS] does not map, the listed device
    // it reaches, else the first one, once there is one. From then on the
    // listing only shows which row the field names: a device that went away
    // leaves no row chosen and the field as it was, so OK never maps a device
    // the technician did not pick.
    if (!pathTouched && path->text().isEmpty()) {
        QString proposal = mappedDevice(ports.value(presetCom));
        const int row = defaultRow();
        if (proposal.isEmpty() && row >= 0)
            proposal = rows[static_cast<std::size_t>(row)].device.preferredPath();
        fillPath(proposal);
    }
    selectRow(rowOfPath());
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
    // Only a row the technician picks fills the field.
    const QSignalBlocker quiet(list);
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

int DeviceChooser::rowOfPath() const
{
    const QString named = chosenPath();
    if (named.isEmpty())
        return -1;
    const QString resolved = resolvedDevicePath(named);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].device.path == named || rows[i].device.stablePath == named || rows[i].resolved == resolved)
            return static_cast<int>(i);
    }
    return -1;
}

void DeviceChooser::rowPicked()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    pathTouched = true;
    fillPath(rows[static_cast<std::size_t>(row)].device.preferredPath());
    updateOk();
}

void DeviceChooser::pathChanged()
{
    if (fillingPath)
        return;
    pathTouched = true;
    selectRow(rowOfPath());
}

void DeviceChooser::fillPath(const QString &text)
{
    fillingPath = true;
    path->setText(text);
    fillingPath = false;
}

void DeviceChooser::offerNames()
{
    // The names change rarely; the list the completer shows is replaced only
    // when they did, and not while it is open under the technician's typing.
    QStringList offered = deviceFileNames();
    for (const Row &row : rows)
        offered << row.device.path << row.device.stablePath;
    offered.removeAll(QString());
    offered.sort();
    offered.removeDuplicates();
    if (offered != names->stringList() && !completer->popup()->isVisible())
        names->setStringList(offered);
}

void DeviceChooser::updateOk()
{
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!chosenPath().isEmpty());
}

bool DeviceChooser::eventFilter(QObject *watched, QEvent *event)
{
    // Enter while names are offered but none is picked from them maps what
    // is typed, as it does without the offer; the offer alone would only close.
    if (watched == completer->popup() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !completer->popup()->currentIndex().isValid()) {
            completer->popup()->hide();
            if (buttons->button(QDialogButtonBox::Ok)->isEnabled())
                accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
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
