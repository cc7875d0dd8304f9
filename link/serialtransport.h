#pragma once

#include <QObject>
#include <QSerialPort>

#include "link/transport.h"

// The serial port at 57600 baud, 8 data bits, no parity, 1 stop bit, no flow
// control. Reception is buffered by the event loop between ticks; the tick
// takes what it wants through bytesWaiting() and read().
//
// The buffer holds kReadBufferBytes at most. A line at 57600 baud brings about
// 320 bytes a tick and the receive poll takes up to 1000, so a full buffer
// means a line that babbles faster than any unit talks (a faulty adapter):
// what it holds is old by then. bytesWaiting() throws it away together with
// what waits in the driver behind it, counts it (droppedBytes()), and reports
// the line empty; whatever comes next is read fresh, so the frames of a unit
// that answers after the noise arrive at once. Reading stops while the buffer
// is full, so a babbling line costs one buffer of memory and a few wake-ups a
// tick, however fast it goes.
class SerialTransport : public QObject, public Transport
{
    Q_OBJECT

public:
    static constexpr qint32 kBaudRate = 57600;
    // A frame takes about 9 ms on the line; a port that has not taken it in
    // this time is not coming back soon, and the tick must go on.
    static constexpr int kSendTimeoutMs = 200;
    // Empty reads in a row, with no data between them, that count as a lost line.
    static constexpr int kEmptyReadLimit = 50;
    // Four ticks' worth of the receive poll's largest read.
    static constexpr qint64 kReadBufferBytes = 4096;

    explicit SerialTransport(QObject *parent = nullptr);
    ~SerialTransport() override;

    bool open(const QString &device, QString *reason) override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesWaiting() override;
    QByteArray read(qint64 maxBytes) override;
    void send(const QByteArray &frame) override;
    std::uint64_t droppedBytes() const override { return dropped; }

    QString deviceName() const { return device; }

private:
    void handleError(QSerialPort::SerialPortError error);
    void loseSession(std::uint64_t lostSession, const QString &reason);
    void dropBacklog();
    bool waitUntilTransmitted();
    bool lineHungUp();

    QSerialPort port;
    QString device;
    bool lossPending = false;
    int emptyReads = 0;
    std::uint64_t dropped = 0;
};
