#include "link/frame.h"

#include <cstring>

std::uint8_t frameCheckByte(const Frame &frame)
{
    std::uint8_t check = 0xFF;
    for (int i = 0; i < kCheckByteOffset; ++i)
        check ^= frame[static_cast<std::size_t>(i)];
    return check;
}

bool frameCheckValid(const std::uint8_t *bytes52)
{
    std::uint8_t sum = 0xFF;
    for (int i = 0; i < kFrameSize; ++i)
        sum ^= bytes52[i];
    return sum == 0;
}

void sealFrame(Frame &frame)
{
    frame[kCheckByteOffset] = frameCheckByte(frame);
}

Frame liveDataRequest()
{
    Frame frame{};
    frame[0] = kCmdLiveData;
    sealFrame(frame);
    return frame;
}

Frame transferFrame(std::uint8_t commandCode, bool reading, const ParameterImage &image)
{
    Frame frame{};
    frame[0] = commandCode;
    if (!reading && blockNumber(commandCode) == 1) {
        for (int j = 0; j < ParameterImage::kBlockSize; ++j)
            frame[static_cast<std::size_t>(1 + j)] = image[j];
    }
    sealFrame(frame);
    return frame;
}

bool acceptTransferReply(const std::uint8_t *bytes52, bool operationRunning,
                         std::uint8_t commandCode)
{
    if (!frameCheckValid(bytes52) || !operationRunning)
        return false;
    const int block = blockNumber(commandCode);
    if (block != 0 && block != 1)
        return false;
    return bytes52[0] == replyCodeFor(commandCode);
}

bool acceptLiveFrame(const std::uint8_t *bytes52)
{
    return bytes52[0] == kReplyLiveData && frameCheckValid(bytes52);
}

bool frameFromBytes(const QByteArray &data, Frame *frame)
{
    if (data.size() < kFrameSize)
        return false;
    std::memcpy(frame->data(), data.constData(), kFrameSize);
    return true;
}

QByteArray frameToBytes(const Frame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()), kFrameSize);
}
