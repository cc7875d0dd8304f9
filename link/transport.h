#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <utility>

// The one seam between the link and the operating system. The serial port is
// one implementation; tests put scripted fakes and real pseudo-terminals here.
class Transport
{
public:
    // Called when an open device goes away (adapter pulled, the other end of a
    // pseudo-terminal closed). The transport is already closed then, so the
    // handler may open it again.
    using LostHandler = std::function<void(const QString &reason)>;

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

    void setLostHandler(LostHandler handler) { lostHandler = std::move(handler); }

protected:
    void reportLost(const QString &reason)
    {
        if (lostHandler)
            lostHandler(reason);
    }

private:
    LostHandler lostHandler;
};
