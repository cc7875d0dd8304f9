// What the window keeps between runs: the settings file, the parameter image
// file and the test-mode marker, read once at start and written once at close.
#include "app/tformhlav.h"

#include "settings/imagefile.h"
#include "settings/settingsfile.h"
#include "settings/settingspaths.h"
#include "settings/testmodemarker.h"
#include "ui_tformhlav.h"
#include "widgets/screenplace.h"


#include <cstdio>

namespace {

// A file that is there but cannot be read (a FIFO, a device, no permission)
// leaves the defaults in place without a box at start; one line on the
// terminal says which file was passed over and why.
void reportUnread(const QString &problem)
{
    if (!problem.isEmpty())
        std::fprintf(stderr, "Torvo_TCI: not read: %s\n", qPrintable(problem));
}

} // namespace

void TFormHlav::loadSettings()
{
    // Every value missing or unusable keeps what start-up has put there.
    const QRect outer = outerGeometry();
    StoredSettings defaults;
    defaults.left = outer.left();
    defaults.top = outer.top();
    defaults.height = outer.height();
    defaults.width = outer.width();
    defaults.comPort = unit.portNumber();
    defaults.language = unit.language().index();
    defaults.ignAll = unit.document().all();
    QString problem;
    const StoredSettings stored = readSettings(settingspaths::settingsFile(), defaults, &problem);
    reportUnread(problem);
    loadRecentFiles();

    QRect bounds = screenplace::storedPlace(stored.left, stored.top, stored.width, stored.height);
    // Without a place in the file the window stays where start-up centred it.
    if (bounds != outer) {
        // A place left on a monitor that has since been unplugged would open
        // the window where nobody can reach it: it comes back centred on the
        // primary screen, at its stored size.
        if (!screenplace::onAnyScreen(bounds))
            bounds.moveTopLeft(screenplace::centred(bounds.size()));
        // One stored at another scale factor keeps its whole title bar on a
        // screen, so that the window can still be taken and moved.
        bounds = screenplace::withTitleBarOnScreen(bounds);
    }
    setOuterGeometry(bounds);
    unit.setPortNumber(stored.comPort);
    unit.language().setIndex(stored.language);
    setDialogFileNames(stored.iniDir, stored.iniDir);
    unit.document().setAll(stored.ignAll);
    // The session follows the item's toggle.
    ui->MenuReadBeforeProgramming->setChecked(stored.readBeforeProgramming);

    problem.clear();
    ParameterImage image = unit.image();
    readImageFile(imageFilePath, image, &problem);
    reportUnread(problem);
    // The set of the last run with its file label and remembered file; the
    // history starts empty.
    unit.document().restore(image, stored.file, stored.iniDir);
}

void TFormHlav::saveSettings()
{
    const QRect outer = outerGeometry();
    StoredSettings values;
    values.left = outer.left();
    values.top = outer.top();
    values.height = outer.height();
    values.width = outer.width();
    values.comPort = unit.portNumber();
    values.language = unit.language().index();
    values.file = unit.document().fileName();
    values.iniDir = unit.document().rememberedFile();
    values.ignAll = unit.document().all();
    values.readBeforeProgramming = unit.readBeforeProgramming();

    // No message box at close; but a technician whose settings never stick
    // deserves one line on the terminal saying why.
    QString reason;
    bool saved = writeSettings(settingspaths::settingsFile(), values, &reason);
    // The image is written even when the settings were not.
    QString imageReason;
    if (!writeImageFile(imageFilePath, unit.image(), &imageReason)) {
        if (saved)
            reason = imageReason;
        saved = false;
    }
    if (!saved)
        std::fprintf(stderr, "Torvo_TCI: settings not saved: %s\n", qPrintable(reason));
}

void TFormHlav::readTestModeMarker()
{
    QString problem;
    testMode = ::readTestModeMarker(settingspaths::testModeMarker(), &problem);
    reportUnread(problem);
}

void TFormHlav::restoreWindowPlace(QWidget *window, const char *section)
{
    const QRect stored = readWindowPlace(settingspaths::settingsFile(), section, QRect());
    // A place left on a monitor unplugged since would hide the window. The
    // place kept is the inner one: the frame and title bar lie around it.
    if (stored.width() > 0 && stored.height() > 0 && screenplace::onAnyScreen(stored)) {
        const QMargins frame(screenplace::kFrameWidth / 2, screenplace::kTitleBarHeight, screenplace::kFrameWidth / 2,
                             screenplace::kFrameWidth / 2);
        const QRect outer = screenplace::withTitleBarOnScreen(stored + frame);
        window->setGeometry(outer - frame);
    }
}

void TFormHlav::saveWindowPlace(const QWidget *window, const char *section)
{
    QString reason;
    if (!writeWindowPlace(settingspaths::settingsFile(), section, window->geometry(), &reason))
        std::fprintf(stderr, "Torvo_TCI: place of %s not saved: %s\n", section, qPrintable(reason));
}
