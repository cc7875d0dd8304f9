#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <utility>

// The one seam between the link and the operating system. The serial port is
// one implementation; tests put scripted fakes and real pseudo-terminals here.
class Transport
{
public:
    // Called when an open device goes away (adapter pulled, the other end of a
    // pseudo-terminal closed), with the port session it ended. The transport
    // is already closed then, so the handler may open it again. A loss noticed
    // on the way out of one session may still be on its way when the port has
    // been closed or opened again: the session number tells such a report apart.
    using LostHandler = std::function<void(std::uint64_t portSession, const QString &reason)>;

    virtual ~Transport() = default;

    // Closes whatever was open first. On failure the transport stays closed and
    // reason (when given) receives the operating system's text.
    virtual bool open(const QString &device, QString *reason) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Bytes received and not yet read; 0 when closed. The poll decides how much to read.
    virtual qint64 bytesWaiting() = 0;
    virtual QByteArray read(qint64 maxBytes) = 0;
    // Returns once the bytes have left the transmitter, or after a bounded wait
    // on a port that does not drain. Does nothing when closed; results are not
    // reported because only the unit's replies count.
    virtual void send(const QByteArray &frame) = 0;

    // Every successful open starts a new port session; 0 before the first.
    virtual std::uint64_t portSession() const { return session; }
    // Bytes the line brought that no tick could use and that were thrown away
    // unread (a babbling adapter), counted from the transport's creation as
    // far as the system tells: what the driver still held on its way in goes
    // with them, uncounted.
    virtual std::uint64_t droppedBytes() const { return 0; }

    void setLostHandler(LostHandler handler) { lostHandler = std::move(handler); }

protected:
    // For open(): the port is open, a new session begins.
    void beginPortSession() { ++session; }
    void reportLost(std::uint64_t lostSession, const QString &reason)
    {
        if (lostHandler)
            lostHandler(lostSession, reason);
    }

private:
    LostHandler lostHandler;
    std::uint64_t session = 0;
};
