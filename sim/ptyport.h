#pragma once

#include <QString>

// The simulated unit's end of a pseudo-terminal. The tool opens the slave
// device; the simulator reads and writes the master. The simulator keeps a
// slave descriptor of its own open, so the terminal survives the tool closing
// and re-opening it (without one, the master would report a hang-up from the
// moment the tool closes until it opens again).
class PtyPort
{
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort &) = delete;
    PtyPort &operator=(const PtyPort &) = delete;

    bool open(QString *problem);
    int masterFd() const { return master; }
    QString slavePath() const { return path; }

    // Re-opens the own slave descriptor after a hang-up on the master.
    bool rearm();
    // A tool that died without closing the port leaves the terminal marked
    // exclusive, which would refuse its next start; lifting the mark lets it in.
    void releaseExclusive();

private:
    bool openSlave();

    int master = -1;
    int slave = -1;
    QString path;
};
