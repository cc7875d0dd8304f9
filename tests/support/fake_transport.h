#pragma once

#include "link/frame.h"
#include "link/transport.h"
#include "support/scripted_unit.h"

#include <QStringList>
#include <vector>

// A serial port in memory: records what the window opens, closes and sends,
// and hands back whatever the test (or a scripted unit) puts on the line.
class FakeTransport : public Transport
{
public:
    bool open(const QString &device, QString *reason) override
    {
        close();
        events << QStringLiteral("open ") + device;
        if (refuseOpen) {
            if (reason)
                *reason = QStringLiteral("No such file or directory");
            return false;
        }
        opened = true;
        beginPortSession();
        return true;
    }
    void close() override
    {
        if (opened)
            events << QStringLiteral("close");
        opened = false;
    }
    bool isOpen() const override { return opened; }
    // The adapter is pulled out: the port closes and says so.
    void pull() { reportLoss(portSession()); }
    // A loss report for the given port session: the current one closes the
    // port; an earlier one (a report that was still on its way when the port
    // was closed or opened again) is passed on as a careless transport would.
    void reportLoss(std::uint64_t session)
    {
        if (session == portSession() && opened) {
            opened = false;
            events << QStringLiteral("lost");
        }
        reportLost(session, QStringLiteral("The device was disconnected"));
    }
    qint64 bytesWaiting() override { return opened ? incoming.size() : 0; }
    QByteArray read(qint64 maxBytes) override
    {
        const QByteArray taken = incoming.left(maxBytes);
        incoming.remove(0, taken.size());
        return taken;
    }
    void send(const QByteArray &bytes) override
    {
        if (!opened)
            return;
        Frame frame{};
        if (frameFromBytes(bytes, &frame)) {
            sent.push_back(frame);
            if (unit)
                incoming += unit->answerBytes(frame);
        }
    }

    // Puts a frame on the line for the next poll.
    void queue(const Frame &frame) { incoming += frameToBytes(frame); }

    bool refuseOpen = false;
    bool opened = false;
    QStringList events;
    QByteArray incoming;
    std::vector<Frame> sent;
    // The unit on the line, answering every frame sent; none: silence.
    ScriptedUnit *unit = nullptr;
};
