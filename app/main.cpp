#include "app/handlerguard.h"
#include "app/shownprobe.h"
#include "app/tformhlav.h"
#include "i18n/extracaptions.h"
#include "i18n/language.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"
#include "widgets/tformabout.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstring>

namespace {

// A first argument --help, -h or --version is answered on standard output
// before any application object exists, so it needs no display. The help
// speaks the language the window was last closed in. Returns false for any
// other first argument: that one belongs to the window.
bool answerCommandLine(int argc, char **argv)
{
    if (argc < 2)
        return false;
    const char *first = argv[1];
    if (std::strcmp(first, "--version") == 0) {
        std::printf("torvo-tci %s\n", TORVO_VERSION);
        return true;
    }
    if (std::strcmp(first, "--help") != 0 && std::strcmp(first, "-h") != 0)
        return false;
    const QString settings = settingspaths::settingsFile();
    const std::uint8_t language = readSettings(settings, StoredSettings{}).language;
    const QString help = QString::fromUtf16(commandLineHelp(Language(language))).arg(QDir::toNativeSeparators(settings));
    std::fputs(help.toLocal8Bit().constData(), stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (answerCommandLine(argc, argv))
        return 0;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Torvo_TCI"));
    try {
        TFormHlav FormHlav;
        FormHlav.setCommandLine(QCoreApplication::arguments().mid(1));
        try {
            FormHlav.FormCreate();
        } catch (const std::exception &error) {
            showException(error);
        }
        TFormAbout FormAbout(&FormHlav);
        FormHlav.setAboutWindow(&FormAbout);
        ShownProbe::watch(&FormHlav);
        FormHlav.show();
        application.exec();
    } catch (const std::exception &error) {
        showException(error);
    }
    // The program ends with exit code 0 however the main window was closed.
    return 0;
}
