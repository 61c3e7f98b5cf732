// Builds camera frame packets byte by byte for tests and benchmarks, independently of
// the decoder: payload header, pixel planes in received order, IMU block, information
// block (format 3) or short trailer (format 2).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "mvsdk/Frame.h"

namespace vantory_test {

struct PacketPlan {
    uint16_t width = 320;
    uint16_t height = 240;
    uint8_t commandId = 251;
    uint8_t dataType = 0;
    uint16_t frameNumber = 7;
    uint8_t format = 3;          // 3: information block; 2: short trailer; other: bare
    uint8_t dataFlags = 3;       // written into the information block
    uint32_t magic = 0x33CCAA50;
    std::string model = "XR300LITE";
    uint8_t distanceScale = 1;
    std::array<uint16_t, 5> intTimes{{1000, 0, 0, 0, 0}};
    std::array<uint8_t, 5> freqCodes{{1, 1, 1, 1, 1}};
    uint16_t roiX0 = 0;
    uint16_t roiY0 = 0;
    uint8_t binningFlags = 0;    // format 3 byte; format 2 takes binningByte
    uint8_t binningByte = 0;
    int16_t temperature1 = 0;
    int16_t temperature2 = 0;
    uint64_t captureMs = 0;
    uint64_t seconds = 0;        // format 2
    uint32_t nanoseconds = 0;    // format 2
    uint8_t timeSource = 0;
    uint8_t timeLocked = 0;
    bool imu = false;
    uint16_t imuFirstWord = 0x55AA;
    uint16_t imuSecondWord = 0x1234;
    std::array<float, 9> lens{{170, 170, 160, 120, 0, 0, 0, 0, 0}};
    uint16_t blockLength = 206;
    size_t padding = 0;          // extra bytes before the trailer (bare format)

    // Pixel planes in received (unmirrored) order; empty planes are filled with zeros
    // when their flag is set.
    std::vector<uint16_t> distance;
    std::vector<uint16_t> amplitude;
    std::vector<uint16_t> grayscale;
    std::vector<uint8_t> hdrIndex;   // one 4-bit value per pixel
    std::vector<uint16_t> rawPhase;  // four per pixel

    size_t pixels() const { return static_cast<size_t>(width) * height; }
};

inline void putLe16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void putLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
inline void putLe64(std::vector<uint8_t>& b, size_t at, uint64_t v) {
    for (int k = 0; k < 8; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
inline void putBe(std::vector<uint8_t>& b, size_t at, uint64_t v, int size) {
    for (int k = 0; k < size; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * (size - 1 - k)));
}

// Inner packet: command id .. trailer type.
inline std::vector<uint8_t> buildInner(const PacketPlan& s) {
    const size_t n = s.pixels();
    const uint8_t flags = s.format == 3 ? s.dataFlags
                          : s.dataType == 0 ? 3
                          : s.dataType == 1 ? 1
                          : s.dataType == 3 ? 8
                                            : 0;
    const bool bigEndian = s.format != 3;
    std::vector<uint8_t> out(8, 0);
    out[0] = s.commandId;
    out[1] = s.dataType;
    if (bigEndian) {
        putBe(out, 2, s.frameNumber, 2);
        putBe(out, 4, s.width, 2);
        putBe(out, 6, s.height, 2);
    } else {
        putLe16(out, 2, s.frameNumber);
        putLe16(out, 4, s.width);
        putLe16(out, 6, s.height);
    }
    auto value = [](const std::vector<uint16_t>& plane, size_t i) -> uint16_t {
        return i < plane.size() ? plane[i] : 0;
    };
    auto push16 = [&out](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    if ((flags & 1) || (flags & 2)) {
        for (size_t i = 0; i < n; ++i) {
            if (flags & 1) push16(value(s.distance, i));
            if (flags & 2) push16(value(s.amplitude, i));
        }
    }
    if (flags & 8) {
        for (size_t i = 0; i < n; ++i) push16(value(s.grayscale, i));
    }
    if (flags & 4) {
        for (size_t j = 0; j < n / 2; ++j) {
            const size_t i = 2 * j;
            const uint8_t lo = i < s.hdrIndex.size() ? s.hdrIndex[i] & 0x0F : 0;
            const uint8_t hi = i + 1 < s.hdrIndex.size() ? s.hdrIndex[i + 1] & 0x0F : 0;
            out.push_back(static_cast<uint8_t>(lo | (hi << 4)));
        }
    }
    if (flags & 16) {
        for (size_t i = 0; i < 4 * n; ++i) push16(value(s.rawPhase, i));
    }
    out.insert(out.end(), s.padding, 0);

    if (s.format == 3) {
        if (s.imu) {
            std::vector<uint8_t> imu(92, 0x11);
            putLe16(imu, 0, s.imuFirstWord);
            putLe16(imu, 2, s.imuSecondWord);
            out.insert(out.end(), imu.begin(), imu.end());
        }
        std::vector<uint8_t> b(206, 0);
        putLe32(b, 0, s.magic);
        for (size_t k = 0; k < s.model.size() && k < 29; ++k) b[5 + k] = static_cast<uint8_t>(s.model[k]);
        for (size_t k = 0; k < 9; ++k) {
            uint32_t bits;
            std::memcpy(&bits, &s.lens[k], 4);
            putLe32(b, 53 + 4 * k, bits);
        }
        b[93] = s.dataFlags;
        for (size_t k = 0; k < 5; ++k) {
            b[96 + k] = s.freqCodes[k];
            putLe16(b, 101 + 2 * k, s.intTimes[k]);
        }
        putLe16(b, 113, s.roiX0);
        putLe16(b, 117, s.roiY0);
        b[124] = s.binningFlags;
        b[136] = s.distanceScale;
        putLe16(b, 141, static_cast<uint16_t>(s.temperature1));
        putLe16(b, 143, static_cast<uint16_t>(s.temperature2));
        b[145] = s.timeSource;
        b[146] = s.timeLocked;
        putLe64(b, 147, s.captureMs);
        b[191] = s.imu ? 0x5C : 0;
        putLe16(b, 202, s.blockLength);
        b[205] = 3;
        out.insert(out.end(), b.begin(), b.end());
    } else if (s.format == 2) {
        std::vector<uint8_t> t(52, 0);
        const size_t S = t.size();
        putBe(t, S - 52, static_cast<uint16_t>(s.temperature1), 2);
        putBe(t, S - 50, s.roiX0, 2);
        putBe(t, S - 48, s.roiY0, 2);
        t[S - 46] = s.binningByte;
        putBe(t, S - 43, static_cast<uint16_t>(s.temperature2), 2);
        putBe(t, S - 14, s.seconds, 6);
        putBe(t, S - 8, s.nanoseconds, 4);
        t[S - 4] = s.timeLocked;
        t[S - 3] = s.timeSource;
        t[S - 1] = 2;
        out.insert(out.end(), t.begin(), t.end());
    } else {
        out.push_back(0);
        out.push_back(s.format);
    }
    return out;
}

// Frame as the frame path builds it: header, stored packet, planes; not yet decoded.
inline std::shared_ptr<Movoda::Frame> makeFrame(const PacketPlan& s,
                                                const std::vector<uint8_t>& inner) {
    auto frame = std::make_shared<Movoda::Frame>(s.dataType, s.frameNumber, s.width, s.height);
    if (!frame->loadHeader(inner.data(), inner.size())) return nullptr;
    frame->setPacket(inner.data(), inner.size(), s.format != 3);
    frame->allocatePlanes();
    return frame;
}

inline std::shared_ptr<Movoda::Frame> decodeFrame(const PacketPlan& s) {
    const std::vector<uint8_t> inner = buildInner(s);
    auto frame = makeFrame(s, inner);
    if (frame) frame->decode();
    return frame;
}

}  // namespace vantory_test
