// The journal: Tools -> Read before programming, which the session honours
// at every Program, and Tools -> Journal…, the list of every set kept, whose
// entries open and compare as files do. Why an entry could not be kept shows
// in the status bar.
#include "app/tformhlav.h"

#include "app/handlerguard.h"
#include "app/journalwindow.h"
#include "i18n/journaltexts.h"
#include "session/journal.h"
#include "ui_tformhlav.h"

#include <QAction>
#include <QDesktopServices>
#include <QStatusBar>
#include <QUrl>

namespace {

constexpr char kJournalSection[] = "JOURNAL";

} // namespace

void TFormHlav::bindJournal()
{
    connect(ui->MenuJournal, &QAction::triggered, this, guarded([this] { MenuJournalClick(); }));
    connect(ui->MenuReadBeforeProgramming, &QAction::toggled, this,
            [this](bool on) { unit.setReadBeforeProgramming(on); });
    connect(&unit, &UnitSession::journalProblem, this,
            [this](const QString &reason) { ui->StatusBar1->showMessage(reason); });
    connect(&unit, &UnitSession::journalKept, this, [this] {
        if (journalWindow)
            journalWindow->reload();
    });
}

JournalWindow *TFormHlav::ensureJournalWindow()
{
    if (journalWindow)
        return journalWindow;
    journalWindow = new JournalWindow(this);
    journalWindow->setTexts(journalTexts(unit.language()));
    restoreWindowPlace(journalWindow, kJournalSection);
    shareUndoKeys(journalWindow); // an Open taken back where it was made
    connect(journalWindow, &JournalWindow::openRequested, this, guarded([this](const QString &path) {
                openIgnFile(path);
                unit.status().hideStatus();
            }));
    connect(journalWindow, &JournalWindow::compareRequested, this,
            guarded([this](const QString &path) { compareWithFile(path); }));
    connect(journalWindow, &JournalWindow::showFolderRequested, this, guarded([this](const QString &folder) {
                const QUrl url = QUrl::fromLocalFile(folder);
                if (documentOpener)
                    documentOpener(url);
                else
                    QDesktopServices::openUrl(url);
            }));
    return journalWindow;
}

void TFormHlav::MenuJournalClick()
{
    JournalWindow *window = ensureJournalWindow();
    window->showJournal(unit.journalFolder());
    window->show();
    window->raise();
    window->activateWindow();
}

void TFormHlav::saveJournalPlace()
{
    if (journalWindow)
        saveWindowPlace(journalWindow, kJournalSection);
}
