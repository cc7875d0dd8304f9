#include "session/unitsession.h"

#include "link/portnames.h"
#include "link/receivepoll.h"
#include "link/serialtransport.h"
#include "link/telemetry.h"
#include "i18n/extracaptions.h"
#include "settings/settingsfile.h"

namespace {

QString operationWord(Operation operation)
{
    switch (operation) {
    case Operation::Program:
        return QStringLiteral("program");
    case Operation::Verify:
        return QStringLiteral("verify");
    case Operation::Read:
        break;
    }
    return QStringLiteral("read");
}

} // namespace

// Every engine event goes to the status presenter first, then out as the
// session's signal, so a listener of the signal finds the report already
// showing it.
class UnitSession::Host : public TransferHost
{
public:
    explicit Host(UnitSession &session) : s(session) {}

    std::vector<Frame> pollReceive() override { return pollFrames(*s.port); }
    void sendFrame(const Frame &frame) override { s.port->send(frameToBytes(frame)); }
    void unitBlockArrived(std::span<const std::uint8_t> block) override { s.document_.takeUnitSet(block); }
    void normaliseImage() override { s.normalise(); }
    void showImage() override { emit s.imageShown(); }
    void readStarted() override
    {
        s.document_.beginRead();
        emit s.readStarted();
    }
    void identityReceived(const IdentityTexts &texts) override
    {
        s.identityTexts_ = texts;
        emit s.identityReceived(texts);
    }
    void liveDataReceived(const LiveData &live) override
    {
        s.liveRpm_ = live.rpm;
        s.lastLive = live;
        emit s.liveDataReceived(live);
    }

    void operationStarted(Operation operation) override
    {
        s.status_.operationStarted(operation);
        emit s.operationStarted(operation);
    }
    void stepStarted(TransferStep step) override
    {
        s.status_.stepStarted(step);
        emit s.stepStarted(step);
    }
    void attemptSent(TransferStep step, int attempt) override { emit s.attemptSent(step, attempt); }
    void asideReadSucceeded(const ParameterImage &set) override
    {
        s.keepJournalEntry(operationWord(Operation::Read), journalResult(true, TransferFailure::None), &set);
    }
    // The journal is written before the end is reported, so a front end
    // that ends on the report (the command line) finds the entry kept.
    void operationSucceeded(Operation operation) override
    {
        s.keepOperation(operation, true);
        s.status_.operationSucceeded();
        emit s.operationSucceeded(operation);
    }
    void operationFailed(Operation operation, TransferStep step, TransferFailure why) override
    {
        s.keepOperation(operation, false);
        s.status_.operationFailed(step, why);
        emit s.operationFailed(operation);
    }
    void versionMismatch(std::uint8_t unitVersion) override
    {
        emit s.versionMismatch(versionMismatchText(s.language_.text(Msg::MsgVersionMismatch), unitVersion),
                               unitVersion);
        s.status_.versionMismatchClosed();
    }
    void storingProgress(int percent) override
    {
        s.status_.storingProgress(percent);
        emit s.storingProgress(percent);
    }
    void notStoring(bool programDone) override { s.status_.notStoring(programDone); }
    void connectionChanged(bool connected) override
    {
        s.status_.connectionChanged(connected);
        emit s.connectionChanged(connected);
    }
    void tickDone() override
    {
        s.status_.tick();
        s.highlight = HighlightCurveRow(s.liveRpm_, s.document_.image());
        emit s.ticked();
    }

private:
    UnitSession &s;
};

UnitSession::UnitSession(std::unique_ptr<Transport> transport, QObject *parent)
    : QObject(parent),
      port(transport ? std::move(transport) : std::make_unique<SerialTransport>()),
      host(std::make_unique<Host>(*this)),
      engine_(*host, document_.image(), identity_)
{
    watchPort();
    connect(&document_, &SetDocument::changed, this, &UnitSession::programAfterChange);
}

UnitSession::~UnitSession()
{
    // The transport may report a lost line while it closes; nobody listens any more.
    port->setLostHandler({});
    port->close();
}

void UnitSession::setTransport(std::unique_ptr<Transport> transport)
{
    port->setLostHandler({});
    port->close();
    port = std::move(transport);
    watchedSession = 0;
    reopenCountdown = 0;
    watchPort();
}

void UnitSession::watchPort()
{
    port->setLostHandler([this](std::uint64_t lostSession, const QString &reason) {
        // A loss noticed before the port was closed or opened again, arriving
        // late, must not close, report or reopen the port in use now.
        if (lostSession == 0 || lostSession != watchedSession)
            return;
        watchedSession = 0;
        // Reopened from the tick, not from here: the device is gone right now,
        // and an adapter takes a moment to come back after it is plugged in.
        reopenCountdown = kReopenTicks;
        emit portLost(openDevice, reason);
    });
}

void UnitSession::portOpened()
{
    watchedSession = port->portSession();
}

void UnitSession::tick()
{
    if (reopenCountdown > 0 && --reopenCountdown == 0)
        tryReopen();
    engine_.tick();
}

void UnitSession::tryReopen()
{
    QString reason;
    if (port->open(openDevice, &reason)) {
        portOpened();
        emit portRestored(openDevice);
        return;
    }
    reopenCountdown = kReopenTicks;
}

QString UnitSession::deviceName() const
{
    if (!deviceOverride.isEmpty())
        return deviceOverride;
    return portDeviceName(port_, readPortsSection(portsFile).value(port_));
}

void UnitSession::requestLiveData()
{
    port->send(frameToBytes(liveDataRequest()));
}

UnitSession::OpenResult UnitSession::openPort()
{
    return openPortOn(deviceName());
}

UnitSession::OpenResult UnitSession::openPortOn(const QString &device)
{
    reopenCountdown = 0;
    openDevice = device;
    openError.clear();
    if (openDevice.isEmpty())
        return OpenResult::NoPort;
    watchedSession = 0;
    if (port->open(openDevice, &openError)) {
        portOpened();
        return OpenResult::Opened;
    }
    return OpenResult::Failed;
}

void UnitSession::closePort()
{
    reopenCountdown = 0;
    watchedSession = 0;
    port->close();
}

void UnitSession::normalise()
{
    document_.normalise();
    std::uint8_t index = language_.index();
    normaliseLanguageAndPort(index, port_);
    language_.setIndex(index);
}

void UnitSession::programAfterChange(const SetChange &change)
{
    if (change.committed && afterChange.check(document_.programAfterChange(), document_.image()))
        engine_.startProgramAfterChange();
}

void UnitSession::startProgram()
{
    if (readFirst)
        engine_.startProgramReadingFirst();
    else
        engine_.startProgram();
}

void UnitSession::setJournalFolder(const QString &folder)
{
    journalFailing = false;
    if (folder.isEmpty())
        journal_.reset();
    else
        journal_ = std::make_unique<Journal>(folder);
}

QString UnitSession::journalFolder() const
{
    return journal_ ? journal_->folder() : QString();
}

void UnitSession::keepOperation(Operation operation, bool succeeded)
{
    if (!journal_)
        return;
    // A read that failed has no set of the unit's to keep; a program keeps
    // the set it sent and a verify the set it compared, however they ended.
    const bool hasSet = succeeded || operation != Operation::Read;
    keepJournalEntry(operationWord(operation), journalResult(succeeded, engine_.lastFailure()),
                     hasSet ? &document_.image() : nullptr);
}

void UnitSession::keepJournalEntry(const QString &operation, const QString &result, const ParameterImage *set)
{
    if (!journal_)
        return;
    JournalEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.operation = operation;
    entry.result = result;
    entry.firmware = journalFirmware(identityTexts_);
    if (lastLive)
        entry.counter = QString::number(lastLive->programmingCount);
    QString reason;
    if (const std::optional<JournalEntry> kept = journal_->keep(entry, set, &reason)) {
        journalFailing = false;
        emit journalKept(*kept);
        return;
    }
    if (journalFailing)
        return;
    journalFailing = true;
    emit journalProblem(QString::fromUtf16(journalNotKeptText(language_)).arg(reason));
}
