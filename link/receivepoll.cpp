#include "link/receivepoll.h"

std::optional<Frame> pollReceive(Transport &transport)
{
    const qint64 waiting = transport.bytesWaiting();
    if (waiting < kFrameSize)
        return std::nullopt;
    const qint64 wanted = waiting > kPollBacklog ? kPollBacklogRead : waiting;
    const QByteArray data = transport.read(wanted);
    // A transport may deliver less than it announced; a short read is no frame.
    Frame frame{};
    if (!frameFromBytes(data, &frame))
        return std::nullopt;
    return frame;
}
