// The File menu's recent parameter files and parameter files dropped on the
// window: both open a file as F3's Open does.
#include "app/tformhlav.h"

#include "app/handlerguard.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"
#include "ui_tformhlav.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <cstdio>

namespace {

// The one local .ign file a drop carries, or an empty path: several files,
// remote URLs and other files are not parameter files to open.
QString droppedIgnFile(const QMimeData *mime)
{
    if (mime == nullptr || !mime->hasUrls())
        return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    if (QFileInfo(path).suffix().compare(QLatin1String("ign"), Qt::CaseInsensitive) != 0)
        return {};
    return path;
}

} // namespace

void TFormHlav::bindRecentFiles()
{
    // The items sit above Exit, with a separator of their own between them
    // and Exit; hidden while the list is empty.
    recentSeparator = new QAction(this);
    recentSeparator->setSeparator(true);
    QList<QAction *> items;
    for (int i = 0; i < int(recentActions.size()); ++i) {
        QAction *action = new QAction(this);
        action->setObjectName(QStringLiteral("MenuRecent%1").arg(i + 1));
        action->setVisible(false);
        connect(action, &QAction::triggered, this, guarded([this, i] { MenuRecentClick(i); }));
        recentActions[std::size_t(i)] = action;
        items.append(action);
    }
    items.append(recentSeparator);
    ui->MenuFile->insertActions(ui->MenuExit, items);
    recentSeparator->setVisible(false);
    setAcceptDrops(true);
}

void TFormHlav::loadRecentFiles()
{
    recentFiles = readRecentFiles(settingspaths::settingsFile());
    showRecentFiles();
}

void TFormHlav::showRecentFiles()
{
    for (int i = 0; i < int(recentActions.size()); ++i) {
        QAction *action = recentActions[std::size_t(i)];
        const QString file = recentFiles.value(i);
        // "&1 C:\path\file.ign": the number is the item's accelerator; an
        // ampersand in the path is doubled so it shows as itself.
        QString shown = QDir::toNativeSeparators(file);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        action->setStatusTip(QDir::toNativeSeparators(file));
        action->setVisible(!file.isEmpty());
    }
    recentSeparator->setVisible(!recentFiles.isEmpty());
}

namespace {

void storeRecentFiles(const QStringList &recent)
{
    QString reason;
    if (!writeRecentFiles(settingspaths::settingsFile(), recent, &reason))
        std::fprintf(stderr, "Torvo_TCI: recent files not saved: %s\n", qPrintable(reason));
}

} // namespace

void TFormHlav::noteRecentFile(const QString &path)
{
    const QStringList updated = withRecentFile(recentFiles, path);
    if (updated == recentFiles)
        return;
    recentFiles = updated;
    showRecentFiles();
    storeRecentFiles(recentFiles);
}

void TFormHlav::forgetRecentFile(const QString &path)
{
    if (!recentFiles.removeAll(path))
        return;
    showRecentFiles();
    storeRecentFiles(recentFiles);
}

void TFormHlav::MenuRecentClick(int index)
{
    const QString path = recentFiles.value(index);
    if (path.isEmpty())
        return;
    // A file gone since (deleted, renamed, a stick pulled) gets Open's error
    // box and leaves the list; one that is there but unreadable or of another
    // version stays, as the technician may still mend it.
    if (!openIgnFile(path) && !QFileInfo::exists(path))
        forgetRecentFile(path);
    unit.status().hideStatus();
}

void TFormHlav::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedIgnFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TFormHlav::dropEvent(QDropEvent *event)
{
    const QString path = droppedIgnFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: a message box shown within the drop would
    // hold the file manager the file came from until it is answered.
    QMetaObject::invokeMethod(this, guarded([this, path] {
                                  openIgnFile(path);
                                  unit.status().hideStatus();
                              }),
                              Qt::QueuedConnection);
}
