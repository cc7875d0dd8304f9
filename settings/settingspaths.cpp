#include "settings/settingspaths.h"

#include <QDir>
#include <QStandardPaths>

namespace settingspaths {

QString settingsFolder()
{
#ifdef Q_OS_WIN
    const QString windows = qEnvironmentVariable("WINDIR", QStringLiteral("C:\\Windows"));
    return QDir::fromNativeSeparators(windows);
#else
    const QString home = qEnvironmentVariable("TORVO_TCI_HOME");
    if (!home.isEmpty())
        return home;
    return QDir::homePath() + QStringLiteral("/.config/Torvo_TCI");
#endif
}

QString settingsFile()
{
    return settingsFolder() + QLatin1Char('/') + QLatin1String(kSettingsFileName);
}

QString imageFile()
{
    return settingsFolder() + QStringLiteral("/_") + QLatin1String(kSettingsFileName);
}

QString testModeMarker()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/test_varnek.txt");
#else
    return settingsFolder() + QStringLiteral("/test_varnek.txt");
#endif
}

} // namespace settingspaths
