#include "link/receivepoll.h"

std::vector<Frame> pollFrames(Transport &transport)
{
    const qint64 waiting = transport.bytesWaiting();
    if (waiting < kFrameSize)
        return {};
    const qint64 wanted = waiting > kPollBacklog ? kPollBacklogRead : waiting;
    // A transport may deliver less than it announced; only whole frames count.
    const QByteArray data = transport.read(wanted);
    std::vector<Frame> frames;
    frames.reserve(static_cast<std::size_t>(data.size() / kFrameSize));
    for (qsizetype at = 0; at + kFrameSize <= data.size(); at += kFrameSize) {
        Frame frame{};
        frameFromBytes(data.mid(at, kFrameSize), &frame);
        frames.push_back(frame);
    }
    return frames;
}
