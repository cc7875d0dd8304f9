#pragma once

#include "session/journal.h"

#include <QString>
#include <QWidget>

#include <vector>

class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
struct JournalTexts;

// The journal's entries, newest first, in a non-modal window: a text filter
// over every column (firmware, date, operation, ...), and Open, Compare and
// Show folder for the selected entry. The window reads the journal's folder;
// the owner says when an entry was kept and carries out the buttons' requests.
class JournalWindow : public QWidget
{
    Q_OBJECT

public:
    enum Column { Time, Operation, Result, Firmware, Counter, Differing, kColumns };

    explicit JournalWindow(QWidget *parent = nullptr);

    void setTexts(const JournalTexts &texts);
    // Lists the journal kept in folder, and from now on reads it there.
    void showJournal(const QString &folder);
    // Reads the journal again (an entry was kept); the selected entry stays selected.
    void reload();
    QString folder() const { return journalFolder; }

    // The selected entry's set file; empty when nothing is selected or the entry has none.
    QString selectedFile() const;
    QTableView *table() const { return view; }
    QLineEdit *filter() const { return filterEdit; }

signals:
    void openRequested(const QString &path);
    void compareRequested(const QString &path);
    void showFolderRequested(const QString &folder);

private:
    void fill();
    void updateButtons();
    // The selected entry's place in `entries`, or -1.
    int selectedEntry() const;
    void select(int entry);

    QString journalFolder;
    std::vector<JournalEntry> entries; // oldest first, as the journal holds them
    const JournalTexts *captions = nullptr;
    QLineEdit *filterEdit = nullptr;
    QTableView *view = nullptr;
    QStandardItemModel *model = nullptr;
    QSortFilterProxyModel *proxy = nullptr;
    QPushButton *openButton = nullptr;
    QPushButton *compareButton = nullptr;
    QPushButton *folderButton = nullptr;
};
