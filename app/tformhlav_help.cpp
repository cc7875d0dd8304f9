// Help: the manual of the current language, opened the platform's way; a
// manual that cannot be opened is reported with the message table's help error.
#include "app/tformhlav.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

QStringList TFormHlav::defaultManualFolders()
{
    // Beside the program in the build folder, and where an installation puts them.
    const QDir bin(QCoreApplication::applicationDirPath());
    return {bin.filePath(QStringLiteral("manual")),
            QDir::cleanPath(bin.filePath(QStringLiteral("../share/doc/torvo-tci/manual")))};
}

void TFormHlav::MenuContensClick()
{
    const QString name = unit.language().manualFileName();
    if (name.isEmpty())
        return;
    const QStringList folders = manualFolders.isEmpty() ? defaultManualFolders() : manualFolders;
    for (const QString &folder : folders) {
        const QFileInfo manual(QDir(folder).filePath(name));
        if (!manual.isFile())
            continue;
        const QUrl url = QUrl::fromLocalFile(manual.absoluteFilePath());
        const bool opened = documentOpener ? documentOpener(url) : QDesktopServices::openUrl(url);
        if (!opened)
            showHelpFileError(manual.absoluteFilePath());
        return;
    }
    // No manual installed: the box names the file where it belongs.
    showHelpFileError(folders.isEmpty() ? name : QDir(folders.first()).filePath(name));
}

void TFormHlav::showHelpFileError(const QString &manual)
{
    // The message table's help error, naming the manual that was tried rather
    // than the table's own help file name, which is not what F1 opens.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    unit.language().messages().helpFileOpenError(QDir::toNativeSeparators(manual)),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("HelpFileOpenErrorBox"));
    box.exec();
}
