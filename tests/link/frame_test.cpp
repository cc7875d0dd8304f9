#include <QByteArray>
#include <gtest/gtest.h>

#include "link/frame.h"

namespace {
QByteArray bytesOf(const Frame &frame)
{
    return QByteArray(reinterpret_cast<const char *>(frame.data()), kFrameSize);
}

// code, fifty payload bytes given as a prefix (the rest zero), check byte.
QByteArray handFrame(std::uint8_t code, QByteArray payloadPrefix, std::uint8_t check)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(code));
    bytes.append(payloadPrefix.leftJustified(kPayloadSize, '\0'));
    bytes.append(static_cast<char>(check));
    return bytes;
}

// A parameter image with non-default bytes in the unit's reserved area and in
// the tool's spare bytes, so that what travels and what does not is visible.
ParameterImage sampleImage()
{
    ParameterImage image;
    const std::uint8_t named[] = {3, 9, 5, 70, 1, 1};
    for (int i = 0; i < 6; ++i)
        image[i] = named[i];
    image[6] = 0xAA;
    const std::uint8_t curve[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100,
                                  5, 15, 20, 25, 33, 33, 33, 33, 33, 33};
    for (int i = 0; i < 20; ++i)
        image[10 + i] = curve[i];
    image[49] = 0x55;
    for (int i = 50; i < ParameterImage::kSize; ++i)
        image[i] = 0x77;
    return image;
}

// Image bytes 0..49 of sampleImage(), written out.
const QByteArray kSampleBlock = QByteArray::fromHex(
    "03090546010" "1aa000000"
    "0a141e28323c46505a64"
    "050f1419212121212121"
    "00000000000000000000000000000000000000"
    "55");

Frame frameOf(const QByteArray &bytes)
{
    Frame frame{};
    EXPECT_TRUE(frameFromBytes(bytes, &frame));
    return frame;
}
} // namespace

TEST(FrameVectors, SampleBlockIsFiftyBytes)
{
    ASSERT_EQ(kSampleBlock.size(), 50) << "the hand-written block itself is wrong";
}

TEST(FrameVectors, OutgoingFramesMatchTheirByteVectors)
{
    const ParameterImage image = sampleImage();
    struct Case
    {
        const char *what;
        Frame actual;
        QByteArray expected;
    };
    const Case cases[] = {
        {"live-data request", liveDataRequest(), handFrame(0x30, {}, 0xCF)},
        {"read, block 0", transferFrame(kCmdReadBlock0, true, image), handFrame(0x40, {}, 0xBF)},
        {"program, block 0", transferFrame(kCmdProgramBlock0, false, image), handFrame(0x00, {}, 0xFF)},
        {"read, block 1 (zero payload)", transferFrame(kCmdReadBlock1, true, image), handFrame(0x41, {}, 0xBE)},
        {"verify, block 1 (the image)", transferFrame(kCmdReadBlock1, false, image),
         handFrame(0x41, kSampleBlock, 0x01)},
        {"program, block 1 (the image)", transferFrame(kCmdProgramBlock1, false, image),
         handFrame(0x01, kSampleBlock, 0x41)},
        // A read never sends the image, whatever block the code names.
        {"block 1 while reading", transferFrame(kCmdProgramBlock1, true, image), handFrame(0x01, {}, 0xFE)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(bytesOf(c.actual).toHex().toStdString(), c.expected.toHex().toStdString()) << c.what;
    }
}

TEST(FrameCheck, CheckByteMakesTheXorOfAllBytes0xFF)
{
    // 0xFF ^ 0x12 ^ 0x34 ^ 0x56 = 0x8F
    Frame frame{};
    frame[0] = 0x12;
    frame[1] = 0x34;
    frame[50] = 0x56;
    EXPECT_EQ(frameCheckByte(frame), 0x8F);
    frame[51] = 0x8F;
    EXPECT_TRUE(frameCheckValid(frame.data()));
    // The check byte's own old value does not enter its computation.
    frame[51] = 0x00;
    EXPECT_EQ(frameCheckByte(frame), 0x8F);
    EXPECT_FALSE(frameCheckValid(frame.data()));
}

TEST(FrameCheck, AnySingleCorruptedByteIsDetected)
{
    const Frame good = frameOf(handFrame(0xC1, kSampleBlock, 0x01 ^ 0x41 ^ 0xC1));
    ASSERT_TRUE(frameCheckValid(good.data()));
    for (int position = 0; position < kFrameSize; ++position) {
        for (const std::uint8_t flip : {0x01, 0x80, 0xFF}) {
            Frame bad = good;
            bad[static_cast<std::size_t>(position)] ^= flip;
            EXPECT_FALSE(frameCheckValid(bad.data())) << "position " << position << " flip " << int(flip);
        }
    }
}

TEST(FrameAccept, TransferRepliesFollowEveryRule)
{
    // Reply frames built by hand: code, payload, check byte with XOR 0xFF.
    auto reply = [](std::uint8_t code) {
        QByteArray bytes = handFrame(code, kSampleBlock, 0);
        std::uint8_t check = 0xFF;
        for (int i = 0; i < kFrameSize - 1; ++i)
            check ^= static_cast<std::uint8_t>(bytes[i]);
        bytes[kFrameSize - 1] = static_cast<char>(check);
        return bytes;
    };
    struct Case
    {
        const char *what;
        QByteArray frame;
        bool running;
        std::uint8_t command;
        bool expected;
    };
    const Case cases[] = {
        {"identity for program block 0", reply(0x80), true, 0x00, true},
        {"echo of program block 1", reply(0x81), true, 0x01, true},
        {"identity for read block 0", reply(0xC0), true, 0x40, true},
        {"block for read/verify block 1", reply(0xC1), true, 0x41, true},
        {"no operation running", reply(0xC1), false, 0x41, false},
        {"0xC1 while 0x40 outstanding", reply(0xC1), true, 0x40, false},
        {"0xC0 while 0x41 outstanding", reply(0xC0), true, 0x41, false},
        {"the command itself echoed unchanged", reply(0x41), true, 0x41, false},
        {"0x81 while 0x41 outstanding", reply(0x81), true, 0x41, false},
        {"block 2", reply(0xC2), true, 0x42, false},
        {"block 63", reply(0xFF), true, 0x7F, false},
        {"live data as a transfer reply", reply(0xB0), true, 0x30, false},
    };
    for (const Case &c : cases) {
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(c.frame.constData());
        EXPECT_EQ(acceptTransferReply(bytes, c.running, c.command), c.expected)
            << c.what << ": frame " << c.frame.toHex().toStdString() << " running " << c.running
            << " command " << int(c.command);
    }
}

TEST(FrameAccept, TransferReplyWithAnyCorruptedByteIsDropped)
{
    const QByteArray good = handFrame(0xC1, kSampleBlock, 0x01 ^ 0x41 ^ 0xC1);
    ASSERT_TRUE(acceptTransferReply(reinterpret_cast<const std::uint8_t *>(good.constData()), true, 0x41));
    for (int position = 0; position < kFrameSize; ++position) {
        QByteArray bad = good;
        bad[position] = static_cast<char>(bad[position] ^ 0x10);
        EXPECT_FALSE(acceptTransferReply(reinterpret_cast<const std::uint8_t *>(bad.constData()), true, 0x41))
            << "corrupted at " << position;
    }
}

TEST(FrameAccept, LiveFramesNeedTheirCodeAndAValidCheckByte)
{
    // 0xB0 with a zero payload: check = 0xFF ^ 0xB0 = 0x4F.
    const QByteArray good = handFrame(0xB0, {}, 0x4F);
    EXPECT_TRUE(acceptLiveFrame(reinterpret_cast<const std::uint8_t *>(good.constData())));
    for (int position = 0; position < kFrameSize; ++position) {
        QByteArray bad = good;
        bad[position] = static_cast<char>(bad[position] ^ 0x01);
        EXPECT_FALSE(acceptLiveFrame(reinterpret_cast<const std::uint8_t *>(bad.constData())))
            << "corrupted at " << position;
    }
    // A valid frame with another code is no live frame.
    const QByteArray other = handFrame(0xB1, {}, 0x4E);
    EXPECT_FALSE(acceptLiveFrame(reinterpret_cast<const std::uint8_t *>(other.constData())));
}

TEST(FrameBytes, ShortDataGivesNoFrameAndLongDataGivesTheFirst52Bytes)
{
    Frame frame{};
    EXPECT_FALSE(frameFromBytes(QByteArray(51, '\x01'), &frame));
    EXPECT_FALSE(frameFromBytes(QByteArray(), &frame));
    QByteArray data(60, '\0');
    for (int i = 0; i < 60; ++i)
        data[i] = static_cast<char>(i + 1);
    ASSERT_TRUE(frameFromBytes(data, &frame));
    EXPECT_EQ(frame[0], 1);
    EXPECT_EQ(frame[51], 52);
    EXPECT_EQ(frameToBytes(frame), data.left(52));
}
