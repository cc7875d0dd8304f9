#pragma once

#include "link/frame.h"
#include "link/liveframe.h"
#include "link/unitidentity.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

// A unit at the other end of the line, answering each frame it is sent the way
// the firmware does: live data to 0x30, its identity to 0x00 and 0x40, the echo
// of a programmed block to 0x01 and the stored block to 0x41. Its faults are
// switches a test turns on.
struct ScriptedUnit
{
    bool connected = true;    // false: answers nothing at all
    bool answersEcho = true;  // false: never answers 0x01
    int echoCorruptAt = -1;   // payload byte flipped in the 0x81 echo
    int storedCorruptAt = -1; // payload byte flipped in every 0xC1 reply

    IdentityFields identity = defaultIdentity();
    std::array<std::uint8_t, 50> stored{};
    // Answered as it is; its protocol version starts out matching the identity's.
    LiveData live = defaultLive();

    // A unit of another firmware version reports it in both places.
    void setVersion(int version)
    {
        identity.version = version;
        live.protocolVersion = static_cast<std::uint8_t>(version);
    }

    std::optional<Frame> answer(const Frame &command)
    {
        if (!connected)
            return std::nullopt;
        Frame reply{};
        reply[0] = static_cast<std::uint8_t>(command[0] ^ 0x80);
        switch (command[0]) {
        case 0x30:
            return encodeLiveData(live);
        case 0x00:
        case 0x40: {
            const UnitIdentity block = encodeIdentity(identity);
            std::copy(block.bytes.begin(), block.bytes.end(), reply.begin() + 1);
            break;
        }
        case 0x01:
            if (!answersEcho)
                return std::nullopt;
            std::copy(command.begin() + 1, command.begin() + 51, stored.begin());
            std::copy(stored.begin(), stored.end(), reply.begin() + 1);
            if (echoCorruptAt >= 0)
                reply[static_cast<std::size_t>(1 + echoCorruptAt)] ^= 0x01;
            break;
        case 0x41:
            std::copy(stored.begin(), stored.end(), reply.begin() + 1);
            if (storedCorruptAt >= 0)
                reply[static_cast<std::size_t>(1 + storedCorruptAt)] ^= 0x01;
            break;
        default:
            return std::nullopt;
        }
        sealFrame(reply);
        return reply;
    }

    // The answer as it comes down the line; empty for silence.
    QByteArray answerBytes(const Frame &command)
    {
        const std::optional<Frame> reply = answer(command);
        return reply ? frameToBytes(*reply) : QByteArray();
    }

    // "TCI07", built 3 March 2004 at 09:05, protocol version 16.
    static IdentityFields defaultIdentity()
    {
        IdentityFields fields;
        fields.name = QStringLiteral("TCI");
        fields.number = 7;
        fields.day = 3;
        fields.month = 3;
        fields.year = 2004;
        fields.hour = 9;
        fields.minute = 5;
        fields.version = 16;
        return fields;
    }
    static LiveData defaultLive()
    {
        LiveData data;
        data.protocolVersion = 16;
        return data;
    }
};
