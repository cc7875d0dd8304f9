#include "session/journal.h"

#include "link/unitidentity.h"
#include "settings/settingspaths.h"

#include <QDir>

// Bodies still to come; the declarations are what the window builds on.

Journal::Journal(QString folder) : folder_(std::move(folder)) {}

QString Journal::defaultFolder()
{
    return QDir(settingspaths::settingsFolder()).filePath(QStringLiteral("journal"));
}

QString Journal::indexPath() const
{
    return QDir(folder_).filePath(QLatin1String(kIndexName));
}

std::vector<JournalEntry> Journal::entries() const
{
    return {};
}

QString Journal::filePath(const JournalEntry &entry) const
{
    return entry.fileName.isEmpty() ? QString() : QDir(folder_).filePath(entry.fileName);
}

std::optional<JournalEntry> Journal::keep(JournalEntry entry, const ParameterImage *set, QString *reason)
{
    Q_UNUSED(entry);
    Q_UNUSED(set);
    if (reason)
        *reason = QStringLiteral("not written yet");
    return std::nullopt;
}

QString journalFirmware(const IdentityTexts &texts)
{
    QStringList parts;
    for (const QString &part : {texts.versionText, texts.dateText, texts.timeText})
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    return parts.join(QLatin1Char(' '));
}
