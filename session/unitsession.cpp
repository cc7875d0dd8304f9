#include "session/unitsession.h"

#include "link/portnames.h"
#include "link/receivepoll.h"
#include "link/serialtransport.h"
#include "settings/settingsfile.h"

class UnitSession::Host : public TransferHost
{
public:
    explicit Host(UnitSession &session) : s(session) {}

    std::vector<Frame> pollReceive() override { return pollFrames(*s.port); }
    void sendFrame(const Frame &frame) override { s.port->send(frameToBytes(frame)); }
    void unitBlockArrived(std::span<const std::uint8_t> block) override { s.document_.takeUnitSet(block); }
    void normaliseImage() override { s.normalise(); }
    void showImage() override { emit s.imageShown(); }
    void statusChanged(const TransferStatus &status) override { emit s.statusChanged(status); }
    void connectionShown(bool shown) override
    {
        emit s.connectionShown(shown);
        // The indicator is the connection's state, except while printing,
        // which hides it whatever the state: then the last state stands.
        const bool nowConnected = s.engine_.printing() ? s.connected : !shown;
        if (nowConnected != s.connected) {
            s.connected = nowConnected;
            emit s.connectionChanged(nowConnected);
        }
    }
    void liveVersionStale() override { emit s.liveVersionStale(); }
    void readStarted() override
    {
        s.document_.beginRead();
        emit s.readStarted();
    }
    void versionMismatch(const QString &text, std::uint8_t unitVersion) override
    {
        emit s.versionMismatch(text, unitVersion);
    }
    void identityReceived(const IdentityTexts &texts) override
    {
        s.identityTexts_ = texts;
        emit s.identityReceived(texts);
    }
    void liveDataReceived(const LiveData &live) override
    {
        s.liveRpm_ = live.rpm;
        emit s.liveDataReceived(live);
    }
    void operationStarted(Operation operation) override { emit s.operationStarted(operation); }
    void storingProgress(int percent) override { emit s.storingProgress(percent); }
    void operationSucceeded(Operation operation) override { emit s.operationSucceeded(operation); }
    void operationFailed(Operation operation) override { emit s.operationFailed(operation); }
    void tickDone() override
    {
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
      engine_(*host, document_.image(), identity_, language_)
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
