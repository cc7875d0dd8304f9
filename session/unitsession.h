#pragma once

#include "i18n/language.h"
#include "link/transferengine.h"
#include "link/transport.h"
#include "params/editingrules.h"
#include "params/parameterimage.h"
#include "session/journal.h"
#include "session/setdocument.h"
#include "session/statuspresenter.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

// One unit on one serial port: the port, the receive poll, the set being
// edited (its SetDocument), the unit's identity, the language of the reports,
// the transfer engine and the presenter of its reports. It has no widgets and
// no timer; whoever owns it calls tick() every kTickMs (55 ms), on a precise
// timer. The window, the command-line tool, the chart and the recorder are
// views of it: they change the set through its document, start operations
// through it, and hear back through its signals (what happens), the
// document's, and its status presenter's (what the status label shows).
// Nothing else talks to the port.
class UnitSession : public QObject
{
    Q_OBJECT

public:
    // The tick every front end drives the session with; the engine counts
    // all its times in these ticks.
    static constexpr int kTickMs = 55;

    enum class OpenResult {
        Opened,
        NoPort,  // a port number outside 1..10 opens nothing and says nothing
        Failed,  // the device could not be opened; see lastOpenError()
    };

    // Uses the serial port unless a transport is given (tests use scripted ones).
    explicit UnitSession(std::unique_ptr<Transport> transport = nullptr, QObject *parent = nullptr);
    ~UnitSession() override;

    // ---- The line
    Transport &transport() { return *port; }
    void setTransport(std::unique_ptr<Transport> transport);
    std::uint8_t portNumber() const { return port_; }
    void setPortNumber(std::uint8_t number) { port_ = number; }
    // The settings file whose [PORTS] section maps COM numbers to devices.
    void setPortsFile(const QString &iniPath) { portsFile = iniPath; }
    // The device COM n stands for; empty outside 1..10. A device named
    // outright (the command line's --port /dev/...) stands for every number.
    QString deviceName() const;
    void setDeviceOverride(const QString &device) { deviceOverride = device; }
    // Opens COM n. A failure is reported to the caller and not retried; a port
    // that was open and went away is tried again about once a second, quietly,
    // until it is back (portRestored) or the port is closed or changed.
    OpenResult openPort();
    // Opens a device named outright instead of COM n's, in the same way (the
    // device chooser tries a choice before it is kept).
    OpenResult openPortOn(const QString &device);
    void closePort();
    bool waitingForPort() const { return reopenCountdown > 0; }
    QString lastOpenDevice() const { return openDevice; }
    QString lastOpenError() const { return openError; }
    // Bytes of line noise the port threw away unread because no tick could
    // use them (a babbling adapter); counted since the session began.
    std::uint64_t droppedBytes() const { return port->droppedBytes(); }

    // ---- The set and the unit
    // The set being edited: every change to it goes through the document.
    SetDocument &document() { return document_; }
    const SetDocument &document() const { return document_; }
    const ParameterImage &image() const { return document_.image(); }
    const UnitIdentity &identity() const { return identity_; }
    const IdentityTexts &identityTexts() const { return identityTexts_; }
    // The last engine speed the unit reported, 0 until it first did.
    std::uint16_t liveRpm() const { return liveRpm_; }
    // The curve rules, and the bounds on the language and the port number
    // that start-up and close apply with them.
    void normalise();

    // ---- Editing
    // The curve row nearest the live engine speed, worked out on every tick.
    const CurveHighlight &curveHighlight() const { return highlight; }
    // Every committed edit of the document (undo and redo included) ends in
    // the "Programming after change" check: with the flag set, a changed
    // image (or the first edit after setting it) starts a program that the
    // next ticks send.
    const ProgramAfterChange &programAfterChangeState() const { return afterChange; }

    // ---- Language
    UiLanguage &language() { return language_; }
    const UiLanguage &language() const { return language_; }

    // ---- Operations
    const TransferEngine &engine() const { return engine_; }
    // With "Read before programming" on, the unit's set is first read into
    // the journal (not into the document) and the Program follows only when
    // that read succeeded.
    void startProgram();
    void startVerify() { engine_.startVerify(); }
    void startRead() { engine_.startRead(); }
    void startProgramAfterChange() { engine_.startProgramAfterChange(); }
    void showNoConnection() { engine_.showNoConnection(); }
    void setReadBeforeProgramming(bool on) { readFirst = on; }
    bool readBeforeProgramming() const { return readFirst; }

    // ---- The journal
    // The folder every operation's end is kept in (Journal); empty, the
    // default, keeps nothing. The window and the command line set it.
    void setJournalFolder(const QString &folder);
    QString journalFolder() const;
    // Keeps an entry now with the firmware and counter the session last heard
    // (for a front end's own operation, e.g. the command line's verify of a
    // file); reported as the session's own entries are.
    void keepJournalEntry(const QString &operation, const QString &result, const ParameterImage *set);
    // The engine's reports as the status label and "No Connection" show them.
    StatusPresenter &status() { return status_; }
    const StatusPresenter &status() const { return status_; }
    // One 55 ms tick.
    void tick();
    // Asks for live data now rather than at the next idle count; the answer
    // is handled by a tick like any other. For front ends that want one set
    // of values at once (the command line's info).
    void requestLiveData();

signals:
    // The engine's points at which the set and the unit's identity are shown
    // (a read's block, a program's identity reply): views show the identity
    // texts. The set's own changes are the document's reports.
    void imageShown();
    // The connection came up (a frame was accepted) or went down (18 ticks
    // without one), at the tick's connection watch.
    void connectionChanged(bool connected);
    void readStarted();
    // Delivered directly: a view may open a modal report, during which ticks
    // go on. The status report vanishes on the first tick after it returns.
    void versionMismatch(const QString &text, int unitVersion);
    void identityReceived(const IdentityTexts &texts);
    void liveDataReceived(const LiveData &live);
    // An operation's course: its start, each following step, each sending of
    // a step's frame (attempt 1..5), while idle the unit's storing (0..100),
    // and its end. A failure's cause is engine().lastFailure().
    void operationStarted(Operation operation);
    void stepStarted(TransferStep step);
    void attemptSent(TransferStep step, int attempt);
    void storingProgress(int percent);
    void operationSucceeded(Operation operation);
    void operationFailed(Operation operation);
    // The open port went away (adapter pulled); it is closed already, and the
    // session waits for it to come back.
    void portLost(const QString &device, const QString &reason);
    // The port that went away could be opened again.
    void portRestored(const QString &device);
    void ticked();
    // A journal row (and its file, if any) was written.
    void journalKept(const JournalEntry &entry);
    // Nothing was kept, and why, in the session's language: once per run of
    // failures, again only after an entry was kept in between.
    void journalProblem(const QString &reason);

private:
    // The engine's requests, carried out by the session.
    class Host;
    friend class Host;

    void watchPort();
    void tryReopen();
    void portOpened();

    // Ticks until the next quiet try to reopen a lost port; 0 while not waiting.
    int reopenCountdown = 0;
    static constexpr int kReopenTicks = 18; // about once a second
    void programAfterChange(const SetChange &change);

    std::unique_ptr<Transport> port;
    // The transport's port session this session opened and watches; 0 when
    // none. A loss reported for any other (closed or replaced since) is old news.
    std::uint64_t watchedSession = 0;
    QString portsFile;
    QString deviceOverride;
    QString openDevice;
    QString openError;
    std::uint8_t port_ = 1;
    // Before the engine, which reads its image.
    SetDocument document_;
    UnitIdentity identity_;
    IdentityTexts identityTexts_;
    std::uint16_t liveRpm_ = 0;
    UiLanguage language_;
    StatusPresenter status_{language_};
    CurveHighlight highlight;
    ProgramAfterChange afterChange;
    std::optional<LiveData> lastLive;
    bool readFirst = false;
    std::unique_ptr<Journal> journal_;
    bool journalFailing = false;
    void keepOperation(Operation operation, bool succeeded);
    std::unique_ptr<Host> host;
    TransferEngine engine_;
};
