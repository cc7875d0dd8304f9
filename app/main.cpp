#include "app/handlerguard.h"
#include "app/shownprobe.h"
#include "app/tformhlav.h"
#include "widgets/tformabout.h"

#include <QApplication>

int main(int argc, char **argv)
{
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
