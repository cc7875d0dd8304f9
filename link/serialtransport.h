#pragma once

#include <QObject>
#include <QSerialPort>

#include "link/transport.h"

// The serial port at 57600 baud, 8 data bits, no parity, 1 stop bit, no flow
// control. Reception is buffered by the event loop between ticks; the tick
// takes what it wants through bytesWaiting() and read().
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

    explicit SerialTransport(QObject *parent = nullptr);
    ~SerialTransport() override;

    bool open(const QString &device, QString *reason) override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesWaiting() override;
    QByteArray read(qint64 maxBytes) override;
    void send(const QByteArray &frame) override;

    QString deviceName() const { return device; }

private:
    void handleError(QSerialPort::SerialPortError error);
    void loseSession(quint64 lostSession, const QString &reason);
    bool waitUntilTransmitted();
    bool lineHungUp();

    QSerialPort port;
    QString device;
    // Counts opens, so a deferred close meant for a port that has since been
    // closed and re-opened does not hit the new one.
    quint64 session = 0;
    bool lossPending = false;
    int emptyReads = 0;
};
