#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal for tests: the code under test opens slavePath() like a
// serial port, the test plays the other end on the master.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    // False when the system has no pseudo-terminals to give; tests then skip.
    bool ok() const { return master >= 0; }
    QString slavePath() const { return path; }

    bool writeMaster(const QByteArray &bytes);
    // Writes as much of bytes as the terminal takes now, without waiting; how much that was.
    qint64 offerMaster(const QByteArray &bytes);
    // Everything the slave side has sent within timeoutMs, at most maxBytes.
    QByteArray readMaster(int maxBytes, int timeoutMs);
    // The other end goes away: what a pulled USB adapter looks like to the port.
    void closeMaster();

private:
    int master = -1;
    // Held open until the code under test has opened the slave, so that the
    // terminal does not report a hang-up before anyone uses it.
    int keepSlave = -1;
    QString path;
};
