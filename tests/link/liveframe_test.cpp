#include <QByteArray>
#include <gtest/gtest.h>

#include "link/liveframe.h"

namespace {
// Every field with a value of its own; 16-bit values low byte first.
//  0 B0 | 1-2 rpm 0x1234 | 3 warning 1 | 5 advance 27 | 7 blocking 1 |
//  9-10 raw 1666 | 11-12 programmings 0x0102 | 13-28 tests 0x1101..0x8808 |
//  29 side stand 0 | 30 neutral 1 | 47-48 storing 0x0155 | 49 data error 1 |
//  50 version 16 | 51 check
const QByteArray kLiveVector = QByteArray::fromHex(
    "b0" "3412" "01" "00" "1b" "00" "01" "00" "8206" "0201"
    "0111" "0222" "0333" "0444" "0555" "0666" "0777" "0888"
    "00" "01" "00000000000000000000000000000000" "5501" "01" "10" "31");

LiveData vectorFields()
{
    LiveData data;
    data.rpm = 0x1234;
    data.speedWarning = 1;
    data.advance = 27;
    data.blocking = 1;
    data.voltageRaw = 1666;
    data.programmingCount = 0x0102;
    data.test = {0x1101, 0x2202, 0x3303, 0x4404, 0x5505, 0x6606, 0x7707, 0x8808};
    data.sideStand = 0;
    data.neutral = 1;
    data.savingCountdown = 0x0155;
    data.dataError = 1;
    data.protocolVersion = 16;
    return data;
}

Frame frameOf(const QByteArray &bytes)
{
    Frame frame{};
    EXPECT_TRUE(frameFromBytes(bytes, &frame));
    return frame;
}

std::string describe(const LiveData &d)
{
    std::string text = "rpm " + std::to_string(d.rpm) + " warn " + std::to_string(d.speedWarning) + " adv "
                       + std::to_string(d.advance) + " block " + std::to_string(d.blocking) + " raw "
                       + std::to_string(d.voltageRaw) + " prog " + std::to_string(d.programmingCount) + " tests";
    for (auto t : d.test)
        text += " " + std::to_string(t);
    text += " side " + std::to_string(d.sideStand) + " neutral " + std::to_string(d.neutral) + " saving "
            + std::to_string(d.savingCountdown) + " err " + std::to_string(d.dataError) + " ver "
            + std::to_string(d.protocolVersion);
    return text;
}
} // namespace

TEST(LiveDataCodec, VectorIsAValidFrame)
{
    ASSERT_EQ(kLiveVector.size(), kFrameSize);
    EXPECT_TRUE(acceptLiveFrame(reinterpret_cast<const std::uint8_t *>(kLiveVector.constData())));
}

TEST(LiveDataCodec, DecodesEveryFieldAtItsOffset)
{
    const LiveData decoded = decodeLiveData(frameOf(kLiveVector));
    EXPECT_EQ(decoded, vectorFields()) << "decoded: " << describe(decoded)
                                       << "\nexpected: " << describe(vectorFields());
}

TEST(LiveDataCodec, IgnoredBytesDoNotLeakIntoFields)
{
    QByteArray noisy = kLiveVector;
    for (int offset : {4, 6, 8, 31, 38, 46})
        noisy[offset] = static_cast<char>(0xEE);
    const LiveData decoded = decodeLiveData(frameOf(noisy));
    EXPECT_EQ(decoded, vectorFields()) << describe(decoded);
}

TEST(LiveDataCodec, EncodesToTheByteVector)
{
    EXPECT_EQ(frameToBytes(encodeLiveData(vectorFields())).toHex().toStdString(),
              kLiveVector.toHex().toStdString());
}

TEST(LiveDataCodec, EachSixteenBitFieldIsLittleEndian)
{
    struct Case
    {
        int offset;
        std::uint16_t LiveData::*field;
    };
    const Case cases[] = {{1, &LiveData::rpm},
                          {9, &LiveData::voltageRaw},
                          {11, &LiveData::programmingCount},
                          {47, &LiveData::savingCountdown}};
    for (const Case &c : cases) {
        Frame frame{};
        frame[static_cast<std::size_t>(c.offset)] = 0x01;
        frame[static_cast<std::size_t>(c.offset + 1)] = 0x80;
        EXPECT_EQ(decodeLiveData(frame).*(c.field), 0x8001) << "offset " << c.offset;
    }
    for (int i = 0; i < 8; ++i) {
        Frame frame{};
        frame[static_cast<std::size_t>(13 + 2 * i)] = 0xFE;
        frame[static_cast<std::size_t>(14 + 2 * i)] = 0x7F;
        EXPECT_EQ(decodeLiveData(frame).test[static_cast<std::size_t>(i)], 0x7FFE) << "test value " << i + 1;
    }
}

TEST(LiveDataVoltage, RawValuesGiveTheToolsMillivolts)
{
    struct Case
    {
        std::uint16_t raw;
        int millivolts;
    };
    // t = raw * 5000 / 8184 truncated, then t * 11 + 800.
    const Case cases[] = {{1666, 11987}, {1000, 7510}, {0, 800}, {8184, 55800}, {65535, 441218}};
    for (const Case &c : cases)
        EXPECT_EQ(liveVoltageMillivolts(c.raw), c.millivolts) << "raw " << c.raw;
}

TEST(LiveDataVoltage, RawForMillivoltsReadsBackAsTheSameStep)
{
    // The simulated unit's raw value must show the wanted voltage, down to the 11 mV step.
    for (int mv = 800; mv <= 30000; ++mv) {
        const int shown = liveVoltageMillivolts(liveVoltageRaw(mv));
        const int expected = 800 + (mv - 800) / 11 * 11;
        ASSERT_EQ(shown, expected) << "wanted " << mv << " mV, raw " << liveVoltageRaw(mv);
    }
    EXPECT_EQ(liveVoltageRaw(13800), 1934); // 13800 mV: t = 1181, 1181 * 8184 / 5000 = 1933.06 -> 1934
    EXPECT_EQ(liveVoltageRaw(0), 0);
    EXPECT_EQ(liveVoltageRaw(1000000), 0xFFFF);
}
