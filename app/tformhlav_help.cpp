// Help: the manual of the current language, opened the platform's way.
#include "app/tformhlav.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString TFormHlav::manualFileName(std::uint8_t languageIndex)
{
    switch (languageIndex) {
    case language::kEnglish:
        return QStringLiteral("manual_en.html");
    case language::kGerman:
        return QStringLiteral("manual_de.html");
    case language::kCzech:
        return QStringLiteral("manual_cs.html");
    default:
        return {}; // the French index has no manual
    }
}

QStringList TFormHlav::defaultManualFolders()
{
    // Beside the program in the build folder, and where an installation puts them.
    const QDir bin(QCoreApplication::applicationDirPath());
    return {bin.filePath(QStringLiteral("manual")),
            QDir::cleanPath(bin.filePath(QStringLiteral("../share/doc/torvo-tci/manual")))};
}

void TFormHlav::MenuContensClick()
{
    const QString name = manualFileName(unit.language().index());
    if (name.isEmpty())
        return;
    const QStringList folders = manualFolders.isEmpty() ? defaultManualFolders() : manualFolders;
    for (const QString &folder : folders) {
        const QFileInfo manual(QDir(folder).filePath(name));
        if (!manual.isFile())
            continue;
        const QUrl url = QUrl::fromLocalFile(manual.absoluteFilePath());
        // Whether a viewer started is not looked at: a missing viewer simply shows nothing.
        if (documentOpener)
            documentOpener(url);
        else
            QDesktopServices::openUrl(url);
        return;
    }
    // No manual installed: nothing happens, as with a viewer that does not start.
}
