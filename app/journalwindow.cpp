#include "app/journalwindow.h"

#include "i18n/journaltexts.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Each row carries its entry's place in the journal, whatever the filter shows.
constexpr int kEntryRole = Qt::UserRole + 1;

} // namespace

JournalWindow::JournalWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("JournalWindow"));
    filterEdit = new QLineEdit(this);
    filterEdit->setObjectName(QStringLiteral("JournalFilter"));
    filterEdit->setClearButtonEnabled(true);

    model = new QStandardItemModel(0, kColumns, this);
    proxy = new QSortFilterProxyModel(this);
    proxy->setSourceModel(model);
    proxy->setFilterKeyColumn(-1);
    proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    view = new QTableView(this);
    view->setObjectName(QStringLiteral("JournalTable"));
    view->setModel(proxy);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view->horizontalHeader()->setStretchLastSection(true);

    openButton = new QPushButton(this);
    openButton->setObjectName(QStringLiteral("JournalOpen"));
    compareButton = new QPushButton(this);
    compareButton->setObjectName(QStringLiteral("JournalCompare"));
    folderButton = new QPushButton(this);
    folderButton->setObjectName(QStringLiteral("JournalShowFolder"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(openButton);
    buttons->addWidget(compareButton);
    buttons->addStretch();
    buttons->addWidget(folderButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(filterEdit);
    layout->addWidget(view);
    layout->addLayout(buttons);

    connect(filterEdit, &QLineEdit::textChanged, this, [this](const QString &text) {
        proxy->setFilterFixedString(text);
        updateButtons();
    });
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    connect(openButton, &QPushButton::clicked, this, [this] {
        if (const QString path = selectedFile(); !path.isEmpty())
            emit openRequested(path);
    });
    connect(compareButton, &QPushButton::clicked, this, [this] {
        if (const QString path = selectedFile(); !path.isEmpty())
            emit compareRequested(path);
    });
    connect(view, &QTableView::doubleClicked, openButton, &QPushButton::click);
    connect(folderButton, &QPushButton::clicked, this, [this] { emit showFolderRequested(journalFolder); });

    setTexts(journalTexts(Language()));
    resize(640, 420);
}

void JournalWindow::setTexts(const JournalTexts &texts)
{
    captions = &texts;
    setWindowTitle(QString::fromUtf16(texts.title));
    filterEdit->setPlaceholderText(QString::fromUtf16(texts.filter));
    QStringList headers;
    for (const char16_t *column : texts.columns)
        headers << QString::fromUtf16(column);
    model->setHorizontalHeaderLabels(headers);
    openButton->setText(QString::fromUtf16(texts.open));
    compareButton->setText(QString::fromUtf16(texts.compare));
    folderButton->setText(QString::fromUtf16(texts.showFolder));
    // The buttons take their new widths now, not at the next turn of the event loop.
    layout()->activate();
    const int selected = selectedEntry();
    fill();
    select(selected);
}

void JournalWindow::showJournal(const QString &folder)
{
    journalFolder = folder;
    reload();
}

void JournalWindow::reload()
{
    const int selected = selectedEntry();
    const QString selectedFile = selected >= 0 ? entries[std::size_t(selected)].fileName : QString();
    const QDateTime selectedTime = selected >= 0 ? entries[std::size_t(selected)].time : QDateTime();
    entries = journalFolder.isEmpty() ? std::vector<JournalEntry>() : Journal(journalFolder).entries();
    fill();
    // The journal only grows at its end, but it may have been tidied by hand
    // meanwhile: the selection follows the entry, not its row.
    for (std::size_t i = 0; selected >= 0 && i < entries.size(); ++i) {
        if (entries[i].time == selectedTime && entries[i].fileName == selectedFile) {
            select(int(i));
            break;
        }
    }
    updateButtons();
}

void JournalWindow::fill()
{
    model->setRowCount(0);
    // Newest first: the entry just kept heads the list.
    for (std::size_t i = entries.size(); i-- > 0;) {
        const JournalEntry &e = entries[i];
        const QStringList cells{e.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                journalWord(*captions, e.operation),
                                journalWord(*captions, e.result),
                                e.firmware,
                                e.counter,
                                e.differing >= 0 ? QString::number(e.differing) : QString()};
        QList<QStandardItem *> row;
        for (int column = 0; column < kColumns; ++column) {
            auto *item = new QStandardItem(cells[column]);
            item->setData(int(i), kEntryRole);
            if (column == Counter || column == Differing)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            row << item;
        }
        model->appendRow(row);
    }
    updateButtons();
}

int JournalWindow::selectedEntry() const
{
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    const QVariant entry = rows.first().data(kEntryRole);
    return entry.isValid() ? entry.toInt() : -1;
}

void JournalWindow::select(int entry)
{
    if (entry < 0 || entry >= int(entries.size()))
        return;
    // Row r of the model holds the entry size - 1 - r.
    const QModelIndex shown = proxy->mapFromSource(model->index(int(entries.size()) - 1 - entry, 0));
    if (shown.isValid())
        view->selectRow(shown.row());
}

QString JournalWindow::selectedFile() const
{
    const int entry = selectedEntry();
    if (entry < 0 || journalFolder.isEmpty())
        return {};
    return Journal(journalFolder).filePath(entries[std::size_t(entry)]);
}

void JournalWindow::updateButtons()
{
    const bool hasFile = !selectedFile().isEmpty();
    openButton->setEnabled(hasFile);
    compareButton->setEnabled(hasFile);
    // Before the first entry there is no folder for a file manager to show.
    folderButton->setEnabled(!journalFolder.isEmpty() && QFileInfo(journalFolder).isDir());
}
