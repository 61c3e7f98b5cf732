#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "facade/RecordedFrame.h"
#include "link/Packet.h"

using Movoda::facade::rebuildRecordedFrame;
using Bytes = std::vector<uint8_t>;

namespace {

void put(Bytes& out, uint64_t value, int bytes, bool big) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (big ? 8 * (bytes - 1 - i) : 8 * i)));
}

Bytes framePacket(size_t payloadBytes) {
    Bytes payload(payloadBytes);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7 + 3);
    const uint8_t trailer[] = {0x00, 0x03, 0x03};
    return Movoda::packet::buildPacket(251, payload.data(), payload.size(), trailer, 3, false);
}

// The recorder's layout: one 1420-byte datagram per 1400-byte chunk, the last shorter.
Bytes record(const Bytes& frame, uint16_t sequence, bool big) {
    Bytes out;
    for (size_t offset = 0; offset < frame.size(); offset += 1400) {
        const size_t n = std::min<size_t>(1400, frame.size() - offset);
        put(out, sequence, 2, big);
        put(out, static_cast<uint32_t>(frame.size()), 4, big);
        put(out, static_cast<uint32_t>(n), 2, big);
        put(out, static_cast<uint32_t>(offset), 4, big);
        put(out, 0, 4, big);
        put(out, 0, 4, big);
        out.insert(out.end(), frame.begin() + offset, frame.begin() + offset + n);
    }
    return out;
}

Bytes innerOf(const Bytes& frame) {
    return Bytes(frame.begin() + 8, frame.end() - 4);
}

TEST(RecordedFrame, RebuildsFramesInEitherByteOrder) {
    for (bool big : {false, true}) {
        for (size_t payload : {0u, 1384u, 5000u, 2800u - 16u}) {
            const Bytes frame = framePacket(payload);
            const auto inner = rebuildRecordedFrame(record(frame, 42, big));
            ASSERT_TRUE(inner.has_value()) << payload << " big " << big;
            EXPECT_EQ(*inner, innerOf(frame));
        }
    }
}

TEST(RecordedFrame, ChunksArePlacedByTheirOffsetNotTheirPosition) {
    const Bytes frame = framePacket(3000);
    Bytes rec = record(frame, 1, false);
    // Swap the first two datagrams; each still names its own offset.
    std::swap_ranges(rec.begin(), rec.begin() + 1420, rec.begin() + 1420);
    const auto inner = rebuildRecordedFrame(rec);
    ASSERT_TRUE(inner.has_value());
    EXPECT_EQ(*inner, innerOf(frame));
}

TEST(RecordedFrame, InconsistentRecordingsAreRefused) {
    const Bytes frame = framePacket(3000);  // 3016 bytes: datagrams of 1400, 1400, 216
    const Bytes good = record(frame, 9, false);
    struct Case {
        const char* name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"shorter than a header", Bytes(good.begin(), good.begin() + 19)});
    cases.push_back({"last datagram cut", Bytes(good.begin(), good.end() - 1)});
    cases.push_back({"extra byte", [&] {
                         Bytes b = good;
                         b.push_back(0);
                         return b;
                     }()});
    cases.push_back({"other frame number", [&] {
                         Bytes b = good;
                         b[1420] = 10;
                         return b;
                     }()});
    cases.push_back({"other frame size", [&] {
                         Bytes b = good;
                         b[2 * 1420 + 2] ^= 1;
                         return b;
                     }()});
    // Offset 2900 + 216 bytes ends past the 3016-byte frame.
    cases.push_back({"chunk past frame end", [&] {
                         Bytes b = good;
                         b[2 * 1420 + 8] = 0x54;
                         b[2 * 1420 + 9] = 0x0B;
                         return b;
                     }()});
    // The last datagram holds 216 payload bytes but claims 300.
    cases.push_back({"chunk past its datagram", [&] {
                         Bytes b = good;
                         b[2 * 1420 + 6] = 0x2C;
                         b[2 * 1420 + 7] = 0x01;
                         return b;
                     }()});
    // A frame of 15 - 1 bytes: too short to be a packet.
    Bytes tiny;
    put(tiny, 1, 2, false);
    put(tiny, 10, 4, false);
    put(tiny, 10, 2, false);
    put(tiny, 0, 4, false);
    put(tiny, 0, 8, false);
    tiny.resize(30, 0x7E);
    cases.push_back({"tiny frame", tiny});
    for (const Case& c : cases) EXPECT_FALSE(rebuildRecordedFrame(c.bytes).has_value()) << c.name;
}

}  // namespace
