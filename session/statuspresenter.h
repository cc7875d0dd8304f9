#pragma once

#include "i18n/language.h"
#include "link/transferengine.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

// What the status label and the progress gauge show. The gauge's minimum is
// 0; a lower maximum pulls the progress down with it and the progress stays
// within 0..maximum, so a storing count above its start reads as an empty
// gauge.
struct StatusReport
{
    QString caption;
    bool red = false; // else the button face
    bool visible = false;
    int gaugeMax = 1;
    int gaugeProgress = 0;
    bool gaugeVisible = false;

    friend bool operator==(const StatusReport &, const StatusReport &) = default;
};

// Turns what the transfer engine reports into what the user sees of it: the
// status caption in the window's language, its colour, the progress gauge,
// how long the report stays (200 ticks after its last change), and whether
// "No Connection" shows. It owns the print flag and the notices that are no
// transfer's (the print date line), since both are about the label. No
// widgets: a view copies each report onto its controls.
//
// The session passes every engine event on as it happens, and calls tick()
// at the end of every tick, after the engine's connection watch.
class StatusPresenter : public QObject
{
    Q_OBJECT

public:
    static constexpr std::uint8_t kStatusTicks = 200; // a report stays 200 ticks after its last change

    explicit StatusPresenter(const UiLanguage &language, QObject *parent = nullptr);

    // ---- The engine's events
    void operationStarted(Operation operation);
    void stepStarted(TransferStep step);
    void operationSucceeded();
    void operationFailed(TransferStep step, TransferFailure why);
    // The version box was closed: the report vanishes on the next tick.
    void versionMismatchClosed();
    void storingProgress(int percent);
    void notStoring(bool programDone);
    void connectionChanged(bool connected);
    // The end of a tick: the display time counts down, and the indicators follow.
    void tick();

    // ---- What the window asks for
    // While the window is being printed the status and connection labels stay hidden.
    void setPrinting(bool on) { printingNow = on; }
    bool printing() const { return printingNow; }
    // New and Open take the report off the screen; a running display time
    // brings the caption back on the next tick, the gauge only with a new step.
    void hideStatus();
    // A notice in the status label that is no transfer's (the print date line):
    // on button face, shown for the report's time, without the gauge. Without
    // a caption the label keeps its text.
    void showNotice(const std::optional<QString> &caption);

    const StatusReport &report() const { return shown; }
    // Ticks the report has left on screen.
    std::uint8_t statusTicks() const { return statusTime; }
    // A Program reached its verify and its report has not vanished or failed
    // since. "Programing: OK" shows while this and the engine's own
    // programDone() (which a read, a verify or a program after change clear)
    // both hold.
    bool programDone() const { return programmed; }
    // "No Connection" is on screen.
    bool showsNoConnection() const { return !connected && !printingNow; }

signals:
    // On every change of the report, also to the same value.
    void statusChanged(const StatusReport &report);
    // Every tick: whether "No Connection" is to be seen.
    void connectionShown(bool shown);
    // Every tick "No Connection" shows: a version warning from the last live
    // frame is stale.
    void liveVersionStale();

private:
    friend struct StatusPresenterTestAccess;

    void setGaugeMax(int max);
    void setGaugeProgress(int progress);
    void showFor(const QString &caption, bool red);
    void announce();

    const UiLanguage &language;
    StatusReport shown;
    std::uint8_t statusTime = 0;
    Operation current = Operation::Program;
    // Set with a Program's verify step, cleared when its report vanishes; the
    // engine's own flag says whether the unit still stands by it.
    bool programmed = false;
    bool connected = false;
    bool printingNow = false;
};
