#pragma once

#include <array>
#include <cstdint>

#include <QByteArray>

#include "params/parameterimage.h"

// One frame on the line, in both directions: a command or reply code, 50
// payload bytes and a check byte. There are no start markers and no length
// field, so nothing here ever trusts a count that came from the line.
constexpr int kFrameSize = 52, kPayloadSize = 50;
constexpr int kCheckByteOffset = kFrameSize - 1;
constexpr std::uint8_t kProtocolVersion = 16;

using Frame = std::array<std::uint8_t, kFrameSize>;

enum : std::uint8_t {
    kCmdLiveData = 0x30,
    kCmdProgramBlock0 = 0x00,
    kCmdProgramBlock1 = 0x01,
    kCmdReadBlock0 = 0x40,
    kCmdReadBlock1 = 0x41,
    kReplyLiveData = 0xB0,
};

// The unit answers a command with the command's code with bit 7 inverted.
constexpr std::uint8_t kReplyBit = 0x80;
// The low six bits of a command code name the block it concerns.
constexpr std::uint8_t kBlockMask = 0x3F;

constexpr std::uint8_t replyCodeFor(std::uint8_t commandCode) { return commandCode ^ kReplyBit; }
constexpr int blockNumber(std::uint8_t commandCode) { return commandCode & kBlockMask; }

// 0xFF XOR bytes 0..50: the byte that makes the XOR of all 52 bytes 0xFF.
std::uint8_t frameCheckByte(const Frame &frame);
// True when the XOR of the 52 bytes at bytes52 is 0xFF.
bool frameCheckValid(const std::uint8_t *bytes52);
inline bool frameCheckValid(const Frame &frame) { return frameCheckValid(frame.data()); }

// Writes the check byte into byte 51.
void sealFrame(Frame &frame);

// The 52 bytes 0x30, fifty zeros, 0xCF.
Frame liveDataRequest();

// A read, verify or program step. The image travels only in block 1 and only
// when the running operation is not a read; every other step carries zeros.
Frame transferFrame(std::uint8_t commandCode, bool reading, const ParameterImage &image);

// A transfer reply counts only while an operation runs, for block 0 or 1, with
// the outstanding command's reply code and a valid check byte. Anything else
// is dropped without effect; the engine's retries cover it.
bool acceptTransferReply(const std::uint8_t *bytes52, bool operationRunning,
                         std::uint8_t commandCode);

// A live-data reply counts whatever the tool is doing, when its check byte is valid.
bool acceptLiveFrame(const std::uint8_t *bytes52);

// Copies the first 52 bytes of data into a frame; data shorter than a frame
// gives nothing (the caller must not have handed it a short buffer).
bool frameFromBytes(const QByteArray &data, Frame *frame);
QByteArray frameToBytes(const Frame &frame);
