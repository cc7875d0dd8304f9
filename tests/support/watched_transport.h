#pragma once

#include "link/transport.h"

#include <cstdint>
#include <memory>
#include <utility>

// A transport that passes everything through to another one and counts what
// is sent and read. A test that drives the tick itself uses the counts to know
// when a frame is out and when a frame's worth of answer has come in; a lost
// line of the inner transport is reported as this one's.
class WatchedTransport : public Transport
{
public:
    explicit WatchedTransport(std::unique_ptr<Transport> wrapped) : inner(std::move(wrapped))
    {
        inner->setLostHandler([this](std::uint64_t session, const QString &reason) { reportLost(session, reason); });
    }
    ~WatchedTransport() override { inner->setLostHandler({}); }

    bool open(const QString &device, QString *reason) override { return inner->open(device, reason); }
    void close() override { inner->close(); }
    bool isOpen() const override { return inner->isOpen(); }
    qint64 bytesWaiting() override { return inner->bytesWaiting(); }
    QByteArray read(qint64 maxBytes) override
    {
        const QByteArray bytes = inner->read(maxBytes);
        bytesRead += static_cast<std::uint64_t>(bytes.size());
        return bytes;
    }
    std::uint64_t portSession() const override { return inner->portSession(); }
    std::uint64_t droppedBytes() const override { return inner->droppedBytes(); }
    void send(const QByteArray &frame) override
    {
        ++sends;
        inner->send(frame);
    }

    // Every frame handed to send(), also while the line was closed.
    std::uint64_t sends = 0;
    // Every byte read from the line.
    std::uint64_t bytesRead = 0;

private:
    std::unique_ptr<Transport> inner;
};
