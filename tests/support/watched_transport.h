#pragma once

#include "link/transport.h"

#include <cstdint>
#include <memory>
#include <utility>

// A transport that passes everything through to another one and counts what
// is sent. A test that drives the tick itself uses the count to know when a
// frame is out and its answer worth waiting for; a lost line of the inner
// transport is reported as this one's.
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
    QByteArray read(qint64 maxBytes) override { return inner->read(maxBytes); }
    std::uint64_t portSession() const override { return inner->portSession(); }
    std::uint64_t droppedBytes() const override { return inner->droppedBytes(); }
    void send(const QByteArray &frame) override
    {
        ++sends;
        inner->send(frame);
    }

    // Every frame handed to send(), also while the line was closed.
    std::uint64_t sends = 0;

private:
    std::unique_ptr<Transport> inner;
};
