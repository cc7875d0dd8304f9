#pragma once

#include <cstdint>
#include <functional>

#include <QByteArray>

#include "link/frame.h"

// Cuts the byte stream from the tool into frames, as a unit does: the tool
// writes each frame in one go and pauses at least a tick between frames, so
// - a valid frame (check byte right, a command the unit knows) at the head is
//   taken at once;
// - anything else at the head with more bytes behind it is garbage: one byte
//   is dropped and the search goes on;
// - 52 or fewer bytes followed by a pause are reported as a frame (with its
//   check byte judged) or as stray bytes, and forgotten.
class FrameAssembler
{
public:
    static constexpr qint64 kGapMs = 20;

    struct Events
    {
        std::function<void(const Frame &frame, bool checkValid)> frame;
        std::function<void(int count)> garbage;
    };

    explicit FrameAssembler(Events events);

    void feed(const QByteArray &bytes, qint64 nowMs);
    // Call when the line has been quiet; ends a pending partial frame once the gap has passed.
    void expire(qint64 nowMs);
    // When expire() next has something to do, or -1.
    qint64 nextDeadline() const;
    qsizetype pending() const { return buffer.size(); }

    static bool knownCommand(std::uint8_t code);

private:
    void extract();
    void reportGarbage();

    Events events;
    QByteArray buffer;
    int garbageCount = 0;
    qint64 lastByteMs = 0;
};
