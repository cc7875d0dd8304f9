#include "sim/frameassembler.h"

#include <cstring>

FrameAssembler::FrameAssembler(Events eventHandlers)
    : events(std::move(eventHandlers))
{
}

bool FrameAssembler::knownCommand(std::uint8_t code)
{
    return code == kCmdLiveData || code == kCmdProgramBlock0 || code == kCmdProgramBlock1
           || code == kCmdReadBlock0 || code == kCmdReadBlock1;
}

void FrameAssembler::feed(const QByteArray &bytes, qint64 nowMs)
{
    if (bytes.isEmpty())
        return;
    expire(nowMs);
    buffer.append(bytes);
    lastByteMs = nowMs;
    extract();
}

void FrameAssembler::extract()
{
    // Scans with an offset and trims once, so a flood of garbage costs one
    // pass rather than one buffer move per dropped byte.
    qsizetype offset = 0;
    while (buffer.size() - offset >= kFrameSize) {
        const auto *head = reinterpret_cast<const std::uint8_t *>(buffer.constData() + offset);
        if (frameCheckValid(head) && knownCommand(head[0])) {
            reportGarbage();
            Frame frame{};
            std::memcpy(frame.data(), head, kFrameSize);
            offset += kFrameSize;
            events.frame(frame, true);
            continue;
        }
        if (buffer.size() - offset == kFrameSize)
            break; // maybe a frame of its own: the pause after it decides
        ++offset;
        ++garbageCount;
    }
    buffer.remove(0, offset);
}

void FrameAssembler::reportGarbage()
{
    if (garbageCount > 0 && events.garbage)
        events.garbage(garbageCount);
    garbageCount = 0;
}

void FrameAssembler::expire(qint64 nowMs)
{
    if (buffer.isEmpty() || nowMs - lastByteMs < kGapMs)
        return;
    if (buffer.size() == kFrameSize) {
        reportGarbage();
        Frame frame{};
        std::memcpy(frame.data(), buffer.constData(), kFrameSize);
        buffer.clear();
        events.frame(frame, frameCheckValid(frame));
        return;
    }
    garbageCount += static_cast<int>(buffer.size());
    buffer.clear();
    reportGarbage();
}

qint64 FrameAssembler::nextDeadline() const
{
    return buffer.isEmpty() ? -1 : lastByteMs + kGapMs;
}
