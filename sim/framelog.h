#pragma once

#include <cstdio>

#include <QString>

// One line per frame received from the tool, with the time since the start
// in milliseconds, so tests and benchmarks can see what the tool sent when:
//     1234.567 rx 0x30 check=ok -> 0xB0
// and one line per run of garbage bytes dropped while resynchronising:
//     1300.002 garbage 7 bytes
class FrameLog
{
public:
    FrameLog() = default;
    ~FrameLog();
    FrameLog(const FrameLog &) = delete;
    FrameLog &operator=(const FrameLog &) = delete;

    bool open(const QString &path, bool toStderr, QString *problem);
    void frame(double ms, int code, bool checkValid, const QString &outcome);
    void garbage(double ms, int count);

private:
    void write(const QByteArray &line);

    std::FILE *file = nullptr;
    bool toStderr = false;
};
